// The whole program with its real Qt windows, offscreen: start on a
// temporary data folder and registry, use menus and widgets, close, and
// check what was saved.

#include "ui/qt_keywords.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <map>

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"
#include "ui/binder.h"

using testsupport::readRaw;
using testsupport::writeRaw;

namespace {

class ProgramTest : public testsupport::AppFixture {
protected:
    void startProgram(const std::string& language)
    {
        seedFromRepository();
        writeRaw(data() / "0Base.INI", "[Begin]\r\nLanguage=" + language + "\r\n");
        beforeForms = [this](framework::Application& app) { binder = std::make_unique<ui::Binder>(app, 1.0); };
        start();
        binder->flush();
    }
    void TearDown() override
    {
        if (application && !application->terminated())
            closeProgram();
        binder.reset();
    }
    QWidget* window(const framework::Form& form) { return binder->windowOf(form); }
    QAction* action(const framework::Form& form, const char* name)
    {
        return binder->actionOf(form.find<framework::MenuItem>(name));
    }

    std::unique_ptr<ui::Binder> binder;
};

TEST_F(ProgramTest, WindowsShowWithTheirCaptionsAndCloseSavesTheirState)
{
    startProgram("JPN");
    ASSERT_NE(window(*FmMain), nullptr);
    EXPECT_TRUE(window(*FmMain)->isVisible());
    EXPECT_TRUE(window(*FmCtrl)->isVisible());
    EXPECT_TRUE(window(*FmCpp)->isVisible());
    EXPECT_FALSE(window(*FmMemo)->isVisible());
    EXPECT_FALSE(window(*FmSys)->isVisible());
    EXPECT_EQ(window(*FmMain)->windowTitle().toStdString(), FmMain->caption());
    EXPECT_EQ(action(*FmMain, "MMFile")->text().toStdString(), "ファイル");
    EXPECT_EQ(action(*FmMain, "MMTRestart")->text().toStdString(), "再起動");
    EXPECT_TRUE(scripted.dialogs->errors.empty());

    FmCtrl->setBounds(12, 140, FmCtrl->width(), FmCtrl->height());
    binder->flush();
    // The user closes the main window.
    window(*FmMain)->close();
    binder->flush();
    ASSERT_TRUE(application->terminated());
    application->destroyForms();

    platform::IniFile reg(registryPath());
    EXPECT_EQ(reg.readString("Software\\Orrinax\\Ubrith\\Softs", "Names", ""), "Vantrel/ヴァントレル,");
    platform::IniFile base(data() / "JPN" / "Base.INI");
    EXPECT_EQ(base.readInteger("FmCtrl", "Left", -1), 12);
    EXPECT_EQ(base.readInteger("FmCtrl", "Top", -1), 140);
    EXPECT_EQ(base.readInteger("Set", "TryTime", -1), 20);
    EXPECT_EQ(base.readString("TVF", "Category", ""), "趣味");
    EXPECT_NE(readRaw(data() / "JPN" / "TVFThema趣味.tvf").find("旅行"), std::string::npos);
}

TEST_F(ProgramTest, MenuItemShowsTheMemoWindowAndLanguageChoiceRestarts)
{
    startProgram("USA");
    EXPECT_EQ(action(*FmMain, "MMFile")->text().toStdString(), "File");
    action(*FmMain, "MMDMemoODefalt")->trigger();
    binder->flush();
    EXPECT_TRUE(window(*FmMemo)->isVisible());
    EXPECT_EQ(window(*FmMemo)->width(), 240);

    auto* languages = qobject_cast<QComboBox*>(binder->widgetOf(FmMain->ComboBoxLanguage));
    ASSERT_NE(languages, nullptr);
    const int jpn = languages->findText("JPN");
    ASSERT_GE(jpn, 0);
    languages->setCurrentIndex(jpn);
    Q_EMIT languages->activated(jpn);
    binder->flush();
    EXPECT_TRUE(application->terminated());
    ASSERT_EQ(scripted.shell->executed.size(), 1u);
    EXPECT_EQ(scripted.shell->executed[0].arguments.back(), data().string());
    platform::IniFile base(data() / "0Base.INI");
    EXPECT_EQ(base.readString("Begin", "Language", ""), "JPN");
}

TEST_F(ProgramTest, MainWindowShowsItsMenusAndTheFixedWindowsCannotBeMaximised)
{
    startProgram("USA");
    auto* main = qobject_cast<QMainWindow*>(window(*FmMain));
    ASSERT_NE(main, nullptr);
    QMenuBar* bar = main->menuBar();
    EXPECT_FALSE(bar->isNativeMenuBar());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GT(bar->height(), 0);
    ASSERT_GE(bar->actions().size(), 5);
    EXPECT_EQ(bar->actions()[1]->text().toStdString(), "Disp");
    // The Display menu: its commands, one separator, Alignment.
    std::vector<std::string> shown;
    for (QAction* item : binder->menuOf(FmMain->find<framework::MenuItem>("MMDisp"))->actions())
        if (item->isVisible())
            // A separator shows no text beside its line.
            shown.push_back(item->isSeparator() ? "[" + item->text().toStdString() + "]" : item->text().toStdString());
    EXPECT_EQ(shown,
              (std::vector<std::string>{"Ctrl", "Browser", "Sys", "DocEdit", "Memo", "- All -", "[]", "Alignment"}));
    for (const framework::Form* form : {static_cast<framework::Form*>(FmMain), static_cast<framework::Form*>(FmCtrl),
                                        static_cast<framework::Form*>(FmMemo)})
        EXPECT_FALSE(window(*form)->windowFlags() & Qt::WindowMaximizeButtonHint) << form->name();
}

TEST_F(ProgramTest, StandardKeysAreInTheMenusAndNoWindowUsesAKeyTwice)
{
    startProgram("USA");
    EXPECT_EQ(action(*FmMain, "MMFSave")->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(action(*FmMain, "MMFQuit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(action(*FmMain, "MMHHelp")->shortcut(), QKeySequence(QStringLiteral("F1")));
    EXPECT_EQ(action(*FmCpp, "PMACGoBack")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Left));
    EXPECT_EQ(action(*FmCpp, "PMACGoForward")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Right));
    EXPECT_EQ(action(*FmCpp, "PMAcssTRefresh")->shortcut(), QKeySequence(QStringLiteral("F5")));
    EXPECT_EQ(action(*FmCpp, "PMACStop")->shortcut(), QKeySequence(Qt::Key_Escape));
    for (const auto& form : application->forms()) {
        std::map<QString, std::string> keys;
        for (const auto& component : form->components())
            if (auto* item = dynamic_cast<framework::MenuItem*>(component.get()))
                if (QAction* act = binder->actionOf(*item); act && !act->shortcut().isEmpty()) {
                    const QString key = act->shortcut().toString();
                    EXPECT_EQ(keys.count(key), 0u)
                        << form->name() << ": " << key.toStdString() << " on " << keys[key] << " and " << item->name();
                    keys[key] = item->name();
                }
    }
    // Quit closes the program the way closing the main window does.
    action(*FmMain, "MMFQuit")->trigger();
    binder->flush();
    EXPECT_TRUE(application->terminated());
}

} // namespace
