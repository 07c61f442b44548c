#pragma once

#include <QSpinBox>

// A spin field that, like the classic desktop spin edit, lets the user type
// only digits, signs and the decimal separator, clamps a whole number to its
// range when it loses the focus, and leaves any other text as typed.
// readValue() is what the handlers use: the text as a whole number, or the
// lower end of the range when the text is not one, without a range check.
class SpinEdit final : public QSpinBox
{
    Q_OBJECT

public:
    explicit SpinEdit(QWidget *parent = nullptr);

    int readValue() const;

    // The editor itself, for the tests that type into the field.
    using QAbstractSpinBox::lineEdit;

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    void focusOutEvent(QFocusEvent *event) override;
};
