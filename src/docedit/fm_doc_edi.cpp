#include "docedit/fm_doc_edi.h"

#include <vector>

#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "framework/application.h"
#include "framework/flag_scope.h"
#include "framework/keys.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "sitetree/tvf.h"

using namespace framework;

TFmDocEdi::TFmDocEdi()
    : Form("FmDocEdi"), GroupBoxChang(make<GroupBox>("GroupBoxChang", nullptr)),
      MemoBlue(make<Memo>("MemoBlue", &GroupBoxChang)), SplitterChang(make<Splitter>("SplitterChang", &GroupBoxChang)),
      MemoRed(make<Memo>("MemoRed", &GroupBoxChang)), PageControlMain(make<PageControl>("PageControlMain", nullptr)),
      TabSheetMEdit(make<TabSheet>("TabSheetMEdit", &PageControlMain)),
      ToolBarEdit(make<ToolBar>("ToolBarEdit", &TabSheetMEdit)),
      ToolButtonEdit(make<ToolButton>("ToolButtonEdit", &ToolBarEdit)),
      TreeViewMoji(make<TreeView>("TreeViewMoji", &TabSheetMEdit)),
      TabSheetChang(make<TabSheet>("TabSheetChang", &PageControlMain)),
      PanelChang(make<Panel>("PanelChang", &TabSheetChang)),
      ComboBoxChang(make<ComboBox>("ComboBoxChang", &PanelChang)),
      ComboBoxWCCpy(make<ComboBox>("ComboBoxWCCpy", &PanelChang)),
      LabelWCCpyNum(make<Label>("LabelWCCpyNum", &PanelChang)), LabelArrow(make<Label>("LabelArrow", &PanelChang)),
      ComboBoxWCPst(make<ComboBox>("ComboBoxWCPst", &PanelChang)),
      LabelWCPstNum(make<Label>("LabelWCPstNum", &PanelChang)),
      ToolBarChang(make<ToolBar>("ToolBarChang", &PanelChang)),
      ToolButtonChang(make<ToolButton>("ToolButtonChang", &ToolBarChang)),
      StringGridChang(make<StringGrid>("StringGridChang", &TabSheetChang))
{
    setBounds(120, 55, 320, 480);
    setCaption("DocEdit");

    setUpControls({
        {.control = &GroupBoxChang, .caption = "Change", .align = Align::Top, .height = 90},
        {.control = &MemoBlue, .align = Align::Left, .width = 150},
        {.control = &SplitterChang, .align = Align::Left, .width = 3},
        {.control = &MemoRed, .align = Align::Client},
    });
    GroupBoxChang.setColor(16765183);
    MemoBlue.setText("Blur");
    MemoBlue.scrollVertical = true;
    MemoBlue.setFontColor(0xFF0000);
    MemoBlue.onEnter = [this] { MemoBlueEnter(); };
    MemoRed.setText("Red");
    MemoRed.setFontColor(0x0000FF);
    MemoRed.onEnter = [this] { MemoRedEnter(); };

    setUpControls({
        {.control = &PageControlMain, .align = Align::Client},
        {.control = &TabSheetMEdit, .caption = "Edit"},
        {.control = &ToolBarEdit, .align = Align::Top, .height = 24},
        {.control = &ToolButtonEdit, .caption = "Tool", .onClick = [this] { ToolButtonEditClick(); }},
        {.control = &TreeViewMoji, .align = Align::Client, .onClick = [this] { TreeViewMojiClick(); }},
    });
    PageControlMain.buttonStyle = true;
    ToolButtonEdit.setHint("Runs the chosen operation on the memo window's source text (Enter or a double click "
                           "on the operation does too)");
    ToolButtonEdit.dropDown = true;
    TreeViewMoji.indent = 19;
    TreeViewMoji.onDblClick = [this] { TreeViewMojiDblClick(); };
    TreeViewMoji.onKeyDown = [this](KeyEvent& key) { TreeViewMojiKeyDown(key); };
    // Red wins over blue when a node names both.
    TreeViewMoji.nodeFontColor = [this](const TreeNode& node) -> int32_t {
        const std::string& text = node.text();
        if (contains(text, "赤") || (!RedWord.empty() && contains(text, RedWord)))
            return 0x0000FF;
        if (contains(text, "青") || (!BlueWord.empty() && contains(text, BlueWord)))
            return 0xFF0000;
        return ColorDefault;
    };

    setUpControls({
        {.control = &TabSheetChang, .caption = "Chang"},
        {.control = &PanelChang, .align = Align::Top, .height = 52},
        {.control = &ComboBoxChang, .bounds = {2, 2, 150, 22}, .onClick = [this] { ComboBoxChangClick(); }},
        {.control = &ToolBarChang, .bounds = {156, 0, 60, 26}},
        {.control = &ToolButtonChang, .caption = "Tool", .onClick = [this] { MMSChangTSaveClick(); }},
        {.control = &LabelWCCpyNum, .caption = "0", .bounds = {2, 30, 14, 16}},
        {.control = &ComboBoxWCCpy, .bounds = {16, 28, 100, 22}, .onClick = [this] { ComboBoxWCCpyChange(); }},
        {.control = &LabelArrow, .caption = ">>", .bounds = {120, 30, 20, 16}},
        {.control = &LabelWCPstNum, .caption = "1", .bounds = {140, 30, 14, 16}},
        {.control = &ComboBoxWCPst, .bounds = {156, 28, 100, 22}, .onClick = [this] { ComboBoxWCPstChange(); }},
        {.control = &StringGridChang, .align = Align::Client},
    });
    TabSheetChang.onShow = [this] { TabSheetChangShow(); };
    ComboBoxChang.setText("WrdCng");
    ToolButtonChang.dropDown = true;
    ComboBoxWCCpy.setText("Cpy");
    ComboBoxWCCpy.onChange = [this] { ComboBoxWCCpyChange(); };
    ComboBoxWCPst.setText("Pst");
    ComboBoxWCPst.onChange = [this] { ComboBoxWCPstChange(); };
    StringGridChang.setColCount(15);
    StringGridChang.setRowCount(50);
    StringGridChang.setDefaultColWidth(72);
    StringGridChang.setDefaultRowHeight(16);
    StringGridChang.editing = true;
    StringGridChang.rangeSelect = true;
    StringGridChang.colSizing = true;
    StringGridChang.rowMoving = true;
    StringGridChang.colMoving = true;
    StringGridChang.tabs = true;
    StringGridChang.onMouseDown = [this](const MouseEvent& e) { StringGridChangMouseDown(e); };

    PageControlMain.setActivePage(&TabSheetMEdit);
    buildMenus();
    loadDefaultTree();
}

void TFmDocEdi::buildMenus()
{
    // The commands sit in a hidden menu; the tool buttons open its parts.
    MenuItem& sys = makeMenu("MMSys", nullptr, "Sys");
    popupMenus.push_back(&sys);
    static const MenuRow<TFmDocEdi> rows[] = {
        {0, "MMSEdit", "Edit"},
        {1, "MMSEditFile", "File"},
        {2, "MMSEditFLoad", "Load", &TFmDocEdi::MMSEditFLoadClick},
        {2, "MMSEditSave", "Save", &TFmDocEdi::MMSEditSaveClick},
        {0, "MMSEditTool", "Tool"},
        {1, "MMSEditTSourceFromLog", "SourceFromLog", &TFmDocEdi::MMSEditTSourceFromLogClick},
        {1, "N1", "-"},
        {1, "MMSEditTRun", "Run", &TFmDocEdi::MMSEditTRunClick, MenuHidden},
        {1, "Save", "Save", &TFmDocEdi::MMSEditSaveClick},
        {0, "MMSEditPrg", "Prg"},
        {1, "MMSEditPSelText", "SelText", &TFmDocEdi::MMSEditPSelTextClick},
        {0, "MMSChang", "Chang"},
        {1, "MMSChangCombo", "ComboBox"},
        {2, "MMSChangCFile", "File"},
        {3, "MMSChangCFLoad", "Load", &TFmDocEdi::MMSChangCFLoadClick},
        {3, "MMSChangCFSave", "Save", &TFmDocEdi::MMSChangCFSaveClick},
        {1, "MMSChangGrid", "StringGrid"},
        {2, "MMSChangSFile", "File"},
        {3, "MMSChangSFRead", "Read", &TFmDocEdi::MMSChangSFReadClick},
        {3, "MMSChangSFWrite", "Write", &TFmDocEdi::MMSChangSFWriteClick},
        {2, "MMSChangSSet", "Set"},
        {3, "MMSChangSSCnt", "Cnt", &TFmDocEdi::MMSChangSSCntClick},
        {3, "MMSChangSSCount", "Count", &TFmDocEdi::MMSChangSSCountClick},
        {3, "MMSChangSSBase", "Bass", &TFmDocEdi::MMSChangSSBaseClick},
        {1, "MMSChangTool", "Tool"},
        {2, "MMSChangTCol", "Col"},
        {3, "MMSChangTColAdd", "Add", &TFmDocEdi::MMSChangTColAddClick},
        {3, "MMSWToolColInsert", "Insert", &TFmDocEdi::MMSWToolColInsertClick},
        {3, "MMSChangTColDelete", "Delete", &TFmDocEdi::MMSChangTColDeleteClick},
        {2, "MMSChangTRow", "Row"},
        {3, "MMSChangTRowAdd", "Add", &TFmDocEdi::MMSChangTRowAddClick},
        {3, "MMSWTRowInsert", "Insert", &TFmDocEdi::MMSWTRowInsertClick},
        {3, "MMSWTRowDelete", "Delete", &TFmDocEdi::MMSWTRowDeleteClick},
        {3, "MMSWTRowChangFromMemo", "ChangFromMemo", &TFmDocEdi::MMSWTRowChangFromMemoClick},
        {2, "N2", "-"},
        {2, "MMSChangToolRun", "Run", &TFmDocEdi::MMSChangToolRunClick},
        {2, "MMSChangTSave", "Save", &TFmDocEdi::MMSChangTSaveClick},
        {2, "MMSChangTListUp", "ListUp", &TFmDocEdi::MMSChangTListUpClick},
    };
    makeMenuRows(sys, rows);
    MenuItem& tool = find<MenuItem>("MMSEditTool");
    MenuItem& changTool = find<MenuItem>("MMSChangTool");
    ToolButtonEdit.dropDownMenu = &tool;
    ToolButtonChang.dropDownMenu = &changTool;
    TreeViewMoji.popupMenu = &tool;
    StringGridChang.popupMenu = &changTool;
}

namespace {

// The operation tree the editor starts with: the depth of each node, its
// row in the caption table's [TreeViewMoji] section, its built-in label
// and the code it runs (which follows the label, so choosing the
// operation runs it whatever the label's language).
struct DefaultNode {
    int depth;
    const char* key;
    const char* label;
    const char* code;
};

const DefaultNode DefaultTree[] = {
    {0, "Characters", "文字", ""},
    {1, "CharactersConvert", "変換", ""},
    {2, "C1-1", "青文字を赤文字に変換", "(C1-1)"},
    {2, "C1-8", "半ｶﾀｶﾅ→全", "(C1-8)"},
    {2, "C1-2", "半→全", "(C1-2)"},
    {2, "C1-3", "全→半", "(C1-3)"},
    {2, "C1-6", "カタカナ→ひらがな", "(C1-6)"},
    {2, "C1-7", "ひらがな→カタカナ", "(C1-7)"},
    {2, "C1-4", "英数:小文字⇒大文字", "(C1-4)"},
    {2, "C1-5", "英数:大文字⇒小文字", "(C1-5)"},
    {1, "CharactersInsert", "挿入", ""},
    {2, "C2-1", "青文字を文字列前に", "(C2-1)"},
    {2, "C2-2", "青文字を文字列後ろに", "(C2-2)"},
    {2, "C2-3", "青文字を文字列前に|赤文字を文字列後ろに", "(C2-3)"},
    {1, "CharactersDelete", "削除", ""},
    {2, "C3-1", "青文字", "(C3-1)"},
    {2, "C3-2", "青文字以降", "(C3-2)"},
    {2, "C3-3", "青文字以前", "(C3-3)"},
    {2, "C3-4", "半角数字", "(C3-4)"},
    {2, "", "", ""},
    {1, "CharactersExtract", "抽出", ""},
    {2, "C4-1", "青文字と赤文字の間", "(C4-1)"},
    {1, "CharactersMove", "移動", ""},
    {2, "C5-1", "青文字を文字列前に", "(C5-1)"},
    {2, "C5-2", "青文字を文字列後ろに", "(C5-2)"},
    {0, "Lines", "行", ""},
    {1, "LinesBreak", "改行", ""},
    {2, "L1-1", "青文字以後", "(L1-1)"},
    {2, "L1-2", "青文字から", "(L1-2)"},
    {1, "LinesInsert", "挿入", ""},
    {2, "L2-1", "飛び飛びに青文字", "(L2-1)"},
    {1, "LinesMove", "移動", ""},
    {2, "L3-1", "青文字の下に赤文字", "(L3-1)"},
    {2, "L3-2", "上下入れ替え", "(L3-2)"},
    {2, "L3-3", "青文字を上行後ろへ", "(L3-3)"},
    {2, "L3-4", "青文字を上行前へ", "(L3-4)"},
    {1, "LinesDelete", "削除", ""},
    {2, "L4-1", "青文字がある場合", "(L4-1)"},
    {2, "L4-2", "青文字が無い場合", "(L4-2)"},
    {2, "L4-3", "空白の行", "(L4-3)"},
    {2, "L4-4", "先頭と末尾の空白(Trim)文字", "(L4-4)"},
    {2, "L4-5", "同じ文", "(L4-5)"},
};

// The default tree's lines, labelled from the caption table (the built-in
// labels without one).
std::vector<std::string> defaultTreeLines(const platform::IniFile* hlp)
{
    std::vector<std::string> lines;
    for (const DefaultNode& node : DefaultTree) {
        std::string label = node.label;
        if (hlp && *node.key)
            label = hlp->readString("TreeViewMoji", node.key, label);
        lines.push_back(std::string(static_cast<size_t>(node.depth), '\t') + label + node.code);
    }
    return lines;
}

} // namespace

void TFmDocEdi::loadDefaultTree()
{
    sitetree::readTvf(TreeViewMoji, defaultTreeLines(nullptr));
}

void TFmDocEdi::FormCreate()
{
    std::vector<std::string> localTree;
    {
        platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
        find<MenuItem>("MMSEditTSourceFromLog").setCaption("Log->Source");
        vantrel::readCaptions(hlp, *this, {"MMSEditTSourceFromLog", "MMSChangTCol", "MMSChangTRow"});
        // The rows of what this program adds, and the hints.
        vantrel::readCaptions(hlp, *this,
                              {"FmDocEdi",
                               "GroupBoxChang",
                               "MemoBlue",
                               "MemoRed",
                               "TabSheetMEdit",
                               "ToolButtonEdit",
                               "MMSEditTRun",
                               "Save",
                               "TabSheetChang",
                               "ToolButtonChang",
                               "MMSChangTColAdd",
                               "MMSWToolColInsert",
                               "MMSChangTColDelete",
                               "MMSChangTRowAdd",
                               "MMSWTRowInsert",
                               "MMSWTRowDelete",
                               "MMSWTRowChangFromMemo",
                               "MMSChangToolRun",
                               "MMSChangTSave",
                               "MMSChangTListUp"});
        vantrel::readHints(hlp, *this,
                           {"TreeViewMoji", "ComboBoxChang", "ComboBoxWCCpy", "ComboBoxWCPst", "StringGridChang"});
        // The words that colour an operation's label like its key box.
        BlueWord = hlp.readString("TreeViewMoji", "BlueWord", BlueWord);
        RedWord = hlp.readString("TreeViewMoji", "RedWord", RedWord);
        localTree = defaultTreeLines(&hlp);
    }
    sitetree::readTvf(TreeViewMoji, localTree);
    KeyMemoColour = "Blue";
    MMSEditFLoadClick();
    // A tree file that is the built-in tree as an earlier start wrote it,
    // in Japanese, becomes the tree in the user's language.
    if (sitetree::writeTvf(TreeViewMoji) == defaultTreeLines(nullptr) && localTree != defaultTreeLines(nullptr)) {
        sitetree::readTvf(TreeViewMoji, localTree);
        MMSEditSaveClick();
    }
    MMSChangCFLoadClick();
    const framework::FlagScope startingUp(startingUp_);
    ComboBoxChangClick();
}

void TFmDocEdi::MMSEditSaveClick()
{
    const auto path = FmMain->langPath("TVFEdit.tvf");
    FmMain->PathText = platform::pathText(path);
    sitetree::saveTvfFile(TreeViewMoji, path);
}

void TFmDocEdi::MMSEditFLoadClick()
{
    const auto path = FmMain->langPath("TVFEdit.tvf");
    FmMain->PathText = platform::pathText(path);
    if (platform::fileExists(path))
        sitetree::loadTvfFile(TreeViewMoji, path);
    else
        sitetree::saveTvfFile(TreeViewMoji, path);
}

void TFmDocEdi::TreeViewMojiClick()
{
    ToolButtonChang.setVisible(false);
    const TreeNode* node = TreeViewMoji.selected();
    if (node && node->parent() && node->parent()->parent()) {
        OperationPath = node->parent()->parent()->text() + ">" + node->parent()->text() + ">" + node->text();
        ToolButtonChang.setVisible(true);
    }
    GroupBoxChang.setCaption(OperationPath);
}

void TFmDocEdi::TreeViewMojiDblClick()
{
    const TreeNode* node = TreeViewMoji.selected();
    if (!node || !node->parent() || !node->parent()->parent())
        return;
    TreeViewMojiClick();
    MMSEditTRunClick();
}

void TFmDocEdi::TreeViewMojiKeyDown(KeyEvent& key)
{
    if (key.key != vk::Return)
        return;
    const TreeNode* node = TreeViewMoji.selected();
    if (!node || !node->parent() || !node->parent()->parent())
        return;
    TreeViewMojiDblClick();
    key.key = 0;
}

void TFmDocEdi::MemoBlueEnter()
{
    KeyMemoColour = "Blue";
}

void TFmDocEdi::MemoRedEnter()
{
    KeyMemoColour = "Red";
}

void TFmDocEdi::MMSEditTSourceFromLogClick()
{
    FmMemo->MemoSource.setLines(FmMemo->MemoLog.lines());
}

void TFmDocEdi::MMSEditPSelTextClick()
{
    find<Memo>("Memo" + KeyMemoColour).setText(FmMemo->SelTextCopy);
}

void TFmDocEdi::ToolButtonEditClick()
{
    MMSEditTRunClick();
}
