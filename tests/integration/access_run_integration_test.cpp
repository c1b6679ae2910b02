// A list run end to end: real QtWebEngine browsers search the product site
// copy served on loopback, one word per tab.

#include "ui/qt_keywords.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "browserctl/qt_web_browser.h"
#include "http_server.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"
#include "ui/qt_services.h"

using testsupport::writeRaw;

namespace {

class AccessRunIntegrationTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        server.start();
        seedFromRepository();
        writeRaw(data() / "0Base.INI", "[Begin]\r\nLanguage=USA\r\nSiteBase=" + server.url("/") + "\r\n[Base]\r\nURL=" +
                                           server.url("/") + "\r\nFormName=cse-search-box\r\nInputName=q\r\n");
        framework::WebBrowserHost::setFactory(
            [](framework::WebBrowserHost&) { return browserctl::makeQtWebBrowser(); });
        // The real browsers answer their document calls through Qt's loop.
        eventPump = std::make_shared<ui::QtEventPump>();
        start();
    }

    // Lets the browsers work for a while of real time.
    static void pump(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(2);
        }
    }

    testsupport::HttpServer server{testsupport::sourceDataFolder() / "site"};
};

TEST_F(AccessRunIntegrationTest, ListRunOfFiveWordsEndsOnEachResultPage)
{
    ASSERT_EQ(FmCpp->SiteURL, server.url("/USA/"));
    FmSys->UpDownTryTime.setPosition(6);
    FmCpp->EditThemas.setText("Weather ");
    const std::vector<std::string> words = {"Tokyo", "Osaka", "Kyoto", "Nara", "Kobe"};
    FmCtrl->ListSuffix = "Edd1";
    FmCtrl->MemoEdd1.setLines(words);
    FmCpp->PMASListClick();

    // One run tick per simulated second; between ticks the browsers load
    // for a quarter of a real second.
    int ticks = 0;
    while (FmCpp->Timer1.enabled() && ticks < 400) {
        scripted.clock->advance(1000);
        pump(250);
        ++ticks;
    }
    ASSERT_FALSE(FmCpp->Timer1.enabled()) << "the run did not end by itself";
    EXPECT_TRUE(scripted.dialogs->errors.empty()) << scripted.dialogs->errors.front();

    const auto& log = FmMemo->MemoLog.lines();
    for (size_t i = 0; i < words.size(); ++i) {
        auto& host = FmCpp->browserHost(0, static_cast<int>(i));
        ASSERT_TRUE(host.created());
        EXPECT_EQ(FmCpp->tabSheet(0, static_cast<int>(i)).caption(), words[i]);
        EXPECT_EQ(host.browser().LocationName(), "Result: Weather " + words[i]);
        EXPECT_NE(host.browser().LocationURL().find("result"), std::string::npos);
        EXPECT_NE(std::find(log.begin(), log.end(), std::to_string(i) + "=Comp"), log.end());
    }
    EXPECT_FALSE(FmCpp->browserHost(0, 5).created());
    EXPECT_NE(std::find(log.begin(), log.end(), "PMPEndClick"), log.end());
    // The run's end fetched the operator file again, naming this site.
    EXPECT_NE(testsupport::readRaw(data() / "UpDate" / "0Operator.INI").find("Base1=" + server.url("/")),
              std::string::npos);
}

TEST_F(AccessRunIntegrationTest, QuickRunOfTwelveWordsInFourTabsEndsOnEveryResultPage)
{
    FmSys->ComboBoxPacing.setText("Quick");
    FmSys->UpDownParallel.setPosition(4);
    FmSys->UpDownHostInterval.setPosition(0);
    FmSys->UpDownTryTime.setPosition(20);
    FmCpp->EditThemas.setText("Weather ");
    std::vector<std::string> words;
    for (int i = 1; i <= 12; ++i)
        words.push_back("w" + std::to_string(i));
    FmCtrl->ListSuffix = "Edd1";
    FmCtrl->MemoEdd1.setLines(words);
    FmCpp->PMASListClick();
    // The quick clock's turns; the pages drive the rest.
    const runs::RunEngine& run = FmCpp->run();
    for (int turns = 0; results::tally(run.record()).done < 12 && turns < 600; ++turns) {
        scripted.clock->advance(100);
        pump(50);
    }
    ASSERT_EQ(results::tally(run.record()).done, 12) << FmMemo->MemoLog.text();
    EXPECT_TRUE(scripted.dialogs->errors.empty());
    for (size_t i = 0; i < words.size(); ++i) {
        auto& host = FmCpp->browserHost(0, static_cast<int>(i));
        EXPECT_EQ(FmCpp->tabSheet(0, static_cast<int>(i)).caption(), words[i]);
        EXPECT_EQ(host.browser().LocationName(), "Result: Weather " + words[i]);
        EXPECT_EQ(run.record().entries[i].links.size(), 3u);
    }
    // The last result page ended the run.
    EXPECT_FALSE(run.running());
}

TEST_F(AccessRunIntegrationTest, AResultPageServedWith429PausesTheRun)
{
    server.handle("/USA/result", [](const testsupport::HttpRequest& request) {
        if (request.param("q").find("busy") == std::string::npos)
            return testsupport::searchResultPage(request);
        testsupport::HttpResponse response = testsupport::HttpResponse::html("<title>Slow down</title>Please wait.");
        response.status = 429;
        return response;
    });
    FmSys->ComboBoxPacing.setText("Quick");
    FmSys->UpDownParallel.setPosition(1);
    FmSys->UpDownHostInterval.setPosition(0);
    FmCpp->EditThemas.setText("Weather ");
    FmCtrl->ListSuffix = "Edd1";
    FmCtrl->MemoEdd1.setLines({"calm", "busy", "later"});
    FmCpp->PMASListClick();
    const runs::RunEngine& run = FmCpp->run();
    for (int turns = 0; !run.paused() && turns < 600; ++turns) {
        scripted.clock->advance(100);
        pump(50);
    }
    ASSERT_TRUE(run.paused());
    EXPECT_EQ(run.blockedEntry(), 1);
    // The word before it is recorded once its page has settled, pause or
    // not.
    for (int turns = 0; run.record().entries[0].state != results::EntryState::Done && turns < 100; ++turns) {
        scripted.clock->advance(100);
        pump(50);
    }
    EXPECT_EQ(run.record().entries[0].state, results::EntryState::Done);
    EXPECT_EQ(run.record().entries[1].state, results::EntryState::Blocked);
    EXPECT_EQ(FmSys->LabelRunState.caption(), "blocked: 2 HTTP 429");
    EXPECT_FALSE(FmCpp->browserHost(0, 2).created());
}

} // namespace
