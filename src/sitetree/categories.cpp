// Tree categories and the tree editing commands.

#include <algorithm>

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "platform/text_store.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

// ------------------------------------------------------------ categories

void TFmCtrl::PMTFCLoad1Click()
{
    categoriesLoaded_ = false;
    const auto path = dataFile("TVFCategory.txt");
    if (platform::fileExists(path))
        ComboBoxTVFCategory.setItems(platform::loadLines(path));
    else
        platform::saveLines(path, ComboBoxTVFCategory.items());
    platform::IniFile base(dataFile("Base.INI"));
    ComboBoxTVFCategory.setText(base.readString("TVF", "Category", ""));
    categoriesLoaded_ = true;
}

void TFmCtrl::PMTrVwCFSaveClick()
{
    const auto path = dataFile("TVFCategory.txt");
    if (!mayReplace(categoriesLoaded_, path))
        return;
    platform::saveLines(path, ComboBoxTVFCategory.items());
    platform::IniFile base(dataFile("Base.INI"));
    base.writeString("TVF", "Category", ComboBoxTVFCategory.text());
    base.flush();
}

void TFmCtrl::PMTFCOpenClick()
{
    app().shell().open(platform::pathText(dataFile("TVFCategory.txt")));
}

void TFmCtrl::ComboBoxTVFCategoryClick()
{
    PMTrVwFELoadClick();
    themeBox().setText("");
}

void TFmCtrl::ComboBoxTVFCategoryChange()
{
    if (FmMain->LectureName != "Serch" && FmMain->LectureName != "TTreeView")
        return;
    FmMain->showLectureStep(2);
    TreeViewEdd1.setVisible(true);
    FmMemo->bringToFront();
    ComboBoxTVFCategory.setColor(ColorWhite);
}

void TFmCtrl::PMTTAdd1Click()
{
    if (anyContains(ComboBoxTVFCategory.items(), ComboBoxTVFCategory.text()))
        PMTrVwFELoadClick();
    else
        ComboBoxTVFCategory.addItem(ComboBoxTVFCategory.text());
}

void TFmCtrl::FMTTrVwTSaveClick()
{
    PMTTAdd1Click();
    PMTrVwFELoadClick();
    PMTrVwFESaveClick();
}

void TFmCtrl::ToolButtonTVFFuncClick()
{
    FMTTrVwTSaveClick();
    if (FmMain->LectureName != "TTreeView")
        return;
    if (FmMain->LectureStep == 2) {
        FmMain->LectureStep = 3;
        ComboBoxBunch.setColor(0xA00000);
    } else if (FmMain->LectureStep == 7) {
        ToolBarBunch.setColor(0xFFFFD2);
    }
    FmMain->showLectureStep(FmMain->LectureStep);
    FmMemo->bringToFront();
}

void TFmCtrl::FMTTrVwTDeleteClick()
{
    FmMemo->removeCurrentItem(ComboBoxTVFCategory);
    ComboBoxTVFCategoryClick();
    FmMemo->MemoLog.clear();
    FmMemo->close();
}

// ------------------------------------------------------------ node edits

void TFmCtrl::PMTANARootClick()
{
    NewNodeName = app().dialogs().inputBox("ノード追加", "NodName(Parent)", NewNodeName);
    ActiveTreeView->add(ActiveTreeView->selected(), NewNodeName);
    PMTrVwFESaveClick();
    if (FmMain->LectureName == "TTreeView") {
        ToolBarTreeVeiw.setColor(0xEEFFEE);
        FmMain->showLectureStep(6);
        FmMain->MMHSEndClick();
        FmMemo->bringToFront();
    }
}

void TFmCtrl::PMTANAChildClick()
{
    ActiveTreeView->addChildFirst(ActiveTreeView->selected(), NewNodeName);
    PMTrVwFESaveClick();
}

void TFmCtrl::PMTANAListClick()
{
    TreeView& tree = *ActiveTreeView;
    TreeNode* selected = tree.selected();
    if (!selected || !ActiveListMemo)
        return;
    const std::vector<std::string> lines = ActiveListMemo->lines();
    ChildCount = selected->childCount();
    LineCount = static_cast<int>(lines.size());
    tree.beginUpdate();
    for (int i = ChildCount; i < LineCount; ++i)
        tree.addChild(selected, lines[static_cast<size_t>(i)]);
    // The lines name the nodes that follow the selected node, in order. The
    // arrow keys move the selection without a click, so the index the last
    // click left may name another node: take it from the selection now.
    const std::vector<TreeNode*> nodes = tree.allNodes();
    SelectedAbsIndex = static_cast<int>(std::find(nodes.begin(), nodes.end(), selected) - nodes.begin());
    for (int j = 0; j < LineCount; ++j) {
        const size_t at = static_cast<size_t>(SelectedAbsIndex + j + 1);
        if (at < nodes.size())
            nodes[at]->setText(lines[static_cast<size_t>(j)]);
    }
    tree.endUpdate();
    if (ChildCount > LineCount)
        app().dialogs().showMessage("子階層カウントよりドキュメントが少ない");
}

void TFmCtrl::PMTrVwTDeleteClick()
{
    PMTrVwTBackUPClick();
    ActiveTreeView->deleteNode(ActiveTreeView->selected());
    PMTrVwFESaveClick();
}

void TFmCtrl::ToolButtonTrVwTDeleteClick()
{
    if (FmMain->LectureName != "TTreeView")
        return;
    TreeViewEdd1.setColor(0xA6FFA6);
    FmMain->showLectureStep(5);
    FmMemo->bringToFront();
}

void TFmCtrl::PMTrVwTTRootInClick()
{
    MenuItem& item = find<MenuItem>("PMTrVwTTRootIn");
    item.setChecked(!item.checked());
    PMTrVwFESWriteClick();
}

void TFmCtrl::PMTrVwTTConnectedManiplatesClick()
{
    MenuItem& item = find<MenuItem>("PMTrVwTTConnectedManiplates");
    item.setChecked(!item.checked());
}

void TFmCtrl::PMTANRenameChangeClick()
{
}

void TFmCtrl::PMTFRMakeXML1Click()
{
}
