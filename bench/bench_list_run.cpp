// A 51-word list run as the user runs it: real one-second ticks, real
// browsers, the product site copy on loopback. Prints the wall time and the
// peak memory of this process and all its child processes (the browser
// engine's renderers), sampled every 250 ms.
//
//   build/bench/vantrel_bench_list_run [WORDS]

#include "ui/qt_keywords.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app/program.h"
#include "browser/fm_cpp.h"
#include "browserctl/qt_browser_graphics.h"
#include "browserctl/qt_web_browser.h"
#include "framework/application.h"
#include "framework/scripted.h"
#include "http_server.h"
#include "memo/fm_memo.h"
#include "process_tree.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"
#include "temp_dir.h"
#include "ui/qt_services.h"

namespace {

using benchsupport::Peak;

} // namespace

int main(int argc, char** argv)
{
    const int words = argc > 1 ? std::atoi(argv[1]) : 51;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string flags = "--process-per-site --disable-background-networking --disable-component-update --no-first-run";
    if (geteuid() == 0) {
        flags += " --no-sandbox";
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    }
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
    browserctl::prepareBrowserGraphics();
    QApplication qtApp(argc, argv);

    testsupport::TempDir data;
    testsupport::TempDir registry;
    setenv("VANTREL_REGISTRY", (registry / "registry.ini").c_str(), 1);
    for (const auto& entry : std::filesystem::directory_iterator(testsupport::sourceDataFolder()))
        if (entry.path().filename() != "site")
            std::filesystem::copy(entry.path(), data.path() / entry.path().filename(),
                                  std::filesystem::copy_options::recursive);
    testsupport::HttpServer server(testsupport::sourceDataFolder() / "site");
    server.start();
    testsupport::writeRaw(data / "0Base.INI", "[Begin]\r\nLanguage=USA\r\nSiteBase=" + server.url("/") +
                                                  "\r\n[Base]\r\nURL=" + server.url("/") +
                                                  "\r\nFormName=cse-search-box\r\nInputName=q\r\n");

    framework::Services services = ui::makeQtServices();
    auto dialogs = std::make_shared<framework::ScriptedDialogs>();
    services.dialogs = dialogs;
    framework::Application application(services);
    vantrel::setDataFolder(data.path());
    framework::WebBrowserHost::setFactory([](framework::WebBrowserHost&) { return browserctl::makeQtWebBrowser(); });
    vantrel::createForms(application);

    FmSys->UpDownTryTime.setPosition(6);
    FmCpp->EditThemas.setText("Weather ");
    std::vector<std::string> list;
    for (int i = 1; i <= words; ++i)
        list.push_back("word" + std::to_string(i));
    FmCtrl->ListSuffix = "Edd1";
    FmCtrl->MemoEdd1.setLines(list);

    Peak peak;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { peak.sample(); });
    sampler.start(250);

    QElapsedTimer clock;
    clock.start();
    application.dispatch([] { FmCpp->PMASListClick(); });
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!FmCpp->Timer1.enabled() || clock.elapsed() > 30 * 60 * 1000)
            loop.quit();
    });
    watch.start(200);
    loop.exec();
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;

    int done = 0;
    for (const auto& line : FmMemo->MemoLog.lines())
        if (line.size() > 5 && line.compare(line.size() - 5, 5, "=Comp") == 0)
            ++done;
    std::printf("list run: %d words, try time 6 s\n", words);
    std::printf("wall time: %.1f s (%.2f s per word)\n", seconds, seconds / words);
    std::printf("result pages completed: %d, errors shown: %zu\n", done, dialogs->errors.size());
    std::printf("peak memory, all processes: %.0f MiB PSS, %.0f MiB RSS in %d processes\n",
                static_cast<double>(peak.pssKiB) / 1024.0, static_cast<double>(peak.rssKiB) / 1024.0, peak.processes);

    application.destroyForms();
    vantrel::forgetForms();
    framework::WebBrowserHost::setFactory(nullptr);
    // Fewer result pages than words: the figures are of a run that failed.
    return done == words && dialogs->errors.empty() ? 0 : 1;
}
