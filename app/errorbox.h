#pragma once

#include <QString>

#include <exception>
#include <functional>

// The one place where failures reach the user. Every event handler of the
// window runs through guarded(): an exception ends the handler where it
// stands, its message goes to the error box, and the program carries on with
// whatever the handler changed before the failure.
namespace halvora {

// The text the box shows: the message plus a full stop, unless the message
// already ends in a character whose code is 46 (".") or lower.
QString errorBoxText(const QString &message);

// Where the final text goes. The default shows a modal box captioned
// "Halvora" with the error icon and one OK button; tests install a sink that
// records the text instead, so that no modal box blocks them.
using ErrorSink = std::function<void(const QString &text)>;
ErrorSink setErrorSink(ErrorSink sink);

void showError(const QString &message);
void showCurrentException() noexcept;

template<typename Handler>
void guarded(Handler &&handler) noexcept
{
    try {
        handler();
    } catch (...) {
        showCurrentException();
    }
}

} // namespace halvora
