#include "app/fm_main.h"

#include "app/captions.h"
#include "app/extraction.h"
#include "app/globals.h"
#include "app/links.h"
#include "app/places.h"
#include "app/program.h"
#include "browser/fm_cpp.h"
#include "browserctl/web_browser.h"
#include "docedit/fm_doc_edi.h"
#include "framework/application.h"
#include "framework/keys.h"
#include "memo/fm_memo.h"
#include "platform/data_folder.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "platform/text_store.h"
#include "settings/fm_sys.h"
#include "sitetree/file_names.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace {
constexpr const char* RegistryRoot = "Software\\Orrinax\\Ubrith";
constexpr const char* DefaultWindowCaption = "　一　網　打　尽 ";
constexpr const char* DefaultLanguage = "USA";

// The address comes from a data file (Joint.INI from the product site, the
// site base of 0Base.INI); anything but a web page is refused.
void openWebAddress(const std::string& address)
{
    if (!vantrel::isWebAddress(address))
        throw Error(vantrel::programText(
            "WebAddressRefused", "The address \"%1\" is not an http or https address; it was not opened", {address}));
    app().shell().open(address);
}
} // namespace

TFmMain::TFmMain()
    : Form("FmMain"), PageControlMain(make<PageControl>("PageControlMain", &make<Panel>("PanelMMain", nullptr))),
      TabSheetMTool(make<TabSheet>("TabSheetMTool", &PageControlMain)),
      TabSheetMBase(make<TabSheet>("TabSheetMBase", &PageControlMain)),
      GroupBoxLanguage(make<GroupBox>("GroupBoxLanguage", &TabSheetMTool)),
      ComboBoxLanguage(make<ComboBox>("ComboBoxLanguage", &GroupBoxLanguage)),
      PanelMTool(make<Panel>("PanelMTool", &TabSheetMTool)), LabelTitle(make<Label>("LabelTitle", &PanelMTool)),
      PanelMInfo(make<Panel>("PanelMInfo", &TabSheetMTool)), RichEdit1(make<RichEdit>("RichEdit1", &PanelMInfo)),
      PanelUbrith(make<Panel>("PanelUbrith", &PanelMInfo)), EditUbriths(make<Edit>("EditUbriths", &PanelUbrith)),
      ComboBoxUbriths(make<ComboBox>("ComboBoxUbriths", &PanelUbrith)),
      Animate1(make<Animate>("Animate1", &TabSheetMBase)), ComboBoxURL(make<ComboBox>("ComboBoxURL", &TabSheetMBase)),
      TimerBase(makeTimer("TimerBase", 100, false)), LectureBalloon(make<Balloon>("LectureBalloon", nullptr)),
      LabelLecture(make<Label>("LabelLecture", &LectureBalloon)),
      PanelLectureButtons(make<Panel>("PanelLectureButtons", &LectureBalloon)),
      ButtonLectureEnd(make<Button>("ButtonLectureEnd", &PanelLectureButtons)),
      ButtonLectureNext(make<Button>("ButtonLectureNext", &PanelLectureButtons))
{
    setBounds(0, 0, 865, 103);
    setColor(0xF5E6E0);
    setFontName("ＭＳ Ｐゴシック");
    setFontSize(12);
    setCaption(DefaultWindowCaption);

    find<Panel>("PanelMMain").setAlign(Align::Client);
    find<Panel>("PanelMMain").bevelNone = true;
    PageControlMain.setAlign(Align::Client);
    PageControlMain.tabsLeft = true;
    PageControlMain.multiLine = true;
    // The strip is low: the two side tabs carry one sign each, as small as
    // the icons they stand for.
    TabSheetMTool.setCaption("⚙");
    TabSheetMTool.setHint("Tool");
    TabSheetMBase.setCaption("⌂");
    TabSheetMBase.setHint("URL");

    GroupBoxLanguage.setCaption("Language");
    GroupBoxLanguage.setAlign(Align::Left);
    GroupBoxLanguage.setWidth(110);
    ComboBoxLanguage.setBounds(8, 18, 92, 22);
    // Choosing restarts the program: the box takes no typing.
    ComboBoxLanguage.dropDownList = true;
    ComboBoxLanguage.onChange = [this] { ComboBoxLanguageChange(); };

    PanelMTool.setAlign(Align::Client);
    PanelMTool.setColor(0x0000FF);
    PanelMTool.bevelLowered = true;
    PanelMTool.setFontName("HG祥南行書体");
    PanelMTool.setFontSize(24);
    PanelMTool.setFontColor(0x400040);
    LabelTitle.setAlign(Align::Client);
    LabelTitle.setCaption(vantrel::ApplicationTitle);
    LabelTitle.setFontColor(0x00FFFF);
    LabelTitle.setFontBold(true);
    LabelTitle.setFontSize(24);
    LabelTitle.transparent = true;
    LabelTitle.handCursor = true;
    LabelTitle.onClick = [this] { LabelTitleClick(); };

    PanelMInfo.setAlign(Align::Right);
    PanelMInfo.setWidth(320);
    PanelMInfo.setVisible(false);
    RichEdit1.setAlign(Align::Client);
    RichEdit1.setText("RichEdit1");
    RichEdit1.scrollHorizontal = true;
    RichEdit1.scrollVertical = true;
    RichEdit1.wantTabs = true;
    RichEdit1.wordWrap = false;
    RichEdit1.onMouseDown = [this](const MouseEvent&) { RichEdit1MouseDown(); };
    PanelUbrith.setAlign(Align::Right);
    PanelUbrith.setWidth(120);
    EditUbriths.setText("Ubriths");
    EditUbriths.setVisible(false);
    ComboBoxUbriths.setBounds(4, 4, 112, 22);
    ComboBoxUbriths.dropDownList = true;
    ComboBoxUbriths.setColor(ColorBlack);
    ComboBoxUbriths.setFontColor(0x00FFFF);
    ComboBoxUbriths.onChange = [this] { ComboBoxUbrithsChange(); };

    Animate1.setAlign(Align::Left);
    Animate1.setWidth(60);
    Animate1.startFrame = 0;
    Animate1.stopFrame = 8;
    ComboBoxURL.setBounds(64, 8, 760, 24);
    ComboBoxURL.setFontName("ＭＳ ゴシック");
    ComboBoxURL.setFontSize(15);
    ComboBoxURL.setFontColor(0xFF0000);
    ComboBoxURL.setHint("URL : record view");
    ComboBoxURL.onClick = [this] { ComboBoxURLClick(); };
    ComboBoxURL.onKeyDown = [this](KeyEvent& key) { ComboBoxURLKeyDown(key); };

    TimerBase.onTimer = [this] { TimerBaseTimer(); };

    buildLectureBalloon();
    buildMenus();
}

void TFmMain::buildLectureBalloon()
{
    LectureBalloon.setBounds(0, 0, 240, 120);
    LectureBalloon.setColor(0xE1FFFF);
    LabelLecture.setAlign(Align::Client);
    LabelLecture.wordWrap = true;
    PanelLectureButtons.setAlign(Align::Bottom);
    PanelLectureButtons.setHeight(28);
    PanelLectureButtons.bevelNone = true;
    ButtonLectureEnd.setAlign(Align::Right);
    ButtonLectureEnd.setWidth(64);
    ButtonLectureEnd.setCaption("End");
    ButtonLectureEnd.setHint("Ends the lecture and shows everything again");
    ButtonLectureEnd.onClick = [this] { MMHLecEndClick(); };
    ButtonLectureNext.setAlign(Align::Right);
    ButtonLectureNext.setWidth(64);
    ButtonLectureNext.setCaption("Next");
    ButtonLectureNext.setHint("Goes on to the next step without doing this one");
    ButtonLectureNext.onClick = [this] { ButtonLectureNextClick(); };
}

void TFmMain::buildMenus()
{
    MenuItem& menu = makeMenu("MainMenu1", nullptr);
    mainMenu = &menu;
    static const MenuRow<TFmMain> mainRows[] = {
        {0, "MMFile", "File"},
        {1, "MMFSave", "Save", &TFmMain::MMFSaveClick, 0, "Ctrl+S"},
        {1, "MMFUPDate", "UPDate", &TFmMain::MMFUPDateClick},
        // Closing the strip ends the program; the menu says so with the
        // usual key.
        {1, "MMFN1", "-"},
        {1, "MMFQuit", "Quit", &TFmMain::MMFQuitClick, 0, "Ctrl+Q"},
        {0, "MMDisp", "Disp"},
        {1, "MMDCtrl1", "Ctrl", &TFmMain::MMDCtrl1Click},
        {1, "MMDBrowser", "Browser", &TFmMain::MMDBrowserClick},
        {1, "MMDSys", "Sys", &TFmMain::MMDSysClick},
        {1, "MMDDocEdit", "DocEdit", &TFmMain::MMDDocEditClick},
        {1, "MMDMemo1", "Memo"},
        {2, "MMDMemoODefalt", "Defalt", &TFmMain::MMDMemoODefaltClick},
        {2, "MMDMemoOAgo", "Ago", &TFmMain::MMDMemoOAgoClick},
        {1, "All1", "- All -", &TFmMain::All1Click},
        {1, "N1", "-"},
        {1, "MMDAlignment", "Alignment", &TFmMain::MMDAlignmentClick},
        {0, "MMFavorites", "Favorites"},
        {1, "MMFURLMemo", "URLMemo", &TFmMain::MMFURLMemoClick},
        {0, "MMTool", "Tool"},
        {1, "MMTRestart", "Restart", &TFmMain::MMTRestartClick},
        {1, "MMSHaifu", "配布", &TFmMain::MMSHaifuClick},
        {1, "MMTClearBrowsing", "Clear browsing data...", &TFmMain::MMTClearBrowsingClick},
        {1, "MMTInfo", "Info", &TFmMain::MMTInfoClick},
        {0, "MMHelp", "Help"},
        {1, "MMHLectur", "Lecture"},
        {2, "MMHLecSerch", "Serch", &TFmMain::MMHLecSerchClick},
        {2, "MMHThema", "Thema"},
        {3, "MMHTTreeView", "TreeView", &TFmMain::MMHTTreeViewClick},
        {2, "MMHList", "List"},
        {3, "MMHLBunch", "Bunch", &TFmMain::MMHLBunchClick},
        {2, "MMHLecN1", "-"},
        {2, "MMHLecEnd", "End lecture", &TFmMain::MMHLecEndClick, MenuDisabled},
        {1, "MMHHelp", "Help", &TFmMain::MMHHelpClick, 0, "F1"},
        {1, "MMHHP", "HP", &TFmMain::MMHHPClick},
        {1, "N2", "-"},
        {1, "MMHVersion", "Version120703"},
        {0, "N3", " "},
    };
    makeMenuRows(menu, mainRows);

    // The pop-up menu: hidden commands that other windows call, the
    // extraction tools and the info editor's editing commands.
    MenuItem& popup = makeMenu("PopupMenu", nullptr);
    popupMenus.push_back(&popup);
    static const MenuRow<TFmMain> popupRows[] = {
        {0, "PPData", "Data", nullptr, MenuHidden},
        {1, "PPDatas", "Datas", &TFmMain::PPDatasClick},
        {1, "PDORead", "Read", &TFmMain::PDOReadClick},
        {1, "PDOWrite", "Write", &TFmMain::PDOWriteClick},
        {1, "PMBCFLoad1", "Load", &TFmMain::PMBCFLoad1Click},
        {1, "MMHSStart", "Start", &TFmMain::MMHSStartClick},
        {1, "MMHSEnd", "End", &TFmMain::MMHSEndClick},
        {0, "PFCLE", "Cut", nullptr, MenuHidden},
        {1, "PFCLEFront", "Front", &TFmMain::PFCLEFrontClick},
        {1, "PFCLERear", "Rear", &TFmMain::PFCLERearClick},
        {1, "PFCLERange", "Range", &TFmMain::PFCLERangeClick},
        {1, "PFORMouseDown", "MouseDown", &TFmMain::PFORMouseDownClick},
        {0, "PRD", "RichEdit1 "},
        {1, "PRDCopy", "ｺﾋﾟｰ", &TFmMain::PRDCopyClick},
        {1, "PRDCut", "切り取り", &TFmMain::PRDCutClick},
        {1, "PRDPaste", "貼付け", &TFmMain::PRDPasteClick},
        {1, "PRDClear", "ｸﾘｱ‐", &TFmMain::PRDClearClick},
        {1, "PRDUndo", "元に戻す", &TFmMain::PRDUndoClick},
        {1, "PRDCopyToClipboard", "全てコピー", &TFmMain::PRDCopyToClipboardClick},
        {1, "PRDSelectAll", "全て選択"},
        {1, "PRDCutAll", "全て切り取り"},
        {1, "PRDClearPaste", "ｸﾘｱ‐して貼付け"},
        {1, "PRDF", "Format"},
        {2, "PRDFEncode", "エンコード", &TFmMain::PRDFEncodeClick},
        {2, "PRDFNonEncode", "エンコード解除", &TFmMain::PRDFNonEncodeClick},
        {2, "PRDFFBig", "文字拡大", &TFmMain::PRDFFBigClick},
        {2, "PRDFFSml", "文字縮小", &TFmMain::PRDFFSmlClick},
    };
    makeMenuRows(popup, popupRows);
    RichEdit1.popupMenu = &find<MenuItem>("PRD");
    find<MenuItem>("MMHLectur").setHint("初めて使用される方は実施して下さい。");
    find<MenuItem>("PFCLERear").setHint("後方");
}

// ------------------------------------------------------------------ paths

platform::fs::path TFmMain::exePath(const std::string& name) const
{
    return platform::textPath(ExeDir) / platform::textPath(name);
}

platform::fs::path TFmMain::langFolder() const
{
    return platform::textPath(ExeDir) / platform::textPath(LangName);
}

platform::fs::path TFmMain::langPath(const std::string& name) const
{
    return langFolder() / platform::textPath(name);
}

std::string TFmMain::siteBase() const
{
    return platform::siteBaseAddress(platform::textPath(ExeDir));
}

// --------------------------------------------------------------- start-up

void TFmMain::FormCreate()
{
    // First: a start-up that fails part-way still gives the strip its
    // border icons.
    maximizeButton = false;
    PPDatasClick();
}

void TFmMain::PPDatasClick()
{
    ExeDir = platform::pathText(vantrel::dataFolder());
    // A folder shared with the Windows program keeps its files in code
    // page 932; everything else is written in UTF-8.
    {
        platform::IniFile base(exePath("0Base.INI"));
        platform::setWriteCodePage(base.readInteger("Begin", "CodePage", 0) == 932 ? platform::CodePage::Cp932
                                                                                   : platform::CodePage::Utf8);
    }
    PDOReadClick();
}

void TFmMain::PDOReadClick()
{
    const std::string title = app().title();
    {
        platform::RegIniFile family(RegistryRoot);
        EditUbriths.setText(family.readString("Softs", "Names", ""));
    }
    // Each title is followed by a comma; text after the last comma is not
    // a complete entry.
    std::vector<std::string> names;
    std::string buffer;
    for (char c : EditUbriths.text()) {
        if (c == ',') {
            names.push_back(buffer);
            buffer.clear();
        } else {
            buffer += c;
        }
    }
    ComboBoxUbriths.setItems(names);
    {
        platform::RegIniFile own(std::string(RegistryRoot) + "\\" + title);
        if (own.readInteger("Soft", "LngCng", 0) == 1)
            PageControlMain.setActivePage(&TabSheetMBase);
    }

    PMBCFLoad1Click();
    const std::string windowCaption = readCaptions();

    {
        platform::IniFile joint(langPath("UpDate") / "Joint.INI");
        const std::string str = joint.readString("CM", "Str", title);
        LabelTitle.setCaption(str);
        PanelMTool.setCaption(str);
        InfoURL = joint.readString("CM", "URL", siteBase() + LangName + "/Info/");
        setCaption(joint.readString("CM", "Caption", windowCaption));
    }

    if (!platform::fileExists(exePath("ProgramOperationPC.txt")))
        find<MenuItem>("MMSHaifu").setVisible(false);
}

void TFmMain::PMBCFLoad1Click()
{
    const auto languageList = exePath("0Language.txt");
    ComboBoxLanguage.setItems(platform::fileExists(languageList) ? platform::loadLines(languageList)
                                                                 : std::vector<std::string>{});
    {
        platform::IniFile base(exePath("0Base.INI"));
        std::string language = base.readString("Begin", "Language", DefaultLanguage);
        // The name becomes the language folder: one that climbs out of the
        // data folder would put every per-language file there.
        if (!sitetree::isPlainFolderName(language)) {
            // The language folder is unknown yet: the built-in text.
            app().dialogs().showMessage("The language name \"" + language +
                                        "\" of 0Base.INI is not a folder name; the language is " + DefaultLanguage +
                                        ".");
            language = DefaultLanguage;
        }
        ComboBoxLanguage.setText(language);
    }
    LangName = ComboBoxLanguage.text();
    // A folder that cannot be made leaves every per-language read at its
    // default; nothing to report.
    if (!platform::fileExists(langFolder()))
        platform::createFolder(langFolder());
}

std::string TFmMain::readCaptions()
{
    platform::IniFile hlp(langPath("Hlp.INI"));
    vantrel::readCaptions(hlp, *this,
                          {"MMFile",  "MMFUPDate", "MMFSave",    "MMDisp",       "MMDBrowser",  "MMDCtrl1",
                           "MMDSys",  "MMDMemo1",  "MMDDocEdit", "MMDAlignment", "MMFavorites", "MMFURLMemo",
                           "MMHelp",  "MMHHP",     "MMHLectur",  "MMHLecSerch",  "MMHThema",    "MMHTTreeView",
                           "MMHList", "MMHLBunch", "MMTool",     "MMTRestart"});
    // The rows of what this program adds to the window.
    vantrel::readCaptions(hlp, *this,
                          {"MMFQuit", "MMDMemoODefalt", "MMDMemoOAgo", "MMTClearBrowsing", "MMTInfo", "MMHHelp",
                           "MMHLecEnd", "GroupBoxLanguage", "ButtonLectureNext", "ButtonLectureEnd"});
    vantrel::readHints(hlp, *this, {"ComboBoxLanguage", "ComboBoxURL", "ComboBoxUbriths", "LabelTitle"});
    // The two side tabs share their names with the browser window's pages,
    // so their hints are messages of their own.
    TabSheetMTool.setHint(vantrel::messageText(hlp, "MainToolPage", TabSheetMTool.hint()));
    TabSheetMBase.setHint(vantrel::messageText(hlp, "MainAddressPage", TabSheetMBase.hint()));
    // The window's caption when the downloaded Joint.INI names none.
    return vantrel::captionOf(hlp, "FmMain", DefaultWindowCaption);
}

void TFmMain::PDOWriteClick()
{
    const std::string title = app().title();
    const std::string names = EditUbriths.text();
    if (names.find(title) == std::string::npos) {
        platform::RegIniFile family(RegistryRoot);
        family.writeString("Softs", "Names", names + title + ",");
        family.flush();
    }
    platform::RegIniFile own(std::string(RegistryRoot) + "\\" + title);
}

void TFmMain::FormCloseQuery(bool& canClose)
{
    // The close is never refused: a save that fails is reported (in a box,
    // or on standard error when nobody watches) and the next one still
    // runs, so a read-only folder cannot keep the program alive. The user
    // sees the program at work until the last file is down.
    Application::BusyScope busy;
    app().dispatch([] { FmMain->PDOWriteClick(); });
    app().dispatch([] {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        vantrel::writeWindowPlaces(base);
        base.flush();
    });
    app().dispatch([] { FmCtrl->PMTrVwCFSaveClick(); });
    app().dispatch([] { FmCtrl->PMTrVwFESaveClick(); });
    FmCtrl->SavedAtClose = true;
    canClose = true;
}

// ------------------------------------------------------------ main menu

void TFmMain::MMFSaveClick()
{
    // Every list and table of every window is written: the user sees the
    // program at work until the last file is down.
    Application::BusyScope busy;
    FmCtrl->PMTrVwCFSaveClick();
    FmCtrl->PMTrVwFESaveClick();
    FmCtrl->PMBunchTFSaveClick();
    FmCpp->ToolButtonFreeSaveClick();
    FmCpp->ToolButtonManipSaveClick();
    FmDocEdi->MMSChangTSaveClick();
    FmSys->FormDestroy();
}

void TFmMain::MMFQuitClick()
{
    close();
}

void TFmMain::MMFUPDateClick()
{
    FmCtrl->PMJoinAOperatorClick();
}

void TFmMain::MMDCtrl1Click()
{
    FmCtrl->show();
    FmCtrl->setBounds(0, 120, FmCtrl->width(), FmCtrl->height());
    FmCtrl->bringToFront();
}

void TFmMain::MMDBrowserClick()
{
    FmCpp->show();
    FmCpp->setBounds(250, 120, FmCpp->width(), FmCpp->height());
    FmCpp->bringToFront();
}

void TFmMain::MMDSysClick()
{
    // Hidden and shown again, so its show handler re-reads its settings.
    FmSys->hide();
    FmSys->setWindowState(WindowState::Normal);
    FmSys->show();
    FmSys->setBounds(650, 100, FmSys->width(), FmSys->height());
    FmSys->bringToFront();
}

void TFmMain::MMDMemoODefaltClick()
{
    FmMemo->show();
    FmMemo->setBounds(400, 100, 240, 400);
    FmMemo->setWindowState(WindowState::Normal);
}

void TFmMain::MMDMemoOAgoClick()
{
    FmMemo->show();
}

void TFmMain::MMDDocEditClick()
{
    FmDocEdi->hide();
    FmDocEdi->setWindowState(WindowState::Normal);
    FmDocEdi->show();
    FmDocEdi->setBounds(120, 55, FmDocEdi->width(), FmDocEdi->height());
    FmDocEdi->bringToFront();
    MMDMemoODefaltClick();
    FmMemo->setBounds(FmDocEdi->left() + FmDocEdi->width() + 20, FmDocEdi->top(), FmMemo->width(), FmMemo->height());
    FmMemo->PageControlMain.setActivePage(&FmMemo->TabSheetMMulti);
}

void TFmMain::All1Click()
{
    auto showControl = [](Form& form, const char* name) {
        if (auto* control = form.tryFind<Control>(name))
            control->setVisible(true);
    };
    FmCtrl->show();
    for (const char* name : {"GroupBoxThema", "GroupBoxSTTVF", "TreeViewEdd1", "GroupBoxSTSharing", "ToolBarBunch"})
        showControl(*FmCtrl, name);
    FmCpp->show();
    for (const char* name : {"ToolButtonAccessSele", "PageControlM0CPP0"})
        showControl(*FmCpp, name);
    FmSys->show();
    FmMemo->show();
}

void TFmMain::MMDAlignmentClick()
{
    const int l = left();
    const int t = top();
    auto place = [](Form& form, int x, int y) { form.setBounds(x, y, form.width(), form.height()); };
    place(*FmCpp, l + 250, t + 110);
    place(*FmCtrl, l, t + 110);
    place(*FmSys, l + 650, t + 100);
    place(*FmMemo, l + 400, t + 100);
    place(*FmDocEdi, l + 320, t + 75);
}

void TFmMain::MMFURLMemoClick()
{
    const std::string name = app().dialogs().inputBox("Favorites", "FavoritesName", FmCpp->EditThemas.text());
    FmCtrl->NewNodeName = name + "=" + boxAddress();
    FmCtrl->PMTANAChildClick();
}

void TFmMain::MMTInfoClick()
{
    // The info editor lives on a panel that is hidden by default; the strip
    // grows to give it room while it is shown.
    MenuItem& item = find<MenuItem>("MMTInfo");
    item.setChecked(!item.checked());
    PanelMInfo.setVisible(item.checked());
    setBounds(left(), top(), width(), item.checked() ? 320 : 103);
}

void TFmMain::MMTClearBrowsingClick()
{
    const platform::IniFile hlp(langPath("Hlp.INI"));
    if (!app().dialogs().askYesNo(
            vantrel::messageText(hlp, "ClearBrowsingAsk",
                                 "Delete the cookies, logins, cache and history that the browser tabs keep?"),
            vantrel::messageText(hlp, "ClearBrowsingCaption", "Browsing data")))
        return;
    if (!browserctl::clearBrowsingData())
        throw Error(vantrel::messageText(hlp, "ClearBrowsingNone", "There is no browser to clear"));
    app().dialogs().showMessage(vantrel::messageText(hlp, "ClearBrowsingDone", "The browsing data is deleted."));
}

void TFmMain::MMTRestartClick()
{
    close();
    // The new instance works on the same data folder.
    app().shell().execute(app().exeName, {"--data-dir", ExeDir});
}

void TFmMain::ComboBoxLanguageChange()
{
    const std::string chosen = ComboBoxLanguage.text();
    const platform::IniFile hlp(langPath("Hlp.INI"));
    if (!sitetree::isPlainFolderName(chosen)) {
        ComboBoxLanguage.setText(LangName);
        app().dialogs().showMessage(vantrel::messageText(
            hlp, "LanguageRefused", "The language name \"%1\" is not a folder name; the language stays %2.",
            {chosen, LangName}));
        return;
    }
    // The switch closes every window and starts the program again: the
    // user says when.
    if (!app().dialogs().askYesNo(
            vantrel::messageText(hlp, "LanguageRestart",
                                 "The program closes and starts again in %1. Your lists and trees are saved first. "
                                 "Restart now?",
                                 {chosen}),
            vantrel::messageText(hlp, "LanguageCaption", "Language"))) {
        ComboBoxLanguage.setText(LangName);
        return;
    }
    {
        platform::IniFile base(exePath("0Base.INI"));
        base.writeString("Begin", "Language", ComboBoxLanguage.text());
        base.flush();
    }
    {
        platform::RegIniFile own(std::string(RegistryRoot) + "\\" + app().title());
        own.writeString("Soft", "LngCng", "1");
        own.flush();
    }
    // The new start reads the other language folder: the windows' places
    // go there too, so they come back where they are.
    {
        const auto folder = exePath(chosen);
        if (!platform::fileExists(folder))
            platform::createFolder(folder);
        platform::IniFile base(folder / "Base.INI");
        vantrel::writeWindowPlaces(base);
        base.flush();
    }
    close();
    MMTRestartClick();
}

void TFmMain::MMHHelpClick()
{
    openWebAddress(siteBase() + LangName + "/Help/");
}

void TFmMain::MMHHPClick()
{
    openWebAddress(siteBase());
}

void TFmMain::LabelTitleClick()
{
    openWebAddress(InfoURL);
}

void TFmMain::showAddress(const std::string& address)
{
    ComboBoxURL.setText(vantrel::readableAddress(address));
}

std::string TFmMain::boxAddress() const
{
    return vantrel::addressOfReadable(ComboBoxURL.text());
}

void TFmMain::ComboBoxURLClick()
{
    FmCpp->PMPSiteOpenClick();
}

void TFmMain::ComboBoxURLKeyDown(KeyEvent& key)
{
    if (key.key != vk::Return)
        return;
    FmCpp->AccessMode = "Single";
    FmCpp->PMPSiteOpenClick();
}

void TFmMain::ComboBoxUbrithsChange()
{
    const std::string name = ComboBoxUbriths.text();
    std::string path;
    {
        platform::RegIniFile other(std::string(RegistryRoot) + "\\" + name);
        path = other.readString("Soft", "Path", "");
    }
    // The folder of the program named there; an empty path opens nothing.
    // The path is another program's word in a settings file: only a folder
    // that is there goes to the shell, never a file, address or command.
    const auto folder = platform::textPath(path).parent_path();
    if (folder.empty())
        return;
    std::error_code ec;
    if (!folder.is_absolute() || !std::filesystem::is_directory(folder, ec))
        throw Error(vantrel::programText("FamilyFolderRefused",
                                         "The folder \"%1\" of %2 is not a folder on this computer; it was not opened",
                                         {platform::pathText(folder), name}));
    app().shell().open(platform::pathText(folder));
}

// ------------------------------------------------- commands of later work

// ------------------------------------------ text registers and info editor

void TFmMain::PFCLEFrontClick()
{
    ResultText.clear();
    ResultText = vantrel::extractFront(WorkText, KeyFront);
}

void TFmMain::PFCLERearClick()
{
    ResultText.clear();
    ResultText = vantrel::extractRear(WorkText, KeyFront);
}

void TFmMain::PFCLERangeClick()
{
    ResultText.clear();
    ResultText = vantrel::extractRange(WorkText, KeyFront, KeyRear);
}

void TFmMain::RichEdit1MouseDown()
{
    ActiveEditName = "1";
    PFORMouseDownClick();
}

void TFmMain::PFORMouseDownClick()
{
    ActiveEdit = &find<RichEdit>("RichEdit" + ActiveEditName);
    ActiveLine = ActiveEdit->caretLine();
    WorkText = ActiveEdit->line(ActiveLine);
}

namespace {
RichEdit& editOf(TFmMain& form)
{
    return form.ActiveEdit ? *form.ActiveEdit : form.RichEdit1;
}
} // namespace

void TFmMain::PRDCopyClick()
{
    app().clipboard().setText(editOf(*this).selText());
}

void TFmMain::PRDCutClick()
{
    RichEdit& edit = editOf(*this);
    app().clipboard().setText(edit.selText());
    edit.snapshotForUndo();
    edit.replaceSelection("");
}

void TFmMain::PRDPasteClick()
{
    RichEdit& edit = editOf(*this);
    edit.snapshotForUndo();
    edit.replaceSelection(app().clipboard().text());
}

void TFmMain::PRDClearClick()
{
    RichEdit& edit = editOf(*this);
    edit.snapshotForUndo();
    edit.clear();
}

void TFmMain::PRDUndoClick()
{
    editOf(*this).undo();
}

void TFmMain::PRDCopyToClipboardClick()
{
    RichEdit& edit = editOf(*this);
    edit.setSelection(0, static_cast<int>(edit.text().size()));
    app().clipboard().setText(edit.selText());
}

void TFmMain::PRDFEncodeClick()
{
    editOf(*this).setPlainText(true);
}

void TFmMain::PRDFNonEncodeClick()
{
    RichEdit& edit = editOf(*this);
    edit.setPlainText(false);
    edit.setColor(ColorWhite);
    edit.setFontColor(0x000080);
}

void TFmMain::PRDFFBigClick()
{
    RichEdit& edit = editOf(*this);
    edit.setFontSize((edit.fontSize() > 0 ? edit.fontSize() : 12) + 2);
}

void TFmMain::PRDFFSmlClick()
{
    RichEdit& edit = editOf(*this);
    const int size = edit.fontSize() > 0 ? edit.fontSize() : 12;
    edit.setFontSize(size > 3 ? size - 2 : size);
}
