#pragma once
// What the tests of the QtWebEngine browser share: an application to wait
// in, the loopback server, a browser and the log of its events.

#include "browserctl/qt_web_browser.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "framework/application.h"
#include "http_server.h"
#include "ui/qt_services.h"

namespace browserctl {
// Readable failure messages for link lists.
inline void PrintTo(const PageLink& link, std::ostream* out)
{
    *out << "{" << link.address << ", \"" << link.text << "\"}";
}
} // namespace browserctl

namespace browsertest {

using browserctl::DocumentCallError;
using browserctl::QtWebBrowser;
using testsupport::HttpRequest;
using testsupport::HttpResponse;
using testsupport::HttpServer;
using namespace std::chrono_literals;

// Generous: a slow machine must give a failure message, never a flaky one.
inline constexpr auto kDeadline = 30s;

// Runs the event loop until done() holds or the deadline passes; returns
// done().
inline bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kDeadline)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    deadline.start(limit);
    loop.exec();
    return done();
}

// The events of a browser as "before URL" and "complete URL" lines.
class EventLog {
public:
    void attach(browserctl::WebBrowser& browser)
    {
        browser.BeforeNavigate2.connect([this](const std::string& url) { add("before " + url); });
        browser.DocumentComplete.connect([this](const std::string& url) { add("complete " + url); });
    }

    int count(const std::string& entry) const
    {
        return static_cast<int>(std::count(entries.begin(), entries.end(), entry));
    }

    // Index of the first occurrence, or -1.
    int indexOf(const std::string& entry) const
    {
        const auto it = std::find(entries.begin(), entries.end(), entry);
        return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
    }

    std::string text() const
    {
        std::string all;
        for (const auto& entry : entries)
            all += "\n  " + entry;
        return all;
    }

    std::vector<std::string> entries;
    bool allOnMainThread = true;

private:
    void add(std::string entry)
    {
        if (std::this_thread::get_id() != mainThread_)
            allOnMainThread = false;
        entries.push_back(std::move(entry));
    }

    std::thread::id mainThread_ = std::this_thread::get_id();
};

inline std::string page(const std::string& title, const std::string& body)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title + "</title></head>\n<body>" + body +
           "</body></html>\n";
}

inline std::string documentCallError(const std::function<void()>& call)
{
    try {
        call();
    } catch (const DocumentCallError& error) {
        return error.what();
    }
    return "(no error)";
}

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Document calls wait in the application's gated wait.
        application = std::make_unique<framework::Application>(ui::makeQtServices());
        server.start();
        browser = std::make_unique<QtWebBrowser>();
        log.attach(*browser);
    }

    void TearDown() override
    {
        browser.reset();
        server.stop();
        application.reset();
    }

    void serve(const std::string& path, const std::string& html)
    {
        server.handle(path, [html](const HttpRequest&) { return HttpResponse::html(html); });
    }

    // Navigates and waits for the top document's DocumentComplete.
    ::testing::AssertionResult load(const std::string& url)
    {
        return loadWith([&] { browser->Navigate(url); }, url);
    }

    ::testing::AssertionResult loadWith(const std::function<void()>& start, const std::string& completedUrl)
    {
        const int before = log.count("complete " + completedUrl);
        start();
        if (spinUntil([&] { return log.count("complete " + completedUrl) > before; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "no DocumentComplete for " << completedUrl << " within the deadline; events:" << log.text();
    }

    // Runs a script in the page's own world and returns its result.
    QVariant runInPage(const std::string& script)
    {
        auto result = std::make_shared<QVariant>();
        auto done = std::make_shared<bool>(false);
        browser->page()->runJavaScript(QString::fromStdString(script), QWebEngineScript::MainWorld,
                                       [result, done](const QVariant& value) {
                                           *result = value;
                                           *done = true;
                                       });
        EXPECT_TRUE(spinUntil([&] { return *done; })) << "the page did not run: " << script;
        return *result;
    }

    // Waits for the DocumentComplete of a page whose address holds `part`.
    ::testing::AssertionResult waitForCompleteOf(const std::string& part)
    {
        const auto seen = [&] {
            return std::any_of(log.entries.begin(), log.entries.end(), [&](const std::string& entry) {
                return entry.rfind("complete ", 0) == 0 && entry.find(part) != std::string::npos;
            });
        };
        if (spinUntil(seen))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "no DocumentComplete for an address with " << part << "; events:" << log.text();
    }

    // A search page whose form is found by `formAttributes` (id or name).
    std::string searchPage(const std::string& formAttributes, const std::string& action,
                           const std::string& extraFields = "")
    {
        return page("Search", "<form " + formAttributes + " action=\"" + action +
                                  "\" method=\"get\">\n"
                                  "<input type=\"text\" name=\"q\" value=\"\">\n"
                                  "<input type=\"hidden\" name=\"cx\" value=\"site\">\n" +
                                  extraFields + "</form>\n");
    }

    std::unique_ptr<framework::Application> application;
    HttpServer server;
    std::unique_ptr<QtWebBrowser> browser;
    EventLog log;
};

} // namespace browsertest
