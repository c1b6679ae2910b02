// Word lists: files, marks, list-up, theme adding, row commands.

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;
using testsupport::readRaw;
using testsupport::writeRaw;

namespace {

class BunchListTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        writeRaw(data() / "USA" / "SeleBunch.txt", "5W4H\r\nMonth\r\n");
        writeRaw(data() / "USA" / "Base.INI", "[List]\r\nBunch=Month\r\n");
        writeRaw(data() / "USA" / "ListBunchMonth.INI",
                 "[Data]\r\n0,1=[y]\r\n1,1=January\r\n0,2=\" _ \"\r\n1,2=February\r\n0,3=[y]\r\n1,3=March\r\n");
        start();
        FmCtrl->LikeWord = " ";
    }
    StringGrid& grid() { return FmCtrl->StringGridBunch; }
    // A press and release on a cell, through the grid's own geometry.
    void pressCell(int col, int row)
    {
        MouseEvent e;
        e.x = col == 0 ? 5 : 30;
        e.y = row * 17 + 5;
        FmCtrl->StringGridBunchMouseDown(e);
        FmCtrl->StringGridBunchMouseUp(e);
    }
    platform::IniFile monthFile() { return platform::IniFile(data() / "USA" / "ListBunchMonth.INI"); }
};

TEST_F(BunchListTest, ShowReadsTheListAndTheChosenBunch)
{
    EXPECT_EQ(FmCtrl->ComboBoxBunch.items(), (std::vector<std::string>{"5W4H", "Month"}));
    EXPECT_EQ(FmCtrl->ComboBoxBunch.text(), "Month");
    EXPECT_EQ(grid().cell(1, 2), "February");
    EXPECT_EQ(grid().cell(0, 2), " _ ");
    EXPECT_EQ(grid().cell(0, 0), "C");
    EXPECT_EQ(grid().cell(1, 0), "Word");
    EXPECT_EQ(grid().colWidth(1), 170);
    EXPECT_TRUE(FmCtrl->find<MenuItem>("PMBunchTThemaAdd").checked());
}

TEST_F(BunchListTest, WriteNormalisesMarksAndWritesEveryCell)
{
    grid().setCell(1, 3, "秋");
    grid().setCell(0, 3, "");
    grid().setCell(0, 5, "[y]");
    FmCtrl->PMBunchSFWriteClick();
    auto ini = monthFile();
    EXPECT_EQ(ini.readString("Data", "0,3", "?"), "[y]");
    EXPECT_EQ(ini.readString("Data", "0,5", "?"), "");
    EXPECT_EQ(ini.readString("Data", "0,2", "?"), " _ ");
    EXPECT_EQ(ini.readString("Data", "1,49", "?"), "");
    EXPECT_EQ(ini.readString("Data", "1,50", "?"), "?");
    // A new file holds column 0 first, then column 1.
    FmCtrl->ComboBoxBunch.setText("Fresh");
    FmCtrl->PMBunchSFWriteClick();
    const std::string raw = readRaw(data() / "USA" / "ListBunchFresh.INI");
    EXPECT_LT(raw.find("0,49="), raw.find("1,1="));
}

TEST_F(BunchListTest, MissingBunchReadsEmptyAndTheNextWriteCreatesIt)
{
    FmCtrl->ComboBoxBunch.setText("Stars");
    FmCtrl->ComboBoxBunchClick();
    EXPECT_EQ(grid().cell(1, 1), "");
    grid().setCell(1, 1, "Vega");
    FmCtrl->PMBunchSFWriteClick();
    platform::IniFile ini(data() / "USA" / "ListBunchStars.INI");
    EXPECT_EQ(ini.readString("Data", "1,1", ""), "Vega");
    EXPECT_EQ(ini.readString("Data", "0,1", ""), "[y]");
}

TEST_F(BunchListTest, FileNamesMatchWithoutRegardToCase)
{
    writeRaw(data() / "USA" / "ListBunch5w4h.INI", "[Data]\r\n1,1=Who\r\n");
    FmCtrl->ComboBoxBunch.setText("5W4H");
    FmCtrl->ComboBoxBunchClick();
    EXPECT_EQ(grid().cell(1, 1), "Who");
    grid().setCell(1, 2, "What");
    FmCtrl->PMBunchSFWriteClick();
    EXPECT_FALSE(std::filesystem::exists(data() / "USA" / "ListBunch5W4H.INI"));
    EXPECT_NE(readRaw(data() / "USA" / "ListBunch5w4h.INI").find("What"), std::string::npos);
}

TEST_F(BunchListTest, MarkToggleAndWordClickAddsAndRemovesTheTheme)
{
    FmMain->ComboBoxURL.setText("");
    pressCell(0, 2);
    EXPECT_EQ(grid().cell(0, 2), "[y]");
    EXPECT_EQ(grid().cell(0, 0), "0,2");
    pressCell(0, 2);
    EXPECT_EQ(grid().cell(0, 2), " _ ");
    FmCpp->EditThemas.setText("Weather ");
    pressCell(1, 3);
    EXPECT_EQ(FmCpp->EditThemas.text(), "Weather March ");
    pressCell(1, 3);
    EXPECT_EQ(FmCpp->EditThemas.text(), "Weather ");
    // With ThemaAdd off the word stays out.
    FmCtrl->PMBunchTThemaAddClick();
    pressCell(1, 3);
    EXPECT_EQ(FmCpp->EditThemas.text(), "Weather ");
}

TEST_F(BunchListTest, ListUpCopiesOnlySelectedWordsAndAsksBeforeReplacing)
{
    FmCtrl->PMBunchTListUpClick();
    EXPECT_EQ(FmMemo->MemoList.lines(), (std::vector<std::string>{"January", "March"}));
    EXPECT_TRUE(scripted.dialogs->questions.empty());
    EXPECT_EQ(FmMemo->PageControlMain.activePage(), &FmMemo->TabSheetMList);
    scripted.dialogs->yesNoAnswers = {false};
    FmCtrl->PMBunchTListUpClick();
    EXPECT_EQ(FmMemo->MemoList.lines(), (std::vector<std::string>{"January", "March", "January", "March"}));
    EXPECT_EQ(scripted.dialogs->questions, std::vector<std::string>{"ListUp: replaces？"});
    writeRaw(data() / "USA" / "Hlp.INI", "[Message]\r\nPMTrVwMTListUpClick=Replace the list?\r\n");
    FmCtrl->MemoEdd1.setLines({"a", "", "b"});
    scripted.dialogs->yesNoAnswers = {true};
    FmCtrl->PMTrVwMTListUpClick();
    EXPECT_EQ(FmMemo->MemoList.lines(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(scripted.dialogs->questions.back(), "ListUp: Replace the list?");
}

TEST_F(BunchListTest, AllYesAllNoAndClear)
{
    FmCtrl->PMBunchTSAllNoClick();
    EXPECT_EQ(grid().cell(0, 1), " _ ");
    EXPECT_EQ(grid().cell(0, 4), "");
    FmCtrl->PMBunchTSAllYesClick();
    EXPECT_EQ(grid().cell(0, 2), "[y]");
    FmCtrl->PMBunchTSClearClick();
    EXPECT_EQ(grid().cell(1, 1), "");
    EXPECT_EQ(grid().cell(0, 1), " _ ");
    EXPECT_EQ(grid().cell(1, 0), "Word");
}

TEST_F(BunchListTest, RowInsertAndDeleteKeepFortyNineRowsAndEveryWord)
{
    FmCtrl->PressedRow = 2;
    FmCtrl->PMBunchTSRowInsertClick();
    EXPECT_EQ(grid().rowCount(), 50);
    EXPECT_EQ(grid().cell(1, 2), "0");
    EXPECT_EQ(grid().cell(0, 2), "[y]");
    EXPECT_EQ(grid().cell(1, 4), "March");
    FmCtrl->PMBunchTSRowDeleteClick();
    EXPECT_EQ(grid().rowCount(), 50);
    EXPECT_EQ(grid().cell(1, 2), "February");
    EXPECT_FALSE(FmMemo->visible());
    // A deleted row leaves no copy of the last word behind in the file.
    FmCtrl->PMBunchSFWriteClick();
    FmCtrl->PressedRow = 1;
    FmCtrl->PMBunchTSRowDeleteClick();
    FmCtrl->PMBunchSFWriteClick();
    auto ini = monthFile();
    EXPECT_EQ(ini.readString("Data", "1,1", ""), "February");
    EXPECT_EQ(ini.readString("Data", "1,3", "?"), "");
}

TEST_F(BunchListTest, RowInsertIntoAFullListIsRefused)
{
    for (int r = 1; r < 50; ++r)
        grid().setCell(1, r, "w" + std::to_string(r));
    FmCtrl->PressedRow = 1;
    FmCtrl->PMBunchTSRowInsertClick();
    EXPECT_EQ(grid().cell(1, 49), "w49");
    EXPECT_EQ(grid().cell(1, 1), "w1");
    EXPECT_EQ(scripted.dialogs->messages.size(), 1u);
}

TEST_F(BunchListTest, SaveAddsTheNameWritesListGridAndMark)
{
    FmCtrl->ComboBoxBunch.setText("Seasons");
    grid().setCell(1, 1, "Spring");
    FmCtrl->ToolButtonBunchAddClick();
    EXPECT_EQ(readRaw(data() / "USA" / "SeleBunch.txt"), "5W4H\r\nMonth\r\nSeasons\r\n");
    platform::IniFile base(data() / "USA" / "Base.INI");
    EXPECT_EQ(base.readString("List", "Bunch", ""), "Seasons");
    EXPECT_EQ(base.readInteger("PMBunchTThemaAdd", "Checked", -1), 1);
    EXPECT_TRUE(std::filesystem::exists(data() / "USA" / "ListBunchSeasons.INI"));
    // A name that is part of a listed one is not added again.
    FmCtrl->ComboBoxBunch.setText("Sea");
    FmCtrl->PMBunchCAddClick();
    EXPECT_EQ(FmCtrl->ComboBoxBunch.itemCount(), 3);
}

TEST_F(BunchListTest, DeleteRemovesTheNameAndShowsTheFirstList)
{
    FmCtrl->PMBunchTFDeleteClick();
    EXPECT_EQ(FmCtrl->ComboBoxBunch.items(), std::vector<std::string>{"5W4H"});
    EXPECT_EQ(FmCtrl->ComboBoxBunch.text(), "5W4H");
    EXPECT_TRUE(std::filesystem::exists(data() / "USA" / "ListBunchMonth.INI"));
}

TEST_F(BunchListTest, WordsFromTheSourceMemo)
{
    FmMemo->MemoSource.setLines({"Mercury", "Venus"});
    FmCtrl->PressedCol = 1;
    FmCtrl->PMBunchTSRowBunchFromMemoClick();
    EXPECT_EQ(grid().cell(1, 1), "Mercury");
    EXPECT_EQ(grid().cell(1, 2), "Venus");
    EXPECT_EQ(grid().cell(0, 2), "[y]");
}

class MissingBunchListFileTest : public testsupport::AppFixture {};

TEST_F(MissingBunchListFileTest, MissingListFileIsCreatedWithArea)
{
    start();
    EXPECT_EQ(readRaw(data() / "USA" / "SeleBunch.txt"), "5W4H\r\nArea\r\n");
}

} // namespace
