// The browsers' shared profile with the real engine: what it keeps across a
// restart, what private browsing forgets, clearing, and downloads.

#include "browserctl/qt_web_browser.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEngineProfile>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/application.h"
#include "http_server.h"
#include "temp_dir.h"
#include "ui/qt_services.h"

using testsupport::HttpRequest;
using testsupport::HttpResponse;

namespace {

bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    poll.start(10);
    if (!done())
        loop.exec();
    return done();
}

class BrowserProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application = std::make_unique<framework::Application>(ui::makeQtServices());
        // A session cookie, the kind most logins use: only a profile that
        // keeps them on disk brings it back after a restart.
        server.handle("/login", [](const HttpRequest&) {
            HttpResponse response = HttpResponse::html("<html><head><title>In</title></head><body>in</body></html>");
            response.headers.emplace_back("Set-Cookie", "session=abc123; Path=/");
            return response;
        });
        server.handle("/check", [this](const HttpRequest& request) {
            std::lock_guard lock(mutex);
            cookies.push_back(request.header("cookie"));
            return HttpResponse::html("<html><head><title>Check</title></head><body>check</body></html>");
        });
        server.handle("/report", [](const HttpRequest&) {
            HttpResponse response;
            response.contentType = "application/octet-stream";
            response.body = "report bytes";
            response.headers.emplace_back("Content-Disposition", "attachment; filename=\"../report.bin\"");
            return response;
        });
        server.start();
    }

    void TearDown() override
    {
        browser.reset();
        browserctl::closeBrowserProfile();
        browserctl::configureBrowserProfile({});
        server.stop();
        application.reset();
    }

    // A fresh profile object on the same folder, as at a start of the program.
    void restart(bool privateBrowsing, bool refuseDownloads = false)
    {
        browser.reset();
        browserctl::closeBrowserProfile();
        browserctl::BrowserProfileSettings settings;
        settings.storageFolder = (folder / "Browser").string();
        settings.privateBrowsing = privateBrowsing;
        settings.downloadFolder = (folder / "Downloads").string();
        settings.refuseDownloads = refuseDownloads;
        settings.onDownload = [this](const std::string& line) { downloadLog.push_back(line); };
        browserctl::configureBrowserProfile(std::move(settings));
        browser = std::make_unique<browserctl::QtWebBrowser>();
    }

    ::testing::AssertionResult visit(const std::string& path,
                                     std::chrono::milliseconds limit = std::chrono::seconds(30))
    {
        const std::string url = server.url(path);
        bool complete = false;
        const int connection = browser->DocumentComplete.connect([&](const std::string& done) {
            if (done == url)
                complete = true;
        });
        browser->Navigate(url);
        const bool ok = spinUntil([&] { return complete; }, limit);
        browser->DocumentComplete.disconnect(connection);
        if (ok)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no DocumentComplete for " << url;
    }

    std::string lastCookie()
    {
        std::lock_guard lock(mutex);
        return cookies.empty() ? "(no request)" : cookies.back();
    }

    std::unique_ptr<framework::Application> application;
    testsupport::HttpServer server;
    testsupport::TempDir folder;
    std::unique_ptr<browserctl::QtWebBrowser> browser;
    std::mutex mutex;
    std::vector<std::string> cookies;
    std::vector<std::string> downloadLog;
};

// Across a real restart of the program: batch_run_integration_test.
TEST_F(BrowserProfileTest, ANewBrowserSendsTheKeptLoginAndAPrivateProfileNeither)
{
    restart(false);
    ASSERT_TRUE(visit("/login"));
    browser = std::make_unique<browserctl::QtWebBrowser>();
    ASSERT_TRUE(visit("/check"));
    EXPECT_EQ(lastCookie(), "session=abc123");

    restart(true);
    ASSERT_TRUE(visit("/check"));
    EXPECT_EQ(lastCookie(), "");
}

TEST_F(BrowserProfileTest, ClearingForgetsTheKeptLogin)
{
    restart(false);
    ASSERT_TRUE(visit("/login"));
    ASSERT_TRUE(browserctl::clearBrowsingData());
    // The cookie store clears on its own thread: a later request shows it.
    // (One visit after the other: a visit started from inside another's
    // wait would navigate the page away under it.) A load that meets the
    // cache being cleared can stall in the engine; the next one goes through.
    bool forgotten = false;
    for (int attempt = 0; attempt < 50 && !forgotten; ++attempt) {
        if (visit("/check", std::chrono::seconds(3)))
            forgotten = lastCookie().empty();
    }
    EXPECT_TRUE(forgotten) << lastCookie();
}

TEST_F(BrowserProfileTest, DownloadLandsInTheDownloadFolderUnderItsOwnNameAndIsLogged)
{
    restart(false);
    std::filesystem::create_directories(folder / "Downloads");
    testsupport::writeRaw(folder / "Downloads" / "report.bin", "older file");
    browser->Navigate(server.url("/report"));
    ASSERT_TRUE(spinUntil([&] { return downloadLog.size() >= 2; }));

    const std::filesystem::path saved = folder / "Downloads" / "report (2).bin";
    EXPECT_EQ(testsupport::readRaw(saved), "report bytes");
    // The file that was there is untouched, and nothing lands outside.
    EXPECT_EQ(testsupport::readRaw(folder / "Downloads" / "report.bin"), "older file");
    EXPECT_FALSE(std::filesystem::exists(folder / "report.bin"));
    ASSERT_EQ(downloadLog.size(), 2u);
    EXPECT_NE(downloadLog[0].find("Download: " + server.url("/report")), std::string::npos) << downloadLog[0];
    EXPECT_EQ(downloadLog[1], "Download finished: " + saved.string());
}

TEST_F(BrowserProfileTest, RefusedDownloadFailsTheBrowserItCameToAndWritesNothing)
{
    restart(false, true);
    browserctl::QtWebBrowser bystander;
    std::vector<browserctl::PageFailure> failures;
    int bystanderFailures = 0;
    browser->PageFailed.connect([&](const browserctl::PageFailure& failure) { failures.push_back(failure); });
    bystander.PageFailed.connect([&](const browserctl::PageFailure&) { ++bystanderFailures; });
    bystander.Navigate(server.url("/check"));
    browser->Navigate(server.url("/report"));

    ASSERT_TRUE(spinUntil([&] { return !failures.empty() && bystander.LocationName() == "Check"; }));
    EXPECT_EQ(failures[0].address, server.url("/report"));
    EXPECT_EQ(failures[0].reason, "the page is a download");
    EXPECT_EQ(browser->loadError(), "the page is a download");
    EXPECT_EQ(bystanderFailures, 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "Downloads"));
    EXPECT_EQ(downloadLog, std::vector<std::string>{"Download refused: " + server.url("/report")});
}

TEST_F(BrowserProfileTest, DownloadsOfOneNameAtOnceGetAFileEach)
{
    restart(false);
    std::vector<std::unique_ptr<browserctl::QtWebBrowser>> tabs;
    int failures = 0;
    for (int i = 0; i < 4; ++i) {
        tabs.push_back(std::make_unique<browserctl::QtWebBrowser>());
        tabs.back()->PageFailed.connect([&](const browserctl::PageFailure&) { ++failures; });
    }
    for (auto& tab : tabs)
        tab->Navigate(server.url("/report"));

    ASSERT_TRUE(spinUntil([&] {
        return std::count_if(downloadLog.begin(), downloadLog.end(),
                             [](const std::string& line) { return line.rfind("Download finished", 0) == 0; }) == 4;
    }));
    for (const char* name : {"report.bin", "report (2).bin", "report (3).bin", "report (4).bin"})
        EXPECT_EQ(testsupport::readRaw(folder / "Downloads" / name), "report bytes") << name;
    // Each tab's page became a download.
    EXPECT_TRUE(spinUntil([&] { return failures == 4; })) << failures;
}

TEST_F(BrowserProfileTest, ARelativeStorageFolderIsTakenFromTheCurrentFolder)
{
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    browserctl::BrowserProfileSettings settings;
    settings.storageFolder = "data/Browser";
    browserctl::configureBrowserProfile(std::move(settings));
    std::filesystem::current_path(saved);

    browser = std::make_unique<browserctl::QtWebBrowser>();
    EXPECT_EQ(browserctl::browserProfile()->persistentStoragePath().toStdString(),
              (folder.path() / "data" / "Browser" / "storage").string());
}

} // namespace
