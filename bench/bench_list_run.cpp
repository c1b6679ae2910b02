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
#include "browserctl/qt_web_browser.h"
#include "framework/application.h"
#include "framework/scripted.h"
#include "http_server.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"
#include "temp_dir.h"
#include "ui/qt_services.h"

namespace {

// Resident memory of a process and all its descendants, in kB.
long treeRssKb(pid_t root, int& processes)
{
    std::map<pid_t, pid_t> parentOf;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* entry = readdir(proc)) {
            const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
            if (pid <= 0)
                continue;
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            std::string line;
            std::getline(stat, line);
            const auto close = line.rfind(')');
            if (close == std::string::npos)
                continue;
            std::istringstream rest(line.substr(close + 2));
            char state;
            pid_t parent;
            rest >> state >> parent;
            parentOf[pid] = parent;
        }
        closedir(proc);
    }
    std::set<pid_t> tree{root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, parent] : parentOf)
            if (tree.count(parent) && tree.insert(pid).second)
                grew = true;
    }
    long total = 0;
    for (pid_t pid : tree) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string key;
        while (status >> key) {
            if (key == "VmRSS:") {
                long kb = 0;
                status >> kb;
                total += kb;
                break;
            }
            status.ignore(4096, '\n');
        }
    }
    processes = static_cast<int>(tree.size());
    return total;
}

}  // namespace

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

    long peakKb = 0;
    int peakProcesses = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        int processes = 0;
        const long kb = treeRssKb(getpid(), processes);
        if (kb > peakKb)
            peakKb = kb;
        if (processes > peakProcesses)
            peakProcesses = processes;
    });
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
    std::printf("peak memory, all processes: %.0f MiB in %d processes\n", static_cast<double>(peakKb) / 1024.0,
                peakProcesses);

    application.destroyForms();
    vantrel::forgetForms();
    framework::WebBrowserHost::setFactory(nullptr);
    return 0;
}
