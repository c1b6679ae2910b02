// The yardstick of the start-up benchmark: a Qt Widgets program that shows
// one window with a label and waits. Built twice: plain, and linked with
// the browser engine (BARE_WITH_ENGINE), where a QWebEngineProfile is
// named so the linker keeps the library. With --software-views the engine
// build first does what the program does before its QApplication.

#include <QApplication>
#include <QLabel>

#include <cstring>

#ifdef BARE_WITH_ENGINE
#include <QWebEngineProfile>

#include "browserctl/qt_browser_graphics.h"
#endif

int main(int argc, char** argv)
{
#ifdef BARE_WITH_ENGINE
    if (argc > 1 && std::strcmp(argv[1], "--software-views") == 0)
        browserctl::prepareBrowserGraphics();
#endif
    QApplication app(argc, argv);
#ifdef BARE_WITH_ENGINE
    // Never true: the profile only keeps the engine linked.
    if (argc > 2)
        new QWebEngineProfile(&app);
#endif
    QLabel window(QStringLiteral("A bare Qt window"));
    window.resize(640, 480);
    window.show();
    return app.exec();
}
