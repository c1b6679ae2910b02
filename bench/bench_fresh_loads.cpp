// 51 tabs open one search address of a site that answers in 2 s, as a
// quick run opens its tabs; prints when each request reached the server and
// when the last tab completed, with fresh loads (the run's tabs) and
// without (the user's browsing), and what the document calls of a run
// cost on a result page.
//
//   build/bench/vantrel_bench_fresh_loads [TABS] [--skip-plain]

#include "ui/qt_keywords.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browserctl/qt_browser_graphics.h"
#include "browserctl/qt_web_browser.h"
#include "framework/application.h"
#include "http_server.h"
#include "ui/qt_services.h"

namespace {

using Clock = std::chrono::steady_clock;

bool spinUntil(const std::function<bool()>& done, int limitMs)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    poll.start(5);
    if (!done())
        loop.exec();
    return done();
}

void oneAddress(testsupport::HttpServer& server, int tabs, bool fresh)
{
    std::mutex mutex;
    std::vector<double> arrivals;
    const auto start = Clock::now();
    auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    const std::string path = fresh ? "/fresh" : "/plain";
    server.handle(path, [&](const testsupport::HttpRequest&) {
        {
            std::lock_guard lock(mutex);
            arrivals.push_back(seconds());
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));
        return testsupport::HttpResponse::html("<title>Search</title><form><input name=q></form>");
    });
    std::vector<std::unique_ptr<browserctl::QtWebBrowser>> browsers;
    int complete = 0;
    double last = 0;
    for (int i = 0; i < tabs; ++i) {
        browsers.push_back(std::make_unique<browserctl::QtWebBrowser>());
        browsers.back()->setFreshLoads(fresh);
        browsers.back()->DocumentComplete.connect([&](const std::string&) {
            ++complete;
            last = seconds();
        });
    }
    for (auto& browser : browsers)
        browser->Navigate(server.url(path));
    spinUntil([&] { return complete >= tabs; }, 300000);

    std::lock_guard lock(mutex);
    std::printf("%s loads, %d tabs: %d completed, the last after %.1f s; requests reached the server at (s):\n",
                fresh ? "fresh" : "plain", tabs, complete, last);
    for (size_t i = 0; i < arrivals.size(); ++i)
        std::printf("%s%.2f", i % 17 == 0 ? "\n  " : " ", arrivals[i]);
    std::printf("\n");
}

void documentCalls(testsupport::HttpServer& server)
{
    std::string body = "<header><a href=/>Home</a></header><form id=box action=/result><input name=q></form><ol>";
    for (int i = 0; i < 10; ++i)
        body += "<li><a href=\"http://example.org/" + std::to_string(i) + "\">Result " + std::to_string(i) +
                "</a> a snippet of text for the result</li>";
    body += "</ol><footer><a href=/license>Licence</a></footer>";
    server.handle("/results", [body](const testsupport::HttpRequest&) {
        return testsupport::HttpResponse::html("<title>Results</title>" + body);
    });
    browserctl::QtWebBrowser browser;
    bool complete = false;
    browser.DocumentComplete.connect([&](const std::string&) { complete = true; });
    browser.Navigate(server.url("/results"));
    spinUntil([&] { return complete; }, 30000);

    auto time = [](const char* what, const std::function<void()>& call) {
        std::vector<double> ms;
        for (int i = 0; i < 30; ++i) {
            const auto start = Clock::now();
            call();
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::sort(ms.begin(), ms.end());
        std::printf("  %-40s median %.2f ms\n", what, ms[ms.size() / 2]);
    };
    std::printf("document calls on a page of 10 results:\n");
    time("Document()->form(\"box\")", [&] { browser.Document()->form("box"); });
    time("Document()->searchForm(\"\", \"\")", [&] { browser.Document()->searchForm("", ""); });
    time("Document()->resultLinks(\"\")", [&] { browser.Document()->resultLinks(""); });
    time("Document()->blockCheckText(\"\", {q}, 64 KiB)",
         [&] { browser.Document()->blockCheckText("", {"result"}, 64 * 1024); });
}

} // namespace

int main(int argc, char** argv)
{
    const int tabs = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 51;
    bool plain = true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--skip-plain") == 0)
            plain = false;
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
    framework::Application application(ui::makeQtServices());
    testsupport::HttpServer server;
    server.start();

    oneAddress(server, tabs, true);
    if (plain)
        oneAddress(server, tabs, false);
    documentCalls(server);
    return 0;
}
