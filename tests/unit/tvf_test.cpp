// The tree file format.

#include <gtest/gtest.h>

#include "framework/errors.h"
#include "framework/form.h"
#include "platform/text_codec.h"
#include "sitetree/tvf.h"
#include "temp_dir.h"

using namespace framework;
using testsupport::readRaw;
using testsupport::writeRaw;

namespace {

class TvfTest : public ::testing::Test {
protected:
    Form form{"F"};
    TreeView& tree = form.make<TreeView>("Tree", nullptr);
    testsupport::TempDir dir;

    std::vector<std::string> shape()
    {
        std::vector<std::string> out;
        for (TreeNode* node : tree.allNodes())
            out.push_back(std::to_string(node->level()) + ":" + node->text());
        return out;
    }
};

TEST_F(TvfTest, OneRootWithThreeLeavesSavesAsFourLines)
{
    TreeNode* root = tree.addChild(nullptr, "旅行");
    for (const char* text : {"北海道", "沖縄", "京都"})
        tree.addChild(root, text);
    sitetree::saveTvfFile(tree, dir / "TVFThemaX.tvf");
    EXPECT_EQ(readRaw(dir / "TVFThemaX.tvf"), "旅行\r\n\t北海道\r\n\t沖縄\r\n\t京都\r\n");
}

TEST_F(TvfTest, ReadsLevelsSiblingsAndClimbs)
{
    sitetree::readTvf(tree, {"a", "\tb", " \tc", "\td", "e", "", " f"});
    // A blank counts one level like a TAB; an empty line is an empty
    // top-level node.
    EXPECT_EQ(shape(), (std::vector<std::string>{"0:a", "1:b", "2:c", "1:d", "0:e", "0:", "1:f"}));
}

TEST_F(TvfTest, FirstLineIsAlwaysTopLevel)
{
    sitetree::readTvf(tree, {"\t\tfirst", "\tsecond"});
    EXPECT_EQ(shape(), (std::vector<std::string>{"0:first", "1:second"}));
}

TEST_F(TvfTest, TwoLevelsDeeperFailsAndKeepsWhatWasRead)
{
    writeRaw(dir / "bad.tvf", "top\r\n\t\ttoo deep\r\nnever\r\n");
    try {
        sitetree::loadTvfFile(tree, dir / "bad.tvf");
        FAIL() << "no error";
    } catch (const InvalidLevelError& e) {
        EXPECT_NE(std::string(e.what()).find("Invalid level"), std::string::npos);
    }
    EXPECT_EQ(shape(), std::vector<std::string>{"0:top"});
}

TEST_F(TvfTest, EmptyFileIsAnEmptyTreeAndCp932IsRead)
{
    tree.addChild(nullptr, "old");
    writeRaw(dir / "empty.tvf", "");
    sitetree::loadTvfFile(tree, dir / "empty.tvf");
    EXPECT_EQ(tree.count(), 0);
    // 趣味 and, below it, 映画 in code page 932, with LF line ends.
    writeRaw(dir / "sjis.tvf", "\x8e\xef\x96\xa1\n\t\x89\x66\x89\xe6\n");
    sitetree::loadTvfFile(tree, dir / "sjis.tvf");
    EXPECT_EQ(shape(), (std::vector<std::string>{"0:趣味", "1:映画"}));
}

} // namespace
