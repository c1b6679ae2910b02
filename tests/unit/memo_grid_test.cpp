// The memo workspace's grid commands driving the other windows' tables.

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "docedit/fm_doc_edi.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "sitetree/fm_ctrl.h"

using framework::StringGrid;

namespace {

class MemoGridTest : public testsupport::AppFixture {
protected:
    void SetUp() override { start(); }

    // Fills a grid: rows[r][c]; the grid takes their size.
    static void fill(StringGrid& grid, const std::vector<std::vector<std::string>>& rows)
    {
        grid.setRowCount(static_cast<int>(rows.size()));
        grid.setColCount(static_cast<int>(rows.front().size()));
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c)
                grid.setCell(static_cast<int>(c), static_cast<int>(r), rows[r][c]);
    }
    static std::vector<std::vector<std::string>> contents(const StringGrid& grid)
    {
        std::vector<std::vector<std::string>> rows(static_cast<size_t>(grid.rowCount()));
        for (int r = 0; r < grid.rowCount(); ++r)
            for (int c = 0; c < grid.colCount(); ++c)
                rows[static_cast<size_t>(r)].push_back(grid.cell(c, r));
        return rows;
    }
    // The calling sequence the target windows use.
    void rowCommand(const std::string& target, int row, bool insert)
    {
        FmMemo->GridTarget = target;
        FmMemo->TargetRow = row;
        FmMemo->showPage(FmMemo->TabSheetMGrid);
        FmMemo->MMSSSSynchroClick();
        FmMemo->MMSSSClearClick();
        if (insert)
            FmMemo->MMSSDRowInsertClick();
        else
            FmMemo->MMSSDRowDeleteClick();
        FmMemo->MMSSDReturnClick();
    }
    void colCommand(int col, bool insert)
    {
        FmMemo->GridTarget = "Chang";
        FmMemo->TargetCol = col;
        FmMemo->MMSSSSynchroClick();
        FmMemo->MMSSSClearClick();
        if (insert)
            FmMemo->MMSSDColInsertClick();
        else
            FmMemo->MMSSDColDeleteClick();
        FmMemo->MMSSDReturnClick();
    }
};

TEST_F(MemoGridTest, RowInsertAtRowOneOfAWordListKeepsEveryRow)
{
    StringGrid& bunch = FmCtrl->StringGridBunch;
    fill(bunch, {{"C", "Word"}, {"[y]", "春"}, {" _ ", "夏"}, {"[y]", "秋"}});
    rowCommand("Bunch", 1, true);
    EXPECT_EQ(contents(bunch), (std::vector<std::vector<std::string>>{
                                   {"C", "Word"}, {"[y]", "0"}, {"[y]", "春"}, {" _ ", "夏"}, {"[y]", "秋"}}));
    EXPECT_EQ(FmCtrl->BunchRowCount, 5);
}

TEST_F(MemoGridTest, RowInsertInOperationTableFillsZerosWithoutMark)
{
    StringGrid& manip = FmCpp->StringGridManip;
    fill(manip, {{"", "Code"}, {"1", "Tab"}, {"2", "End"}});
    rowCommand("Manip", 2, true);
    EXPECT_EQ(contents(manip),
              (std::vector<std::vector<std::string>>{{"", "Code"}, {"1", "Tab"}, {"0", "0"}, {"2", "End"}}));
    EXPECT_EQ(FmCpp->ManipRows, 4);
}

TEST_F(MemoGridTest, RowDeleteMovesTheRestUpAndShrinks)
{
    StringGrid& chang = FmDocEdi->StringGridChang;
    fill(chang, {{"", "Base"}, {"[y]", "a"}, {"[y]", "b"}, {"[y]", "c"}});
    rowCommand("Chang", 2, false);
    EXPECT_EQ(contents(chang), (std::vector<std::vector<std::string>>{{"", "Base"}, {"[y]", "a"}, {"[y]", "c"}}));
    EXPECT_EQ(FmDocEdi->TableRows, 3);
}

TEST_F(MemoGridTest, RowCommandsOutsideTheTableChangeOnlyTheCount)
{
    StringGrid& chang = FmDocEdi->StringGridChang;
    fill(chang, {{"", "Base"}, {"[y]", "a"}});
    rowCommand("Chang", 9, false);
    EXPECT_EQ(contents(chang), (std::vector<std::vector<std::string>>{{"", "Base"}, {"[y]", "a"}}));
    // An unknown target touches nothing.
    rowCommand("Nothing", 1, true);
    EXPECT_EQ(chang.rowCount(), 2);
}

TEST_F(MemoGridTest, ColumnInsertAndDeleteInReplacementTable)
{
    StringGrid& chang = FmDocEdi->StringGridChang;
    fill(chang, {{"", "Base", "X", "Y"}, {"[y]", "a", "b", "c"}});
    colCommand(2, true);
    EXPECT_EQ(contents(chang),
              (std::vector<std::vector<std::string>>{{"", "Base", "", "X", "Y"}, {"[y]", "a", "", "b", "c"}}));
    EXPECT_EQ(FmDocEdi->TableCols, 5);

    colCommand(1, false);
    EXPECT_EQ(contents(chang), (std::vector<std::vector<std::string>>{{"", "", "X", "Y"}, {"[y]", "", "b", "c"}}));
    EXPECT_EQ(FmDocEdi->TableCols, 4);
}

TEST_F(MemoGridTest, ClearKeepsHeaderRowAndColumn)
{
    StringGrid& grid = FmMemo->StringGridMemo;
    grid.setCell(0, 0, "h");
    grid.setCell(3, 0, "top");
    grid.setCell(0, 4, "left");
    grid.setCell(2, 2, "inner");
    FmMemo->MMSSSClearClick();
    EXPECT_EQ(grid.cell(0, 0), "h");
    EXPECT_EQ(grid.cell(3, 0), "top");
    EXPECT_EQ(grid.cell(0, 4), "left");
    EXPECT_EQ(grid.cell(2, 2), "");
    EXPECT_EQ(FmMemo->GridCols, 15);
    EXPECT_EQ(FmMemo->GridRows, 50);
}

TEST_F(MemoGridTest, WritingThreeLinesIntoATwoRowTableGrowsIt)
{
    StringGrid& chang = FmDocEdi->StringGridChang;
    fill(chang, {{"", "Base", "Col"}, {" _ ", "a", "z"}});
    FmMemo->MemoSource.setLines({"one", "two", "three"});
    FmMemo->GridTarget = "Chang";
    FmMemo->TargetCol = 2;
    FmMemo->MMSPWritingWithBrushClick();
    EXPECT_EQ(chang.rowCount(), 4);
    EXPECT_EQ(FmDocEdi->TableRows, 4);
    EXPECT_EQ(chang.cell(2, 1), "one");
    EXPECT_EQ(chang.cell(2, 2), "two");
    EXPECT_EQ(chang.cell(2, 3), "three");
    // The marks go to the table that received the lines.
    EXPECT_EQ(chang.cell(0, 1), "[y]");
    EXPECT_EQ(chang.cell(0, 3), "[y]");
    EXPECT_EQ(FmCtrl->StringGridBunch.cell(0, 1), "");
    EXPECT_TRUE(FmMemo->visible());
    EXPECT_EQ(FmMemo->PageControlMain.activePage(), &FmMemo->TabSheetMMulti);

    // A table with exactly as many rows as lines still gets its last line.
    fill(chang, {{"", "Base"}, {"", ""}, {"", ""}});
    FmMemo->TargetCol = 1;
    FmMemo->MMSPWritingWithBrushClick();
    EXPECT_EQ(chang.cell(1, 3), "three");
}

TEST_F(MemoGridTest, WritingMoreLinesThanAWordListHoldsSaysSoAndKeepsThem)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 60; ++i)
        lines.push_back("w" + std::to_string(i));
    FmMemo->MemoSource.setLines(lines);
    FmMemo->GridTarget = "Bunch";
    FmMemo->TargetCol = 1;
    FmMemo->MMSPWritingWithBrushClick();
    EXPECT_EQ(FmCtrl->StringGridBunch.rowCount(), 50);
    EXPECT_EQ(FmCtrl->StringGridBunch.cell(1, 49), "w48");
    ASSERT_EQ(scripted.dialogs->messages.size(), 1u);
    EXPECT_NE(scripted.dialogs->messages[0].find("49 of 60"), std::string::npos);
    EXPECT_EQ(FmMemo->MemoSource.lineCount(), 60);
}

TEST_F(MemoGridTest, WritingAnEmptySourceIntoReplacementTableShowsMessage)
{
    FmMemo->GridTarget = "Chang";
    FmMemo->MMSPWritingWithBrushClick();
    EXPECT_EQ(scripted.dialogs->messages, std::vector<std::string>{" There is not data. "});
}

TEST_F(MemoGridTest, LinesIntoTheTreeFollowTheSelectedLevel)
{
    auto& tree = FmCtrl->TreeViewEdd1;
    auto* root = tree.addChild(nullptr, "root");
    auto* child = tree.addChild(root, "child");
    tree.setSelected(child);
    FmMemo->MemoSource.setLines({"a", "b"});
    FmMemo->MMMultiWritingBrushTreeViewClick();
    ASSERT_EQ(root->childCount(), 3);
    EXPECT_EQ(root->child(1)->text(), "a");
    EXPECT_EQ(root->child(2)->text(), "b");
    tree.setSelected(nullptr);
    FmMemo->MMMultiWritingBrushTreeViewClick();
    EXPECT_EQ(tree.rootCount(), 3);
}

TEST_F(MemoGridTest, MemosFocusCopiesAndAClearThatCanBeUndone)
{
    FmMemo->MemoLog.setLines({"l1", "l2"});
    FmMemo->MMMSourceFromLogClick();
    EXPECT_EQ(FmMemo->MemoSource.lines(), (std::vector<std::string>{"l1", "l2"}));
    FmMemo->MMMListFromLogClick();
    EXPECT_EQ(FmMemo->MemoList.lines(), (std::vector<std::string>{"l1", "l2"}));
    FmMemo->MemoLogEnter();
    FmMemo->MMClearClick();
    EXPECT_EQ(FmMemo->MemoLog.lineCount(), 0);
    EXPECT_EQ(FmMemo->MemoList.lineCount(), 2);
    EXPECT_TRUE(FmMemo->PanelMemoStatus.visible());
    EXPECT_EQ(FmMemo->PanelMemoStatus.caption(), "Deleted the Log text (Ctrl+Z undoes)");
    // Ctrl+Z in the emptied memo puts the lines back, before what came since.
    FmMemo->MemoLog.addLine("new");
    framework::KeyEvent key{'Z', false, true};
    FmMemo->MemoLog.onKeyDown(key);
    EXPECT_EQ(key.key, 'Z'); // not empty any more: the text box's own undo
    FmMemo->MemoLog.clear();
    FmMemo->MemoLog.onKeyDown(key);
    EXPECT_EQ(key.key, 0);
    EXPECT_EQ(FmMemo->MemoLog.lines(), (std::vector<std::string>{"l1", "l2"}));
    EXPECT_FALSE(FmMemo->PanelMemoStatus.visible());
    EXPECT_FALSE(FmMemo->find<framework::MenuItem>("MMUndoClear").enabled());

    FmMemo->MMClearClick();
    FmMemo->MemoLog.addLine("new");
    FmMemo->find<framework::MenuItem>("MMUndoClear").click();
    EXPECT_EQ(FmMemo->MemoLog.lines(), (std::vector<std::string>{"l1", "l2", "new"}));

    // The pages keep the size the user gave the window.
    FmMemo->setBounds(10, 20, 333, 444);
    FmMemo->showPage(FmMemo->TabSheetMList);
    EXPECT_EQ(FmMemo->FocusedMemo, "List");
    FmMemo->showPage(FmMemo->TabSheetMMulti);
    FmMemo->showPage(FmMemo->TabSheetMResults);
    EXPECT_EQ(FmMemo->width(), 333);
    EXPECT_EQ(FmMemo->height(), 444);
    // The source leaves the log more than half of a narrow window.
    FmMemo->showPage(FmMemo->TabSheetMMulti);
    EXPECT_EQ(FmMemo->GroupBoxSource.width(), 149);
    FmMemo->setBounds(10, 20, 500, 444);
    FmMemo->showPage(FmMemo->TabSheetMList);
    FmMemo->showPage(FmMemo->TabSheetMMulti);
    EXPECT_EQ(FmMemo->GroupBoxSource.width(), 180);
}

TEST_F(MemoGridTest, SelectedTextGoesToClipboardOnlyFromSourceWhenChecked)
{
    FmMemo->MemoSource.setText("hello world");
    FmMemo->MemoSource.setSelection(6, 5);
    FmMemo->MemoSourceMouseUp();
    EXPECT_EQ(FmMemo->SelTextCopy, "world");
    EXPECT_EQ(scripted.clipboard->content, "");
    FmMemo->MMClipSelTextClick();
    FmMemo->MemoSourceMouseUp();
    EXPECT_EQ(scripted.clipboard->content, "world");
    FmMemo->MemoLog.setText("log text");
    FmMemo->MemoLog.setSelection(0, 3);
    FmMemo->MemoLogMouseUp();
    EXPECT_EQ(FmMemo->SelTextCopy, "log");
    EXPECT_EQ(scripted.clipboard->content, "world");
}

TEST_F(MemoGridTest, GeometryDefaultsAndIsSavedOnClose)
{
    EXPECT_EQ(FmMemo->left(), 210);
    EXPECT_EQ(FmMemo->top(), 130);
    EXPECT_EQ(FmMemo->width(), 220);
    EXPECT_EQ(FmMemo->height(), 320);
    FmMemo->show();
    FmMemo->setBounds(11, 22, 333, 444);
    FmMemo->close();
    EXPECT_FALSE(FmMemo->visible());
    platform::IniFile base(data() / "USA" / "Base.INI");
    EXPECT_EQ(base.readInteger("FmMemo", "Left", 0), 11);
    EXPECT_EQ(base.readInteger("FmMemo", "Top", 0), 22);
    EXPECT_EQ(base.readInteger("FmMemo", "Width", 0), 333);
    EXPECT_EQ(base.readInteger("FmMemo", "Height", 0), 444);
}

class ResultsViewTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        testsupport::writeRaw(data() / "USA" / "Hlp.INI", "[Message]\r\nResultsState=Zustand\r\nStateDone=fertig\r\n");
        start();
        results::RunRecord run;
        run.theme = "Weather";
        for (int n = 1; n <= 12; ++n) {
            results::EntryRecord entry;
            entry.number = n;
            entry.entry = "e" + std::to_string(n);
            entry.state = n == 1 ? results::EntryState::Done : results::EntryState::Waiting;
            entry.finalAddress = "http://wiki.example/%E5%8C%97%E6%B5%B7?q=a%20b";
            run.entries.push_back(entry);
        }
        FmCpp->run().adoptRecord(std::move(run));
        FmMemo->showResults();
    }
    void clickHeading(int col)
    {
        const auto& grid = FmMemo->StringGridResults;
        int x = 0;
        for (int c = 0; c < col; ++c)
            x += grid.colWidth(c) + 1;
        FmMemo->StringGridResultsMouseDown({framework::MouseButton::Left, x + 3, 3});
    }
    std::string cell(int col, int row) const { return FmMemo->StringGridResults.cell(col, row); }
};

TEST_F(ResultsViewTest, ShowsTheRunInTheUsersLanguageSortedByNumberWithItsDirection)
{
    EXPECT_EQ(cell(0, 0), "No ▲");
    EXPECT_EQ(cell(2, 0), "Zustand");
    EXPECT_EQ(cell(2, 1), "fertig");
    EXPECT_EQ(cell(2, 2), "waiting");
    // Shown as read; the record keeps the address as the page had it.
    EXPECT_EQ(cell(6, 1), "http://wiki.example/北海?q=a%20b");
    EXPECT_EQ(FmCpp->run().record().entries[0].finalAddress, "http://wiki.example/%E5%8C%97%E6%B5%B7?q=a%20b");

    clickHeading(0);
    EXPECT_EQ(cell(0, 0), "No ▼");
    EXPECT_EQ(cell(0, 1), "12");
    clickHeading(0);
    EXPECT_EQ(cell(0, 2), "2");
    EXPECT_EQ(cell(0, 10), "10");
    clickHeading(1);
    EXPECT_EQ(cell(0, 0), "No");
    EXPECT_EQ(cell(1, 0), "Entry ▲");
    EXPECT_EQ(cell(1, 2), "e10");
}

TEST_F(ResultsViewTest, ExportSaysWhereItWroteAndComesBackToThatFolder)
{
    const auto folder = data() / "exports";
    std::filesystem::create_directories(folder);
    scripted.dialogs->saveAnswers.push_back((folder / "mine.json").string());
    FmMemo->MMResultsExportClick();
    EXPECT_TRUE(std::filesystem::exists(folder / "mine.json"));
    ASSERT_EQ(scripted.dialogs->messages.size(), 1u);
    EXPECT_EQ(scripted.dialogs->messages[0], "The results are written to " + (folder / "mine.json").string());
    // The first proposal is not the run's own file in Results/.
    EXPECT_EQ(std::filesystem::path(scripted.dialogs->saveProposals[0])
                  .parent_path()
                  .string()
                  .find((data() / "Results").string()),
              std::string::npos);
    scripted.dialogs->saveAnswers.push_back(std::nullopt);
    FmMemo->MMResultsExportClick();
    EXPECT_EQ(std::filesystem::path(scripted.dialogs->saveProposals[1]).parent_path(), folder);
}

} // namespace
