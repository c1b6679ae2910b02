#include "sitetree/fm_ctrl.h"

#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "platform/ini_file.h"

using namespace framework;

TFmCtrl::TFmCtrl()
    : Form("FmCtrl"),
      PageControlMain(make<PageControl>("PageControlMain", nullptr)),
      TabSheetMSerch(make<TabSheet>("TabSheetMSerch", &PageControlMain)),
      GroupBoxSTTVF(make<GroupBox>("GroupBoxSTTVF", &TabSheetMSerch)),
      ComboBoxTVFCategory(make<ComboBox>("ComboBoxTVFCategory", &GroupBoxSTTVF)),
      ToolBarTVFCategory(make<ToolBar>("ToolBarTVFCategory", &GroupBoxSTTVF)),
      ToolButtonTVFFunc(make<ToolButton>("ToolButtonTVFFunc", &ToolBarTVFCategory)),
      GroupBoxThema(make<GroupBox>("GroupBoxThema", &TabSheetMSerch)),
      ToolBarTreeVeiw(make<ToolBar>("ToolBarTreeVeiw", &GroupBoxThema)),
      ToolButtonTVFAdd(make<ToolButton>("ToolButtonTVFAdd", &ToolBarTreeVeiw)),
      ToolButtonTrVwTDelete(make<ToolButton>("ToolButtonTrVwTDelete", &ToolBarTreeVeiw)),
      ToolButtonTrVwTool(make<ToolButton>("ToolButtonTrVwTool", &ToolBarTreeVeiw)),
      PanelThema(make<Panel>("PanelThema", &GroupBoxThema)),
      TreeViewEdd1(make<TreeView>("TreeViewEdd1", &GroupBoxThema)),
      GroupBoxSTSharing(make<GroupBox>("GroupBoxSTSharing", &TabSheetMSerch)),
      ToolBarSharing(make<ToolBar>("ToolBarSharing", &GroupBoxSTSharing)),
      ToolButtonSharing(make<ToolButton>("ToolButtonSharing", &ToolBarSharing)),
      CheckListBoxSharing(make<CheckListBox>("CheckListBoxSharing", &GroupBoxSTSharing)),
      GroupBoxList(make<GroupBox>("GroupBoxList", &TabSheetMSerch)),
      PageControlList(make<PageControl>("PageControlList", &GroupBoxList)),
      TabSheetLBunch(make<TabSheet>("TabSheetLBunch", &PageControlList)),
      ToolBarBunch(make<ToolBar>("ToolBarBunch", &TabSheetLBunch)),
      ToolButtonBunchAdd(make<ToolButton>("ToolButtonBunchAdd", &ToolBarBunch)),
      ToolButtonBunchTool(make<ToolButton>("ToolButtonBunchTool", &ToolBarBunch)),
      ComboBoxBunch(make<ComboBox>("ComboBoxBunch", &ToolBarBunch)),
      PanelList(make<Panel>("PanelList", &TabSheetLBunch)),
      StringGridBunch(make<StringGrid>("StringGridBunch", &TabSheetLBunch)),
      TabSheetLTVF(make<TabSheet>("TabSheetLTVF", &PageControlList)),
      ToolBarMemo(make<ToolBar>("ToolBarMemo", &TabSheetLTVF)),
      ToolButtonMemoAdd(make<ToolButton>("ToolButtonMemoAdd", &ToolBarMemo)),
      ToolButtonMemoTool(make<ToolButton>("ToolButtonMemoTool", &ToolBarMemo)),
      MemoEdd1(make<Memo>("MemoEdd1", &TabSheetLTVF)),
      TabSheetMAssist(make<TabSheet>("TabSheetMAssist", &PageControlMain)),
      PageControlAssist(make<PageControl>("PageControlAssist", &TabSheetMAssist)),
      TabSheetMACheck(make<TabSheet>("TabSheetMACheck", &PageControlAssist)),
      ToolBarCheck(make<ToolBar>("ToolBarCheck", &TabSheetMACheck)),
      ToolButtonSiteDont(make<ToolButton>("ToolButtonSiteDont", &ToolBarCheck)),
      ToolButtonPageCopy(make<ToolButton>("ToolButtonPageCopy", &ToolBarCheck)),
      TabSheetMAJoin(make<TabSheet>("TabSheetMAJoin", &PageControlAssist)),
      UpDownUpDateSele(make<UpDown>("UpDownUpDateSele", &TabSheetMAJoin)),
      LabelUpDateName(make<Label>("LabelUpDateName", &TabSheetMAJoin)),
      LabelUpDateEpl(make<Label>("LabelUpDateEpl", &TabSheetMAJoin)),
      LabelUpDatePath(make<Label>("LabelUpDatePath", &TabSheetMAJoin)),
      RadioButtonUpDataUMu(make<RadioButton>("RadioButtonUpDataUMu", &TabSheetMAJoin)),
      ToolBarJoin(make<ToolBar>("ToolBarJoin", &TabSheetMAJoin)),
      ToolButtonUpData(make<ToolButton>("ToolButtonUpData", &ToolBarJoin)),
      ToolButtonUpDataDownLoad(make<ToolButton>("ToolButtonUpDataDownLoad", &ToolBarJoin)),
      ComboBoxAssistURL(make<ComboBox>("ComboBoxAssistURL", &TabSheetMAssist)),
      CppWebBrowserAssist(make<WebBrowserHost>("CppWebBrowserAssist", &TabSheetMAssist))
{
    setBounds(0, 120, 241, 600);
    setCaption("Ctrl");
    setUpHttpClients();
    toolWindow = true;

    PageControlMain.setAlign(Align::Client);
    TabSheetMSerch.setCaption("Serch");
    TabSheetMAssist.setCaption("Assist");

    // Category box with its function button.
    GroupBoxSTTVF.setCaption("STTVF");
    GroupBoxSTTVF.setAlign(Align::Top);
    GroupBoxSTTVF.setHeight(46);
    ToolBarTVFCategory.setAlign(Align::Right);
    ToolBarTVFCategory.setWidth(40);
    ToolButtonTVFFunc.setCaption("Func");
    ToolButtonTVFFunc.dropDown = true;
    ToolButtonTVFFunc.onClick = [this] { ToolButtonTVFFuncClick(); };
    ToolButtonTVFFunc.onMouseMove = [this](const MouseEvent&) { ToolButtonTVFFuncMouseMove(); };
    ComboBoxTVFCategory.setAlign(Align::Client);
    ComboBoxTVFCategory.onClick = [this] { ComboBoxTVFCategoryClick(); };
    ComboBoxTVFCategory.onChange = [this] { ComboBoxTVFCategoryChange(); };

    // The theme tree.
    GroupBoxThema.setCaption("Thema");
    GroupBoxThema.setAlign(Align::Top);
    GroupBoxThema.setHeight(270);
    ToolBarTreeVeiw.setAlign(Align::Top);
    ToolBarTreeVeiw.setHeight(24);
    ToolButtonTVFAdd.setCaption("Save");
    ToolButtonTVFAdd.setHint("Save");
    ToolButtonTVFAdd.onClick = [this] { ToolButtonTVFAddClick(); };
    ToolButtonTrVwTDelete.setCaption("Del");
    ToolButtonTrVwTDelete.setHint("Delete");
    ToolButtonTrVwTDelete.onClick = [this] {
        PMTrVwTDeleteClick();
        ToolButtonTrVwTDeleteClick();
    };
    ToolButtonTrVwTool.setCaption("Tool");
    PanelThema.setAlign(Align::Bottom);
    PanelThema.setHeight(20);
    TreeViewEdd1.setAlign(Align::Client);
    TreeViewEdd1.indent = 19;
    TreeViewEdd1.hideSelection = false;
    TreeViewEdd1.hotTrack = true;
    TreeViewEdd1.rightClickSelect = true;
    TreeViewEdd1.autoDrag = true;
    TreeViewEdd1.onClick = [this] { TreeViewEdd1Click(); };
    TreeViewEdd1.onDblClick = [this] { TreeViewEdd1DblClick(); };
    TreeViewEdd1.onEnter = [this] { TreeViewEdd1Enter(); };
    TreeViewEdd1.onMouseDown = [this](const MouseEvent&) { TreeViewEdd1MouseDown(); };
    TreeViewEdd1.onDragOver = [this](Control* source, int x, int y, bool& accept) {
        TreeViewEdd1DragOver(source, x, y, accept);
    };
    TreeViewEdd1.onDragDrop = [this](Control* source, int x, int y) { TreeViewEdd1DragDrop(source, x, y); };

    // Sharing words.
    GroupBoxSTSharing.setCaption("Sharing");
    GroupBoxSTSharing.setAlign(Align::Top);
    GroupBoxSTSharing.setHeight(96);
    GroupBoxSTSharing.onClick = [this] { GroupBoxSTSharingClick(); };
    ToolBarSharing.setAlign(Align::Right);
    ToolBarSharing.setWidth(28);
    ToolButtonSharing.setCaption("+");
    ToolButtonSharing.setHint("+ addition");
    ToolButtonSharing.onClick = [this] { PMCAdd1Click(); };
    CheckListBoxSharing.setAlign(Align::Client);
    CheckListBoxSharing.setItems({"無料", "フリー", "新着", "最新"});
    CheckListBoxSharing.onClick = [this] { CheckListBoxSharingClick(); };

    // Word lists and the tree's list memo.
    GroupBoxList.setCaption("List");
    GroupBoxList.setAlign(Align::Client);
    PageControlList.setAlign(Align::Client);
    TabSheetLBunch.setCaption("Bunch");
    ToolBarBunch.setAlign(Align::Top);
    ToolBarBunch.setHeight(24);
    ToolButtonBunchAdd.setCaption("Save");
    ToolButtonBunchAdd.onClick = [this] { ToolButtonBunchAddClick(); };
    ToolButtonBunchTool.setCaption("Tool");
    ComboBoxBunch.setBounds(70, 1, 120, 22);
    ComboBoxBunch.setItems({"5W4H", "Area"});
    ComboBoxBunch.setText("5W4H");
    ComboBoxBunch.onClick = [this] { ComboBoxBunchClick(); };
    ComboBoxBunch.onChange = [this] { ComboBoxBunchChange(); };
    PanelList.setAlign(Align::Top);
    PanelList.setHeight(18);
    StringGridBunch.setAlign(Align::Client);
    StringGridBunch.setColCount(2);
    StringGridBunch.setRowCount(50);
    StringGridBunch.setDefaultColWidth(18);
    StringGridBunch.setDefaultRowHeight(16);
    StringGridBunch.editing = true;
    StringGridBunch.rowMoving = true;
    StringGridBunch.colMoving = true;
    StringGridBunch.onMouseDown = [this](const MouseEvent& e) { StringGridBunchMouseDown(e); };
    StringGridBunch.onMouseUp = [this](const MouseEvent& e) { StringGridBunchMouseUp(e); };
    StringGridBunch.onClick = [this] { StringGridBunchClick(); };
    TabSheetLTVF.setCaption("LTVF");
    ToolBarMemo.setAlign(Align::Top);
    ToolBarMemo.setHeight(24);
    ToolButtonMemoAdd.setCaption("Save");
    ToolButtonMemoAdd.onClick = [this] { PMBunchTFSaveClick(); };
    ToolButtonMemoTool.setCaption("Tool");
    MemoEdd1.setAlign(Align::Client);
    MemoEdd1.setHint("ツリービューメモリスト：EnterKeyで一括追加");
    MemoEdd1.scrollVertical = true;
    MemoEdd1.wordWrap = false;
    MemoEdd1.onEnter = [this] { MemoEdd1Enter(); };
    MemoEdd1.onKeyDown = [this](KeyEvent& key) { MemoEdd1KeyDown(key); };
    TabSheetLBunch.onShow = [this] {
        ListSuffix = "Bunch";
        ActiveListMemo = nullptr;
        ActiveBunchGrid = &StringGridBunch;
    };
    TabSheetLTVF.onShow = [this] {
        ListSuffix = "Edd1";
        ActiveListMemo = &find<Memo>("Memo" + ListSuffix);
    };

    // Assist page.
    PageControlAssist.setAlign(Align::Top);
    PageControlAssist.setHeight(150);
    TabSheetMACheck.setCaption("Check");
    TabSheetMAJoin.setCaption("Join");
    ToolBarCheck.setAlign(Align::Top);
    ToolButtonSiteDont.setCaption("X");
    ToolButtonSiteDont.setHint("SiteDont/不要なページに印をつける");
    ToolButtonSiteDont.onClick = [this] { ToolButtonSiteDontClick(); };
    ToolButtonPageCopy.setCaption("Copy");
    ToolButtonPageCopy.setHint("PageCopy/現在い開いているページをＣｐｐＤｏｃにコピーします");
    ToolButtonPageCopy.onClick = [this] { ToolButtonPageCopyClick(); };
    ToolBarJoin.setAlign(Align::Top);
    ToolBarJoin.setHeight(24);
    ToolButtonUpData.setCaption("UpData");
    ToolButtonUpData.setHint("UpData/アップデート");
    ToolButtonUpData.onClick = [this] { ToolButtonUpDataClick(); };
    ToolButtonUpDataDownLoad.setCaption("DownLoad");
    ToolButtonUpDataDownLoad.setHint("DownLoad/ダウンロード");
    ToolButtonUpDataDownLoad.onClick = [this] { ToolButtonUpDataDownLoadClick(); };
    UpDownUpDateSele.setBounds(4, 30, 40, 20);
    UpDownUpDateSele.horizontal = true;
    UpDownUpDateSele.setMin(1);
    UpDownUpDateSele.setMax(1);
    UpDownUpDateSele.setPosition(1);
    UpDownUpDateSele.wrap = true;
    UpDownUpDateSele.onChanging = [this](bool& allow) { UpDownUpDateSeleChanging(allow); };
    RadioButtonUpDataUMu.setBounds(50, 30, 20, 20);
    LabelUpDateName.setBounds(76, 32, 150, 16);
    LabelUpDateEpl.setBounds(4, 54, 220, 16);
    LabelUpDatePath.setBounds(4, 72, 220, 16);
    TabSheetMAJoin.onShow = [this] { TabSheetMAJoinShow(); };
    ComboBoxAssistURL.setAlign(Align::Top);
    ComboBoxAssistURL.setHeight(22);
    CppWebBrowserAssist.setAlign(Align::Client);
    TabSheetMAssist.onShow = [this] { TabSheetMAssistShow(); };

    PageControlList.setActivePage(&TabSheetLBunch);
    PageControlMain.setActivePage(&TabSheetMSerch);
    ActiveTreeView = &TreeViewEdd1;
    ActiveBunchGrid = &StringGridBunch;

    buildMenus();
}

void TFmCtrl::buildMenus()
{
    MenuItem& popup = makeMenu("PopupMenu", nullptr);
    popupMenus.push_back(&popup);
    auto item = [this](const char* name, MenuItem& parent, const char* caption, void (TFmCtrl::*handler)()) -> MenuItem& {
        return makeCommand<TFmCtrl>(name, parent, caption, handler);
    };
    auto hidden = [](MenuItem& it) -> MenuItem& {
        it.setVisible(false);
        return it;
    };

    MenuItem& system = hidden(item("PMSystem", popup, "System", nullptr));
    item("PMSUniqu", system, "Uniqu", &TFmCtrl::PMSUniquClick);
    item("PMSVisible1", system, "VisibleFalse", &TFmCtrl::PMSVisible1Click);
    hidden(item("PMHttp", popup, "Http", nullptr));

    MenuItem& tvf = item("PMTVF", popup, "TreeViewFile", nullptr);
    MenuItem& comb = item("PMTCombBox", tvf, "CombBox", nullptr);
    MenuItem& combFile = item("PMTCFile", comb, "File", nullptr);
    item("PMTFCLoad1", combFile, "Load", &TFmCtrl::PMTFCLoad1Click);
    hidden(item("PMTrVwCFSave", combFile, "Save", &TFmCtrl::PMTrVwCFSaveClick));
    item("PMTFCOpen", combFile, "Open", &TFmCtrl::PMTFCOpenClick);
    MenuItem& combTool = item("PMTCTool", comb, "Tool", nullptr);
    item("FMTTrVwTSave", combTool, "Save", &TFmCtrl::FMTTrVwTSaveClick);
    item("FMTTrVwTDelete", combTool, "Delete", &TFmCtrl::FMTTrVwTDeleteClick);
    hidden(item("PMTTAdd1", comb, "Add", &TFmCtrl::PMTTAdd1Click));

    MenuItem& tree = item("PMTrVwTreeView", tvf, "TreeView", nullptr);
    MenuItem& treeFile = item("PMTrVwFile", tree, "File", nullptr);
    item("PMTrVwFELoad", treeFile, "Load", &TFmCtrl::PMTrVwFELoadClick);
    item("PMTrVwFESave", treeFile, "Save", &TFmCtrl::PMTrVwFESaveClick);
    item("PMTrVwANOpen1", treeFile, "Open", &TFmCtrl::PMTrVwANOpen1Click);
    item("PMTrVwFESRead", treeFile, "Read", &TFmCtrl::PMTrVwFESReadClick);
    item("PMTrVwFESWrite", treeFile, "Write", &TFmCtrl::PMTrVwFESWriteClick);
    hidden(item("PMTFRMakeXML1", treeFile, "MakeXML", &TFmCtrl::PMTFRMakeXML1Click));
    MenuItem& treeTool = item("PMTrVwTool", tree, "Tool", nullptr);
    item("PMTrVwTBackUP", treeTool, "BackUP", &TFmCtrl::PMTrVwTBackUPClick);
    item("PMTrVwTTRestoration", treeTool, "Restoration", &TFmCtrl::PMTrVwTTRestorationClick);
    MenuItem& rootIn = item("PMTrVwTTRootIn", treeTool, "RootIn", &TFmCtrl::PMTrVwTTRootInClick);
    rootIn.setChecked(true);
    item("PMTrVwTTConnectedManiplates", treeTool, "ConnectedManiplates", &TFmCtrl::PMTrVwTTConnectedManiplatesClick);
    item("PMTrVwTTSave", treeTool, "Save", &TFmCtrl::PMTrVwTTSaveClick);
    MenuItem& add = item("PMTANAdd", tree, "Add", nullptr);
    item("PMTANARoot", add, "Root", &TFmCtrl::PMTANARootClick);
    item("PMTANAChild", add, "Child", &TFmCtrl::PMTANAChildClick);
    hidden(item("PMTANAList", add, "List", &TFmCtrl::PMTANAListClick));
    hidden(item("PMTANRenameChange", add, "Rename", &TFmCtrl::PMTANRenameChangeClick));
    item("PMTrVwTDelete", tree, "Delete", &TFmCtrl::PMTrVwTDeleteClick);

    MenuItem& memo = item("PMTrVwMemo", tvf, "Memo", nullptr);
    MenuItem& memoTool = item("PMTrVwMTool", memo, "Tool", nullptr);
    item("PMTrVwMTListUp", memoTool, "ListUp", &TFmCtrl::PMTrVwMTListUpClick);
    hidden(item("PMTSys", tvf, "Sys", nullptr));

    MenuItem& sharing = item("PMSharing", popup, "Sharing", nullptr);
    MenuItem& list = item("PMSCheckListBox", sharing, "CheckListBox", nullptr);
    MenuItem& listFile = item("PMSCFile", list, "File", nullptr);
    item("PMSCFLoad", listFile, "Load", &TFmCtrl::PMSCFLoadClick);
    hidden(item("PMSharingCFSave", listFile, "Save", &TFmCtrl::PMSharingCFSaveClick));
    item("PMSCFOpen", listFile, "Open", &TFmCtrl::PMSCFOpenClick);
    hidden(item("PMSCFOnClic1", listFile, "OnClic", &TFmCtrl::PMSCFOnClic1Click));
    MenuItem& sharingTool = item("PMCTool", sharing, "Tool", nullptr);
    item("PMCAdd1", sharingTool, "Add", &TFmCtrl::PMCAdd1Click);
    item("PMCDate", sharingTool, "date add", &TFmCtrl::PMCDateClick);
    item("PMCDelete1", sharingTool, "Delete", &TFmCtrl::PMCDelete1Click);

    MenuItem& bunch = hidden(item("PMBunch", popup, "Bunch", nullptr));
    MenuItem& grid = item("PMBunchS", bunch, "StringGrid", nullptr);
    MenuItem& gridFile = item("PMBunchSFile", grid, "File", nullptr);
    item("PMBunchSFRead", gridFile, "Read", &TFmCtrl::PMBunchSFReadClick);
    item("PMBunchSFWrite", gridFile, "Write", &TFmCtrl::PMBunchSFWriteClick);
    MenuItem& gridEvent = item("PMBunchSEvent", grid, "Event", nullptr);
    item("PMBunchSClear", gridEvent, "Clear", &TFmCtrl::PMBunchSClearClick);
    MenuItem& value = item("PMBunchSValue", grid, "Value", nullptr);
    item("PMBunchSVSet", value, "Set", &TFmCtrl::PMBunchSVSetClick);
    item("PMBunchSVBigan", value, "Bigan", &TFmCtrl::PMBunchSVBiganClick);
    MenuItem& bunchComb = item("PMBunchC", bunch, "CombBox", nullptr);
    MenuItem& bunchCombFile = item("PMBunchCFile", bunchComb, "File", nullptr);
    item("PMBCFLoad", bunchCombFile, "Load", &TFmCtrl::PMBCFLoadClick);
    hidden(item("PMBunchCFSave", bunchCombFile, "Save", &TFmCtrl::PMBunchCFSaveClick));
    item("PMBCFOpen1", bunchCombFile, "Open", &TFmCtrl::PMBCFOpen1Click);
    item("PMBunchCFRead", bunchCombFile, "Read", &TFmCtrl::PMBunchCFReadClick);
    item("PMBunchCFWrite", bunchCombFile, "Write", &TFmCtrl::PMBunchCFWriteClick);
    hidden(item("PMBunchCAdd", bunchComb, "Add", &TFmCtrl::PMBunchCAddClick));
    MenuItem& bunchTool = item("PMBunchT", bunch, "Tool", nullptr);
    MenuItem& bunchToolFile = item("PMBunchTFile", bunchTool, "File", nullptr);
    item("PMBunchTFSave", bunchToolFile, "Save", &TFmCtrl::PMBunchTFSaveClick);
    item("PMBunchTFDelete", bunchToolFile, "Delete", &TFmCtrl::PMBunchTFDeleteClick);
    MenuItem& bunchGrid = item("PMBunchTStringGrid", bunchTool, "Grid", nullptr);
    item("PMBunchTSRowInsert", bunchGrid, "Row insert", &TFmCtrl::PMBunchTSRowInsertClick);
    item("PMBunchTSRowDelete", bunchGrid, "Row delete", &TFmCtrl::PMBunchTSRowDeleteClick);
    item("PMBunchTSRowBunchFromMemo", bunchGrid, "RowBunchFromMemo", &TFmCtrl::PMBunchTSRowBunchFromMemoClick);
    item("PMBunchTSAllYes", bunchGrid, "All Yes", &TFmCtrl::PMBunchTSAllYesClick);
    item("PMBunchTSAllNo", bunchGrid, "All No", &TFmCtrl::PMBunchTSAllNoClick);
    item("PMBunchTSClear", bunchGrid, "Clear", &TFmCtrl::PMBunchTSClearClick);
    item("PMBunchTThemaAdd", bunchTool, "ThemaAdd", &TFmCtrl::PMBunchTThemaAddClick).setChecked(true);
    item("PMBunchTListUp", bunchTool, "ListUp", &TFmCtrl::PMBunchTListUpClick);

    MenuItem& join = hidden(item("PMJoin", popup, "Join", nullptr));
    MenuItem& access = item("PMJoinAccess", join, "Access", nullptr);
    item("PMJoinAJoint", access, "Join", &TFmCtrl::PMJoinAJointClick);
    item("PMJoinAOperator", access, "Operator", &TFmCtrl::PMJoinAOperatorClick);
    item("PMJoinASet", access, "Set", &TFmCtrl::PMJoinASetClick);
    item("PMBShow", join, "Show", &TFmCtrl::PMBShowClick);

    buildOperationMenu(item("PMManipulates", popup, "Manipulates", nullptr));

    // Tool buttons open their group of the window's one pop-up menu.
    ToolButtonTVFFunc.dropDownMenu = &comb;
    ToolButtonTrVwTool.dropDownMenu = &tree;
    ToolButtonBunchTool.dropDownMenu = &bunchTool;
    ToolButtonMemoTool.dropDownMenu = &memo;
    ToolButtonSharing.dropDownMenu = &sharing;
    // The window's one pop-up menu, on every control that offers one.
    for (Control* control : std::initializer_list<Control*>{&TreeViewEdd1, &CheckListBoxSharing, &MemoEdd1,
                                                            &StringGridBunch, &TabSheetMAssist, &ComboBoxTVFCategory})
        control->popupMenu = &popup;
}

void TFmCtrl::readCaptions()
{
    platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
    vantrel::readCaptions(
        hlp, *this,
        {"TabSheetMSerch",     "GroupBoxThema",   "GroupBoxSTTVF",      "PMTrVwTTRootIn",   "PMTrVwTTConnectedManiplates",
         "PMTANARoot",         "PMTANAChild",     "PMTrVwTTRestoration", "GroupBoxSTSharing", "GroupBoxList",
         "TabSheetLBunch",     "PMBunchTFile",    "PMBunchTFSave",       "PMBunchTFDelete",   "PMBunchTThemaAdd",
         "PMBunchTStringGrid", "PMBunchTSRowInsert", "PMBunchTSRowDelete", "PMBunchTSRowBunchFromMemo",
         "PMBunchTSAllYes",    "PMBunchTSAllNo",  "PMBunchTSClear",      "PMBunchTListUp",    "TabSheetLTVF",
         "PMTrVwMTListUp",     "TabSheetMAssist", "TabSheetMACheck",     "TabSheetMAJoin"});
}

// ----------------------------------------------------------------- window

void TFmCtrl::FormCreate()
{
    maximizeButton = false;
    readCaptions();
    {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        setBounds(base.readInteger("FmCtrl", "Left", 0), base.readInteger("FmCtrl", "Top", 120), width(), height());
    }
    NewNodeName = "New";
}

void TFmCtrl::FormShow()
{
    TreeViewEdd1Enter();
    MemoEdd1Enter();
    PMTFCLoad1Click();
    PMTrVwFELoadClick();
    PMTrVwFESReadClick();
    PMSCFLoadClick();
    PMBCFLoadClick();
    PMBunchCFReadClick();
    PMBunchSFReadClick();
    ListSuffix = "Bunch";
}

void TFmCtrl::FormDestroy()
{
    {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        base.writeInteger("FmCtrl", "Left", left());
        base.writeInteger("FmCtrl", "Top", top());
        base.flush();
    }
    PMTrVwCFSaveClick();
    PMTrVwFESaveClick();
    PMBunchCFSaveClick();
    PMBunchSFWriteClick();
    PMBunchCFWriteClick();
}

// ---------------------------------------------------------------- helpers

bool TFmCtrl::mayReplace(bool loaded, const platform::fs::path& path) { return loaded || !platform::fileExists(path); }

platform::fs::path TFmCtrl::dataFile(const std::string& name)
{
    const auto path = FmMain->langPath(name);
    FmMain->PathText = platform::pathText(path);
    return path;
}

Edit& TFmCtrl::themeBox() const { return FmCpp->EditThemas; }

// ------------------------------------------------------------ later work

