// Start-up, family registration, language folder and close.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <set>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app/program.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "docedit/fm_doc_edi.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "platform/text_store.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using testsupport::readRaw;
using testsupport::writeRaw;

namespace {

const std::string Title = "Vantrel/ヴァントレル";

class StartupTest : public testsupport::AppFixture {
protected:
    void setRegistry(const std::string& section, const std::string& key, const std::string& value)
    {
        platform::IniFile reg(registryPath());
        reg.writeString(section, key, value);
    }
    std::string registryValue(const std::string& section, const std::string& key)
    {
        platform::IniFile reg(registryPath());
        return reg.readString(section, key, "<missing>");
    }
    std::vector<std::string> familyItems() { return FmMain->ComboBoxUbriths.items(); }
};

TEST_F(StartupTest, WindowsAreCreatedInOrderWithTheirVisibility)
{
    start();
    ASSERT_EQ(application->forms().size(), 6u);
    const std::vector<std::string> names = {"FmMain", "FmCtrl", "FmSys", "FmMemo", "FmCpp", "FmDocEdi"};
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(application->forms()[i]->name(), names[i]);
    EXPECT_TRUE(FmMain->visible());
    EXPECT_TRUE(FmCtrl->visible());
    EXPECT_TRUE(FmCpp->visible());
    EXPECT_FALSE(FmSys->visible());
    EXPECT_FALSE(FmMemo->visible());
    EXPECT_FALSE(FmDocEdi->visible());
    EXPECT_EQ(application->title(), Title);
    // The memo window's creation reads its geometry through FmMain's paths.
    EXPECT_EQ(FmMemo->left(), 210);
    EXPECT_EQ(FmMemo->FocusedMemo, "Source");
    EXPECT_TRUE(scripted.dialogs->errors.empty());
}

// The windows go last created first, each saving in FormDestroy what it
// keeps; a window's save may reach into another window through its global,
// which must then be live or empty, never a window already destroyed.
TEST_F(StartupTest, NoWindowGlobalOutlivesItsWindow)
{
    start();
    int stale = 0;
    int destroyed = 0;
    application->formDestroyed.connect([&](const framework::Form*) {
        ++destroyed;
        for (const framework::Form* global :
             std::initializer_list<const framework::Form*>{FmMain, FmCtrl, FmSys, FmMemo, FmCpp, FmDocEdi}) {
            const auto& forms = application->forms();
            if (global && std::none_of(forms.begin(), forms.end(), [&](const auto& f) { return f.get() == global; }))
                ++stale;
        }
    });
    application->destroyForms();
    EXPECT_EQ(destroyed, 6);
    EXPECT_EQ(stale, 0);
    EXPECT_EQ(FmMain, nullptr);
}

TEST_F(StartupTest, FamilyListKeepsOnlyTitlesEndedByAComma)
{
    setRegistry("Software\\Orrinax\\Ubrith\\Softs", "Names", "Alpha,Beta");
    start();
    EXPECT_EQ(familyItems(), std::vector<std::string>{"Alpha"});
    EXPECT_EQ(FmMain->EditUbriths.text(), "Alpha,Beta");
}

TEST_F(StartupTest, FamilyListKeepsEmptyItemsBetweenCommas)
{
    setRegistry("Software\\Orrinax\\Ubrith\\Softs", "Names", "Alpha,,Beta,");
    start();
    EXPECT_EQ(familyItems(), (std::vector<std::string>{"Alpha", "", "Beta"}));
}

TEST_F(StartupTest, CloseRegistersTheProgramOnceAndCreatesItsKey)
{
    setRegistry("Software\\Orrinax\\Ubrith\\Softs", "Names", "Other,");
    start();
    closeProgram();
    EXPECT_EQ(registryValue("Software\\Orrinax\\Ubrith\\Softs", "Names"), "Other," + Title + ",");
    {
        platform::IniFile reg(registryPath());
        EXPECT_TRUE(reg.sectionExists("Software\\Orrinax\\Ubrith\\" + Title));
    }
    // A second run finds the title and writes nothing more.
    start();
    closeProgram();
    EXPECT_EQ(registryValue("Software\\Orrinax\\Ubrith\\Softs", "Names"), "Other," + Title + ",");
}

TEST_F(StartupTest, TitleInsideAnotherTitleCountsAsRegistered)
{
    setRegistry("Software\\Orrinax\\Ubrith\\Softs", "Names", Title + " Pro,");
    start();
    closeProgram();
    EXPECT_EQ(registryValue("Software\\Orrinax\\Ubrith\\Softs", "Names"), Title + " Pro,");
}

TEST_F(StartupTest, WithoutBaseIniTheLanguageIsUsaAndItsFolderIsCreated)
{
    start();
    EXPECT_EQ(FmMain->LangName, "USA");
    EXPECT_EQ(FmMain->ComboBoxLanguage.text(), "USA");
    EXPECT_TRUE(std::filesystem::is_directory(data() / "USA"));
    EXPECT_TRUE(FmMain->ComboBoxLanguage.items().empty());
    EXPECT_EQ(FmMain->ExeDir, data().string());
    // No caption table: the built-in window caption.
    EXPECT_EQ(FmMain->caption(), "　一　網　打　尽 ");
}

TEST_F(StartupTest, LanguageListAndLanguageComeFromTheProgramFolder)
{
    writeRaw(data() / "0Language.txt", "JPN\r\nUSA\r\nCHN\r\n");
    writeRaw(data() / "0Base.INI", "[Begin]\r\nLanguage=JPN\r\n");
    start();
    EXPECT_EQ(FmMain->ComboBoxLanguage.items(), (std::vector<std::string>{"JPN", "USA", "CHN"}));
    EXPECT_EQ(FmMain->LangName, "JPN");
    EXPECT_TRUE(std::filesystem::is_directory(data() / "JPN"));
}

TEST_F(StartupTest, LanguageNameThatLeavesTheDataFolderIsRefused)
{
    const std::string outside = data().filename().string() + "-lang";
    writeRaw(data() / "0Language.txt", "USA\r\nsub/JPN\r\n");
    writeRaw(data() / "0Base.INI", "[Begin]\r\nLanguage=../" + outside + "\r\n");
    start();
    EXPECT_EQ(FmMain->LangName, "USA");
    EXPECT_EQ(FmMain->ComboBoxLanguage.text(), "USA");
    EXPECT_FALSE(std::filesystem::exists(data().parent_path() / outside));
    ASSERT_EQ(scripted.dialogs->messages.size(), 1u);
    EXPECT_NE(scripted.dialogs->messages[0].find("../" + outside), std::string::npos);

    // Chosen from the list: refused, nothing written, no restart.
    FmMain->ComboBoxLanguage.setText("sub/JPN");
    FmMain->ComboBoxLanguageChange();
    EXPECT_FALSE(application->terminated());
    EXPECT_TRUE(scripted.shell->executed.empty());
    EXPECT_EQ(FmMain->ComboBoxLanguage.text(), "USA");
    EXPECT_EQ(readRaw(data() / "0Base.INI"), "[Begin]\r\nLanguage=../" + outside + "\r\n");
    EXPECT_NE(scripted.dialogs->messages.back().find("sub/JPN"), std::string::npos);
}

TEST_F(StartupTest, StartRemovesOnlyOldLeftoversOfInterruptedSaves)
{
    namespace fs = std::filesystem;
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    const auto leftover = [&](const fs::path& path) {
        writeRaw(path, "partial");
        fs::last_write_time(path, old);
        return path;
    };
    const fs::path removed[] = {leftover(data() / ".0Base.INI.tmpAb3dE9"),
                                leftover(data() / "USA" / ".TVFThemaHobby.tvf.tmpZZZZZZ"),
                                leftover(data() / "USA" / "UpDate" / ".Joint.INI.tmp000000")};
    const fs::path kept[] = {leftover(data() / "USA" / ".Notes.txt.tmp"),        // no suffix
                             leftover(data() / "USA" / ".Notes.txt.tmpAB-DEF"),  // not the alphabet
                             leftover(data() / "USA" / ".Notes.txt.tmpABCDEFG"), // seven
                             leftover(data() / "USA" / "Notes.txt.tmpABCDEF"),   // not hidden
                             leftover(data() / "USA" / "..tmpABCDEF")};          // no target name
    // A save that may be in progress in another instance.
    const fs::path young = data() / "USA" / ".Base.INI.tmpQwErTy";
    writeRaw(young, "partial");
    // Links are not followed: the file outside the data folder stays.
    testsupport::TempDir elsewhere;
    const fs::path outside = leftover(elsewhere.path() / ".Base.INI.tmpabcdef");
    fs::create_directory_symlink(elsewhere.path(), data() / "linked");
    fs::create_symlink(outside, data() / ".Link.INI.tmpabcdef");

    start();
    for (const auto& path : removed)
        EXPECT_FALSE(fs::exists(path)) << path;
    for (const auto& path : kept)
        EXPECT_TRUE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::exists(young));
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_TRUE(fs::is_symlink(data() / ".Link.INI.tmpabcdef"));
}

TEST_F(StartupTest, LanguageChangedFlagOpensTheAddressPage)
{
    start();
    EXPECT_EQ(FmMain->PageControlMain.activePage(), &FmMain->TabSheetMTool);
    closeProgram();

    setRegistry("Software\\Orrinax\\Ubrith\\" + Title + "\\Soft", "LngCng", "0");
    start();
    EXPECT_EQ(FmMain->PageControlMain.activePage(), &FmMain->TabSheetMTool);
    closeProgram();

    setRegistry("Software\\Orrinax\\Ubrith\\" + Title + "\\Soft", "LngCng", "1");
    start();
    EXPECT_EQ(FmMain->PageControlMain.activePage(), &FmMain->TabSheetMBase);
}

TEST_F(StartupTest, CaptionsJointValuesAndDistributionMarker)
{
    writeRaw(data() / "0Base.INI", "[Begin]\r\nLanguage=JPN\r\nSiteBase=http://127.0.0.1:8080\r\n");
    writeRaw(data() / "JPN" / "Hlp.INI", "[MMFile]\r\nCaption=ファイル\r\nHint=保存と更新\r\n[MMTRestart]\r\n"
                                         "Caption=再起動\r\n[FmMain]\r\nCaption=一網打尽\r\n");
    start();
    EXPECT_EQ(FmMain->find<framework::MenuItem>("MMFile").caption(), "ファイル");
    EXPECT_EQ(FmMain->find<framework::MenuItem>("MMFile").hint(), "保存と更新");
    EXPECT_EQ(FmMain->find<framework::MenuItem>("MMTRestart").caption(), "再起動");
    // Rows missing from the table keep the built-in English captions.
    EXPECT_EQ(FmMain->find<framework::MenuItem>("MMFSave").caption(), "Save");
    EXPECT_EQ(FmMain->LabelTitle.caption(), Title);
    EXPECT_EQ(FmMain->InfoURL, "http://127.0.0.1:8080/JPN/Info/");
    // The table's title for the window, unless the downloaded Joint.INI has one.
    EXPECT_EQ(FmMain->caption(), "一網打尽");
    EXPECT_FALSE(FmMain->find<framework::MenuItem>("MMSHaifu").visible());
    closeProgram();

    writeRaw(data() / "JPN" / "UpDate" / "Joint.INI",
             "[CM]\r\nStr=Title text\r\nURL=http://info.example/\r\nCaption=Window\r\n");
    writeRaw(data() / "ProgramOperationPC.txt", "");
    start();
    EXPECT_EQ(FmMain->LabelTitle.caption(), "Title text");
    EXPECT_EQ(FmMain->PanelMTool.caption(), "Title text");
    EXPECT_EQ(FmMain->InfoURL, "http://info.example/");
    EXPECT_EQ(FmMain->caption(), "Window");
    EXPECT_TRUE(FmMain->find<framework::MenuItem>("MMSHaifu").visible());
}

TEST_F(StartupTest, CodePageSettingMakesSavesShiftJis)
{
    writeRaw(data() / "0Base.INI", "[Begin]\r\nLanguage=JPN\r\nCodePage=932\r\n");
    start();
    FmMemo->setBounds(5, 6, 300, 400);
    FmMemo->close();
    const std::string bytes = readRaw(data() / "JPN" / "Base.INI");
    EXPECT_NE(bytes.find("Left=5"), std::string::npos);
    {
        platform::IniFile hlp(data() / "JPN" / "Hlp.INI");
        hlp.writeString("X", "Caption", "都");
    }
    // 都 is 0x93 0x73 in code page 932.
    EXPECT_NE(readRaw(data() / "JPN" / "Hlp.INI").find("\x93\x73"), std::string::npos);
}

} // namespace

namespace {

class DistributionDataTest : public testsupport::AppFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(DistributionDataTest, StartsCleanOnTheBundledDataAndSavesIt)
{
    seedFromRepository();
    writeRaw(data() / "0Base.INI", std::string("[Begin]\r\nLanguage=") + GetParam() + "\r\n");
    start();
    EXPECT_TRUE(scripted.dialogs->errors.empty()) << scripted.dialogs->errors.front();
    EXPECT_GT(FmCtrl->TreeViewEdd1.count(), 0);
    EXPECT_FALSE(FmCtrl->StringGridBunch.cell(1, 1).empty());
    EXPECT_GT(FmCtrl->CheckListBoxSharing.count(), 0);
    EXPECT_FALSE(FmMain->find<framework::MenuItem>("MMFile").caption().empty());
    const std::string treeBefore = readRaw(data() / GetParam() / "TVFCategory.txt");
    closeProgram();
    EXPECT_TRUE(scripted.dialogs->errors.empty());
    EXPECT_EQ(readRaw(data() / GetParam() / "TVFCategory.txt"), treeBefore);
}

// The bundled caption tables: every row is read by a window that has the
// control (a typo or a forgotten list would leave it unread), every
// caption comes with a hint, and the three languages have the same rows.
TEST_P(DistributionDataTest, EveryRowOfTheCaptionTableReachesItsControl)
{
    seedFromRepository();
    writeRaw(data() / "0Base.INI", std::string("[Begin]\r\nLanguage=") + GetParam() + "\r\n");
    start();
    FmMain->MMDSysClick();
    const platform::IniFile hlp(data() / GetParam() / "Hlp.INI");
    const platform::IniFile usa(data() / "USA" / "Hlp.INI");
    EXPECT_EQ(hlp.sections(), usa.sections());
    // A section written twice would hide the second one.
    std::set<std::string> unique;
    for (const std::string& section : hlp.sections())
        EXPECT_TRUE(unique.insert(framework::lowerAscii(section)).second) << section << " twice";
    for (const std::string& section : hlp.sections()) {
        EXPECT_EQ(hlp.keys(section), usa.keys(section)) << section;
        if (!hlp.valueExists(section, "Caption") && !hlp.valueExists(section, "Hint"))
            continue;
        const std::string caption = hlp.readString(section, "Caption", "");
        const std::string hint = hlp.readString(section, "Hint", "");
        bool found = false;
        bool shown = false;
        for (const auto& form : application->forms()) {
            if (form->name() == section) {
                found = shown = true;
                EXPECT_TRUE(caption.empty() || FmMain->caption() == caption || form.get() != FmMain) << section;
                continue;
            }
            const std::string* text = nullptr;
            const std::string* tip = nullptr;
            bool content = false;
            if (auto* item = form->tryFind<framework::MenuItem>(section)) {
                text = &item->caption();
                tip = &item->hint();
            } else if (auto* control = form->tryFind<framework::Control>(section)) {
                text = &control->caption();
                tip = &control->hint();
                // A memo's text is its content, which the window fills.
                content = dynamic_cast<framework::Memo*>(control) != nullptr;
            } else {
                continue;
            }
            found = true;
            shown = shown || ((caption.empty() || content || *text == caption) && *tip == hint);
        }
        EXPECT_TRUE(found) << section << " names no control";
        EXPECT_TRUE(shown) << section << " is not read";
        if (hlp.valueExists(section, "Caption") && section.rfind("Fm", 0) != 0) {
            EXPECT_TRUE(hlp.valueExists(section, "Hint")) << section << " has no hint";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, DistributionDataTest, ::testing::Values("JPN", "USA", "CHN"));

} // namespace

namespace {

// A data folder carried over from the Windows program lacks the free-site
// list: its load fails at start-up with a box, before the site tree window
// has read its lists. A close at that moment (the session ends) must not
// save those empty lists over their files; neither must the windows'
// destruction, nor the try time the settings window never showed.
TEST_F(StartupTest, AClosePlayedWhileAStartUpBoxIsOpenSavesNothingThatWasNotLoaded)
{
    seedFromRepository();
    createListFiles = false;
    writeRaw(data() / "0Base.INI", "[Begin]\r\nLanguage=USA\r\n");
    const auto folder = data() / "USA";
    std::filesystem::remove(folder / "FreeSerchSite.txt");
    {
        platform::IniFile base(folder / "Base.INI");
        base.writeInteger("Set", "TryTime", 9);
    }
    const auto categories = platform::loadLines(folder / "TVFCategory.txt");
    const auto words = platform::loadLines(folder / "SeleBunch.txt");
    std::string category;
    {
        platform::IniFile base(folder / "Base.INI");
        category = base.readString("TVF", "Category", "");
    }
    const auto tree = platform::loadLines(folder / ("TVFThema" + category + ".tvf"));
    ASSERT_FALSE(categories.empty());
    ASSERT_FALSE(tree.empty());
    int closes = 0;
    scripted.dialogs->onError = [&](const std::string& text) {
        if (text.find("FreeSerchSite.txt") != std::string::npos && closes++ == 0)
            FmMain->close();
    };
    start();
    ASSERT_EQ(closes, 1) << "no start-up box about the missing list";
    EXPECT_EQ(FmSys->tryTime(), 9);
    application->destroyForms();
    vantrel::forgetForms();

    EXPECT_EQ(platform::loadLines(folder / "TVFCategory.txt"), categories);
    EXPECT_EQ(platform::loadLines(folder / "SeleBunch.txt"), words);
    EXPECT_EQ(platform::loadLines(folder / ("TVFThema" + category + ".tvf")), tree);
    platform::IniFile base(folder / "Base.INI");
    EXPECT_EQ(base.readString("TVF", "Category", "?"), category);
    EXPECT_EQ(base.readInteger("Set", "TryTime", 0), 9);
}

} // namespace
