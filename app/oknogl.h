#pragma once

// The program's one window. TAOknoGl is built from its Designer form
// (oknogl.ui), which holds every control of the four pages under its own name;
// this class adds the start-up sequence (FormCreate) and the event handlers.
// The working state lives in the controls themselves: the edit fields hold
// the numbers as text, and each handler reads and writes those texts through
// the arithmetic core in decay/. The isotope record set (isotopes/) is shared
// by the lookup list, the grid and the navigator; the chart (chart/) and the
// About page (about/) hang off the same window.

#include "isotopes/connection.h"
#include "isotopes/recordset.h"

#include <QWidget>

#include <memory>
#include <string>

namespace Ui {
class TAOknoGl;
}

class TAOknoGl final : public QWidget
{
    Q_OBJECT

public:
    // Opens the isotope database beside the executable.
    explicit TAOknoGl(QWidget *parent = nullptr);
    // Opens the isotope database in the given folder (used by the tests).
    explicit TAOknoGl(const QString &databaseFolder, QWidget *parent = nullptr);
    ~TAOknoGl() override;

    // The designed controls, by name.
    Ui::TAOknoGl &form() const { return *m_ui; }

    isotopes::Connection ADOConnection1;
    isotopes::RecordSet ADODataSet1;

    void FormCreate();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Label23Click();
    void ShellOpen(const QString &Url, const QString &Params);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyDesign();
    void connectHandlers();
    double toNumber(const QString &text) const;
    QString toText(long double value) const;

    std::unique_ptr<Ui::TAOknoGl> m_ui;
    QString m_databaseFolder;
    std::string m_decimalSeparator;
};
