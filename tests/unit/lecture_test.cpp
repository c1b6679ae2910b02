// Lecture mode and the attention cue.

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;
using testsupport::writeRaw;

namespace {

class LectureTest : public testsupport::AppFixture {
protected:
    void SetUp() override { start(); }
    void ticks(int n) { scripted.clock->advance(static_cast<uint64_t>(n) * 100); }
};

TEST_F(LectureTest, StartWithoutTextsHidesTheControlsAndBlinksStepOne)
{
    FmMain->MMHLecSerchClick();
    EXPECT_EQ(FmMain->LectureName, "Serch");
    EXPECT_EQ(FmMain->LectureStep, 1);
    EXPECT_EQ(FmMemo->MemoLog.lineCount(), 0);
    EXPECT_FALSE(FmCtrl->TreeViewEdd1.visible());
    EXPECT_FALSE(FmCtrl->CheckListBoxSharing.visible());
    EXPECT_FALSE(FmCpp->visible());
    EXPECT_EQ(FmMain->PageControlMain.activePage(), &FmMain->TabSheetMBase);
    EXPECT_TRUE(FmMemo->visible());
    EXPECT_EQ(FmMemo->width(), 420);
    EXPECT_EQ(FmMemo->left(), FmCtrl->left() + FmCtrl->width() + 10);
    EXPECT_EQ(FmMemo->GroupBoxSource.width(), 20);

    ticks(1);
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.color(), 0xFFFFFF);
    ticks(4);
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.color(), 0xC0C0C0);
    ticks(6);
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.color(), 0xFFFFFF);
}

TEST_F(LectureTest, StepsAdvanceFromTheOtherWindowsAndTheRunButtonEndsIt)
{
    writeRaw(data() / "USA" / "Hlp.INI", "[Serch]\r\nLecW1=Pick a category\r\nLecW2=Click a theme\r\n"
                                         "LecW3=Tick a sharing word\r\n");
    FmMain->MMHLecSerchClick();
    EXPECT_EQ(FmMemo->MemoLog.text(), "Pick a category\r\n");
    FmCtrl->ComboBoxTVFCategoryChange();
    EXPECT_EQ(FmMain->LectureStep, 2);
    EXPECT_TRUE(FmCtrl->TreeViewEdd1.visible());
    EXPECT_EQ(FmMemo->MemoLog.text(), "Click a theme\r\n");
    FmCtrl->TreeViewEdd1.setSelected(FmCtrl->TreeViewEdd1.addChild(nullptr, "Theme"));
    FmCtrl->TreeViewEdd1Click();
    EXPECT_EQ(FmMain->LectureStep, 3);
    EXPECT_TRUE(FmCtrl->CheckListBoxSharing.visible());
    FmCtrl->CheckListBoxSharingClick();
    EXPECT_EQ(FmMain->LectureStep, 4);
    EXPECT_TRUE(FmCtrl->ToolBarBunch.visible());
    FmCtrl->ComboBoxBunchChange();
    EXPECT_EQ(FmMain->LectureStep, 5);
    EXPECT_TRUE(FmCpp->visible());
    FmCpp->ToolButtonAccessSeleClick();
    EXPECT_EQ(FmMain->LectureName, "");
    EXPECT_TRUE(FmCpp->ToolButtonAccessSele.visible());
    EXPECT_FALSE(FmMain->TimerBase.enabled());
    EXPECT_EQ(FmCpp->ToolBarCpp.color(), 0xFFFFFF);
}

TEST_F(LectureTest, TheNoteStandsBesideEachStepsControlAndNextOrTheHelpMenuMoveOn)
{
    writeRaw(data() / "USA" / "Hlp.INI",
             "[Serch]\r\nLecW1=Pick a category\r\nLecW2=Click a theme\r\nLecW5=Press Run\r\n");
    FmMain->MMHLecSerchClick();
    EXPECT_TRUE(FmMain->LectureBalloon.visible());
    EXPECT_EQ(FmMain->LectureBalloon.anchor(), &FmCtrl->ComboBoxTVFCategory);
    EXPECT_EQ(FmMain->LabelLecture.caption(), "Pick a category");
    EXPECT_TRUE(FmMain->find<MenuItem>("MMHLecEnd").enabled());

    // Next shows what the step needs, as doing the step would have.
    FmMain->ButtonLectureNext.click();
    EXPECT_EQ(FmMain->LectureStep, 2);
    EXPECT_TRUE(FmCtrl->TreeViewEdd1.visible());
    EXPECT_EQ(FmMain->LectureBalloon.anchor(), &FmCtrl->TreeViewEdd1);
    EXPECT_EQ(FmMain->LabelLecture.caption(), "Click a theme");
    FmMain->ButtonLectureNext.click();
    FmMain->ButtonLectureNext.click();
    FmMain->ButtonLectureNext.click();
    EXPECT_EQ(FmMain->LectureStep, 5);
    EXPECT_TRUE(FmCpp->visible());
    EXPECT_TRUE(FmCpp->ToolButtonAccessSele.visible());
    EXPECT_EQ(FmMain->LectureBalloon.anchor(), &FmCpp->ToolBarCpp);
    EXPECT_EQ(FmMain->LabelLecture.caption(), "Press Run");
    // The last step: no Next, only End.
    EXPECT_FALSE(FmMain->ButtonLectureNext.visible());

    FmMain->find<MenuItem>("MMHLecEnd").click();
    EXPECT_EQ(FmMain->LectureName, "");
    EXPECT_FALSE(FmMain->LectureBalloon.visible());
    EXPECT_FALSE(FmMain->find<MenuItem>("MMHLecEnd").enabled());
    EXPECT_TRUE(FmCtrl->CheckListBoxSharing.visible());
}

TEST_F(LectureTest, AStepAWindowSetsOnItsOwnReachesTheNoteWithTheNextTick)
{
    writeRaw(data() / "USA" / "Hlp.INI", "[LBunch]\r\nLecW2=Save the list\r\nLecW3=Clear it\r\n");
    FmMain->MMHLBunchClick();
    FmCtrl->ComboBoxBunchChange();
    EXPECT_EQ(FmMain->LabelLecture.caption(), "Save the list");
    FmCtrl->ToolButtonBunchAddClick();
    EXPECT_EQ(FmMain->LectureStep, 3);
    ticks(1);
    EXPECT_EQ(FmMain->LabelLecture.caption(), "Clear it");
    EXPECT_EQ(FmMain->LectureBalloon.anchor(), &FmCtrl->ToolBarBunch);
}

TEST_F(LectureTest, SecondLectureReloadsItsTextsAndRestartsAtStepOne)
{
    writeRaw(data() / "USA" / "Hlp.INI", "[TTreeView]\r\nLecW1=tree one\r\n[LBunch]\r\nLecW1=bunch one\r\n");
    FmMain->MMHTTreeViewClick();
    FmCtrl->ComboBoxTVFCategoryChange();
    EXPECT_EQ(FmMain->LectureStep, 2);
    FmMain->MMHLBunchClick();
    EXPECT_EQ(FmMain->LectureStep, 1);
    EXPECT_EQ(FmMemo->MemoLog.text(), "bunch one\r\n");
    EXPECT_TRUE(FmCtrl->ToolBarBunch.visible());
    ticks(1);
    EXPECT_EQ(FmCtrl->ComboBoxBunch.color(), 0xFFFFFF);
}

TEST_F(LectureTest, PressOnTheTreeTurnsTheThemeBoxRedThenNavyAndStops)
{
    FmCtrl->TreeViewEdd1MouseDown();
    EXPECT_TRUE(FmMain->TimerBase.enabled());
    ticks(1);
    EXPECT_EQ(FmCpp->EditThemas.fontColor(), 0x0000FF);
    ticks(3);
    EXPECT_EQ(FmCpp->EditThemas.fontColor(), 0x0000FF);
    ticks(1);
    EXPECT_EQ(FmCpp->EditThemas.fontColor(), 0x800000);
    EXPECT_FALSE(FmMain->TimerBase.enabled());
}

} // namespace
