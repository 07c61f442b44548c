#include "about/shellopen.h"

#include <QDesktopServices>
#include <QUrl>

#include <utility>

namespace about {
namespace {

void openWithDesktop(const QString &url, const QString &)
{
    // The desktop's URL handler takes no parameter text; the result is
    // deliberately ignored.
    (void)QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

Opener &currentOpener()
{
    static Opener opener = openWithDesktop;
    return opener;
}

} // namespace

Opener setOpener(Opener opener)
{
    return std::exchange(currentOpener(), opener ? std::move(opener) : Opener(openWithDesktop));
}

void shellOpen(const QString &url, const QString &params)
{
    currentOpener()(url, params);
}

} // namespace about
