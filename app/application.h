#pragma once

#include <QApplication>

// The application object. Handlers catch their own errors (see errorbox.h);
// notify() is only the last net for an exception thrown from somewhere Qt
// calls us without a handler in between, so that it is shown rather than
// crossing Qt's frames.
class Application final : public QApplication
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};

namespace halvora {
// Registers the Tahoma-compatible fonts shipped with wine where the system
// has them; fontconfig does not see that folder.
void registerFonts();
} // namespace halvora
