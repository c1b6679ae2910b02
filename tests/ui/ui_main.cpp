// The Qt tests need a QApplication around all of them; without a display
// they run on the offscreen platform, with a screen large enough for the
// windows at a font twice the normal size (offscreen_screen.json), so that
// the windows keep their design sizes there.

#include "ui/qt_keywords.h"

#include <QApplication>

#include "browserctl/qt_browser_graphics.h"
#include "browserctl/qt_engine.h"
#include "browserctl/qt_web_browser.h"

#include <gtest/gtest.h>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform reports every raise() and size hint it cannot
// honour; those lines would bury the test output.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" VANTREL_SOURCE_DIR "/tests/ui/offscreen_screen.json");
    defaultHandler = qInstallMessageHandler(quietHandler);
    // The program's graphics: Qt Quick widgets draw as its browser views do.
    browserctl::prepareBrowserGraphics();
    QApplication app(argc, argv);
    // The engine is linked in, not loaded as the program's module.
    browserctl::engine::useLinkedEngine(*vantrel_engine_entry());
    browserctl::chooseViewGraphics();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
