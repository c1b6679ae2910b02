// The operation table of the Manipulates page and the operation programs
// that record into it and replay it.

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

class OperationTableTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        writeRaw(data() / "USA" / "ManipSite.txt", "Search site\r\nOther\r\n");
        writeRaw(data() / "USA" / "Manip.INI",
                 "[Info]\r\nSite=Search site\r\n[Search site]\r\nURL=http://s.example/\r\n"
                 "1,1=BrowsXY\r\n2,1=120\r\n3,1=40\r\n1,2=ClickSngle\r\n1,3=Past\r\n"
                 "1,4=Return\r\n1,5=End\r\n");
        start();
    }
    StringGrid& table() { return FmCpp->StringGridManip; }
    void setRow(int row, const std::string& code, const std::string& x = "", const std::string& y = "",
                const std::string& text = "")
    {
        table().setCell(1, row, code);
        table().setCell(2, row, x);
        table().setCell(3, row, y);
        table().setCell(4, row, text);
    }
    void press(int col, int row)
    {
        MouseEvent e;
        int x = 0;
        for (int c = 0; c < col; ++c)
            x += table().colWidth(c) + 1;
        e.x = x + 2;
        e.y = row * (table().defaultRowHeight() + 1) + 2;
        FmCpp->StringGridManipMouseDown(e);
    }
    std::vector<std::string> logFrom(size_t first)
    {
        const auto& lines = FmMemo->MemoLog.lines();
        return {lines.begin() + static_cast<long>(std::min(first, lines.size())), lines.end()};
    }
};

TEST_F(OperationTableTest, CreationLoadsTheSitesAndTheTableOfTheLastSite)
{
    EXPECT_EQ(FmCpp->ComboBoxManipSite.items(), (std::vector<std::string>{"Search site", "Other"}));
    EXPECT_EQ(FmCpp->ComboBoxManipSite.text(), "Search site");
    EXPECT_EQ(table().cell(1, 1), "BrowsXY");
    EXPECT_EQ(table().cell(2, 1), "120");
    EXPECT_EQ(table().cell(1, 0), "Code");
    EXPECT_EQ(table().cell(0, 3), "3");
    EXPECT_EQ(table().colWidth(1), 70);
    EXPECT_EQ(FmCpp->EditManipURL.text(), "http://s.example/");
}

TEST_F(OperationTableTest, SavingTurnsEmptyValuesIntoZeroAndEndsRowsWithoutAValue)
{
    setRow(5, "Tab");
    FmCpp->ToolButtonManipSaveClick();
    EXPECT_EQ(table().cell(1, 5), "End");
    EXPECT_EQ(table().cell(2, 5), "0");
    EXPECT_EQ(table().cell(4, 2), "0");
    platform::IniFile manip(data() / "USA" / "Manip.INI");
    EXPECT_EQ(manip.readString("Search site", "2,5", ""), "0");
    EXPECT_EQ(manip.readString("Search site", "1,5", ""), "End");
    EXPECT_EQ(manip.readString("Search site", "4,15", ""), "0");
    EXPECT_EQ(manip.readString("Info", "Site", ""), "Search site");
}

TEST_F(OperationTableTest, SiteListSaveDeleteAndReload)
{
    FmCpp->ComboBoxManipSite.setText("Search");
    FmCpp->PMManipCFSaveClick();
    EXPECT_EQ(FmCpp->ComboBoxManipSite.itemCount(), 2);
    FmCpp->ComboBoxManipSite.setText("Other");
    FmCpp->PMManipT1DeleteClick();
    EXPECT_EQ(FmCpp->ComboBoxManipSite.items(), std::vector<std::string>{"Search site"});
    EXPECT_FALSE(FmMemo->visible());
    FmCpp->PMManipCFLoadClick();
    EXPECT_EQ(FmCpp->ComboBoxManipSite.items(), (std::vector<std::string>{"Search site", "Other"}));
}

TEST_F(OperationTableTest, PressShowsTheCellAndOpensTheInputToolOnlyOnCommands)
{
    press(2, 3);
    EXPECT_EQ(table().cell(0, 0), "2,3");
    EXPECT_FALSE(FmCpp->PanelInputTool.visible());
    press(1, 0);
    EXPECT_EQ(table().cell(0, 0), "1,0");
    EXPECT_FALSE(FmCpp->PanelInputTool.visible());
    press(1, 1);
    EXPECT_EQ(table().cell(0, 0), "1,1");
    EXPECT_TRUE(FmCpp->PanelInputTool.visible());
    EXPECT_EQ(FmCtrl->OpeMode, "Input");
    EXPECT_EQ(FmCtrl->CurrentCommand, "BrowsXY");
    // The command shows the position editors it needs.
    EXPECT_TRUE(FmCpp->PanelITPosXY.visible());
    EXPECT_EQ(FmCpp->EditPosX.text(), "120");
    FmCpp->EditPosX.setText("130");
    FmCpp->EditPosXChange();
    EXPECT_EQ(table().cell(2, 1), "130");
    FmCpp->ManipT2CloseClick();
    EXPECT_FALSE(FmCpp->PanelInputTool.visible());
    EXPECT_EQ(FmCtrl->OpeMode, "");
}

TEST_F(OperationTableTest, RecordingACommandWritesItAndSendsNoKey)
{
    setRow(6, "Tab");
    const size_t before = FmMemo->MemoLog.lines().size();
    press(1, 6);
    EXPECT_EQ(logFrom(before), (std::vector<std::string>{"OpCd->Tab", "OpePrg->Tab"}));
    EXPECT_TRUE(scripted.input->events.empty());
    FmCtrl->PMMSWaitClick();
    EXPECT_EQ(table().cell(1, 6), "Wait");
    EXPECT_TRUE(FmCpp->EditManipStr.visible());
}

TEST_F(OperationTableTest, RowInsertFillsZerosAndRenumbersWithoutSaving)
{
    const std::string before = readRaw(data() / "USA" / "Manip.INI");
    FmCpp->ManipRow = 4;
    FmCpp->PMManipTRowInsertClick();
    EXPECT_EQ(table().rowCount(), 17);
    EXPECT_EQ(table().cell(1, 4), "0");
    EXPECT_EQ(table().cell(2, 4), "0");
    EXPECT_EQ(table().cell(1, 5), "Return");
    EXPECT_EQ(table().cell(0, 4), "4");
    EXPECT_EQ(table().cell(0, 16), "16");
    EXPECT_EQ(FmCpp->ManipRows, 17);
    EXPECT_EQ(readRaw(data() / "USA" / "Manip.INI"), before);
}

TEST_F(OperationTableTest, ReplayOfFiveRowsMovesClicksPastesAndStops)
{
    FmCpp->EditThemas.setText("Weather ");
    FmCpp->CurrentEntry = "Tokyo";
    FmCpp->PMManipT1RunClick();
    const auto& log = FmMemo->MemoLog.lines();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "OpePrg->Memory");
    EXPECT_EQ(log[1], "OpePrg->ScreenXY");
    EXPECT_EQ(logFrom(3), (std::vector<std::string>{"OpCd->BrowsXY", "OpePrg->BrowsXY", "X=120 : Y=40",
                                                    "OpCd->ClickSngle", "OpePrg->ClickSngle", "OpCd->Past",
                                                    "wrd = Weather Tokyo", "OpCd->Return", "OpePrg->Return"}));
    // Ctrl+V, then Return; the cursor is not moved back after End.
    const auto& events = scripted.input->events;
    EXPECT_EQ(std::count(events.begin(), events.end(), "LDOWN"), 2);
    EXPECT_NE(std::find(events.begin(), events.end(), "KDOWN 86"), events.end());
    EXPECT_EQ(events.back(), "KUP 13");
    EXPECT_EQ(FmCtrl->OpeMode, "Run");
}

TEST_F(OperationTableTest, ReadStrPastesItsTextAndWaitPauses)
{
    for (int r = 1; r < 16; ++r)
        setRow(r, "0");
    setRow(1, "ReadStr", "0", "0", "abc");
    setRow(2, "Past");
    setRow(3, "Wait", "0", "0", "25");
    setRow(4, "End");
    const uint64_t start = scripted.clock->tickCount();
    FmCtrl->PMMSrcRunClick();
    EXPECT_NE(std::find(FmMemo->MemoLog.lines().begin(), FmMemo->MemoLog.lines().end(), "wrd = abc"),
              FmMemo->MemoLog.lines().end());
    EXPECT_GE(scripted.clock->tickCount() - start, 2500u);
}

TEST_F(OperationTableTest, NonNumericPositionStopsTheReplay)
{
    setRow(1, "BrowsXY", "left", "0");
    EXPECT_FALSE(application->dispatch([] { FmCtrl->PMMSrcRunClick(); }));
    EXPECT_EQ(scripted.dialogs->errors.back(), "'left' is not a valid integer value");
}

TEST_F(OperationTableTest, FormInputOnTheManipulatesPageReplaysInsteadOfTouchingTheDocument)
{
    FmCpp->PageControlMain.setActivePage(&FmCpp->TabSheetMManipulates);
    FmCpp->PageControlMainChange();
    FmCpp->PMPSiteOpenClick();
    FmCpp->PMPFormInputClick();
    EXPECT_EQ(FmCtrl->OpeMode, "Run");
    EXPECT_EQ(FmMemo->MemoLog.line(0), "OpePrg->Memory");
}

} // namespace
