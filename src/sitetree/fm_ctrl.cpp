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
    static const MenuRow<TFmCtrl> rows[] = {
        {0, "PMSystem", "System", nullptr, MenuHidden},
        {1, "PMSUniqu", "Uniqu", &TFmCtrl::PMSUniquClick},
        {1, "PMSVisible1", "VisibleFalse", &TFmCtrl::PMSVisible1Click},
        {0, "PMHttp", "Http", nullptr, MenuHidden},
        {0, "PMTVF", "TreeViewFile"},
        {1, "PMTCombBox", "CombBox"},
        {2, "PMTCFile", "File"},
        {3, "PMTFCLoad1", "Load", &TFmCtrl::PMTFCLoad1Click},
        {3, "PMTrVwCFSave", "Save", &TFmCtrl::PMTrVwCFSaveClick, MenuHidden},
        {3, "PMTFCOpen", "Open", &TFmCtrl::PMTFCOpenClick},
        {2, "PMTCTool", "Tool"},
        {3, "FMTTrVwTSave", "Save", &TFmCtrl::FMTTrVwTSaveClick},
        {3, "FMTTrVwTDelete", "Delete", &TFmCtrl::FMTTrVwTDeleteClick},
        {2, "PMTTAdd1", "Add", &TFmCtrl::PMTTAdd1Click, MenuHidden},
        {1, "PMTrVwTreeView", "TreeView"},
        {2, "PMTrVwFile", "File"},
        {3, "PMTrVwFELoad", "Load", &TFmCtrl::PMTrVwFELoadClick},
        {3, "PMTrVwFESave", "Save", &TFmCtrl::PMTrVwFESaveClick},
        {3, "PMTrVwANOpen1", "Open", &TFmCtrl::PMTrVwANOpen1Click},
        {3, "PMTrVwFESRead", "Read", &TFmCtrl::PMTrVwFESReadClick},
        {3, "PMTrVwFESWrite", "Write", &TFmCtrl::PMTrVwFESWriteClick},
        {3, "PMTFRMakeXML1", "MakeXML", &TFmCtrl::PMTFRMakeXML1Click, MenuHidden},
        {2, "PMTrVwTool", "Tool"},
        {3, "PMTrVwTBackUP", "BackUP", &TFmCtrl::PMTrVwTBackUPClick},
        {3, "PMTrVwTTRestoration", "Restoration", &TFmCtrl::PMTrVwTTRestorationClick},
        {3, "PMTrVwTTRootIn", "RootIn", &TFmCtrl::PMTrVwTTRootInClick, MenuChecked},
        {3, "PMTrVwTTConnectedManiplates", "ConnectedManiplates", &TFmCtrl::PMTrVwTTConnectedManiplatesClick},
        {3, "PMTrVwTTSave", "Save", &TFmCtrl::PMTrVwTTSaveClick},
        {2, "PMTANAdd", "Add"},
        {3, "PMTANARoot", "Root", &TFmCtrl::PMTANARootClick},
        {3, "PMTANAChild", "Child", &TFmCtrl::PMTANAChildClick},
        {3, "PMTANAList", "List", &TFmCtrl::PMTANAListClick, MenuHidden},
        {3, "PMTANRenameChange", "Rename", &TFmCtrl::PMTANRenameChangeClick, MenuHidden},
        {2, "PMTrVwTDelete", "Delete", &TFmCtrl::PMTrVwTDeleteClick},
        {2, "PMTrVwTUndoDelete", "Undo delete", &TFmCtrl::PMTrVwTUndoDeleteClick, MenuDisabled, "Ctrl+Z"},
        {1, "PMTrVwMemo", "Memo"},
        {2, "PMTrVwMTool", "Tool"},
        {3, "PMTrVwMTListUp", "ListUp", &TFmCtrl::PMTrVwMTListUpClick},
        {1, "PMTSys", "Sys", nullptr, MenuHidden},
        {0, "PMSharing", "Sharing"},
        {1, "PMSCheckListBox", "CheckListBox"},
        {2, "PMSCFile", "File"},
        {3, "PMSCFLoad", "Load", &TFmCtrl::PMSCFLoadClick},
        {3, "PMSharingCFSave", "Save", &TFmCtrl::PMSharingCFSaveClick, MenuHidden},
        {3, "PMSCFOpen", "Open", &TFmCtrl::PMSCFOpenClick},
        {3, "PMSCFOnClic1", "OnClic", &TFmCtrl::PMSCFOnClic1Click, MenuHidden},
        {1, "PMCTool", "Tool"},
        {2, "PMCAdd1", "Add", &TFmCtrl::PMCAdd1Click},
        {2, "PMCDate", "date add", &TFmCtrl::PMCDateClick},
        {2, "PMCDelete1", "Delete", &TFmCtrl::PMCDelete1Click},
        {0, "PMBunch", "Bunch", nullptr, MenuHidden},
        {1, "PMBunchS", "StringGrid"},
        {2, "PMBunchSFile", "File"},
        {3, "PMBunchSFRead", "Read", &TFmCtrl::PMBunchSFReadClick},
        {3, "PMBunchSFWrite", "Write", &TFmCtrl::PMBunchSFWriteClick},
        {2, "PMBunchSEvent", "Event"},
        {3, "PMBunchSClear", "Clear", &TFmCtrl::PMBunchSClearClick},
        {2, "PMBunchSValue", "Value"},
        {3, "PMBunchSVSet", "Set", &TFmCtrl::PMBunchSVSetClick},
        {3, "PMBunchSVBigan", "Bigan", &TFmCtrl::PMBunchSVBiganClick},
        {1, "PMBunchC", "CombBox"},
        {2, "PMBunchCFile", "File"},
        {3, "PMBCFLoad", "Load", &TFmCtrl::PMBCFLoadClick},
        {3, "PMBunchCFSave", "Save", &TFmCtrl::PMBunchCFSaveClick, MenuHidden},
        {3, "PMBCFOpen1", "Open", &TFmCtrl::PMBCFOpen1Click},
        {3, "PMBunchCFRead", "Read", &TFmCtrl::PMBunchCFReadClick},
        {3, "PMBunchCFWrite", "Write", &TFmCtrl::PMBunchCFWriteClick},
        {2, "PMBunchCAdd", "Add", &TFmCtrl::PMBunchCAddClick, MenuHidden},
        {1, "PMBunchT", "Tool"},
        {2, "PMBunchTFile", "File"},
        {3, "PMBunchTFSave", "Save", &TFmCtrl::PMBunchTFSaveClick},
        {3, "PMBunchTFDelete", "Delete", &TFmCtrl::PMBunchTFDeleteClick},
        {2, "PMBunchTStringGrid", "Grid"},
        {3, "PMBunchTSRowInsert", "Row insert", &TFmCtrl::PMBunchTSRowInsertClick},
        {3, "PMBunchTSRowDelete", "Row delete", &TFmCtrl::PMBunchTSRowDeleteClick},
        {3, "PMBunchTSRowBunchFromMemo", "RowBunchFromMemo", &TFmCtrl::PMBunchTSRowBunchFromMemoClick},
        {3, "PMBunchTSAllYes", "All Yes", &TFmCtrl::PMBunchTSAllYesClick},
        {3, "PMBunchTSAllNo", "All No", &TFmCtrl::PMBunchTSAllNoClick},
        {3, "PMBunchTSClear", "Clear", &TFmCtrl::PMBunchTSClearClick},
        {2, "PMBunchTThemaAdd", "ThemaAdd", &TFmCtrl::PMBunchTThemaAddClick, MenuChecked},
        {2, "PMBunchTListUp", "ListUp", &TFmCtrl::PMBunchTListUpClick},
        {0, "PMJoin", "Join", nullptr, MenuHidden},
        {1, "PMJoinAccess", "Access"},
        {2, "PMJoinAJoint", "Join", &TFmCtrl::PMJoinAJointClick},
        {2, "PMJoinAOperator", "Operator", &TFmCtrl::PMJoinAOperatorClick},
        {2, "PMJoinASet", "Set", &TFmCtrl::PMJoinASetClick},
        {1, "PMBShow", "Show", &TFmCtrl::PMBShowClick},
        // The operation-program commands (operation_programs.cpp).
        {0, "PMManipulates", "Manipulates"},
        {1, "PMMKeyEvent", "1 KeyEvent"},
        {2, "PMMKBase", "Base 1100"},
        {3, "PMMKBReturn", "Return", &TFmCtrl::PMMKBReturnClick},
        {3, "PMMKBDelete", "Delete", &TFmCtrl::PMMKBDeleteClick},
        {3, "PMMKBBackSpace", "BackSpace", &TFmCtrl::PMMKBBackSpaceClick},
        {3, "PMMKBSpace", "Space", &TFmCtrl::PMMKBSpaceClick},
        {2, "PMMKCtrl", "Ctrl 1200"},
        {3, "PMMKCCopy", "Copy", &TFmCtrl::PMMKCCopyClick},
        {3, "PMMKCPast", "Past", &TFmCtrl::PMMKCPastClick},
        {3, "PMMKCChoosingCompletely", "ChoosingCompletely", &TFmCtrl::PMMKCChoosingCompletelyClick},
        {2, "PMMKAlt", "Alt=1300", &TFmCtrl::PMMKAltClick},
        {2, "PMMKFanc", "Fanc 1400"},
        {3, "PMMKFCapsLock", "CapsLock", &TFmCtrl::PMMKFCapsLockClick},
        {2, "PMMKMove", "Move 1500"},
        {3, "PMMKMTab", "Tab", &TFmCtrl::PMMKMTabClick},
        {3, "PMMKMTabBack", "TabBack", &TFmCtrl::PMMKMTabBackClick},
        {3, "PMMKMUp", "Up", &TFmCtrl::PMMKMUpClick},
        {3, "PMMKMDown", "Down", &TFmCtrl::PMMKMDownClick},
        {3, "PMMKMLeft", "Left", &TFmCtrl::PMMKMLeftClick},
        {3, "PMMKMRight", "Right", &TFmCtrl::PMMKMRightClick},
        {2, "PMMKSet", "Set", &TFmCtrl::PMMKSetClick, MenuHidden},
        {1, "PMMMouse", "2 Mouse"},
        {2, "PMMMPos", "Pos"},
        {3, "PMMMPMemory", "Memory", &TFmCtrl::PMMMPMemoryClick},
        {3, "PMMMPReturns", "Returns.", &TFmCtrl::PMMMPReturnsClick, MenuHidden},
        {2, "PMMMBrowsXY", "BrowsXY", &TFmCtrl::PMMMBrowsXYClick},
        {2, "PMMMScreenXY", "ScreenXY", &TFmCtrl::PMMMScreenXYClick},
        {2, "PMMMClick", "Click"},
        {3, "PMMMClickSngle", "ClickSngle", &TFmCtrl::PMMMClickSngleClick},
        {3, "PMMMClickW", "ClickW", &TFmCtrl::PMMMClickWClick},
        {1, "PMMSys", "4 Sys"},
        {2, "PMMSReadStr", "ReadStr", &TFmCtrl::PMMSReadStrClick},
        {2, "PMMSWait", "Wait", &TFmCtrl::PMMSWaitClick},
        {2, "PMMSection", "Section"},
        {3, "PMMSEnd", "End", &TFmCtrl::PMMSEndClick},
        {3, "PMMS0", "0", &TFmCtrl::PMMS0Click},
        {1, "PMMRun", "Run", &TFmCtrl::PMMSrcRunClick},
    };
    makeMenuRows(popup, rows);

    // Tool buttons open their group of the window's one pop-up menu.
    ToolButtonTVFFunc.dropDownMenu = &find<MenuItem>("PMTCombBox");
    ToolButtonTrVwTool.dropDownMenu = &find<MenuItem>("PMTrVwTreeView");
    ToolButtonBunchTool.dropDownMenu = &find<MenuItem>("PMBunchT");
    ToolButtonMemoTool.dropDownMenu = &find<MenuItem>("PMTrVwMemo");
    ToolButtonSharing.dropDownMenu = &find<MenuItem>("PMSharing");
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

void TFmCtrl::loadNames(platform::ListFile& names, const std::string& file)
{
    names.loadOrCreate(dataFile(file));
    platform::IniFile base(dataFile("Base.INI"));
    names.readChoice(base);
}

void TFmCtrl::saveNames(platform::ListFile& names, const std::string& file)
{
    if (!names.save(dataFile(file)))
        return;
    platform::IniFile base(dataFile("Base.INI"));
    names.writeChoice(base);
    base.flush();
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
