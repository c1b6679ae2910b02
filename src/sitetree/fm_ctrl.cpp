#include "sitetree/fm_ctrl.h"

#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "platform/ini_file.h"

using namespace framework;

TFmCtrl::TFmCtrl()
    : Form("FmCtrl"), PageControlMain(make<PageControl>("PageControlMain", nullptr)),
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
    auto hidden = [](MenuItem& it) -> MenuItem& {
        it.setVisible(false);
        return it;
    };

    MenuItem& system = hidden(makeCommand("PMSystem", popup, "System", nullptr));
    makeCommand("PMSUniqu", system, "Uniqu", &TFmCtrl::PMSUniquClick);
    makeCommand("PMSVisible1", system, "VisibleFalse", &TFmCtrl::PMSVisible1Click);
    hidden(makeCommand("PMHttp", popup, "Http", nullptr));

    MenuItem& tvf = makeCommand("PMTVF", popup, "TreeViewFile", nullptr);
    MenuItem& comb = makeCommand("PMTCombBox", tvf, "CombBox", nullptr);
    MenuItem& combFile = makeCommand("PMTCFile", comb, "File", nullptr);
    makeCommand("PMTFCLoad1", combFile, "Load", &TFmCtrl::PMTFCLoad1Click);
    hidden(makeCommand("PMTrVwCFSave", combFile, "Save", &TFmCtrl::PMTrVwCFSaveClick));
    makeCommand("PMTFCOpen", combFile, "Open", &TFmCtrl::PMTFCOpenClick);
    MenuItem& combTool = makeCommand("PMTCTool", comb, "Tool", nullptr);
    makeCommand("FMTTrVwTSave", combTool, "Save", &TFmCtrl::FMTTrVwTSaveClick);
    makeCommand("FMTTrVwTDelete", combTool, "Delete", &TFmCtrl::FMTTrVwTDeleteClick);
    hidden(makeCommand("PMTTAdd1", comb, "Add", &TFmCtrl::PMTTAdd1Click));

    MenuItem& tree = makeCommand("PMTrVwTreeView", tvf, "TreeView", nullptr);
    MenuItem& treeFile = makeCommand("PMTrVwFile", tree, "File", nullptr);
    makeCommand("PMTrVwFELoad", treeFile, "Load", &TFmCtrl::PMTrVwFELoadClick);
    makeCommand("PMTrVwFESave", treeFile, "Save", &TFmCtrl::PMTrVwFESaveClick);
    makeCommand("PMTrVwANOpen1", treeFile, "Open", &TFmCtrl::PMTrVwANOpen1Click);
    makeCommand("PMTrVwFESRead", treeFile, "Read", &TFmCtrl::PMTrVwFESReadClick);
    makeCommand("PMTrVwFESWrite", treeFile, "Write", &TFmCtrl::PMTrVwFESWriteClick);
    hidden(makeCommand("PMTFRMakeXML1", treeFile, "MakeXML", &TFmCtrl::PMTFRMakeXML1Click));
    MenuItem& treeTool = makeCommand("PMTrVwTool", tree, "Tool", nullptr);
    makeCommand("PMTrVwTBackUP", treeTool, "BackUP", &TFmCtrl::PMTrVwTBackUPClick);
    makeCommand("PMTrVwTTRestoration", treeTool, "Restoration", &TFmCtrl::PMTrVwTTRestorationClick);
    MenuItem& rootIn = makeCommand("PMTrVwTTRootIn", treeTool, "RootIn", &TFmCtrl::PMTrVwTTRootInClick);
    rootIn.setChecked(true);
    makeCommand("PMTrVwTTConnectedManiplates", treeTool, "ConnectedManiplates",
                &TFmCtrl::PMTrVwTTConnectedManiplatesClick);
    makeCommand("PMTrVwTTSave", treeTool, "Save", &TFmCtrl::PMTrVwTTSaveClick);
    MenuItem& add = makeCommand("PMTANAdd", tree, "Add", nullptr);
    makeCommand("PMTANARoot", add, "Root", &TFmCtrl::PMTANARootClick);
    makeCommand("PMTANAChild", add, "Child", &TFmCtrl::PMTANAChildClick);
    hidden(makeCommand("PMTANAList", add, "List", &TFmCtrl::PMTANAListClick));
    hidden(makeCommand("PMTANRenameChange", add, "Rename", &TFmCtrl::PMTANRenameChangeClick));
    makeCommand("PMTrVwTDelete", tree, "Delete", &TFmCtrl::PMTrVwTDeleteClick);
    MenuItem& undo = makeCommand("PMTrVwTUndoDelete", tree, "Undo delete", &TFmCtrl::PMTrVwTUndoDeleteClick);
    undo.shortcut = "Ctrl+Z";
    undo.setEnabled(false);

    MenuItem& memo = makeCommand("PMTrVwMemo", tvf, "Memo", nullptr);
    MenuItem& memoTool = makeCommand("PMTrVwMTool", memo, "Tool", nullptr);
    makeCommand("PMTrVwMTListUp", memoTool, "ListUp", &TFmCtrl::PMTrVwMTListUpClick);
    hidden(makeCommand("PMTSys", tvf, "Sys", nullptr));

    MenuItem& sharing = makeCommand("PMSharing", popup, "Sharing", nullptr);
    MenuItem& list = makeCommand("PMSCheckListBox", sharing, "CheckListBox", nullptr);
    MenuItem& listFile = makeCommand("PMSCFile", list, "File", nullptr);
    makeCommand("PMSCFLoad", listFile, "Load", &TFmCtrl::PMSCFLoadClick);
    hidden(makeCommand("PMSharingCFSave", listFile, "Save", &TFmCtrl::PMSharingCFSaveClick));
    makeCommand("PMSCFOpen", listFile, "Open", &TFmCtrl::PMSCFOpenClick);
    hidden(makeCommand("PMSCFOnClic1", listFile, "OnClic", &TFmCtrl::PMSCFOnClic1Click));
    MenuItem& sharingTool = makeCommand("PMCTool", sharing, "Tool", nullptr);
    makeCommand("PMCAdd1", sharingTool, "Add", &TFmCtrl::PMCAdd1Click);
    makeCommand("PMCDate", sharingTool, "date add", &TFmCtrl::PMCDateClick);
    makeCommand("PMCDelete1", sharingTool, "Delete", &TFmCtrl::PMCDelete1Click);

    MenuItem& bunch = hidden(makeCommand("PMBunch", popup, "Bunch", nullptr));
    MenuItem& grid = makeCommand("PMBunchS", bunch, "StringGrid", nullptr);
    MenuItem& gridFile = makeCommand("PMBunchSFile", grid, "File", nullptr);
    makeCommand("PMBunchSFRead", gridFile, "Read", &TFmCtrl::PMBunchSFReadClick);
    makeCommand("PMBunchSFWrite", gridFile, "Write", &TFmCtrl::PMBunchSFWriteClick);
    MenuItem& gridEvent = makeCommand("PMBunchSEvent", grid, "Event", nullptr);
    makeCommand("PMBunchSClear", gridEvent, "Clear", &TFmCtrl::PMBunchSClearClick);
    MenuItem& value = makeCommand("PMBunchSValue", grid, "Value", nullptr);
    makeCommand("PMBunchSVSet", value, "Set", &TFmCtrl::PMBunchSVSetClick);
    makeCommand("PMBunchSVBigan", value, "Bigan", &TFmCtrl::PMBunchSVBiganClick);
    MenuItem& bunchComb = makeCommand("PMBunchC", bunch, "CombBox", nullptr);
    MenuItem& bunchCombFile = makeCommand("PMBunchCFile", bunchComb, "File", nullptr);
    makeCommand("PMBCFLoad", bunchCombFile, "Load", &TFmCtrl::PMBCFLoadClick);
    hidden(makeCommand("PMBunchCFSave", bunchCombFile, "Save", &TFmCtrl::PMBunchCFSaveClick));
    makeCommand("PMBCFOpen1", bunchCombFile, "Open", &TFmCtrl::PMBCFOpen1Click);
    makeCommand("PMBunchCFRead", bunchCombFile, "Read", &TFmCtrl::PMBunchCFReadClick);
    makeCommand("PMBunchCFWrite", bunchCombFile, "Write", &TFmCtrl::PMBunchCFWriteClick);
    hidden(makeCommand("PMBunchCAdd", bunchComb, "Add", &TFmCtrl::PMBunchCAddClick));
    MenuItem& bunchTool = makeCommand("PMBunchT", bunch, "Tool", nullptr);
    MenuItem& bunchToolFile = makeCommand("PMBunchTFile", bunchTool, "File", nullptr);
    makeCommand("PMBunchTFSave", bunchToolFile, "Save", &TFmCtrl::PMBunchTFSaveClick);
    makeCommand("PMBunchTFDelete", bunchToolFile, "Delete", &TFmCtrl::PMBunchTFDeleteClick);
    MenuItem& bunchGrid = makeCommand("PMBunchTStringGrid", bunchTool, "Grid", nullptr);
    makeCommand("PMBunchTSRowInsert", bunchGrid, "Row insert", &TFmCtrl::PMBunchTSRowInsertClick);
    makeCommand("PMBunchTSRowDelete", bunchGrid, "Row delete", &TFmCtrl::PMBunchTSRowDeleteClick);
    makeCommand("PMBunchTSRowBunchFromMemo", bunchGrid, "RowBunchFromMemo", &TFmCtrl::PMBunchTSRowBunchFromMemoClick);
    makeCommand("PMBunchTSAllYes", bunchGrid, "All Yes", &TFmCtrl::PMBunchTSAllYesClick);
    makeCommand("PMBunchTSAllNo", bunchGrid, "All No", &TFmCtrl::PMBunchTSAllNoClick);
    makeCommand("PMBunchTSClear", bunchGrid, "Clear", &TFmCtrl::PMBunchTSClearClick);
    makeCommand("PMBunchTThemaAdd", bunchTool, "ThemaAdd", &TFmCtrl::PMBunchTThemaAddClick).setChecked(true);
    makeCommand("PMBunchTListUp", bunchTool, "ListUp", &TFmCtrl::PMBunchTListUpClick);

    MenuItem& join = hidden(makeCommand("PMJoin", popup, "Join", nullptr));
    MenuItem& access = makeCommand("PMJoinAccess", join, "Access", nullptr);
    makeCommand("PMJoinAJoint", access, "Join", &TFmCtrl::PMJoinAJointClick);
    makeCommand("PMJoinAOperator", access, "Operator", &TFmCtrl::PMJoinAOperatorClick);
    makeCommand("PMJoinASet", access, "Set", &TFmCtrl::PMJoinASetClick);
    makeCommand("PMBShow", join, "Show", &TFmCtrl::PMBShowClick);

    buildOperationMenu(makeCommand("PMManipulates", popup, "Manipulates", nullptr));

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
    vantrel::readCaptions(hlp, *this,
                          {"TabSheetMSerch",
                           "GroupBoxThema",
                           "GroupBoxSTTVF",
                           "PMTrVwTTRootIn",
                           "PMTrVwTTConnectedManiplates",
                           "PMTANARoot",
                           "PMTANAChild",
                           "PMTrVwTTRestoration",
                           "GroupBoxSTSharing",
                           "GroupBoxList",
                           "TabSheetLBunch",
                           "PMBunchTFile",
                           "PMBunchTFSave",
                           "PMBunchTFDelete",
                           "PMBunchTThemaAdd",
                           "PMBunchTStringGrid",
                           "PMBunchTSRowInsert",
                           "PMBunchTSRowDelete",
                           "PMBunchTSRowBunchFromMemo",
                           "PMBunchTSAllYes",
                           "PMBunchTSAllNo",
                           "PMBunchTSClear",
                           "PMBunchTListUp",
                           "TabSheetLTVF",
                           "PMTrVwMTListUp",
                           "TabSheetMAssist",
                           "TabSheetMACheck",
                           "TabSheetMAJoin"});
    // The rows of what this program adds, and the hints.
    vantrel::readCaptions(hlp, *this,
                          {"FmCtrl",
                           "ToolButtonTVFFunc",
                           "ToolButtonTVFAdd",
                           "ToolButtonTrVwTDelete",
                           "ToolButtonTrVwTool",
                           "ToolButtonSharing",
                           "ToolButtonBunchAdd",
                           "ToolButtonBunchTool",
                           "ToolButtonMemoAdd",
                           "ToolButtonMemoTool",
                           "ToolButtonSiteDont",
                           "ToolButtonPageCopy",
                           "ToolButtonUpData",
                           "ToolButtonUpDataDownLoad",
                           "PMTrVwTDelete",
                           "PMTrVwTUndoDelete",
                           "PMTVF",
                           "PMTCombBox",
                           "PMTCFile",
                           "PMTFCLoad1",
                           "PMTFCOpen",
                           "PMTCTool",
                           "FMTTrVwTSave",
                           "FMTTrVwTDelete",
                           "PMTrVwTreeView",
                           "PMTrVwFile",
                           "PMTrVwFELoad",
                           "PMTrVwFESave",
                           "PMTrVwANOpen1",
                           "PMTrVwFESRead",
                           "PMTrVwFESWrite",
                           "PMTrVwTool",
                           "PMTrVwTBackUP",
                           "PMTrVwTTSave",
                           "PMTANAdd",
                           "PMTrVwMemo",
                           "PMTrVwMTool",
                           "PMSharing",
                           "PMSCheckListBox",
                           "PMSCFile",
                           "PMSCFLoad",
                           "PMSCFOpen",
                           "PMCTool",
                           "PMCAdd1",
                           "PMCDate",
                           "PMCDelete1"});
    vantrel::readHints(hlp, *this,
                       {"ComboBoxTVFCategory", "TreeViewEdd1", "PanelThema", "CheckListBoxSharing", "ComboBoxBunch",
                        "StringGridBunch", "MemoEdd1", "ComboBoxAssistURL"});
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
    // Each save on its own: one that fails is reported and the others
    // still run.
    app().dispatch([this] {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        base.writeInteger("FmCtrl", "Left", left());
        base.writeInteger("FmCtrl", "Top", top());
        base.flush();
    });
    if (!SavedAtClose) {
        app().dispatch([this] { PMTrVwCFSaveClick(); });
        app().dispatch([this] { PMTrVwFESaveClick(); });
    }
    app().dispatch([this] { PMBunchCFSaveClick(); });
    app().dispatch([this] { PMBunchSFWriteClick(); });
    app().dispatch([this] { PMBunchCFWriteClick(); });
}

// ---------------------------------------------------------------- helpers

bool TFmCtrl::mayReplace(bool loaded, const platform::fs::path& path)
{
    return loaded || !platform::fileExists(path);
}

platform::fs::path TFmCtrl::dataFile(const std::string& name)
{
    const auto path = FmMain->langPath(name);
    FmMain->PathText = platform::pathText(path);
    return path;
}

Edit& TFmCtrl::themeBox() const
{
    return FmCpp->EditThemas;
}

// ------------------------------------------------------------ later work
