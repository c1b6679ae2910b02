// Update and join downloads against a site served on loopback.

#include <gtest/gtest.h>

#include <mutex>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "http_server.h"
#include "memo/fm_memo.h"
#include "platform/text_codec.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;
using testsupport::readRaw;
using testsupport::writeRaw;

namespace {

class DownloadsTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        writeRaw(site.path() / "USA" / "UpDate" / "TVFThemaHobby.tvf", "Hobby\n\tChess\n\tGo");
        writeRaw(site.path() / "USA" / "UpDate" / "ListBunchDays.INI", "[Data]\n1,1=Monday\n0,1=[y]\n");
        writeRaw(site.path() / "UpDate" / "0Operator.INI", "[ConnectSite]\r\nMax=1\r\n");
        server.start();
        writeRaw(site.path() / "USA" / "UpDate" / "Joint.INI",
                 "[Info]\r\nMax=3\r\n[UD1]\r\nName=Hobby\r\nEpl=Games\r\nURL=" +
                     server.url("/USA/UpDate/TVFThemaHobby.tvf") +
                     "\r\nPath=\\TVFThemaHobby.tvf\r\n[UD2]\r\nName=Days\r\nURL=" +
                     server.url("/USA/UpDate/ListBunchDays.INI") +
                     "\r\nPath=\\ListBunchDays.INI\r\n[UD3]\r\nName=Gone\r\n"
                     "URL=" +
                     server.url("/missing.tvf") + "\r\nPath=\\..\\..\\outside.tvf\r\n");
        writeRaw(data() / "0Base.INI", "[Begin]\r\nSiteBase=" + server.url("/") + "\r\n");
        writeRaw(data() / "USA" / "TVFCategory.txt", "Hobby\r\n");
        start();
    }
    void select(int position)
    {
        FmCtrl->UpDownUpDateSele.setPosition(position);
        FmCtrl->UpDownUpDateSele.step(UpDownButton::Up);
    }
    testsupport::TempDir site;
    testsupport::HttpServer server{site.path()};
};

TEST_F(DownloadsTest, UpdateFetchesTheIndexAndTheOperatorFile)
{
    FmCtrl->ToolButtonUpDataClick();
    EXPECT_EQ(FmCtrl->UpdateMax, 3);
    EXPECT_EQ(FmCtrl->UpdateEpl[2], "");
    EXPECT_EQ(FmCtrl->UpdateName[2], "Days");
    EXPECT_EQ(readRaw(data() / "UpDate" / "0Operator.INI"), "[ConnectSite]\r\nMax=1\r\n");
    EXPECT_TRUE(std::filesystem::exists(data() / "USA" / "UpDate" / "Joint.INI"));
    const auto& log = FmMemo->MemoLog.lines();
    EXPECT_NE(std::find(log.begin(), log.end(), "HTTP_Connect 接続確立"), log.end());
    EXPECT_EQ(FmMemo->MemoSource.lineCount(), 0);
}

TEST_F(DownloadsTest, SteppingShowsTheEntryOfThePositionBeforeTheStep)
{
    FmCtrl->ToolButtonUpDataClick();
    select(1);
    EXPECT_EQ(FmCtrl->LabelUpDateName.caption(), "Hobby");
    EXPECT_EQ(FmCtrl->LabelUpDateEpl.caption(), "Games");
    EXPECT_FALSE(FmCtrl->RadioButtonUpDataUMu.checked());
    FmCtrl->UpDownUpDateSele.step(UpDownButton::Up);
    EXPECT_EQ(FmCtrl->LabelUpDateName.caption(), "Days");
}

TEST_F(DownloadsTest, DownloadingATreeRegistersItOnceAndShowsIt)
{
    FmCtrl->ToolButtonUpDataClick();
    select(1);
    FmCtrl->ToolButtonUpDataDownLoadClick();
    FmCtrl->ToolButtonUpDataDownLoadClick();
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.items(), std::vector<std::string>{"Hobby"});
    // A body without a final line end is saved with one.
    EXPECT_EQ(readRaw(data() / "USA" / "TVFThemaHobby.tvf"), "Hobby\r\n\tChess\r\n\tGo\r\n");
    EXPECT_EQ(FmCtrl->TreeViewEdd1.root(0)->child(1)->text(), "Go");
    EXPECT_EQ(scripted.sound->beeps.size(), 2u);

    select(2);
    FmCtrl->ToolButtonUpDataDownLoadClick();
    EXPECT_NE(FmCtrl->ComboBoxBunch.indexOf("Days"), -1);
    EXPECT_EQ(FmCtrl->StringGridBunch.cell(1, 1), "Monday");
}

TEST_F(DownloadsTest, AnEntryPathOutsideTheLanguageFolderIsRefused)
{
    FmCtrl->ToolButtonUpDataClick();
    select(3);
    EXPECT_FALSE(application->dispatch([] { FmCtrl->ToolButtonUpDataDownLoadClick(); }));
    EXPECT_FALSE(std::filesystem::exists(data().parent_path() / "outside.tvf"));
}

TEST_F(DownloadsTest, FailedReplyKeepsTheLocalFile)
{
    writeRaw(data() / "UpDate" / "0Operator.INI", "old");
    std::filesystem::remove(site.path() / "UpDate" / "0Operator.INI");
    EXPECT_FALSE(application->dispatch([] { FmCtrl->PMJoinAOperatorClick(); }));
    EXPECT_EQ(readRaw(data() / "UpDate" / "0Operator.INI"), "old");
    EXPECT_NE(scripted.dialogs->errors.back().find("404"), std::string::npos);
}

TEST_F(DownloadsTest, RepliesThatAreNotTextKeepTheLocalFileAndSayWhichAndWhy)
{
    FmCtrl->ToolButtonUpDataClick();
    writeRaw(data() / "USA" / "TVFThemaHobby.tvf", "Mine\r\n");
    writeRaw(site.path() / "USA" / "UpDate" / "TVFThemaHobby.tvf", std::string("Hobby\0\0", 7));
    select(1);
    ASSERT_FALSE(application->dispatch([] { FmCtrl->ToolButtonUpDataDownLoadClick(); }));
    EXPECT_EQ(readRaw(data() / "USA" / "TVFThemaHobby.tvf"), "Mine\r\n");
    EXPECT_NE(scripted.dialogs->errors.back().find("TVFThemaHobby.tvf"), std::string::npos);
    EXPECT_EQ(FmMemo->MemoSource.lineCount(), 0);

    writeRaw(data() / "UpDate" / "0Operator.INI", "old");
    const std::pair<std::string, std::string> replies[] = {{"", "empty"},
                                                           {std::string("[ConnectSite]\0", 14), "NUL"},
                                                           {"[A]\r\n\xFF\xFF\xFF", "neither UTF-8 nor code page 932"}};
    for (const auto& [body, reason] : replies) {
        writeRaw(site.path() / "UpDate" / "0Operator.INI", body);
        ASSERT_FALSE(application->dispatch([] { FmCtrl->PMJoinAOperatorClick(); })) << reason;
        EXPECT_EQ(readRaw(data() / "UpDate" / "0Operator.INI"), "old");
        const std::string error = scripted.dialogs->errors.back();
        EXPECT_NE(error.find((data() / "UpDate" / "0Operator.INI").string()), std::string::npos) << error;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

// An update file may move on the product site; a reply that sends the
// download to another host (another name, or another service on another
// port) must not become a data file.
TEST_F(DownloadsTest, RedirectsAreFollowedOnTheProductSiteOnly)
{
    testsupport::TempDir elsewhere;
    writeRaw(elsewhere.path() / "0Operator.INI", "[ConnectSite]\r\nBase1=http://evil.example/\r\n");
    writeRaw(site.path() / "UpDate" / "moved.INI", "[ConnectSite]\r\nMax=2\r\n");
    testsupport::HttpServer other{elsewhere.path()};
    other.start();
    std::mutex mutex;
    std::string location;
    std::filesystem::remove(site.path() / "UpDate" / "0Operator.INI");
    server.handle("/UpDate/0Operator.INI", [&](const testsupport::HttpRequest&) {
        std::lock_guard lock(mutex);
        return testsupport::HttpResponse::redirect(location);
    });
    const auto redirectTo = [&](const std::string& to) {
        std::lock_guard lock(mutex);
        location = to;
    };
    const std::string siteHost = "127.0.0.1:" + std::to_string(server.port());
    writeRaw(data() / "UpDate" / "0Operator.INI", "old");
    const std::pair<std::string, std::string> refused[] = {
        {other.url("/0Operator.INI"), "127.0.0.1:" + std::to_string(other.port())},
        {"http://localhost:" + std::to_string(server.port()) + "/UpDate/moved.INI",
         "localhost:" + std::to_string(server.port())},
        {"ftp://" + siteHost + "/UpDate/moved.INI", siteHost}};
    for (const auto& [to, host] : refused) {
        redirectTo(to);
        ASSERT_FALSE(application->dispatch([] { FmCtrl->PMJoinAOperatorClick(); })) << to;
        EXPECT_EQ(readRaw(data() / "UpDate" / "0Operator.INI"), "old");
        const std::string error = scripted.dialogs->errors.back();
        EXPECT_NE(error.find("on host \"" + host + "\", not on the product site's host \"" + siteHost + "\""),
                  std::string::npos)
            << error;
        EXPECT_NE(error.find("0Operator.INI\" stays as it was"), std::string::npos) << error;
    }
    EXPECT_EQ(other.hits("/0Operator.INI"), 0);

    // On the site itself, by address or by path, the moved file comes.
    for (const std::string& to : {server.url("/UpDate/moved.INI"), std::string("/UpDate/moved.INI")}) {
        writeRaw(data() / "UpDate" / "0Operator.INI", "old");
        redirectTo(to);
        FmCtrl->PMJoinAOperatorClick();
        EXPECT_EQ(readRaw(data() / "UpDate" / "0Operator.INI"), "[ConnectSite]\r\nMax=2\r\n") << to;
    }
    other.stop();
}

TEST_F(DownloadsTest, Cp932ReplyArrivesAsUtf8InTheMemoAndTheFile)
{
    // "都道府県" and half-width "ｶﾀｶﾅ" in code page 932.
    const std::string prefectures = "\x93\x73\x93\xB9\x95\x7B\x8C\xA7";
    const std::string katakana = "\xB6\xC0\xB6\xC5";
    writeRaw(site.path() / "USA" / "UpDate" / "TVFThemaHobby.tvf", prefectures + "\r\n\t" + katakana);
    FmCtrl->ToolButtonUpDataClick();
    select(1);
    FmCtrl->ToolButtonUpDataDownLoadClick();
    EXPECT_EQ(FmMemo->MemoSource.lines(), (std::vector<std::string>{"都道府県", "\tｶﾀｶﾅ"}));
    EXPECT_EQ(readRaw(data() / "USA" / "TVFThemaHobby.tvf"), "都道府県\r\n\tｶﾀｶﾅ\r\n");
    EXPECT_EQ(FmCtrl->TreeViewEdd1.root(0)->text(), "都道府県");

    // A folder kept in code page 932 stores it as such.
    platform::setWriteCodePage(platform::CodePage::Cp932);
    FmCtrl->ToolButtonUpDataDownLoadClick();
    EXPECT_EQ(readRaw(data() / "USA" / "TVFThemaHobby.tvf"), prefectures + "\r\n\t" + katakana + "\r\n");
}

TEST_F(DownloadsTest, HttpTestPageShowsTheReplyParts)
{
    FmMain->ComboBoxURL.setText(server.url("/UpDate/0Operator.INI"));
    FmSys->ComboBoxHttp1Parameter.setItemIndex(0);
    FmSys->ComboBoxHttp1ParameterChange();
    EXPECT_EQ(FmMemo->MemoSource.lines(), (std::vector<std::string>{"[ConnectSite]", "Max=1"}));
    FmSys->ComboBoxHttp1Parameter.setItemIndex(1);
    FmSys->ComboBoxHttp1ParameterChange();
    const auto& log = FmMemo->MemoLog.lines();
    EXPECT_NE(
        std::find_if(log.begin(), log.end(), [](const std::string& line) { return line.rfind("HTTP/1.", 0) == 0; }),
        log.end());
}

} // namespace
