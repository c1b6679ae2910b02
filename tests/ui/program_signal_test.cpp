// The real program as a separate process, offscreen: a close the system
// asks for (SIGTERM) while a start-up error box is open never waits on the
// box, never saves what was not loaded, and reports failed saves on
// standard error. And the windows' answer to a signal during a run.

#include "ui/qt_keywords.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app/program.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "platform/text_store.h"
#include "program_process.h"
#include "sitetree/fm_ctrl.h"
#include "temp_dir.h"
#include "ui/quit_signals.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ProgramSignalTest : public ::testing::Test {
protected:
    // A data folder carried over from the Windows program: it lacks the
    // free-site and operation-site lists, whose load reports an error box
    // at start-up.
    void SetUp() override
    {
        fs::copy(testsupport::sourceDataFolder(), data.path(), fs::copy_options::recursive);
        fs::remove_all(data.path() / "site");
        for (const char* name : {"FreeSerchSite.txt", "ManipSite.txt"})
            fs::remove(data.path() / "USA" / name);
        testsupport::writeRaw(data.path() / "0Base.INI", "[Begin]\r\nLanguage=USA\r\n");
        categories = platform::loadLines(data.path() / "USA" / "TVFCategory.txt");
        ASSERT_FALSE(categories.empty());
        platform::IniFile base(data.path() / "USA" / "Base.INI");
        category = base.readString("TVF", "Category", "");
        tree = platform::loadLines(data.path() / "USA" / ("TVFThema" + category + ".tvf"));
        ASSERT_FALSE(tree.empty());
    }

    using Program = testsupport::ProgramProcess;
    Program start(const std::string& registry)
    {
        return Program(testsupport::vantrelBinary(), {"--data-dir", data.path().string()},
                       {"VANTREL_REGISTRY=" + registry});
    }

    void expectListsKept()
    {
        EXPECT_EQ(platform::loadLines(data.path() / "USA" / "TVFCategory.txt"), categories);
        platform::IniFile base(data.path() / "USA" / "Base.INI");
        EXPECT_EQ(base.readString("TVF", "Category", "?"), category);
        EXPECT_EQ(platform::loadLines(data.path() / "USA" / ("TVFThema" + category + ".tvf")), tree);
    }

    testsupport::TempDir data;
    testsupport::TempDir config;
    std::vector<std::string> categories;
    std::string category;
    std::vector<std::string> tree;
};

TEST_F(ProgramSignalTest, SigtermWhileAStartUpBoxIsOpenEndsTheProgramAndKeepsTheLists)
{
    Program program = start((config.path() / "registry.ini").string());
    ASSERT_TRUE(program.waitForError("FreeSerchSite.txt")) << program.errorOutput();
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), 0) << program.errorOutput();
    expectListsKept();
}

TEST_F(ProgramSignalTest, AFailedCloseTimeSaveGoesToStandardErrorAndTheProgramStillEnds)
{
    // The registry cannot be written: its box comes first at start-up, and
    // the family registration at close fails again.
    Program program = start("/proc/vantrel-no-such-folder/registry.ini");
    ASSERT_TRUE(program.waitForError("registry.ini")) << program.errorOutput();
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), 0) << program.errorOutput();
    const std::string& output = program.errorOutput();
    const auto later = output.find("FreeSerchSite.txt");
    ASSERT_NE(later, std::string::npos) << output;
    EXPECT_NE(output.find("registry.ini", later), std::string::npos) << output;
    expectListsKept();
}

// The windows have no way to start a run from outside, so this one runs in
// the test's process, with the handlers the program installs: a signal
// during a run closes the windows as the user does, and the run's records
// so far are saved (the words not done stopped) before the windows save
// theirs.
class WindowsSignalTest : public testsupport::AppFixture {};

TEST_F(WindowsSignalTest, ASignalDuringARunClosesTheWindowsAndSavesTheRunsRecords)
{
    testsupport::writeRaw(data() / "0Base.INI", "[Begin]\r\nSiteBase=http://127.0.0.1:9/\r\n[Base]\r\n"
                                                "URL=http://site.example/\r\nFormName=f\r\nInputName=q\r\n");
    testsupport::writeRaw(data() / "USA" / "Base.INI",
                          "[Set]\r\nTryTime=20\r\nPacing=Quick\r\nParallel=1\r\nHostInterval=0\r\n");
    onBrowserCreated = [](browserctl::ScriptedWebBrowser& b) {
        b.completeAtOnce = true;
        b.settleAtOnce = true;
        b.forms["f"].fields = {"q"};
        b.onSubmit = [](browserctl::ScriptedWebBrowser& browser, const std::string&,
                        browserctl::ScriptedWebBrowser::Form& form) {
            if (form.values["q"] != "never")
                browser.load(browser.url + "result?q=" + form.values["q"], "Result");
        };
    };
    start();
    FmCtrl->ListSuffix = "Edd1";
    FmCtrl->MemoEdd1.setLines({"Tokyo", "never"});
    FmCpp->PMASListClick();
    for (int i = 0; i < 20 && FmCpp->run().record().entries[0].state != results::EntryState::Done; ++i)
        scripted.clock->advance(100);
    ASSERT_EQ(FmCpp->run().record().entries[0].state, results::EntryState::Done);

    const auto signals = ui::closeWindowsOnSignals(*application);
    ::raise(SIGHUP);
    for (int i = 0; i < 200 && !application->terminated(); ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    ASSERT_TRUE(application->terminated());
    application->destroyForms();
    vantrel::forgetForms();

    std::vector<fs::path> saved;
    for (const auto& entry : fs::directory_iterator(data() / "Results"))
        if (entry.path().extension() == ".csv")
            saved.push_back(entry.path());
    ASSERT_EQ(saved.size(), 1u);
    const std::string csv = testsupport::readRaw(saved[0]);
    EXPECT_NE(csv.find("1,Tokyo,Tokyo,done,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("2,never,never,stopped,"), std::string::npos) << csv;
}

} // namespace
