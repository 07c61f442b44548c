#include "app/errorbox.h"

#include "decay/error.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace halvora {
namespace {

void showModalBox(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Halvora"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

ErrorSink &currentSink()
{
    static ErrorSink sink = showModalBox;
    return sink;
}

} // namespace

QString errorBoxText(const QString &message)
{
    if (message.isEmpty() || message.back().unicode() <= u'.')
        return message;
    return message + u'.';
}

ErrorSink setErrorSink(ErrorSink sink)
{
    return std::exchange(currentSink(), sink ? std::move(sink) : ErrorSink(showModalBox));
}

void showError(const QString &message)
{
    currentSink()(errorBoxText(message));
}

void showCurrentException() noexcept
{
    try {
        throw;
    } catch (const std::exception &e) {
        // Our own errors carry UTF-8 text; so do the standard library's.
        showError(QString::fromUtf8(e.what()));
    } catch (...) {
        showError(QStringLiteral("Unknown error"));
    }
}

} // namespace halvora
