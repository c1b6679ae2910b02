// One widget per control kind, named after the component; windows follow
// their forms; browsers stay unborn until the model asks for them.

#include "binder_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QQuickWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>

namespace {

using namespace framework;
using uitest::BinderTest;

class KindsForm : public Form {
public:
    KindsForm()
        : Form("KindsForm"), pages(make<PageControl>("Pages", nullptr)), sheetText(make<TabSheet>("SheetText", &pages)),
          sheetLists(make<TabSheet>("SheetLists", &pages)), label(make<Label>("Label1", &sheetText)),
          edit(make<Edit>("Edit1", &sheetText)), memo(make<Memo>("Memo1", &sheetText)),
          rich(make<RichEdit>("Rich1", &sheetText)), combo(make<ComboBox>("Combo1", &sheetText)),
          list(make<ComboBox>("List1", &sheetText)), checks(make<CheckListBox>("Checks1", &sheetLists)),
          grid(make<StringGrid>("Grid1", &sheetLists)), tree(make<TreeView>("Tree1", &sheetLists)),
          group(make<GroupBox>("Group1", &sheetLists)), check(make<CheckBox>("Check1", &group)),
          radio(make<RadioButton>("Radio1", &group)), panel(make<Panel>("Panel1", nullptr)),
          button(make<Button>("Button1", &panel)), bar(make<ToolBar>("Bar1", &panel)),
          tool(make<ToolButton>("Tool1", &bar)), menuTool(make<ToolButton>("Tool2", &bar)),
          clickTool(make<ToolButton>("Tool3", &bar)), upDown(make<UpDown>("UpDown1", &panel)),
          splitter(make<Splitter>("Splitter1", nullptr)), animate(make<Animate>("Animate1", &panel)),
          host(make<WebBrowserHost>("Host1", nullptr))
    {
        setBounds(10, 20, 400, 300);
        setCaption("Kinds");
        pages.setAlign(Align::Client);
        pages.tabsLeft = true;
        sheetText.setCaption("Text");
        sheetLists.setCaption("Lists");
        list.dropDownList = true;
        group.setCaption("&Options");
        tree.indent = 23;
        panel.setAlign(Align::Top);
        panel.setHeight(40);
        splitter.setAlign(Align::Top);
        splitter.setHeight(3);
        host.setAlign(Align::Bottom);
        checks.setItems({"a", "b"});
        checks.setChecked(1, true);

        MenuItem& menu = makeMenu("MainMenu1", nullptr);
        mainMenu = &menu;
        MenuItem& file = makeMenu("MMFile", &menu, "&File");
        makeMenu("MMOpen", &file, "Open && Save");
        makeMenu("MMSep", &file, "-");
        makeMenu("MMQuit", &file, "Quit");
        makeMenu("MMHelp", &menu, "Help");
        MenuItem& popup = makeMenu("Popup1", nullptr);
        popupMenus.push_back(&popup);
        makeMenu("PCopy", &popup, "Copy");
        tool.dropDownMenu = &popup;
        tool.dropDown = true;
        menuTool.dropDownMenu = &popup;
        clickTool.dropDownMenu = &popup;
        clickTool.onClick = [] {};
    }

    PageControl& pages;
    TabSheet& sheetText;
    TabSheet& sheetLists;
    Label& label;
    Edit& edit;
    Memo& memo;
    RichEdit& rich;
    ComboBox& combo;
    ComboBox& list;
    CheckListBox& checks;
    StringGrid& grid;
    TreeView& tree;
    GroupBox& group;
    CheckBox& check;
    RadioButton& radio;
    Panel& panel;
    Button& button;
    ToolBar& bar;
    ToolButton& tool;
    ToolButton& menuTool;
    ToolButton& clickTool;
    UpDown& upDown;
    Splitter& splitter;
    Animate& animate;
    WebBrowserHost& host;
};

TEST_F(BinderTest, EachControlKindGetsItsWidgetNamedAfterTheComponent)
{
    auto& form = create<KindsForm>();
    QWidget* window = binder->windowOf(form);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "KindsForm");

    auto named = [&](const Component& c) {
        QWidget* w = binder->widgetOf(c);
        EXPECT_NE(w, nullptr) << c.name();
        if (w) {
            EXPECT_EQ(w->objectName().toStdString(), c.name());
            EXPECT_EQ(window->findChild<QWidget*>(QString::fromStdString(c.name())), w) << c.name();
        }
        return w;
    };
    EXPECT_TRUE(qobject_cast<QTabWidget*>(named(form.pages)));
    EXPECT_TRUE(qobject_cast<QLabel*>(named(form.label)));
    EXPECT_TRUE(qobject_cast<QLineEdit*>(named(form.edit)));
    EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(named(form.memo)));
    EXPECT_TRUE(qobject_cast<QTextEdit*>(named(form.rich)));
    EXPECT_TRUE(qobject_cast<QComboBox*>(named(form.combo)));
    EXPECT_TRUE(qobject_cast<QListWidget*>(named(form.checks)));
    EXPECT_TRUE(qobject_cast<QTableWidget*>(named(form.grid)));
    EXPECT_TRUE(qobject_cast<QTreeWidget*>(named(form.tree)));
    EXPECT_TRUE(qobject_cast<QGroupBox*>(named(form.group)));
    EXPECT_TRUE(qobject_cast<QCheckBox*>(named(form.check)));
    EXPECT_TRUE(qobject_cast<QRadioButton*>(named(form.radio)));
    EXPECT_TRUE(qobject_cast<QFrame*>(named(form.panel)));
    EXPECT_TRUE(qobject_cast<QPushButton*>(named(form.button)));
    EXPECT_TRUE(qobject_cast<QToolButton*>(named(form.tool)));
    EXPECT_TRUE(qobject_cast<QFrame*>(named(form.splitter)));
    EXPECT_TRUE(qobject_cast<QLabel*>(named(form.animate)));
    named(form.upDown);
    named(form.bar);
    named(form.host);
    named(form.sheetText);
    EXPECT_EQ(binder->widgetOf(*form.mainMenu), nullptr);
}

TEST_F(BinderTest, WidgetsCarryTheControlsOptions)
{
    auto& form = create<KindsForm>();

    EXPECT_TRUE(widget<QComboBox>(form.combo)->isEditable());
    EXPECT_FALSE(widget<QComboBox>(form.list)->isEditable());

    auto* tabs = widget<QTabWidget>(form.pages);
    EXPECT_EQ(tabs->tabPosition(), QTabWidget::West);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "Text");
    EXPECT_EQ(tabs->widget(1), binder->widgetOf(form.sheetLists));

    auto* tree = widget<QTreeWidget>(form.tree);
    EXPECT_TRUE(tree->isHeaderHidden());
    EXPECT_EQ(tree->indentation(), 23);

    auto* checks = widget<QListWidget>(form.checks);
    ASSERT_EQ(checks->count(), 2);
    EXPECT_TRUE(checks->item(0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(checks->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(checks->item(1)->checkState(), Qt::Checked);

    auto* grid = widget<QTableWidget>(form.grid);
    EXPECT_TRUE(grid->horizontalHeader()->isHidden());
    EXPECT_TRUE(grid->verticalHeader()->isHidden());
    EXPECT_EQ(grid->columnCount(), form.grid.colCount());

    EXPECT_EQ(widget<QGroupBox>(form.group)->title(), "&Options");

    auto* tool = widget<QToolButton>(form.tool);
    ASSERT_NE(tool->menu(), nullptr);
    EXPECT_EQ(tool->menu(), binder->menuOf(*form.popupMenus[0]));
    EXPECT_EQ(tool->popupMode(), QToolButton::MenuButtonPopup);
    ASSERT_EQ(tool->menu()->actions().size(), 1);
    EXPECT_EQ(tool->menu()->actions()[0]->text(), "Copy");
    // Only a menu: it opens at once. A menu and a click: the click wins,
    // holding the button opens the menu.
    EXPECT_EQ(widget<QToolButton>(form.menuTool)->popupMode(), QToolButton::InstantPopup);
    EXPECT_EQ(widget<QToolButton>(form.clickTool)->popupMode(), QToolButton::DelayedPopup);
}

TEST_F(BinderTest, AnimationTicksOnlyWhileActive)
{
    auto& form = create<KindsForm>();
    auto* ticker = binder->widgetOf(form.animate)->findChild<QTimer*>();
    ASSERT_NE(ticker, nullptr);
    EXPECT_FALSE(ticker->isActive());
    form.animate.play();
    binder->flush();
    EXPECT_TRUE(ticker->isActive());
    form.animate.hide();
    binder->flush();
    EXPECT_FALSE(ticker->isActive());
    form.animate.show();
    form.animate.stop();
    binder->flush();
    EXPECT_FALSE(ticker->isActive());
}

TEST_F(BinderTest, MainMenuBecomesTheMenuBarOfAMainWindow)
{
    auto& form = create<KindsForm>();
    auto* window = qobject_cast<QMainWindow*>(binder->windowOf(form));
    ASSERT_NE(window, nullptr);
    const auto top = window->menuBar()->actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), "&File");
    EXPECT_EQ(top[1]->text(), "Help");

    QMenu* file = top[0]->menu();
    ASSERT_NE(file, nullptr);
    const auto items = file->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0], binder->actionOf(form.find<MenuItem>("MMOpen")));
    EXPECT_EQ(items[0]->text(), "Open && Save");
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(top[1]->menu(), nullptr);
}

TEST_F(BinderTest, MenuItemsFollowTheirModels)
{
    auto& form = create<KindsForm>();
    auto& quit = form.find<MenuItem>("MMQuit");
    QAction* action = binder->actionOf(quit);
    ASSERT_NE(action, nullptr);
    EXPECT_FALSE(action->isCheckable());

    quit.setCaption("Exit");
    quit.setChecked(true);
    quit.setEnabled(false);
    quit.setVisible(false);
    binder->flush();
    EXPECT_EQ(action->text(), "Exit");
    EXPECT_TRUE(action->isChecked());
    EXPECT_FALSE(action->isEnabled());
    EXPECT_FALSE(action->isVisible());

    // Items created later join their menu.
    auto& later = form.makeMenu("MMLater", &form.find<MenuItem>("MMFile"), "Later");
    binder->flush();
    QMenu* file = binder->menuOf(form.find<MenuItem>("MMFile"));
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->actions().size(), 4);
    EXPECT_EQ(file->actions()[3], binder->actionOf(later));
}

TEST_F(BinderTest, ControlsCreatedAfterTheWindowAreBound)
{
    auto& form = create<KindsForm>();
    auto& sheet = form.make<TabSheet>("SheetLate", &form.pages);
    sheet.setCaption("Late");
    auto& memo = form.make<Memo>("MemoLate", &sheet);
    memo.setAlign(Align::Client);
    binder->flush();

    auto* tabs = widget<QTabWidget>(form.pages);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(2), "Late");
    ASSERT_NE(binder->widgetOf(memo), nullptr);
    EXPECT_EQ(binder->widgetOf(memo)->parentWidget(), binder->widgetOf(sheet));
}

TEST_F(BinderTest, WindowFollowsTheFormsVisibilityCaptionAndState)
{
    auto& form = create<KindsForm>(false);
    QWidget* window = binder->windowOf(form);
    EXPECT_FALSE(window->isVisible());

    app->dispatch([&] { form.show(); });
    binder->flush();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Kinds");
    EXPECT_EQ(window->pos(), QPoint(10, 20));
    EXPECT_EQ(window->size(), QSize(400, 300));

    form.setCaption("Renamed");
    form.hide();
    binder->flush();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Renamed");
}

TEST_F(BinderTest, OptionsSetInFormCreateReachTheWindow)
{
    struct Late : Form {
        Late() : Form("Late") {}
        void FormCreate() override
        {
            maximizeButton = false;
            toolWindow = true;
        }
    };
    auto& form = create<Late>();
    QWidget* window = binder->windowOf(form);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(BinderTest, WindowWithoutMaximiseButtonIsNeverMaximised)
{
    struct Fixed : Form {
        Fixed() : Form("Fixed") { setBounds(10, 20, 300, 200); }
        void FormCreate() override { maximizeButton = false; }
    };
    auto& form = create<Fixed>();
    QWidget* window = binder->windowOf(form);
    EXPECT_TRUE(window->windowFlags() & Qt::CustomizeWindowHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    // What a window manager may still offer (a title double click, a key).
    window->showMaximized();
    binder->flush();
    EXPECT_FALSE(window->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(form.windowState(), framework::WindowState::Normal);
}

TEST_F(BinderTest, ClosingTheWindowAsksTheModel)
{
    struct Guarded : Form {
        Guarded() : Form("Guarded") {}
        void FormCloseQuery(bool& canClose) override
        {
            ++asked;
            canClose = allow;
        }
        int asked = 0;
        bool allow = false;
    };
    auto& form = create<Guarded>();
    QWidget* window = binder->windowOf(form);
    ASSERT_TRUE(window->isVisible());

    window->close();
    binder->flush();
    EXPECT_EQ(form.asked, 1);
    EXPECT_TRUE(form.visible());
    EXPECT_TRUE(window->isVisible());

    form.allow = true;
    window->close();
    binder->flush();
    EXPECT_EQ(form.asked, 2);
    EXPECT_FALSE(form.visible());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(BinderTest, WindowsCloseFreelyOnceTheProgramEnds)
{
    struct Stubborn : Form {
        Stubborn() : Form("Stubborn") {}
        void FormCloseQuery(bool& canClose) override
        {
            ++asked;
            canClose = false;
        }
        int asked = 0;
    };
    auto& form = create<Stubborn>();
    QWidget* window = binder->windowOf(form);
    app->terminate();
    // Qt closes every window when it quits; a refusal would cancel the quit.
    EXPECT_TRUE(window->close());
    binder->flush();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(form.asked, 0);
}

TEST_F(BinderTest, FormsDestroyedOneByOneLeaveNothingBehind)
{
    struct Earlier : Form {
        Earlier() : Form("Earlier") {}
        void FormDestroy() override
        {
            if (pump)
                pump();
        }
        std::function<void()> pump;
    };
    struct Later : Form {
        Later() : Form("Later"), memo(make<Memo>("Memo", nullptr))
        {
            MenuItem& menu = makeMenu("Menu", nullptr);
            mainMenu = &menu;
            item = &makeMenu("Item", &menu, "Item");
        }
        void FormDestroy() override { memo.addLine("saved"); }
        Memo& memo;
        MenuItem* item;
    };
    auto& earlier = create<Earlier>();
    auto& later = create<Later>();
    int clicks = 0;
    later.item->onClick = [&] { ++clicks; };
    QWidget* laterWindow = binder->windowOf(later);
    // A click waiting in the queue when the program ends.
    binder->actionOf(*later.item)->trigger();
    // The earlier form's FormDestroy pumps events after the later form is
    // gone, with a refresh and a handler of it still pending.
    earlier.pump = [&] {
        QCoreApplication::processEvents();
        binder->flush();
    };
    app->destroyForms();
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(laterWindow->isVisible());
}

TEST_F(BinderTest, ColoursAndFontsComeFromTheModel)
{
    auto& form = create<KindsForm>();
    form.panel.setColor(0x0000FF); // red in 0x00BBGGRR
    form.edit.setFontColor(0xFF0000);
    form.label.setFontSize(24);
    form.label.setFontBold(true);
    form.label.setHint("tip");
    form.edit.setEnabled(false);
    binder->flush();

    QWidget* panel = binder->widgetOf(form.panel);
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_TRUE(panel->autoFillBackground());
    EXPECT_EQ(binder->widgetOf(form.edit)->palette().color(QPalette::Active, QPalette::Text), QColor(0, 0, 255));
    QWidget* label = binder->widgetOf(form.label);
    EXPECT_EQ(label->font().pixelSize(), 24);
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->toolTip(), "tip");
    EXPECT_FALSE(binder->widgetOf(form.edit)->isEnabled());

    // Back to the default: the colour comes from the parent again.
    form.panel.setColor(ColorDefault);
    binder->flush();
    EXPECT_FALSE(panel->autoFillBackground());
}

// ------------------------------------------------------------- browsers

// The browser layer's objects never leave the model in these tests; a
// token stands for one.
std::shared_ptr<browserctl::WebBrowser> fakeBrowser()
{
    static int token = 0;
    return std::shared_ptr<browserctl::WebBrowser>(std::shared_ptr<void>(),
                                                   reinterpret_cast<browserctl::WebBrowser*>(&token));
}

class BrowserFactoryGuard {
public:
    explicit BrowserFactoryGuard(int& made)
    {
        WebBrowserHost::setFactory([&made](WebBrowserHost&) {
            ++made;
            return fakeBrowser();
        });
    }
    ~BrowserFactoryGuard() { WebBrowserHost::setFactory(nullptr); }
};

TEST_F(BinderTest, BrowsersAreCreatedOnlyWhenTheModelAsksAndThenShown)
{
    int made = 0;
    BrowserFactoryGuard guard(made);
    std::vector<WebBrowserHost*> provided;
    auto* browserWidget = new QWidget;
    QPointer<QWidget> watch = browserWidget;
    binder->setBrowserWidgetProvider([&](WebBrowserHost& host) {
        provided.push_back(&host);
        return browserWidget;
    });

    auto& form = create<KindsForm>();
    QWidget* placeholder = binder->widgetOf(form.host);
    EXPECT_EQ(made, 0);
    EXPECT_TRUE(provided.empty());
    EXPECT_TRUE(placeholder->findChildren<QWidget*>().isEmpty());

    app->dispatch([&] { form.host.browser(); });
    EXPECT_EQ(made, 1);
    ASSERT_EQ(provided.size(), 1u);
    EXPECT_EQ(provided[0], &form.host);
    EXPECT_EQ(browserWidget->parentWidget(), placeholder);

    // The provider owns its widget: the binder hands it back.
    binder.reset();
    ASSERT_FALSE(watch.isNull());
    EXPECT_EQ(browserWidget->parentWidget(), nullptr);
    delete browserWidget;
}

TEST_F(BinderTest, WindowKeepsItsNativeWindowWhenItsFirstBrowserComesIn)
{
    // Only a real window system replaces windows; the offscreen platform
    // never does. Run with xvfb-run and QT_QPA_PLATFORM=xcb.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the xcb platform";
    int made = 0;
    BrowserFactoryGuard guard(made);
    // The engine's view draws through a Qt Quick widget: the same kind of
    // widget stands for it.
    auto* browserWidget = new QQuickWidget;
    binder->setBrowserWidgetProvider([&](WebBrowserHost&) { return browserWidget; });
    auto& form = create<KindsForm>();
    QWidget* window = binder->windowOf(form);
    ASSERT_TRUE(window->isVisible());
    const WId before = window->winId();
    app->dispatch([&] { form.host.browser(); });
    binder->flush();
    ASSERT_EQ(browserWidget->window(), window);
    EXPECT_EQ(window->winId(), before);
    binder.reset();
    delete browserWidget;
}

} // namespace

namespace {

// A note beside a button of another window.
class NoteForm : public Form {
public:
    NoteForm()
        : Form("NoteForm"), note(make<Balloon>("Note", nullptr)), text(make<Label>("NoteText", &note)),
          next(make<Button>("NoteNext", &note))
    {
        setBounds(0, 0, 100, 60);
        note.setBounds(0, 0, 200, 80);
        text.setAlign(Align::Client);
        text.wordWrap = true;
        text.setCaption("A step's text long enough to take more than one line at this width.");
        next.setAlign(Align::Bottom);
        next.setHeight(24);
        next.setCaption("Next");
    }
    Balloon& note;
    Label& text;
    Button& next;
};

class TargetForm : public Form {
public:
    TargetForm() : Form("TargetForm"), button(make<Button>("Target", nullptr))
    {
        setBounds(100, 100, 300, 200);
        button.setBounds(20, 30, 80, 24);
    }
    Button& button;
};

TEST_F(BinderTest, ABalloonStandsBesideItsAnchorAndFollowsItsWindow)
{
    auto& target = create<TargetForm>();
    auto& notes = create<NoteForm>(false);
    notes.note.setAnchor(&target.button);
    notes.note.setVisible(true);
    binder->flush();
    QWidget* note = binder->widgetOf(notes.note);
    QWidget* button = binder->widgetOf(target.button);
    ASSERT_NE(note, nullptr);
    // A window of its own, shown though its form's window is not.
    EXPECT_TRUE(note->isWindow());
    EXPECT_TRUE(note->isVisible());
    const QRect anchor(button->mapToGlobal(QPoint(0, 0)), button->size());
    EXPECT_EQ(note->y(), anchor.top());
    EXPECT_GT(note->x(), anchor.right());
    EXPECT_EQ(note->width(), 200);
    // Tall enough for its wrapped text and its button.
    auto* label = binder->widgetOf(notes.text);
    EXPECT_GT(label->height(), label->fontMetrics().height());
    EXPECT_GE(note->height(), label->heightForWidth(label->width()) + 24);

    target.setBounds(300, 250, 300, 200);
    binder->flush();
    EXPECT_EQ(note->y(), button->mapToGlobal(QPoint(0, 0)).y());
    target.hide();
    binder->flush();
    EXPECT_FALSE(note->isVisible());
    target.show();
    binder->flush();
    EXPECT_TRUE(note->isVisible());
    notes.note.setVisible(false);
    binder->flush();
    EXPECT_FALSE(note->isVisible());
}

} // namespace
