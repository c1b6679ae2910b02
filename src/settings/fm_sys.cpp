#include "settings/fm_sys.h"

#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "framework/convert.h"
#include "memo/fm_memo.h"
#include "platform/data_folder.h"
#include "platform/ini_file.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace {
constexpr int DefaultTryTime = 20;
constexpr int MinTryTime = 6;
constexpr int DefaultParallel = 4;
constexpr int DefaultHostInterval = 1000;
constexpr int DefaultLiveTabs = 12;
constexpr int TabCountLimit = 51;
} // namespace

TFmSys::TFmSys()
    : Form("FmSys"), PageControlMSystem(make<PageControl>("PageControlMSystem", nullptr)),
      TabSheetMSSetting(make<TabSheet>("TabSheetMSSetting", &PageControlMSystem)),
      PageControlMSet(make<PageControl>("PageControlMSet", &TabSheetMSSetting)),
      TabSheetMSCtrl(make<TabSheet>("TabSheetMSCtrl", &PageControlMSet)),
      TabSheetMSCpp(make<TabSheet>("TabSheetMSCpp", &PageControlMSet)),
      GroupBoxTryTime(make<GroupBox>("GroupBoxTryTime", &TabSheetMSCpp)),
      EditTryTime(make<Edit>("EditTryTime", &GroupBoxTryTime)),
      UpDownTryTime(make<UpDown>("UpDownTryTime", &GroupBoxTryTime)),
      ComboBoxPacing(make<ComboBox>("ComboBoxPacing", &GroupBoxTryTime)),
      GroupBoxConnectSite(make<GroupBox>("GroupBoxConnectSite", &TabSheetMSCpp)),
      LabelConnectSite(make<Label>("LabelConnectSite", &GroupBoxConnectSite)),
      LabelFormName(make<Label>("LabelFormName", &GroupBoxConnectSite)),
      LabelInputName(make<Label>("LabelInputName", &GroupBoxConnectSite)),
      LabelConnectSiteCnt(make<Label>("LabelConnectSiteCnt", &GroupBoxConnectSite)),
      UpDownConnectSite(make<UpDown>("UpDownConnectSite", &GroupBoxConnectSite)),
      LabelSiteKind(make<Label>("LabelSiteKind", &GroupBoxConnectSite)),
      GroupBoxQuick(make<GroupBox>("GroupBoxQuick", &TabSheetMSCpp)),
      LabelParallel(make<Label>("LabelParallel", &GroupBoxQuick)),
      EditParallel(make<Edit>("EditParallel", &GroupBoxQuick)),
      UpDownParallel(make<UpDown>("UpDownParallel", &GroupBoxQuick)),
      LabelHostInterval(make<Label>("LabelHostInterval", &GroupBoxQuick)),
      EditHostInterval(make<Edit>("EditHostInterval", &GroupBoxQuick)),
      UpDownHostInterval(make<UpDown>("UpDownHostInterval", &GroupBoxQuick)),
      LabelLiveTabs(make<Label>("LabelLiveTabs", &GroupBoxQuick)),
      EditLiveTabs(make<Edit>("EditLiveTabs", &GroupBoxQuick)),
      UpDownLiveTabs(make<UpDown>("UpDownLiveTabs", &GroupBoxQuick)),
      GroupBoxRun(make<GroupBox>("GroupBoxRun", &TabSheetMSCpp)),
      LabelRunState(make<Label>("LabelRunState", &GroupBoxRun)),
      BitBtnResume(make<Button>("BitBtnResume", &GroupBoxRun)),
      TabSheetMSExp(make<TabSheet>("TabSheetMSExp", &PageControlMSystem)),
      GroupBoxTVF(make<GroupBox>("GroupBoxTVF", &TabSheetMSExp)), LabelAllCnt(make<Label>("LabelAllCnt", &GroupBoxTVF)),
      LabelTVFRootNum(make<Label>("LabelTVFRootNum", &GroupBoxTVF)), LabelAbs(make<Label>("LabelAbs", &GroupBoxTVF)),
      LabelParent(make<Label>("LabelParent", &GroupBoxTVF)), LabelChildCnt(make<Label>("LabelChildCnt", &GroupBoxTVF)),
      LabelAbsoluteIndex(make<Label>("LabelAbsoluteIndex", &GroupBoxTVF)),
      LabelAbsolute(make<Label>("LabelAbsolute", &GroupBoxTVF)), LabelItmNod(make<Label>("LabelItmNod", &GroupBoxTVF)),
      LabelNodName(make<Label>("LabelNodName", &GroupBoxTVF)),
      GroupBoxProgress(make<GroupBox>("GroupBoxProgress", &TabSheetMSExp)),
      LabelCppPrg(make<Label>("LabelCppPrg", &GroupBoxProgress)),
      LabelCppAccess(make<Label>("LabelCppAccess", &GroupBoxProgress)),
      LabelCppLstNm(make<Label>("LabelCppLstNm", &GroupBoxProgress)),
      LabelTime1(make<Label>("LabelTime1", &GroupBoxProgress)),
      LabelBginPos(make<Label>("LabelBginPos", &GroupBoxProgress)),
      LabelNowPrg(make<Label>("LabelNowPrg", &GroupBoxProgress)),
      LabelSerchTyp(make<Label>("LabelSerchTyp", &GroupBoxProgress)),
      TabSheetMSPro(make<TabSheet>("TabSheetMSPro", &PageControlMSystem)),
      PageControlMPro(make<PageControl>("PageControlMPro", &TabSheetMSPro)),
      TabSheetMPFanc(make<TabSheet>("TabSheetMPFanc", &PageControlMPro)),
      BitBtnURLs(make<Button>("BitBtnURLs", &TabSheetMPFanc)),
      GroupBoxPageWatch(make<GroupBox>("GroupBoxPageWatch", &TabSheetMPFanc)),
      EditPageWatch(make<Edit>("EditPageWatch", &GroupBoxPageWatch)),
      UpDownPageWatch(make<UpDown>("UpDownPageWatch", &GroupBoxPageWatch)),
      BitBtnTabAdd2(make<Button>("BitBtnTabAdd2", &TabSheetMPFanc)),
      CheckBoxPrivateBrowsing(make<CheckBox>("CheckBoxPrivateBrowsing", &TabSheetMPFanc)),
      TabSheetMPTest(make<TabSheet>("TabSheetMPTest", &PageControlMPro)),
      ComboBoxHttp1Parameter(make<ComboBox>("ComboBoxHttp1Parameter", &TabSheetMPTest)),
      TabSheetNon(make<TabSheet>("TabSheetNon", &PageControlMPro)),
      CheckBoxUseThema(make<CheckBox>("CheckBoxUseThema", &TabSheetNon))
{
    setBounds(650, 100, 181, 353);
    setColor(0xC0FAFE);
    setFontName("ＭＳ Ｐゴシック");
    setFontSize(12);
    setCaption("Sys");

    PageControlMSystem.setAlign(Align::Client);
    PageControlMSystem.flatButtons = true;
    PageControlMSystem.buttonStyle = true;
    PageControlMSystem.multiLine = true;

    // ---- Set page
    TabSheetMSSetting.setCaption("Set");
    PageControlMSet.setAlign(Align::Client);
    PageControlMSet.buttonStyle = true;
    TabSheetMSCtrl.setCaption("Ctrl");
    TabSheetMSCpp.setCaption("Cpp");

    GroupBoxTryTime.setCaption("TryTime");
    GroupBoxTryTime.setHint("検索待ち時間");
    GroupBoxTryTime.setColor(0xDAFBFE);
    GroupBoxTryTime.setFontColor(0x008000);
    GroupBoxTryTime.setAlign(Align::Top);
    GroupBoxTryTime.setHeight(48);
    EditTryTime.setBounds(8, 18, 60, 22);
    EditTryTime.setHint("ﾄﾗｲ間隔(秒)の待ち時間");
    EditTryTime.setText("20");
    UpDownTryTime.setBounds(70, 18, 17, 22);
    UpDownTryTime.setHint("ﾄﾗｲ間隔(秒)ｾｯﾄ");
    UpDownTryTime.associate = &EditTryTime;
    UpDownTryTime.setMax(1000);
    // Below 6 seconds a run cannot work: the search site's completion would
    // set the tick back to the navigation tick and open the site again, or
    // the form would be filled before the site was even opened.
    UpDownTryTime.setMin(MinTryTime);
    UpDownTryTime.setPosition(DefaultTryTime);
    // Typing a number into the edit moves the up-down, as the bound pair
    // of controls does.
    EditTryTime.onChange = [this] {
        int value = 0;
        if (TryStrToInt(EditTryTime.text(), value))
            UpDownTryTime.setPosition(value);
    };
    // Text that is no number is refused once the user leaves the box.
    EditTryTime.onExit = [this] { UpDownTryTime.takeAssociateText(); };

    ComboBoxPacing.setBounds(94, 18, 72, 22);
    ComboBoxPacing.setHint("Seed: the one-second timer / Quick: as fast as the pages load");
    ComboBoxPacing.setItems({"Seed", "Quick"});
    ComboBoxPacing.dropDownList = true;
    ComboBoxPacing.setText("Seed");
    // The run settings are stored as soon as they change, so every show
    // and every start finds them as the user left them.
    ComboBoxPacing.onChange = [this] { saveRunSettings(); };

    // Quick pacing, and the tabs a run keeps alive.
    GroupBoxQuick.setCaption("Quick");
    GroupBoxQuick.setAlign(Align::Bottom);
    GroupBoxQuick.setHeight(92);
    auto number = [this](Label& label, const char* caption, Edit& edit, UpDown& updown, int y, int min, int max,
                         int step, int position, const char* hint) {
        label.setCaption(caption);
        label.setBounds(6, y + 2, 70, 16);
        edit.setBounds(80, y, 50, 20);
        edit.setHint(hint);
        updown.setBounds(130, y, 17, 20);
        updown.associate = &edit;
        updown.setMax(max);
        updown.setMin(min);
        updown.increment = step;
        updown.setPosition(position);
        edit.onChange = [this, &edit, &updown] {
            int value = 0;
            if (TryStrToInt(edit.text(), value)) {
                updown.setPosition(value);
                saveRunSettings();
            }
        };
        edit.onExit = [&updown] { updown.takeAssociateText(); };
        updown.onUpDownClick = [this](UpDownButton) { saveRunSettings(); };
    };
    number(LabelParallel, "Tabs", EditParallel, UpDownParallel, 16, 1, TabCountLimit, 1, DefaultParallel,
           "Entries searched at once with Quick pacing");
    number(LabelHostInterval, "Gap ms", EditHostInterval, UpDownHostInterval, 40, 0, 60000, 100, DefaultHostInterval,
           "Least time between two searches on one site (0 for your own sites)");
    number(LabelLiveTabs, "Live tabs", EditLiveTabs, UpDownLiveTabs, 64, 1, 153, 1, DefaultLiveTabs,
           "Finished tabs kept in memory; the others reload when shown");

    GroupBoxRun.setCaption("Run");
    GroupBoxRun.setAlign(Align::Bottom);
    GroupBoxRun.setHeight(58);
    // The state takes what the button leaves and wraps, so a long reason
    // and the button both show whole.
    BitBtnResume.setAlign(Align::Right);
    BitBtnResume.setWidth(60);
    LabelRunState.setAlign(Align::Client);
    LabelRunState.wordWrap = true;
    LabelRunState.setFontColor(0x0000C0);
    BitBtnResume.setCaption("Resume");
    BitBtnResume.setHint("Go on from the blocked entry once it is solved in its tab");
    BitBtnResume.setEnabled(false);
    BitBtnResume.onClick = [this] { BitBtnResumeClick(); };

    GroupBoxConnectSite.setCaption("ConnectSite");
    GroupBoxConnectSite.setHint("BasaSiteSelection");
    GroupBoxConnectSite.setAlign(Align::Client);
    LabelConnectSite.setBounds(6, 18, 160, 16);
    LabelConnectSite.setHint("ConnectSite");
    LabelConnectSite.setCaption(platform::DefaultSiteBase);
    LabelFormName.setBounds(6, 36, 160, 16);
    LabelFormName.setHint("FormName");
    LabelFormName.setCaption("cse-search-box");
    LabelInputName.setBounds(6, 54, 160, 16);
    LabelInputName.setHint("InputName");
    LabelInputName.setCaption("q");
    LabelConnectSiteCnt.setBounds(6, 76, 40, 20);
    LabelConnectSiteCnt.setCaption("Cnt");
    LabelConnectSiteCnt.setFontColor(0x808000);
    LabelConnectSiteCnt.setFontBold(true);
    LabelConnectSiteCnt.setFontSize(16);
    UpDownConnectSite.setBounds(50, 76, 40, 20);
    UpDownConnectSite.setHint("BasaSiteSelection");
    UpDownConnectSite.horizontal = true;
    UpDownConnectSite.setMax(1000);
    UpDownConnectSite.setMin(1);
    UpDownConnectSite.setPosition(20);
    UpDownConnectSite.wrap = true;
    UpDownConnectSite.onUpDownClick = [this](UpDownButton) { UpDownConnectSiteClick(); };
    LabelSiteKind.setBounds(91, 78, 75, 16);
    LabelSiteKind.setFontColor(0x808000);
    LabelSiteKind.handCursor = true;
    LabelSiteKind.setHint("How the site is searched; click to test it in the browser window's current tab");
    LabelSiteKind.onClick = [this] { LabelSiteKindClick(); };

    // ---- Exp page
    TabSheetMSExp.setCaption("Exp");
    GroupBoxTVF.setCaption("TVF");
    GroupBoxTVF.setAlign(Align::Top);
    GroupBoxTVF.setHeight(170);
    int y = 16;
    auto grey = [&](Label& label, const char* hint) {
        label.setBounds(6, y, 160, 15);
        label.setFontColor(0x808080);
        if (hint)
            label.setHint(hint);
        y += 16;
    };
    grey(LabelAllCnt, "AllCnt/総数");
    grey(LabelTVFRootNum, "RootNum/ルート番");
    grey(LabelAbs, "Abs/行番");
    grey(LabelParent, "Parent/親");
    grey(LabelChildCnt, "ChildCnt/子の数");
    grey(LabelAbsoluteIndex, nullptr);
    grey(LabelAbsolute, nullptr);
    grey(LabelItmNod, nullptr);
    grey(LabelNodName, nullptr);
    LabelNodName.handCursor = true;

    GroupBoxProgress.setCaption("Progress");
    GroupBoxProgress.setAlign(Align::Client);
    y = 16;
    auto coloured = [&](Label& label, const char* caption, int32_t font, int32_t back, int size) {
        label.setBounds(6, y, 160, size + 4);
        label.setCaption(caption);
        label.setFontColor(font);
        if (back != ColorDefault)
            label.setColor(back);
        label.setFontSize(size);
        // Packed so that the last one still shows whole in the box at a
        // font with taller lines than the design font.
        y += size + 3;
    };
    coloured(LabelCppPrg, "Prg", ColorWhite, 0x0000FF, 16);
    coloured(LabelCppAccess, "Acs", ColorWhite, 0x008080, 16);
    coloured(LabelCppLstNm, "Nm", 0x008000, ColorDefault, 16);
    coloured(LabelTime1, "Time", 0x800000, ColorDefault, 16);
    coloured(LabelBginPos, "Bgin", 0x000080, ColorDefault, 16);
    LabelBginPos.setHint("BginPos");
    coloured(LabelNowPrg, "Prg", ColorDefault, ColorDefault, 13);
    coloured(LabelSerchTyp, "SerchTyp", ColorDefault, ColorDefault, 13);

    // ---- Pro page
    TabSheetMSPro.setCaption("Pro");
    PageControlMPro.setAlign(Align::Client);
    PageControlMPro.flatButtons = true;
    PageControlMPro.buttonStyle = true;
    PageControlMPro.multiLine = true;
    TabSheetMPFanc.setCaption("Fanc");
    BitBtnURLs.setBounds(8, 8, 90, 25);
    BitBtnURLs.setCaption("URLs >>");
    BitBtnURLs.setFontBold(true);
    BitBtnURLs.setFontColor(0x008000);
    BitBtnURLs.onClick = [this] { BitBtnURLsClick(); };
    GroupBoxPageWatch.setCaption("PageWatch");
    GroupBoxPageWatch.setBounds(8, 40, 150, 48);
    EditPageWatch.setBounds(8, 18, 60, 22);
    EditPageWatch.setText("0");
    EditPageWatch.onChange = [this] { EditPageWatchChange(); };
    UpDownPageWatch.setBounds(70, 18, 40, 22);
    UpDownPageWatch.horizontal = true;
    UpDownPageWatch.associate = &EditPageWatch;
    EditPageWatch.onExit = [this] { UpDownPageWatch.takeAssociateText(); };
    UpDownPageWatch.setMax(600);
    UpDownPageWatch.setMin(0);
    UpDownPageWatch.setPosition(0);
    UpDownPageWatch.onChanging = [this](bool& allow) { UpDownPageWatchChanging(allow); };
    BitBtnTabAdd2.setBounds(8, 96, 90, 25);
    BitBtnTabAdd2.setCaption("TabAdd");
    BitBtnTabAdd2.onClick = [this] { BitBtnTabAdd2Click(); };
    CheckBoxPrivateBrowsing.setBounds(8, 128, 160, 20);
    CheckBoxPrivateBrowsing.setCaption("Private browsing");
    CheckBoxPrivateBrowsing.setHint("Keep no cookies, logins or cache after the program ends");
    CheckBoxPrivateBrowsing.onClick = [this] { CheckBoxPrivateBrowsingClick(); };
    TabSheetMPTest.setCaption("Test");
    ComboBoxHttp1Parameter.setBounds(8, 8, 140, 22);
    ComboBoxHttp1Parameter.setItems({"Souce", "Header", "Body", "CookieIn"});
    ComboBoxHttp1Parameter.setText("Parameter");
    ComboBoxHttp1Parameter.dropDownList = false;
    ComboBoxHttp1Parameter.onChange = [this] { ComboBoxHttp1ParameterChange(); };
    TabSheetNon.setCaption("Non");
    CheckBoxUseThema.setBounds(8, 8, 80, 20);
    CheckBoxUseThema.setCaption("In");
    CheckBoxUseThema.setChecked(true);
    CheckBoxUseThema.onClick = [this] { CheckBoxUseThemaClick(); };

    PageControlMSet.setActivePage(&TabSheetMSCpp);
    PageControlMSystem.setActivePage(&TabSheetMSSetting);
}

void TFmSys::readCaptions()
{
    platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
    vantrel::readCaptions(
        hlp, *this,
        {"TabSheetMSSetting", "GroupBoxTryTime", "TabSheetMSExp", "GroupBoxProgress", "GroupBoxConnectSite"});
    // The rows of what this program adds, and the hints of the controls
    // whose caption is their value.
    vantrel::readCaptions(hlp, *this,
                          {"FmSys", "TabSheetMSCtrl", "TabSheetMSCpp", "GroupBoxQuick", "LabelParallel",
                           "LabelHostInterval", "LabelLiveTabs", "GroupBoxRun", "BitBtnResume", "GroupBoxTVF",
                           "TabSheetMSPro", "TabSheetMPFanc", "BitBtnURLs", "GroupBoxPageWatch", "BitBtnTabAdd2",
                           "CheckBoxPrivateBrowsing", "TabSheetMPTest", "TabSheetNon", "CheckBoxUseThema"});
    vantrel::readHints(hlp, *this,
                       {"EditTryTime",     "UpDownTryTime",    "ComboBoxPacing",      "LabelConnectSite",
                        "LabelFormName",   "LabelInputName",   "LabelConnectSiteCnt", "UpDownConnectSite",
                        "EditParallel",    "EditHostInterval", "EditLiveTabs",        "LabelAllCnt",
                        "LabelTVFRootNum", "LabelAbs",         "LabelParent",         "LabelChildCnt",
                        "LabelCppPrg",     "LabelCppAccess",   "LabelCppLstNm",       "LabelTime1",
                        "LabelBginPos",    "EditPageWatch",    "UpDownPageWatch",     "ComboBoxHttp1Parameter",
                        "LabelSiteKind"});
    // The pacing's names in the user's language; the choice stays.
    const int chosen = pacing() == runs::Pacing::Quick ? 1 : 0;
    ComboBoxPacing.setItems(
        {vantrel::messageText(hlp, "PacingSeed", "Seed"), vantrel::messageText(hlp, "PacingQuick", "Quick")});
    ComboBoxPacing.setItemIndex(chosen);
}

void TFmSys::FormCreate()
{
    readCaptions();
    // The runs read their settings from this window even when it was never
    // shown, and its destruction writes them back: they are read at
    // creation too, so neither uses the design values over the stored ones.
    readRunSettings();
    {
        platform::IniFile program(FmMain->exePath("0Base.INI"));
        CheckBoxPrivateBrowsing.setChecked(program.readBool("Begin", "PrivateBrowsing", false));
    }
    // The label starts on the configured site, the same address the
    // up-down's first click falls back to for its Base keys. The main
    // window, created first, knows the program folder by now.
    LabelConnectSite.setCaption(FmMain->siteBase());
}

void TFmSys::readRunSettings()
{
    platform::IniFile base(FmMain->langPath("Base.INI"));
    UpDownTryTime.setPosition(base.readInteger("Set", "TryTime", DefaultTryTime));
    const auto pacing = runs::pacingFromText(base.readString("Set", "Pacing", ""));
    ComboBoxPacing.setItemIndex(pacing.value_or(runs::Pacing::Seed) == runs::Pacing::Quick ? 1 : 0);
    UpDownParallel.setPosition(base.readInteger("Set", "Parallel", DefaultParallel));
    UpDownHostInterval.setPosition(base.readInteger("Set", "HostInterval", DefaultHostInterval));
    UpDownLiveTabs.setPosition(base.readInteger("Set", "LiveTabs", DefaultLiveTabs));
}

void TFmSys::FormShow()
{
    readCaptions();
    // Every show reads the stored settings again, so an unsaved change of
    // the try time is undone; the others were stored when they changed.
    readRunSettings();
    showSiteKind();
}

void TFmSys::showSiteKind()
{
    platform::IniFile base(FmMain->exePath("0Base.INI"));
    LabelSiteKind.setCaption(TFmCpp::siteKindText(runs::siteKindOf(base.readString("Base", "URL", ""),
                                                                   base.readString("Base", "FormName", ""),
                                                                   base.readString("Base", "InputName", ""))));
}

void TFmSys::LabelSiteKindClick()
{
    // The finding may be longer than the label: its hint holds it whole.
    FmCpp->testBaseSite([this](const std::string& finding) {
        LabelRunState.setCaption(finding);
        LabelRunState.setHint(finding);
    });
}

void TFmSys::saveRunSettings()
{
    platform::IniFile base(FmMain->langPath("Base.INI"));
    base.writeString("Set", "Pacing", runs::pacingName(pacing()));
    base.writeInteger("Set", "Parallel", parallel());
    base.writeInteger("Set", "HostInterval", hostInterval());
    base.writeInteger("Set", "LiveTabs", liveTabs());
    base.flush();
}

void TFmSys::FormDestroy()
{
    platform::IniFile base(FmMain->langPath("Base.INI"));
    base.writeInteger("Set", "TryTime", UpDownTryTime.position());
    base.writeString("Set", "Pacing", runs::pacingName(pacing()));
    base.writeInteger("Set", "Parallel", parallel());
    base.writeInteger("Set", "HostInterval", hostInterval());
    base.writeInteger("Set", "LiveTabs", liveTabs());
    base.flush();
}

void TFmSys::showRunState(const std::string& text)
{
    LabelRunState.setCaption(text);
    LabelRunState.setHint(text);
    BitBtnResume.setEnabled(!text.empty());
}

void TFmSys::BitBtnResumeClick()
{
    FmCpp->PMACResumeClick();
}

void TFmSys::CheckBoxPrivateBrowsingClick()
{
    {
        platform::IniFile program(FmMain->exePath("0Base.INI"));
        program.writeBool("Begin", "PrivateBrowsing", CheckBoxPrivateBrowsing.checked());
        program.flush();
    }
    // The browsers' profile is chosen when the first tab opens.
    app().dialogs().showMessage(
        CheckBoxPrivateBrowsing.checked()
            ? vantrel::programText("PrivateBrowsingOn", "Private browsing starts when the program starts again.")
            : vantrel::programText("PrivateBrowsingOff",
                                   "The browser keeps cookies and logins from the next start on."));
}

void TFmSys::UpDownConnectSiteClick()
{
    const int n = UpDownConnectSite.position();
    const std::string site = FmMain->siteBase();
    std::string url;
    std::string formName;
    std::string inputName;
    {
        platform::IniFile op(FmMain->exePath("UpDate") / "0Operator.INI");
        UpDownConnectSite.setMax(op.readInteger("ConnectSite", "Max", 2));
        LabelConnectSiteCnt.setCaption(std::to_string(UpDownConnectSite.position()));
        const std::string number = std::to_string(n);
        url = op.readString("ConnectSite", "Base" + number, site);
        formName = op.readString("ConnectSite", "FormName" + number, "cse-search-box");
        inputName = op.readString("ConnectSite", "InputName" + number, "q");
    }
    LabelConnectSite.setCaption(url);
    LabelFormName.setCaption(formName);
    LabelInputName.setCaption(inputName);
    {
        platform::IniFile base(FmMain->exePath("0Base.INI"));
        base.writeString("Base", "URL", url);
        base.writeString("Base", "FormName", formName);
        base.writeString("Base", "InputName", inputName);
        base.flush();
    }
    showSiteKind();
    FmCpp->activateBasePage();
}

void TFmSys::BitBtnURLsClick()
{
    FmCpp->AccessMode = "URLs";
    FmCpp->PMPSaleClick();
}

void TFmSys::BitBtnTabAdd2Click()
{
    FmCpp->PMPTAddClick();
}

void TFmSys::UpDownPageWatchChanging(bool& allowChange)
{
    FmCpp->AccessMode = "Smpl";
    allowChange = true;
}

void TFmSys::EditPageWatchChange()
{
}

void TFmSys::ComboBoxHttp1ParameterChange()
{
    FmMemo->show();
    FmMemo->MemoLog.setVisible(true);
    switch (ComboBoxHttp1Parameter.itemIndex()) {
    case 0:
        FmMemo->MemoSource.clear();
        FmMemo->PageControlMain.setActivePage(&FmMemo->TabSheetMMulti);
        FmCtrl->httpTestGet(FmMain->ComboBoxURL.text());
        break;
    // Each item shows what its name says.
    case 1:
        FmMemo->MemoLog.addLine(FmCtrl->httpHeader());
        break;
    case 2:
        FmMemo->MemoLog.addLine(FmCtrl->httpBody());
        break;
    case 3:
        FmMemo->MemoLog.addLine(FmCtrl->httpCookieIn());
        break;
    default:
        break;
    }
}

void TFmSys::CheckBoxUseThemaClick()
{
}
