// The baseline for the start-up benchmark: an empty top-level window of the
// same size, made with the same toolkit and started the same way.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.setFixedSize(560, 467);
    window.show();
    return QApplication::exec();
}
