#pragma once
// The site tree and lists window: theme trees and their categories, word
// lists, sharing words, the Assist page, operation programs and downloads.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/form.h"
#include "net/http_client.h"
#include "platform/files.h"
#include "platform/list_file.h"

class TFmCtrl : public framework::Form {
public:
    TFmCtrl();

    // ---- tree state
    std::string CurrentNodeText;
    std::string NewNodeName;
    std::string LikeWord;
    int AllCount = 0;
    int RootIndex = -1;
    int SelectedAbsIndex = 0;
    int ChildCount = 0;
    int LineCount = 0;
    bool HasParent = false;
    std::string TreeSuffix = "Edd1";
    framework::TreeView* ActiveTreeView = nullptr;
    std::string ListSuffix = "Edd1";
    framework::Memo* ActiveListMemo = nullptr;

    // ---- word-list state
    int BunchColCount = 2;
    int BunchRowCount = 50;
    int PressedCol = 0;
    int PressedRow = 0;
    std::string ClickedWord;
    framework::StringGrid* ActiveBunchGrid = nullptr;

    // ---- downloads
    std::unique_ptr<net::HttpClient> Http1;
    std::unique_ptr<net::HttpClient> Http2;
    static constexpr int MaxUpdates = 99;
    std::array<std::string, MaxUpdates + 1> UpdateName;
    std::array<std::string, MaxUpdates + 1> UpdateURL;
    std::array<std::string, MaxUpdates + 1> UpdatePath;
    std::array<std::string, MaxUpdates + 1> UpdateEpl;
    int UpdateMax = 0;
    int UpdateIndex = 1;

    // ---- operation programs
    std::string OpeMode;
    std::string CurrentCommand;
    int ScreenX = 0, ScreenY = 0;
    int BrowsX = 0, BrowsY = 0;
    int MemoryX = 0, MemoryY = 0;
    int WaitCount = 0;

    // ---- controls
    framework::PageControl& PageControlMain;
    framework::TabSheet& TabSheetMSerch;
    framework::GroupBox& GroupBoxSTTVF;
    framework::ComboBox& ComboBoxTVFCategory;
    framework::ToolBar& ToolBarTVFCategory;
    framework::ToolButton& ToolButtonTVFFunc;
    framework::GroupBox& GroupBoxThema;
    framework::ToolBar& ToolBarTreeVeiw;
    framework::ToolButton& ToolButtonTVFAdd;
    framework::ToolButton& ToolButtonTrVwTDelete;
    framework::ToolButton& ToolButtonTrVwTool;
    framework::Panel& PanelThema;
    framework::TreeView& TreeViewEdd1;
    framework::GroupBox& GroupBoxSTSharing;
    framework::ToolBar& ToolBarSharing;
    framework::ToolButton& ToolButtonSharing;
    framework::CheckListBox& CheckListBoxSharing;
    framework::GroupBox& GroupBoxList;
    framework::PageControl& PageControlList;
    framework::TabSheet& TabSheetLBunch;
    framework::ToolBar& ToolBarBunch;
    framework::ToolButton& ToolButtonBunchAdd;
    framework::ToolButton& ToolButtonBunchTool;
    framework::ComboBox& ComboBoxBunch;
    framework::Panel& PanelList;
    framework::StringGrid& StringGridBunch;
    framework::TabSheet& TabSheetLTVF;
    framework::ToolBar& ToolBarMemo;
    framework::ToolButton& ToolButtonMemoAdd;
    framework::ToolButton& ToolButtonMemoTool;
    framework::Memo& MemoEdd1;
    framework::TabSheet& TabSheetMAssist;
    framework::PageControl& PageControlAssist;
    framework::TabSheet& TabSheetMACheck;
    framework::ToolBar& ToolBarCheck;
    framework::ToolButton& ToolButtonSiteDont;
    framework::ToolButton& ToolButtonPageCopy;
    framework::TabSheet& TabSheetMAJoin;
    framework::UpDown& UpDownUpDateSele;
    framework::Label& LabelUpDateName;
    framework::Label& LabelUpDateEpl;
    framework::Label& LabelUpDatePath;
    framework::RadioButton& RadioButtonUpDataUMu;
    framework::ToolBar& ToolBarJoin;
    framework::ToolButton& ToolButtonUpData;
    framework::ToolButton& ToolButtonUpDataDownLoad;
    framework::ComboBox& ComboBoxAssistURL;
    framework::WebBrowserHost& CppWebBrowserAssist;

    // ---- window events
    void FormCreate() override;
    void FormShow() override;
    void FormDestroy() override;
    // The main window's close saved the category list and the tree already
    // (a failure was shown then): the destruction does not save them, nor
    // report the same failure, again.
    bool SavedAtClose = false;

    // ---- theme tree (tree_view_commands.cpp)
    void PMTrVwFELoadClick();
    void PMTrVwFESaveClick();
    void PMTrVwTBackUPClick();
    void PMTrVwTTRestorationClick();
    void PMTrVwANOpen1Click();
    void PMTrVwFESReadClick();
    void PMTrVwFESWriteClick();
    void ToolButtonTVFAddClick();
    void PMTrVwTTSaveClick();
    void TreeViewEdd1Click();
    void TreeViewEdd1DblClick();
    void TreeViewEdd1Enter();
    void TreeViewEdd1MouseDown();
    void TreeViewEdd1DragOver(framework::Control* source, int x, int y, bool& accept);
    void TreeViewEdd1DragDrop(framework::Control* source, int x, int y);
    void MemoEdd1Enter();
    void MemoEdd1KeyDown(framework::KeyEvent& key);

    // ---- categories and tree editing (categories.cpp)
    void PMTFCLoad1Click();
    void PMTrVwCFSaveClick();
    void PMTFCOpenClick();
    void ComboBoxTVFCategoryClick();
    void ComboBoxTVFCategoryChange();
    void PMTTAdd1Click();
    void FMTTrVwTSaveClick();
    void ToolButtonTVFFuncClick();
    void FMTTrVwTDeleteClick();
    void PMTANARootClick();
    void PMTANAChildClick();
    void PMTANAListClick();
    void PMTrVwTDeleteClick();
    // Puts the last deleted node back where it was, with the nodes below it
    // (Ctrl+Z), and saves the tree.
    void PMTrVwTUndoDeleteClick();
    void ToolButtonTrVwTDeleteClick();
    void PMTrVwTTRootInClick();
    void PMTrVwTTConnectedManiplatesClick();
    void PMTANRenameChangeClick();
    void PMTFRMakeXML1Click();

    // ---- word lists (bunch_lists.cpp)
    void PMBunchSFReadClick();
    void PMBunchSFWriteClick();
    void PMBunchSClearClick();
    void PMBunchSVSetClick();
    void PMBunchSVBiganClick();
    void PMBCFLoadClick();
    void PMBunchCFSaveClick();
    void PMBCFOpen1Click();
    void PMBunchCFReadClick();
    void PMBunchCFWriteClick();
    void PMBunchCAddClick();
    void PMBunchTFSaveClick();
    void PMBunchTFDeleteClick();
    void PMBunchTSRowInsertClick();
    void PMBunchTSRowDeleteClick();
    void PMBunchTSRowBunchFromMemoClick();
    void PMBunchTSAllYesClick();
    void PMBunchTSAllNoClick();
    void PMBunchTSClearClick();
    void PMBunchTThemaAddClick();
    void PMBunchTListUpClick();
    void PMTrVwMTListUpClick();
    void ComboBoxBunchClick();
    void ComboBoxBunchChange();
    void StringGridBunchMouseDown(const framework::MouseEvent& event);
    void StringGridBunchMouseUp(const framework::MouseEvent& event);
    void StringGridBunchClick();
    void ToolButtonBunchAddClick();

    // ---- sharing list, pop-up menu, Assist page (sharing.cpp)
    void PMSCFLoadClick();
    void PMSharingCFSaveClick();
    void PMSCFOpenClick();
    void CheckListBoxSharingClick();
    void PMSCFOnClic1Click();
    void PMSUniquClick();
    void PMCAdd1Click();
    void PMCDateClick();
    void PMCDelete1Click();
    void PMSVisible1Click();
    void ToolButtonTVFFuncMouseMove();
    void ToolButtonSiteDontClick();
    void ToolButtonPageCopyClick();
    void GroupBoxSTSharingClick();
    void TabSheetMAssistShow();

    // ---- downloads and operation programs (later work)
    void PMJoinAJointClick();
    void PMJoinAOperatorClick();
    void PMJoinASetClick();
    void PMBShowClick();
    void TabSheetMAJoinShow();
    void ToolButtonUpDataClick();
    void UpDownUpDateSeleChanging(bool& allowChange);
    void ToolButtonUpDataDownLoadClick();

    // ---- operation programs (operation_programs.cpp)
    void PMMSrcRunClick();
    void PMMProcessingSeleClick();
    void PMMKSetClick();
    void PMMKBReturnClick();
    void PMMKBDeleteClick();
    void PMMKBBackSpaceClick();
    void PMMKBSpaceClick();
    void PMMKCCopyClick();
    void PMMKCPastClick();
    void PMMKCChoosingCompletelyClick();
    void PMMKFCapsLockClick();
    void PMMKMTabClick();
    void PMMKMTabBackClick();
    void PMMKMUpClick();
    void PMMKMDownClick();
    void PMMKMLeftClick();
    void PMMKMRightClick();
    void PMMKAltClick();
    void PMMMPMemoryClick();
    void PMMMBrowsXYClick();
    void PMMMScreenXYClick();
    void PMMMPReturnsClick();
    void PMMMClickSngleClick();
    void PMMMClickWClick();
    void PMMSReadStrClick();
    void PMMSWaitClick();
    void PMMSEndClick();
    void PMMS0Click();

    // The settings window's HTTP test page: a fetch with the window's HTTP
    // client and the parts of its last reply.
    void httpTestGet(const std::string& url);
    std::string httpHeader() const;
    std::string httpBody() const;
    std::string httpCookieIn() const;

    // ---- helpers shared by the handlers
    // The tree file of the current category, stored in FmMain->PathText.
    platform::fs::path treeFilePath();
    // The file of the current word list, stored in FmMain->PathText.
    platform::fs::path bunchFilePath();
    // A file of the language folder, stored in FmMain->PathText.
    platform::fs::path dataFile(const std::string& name);
    // The theme box of the browser window.
    framework::Edit& themeBox() const;

private:
    // The last deleted node, for its undo: its subtree as tree-file lines,
    // where it stood, and the tree it stood in (a load starts another).
    struct DeletedNode {
        std::vector<std::string> lines;
        framework::TreeNode* parent = nullptr;
        int index = 0;
        int treeLoad = 0;
    };
    std::optional<DeletedNode> deleted_;
    int treeLoads_ = 0;

    // What the window read from its files; see LoadGuard. The name lists
    // keep their chosen name in Base.INI.
    platform::ListFile categories_{ComboBoxTVFCategory, "TVF", "Category"};
    platform::ListFile bunchNames_{ComboBoxBunch, "List", "Bunch"};
    platform::LoadGuard treeFile_;
    platform::LoadGuard bunchGrid_;
    platform::LoadGuard themaAdd_;
    // A name list from its file (created when missing) with its chosen
    // name, and back.
    void loadNames(platform::ListFile& names, const std::string& file);
    void saveNames(platform::ListFile& names, const std::string& file);

    void buildMenus();
    void setUpHttpClients();
    // Fetches an address with Http1 (the body arrives in the source memo as
    // UTF-8); throws when the reply was not a success or is no text that
    // may replace the file at path (empty, NUL bytes, neither UTF-8 nor
    // code page 932), naming the file and the reason.
    void fetch(const std::string& url, const platform::fs::path& path);
    // fetch, then saves the source memo as the file; an unsuccessful or
    // refused reply keeps the old file.
    void fetchAndSave(const std::string& url, const platform::fs::path& path);
    bool lastFetchSucceeded_ = false;
    // The three steps every operation command runs: its log lines, the
    // recording into the operation table, the replay action.
    void operationCommand(const std::string& name, const std::vector<std::string>& logLines,
                          const std::function<void()>& action);
    void sendKey(int key, int modifier = 0);
    void readCaptions();
};
