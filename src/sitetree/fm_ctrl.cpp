#include "sitetree/fm_ctrl.h"

using namespace framework;

TFmCtrl::TFmCtrl()
    : Form("FmCtrl"),
      TreeViewEdd1(make<TreeView>("TreeViewEdd1", nullptr)),
      StringGridBunch(make<StringGrid>("StringGridBunch", nullptr))
{
    setBounds(0, 120, 241, 600);
    setCaption("Ctrl");
    TreeViewEdd1.setAlign(Align::Client);
    StringGridBunch.setAlign(Align::Bottom);
    StringGridBunch.setHeight(200);
    StringGridBunch.setColCount(2);
    StringGridBunch.setRowCount(50);
    StringGridBunch.setDefaultColWidth(18);
    StringGridBunch.setDefaultRowHeight(16);
    StringGridBunch.editing = true;
    StringGridBunch.rowMoving = true;
    StringGridBunch.colMoving = true;
}

void TFmCtrl::FormCreate() { maximizeButton = false; }

void TFmCtrl::PMTrVwCFSaveClick() {}
void TFmCtrl::PMTrVwFESaveClick() {}
void TFmCtrl::PMBunchTFSaveClick() {}
void TFmCtrl::PMBunchTListUpClick() {}
void TFmCtrl::PMBunchTSRowBunchFromMemoClick() {}
void TFmCtrl::PMJoinAOperatorClick() {}
void TFmCtrl::httpTestGet(const std::string&) {}
std::string TFmCtrl::httpHeader() const { return {}; }
std::string TFmCtrl::httpBody() const { return {}; }
std::string TFmCtrl::httpCookieIn() const { return {}; }
