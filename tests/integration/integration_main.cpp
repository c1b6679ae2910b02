// The integration tests need a QApplication for the real browser engine.
// Chromium reads its flags once, before the first page, so they are set
// here: the program's own --process-per-site, and nothing that talks to
// the internet on its own.

#include "ui/qt_keywords.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "browserctl/qt_browser_graphics.h"
#include "browserctl/qt_engine.h"
#include "browserctl/qt_web_browser.h"

namespace {

void addFlag(std::string& flags, const std::string& flag)
{
    if (flags.find(flag) == std::string::npos)
        flags += " " + flag;
}

void prepareBrowserEngine()
{
    const char* current = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS");
    std::string flags = current ? current : "";
    addFlag(flags, "--process-per-site");
    addFlag(flags, "--disable-background-networking");
    addFlag(flags, "--disable-component-update");
    addFlag(flags, "--disable-sync");
    addFlag(flags, "--no-first-run");
    addFlag(flags, "--no-default-browser-check");
    addFlag(flags, "--no-pings");
    // Chromium refuses its sandbox when run as root (as in containers).
    if (::geteuid() == 0)
        addFlag(flags, "--no-sandbox");
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
    if (::geteuid() == 0)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    prepareBrowserEngine();
    browserctl::prepareBrowserGraphics();
    QApplication app(argc, argv);
    // The engine is linked in, not loaded as the program's module.
    browserctl::engine::useLinkedEngine(*vantrel_engine_entry());
    browserctl::chooseViewGraphics();
    return RUN_ALL_TESTS();
}
