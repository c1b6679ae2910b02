#pragma once
// The document editor: a tree of line-by-line text operations applied to
// the memo window's source text, and the replacement tables.

#include <string>

#include "framework/form.h"

class TFmDocEdi : public framework::Form {
public:
    TFmDocEdi();

    std::string OperationPath;
    std::string KeyMemoColour = "Blue";
    // Besides 青 and 赤, the words in the user's language that make an
    // operation's label blue or red (caption table).
    std::string BlueWord;
    std::string RedWord;
    // Size of the current replacement table (0 until one is read).
    int TableCols = 0, TableRows = 0;
    int ClickCol = 0, ClickRow = 0;

    framework::GroupBox& GroupBoxChang;
    framework::Memo& MemoBlue;
    framework::Splitter& SplitterChang;
    framework::Memo& MemoRed;
    framework::PageControl& PageControlMain;
    framework::TabSheet& TabSheetMEdit;
    framework::ToolBar& ToolBarEdit;
    framework::ToolButton& ToolButtonEdit;
    framework::TreeView& TreeViewMoji;
    framework::TabSheet& TabSheetChang;
    framework::Panel& PanelChang;
    framework::ComboBox& ComboBoxChang;
    framework::ComboBox& ComboBoxWCCpy;
    framework::Label& LabelWCCpyNum;
    framework::Label& LabelArrow;
    framework::ComboBox& ComboBoxWCPst;
    framework::Label& LabelWCPstNum;
    framework::ToolBar& ToolBarChang;
    framework::ToolButton& ToolButtonChang;
    framework::StringGrid& StringGridChang;

    // ---- document editor (fm_doc_edi.cpp, text_operations.cpp)
    void FormCreate() override;
    void MMSEditSaveClick();
    void MMSEditFLoadClick();
    void TreeViewMojiClick();
    // Enter or a double click on an operation runs it.
    void TreeViewMojiDblClick();
    void TreeViewMojiKeyDown(framework::KeyEvent& key);
    void MemoBlueEnter();
    void MemoRedEnter();
    void MMSEditTSourceFromLogClick();
    void MMSEditPSelTextClick();
    void MMSEditTRunClick();
    void ToolButtonEditClick();

    // ---- replacement tables (replacement_tables.cpp)
    void MMSChangCFLoadClick();
    void MMSChangCFSaveClick();
    void ComboBoxChangClick();
    void MMSChangSFReadClick();
    void MMSChangSFWriteClick();
    void MMSChangTSaveClick();
    void MMSChangSSCntClick();
    void MMSChangSSCountClick();
    void MMSChangSSBaseClick();
    void ComboBoxWCCpyChange();
    void ComboBoxWCPstChange();
    void StringGridChangMouseDown(const framework::MouseEvent& event);
    void MMSChangToolRunClick();
    void MMSChangTListUpClick();
    void MMSChangTColAddClick();
    void MMSWToolColInsertClick();
    void MMSChangTColDeleteClick();
    void MMSChangTRowAddClick();
    void MMSWTRowInsertClick();
    void MMSWTRowDeleteClick();
    void MMSWTRowChangFromMemoClick();
    void TabSheetChangShow();

    // The tree the editor starts with when it has no tree file.
    void loadDefaultTree();

private:
    void buildMenus();
    // While the window is created a missing table is not worth a message
    // box: a new installation names a table it does not have yet.
    bool startingUp_ = false;
};
