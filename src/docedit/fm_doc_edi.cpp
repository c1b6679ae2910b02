#include "docedit/fm_doc_edi.h"

using namespace framework;

TFmDocEdi::TFmDocEdi() : Form("FmDocEdi"), StringGridChang(make<StringGrid>("StringGridChang", nullptr))
{
    setBounds(120, 55, 320, 420);
    setCaption("DocEdit");
    StringGridChang.setAlign(Align::Client);
    StringGridChang.setColCount(15);
    StringGridChang.setRowCount(50);
    StringGridChang.setDefaultColWidth(72);
    StringGridChang.setDefaultRowHeight(16);
    StringGridChang.editing = true;
}

void TFmDocEdi::MMSEditPSelTextClick() {}
void TFmDocEdi::MMSWTRowChangFromMemoClick() {}
void TFmDocEdi::MMSChangTSaveClick() {}
