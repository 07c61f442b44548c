#include "app/application.h"

#include "app/errorbox.h"

#include <QFile>
#include <QFontDatabase>

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Halvora"));
    setDesktopFileName(QStringLiteral("halvora"));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        halvora::showCurrentException();
        return false;
    }
}

namespace halvora {

void registerFonts()
{
    static const char *const files[] = {"/usr/share/wine/fonts/tahoma.ttf",
                                        "/usr/share/wine/fonts/tahomabd.ttf"};
    for (const char *file : files) {
        const QString path = QString::fromLatin1(file);
        if (QFile::exists(path))
            QFontDatabase::addApplicationFont(path);
    }
}

} // namespace halvora
