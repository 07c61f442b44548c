#include "app/application.h"
#include "app/oknogl.h"

#include <QIcon>

int main(int argc, char *argv[])
{
    // The program takes no options: Qt is handed the program name only.
    int qtArgc = 1;
    char *qtArgv[] = {argc > 0 ? argv[0] : const_cast<char *>("halvora"), nullptr};
    Application app(qtArgc, qtArgv);
    halvora::registerFonts();
    Application::setWindowIcon(QIcon(QStringLiteral(":/halvora.svg")));

    TAOknoGl window;
    window.show();
    return Application::exec();
}
