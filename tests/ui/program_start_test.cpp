// On a real X server: until a browser is asked for, the program's windows
// come up without the browser engine's processes and without an OpenGL
// driver, and with the program's graphics set-up (this process has it too)
// the engine shows pages without one. Run with xvfb-run and
// QT_QPA_PLATFORM=xcb (ctest's ProgramStartsLeanUnderX); the offscreen
// platform loads no driver in any case.

#include "ui/qt_keywords.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "framework/text_util.h"
#include "program_process.h"
#include "temp_dir.h"
#include "x_windows.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::vector<int> childrenOf(pid_t parent)
{
    std::vector<int> children;
    if (DIR* dir = ::opendir("/proc")) {
        while (dirent* entry = ::readdir(dir)) {
            const int pid = std::atoi(entry->d_name);
            if (pid <= 0)
                continue;
            // The fields after the command name's closing parenthesis are
            // fixed: state, then the parent.
            const std::string stat = testsupport::readRaw("/proc/" + std::to_string(pid) + "/stat");
            const size_t close = stat.rfind(')');
            if (close != std::string::npos && std::atoi(stat.c_str() + close + 4) == parent)
                children.push_back(pid);
        }
        ::closedir(dir);
    }
    return children;
}

// The files mapped in the process whose paths hold one of the parts.
std::set<std::string> mappedFiles(pid_t pid, std::initializer_list<const char*> parts)
{
    std::set<std::string> found;
    for (const std::string& line :
         framework::splitLines(testsupport::readRaw("/proc/" + std::to_string(pid) + "/maps")))
        for (const char* part : parts)
            if (line.find(part) != std::string::npos)
                found.insert(line.substr(line.rfind(' ') + 1));
    return found;
}

// Mesa's drivers (Xvfb renders with swrast_dri.so) and the software
// rasteriser's code generator.
std::set<std::string> openGlDrivers(pid_t pid)
{
    return mappedFiles(pid, {"_dri.so", "libLLVM"});
}

TEST(ProgramStartTest, WindowsComeUpWithoutTheBrowserEngineOrOpenGL)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the xcb platform";
    testsupport::TempDir data;
    testsupport::TempDir registry;
    testsupport::copyDataSet(data.path());
    testsupport::ProgramProcess program(testsupport::vantrelBinary(), {"--data-dir", data.path().string()},
                                        {"QT_QPA_PLATFORM=xcb", "VANTREL_REGISTRY=" + (registry / "r.ini").string()});
    ASSERT_TRUE(testsupport::waitForViewableWindow(program.pid(), 60s)) << program.errorOutput();

    // The engine's libraries are not even loaded before a browser is made.
    EXPECT_EQ(mappedFiles(program.pid(), {"libQt6WebEngine", "libvantrel_engine"}), std::set<std::string>{});
    EXPECT_EQ(childrenOf(program.pid()), std::vector<int>{});
    EXPECT_EQ(openGlDrivers(program.pid()), std::set<std::string>{});
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), 0) << program.errorOutput();
}

TEST(ProgramStartTest, TheEngineShowsAPageWithoutOpenGL)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the xcb platform";
    // What the set-up chose for Qt stays out of the programs started later.
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"));
    QWebEngineProfile profile;
    QWebEngineView view;
    view.setPage(new QWebEnginePage(&profile, &view));
    view.resize(300, 200);
    view.show();
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.setHtml(QStringLiteral("<body style='margin:0;background:#00ff00'></body>"));
    ASSERT_TRUE(loaded.wait(60000));
    // The page reaches the view some frames after its load.
    QColor centre;
    for (int i = 0; i < 100 && centre != QColor(Qt::green); ++i) {
        QTest::qWait(50);
        centre = view.grab().toImage().pixelColor(150, 100);
    }
    EXPECT_EQ(centre, QColor(Qt::green));
    EXPECT_EQ(openGlDrivers(::getpid()), std::set<std::string>{});
}

} // namespace
