// Memory of a full page (or all three pages) of browser tabs: N browsers
// each load the search page of one loopback site, fill in its form and
// submit it. The figure is the sum over this process and all its
// descendants (the QtWebEngineProcess renderers, zygotes and helpers),
// sampled from /proc while the tabs work (the peak) and at the end of a
// quiet time after the last result page (settled).
//
// Configurations: "per-site" (--process-per-site, the program's setting),
// "lifecycle" (the same, and each tab that reached its result page is put
// to rest the way the window may do it: every tab but the shown one
// frozen, all but the 12 most recent live tabs discarded) and "default"
// (no flag, for comparison). Chromium reads its flags once per process, so
// each configuration runs in a fresh child process. Only 127.0.0.1 is
// contacted.
//
//   vantrel_bench_browser_memory [--tabs N] [--timeout SECONDS] [--settle SECONDS]
//                                [--modes per-site,lifecycle,default]
//   vantrel_bench_browser_memory --child per-site|lifecycle|default [--tabs N] ...

#include "browserctl/qt_browser_graphics.h"
#include "browserctl/qt_web_browser.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "framework/application.h"
#include "http_server.h"
#include "process_tree.h"
#include "ui/qt_services.h"

namespace {

using namespace benchsupport;

struct Options {
    std::string child; // "per-site", "lifecycle", "default" or empty (driver)
    std::string modes = "per-site,lifecycle";
    int tabs = 51;
    int timeoutSeconds = 120;
    int settleSeconds = 120;
};

bool knownMode(const std::string& mode)
{
    return mode == "per-site" || mode == "lifecycle" || mode == "default";
}

// How many tabs stay alive (shown or frozen) under the lifecycle policy.
constexpr int kLiveTabs = 12;

// ---------------------------------------------------------------------------
// Child: one configuration

void setChromiumFlags(bool perSite)
{
    std::string flags = "--disable-background-networking --disable-component-update --disable-sync --no-first-run "
                        "--no-default-browser-check --no-pings";
    if (perSite)
        flags += " --process-per-site";
    if (::geteuid() == 0)
        flags += " --no-sandbox";
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
    if (::geteuid() == 0)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

std::string searchPage()
{
    // A little weight beyond the form, like a real search page: a style
    // sheet, a script and a frame.
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Site search</title>\n"
           "<link rel=\"stylesheet\" href=\"/site/style.css\">\n<script src=\"/site/page.js\"></script>\n"
           "</head><body>\n<h1>Site search</h1>\n"
           "<form id=\"cse-search-box\" action=\"/site/result\" method=\"get\">\n"
           "<input type=\"hidden\" name=\"cx\" value=\"bench\">\n"
           "<input type=\"text\" name=\"q\" size=\"31\">\n"
           "<input type=\"submit\" name=\"sa\" value=\"Search\">\n</form>\n"
           "<iframe src=\"/site/side.html\" width=\"200\" height=\"100\"></iframe>\n"
           "</body></html>\n";
}

int runChild(const Options& options)
{
    const bool perSite = options.child != "default";
    const bool lifecycle = options.child == "lifecycle";
    // A hang in the engine must not keep the driver waiting for ever.
    ::alarm(static_cast<unsigned>(options.timeoutSeconds + options.settleSeconds + 60));
    setChromiumFlags(perSite);
    // The views draw as the program's do.
    browserctl::prepareBrowserGraphics();
    int argc = 1;
    char name[] = "vantrel_bench_browser_memory";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    // Document calls wait in the application's gated wait, as in the program.
    framework::Application application(ui::makeQtServices());

    testsupport::HttpServer server;
    const std::string page = searchPage();
    server.handle("/site/index.html",
                  [page](const testsupport::HttpRequest&) { return testsupport::HttpResponse::html(page); });
    server.handle("/site/style.css", [](const testsupport::HttpRequest&) {
        testsupport::HttpResponse response = testsupport::HttpResponse::text(
            "body { font-family: sans-serif; margin: 2em; } form { padding: 1em; border: 1px solid #888; }\n");
        response.contentType = "text/css; charset=utf-8";
        return response;
    });
    server.handle("/site/page.js", [](const testsupport::HttpRequest&) {
        std::string script = "var table = [];\n";
        for (int i = 0; i < 2000; ++i)
            script += "table.push({ index: " + std::to_string(i) + ", text: 'entry " + std::to_string(i) + "' });\n";
        testsupport::HttpResponse response = testsupport::HttpResponse::text(script);
        response.contentType = "text/javascript; charset=utf-8";
        return response;
    });
    server.handle("/site/side.html", [](const testsupport::HttpRequest&) {
        return testsupport::HttpResponse::html("<!DOCTYPE html><html><body><p>Side panel</p></body></html>");
    });
    server.start();
    const std::string searchUrl = server.url("/site/index.html");

    Peak peak;
    peak.sample();
    const long idleRssKiB = peak.rssKiB;

    // The tabs sit in a tab widget like the program's: one is visible.
    QTabWidget tabs;
    tabs.resize(1024, 768);
    tabs.show();

    std::vector<std::unique_ptr<browserctl::QtWebBrowser>> browsers;
    // The tabs that reached their result page, the latest last.
    std::vector<browserctl::QtWebBrowser*> finished;
    const auto restTabs = [&] {
        auto* shown = tabs.currentIndex() >= 0 ? browsers[std::size_t(tabs.currentIndex())].get() : nullptr;
        int live = std::find(finished.begin(), finished.end(), shown) != finished.end() ? 1 : 0;
        for (auto it = finished.rbegin(); it != finished.rend(); ++it) {
            if (*it == shown || (*it)->lifecycle() == browserctl::Lifecycle::Discarded)
                continue;
            if (live < kLiveTabs) {
                ++live;
                (*it)->setLifecycle(browserctl::Lifecycle::Frozen);
            } else {
                (*it)->setLifecycle(browserctl::Lifecycle::Discarded);
            }
        }
    };
    int submitted = 0;
    int results = 0;
    int errors = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < options.tabs; ++i) {
        auto browser = std::make_unique<browserctl::QtWebBrowser>();
        auto* raw = browser.get();
        auto done = std::make_shared<bool>(false);
        const std::string word = "theme word " + std::to_string(i + 1);
        raw->DocumentComplete.connect([&, raw, done, word](const std::string& url) {
            if (*done)
                return;
            if (url == searchUrl) {
                try {
                    auto form = raw->Document()->form("cse-search-box");
                    form->element("q")->setValue(word);
                    form->submit();
                    ++submitted;
                } catch (const browserctl::DocumentCallError& error) {
                    std::fprintf(stderr, "tab: %s\n", error.what());
                    ++errors;
                    *done = true;
                }
            } else if (url.find("/site/result?") != std::string::npos) {
                *done = true;
                ++results;
                if (lifecycle) {
                    finished.push_back(raw);
                    restTabs();
                }
            }
        });
        tabs.addTab(raw->widget(), QString::number(i + 1));
        browsers.push_back(std::move(browser));
    }
    for (auto& browser : browsers)
        browser->Navigate(searchUrl);

    // The settled figure: the highest sample of the last two seconds of
    // the quiet time after the last result page.
    Peak settled;
    bool settling = false;
    qint64 finishedAt = -1;
    int samples = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        peak.sample();
        // A line every 5 s on standard error: when the memory goes back.
        if (++samples % 25 == 0) {
            long own = 0;
            long others = 0;
            for (const auto& process : processTree())
                (process.pid == ::getpid() ? own : others) += process.pssKiB;
            std::fprintf(stderr, "at %3.0f s: PSS %.0f MiB here, %.0f MiB in the engine's processes\n",
                         clock.elapsed() / 1000.0, own / 1024.0, others / 1024.0);
        }
        if (settling && clock.elapsed() >= finishedAt + (options.settleSeconds - 2) * 1000LL)
            settled.sample();
    });
    sampler.start(200);

    // Until every tab shows its result page (or gave up), then the quiet
    // time: renderers may still grow after the last load event, and the
    // engine frees a discarded page's memory some time after.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!settling && results + errors >= options.tabs) {
            settling = true;
            finishedAt = clock.elapsed();
            QTimer::singleShot(options.settleSeconds * 1000, &app, &QCoreApplication::quit);
        }
        if (!settling && clock.elapsed() > options.timeoutSeconds * 1000LL)
            app.quit();
    });
    watch.start(100);
    app.exec();
    peak.sample();
    if (settled.pssKiB == 0)
        settled.sample();
    if (finishedAt < 0)
        finishedAt = clock.elapsed();

    int active = 0;
    int frozen = 0;
    int discarded = 0;
    for (const auto& browser : browsers) {
        switch (browser->lifecycle()) {
        case browserctl::Lifecycle::Active:
            ++active;
            break;
        case browserctl::Lifecycle::Frozen:
            ++frozen;
            break;
        case browserctl::Lifecycle::Discarded:
            ++discarded;
            break;
        }
    }

    std::printf("RESULT mode=%s tabs=%d submitted=%d results=%d errors=%d seconds=%.1f "
                "peak_rss_mib=%.0f peak_pss_mib=%.0f settled_rss_mib=%.0f settled_pss_mib=%.0f "
                "idle_rss_mib=%.0f main_rss_mib=%.0f settled_main_rss_mib=%.0f peak_processes=%d "
                "peak_renderers=%d active=%d frozen=%d discarded=%d\n",
                options.child.c_str(), options.tabs, submitted, results, errors, finishedAt / 1000.0,
                peak.rssKiB / 1024.0, peak.pssKiB / 1024.0, settled.rssKiB / 1024.0, settled.pssKiB / 1024.0,
                idleRssKiB / 1024.0, peak.mainRssKiB / 1024.0, settled.mainRssKiB / 1024.0, peak.processes,
                peak.renderers, active, frozen, discarded);
    std::fflush(stdout);
    // Where the settled memory is, for whoever wants to look further.
    for (const auto& process : processTree())
        std::fprintf(stderr, "PROCESS pid=%d pss_mib=%.0f rss_mib=%.0f %.90s\n", process.pid, process.pssKiB / 1024.0,
                     process.rssKiB / 1024.0, process.command.c_str());

    for (auto& browser : browsers)
        tabs.removeTab(tabs.indexOf(browser->widget()));
    browsers.clear();
    server.stop();
    return results == options.tabs ? 0 : 1;
}

// ---------------------------------------------------------------------------
// Driver: one child per configuration

// The child's RESULT line (empty when it printed none); finished tells
// whether every tab reached its result page.
std::string runSelf(const std::string& mode, const Options& options, bool& finished)
{
    finished = false;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        const std::string tabs = std::to_string(options.tabs);
        const std::string timeout = std::to_string(options.timeoutSeconds);
        const std::string settle = std::to_string(options.settleSeconds);
        ::execl("/proc/self/exe", "vantrel_bench_browser_memory", "--child", mode.c_str(), "--tabs", tabs.c_str(),
                "--timeout", timeout.c_str(), "--settle", settle.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ::close(pipeFds[1]);
    std::string output;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        output.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!finished)
        std::fprintf(stderr, "bench: the %s run did not finish every tab (status %d)\n", mode.c_str(), status);
    const size_t at = output.find("RESULT ");
    return at == std::string::npos ? std::string() : output.substr(at, output.find('\n', at) - at);
}

int runDriver(const Options& options)
{
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    std::printf("browser memory, %d tabs, %s, %ld cores\n", options.tabs, date, ::sysconf(_SC_NPROCESSORS_ONLN));
    bool complete = true;
    std::istringstream modes(options.modes);
    for (std::string mode; std::getline(modes, mode, ',');) {
        bool finished = false;
        const std::string result = runSelf(mode, options, finished);
        std::printf("%s\n", result.empty() ? (std::string("no result for ") + mode).c_str() : result.c_str());
        std::fflush(stdout);
        complete = complete && finished && !result.empty();
    }
    return complete ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    bool usage = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--child" && i + 1 < argc)
            options.child = argv[++i];
        else if (arg == "--modes" && i + 1 < argc)
            options.modes = argv[++i];
        else if (arg == "--tabs" && i + 1 < argc)
            options.tabs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--timeout" && i + 1 < argc)
            options.timeoutSeconds = std::max(10, std::atoi(argv[++i]));
        else if (arg == "--settle" && i + 1 < argc)
            options.settleSeconds = std::max(3, std::atoi(argv[++i]));
        else
            usage = true;
    }
    std::istringstream modes(options.modes);
    for (std::string mode; std::getline(modes, mode, ',');)
        usage = usage || !knownMode(mode);
    if (!options.child.empty() && !knownMode(options.child))
        usage = true;
    if (usage) {
        std::fprintf(
            stderr,
            "Usage: %s [--tabs N] [--timeout SECONDS] [--settle SECONDS] [--modes per-site,lifecycle,default]\n"
            "       %s --child per-site|lifecycle|default [--tabs N] [--timeout SECONDS] [--settle SECONDS]\n",
            argv[0], argv[0]);
        return 2;
    }
    if (options.child.empty())
        return runDriver(options);
    return runChild(options);
}
