#pragma once
// The settings and progress window: the try time, the base search site,
// page watch, and the progress and tree figures the other windows write.

#include "framework/form.h"

class TFmSys : public framework::Form {
public:
    TFmSys();

    framework::PageControl& PageControlMSystem;
    framework::TabSheet& TabSheetMSSetting;
    framework::PageControl& PageControlMSet;
    framework::TabSheet& TabSheetMSCtrl;
    framework::TabSheet& TabSheetMSCpp;
    framework::GroupBox& GroupBoxTryTime;
    framework::Edit& EditTryTime;
    framework::UpDown& UpDownTryTime;
    framework::GroupBox& GroupBoxConnectSite;
    framework::Label& LabelConnectSite;
    framework::Label& LabelFormName;
    framework::Label& LabelInputName;
    framework::Label& LabelConnectSiteCnt;
    framework::UpDown& UpDownConnectSite;

    framework::TabSheet& TabSheetMSExp;
    framework::GroupBox& GroupBoxTVF;
    framework::Label& LabelAllCnt;
    framework::Label& LabelTVFRootNum;
    framework::Label& LabelAbs;
    framework::Label& LabelParent;
    framework::Label& LabelChildCnt;
    framework::Label& LabelAbsoluteIndex;
    framework::Label& LabelAbsolute;
    framework::Label& LabelItmNod;
    framework::Label& LabelNodName;
    framework::GroupBox& GroupBoxProgress;
    framework::Label& LabelCppPrg;
    framework::Label& LabelCppAccess;
    framework::Label& LabelCppLstNm;
    framework::Label& LabelTime1;
    framework::Label& LabelBginPos;
    framework::Label& LabelNowPrg;
    framework::Label& LabelSerchTyp;

    framework::TabSheet& TabSheetMSPro;
    framework::PageControl& PageControlMPro;
    framework::TabSheet& TabSheetMPFanc;
    framework::Button& BitBtnURLs;
    framework::GroupBox& GroupBoxPageWatch;
    framework::Edit& EditPageWatch;
    framework::UpDown& UpDownPageWatch;
    framework::Button& BitBtnTabAdd2;
    framework::TabSheet& TabSheetMPTest;
    framework::ComboBox& ComboBoxHttp1Parameter;
    framework::TabSheet& TabSheetNon;
    framework::CheckBox& CheckBoxUseThema;

    // The try time in seconds: the position of UpDownTryTime.
    int tryTime() const { return UpDownTryTime.position(); }

    void FormCreate() override;
    void FormShow() override;
    void FormDestroy() override;
    void UpDownConnectSiteClick();
    void BitBtnURLsClick();
    void BitBtnTabAdd2Click();
    void UpDownPageWatchChanging(bool& allowChange);
    void EditPageWatchChange();
    void ComboBoxHttp1ParameterChange();
    void CheckBoxUseThemaClick();
};
