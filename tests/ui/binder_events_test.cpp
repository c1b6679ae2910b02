// Buttons, menus and pages: handlers run through Application::dispatch, so
// an exception becomes an error box and never reaches Qt.

#include "binder_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <stdexcept>

namespace {

using namespace framework;
using uitest::BinderTest;

class EventForm : public Form {
public:
    EventForm()
        : Form("EventForm"), pages(make<PageControl>("Pages", nullptr)), first(make<TabSheet>("First", &pages)),
          second(make<TabSheet>("Second", &pages)), third(make<TabSheet>("Third", &pages)),
          button(make<Button>("Button1", &first)), check(make<CheckBox>("Check1", &first)),
          radioA(make<RadioButton>("RadioA", &first)), radioB(make<RadioButton>("RadioB", &first)),
          upDown(make<UpDown>("UpDown1", &first)), number(make<Edit>("Number", &first)),
          memo(make<Memo>("Memo1", &second))
    {
        setBounds(0, 0, 400, 300);
        pages.setAlign(Align::Client);
        first.setCaption("First");
        second.setCaption("Second");
        third.setCaption("Third");
        button.setBounds(10, 10, 80, 25);
        check.setBounds(10, 40, 80, 25);
        radioA.setBounds(10, 70, 80, 25);
        radioB.setBounds(10, 100, 80, 25);
        upDown.setBounds(100, 10, 20, 40);
        number.setBounds(130, 10, 60, 22);
        upDown.associate = &number;
        upDown.setMax(5);
        memo.setAlign(Align::Client);

        MenuItem& menu = makeMenu("MainMenu1", nullptr);
        mainMenu = &menu;
        MenuItem& file = makeMenu("MMFile", &menu, "File");
        save = &makeMenu("MMSave", &file, "Save");
        fail = &makeMenu("MMFail", &file, "Fail");
        toggle = &makeMenu("MMToggle", &file, "Toggle");
        MenuItem& popup = makeMenu("Popup1", nullptr);
        popupMenus.push_back(&popup);
        copy = &makeMenu("PCopy", &popup, "Copy");
    }

    PageControl& pages;
    TabSheet& first;
    TabSheet& second;
    TabSheet& third;
    Button& button;
    CheckBox& check;
    RadioButton& radioA;
    RadioButton& radioB;
    UpDown& upDown;
    Edit& number;
    Memo& memo;
    MenuItem* save;
    MenuItem* fail;
    MenuItem* toggle;
    MenuItem* copy;
};

TEST_F(BinderTest, MenuActionRunsTheItemsHandlerThroughDispatch)
{
    auto& form = create<EventForm>();
    int saves = 0;
    form.save->onClick = [&] { ++saves; };
    form.fail->onClick = [] { throw std::runtime_error("disk full"); };

    binder->actionOf(*form.save)->trigger();
    binder->flush();
    EXPECT_EQ(saves, 1);

    EXPECT_NO_THROW({
        binder->actionOf(*form.fail)->trigger();
        binder->flush();
    });
    EXPECT_EQ(services.dialogs->errors, std::vector<std::string>{"disk full"});
}

TEST_F(BinderTest, CheckMenuItemShowsTheModelsStateAfterItsHandler)
{
    auto& form = create<EventForm>();
    QAction* action = binder->actionOf(*form.toggle);
    // Checked only through the handler.
    form.toggle->onClick = [&] { form.toggle->setChecked(!form.toggle->checked()); };
    action->trigger();
    binder->flush();
    EXPECT_TRUE(form.toggle->checked());
    EXPECT_TRUE(action->isChecked());

    // A handler that refuses leaves the mark as the model has it.
    form.toggle->onClick = [] {};
    action->trigger();
    binder->flush();
    EXPECT_TRUE(action->isChecked());
}

TEST_F(BinderTest, TabChangeRunsThePagesOnShowThenOnChange)
{
    auto& form = create<EventForm>();
    std::vector<std::string> events;
    form.second.onShow = [&] { events.push_back("show " + std::to_string(form.pages.activePageIndex())); };
    form.pages.onChange = [&] { events.push_back("change"); };
    auto* tabs = widget<QTabWidget>(form.pages);
    ASSERT_EQ(tabs->currentIndex(), 0);

    tabs->setCurrentIndex(1);
    binder->flush();
    EXPECT_EQ(form.pages.activePageIndex(), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"show 1", "change"}));

    // The model's own page change shows, and runs no onChange.
    form.pages.setActivePageIndex(0);
    binder->flush();
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(BinderTest, HiddenTabSheetHidesItsTab)
{
    auto& form = create<EventForm>();
    auto* tabs = widget<QTabWidget>(form.pages);
    form.third.hide();
    binder->flush();
    EXPECT_FALSE(tabs->isTabVisible(2));
    EXPECT_TRUE(tabs->isTabVisible(1));
    EXPECT_EQ(tabs->count(), 3); // the page stays

    form.third.show();
    form.third.setCaption("Back");
    binder->flush();
    EXPECT_TRUE(tabs->isTabVisible(2));
    EXPECT_EQ(tabs->tabText(2), "Back");
}

TEST_F(BinderTest, ButtonsAndChecksReportClicksAfterUpdatingTheModel)
{
    auto& form = create<EventForm>();
    std::vector<std::string> events;
    form.button.onClick = [&] { events.push_back("button"); };
    form.check.onClick = [&] { events.push_back(form.check.checked() ? "checked" : "unchecked"); };
    form.radioB.onClick = [&] { events.push_back(form.radioA.checked() ? "A still" : "B"); };

    widget<QPushButton>(form.button)->click();
    widget<QCheckBox>(form.check)->click();
    widget<QRadioButton>(form.radioA)->click();
    widget<QRadioButton>(form.radioB)->click();
    binder->flush();

    EXPECT_EQ(events, (std::vector<std::string>{"button", "checked", "B"}));
    EXPECT_TRUE(form.check.checked());
    EXPECT_FALSE(form.radioA.checked());
    EXPECT_TRUE(form.radioB.checked());

    // The model unchecks a radio button of a group.
    form.radioB.setChecked(false);
    binder->flush();
    EXPECT_FALSE(widget<QRadioButton>(form.radioB)->isChecked());
}

TEST_F(BinderTest, UpDownArrowsStepTheModel)
{
    auto& form = create<EventForm>();
    std::vector<UpDownButton> clicks;
    form.upDown.onUpDownClick = [&](UpDownButton b) { clicks.push_back(b); };
    QWidget* upDown = binder->widgetOf(form.upDown);
    auto* up = upDown->findChild<QToolButton*>("up");
    auto* down = upDown->findChild<QToolButton*>("down");
    ASSERT_TRUE(up && down);

    up->click();
    up->click();
    down->click();
    binder->flush();
    EXPECT_EQ(form.upDown.position(), 1);
    EXPECT_EQ(form.number.text(), "1");
    EXPECT_EQ(clicks, (std::vector<UpDownButton>{UpDownButton::Up, UpDownButton::Up, UpDownButton::Down}));
}

TEST_F(BinderTest, PopupMenuShowsTheRootsItems)
{
    auto& form = create<EventForm>();
    binder->setPopupMenu(form.memo, *form.popupMenus[0]);
    binder->flush();
    QWidget* memo = binder->widgetOf(form.memo);
    EXPECT_EQ(memo->contextMenuPolicy(), Qt::CustomContextMenu);
    QMenu* menu = binder->menuOf(*form.popupMenus[0]);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0], binder->actionOf(*form.copy));
}

TEST_F(BinderTest, FocusRunsOnEnterAndOnExit)
{
    auto& form = create<EventForm>();
    std::vector<std::string> events;
    form.number.onEnter = [&] { events.push_back("enter"); };
    form.number.onExit = [&] { events.push_back("exit"); };
    QWidget* number = binder->widgetOf(form.number);
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(number, &in);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(number, &out);
    // Switching windows is no entering.
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(number, &back);
    binder->flush();
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "exit"}));
}

} // namespace
