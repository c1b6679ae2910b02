// The theme tree: its file, backup, node selection, double click, drag
// and drop.

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "framework/keys.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "settings/fm_sys.h"
#include "sitetree/file_names.h"
#include "sitetree/fm_ctrl.h"
#include "sitetree/tvf.h"

using namespace framework;

platform::fs::path TFmCtrl::treeFilePath()
{
    return dataFile("TVFThema" + sitetree::checkedNamePart("category", ComboBoxTVFCategory.text()) + ".tvf");
}

// ------------------------------------------------------------ tree file

void TFmCtrl::PMTrVwFELoadClick()
{
    // Another tree: a deletion in the last one is not undone in this one.
    ++treeLoads_;
    // A tree read only in part (a malformed line) stays unsaved, so its
    // file keeps the lines after the fault.
    treeFile_.load([this] {
        const auto path = treeFilePath();
        // A category without a file starts as a copy of the tree shown.
        if (platform::fileExists(path))
            sitetree::loadTvfFile(*ActiveTreeView, path);
        else
            sitetree::saveTvfFile(*ActiveTreeView, path);
    });
}

void TFmCtrl::PMTrVwFESaveClick()
{
    const auto path = treeFilePath();
    if (treeFile_.mayReplace(path))
        sitetree::saveTvfFile(*ActiveTreeView, path);
}

void TFmCtrl::PMTrVwTBackUPClick()
{
    const auto path = treeFilePath();
    const auto backup = dataFile("BU_" + platform::pathText(path.filename()));
    if (treeFile_.mayReplace(backup))
        sitetree::saveTvfFile(*ActiveTreeView, backup);
}

void TFmCtrl::PMTrVwTTRestorationClick()
{
    const auto path = treeFilePath();
    ++treeLoads_;
    treeFile_.load(
        [&] { sitetree::loadTvfFile(*ActiveTreeView, dataFile("BU_" + platform::pathText(path.filename()))); });
    if (app().dialogs().askYesNo("Does it save?", "Restoration"))
        sitetree::saveTvfFile(*ActiveTreeView, treeFilePath());
}

void TFmCtrl::PMTrVwANOpen1Click()
{
    app().shell().open(platform::pathText(treeFilePath()));
}

void TFmCtrl::PMTrVwFESReadClick()
{
    platform::IniFile base(dataFile("Base.INI"));
    find<MenuItem>("PMTrVwTTRootIn").setChecked(base.readInteger("PMTrVwTTRootIn", "Checked", 1) == 1);
}

void TFmCtrl::PMTrVwFESWriteClick()
{
    platform::IniFile base(dataFile("Base.INI"));
    base.writeInteger("PMTrVwTTRootIn", "Checked", find<MenuItem>("PMTrVwTTRootIn").checked() ? 1 : 0);
    base.flush();
}

void TFmCtrl::ToolButtonTVFAddClick()
{
    PMTrVwFESaveClick();
}

void TFmCtrl::PMTrVwTTSaveClick()
{
    PMTrVwFESaveClick();
}

// ------------------------------------------------------------ node click

void TFmCtrl::TreeViewEdd1Click()
{
    TreeView& tree = TreeViewEdd1;
    AllCount = tree.count();
    FmSys->LabelAllCnt.setCaption("AllCnt/総数 = " + std::to_string(AllCount));
    TreeNode* selected = tree.selected();
    RootIndex = selected ? selected->index() : -1;
    FmSys->LabelTVFRootNum.setCaption("RootNum/ルート = " + std::to_string(RootIndex));

    if (RootIndex >= 0) {
        SelectedAbsIndex = selected->absoluteIndex();
        FmSys->LabelAbs.setCaption("Abs/行 = " + std::to_string(SelectedAbsIndex));
        TreeNode* node = ActiveTreeView->nodeAt(SelectedAbsIndex);
        CurrentNodeText = node ? node->text() : std::string();
        FmSys->LabelItmNod.setCaption(CurrentNodeText);
        HasParent = selected->parent() != nullptr;
        FmSys->LabelParent.setCaption(HasParent ? "親ｱﾘ" : "親ﾅｼ");
        ChildCount = selected->childCount();
        FmSys->LabelChildCnt.setCaption("ChildCnt/子の数 = " + std::to_string(ChildCount));
        // The nodes that follow in depth-first order: the children when
        // they are leaves.
        // One depth-first walk, not one search per following node.
        const std::vector<TreeNode*> nodes = tree.allNodes();
        std::vector<std::string> following;
        std::string indexes;
        for (int i = SelectedAbsIndex + 1; i <= SelectedAbsIndex + ChildCount && i < static_cast<int>(nodes.size());
             ++i) {
            following.push_back(nodes[static_cast<size_t>(i)]->text());
            indexes += " " + std::to_string(i);
        }
        MemoEdd1.setLines(following);
        FmSys->LabelAbsoluteIndex.setCaption(indexes);
    }
    FmSys->LabelAbsolute.setCaption(FmSys->LabelAbsoluteIndex.caption().empty() ? "true" : "false");

    if (find<MenuItem>("PMTrVwTTConnectedManiplates").checked()) {
        FmCpp->ComboBoxManipSite.setText(CurrentNodeText);
        FmCpp->ComboBoxManipSiteClick();
    }

    Edit& themes = themeBox();
    if (HasParent) {
        if (themes.text().find(CurrentNodeText) == std::string::npos)
            themes.setText(themes.text() + CurrentNodeText + LikeWord);
    } else {
        themes.setText("");
        if (find<MenuItem>("PMTrVwTTRootIn").checked())
            themes.setText(CurrentNodeText + LikeWord);
        PMSCFOnClic1Click();
    }
    PanelThema.setCaption(CurrentNodeText);

    if (FmMain->LectureName == "Serch") {
        TreeViewEdd1.setColor(0xA6FFA6);
        FmMain->showLectureStep(3);
        CheckListBoxSharing.setVisible(true);
        FmMemo->bringToFront();
    } else if (FmMain->LectureName == "TTreeView" && FmMain->LectureStep == 3) {
        TreeViewEdd1.setColor(0xA6FFA6);
        FmMain->showLectureStep(4);
        FmMemo->bringToFront();
    }
}

void TFmCtrl::TreeViewEdd1DblClick()
{
    Edit& themes = themeBox();
    themes.setText(framework::replaceAll(themes.text(), CurrentNodeText + LikeWord, ""));
    FmMain->WorkText = CurrentNodeText;
    if (CurrentNodeText.find('=') == std::string::npos)
        return;
    // An address node: open it alone in the current tab.
    FmCpp->AccessMode = "Single";
    FmCpp->useCurrentBrowser();
    FmMemo->MemoList.setText(CurrentNodeText);
    FmCpp->PMPLstClick();
    FmCpp->navigateActiveBrowser(FmMain->boxAddress());
}

void TFmCtrl::TreeViewEdd1Enter()
{
    TreeSuffix = "Edd1";
    ActiveTreeView = &find<TreeView>("TreeView" + TreeSuffix);
}

void TFmCtrl::MemoEdd1Enter()
{
    ListSuffix = "Edd1";
    ActiveListMemo = &find<Memo>("Memo" + ListSuffix);
}

void TFmCtrl::TreeViewEdd1MouseDown()
{
    // The attention cue on the theme box.
    FmMain->BlinkTick = 0;
    FmMain->TimerBase.setEnabled(true);
}

void TFmCtrl::MemoEdd1KeyDown(KeyEvent& key)
{
    // The key is left to the memo: the write-back sees the lines as they
    // were before the line break.
    if (key.key == vk::Return)
        PMTANAListClick();
}

// ------------------------------------------------------- drag and drop

void TFmCtrl::TreeViewEdd1DragOver(Control* source, int x, int y, bool& accept)
{
    PMTrVwTBackUPClick();
    accept = source == &TreeViewEdd1 && TreeViewEdd1.nodeAtPoint(x, y) != nullptr;
    // Near an edge the tree scrolls one line per drag-over event.
    if (y < 15)
        TreeViewEdd1.scrollLines(-1);
    else if (y > TreeViewEdd1.height() - 15)
        TreeViewEdd1.scrollLines(1);
}

void TFmCtrl::TreeViewEdd1DragDrop(Control* source, int x, int y)
{
    TreeNode* dragged = TreeViewEdd1.selected();
    if (source != &TreeViewEdd1 || !dragged)
        return;
    const TreeHit hit = TreeViewEdd1.hitTest(x, y);
    switch (hit.kind) {
    case TreeHitKind::OnLabel:
    case TreeHitKind::OnIcon:
        if (hit.node)
            TreeViewEdd1.moveTo(dragged, hit.node, NodeAttach::AddChild);
        break;
    case TreeHitKind::Nowhere:
        if (!hit.node)
            TreeViewEdd1.moveTo(dragged, nullptr, NodeAttach::Add);
        break;
    case TreeHitKind::OnIndent:
        if (hit.node)
            TreeViewEdd1.moveTo(dragged, hit.node, NodeAttach::Insert);
        break;
    default:
        break;
    }
    SelectedAbsIndex = dragged->absoluteIndex();
    CurrentNodeText = dragged->text();
    themeBox().setText(ComboBoxTVFCategory.text() + CurrentNodeText);
    PMTrVwFESaveClick();
}
