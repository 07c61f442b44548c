#pragma once

// Shared set-up for the tests that drive the real window: a Polish locale (so
// the decimal separator is a comma), the program's fonts, the error box
// replaced by a recorder, and a temporary folder that plays the part of the
// executable's folder.

#include "app/application.h"
#include "app/errorbox.h"
#include "app/oknogl.h"
#include "ui_oknogl.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class WindowFixture
{
public:
    WindowFixture()
    {
        QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
        halvora::registerFonts();
        halvora::setErrorSink([this](const QString &text) { errors << text; });
    }
    ~WindowFixture() { halvora::setErrorSink({}); }

    // A window over a copy of the default isotope database, or over an empty
    // folder when withDatabase is false.
    std::unique_ptr<TAOknoGl> open(bool withDatabase = true)
    {
        folder = std::make_unique<QTemporaryDir>();
        if (withDatabase)
            QFile::copy(QStringLiteral(HALVORA_DEFAULT_DB), databasePath());
        QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::WriteOwner);
        errors.clear();
        return std::make_unique<TAOknoGl>(folder->path());
    }

    QString databasePath() const { return folder->filePath(QStringLiteral("BazaIzotopow.mdb")); }

    QStringList errors;
    std::unique_ptr<QTemporaryDir> folder;
};

// Clicks a flat button the way the user does.
inline void click(QWidget *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}
