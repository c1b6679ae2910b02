// The distribution copy of the starter data set.

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"

using testsupport::readRaw;
using testsupport::writeRaw;

namespace {

class DistributionTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        writeRaw(data() / "ProgramOperationPC.txt", "");
        writeRaw(data() / "0Base.INI",
                 "[Begin]\r\nDistributionRoot=" + (share.path() / "vantrel120703").string() + "\r\n");
        writeRaw(data() / "Base" / "0Language.txt", "JPN\r\n");
        writeRaw(data() / "JPN" / "Base" / "ListBunch月.INI", "[Data]\r\n");
        writeRaw(data() / "JPN" / "Base" / "Manip.INI", "[Info]\r\n");
        writeRaw(data() / "USA" / "Base" / "TVFThemaHobby.tvf", "Travel\r\n");
        writeRaw(data() / "USA" / "Hlp.INI", "[MMFile]\r\nCaption=File\r\n");
        writeRaw(data() / "vantrel", "program");
        std::filesystem::create_directories(share.path() / "vantrel120703");
        start();
    }
    std::filesystem::path root() const { return share.path() / "vantrel120703"; }
    testsupport::TempDir share;
};

TEST_F(DistributionTest, OneRunPublishesEveryListedFileIncludingStarters)
{
    EXPECT_TRUE(FmMain->find<framework::MenuItem>("MMSHaifu").visible());
    FmMain->MMSHaifuClick();
    EXPECT_TRUE(std::filesystem::is_directory(root() / "UpDate"));
    EXPECT_TRUE(std::filesystem::is_directory(root() / "CHN" / "UpDate"));
    EXPECT_TRUE(std::filesystem::exists(root() / "JPN" / "ListBunch月.INI"));
    EXPECT_TRUE(std::filesystem::exists(root() / "JPN" / "Manip.INI"));
    EXPECT_TRUE(std::filesystem::exists(root() / "USA" / "TVFThemaHobby.tvf"));
    EXPECT_EQ(readRaw(root() / "USA" / "Hlp.INI"), "[MMFile]\r\nCaption=File\r\n");
    EXPECT_TRUE(std::filesystem::exists(root() / "0Language.txt"));
    EXPECT_EQ(readRaw(root() / "vantrel"), "program");
    EXPECT_FALSE(std::filesystem::exists(root() / "USA" / "Manip.INI"));
}

TEST_F(DistributionTest, SecondRunOverwritesNothing)
{
    FmMain->MMSHaifuClick();
    writeRaw(data() / "JPN" / "Base" / "ListBunch月.INI", "[Data]\r\n1,1=changed\r\n");
    writeRaw(root() / "0Language.txt", "kept");
    FmMain->MMSHaifuClick();
    EXPECT_EQ(readRaw(root() / "JPN" / "ListBunch月.INI"), "[Data]\r\n");
    EXPECT_EQ(readRaw(root() / "0Language.txt"), "kept");
}

} // namespace
