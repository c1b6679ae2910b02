#pragma once
// The browser automation window: 3 pages of 51 browser tabs, the access
// runs, form input, the operation table and the free search sites.

#include <string>

#include "framework/form.h"

class TFmCpp : public framework::Form {
public:
    TFmCpp();

    std::string AccessMode;
    // Remembered size of the operation table.
    int ManipCols = 5;
    int ManipRows = 16;

    framework::PageControl& PageControlMain;
    framework::TabSheet& TabSheetMBase;
    framework::TabSheet& TabSheetMManipulates;
    framework::TabSheet& TabSheetMFree;
    framework::StringGrid& StringGridManip;

    // Makes the Base page the active outer page.
    void activateBasePage();

    void ToolButtonFreeSaveClick();
    void ToolButtonManipSaveClick();
    void PMPSiteOpenClick();
    void PMPSaleClick();
    void PMPTAddClick();
};
