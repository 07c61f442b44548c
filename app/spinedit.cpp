#include "app/spinedit.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>

#include <optional>

namespace {

std::optional<int> wholeNumber(const QString &text)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == u'+' || c == u'-')))
            return std::nullopt;
    }
    const int value = trimmed.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

SpinEdit::SpinEdit(QWidget *parent)
    : QSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(false);
    setKeyboardTracking(true);
}

int SpinEdit::readValue() const
{
    return wholeNumber(text()).value_or(minimum());
}

QValidator::State SpinEdit::validate(QString &input, int &) const
{
    const QString separator = QLocale().decimalPoint();
    for (const QChar c : input) {
        const bool allowed = (c.isDigit() && c.unicode() < 128) || c == u'+' || c == u'-'
                             || separator.contains(c);
        if (!allowed) {
            QApplication::beep();
            return QValidator::Invalid;
        }
    }
    const std::optional<int> value = wholeNumber(input);
    if (value && *value >= minimum() && *value <= maximum())
        return QValidator::Acceptable;
    return QValidator::Intermediate;
}

void SpinEdit::fixup(QString &input) const
{
    if (const std::optional<int> value = wholeNumber(input))
        input = QString::number(qBound(minimum(), *value, maximum()));
}

void SpinEdit::focusOutEvent(QFocusEvent *event)
{
    // The base class would put the last valid value back over a text that is
    // not a whole number; such a text stays as the user typed it.
    const QString typed = text();
    const bool keep = !wholeNumber(typed).has_value();
    QSpinBox::focusOutEvent(event);
    if (keep && lineEdit()->text() != typed)
        lineEdit()->setText(typed);
}
