// Word lists (bunches): the grid, its files and the list of names.

#include "sitetree/fm_ctrl.h"

void TFmCtrl::PMBunchSFReadClick() {}
void TFmCtrl::PMBunchSFWriteClick() {}
void TFmCtrl::PMBunchSClearClick() {}
void TFmCtrl::PMBunchSVSetClick() {}
void TFmCtrl::PMBunchSVBiganClick() {}
void TFmCtrl::PMBCFLoadClick() {}
void TFmCtrl::PMBunchCFSaveClick() {}
void TFmCtrl::PMBCFOpen1Click() {}
void TFmCtrl::PMBunchCFReadClick() {}
void TFmCtrl::PMBunchCFWriteClick() {}
void TFmCtrl::PMBunchCAddClick() {}
void TFmCtrl::PMBunchTFSaveClick() {}
void TFmCtrl::PMBunchTFDeleteClick() {}
void TFmCtrl::PMBunchTSRowInsertClick() {}
void TFmCtrl::PMBunchTSRowDeleteClick() {}
void TFmCtrl::PMBunchTSRowBunchFromMemoClick() {}
void TFmCtrl::PMBunchTSAllYesClick() {}
void TFmCtrl::PMBunchTSAllNoClick() {}
void TFmCtrl::PMBunchTSClearClick() {}
void TFmCtrl::PMBunchTThemaAddClick() {}
void TFmCtrl::PMBunchTListUpClick() {}
void TFmCtrl::PMTrVwMTListUpClick() {}
void TFmCtrl::ComboBoxBunchClick() {}
void TFmCtrl::ComboBoxBunchChange() {}
void TFmCtrl::StringGridBunchMouseDown(const framework::MouseEvent&) {}
void TFmCtrl::StringGridBunchMouseUp(const framework::MouseEvent&) {}
void TFmCtrl::StringGridBunchClick() {}
void TFmCtrl::ToolButtonBunchAddClick() {}
