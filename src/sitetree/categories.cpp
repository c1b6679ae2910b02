// Tree categories and the tree editing commands.

#include <algorithm>

#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "platform/text_store.h"
#include "sitetree/fm_ctrl.h"
#include "sitetree/tvf.h"

using namespace framework;

// ------------------------------------------------------------ categories

void TFmCtrl::PMTFCLoad1Click()
{
    loadNames(categories_, "TVFCategory.txt");
}

void TFmCtrl::PMTrVwCFSaveClick()
{
    saveNames(categories_, "TVFCategory.txt");
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
    if (!categories_.addChoice())
        PMTrVwFELoadClick();
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
    FmMain->lectureCommand("TTreeView", [this](int& step) {
        if (step == 2) {
            step = 3;
            ComboBoxBunch.setColor(0xA00000);
        } else if (step == 7) {
            ToolBarBunch.setColor(0xFFFFD2);
        }
    });
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
    TreeView& tree = *ActiveTreeView;
    TreeNode* node = tree.selected();
    if (node) {
        // Deleted at once, and kept for one undo.
        DeletedNode gone;
        gone.parent = node->parent();
        gone.index = node->index();
        gone.treeLoad = treeLoads_;
        const int depth = node->level();
        const std::vector<std::string> all = sitetree::writeTvf(tree);
        const int first = node->absoluteIndex();
        int last = first + 1;
        while (last < static_cast<int>(all.size()) && tree.nodeAt(last)->level() > depth)
            ++last;
        for (int i = first; i < last; ++i)
            gone.lines.push_back(all[static_cast<size_t>(i)].substr(static_cast<size_t>(depth)));
        PanelThema.setCaption(vantrel::programText("NodeDeleted", "Deleted \"%1\" (Ctrl+Z undoes)", {node->text()}));
        deleted_ = std::move(gone);
        find<MenuItem>("PMTrVwTUndoDelete").setEnabled(true);
    }
    tree.deleteNode(node);
    PMTrVwFESaveClick();
}

void TFmCtrl::PMTrVwTUndoDeleteClick()
{
    if (!deleted_)
        return;
    const DeletedNode gone = std::move(*deleted_);
    deleted_.reset();
    find<MenuItem>("PMTrVwTUndoDelete").setEnabled(false);
    TreeView& tree = TreeViewEdd1;
    const std::vector<TreeNode*> nodes = tree.allNodes();
    // Another tree was loaded meanwhile, or the node's parent is gone.
    if (gone.treeLoad != treeLoads_ ||
        (gone.parent && std::find(nodes.begin(), nodes.end(), gone.parent) == nodes.end()))
        return;
    tree.beginUpdate();
    TreeNode* restored = nullptr;
    std::vector<TreeNode*> levels;
    for (const std::string& line : gone.lines) {
        const size_t depth =
            line.find_first_not_of('\t') == std::string::npos ? line.size() : line.find_first_not_of('\t');
        const std::string text = line.substr(depth);
        if (!restored) {
            const int siblings = gone.parent ? gone.parent->childCount() : tree.rootCount();
            TreeNode* before = gone.index < siblings
                                   ? (gone.parent ? gone.parent->child(gone.index) : tree.root(gone.index))
                                   : nullptr;
            restored = before ? tree.insert(before, text) : tree.addChild(gone.parent, text);
            levels = {restored};
            continue;
        }
        levels.resize(std::min(levels.size(), depth));
        levels.push_back(tree.addChild(levels.back(), text));
    }
    tree.endUpdate();
    tree.setSelected(restored);
    PanelThema.setCaption(restored ? restored->text() : std::string());
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
