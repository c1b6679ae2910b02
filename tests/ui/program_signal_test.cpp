// The real program as a separate process, offscreen: a close the system
// asks for (SIGTERM) while a start-up error box is open never waits on the
// box, never saves what was not loaded, and reports failed saves on
// standard error.

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "platform/text_store.h"
#include "program_process.h"
#include "temp_dir.h"

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

} // namespace
