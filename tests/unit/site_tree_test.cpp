// The site tree window: node clicks, categories, tree editing, drag and
// drop, backup and restoration, the sharing list.

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"
#include "sitetree/tvf.h"

using namespace framework;
using testsupport::readRaw;
using testsupport::writeRaw;

namespace {

class SiteTreeTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        writeRaw(data() / "USA" / "TVFCategory.txt", "Hobby\r\nEconomic\r\n");
        writeRaw(data() / "USA" / "Base.INI", "[TVF]\r\nCategory=Hobby\r\n");
        writeRaw(data() / "USA" / "TVFThemaHobby.tvf", "Travel\r\n\tHokkaido\r\n\t\tSapporo\r\n\tOkinawa\r\nMusic\r\n");
        start();
        FmCtrl->LikeWord = " ";
    }
    TreeView& tree() { return FmCtrl->TreeViewEdd1; }
    void click(TreeNode* node)
    {
        tree().setSelected(node);
        FmCtrl->TreeViewEdd1Click();
    }
    std::string themes() { return FmCpp->EditThemas.text(); }
    std::string treeFile(const std::string& category)
    {
        return readRaw(data() / "USA" / ("TVFThema" + category + ".tvf"));
    }
};

TEST_F(SiteTreeTest, ShowLoadsCategoriesAndTheTree)
{
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.items(), (std::vector<std::string>{"Hobby", "Economic"}));
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.text(), "Hobby");
    EXPECT_EQ(tree().count(), 5);
    EXPECT_EQ(FmCtrl->ListSuffix, "Bunch");
    EXPECT_EQ(FmMain->PathText.rfind((data() / "USA").string(), 0), 0u);
}

TEST_F(SiteTreeTest, RootClickListsTheFollowingNodesAndFillsTheLabels)
{
    click(tree().root(0));
    EXPECT_EQ(FmCtrl->MemoEdd1.lines(), (std::vector<std::string>{"Hokkaido", "Sapporo"}));
    EXPECT_EQ(FmSys->LabelAllCnt.caption(), "AllCnt/総数 = 5");
    EXPECT_EQ(FmSys->LabelTVFRootNum.caption(), "RootNum/ルート = 0");
    EXPECT_EQ(FmSys->LabelAbs.caption(), "Abs/行 = 0");
    EXPECT_EQ(FmSys->LabelParent.caption(), "親ﾅｼ");
    EXPECT_EQ(FmSys->LabelChildCnt.caption(), "ChildCnt/子の数 = 2");
    EXPECT_EQ(FmSys->LabelAbsoluteIndex.caption(), " 1 2");
    EXPECT_EQ(FmSys->LabelAbsolute.caption(), "false");
    EXPECT_EQ(FmCtrl->PanelThema.caption(), "Travel");
    // RootIn is on: the root's own theme starts the theme box.
    EXPECT_EQ(themes(), "Travel ");

    click(tree().nodeAt(2));
    EXPECT_EQ(FmSys->LabelAbsolute.caption(), "true");
    EXPECT_EQ(FmSys->LabelParent.caption(), "親ｱﾘ");
}

TEST_F(SiteTreeTest, ChildClickedTwiceIsAddedOnce)
{
    click(tree().root(0));
    TreeNode* okinawa = tree().root(0)->child(1);
    click(okinawa);
    click(okinawa);
    EXPECT_EQ(themes(), "Travel Okinawa ");
}

TEST_F(SiteTreeTest, RootClickWithoutRootInKeepsOnlyTheSharingWords)
{
    FmCtrl->PMTrVwTTRootInClick();
    EXPECT_FALSE(FmCtrl->find<MenuItem>("PMTrVwTTRootIn").checked());
    {
        platform::IniFile base(data() / "USA" / "Base.INI");
        EXPECT_EQ(base.readInteger("PMTrVwTTRootIn", "Checked", -1), 0);
    }
    FmCpp->EditThemas.setText("old ");
    FmCtrl->CheckListBoxSharing.setChecked(0, true);
    click(tree().root(1));
    EXPECT_EQ(themes(), FmCtrl->CheckListBoxSharing.item(0) + " ");
}

TEST_F(SiteTreeTest, DoubleClickRemovesTheThemeAndKeepsItInWorkText)
{
    click(tree().root(0));
    click(tree().root(0)->child(1));
    FmCtrl->TreeViewEdd1DblClick();
    EXPECT_EQ(themes(), "Travel ");
    EXPECT_EQ(FmMain->WorkText, "Okinawa");
}

TEST_F(SiteTreeTest, DropOnADescendantMovesNothingButSaves)
{
    TreeNode* travel = tree().root(0);
    TreeNode* sapporo = travel->child(0)->child(0);
    tree().setSelected(travel);
    tree().hitTester = [&](int, int) { return TreeHit{sapporo, TreeHitKind::OnLabel}; };
    std::filesystem::remove(data() / "USA" / "TVFThemaHobby.tvf");
    FmCtrl->TreeViewEdd1DragDrop(&tree(), 10, 10);
    EXPECT_EQ(tree().root(0), travel);
    EXPECT_EQ(sapporo->parent(), travel->child(0));
    EXPECT_EQ(treeFile("Hobby"), "Travel\r\n\tHokkaido\r\n\t\tSapporo\r\n\tOkinawa\r\nMusic\r\n");
}

TEST_F(SiteTreeTest, DropRulesOnLabelIndentAndBelowTheLastNode)
{
    TreeNode* music = tree().root(1);
    TreeNode* okinawa = tree().root(0)->child(1);
    tree().setSelected(music);
    tree().hitTester = [&](int, int) { return TreeHit{okinawa, TreeHitKind::OnLabel}; };
    FmCtrl->TreeViewEdd1DragDrop(&tree(), 0, 0);
    EXPECT_EQ(music->parent(), okinawa);
    EXPECT_EQ(FmCtrl->CurrentNodeText, "Music");
    EXPECT_EQ(FmCtrl->SelectedAbsIndex, 4);
    EXPECT_EQ(themes(), "HobbyMusic");

    tree().hitTester = [&](int, int) { return TreeHit{tree().root(0), TreeHitKind::OnIndent}; };
    FmCtrl->TreeViewEdd1DragDrop(&tree(), 0, 0);
    EXPECT_EQ(tree().root(0), music);

    tree().hitTester = [&](int, int) { return TreeHit{}; };
    FmCtrl->TreeViewEdd1DragDrop(&tree(), 0, 500);
    EXPECT_EQ(tree().root(tree().rootCount() - 1), music);
    EXPECT_EQ(treeFile("Hobby"), "Travel\r\n\tHokkaido\r\n\t\tSapporo\r\n\tOkinawa\r\nMusic\r\n");
}

TEST_F(SiteTreeTest, DragOverBacksUpAndScrollsNearTheEdges)
{
    tree().setHeight(200);
    tree().setTopIndex(3);
    bool accept = false;
    FmCtrl->TreeViewEdd1DragOver(&tree(), 10, 10, accept);
    EXPECT_TRUE(accept);
    EXPECT_EQ(tree().topIndex(), 2);
    FmCtrl->TreeViewEdd1DragOver(&tree(), 10, 10, accept);
    EXPECT_EQ(tree().topIndex(), 1);
    EXPECT_TRUE(std::filesystem::exists(data() / "USA" / "BU_TVFThemaHobby.tvf"));
    FmCtrl->TreeViewEdd1DragOver(&FmCtrl->MemoEdd1, 10, 100, accept);
    EXPECT_FALSE(accept);
}

TEST_F(SiteTreeTest, TypingPartOfAListedNameAddsNothingAndSavesItsTree)
{
    FmCtrl->ComboBoxTVFCategory.setText("Eco");
    FmCtrl->FMTTrVwTSaveClick();
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.itemCount(), 2);
    EXPECT_EQ(treeFile("Eco"), "Travel\r\n\tHokkaido\r\n\t\tSapporo\r\n\tOkinawa\r\nMusic\r\n");

    FmCtrl->ComboBoxTVFCategory.setText("Science");
    FmCtrl->FMTTrVwTSaveClick();
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.items(), (std::vector<std::string>{"Hobby", "Economic", "Science"}));
    EXPECT_TRUE(std::filesystem::exists(data() / "USA" / "TVFThemaScience.tvf"));
}

TEST_F(SiteTreeTest, CategoryNamesThatLeaveTheFolderAreRefused)
{
    FmCtrl->ComboBoxTVFCategory.setText("../x");
    EXPECT_FALSE(application->dispatch([] { FmCtrl->PMTrVwFESaveClick(); }));
    EXPECT_FALSE(std::filesystem::exists(data() / "x.tvf"));
    EXPECT_EQ(scripted.dialogs->errors.size(), 1u);
}

TEST_F(SiteTreeTest, DeletingACategoryKeepsItsFileAndShowsTheFirst)
{
    FmCtrl->ComboBoxTVFCategory.setText("Hobby");
    FmCpp->EditThemas.setText("x");
    FmCtrl->FMTTrVwTDeleteClick();
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.items(), std::vector<std::string>{"Economic"});
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.text(), "Economic");
    EXPECT_EQ(themes(), "");
    EXPECT_TRUE(std::filesystem::exists(data() / "USA" / "TVFThemaHobby.tvf"));
    EXPECT_FALSE(FmMemo->visible());
    EXPECT_EQ(FmMemo->MemoLog.lineCount(), 0);
    FmCtrl->PMTrVwCFSaveClick();
    EXPECT_EQ(readRaw(data() / "USA" / "TVFCategory.txt"), "Economic\r\n");
}

TEST_F(SiteTreeTest, WritingBackFiveLinesUnderThreeLeaves)
{
    TreeNode* root = tree().addChild(nullptr, "Root");
    for (const char* text : {"a", "b", "c"})
        tree().addChild(root, text);
    tree().addChild(nullptr, "After");
    click(root);
    FmCtrl->MemoEdd1Enter();
    FmCtrl->MemoEdd1.setLines({"v", "w", "x", "y", "z"});
    FmCtrl->PMTANAListClick();
    ASSERT_EQ(root->childCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(root->child(i)->text(), std::string(1, static_cast<char>('v' + i)));
    EXPECT_EQ(tree().root(tree().rootCount() - 1)->text(), "After");
    EXPECT_TRUE(scripted.dialogs->messages.empty());
}

TEST_F(SiteTreeTest, WritingBackTwoLinesUnderThreeChildrenSaysSo)
{
    TreeNode* root = tree().addChild(nullptr, "Root");
    for (const char* text : {"a", "b", "c"})
        tree().addChild(root, text);
    click(root);
    FmCtrl->MemoEdd1Enter();
    FmCtrl->MemoEdd1.setLines({"x", "y"});
    FmCtrl->PMTANAListClick();
    EXPECT_EQ(root->child(0)->text(), "x");
    EXPECT_EQ(root->child(1)->text(), "y");
    EXPECT_EQ(root->child(2)->text(), "c");
    EXPECT_EQ(scripted.dialogs->messages, std::vector<std::string>{"子階層カウントよりドキュメントが少ない"});
}

TEST_F(SiteTreeTest, WritingBackFollowsASelectionMadeWithTheKeyboard)
{
    // Travel, Hokkaido, Sapporo, Okinawa, Music: a click on Travel, then the
    // arrow keys move the selection to Hokkaido without a click.
    click(tree().root(0));
    TreeNode* hokkaido = tree().root(0)->child(0);
    tree().setSelected(hokkaido);
    FmCtrl->MemoEdd1Enter();
    FmCtrl->MemoEdd1.setLines({"Hakodate"});
    FmCtrl->PMTANAListClick();
    EXPECT_EQ(hokkaido->text(), "Hokkaido");
    EXPECT_EQ(hokkaido->child(0)->text(), "Hakodate");
    EXPECT_EQ(tree().root(0)->child(1)->text(), "Okinawa");
    EXPECT_EQ(FmCtrl->SelectedAbsIndex, 1);
}

TEST_F(SiteTreeTest, EnterKeyWritesBackTheLinesBeforeTheKey)
{
    TreeNode* root = tree().root(1);
    click(root);
    FmCtrl->MemoEdd1Enter();
    FmCtrl->MemoEdd1.setLines({"Jazz"});
    KeyEvent enter{13};
    FmCtrl->MemoEdd1KeyDown(enter);
    EXPECT_EQ(enter.key, 13);
    ASSERT_EQ(root->childCount(), 1);
    EXPECT_EQ(root->child(0)->text(), "Jazz");
    KeyEvent other{65};
    FmCtrl->MemoEdd1.setLines({"Jazz", "Rock"});
    FmCtrl->MemoEdd1KeyDown(other);
    EXPECT_EQ(root->childCount(), 1);
}

TEST_F(SiteTreeTest, DeleteWritesTheBackupAndRestorationBringsItBack)
{
    tree().setSelected(tree().root(1));
    FmCtrl->PMTrVwTDeleteClick();
    EXPECT_EQ(tree().count(), 4);
    EXPECT_EQ(treeFile("Hobby").find("Music"), std::string::npos);
    scripted.dialogs->yesNoAnswers = {true};
    FmCtrl->PMTrVwTTRestorationClick();
    EXPECT_EQ(tree().count(), 5);
    EXPECT_EQ(scripted.dialogs->questions, std::vector<std::string>{"Restoration: Does it save?"});
    EXPECT_NE(treeFile("Hobby").find("Music"), std::string::npos);
}

TEST_F(SiteTreeTest, ADeletedNodeComesBackWhereItWasWithItsSubtree)
{
    const std::string before = treeFile("Hobby");
    tree().setSelected(tree().root(0)->child(0)); // Hokkaido, with Sapporo below it
    FmCtrl->ToolButtonTrVwTDelete.click();
    EXPECT_EQ(tree().count(), 3);
    EXPECT_EQ(FmCtrl->PanelThema.caption(), "Deleted \"Hokkaido\" (Ctrl+Z undoes)");
    auto& undo = FmCtrl->find<MenuItem>("PMTrVwTUndoDelete");
    EXPECT_EQ(undo.shortcut, "Ctrl+Z");
    ASSERT_TRUE(undo.enabled());
    undo.click();
    EXPECT_EQ(treeFile("Hobby"), before);
    EXPECT_EQ(tree().selected(), tree().root(0)->child(0));
    EXPECT_FALSE(undo.enabled());

    // One step: the last deletion. A root that was the last one comes back last.
    tree().setSelected(tree().root(0)->child(1));
    FmCtrl->PMTrVwTDeleteClick();
    tree().setSelected(tree().root(1));
    FmCtrl->PMTrVwTDeleteClick();
    undo.click();
    EXPECT_EQ(treeFile("Hobby"), "Travel\r\n\tHokkaido\r\n\t\tSapporo\r\nMusic\r\n");

    // Not into another category's tree.
    tree().setSelected(tree().root(1));
    FmCtrl->PMTrVwTDeleteClick();
    FmCtrl->ComboBoxTVFCategory.setText("Economic");
    FmCtrl->ComboBoxTVFCategoryClick();
    const int shown = tree().count();
    undo.click();
    EXPECT_EQ(tree().count(), shown);
}

TEST_F(SiteTreeTest, RestorationWithoutBackupFails)
{
    EXPECT_FALSE(application->dispatch([] { FmCtrl->PMTrVwTTRestorationClick(); }));
    EXPECT_EQ(tree().count(), 5);
}

TEST_F(SiteTreeTest, AddRootAndChildUseTheNewNodeName)
{
    tree().setSelected(tree().root(0)->child(0));
    scripted.dialogs->inputAnswers = {std::string("Kyoto")};
    FmCtrl->PMTANARootClick();
    EXPECT_EQ(FmCtrl->NewNodeName, "Kyoto");
    EXPECT_EQ(tree().root(0)->child(2)->text(), "Kyoto");
    EXPECT_EQ(scripted.dialogs->prompts, std::vector<std::string>{"ノード追加: NodName(Parent)"});
    // Cancel keeps the old name and still adds.
    FmCtrl->PMTANARootClick();
    EXPECT_EQ(tree().root(0)->child(3)->text(), "Kyoto");
    FmCtrl->NewNodeName = "Site=http://a.example/";
    tree().setSelected(tree().root(1));
    FmCtrl->PMTANAChildClick();
    EXPECT_EQ(tree().root(1)->child(0)->text(), "Site=http://a.example/");
    EXPECT_NE(treeFile("Hobby").find("\tSite=http://a.example/"), std::string::npos);
}

TEST_F(SiteTreeTest, MissingTreeFileStartsAsACopyOfTheShownTree)
{
    FmCtrl->ComboBoxTVFCategory.setText("Economic");
    FmCpp->EditThemas.setText("x");
    FmCtrl->ComboBoxTVFCategoryClick();
    EXPECT_EQ(themes(), "");
    EXPECT_EQ(treeFile("Economic"), treeFile("Hobby"));
}

TEST_F(SiteTreeTest, CloseSavesCategoryListTreeAndPosition)
{
    FmCtrl->ComboBoxTVFCategory.addItem("New");
    tree().addChild(nullptr, "Extra");
    FmCtrl->setBounds(33, 44, FmCtrl->width(), FmCtrl->height());
    closeProgram();
    EXPECT_EQ(readRaw(data() / "USA" / "TVFCategory.txt"), "Hobby\r\nEconomic\r\nNew\r\n");
    EXPECT_NE(treeFile("Hobby").find("Extra"), std::string::npos);
    platform::IniFile base(data() / "USA" / "Base.INI");
    EXPECT_EQ(base.readInteger("FmCtrl", "Left", 0), 33);
    EXPECT_EQ(base.readInteger("FmCtrl", "Top", 0), 44);
}

TEST_F(SiteTreeTest, SharingWordsCheckUncheckAndPartOfATheme)
{
    auto& list = FmCtrl->CheckListBoxSharing;
    list.setItems({"無料", "最新"});
    FmCpp->EditThemas.setText("旅行 ");
    list.setChecked(0, true);
    FmCtrl->CheckListBoxSharingClick();
    EXPECT_EQ(themes(), "旅行 無料 ");
    EXPECT_TRUE(FmMain->TimerBase.enabled());
    list.setChecked(0, false);
    FmCtrl->CheckListBoxSharingClick();
    EXPECT_EQ(themes(), "旅行 ");
    FmCpp->EditThemas.setText("最新作 ");
    list.setChecked(1, true);
    FmCtrl->CheckListBoxSharingClick();
    EXPECT_EQ(themes(), "最新作 ");
}

TEST_F(SiteTreeTest, RemovingAThemeRepairsDoubledOperatorsOnce)
{
    FmCtrl->LikeWord = "&";
    FmCtrl->ClickedWord = "B";
    FmCpp->EditThemas.setText("A&B&C&");
    FmCtrl->PMSUniquClick();
    EXPECT_EQ(themes(), "A&C&");
    FmCpp->EditThemas.setText("A&&B&");
    FmCtrl->PMSUniquClick();
    EXPECT_EQ(themes(), "A&");
    FmCpp->EditThemas.setText("A&&&&");
    FmCtrl->ClickedWord = "Z";
    FmCtrl->PMSUniquClick();
    EXPECT_EQ(themes(), "A&&");
}

TEST_F(SiteTreeTest, SharingDateAddAddAndDeleteSaveTheList)
{
    FmCtrl->PMCDateClick();
    EXPECT_EQ(FmCtrl->CheckListBoxSharing.item(FmCtrl->CheckListBoxSharing.count() - 1), "2012/7/3");
    scripted.dialogs->inputAnswers = {std::string("Sale")};
    FmCtrl->PMCAdd1Click();
    FmCtrl->PMCAdd1Click();
    const auto saved = readRaw(data() / "USA" / "SharingTheme.txt");
    EXPECT_NE(saved.find("2012/7/3\r\nSale\r\n\r\n"), std::string::npos);
    FmCtrl->CheckListBoxSharing.setItemIndex(-1);
    const int before = FmCtrl->CheckListBoxSharing.count();
    FmCtrl->PMCDelete1Click();
    EXPECT_EQ(FmCtrl->CheckListBoxSharing.count(), before);
    FmCtrl->CheckListBoxSharing.setItemIndex(0);
    FmCtrl->PMCDelete1Click();
    EXPECT_EQ(FmCtrl->CheckListBoxSharing.count(), before - 1);
}

} // namespace
