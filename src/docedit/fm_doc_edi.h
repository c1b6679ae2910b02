#pragma once
// The document editor: a tree of text operations and replacement tables
// applied to the memo window's source text.

#include "framework/form.h"

class TFmDocEdi : public framework::Form {
public:
    TFmDocEdi();

    // Remembered size of the replacement table.
    int TableCols = 0;
    int TableRows = 0;

    framework::StringGrid& StringGridChang;

    void MMSEditPSelTextClick();
    void MMSWTRowChangFromMemoClick();
    void MMSChangTSaveClick();
};
