// The document editor's text operations and the replacement tables.

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "docedit/fm_doc_edi.h"
#include "docedit/text_map.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"

using namespace framework;
using testsupport::readRaw;
using testsupport::writeRaw;

namespace {

TEST(TextMapTest, WidthsCaseAndKana)
{
    EXPECT_EQ(docedit::toFullWidth("Ab 1"), "Ａｂ　１");
    EXPECT_EQ(docedit::toHalfWidth("Ａｂ　１"), "Ab 1");
    EXPECT_EQ(docedit::toFullWidth("ｶﾞｷﾞﾊﾟｳﾞ"), "ガギパヴ");
    EXPECT_EQ(docedit::toHalfWidth("ガパヴ"), "ｶﾞﾊﾟｳﾞ");
    EXPECT_EQ(docedit::halfKatakanaToFull("abcｶﾞﾀｶﾅ｡"), "abcガタカナ。");
    EXPECT_EQ(docedit::toUpperCase("abcｘ"), "ABCＸ");
    EXPECT_EQ(docedit::toLowerCase("ABCＸ"), "abcｘ");
    EXPECT_EQ(docedit::toHiragana("カタカナ"), "かたかな");
    EXPECT_EQ(docedit::toKatakana("ひらがな"), "ヒラガナ");
}

class DocumentEditorTest : public testsupport::AppFixture {
protected:
    void SetUp() override { start(); }
    void run(const std::string& path, const std::vector<std::string>& input, const std::string& blue = "",
             const std::string& red = "")
    {
        FmDocEdi->OperationPath = path;
        FmDocEdi->MemoBlue.setText(blue);
        FmDocEdi->MemoRed.setText(red);
        FmMemo->MemoSource.setLines(input);
        FmDocEdi->MMSEditTRunClick();
    }
    std::vector<std::string> output() { return FmMemo->MemoLog.lines(); }
};

TEST_F(DocumentEditorTest, MissingTreeFileIsCreatedFromTheDefaultTree)
{
    const std::string saved = readRaw(data() / "USA" / "TVFEdit.tvf");
    EXPECT_EQ(saved.rfind("文字\r\n\t変換\r\n\t\t青文字を赤文字に変換(C1-1)\r\n", 0), 0u);
    EXPECT_GT(FmDocEdi->TreeViewMoji.count(), 40);
}

TEST_F(DocumentEditorTest, ClickingAThirdLevelNodeChoosesItsPath)
{
    auto& tree = FmDocEdi->TreeViewMoji;
    TreeNode* leaf = tree.root(1)->child(2)->child(1);
    tree.setSelected(leaf);
    FmDocEdi->TreeViewMojiClick();
    EXPECT_EQ(FmDocEdi->OperationPath, "行>移動>上下入れ替え(L3-2)");
    EXPECT_TRUE(FmDocEdi->ToolButtonChang.visible());
    tree.setSelected(tree.root(0)->child(0));
    FmDocEdi->TreeViewMojiClick();
    EXPECT_EQ(FmDocEdi->OperationPath, "行>移動>上下入れ替え(L3-2)");
    EXPECT_FALSE(FmDocEdi->ToolButtonChang.visible());
    EXPECT_EQ(tree.nodeFontColor(*tree.root(0)->child(0)->child(0)), 0x0000FF);
}

TEST_F(DocumentEditorTest, EnterOrADoubleClickOnAnOperationRunsIt)
{
    auto& tree = FmDocEdi->TreeViewMoji;
    FmMemo->MemoSource.setLines({"a", "b"});
    tree.setSelected(tree.root(1)->child(2)->child(1)); // 上下入れ替え(L3-2)
    KeyEvent enter{13, false, false};
    FmDocEdi->TreeViewMoji.onKeyDown(enter);
    EXPECT_EQ(enter.key, 0);
    EXPECT_EQ(output(), (std::vector<std::string>{"b", "a"}));
    // A group is no operation: nothing runs, the key goes on.
    FmMemo->MemoLog.clear();
    tree.setSelected(tree.root(1)->child(2));
    enter.key = 13;
    FmDocEdi->TreeViewMoji.onKeyDown(enter);
    EXPECT_EQ(enter.key, 13);
    FmDocEdi->TreeViewMoji.onDblClick();
    EXPECT_TRUE(output().empty());
    tree.setSelected(tree.root(0)->child(2)->child(3)); // 半角数字(C3-4)
    FmMemo->MemoSource.setLines({"a1b2"});
    FmDocEdi->TreeViewMoji.onDblClick();
    EXPECT_EQ(output(), (std::vector<std::string>{"ab"}));
}

TEST_F(DocumentEditorTest, TheBuiltInTreeSpeaksTheUsersLanguageAndAnEditedOneStays)
{
    closeProgram();
    writeRaw(data() / "USA" / "Hlp.INI",
             "[TreeViewMoji]\r\nCharacters=Characters\r\nCharactersConvert=Convert\r\n"
             "C1-1=Replace Blue with Red\r\nC3-1=Blue text\r\nBlueWord=Blue\r\nRedWord=Red\r\n");
    // The tree file the first start wrote in Japanese is the built-in tree.
    start();
    auto& tree = FmDocEdi->TreeViewMoji;
    EXPECT_EQ(tree.root(0)->text(), "Characters");
    const TreeNode* replace = tree.root(0)->child(0)->child(0);
    EXPECT_EQ(replace->text(), "Replace Blue with Red(C1-1)");
    EXPECT_EQ(tree.nodeFontColor(*replace), 0x0000FF);
    EXPECT_EQ(tree.nodeFontColor(*tree.root(0)->child(2)->child(0)), 0xFF0000);
    EXPECT_EQ(readRaw(data() / "USA" / "TVFEdit.tvf").rfind("Characters\r\n\tConvert\r\n", 0), 0u);
    closeProgram();

    writeRaw(data() / "USA" / "TVFEdit.tvf", "Mine\r\n\tGroup\r\n\t\tSwap(L3-2)\r\n");
    start();
    EXPECT_EQ(FmDocEdi->TreeViewMoji.root(0)->text(), "Mine");
}

TEST_F(DocumentEditorTest, PathWithoutACodeOnlyClearsTheLog)
{
    FmMemo->MemoLog.setLines({"old"});
    run("文字>変換>なし", {"a", "b"});
    EXPECT_TRUE(output().empty());
}

TEST_F(DocumentEditorTest, LineOperations)
{
    run("(L3-2)", {"a", "b", "c", "d"});
    EXPECT_EQ(output(), (std::vector<std::string>{"b", "a", "d", "c"}));
    run("(L3-2)", {"a", "b", "c"});
    EXPECT_EQ(output(), (std::vector<std::string>{"b", "a", "c"}));
    run("(L4-5)", {"a", "b", "a", "c"});
    EXPECT_EQ(output(), (std::vector<std::string>{"a", "b", "c"}));
    // A line another operation wrote counts as seen; the pair swap inserts
    // between the lines another operation wrote.
    run("(L4-4)(L4-5)", {"  a", "a"});
    EXPECT_EQ(output(), (std::vector<std::string>{"a", "  a", "a"}));
    run("(L3-1)(L3-2)", {"a", "b", "c", "d"});
    EXPECT_EQ(output(), (std::vector<std::string>{"b", "a", "d", "a", "b", "c", "c", "d"}));
    run("(L4-1)", {"x1", "y", "x2"}, "x");
    EXPECT_EQ(output(), std::vector<std::string>{"y"});
    run("(L4-3)", {"a", "", "b"});
    EXPECT_EQ(output(), (std::vector<std::string>{"a", "b"}));
    run("(L4-4)", {"  a b \t"});
    EXPECT_EQ(output(), std::vector<std::string>{"a b"});
    run("(L3-3)", {"name", "=value", "other"}, "=");
    EXPECT_EQ(output(), (std::vector<std::string>{"name=value", "other"}));
    run("(L1-1)", {"a,b"}, ",");
    EXPECT_EQ(output(), (std::vector<std::string>{"a,", "b"}));
}

TEST_F(DocumentEditorTest, CharacterOperations)
{
    run("(C3-4)", {"ab12c3"});
    EXPECT_EQ(output(), std::vector<std::string>{"abc"});
    run("(C1-1)", {"one two one"}, "one", "1");
    EXPECT_EQ(output(), std::vector<std::string>{"1 two 1"});
    run("(C4-1)", {"<b>bold</b>", "plain"}, "<b>", "</b>");
    EXPECT_EQ(output(), std::vector<std::string>{"bold"});
    run("(C3-2)", {"key=value", "none"}, "=");
    EXPECT_EQ(output(), (std::vector<std::string>{"key", "none"}));
    run("(C5-2)", {"key=value"}, "=");
    EXPECT_EQ(output(), std::vector<std::string>{"keyvalue="});
    run("(C2-3)", {"x", ""}, "[", "]");
    EXPECT_EQ(output(), std::vector<std::string>{"[x]"});
}

class ReplacementTableTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        writeRaw(data() / "USA" / "Chang.txt", "Count\r\nLinguistics\r\n");
        writeRaw(data() / "USA" / "Base.INI", "[Chang]\r\nCategory=Count\r\n");
        writeRaw(data() / "USA" / "CngCount.INI", "[Info]\r\nColMax=3\r\nRowMax=3\r\n[Data]\r\n1,0=Base\r\n"
                                                  "2,0=Next\r\n0,1=[y]\r\n1,1=x\r\n2,1=y\r\n0,2=[y]\r\n1,2=y\r\n"
                                                  "2,2=z\r\n");
        start();
    }
    StringGrid& grid() { return FmDocEdi->StringGridChang; }
};

TEST_F(ReplacementTableTest, CreationReadsTheChosenTable)
{
    EXPECT_EQ(FmDocEdi->TableCols, 3);
    EXPECT_EQ(FmDocEdi->TableRows, 3);
    EXPECT_EQ(grid().cell(2, 2), "z");
    EXPECT_EQ(FmDocEdi->ComboBoxWCCpy.items(), (std::vector<std::string>{"Base", "Next"}));
    EXPECT_TRUE(scripted.dialogs->messages.empty());
}

TEST_F(ReplacementTableTest, RunChainsTheRows)
{
    FmDocEdi->ComboBoxWCCpy.setItemIndex(0);
    FmDocEdi->ComboBoxWCCpyChange();
    FmDocEdi->ComboBoxWCPst.setItemIndex(1);
    FmDocEdi->ComboBoxWCPstChange();
    EXPECT_EQ(FmDocEdi->LabelWCCpyNum.caption(), "1");
    EXPECT_EQ(FmDocEdi->LabelWCPstNum.caption(), "2");
    EXPECT_EQ(FmDocEdi->MemoBlue.text(), "Base\r\n");
    FmMemo->MemoSource.setLines({"x and x"});
    FmDocEdi->MMSChangToolRunClick();
    EXPECT_EQ(FmMemo->MemoSource.lines(), std::vector<std::string>{"z and z"});
}

TEST_F(ReplacementTableTest, MarksSaveAndMissingTables)
{
    MouseEvent e;
    e.x = 5;
    e.y = 17 + 5;
    FmDocEdi->StringGridChangMouseDown(e);
    EXPECT_EQ(grid().cell(0, 1), " _ ");
    FmDocEdi->StringGridChangMouseDown(e);
    EXPECT_EQ(grid().cell(0, 1), "[y]");
    FmDocEdi->MMSChangTRowAddClick();
    grid().setCell(1, 3, "new");
    grid().setCell(0, 3, "");
    FmDocEdi->MMSChangTSaveClick();
    platform::IniFile table(data() / "USA" / "CngCount.INI");
    EXPECT_EQ(table.readInteger("Info", "RowMax", 0), 4);
    EXPECT_EQ(table.readString("Data", "1,3", "?"), "?");
    FmDocEdi->ComboBoxChang.setText("Ling");
    FmDocEdi->MMSChangCFSaveClick();
    EXPECT_EQ(readRaw(data() / "USA" / "Chang.txt"), "Count\r\nLinguistics\r\n");
    FmDocEdi->ComboBoxChang.setText("Missing");
    FmDocEdi->ComboBoxChangClick();
    EXPECT_EQ(scripted.dialogs->messages, std::vector<std::string>{" file no find"});
}

TEST_F(ReplacementTableTest, TableWithOnlyInfoGivesEmptyCells)
{
    writeRaw(data() / "USA" / "CngEmpty.INI", "[Info]\r\nColMax=4\r\nRowMax=5\r\n");
    FmDocEdi->ComboBoxChang.setText("Empty");
    FmDocEdi->MMSChangSFReadClick();
    EXPECT_EQ(grid().colCount(), 4);
    EXPECT_EQ(grid().rowCount(), 5);
    EXPECT_EQ(grid().cell(1, 1), "");
}

} // namespace
