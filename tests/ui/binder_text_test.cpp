// Text controls: memo refreshes are coalesced, user edits reach the model
// before the handlers run, keys reach the handler before the widget, and
// memo positions convert between the model's bytes and Qt's positions.

#include "binder_fixture.h"

#include <QComboBox>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>

#include "ui/text_positions.h"

namespace {

using namespace framework;
using uitest::BinderTest;

class TextForm : public Form {
public:
    TextForm()
        : Form("TextForm"), edit(make<Edit>("Edit1", nullptr)), memo(make<Memo>("Memo1", nullptr)),
          rich(make<RichEdit>("Rich1", nullptr)), combo(make<ComboBox>("Combo1", nullptr)),
          label(make<Label>("Label1", nullptr))
    {
        setBounds(0, 0, 400, 400);
        edit.setAlign(Align::Top);
        memo.setAlign(Align::Client);
        rich.setAlign(Align::Bottom);
        rich.setHeight(80);
        combo.setAlign(Align::Top);
        combo.setItems({"alpha", "beta", "gamma"});
        label.setAlign(Align::Top);
        label.setCaption("&Save && Quit");
    }

    Edit& edit;
    Memo& memo;
    RichEdit& rich;
    ComboBox& combo;
    Label& label;
};

std::vector<std::string> documentLines(QPlainTextEdit* edit)
{
    std::vector<std::string> lines;
    for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next())
        lines.push_back(b.text().toStdString());
    return lines;
}

TEST_F(BinderTest, MemoFilledLineByLineRefreshesOnce)
{
    auto& form = create<TextForm>();
    auto* memo = widget<QPlainTextEdit>(form.memo);
    const int before = binder->refreshCount(form.memo);

    app->dispatch([&] {
        for (int i = 0; i < 1000; ++i)
            form.memo.addLine("line " + std::to_string(i));
    });
    // Nothing reaches the widget while the handler fills the memo.
    EXPECT_EQ(memo->document()->blockCount(), 1);
    binder->flush();

    EXPECT_EQ(binder->refreshCount(form.memo), before + 1);
    ASSERT_EQ(memo->document()->blockCount(), 1000);
    EXPECT_EQ(memo->document()->findBlockByNumber(999).text(), "line 999");

    // More lines are appended to what is shown; other changes replace it.
    form.memo.addLine("tail");
    binder->flush();
    EXPECT_EQ(memo->document()->blockCount(), 1001);
    EXPECT_EQ(memo->document()->lastBlock().text(), "tail");
    form.memo.setLines({"x", "y"});
    binder->flush();
    EXPECT_EQ(documentLines(memo), (std::vector<std::string>{"x", "y"}));
    form.memo.clear();
    binder->flush();
    EXPECT_EQ(memo->toPlainText(), "");
}

TEST_F(BinderTest, HiddenFormShowsChangesMadeWhileHidden)
{
    auto& form = create<TextForm>(false);
    form.memo.setLines({"one", "two"});
    form.edit.setText("hidden");
    form.combo.setItemIndex(2);
    app->dispatch([&] { form.show(); });
    binder->flush();
    EXPECT_TRUE(binder->windowOf(form)->isVisible());
    EXPECT_EQ(documentLines(widget<QPlainTextEdit>(form.memo)), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(widget<QLineEdit>(form.edit)->text(), "hidden");
    EXPECT_EQ(widget<QComboBox>(form.combo)->currentText(), "gamma");
}

TEST_F(BinderTest, TypingInAnEditUpdatesTheModelBeforeOnChange)
{
    auto& form = create<TextForm>();
    std::vector<std::string> seen;
    form.edit.onChange = [&] { seen.push_back(form.edit.text()); };

    uitest::typeText(binder->widgetOf(form.edit), "abc");

    EXPECT_EQ(form.edit.text(), "abc");
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "ab", "abc"}));
}

TEST_F(BinderTest, ProgrammaticTextIsShownButRunsNoHandler)
{
    auto& form = create<TextForm>();
    int changes = 0;
    form.edit.onChange = [&] { ++changes; };
    form.memo.onChange = [&] { ++changes; };
    form.edit.setText("set by code");
    form.memo.setLines({"a", "b"});
    binder->flush();
    EXPECT_EQ(widget<QLineEdit>(form.edit)->text(), "set by code");
    EXPECT_EQ(changes, 0);
}

TEST_F(BinderTest, EnterInAMemoReachesOnKeyDownBeforeTheLineBreak)
{
    auto& form = create<TextForm>();
    form.memo.setLines({"one", "two"});
    form.memo.setSelection(3, 0); // end of "one"
    binder->flush();
    auto* memo = widget<QPlainTextEdit>(form.memo);
    ASSERT_EQ(memo->textCursor().position(), 3);

    std::vector<int> keys;
    std::vector<std::vector<std::string>> linesSeen;
    form.memo.onKeyDown = [&](KeyEvent& key) {
        keys.push_back(key.key);
        linesSeen.push_back(form.memo.lines());
    };
    int changes = 0;
    form.memo.onChange = [&] { ++changes; };

    uitest::pressKey(memo, Qt::Key_Return, "\r");

    ASSERT_EQ(keys, std::vector<int>{13});
    EXPECT_EQ(linesSeen[0], (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(form.memo.lines(), (std::vector<std::string>{"one", "", "two"}));
    EXPECT_EQ(form.memo.selStart(), 5); // "one\r\n"
    EXPECT_EQ(changes, 1);
}

TEST_F(BinderTest, KeyHandlerCanSwallowTheKeyAndChangeTheTextFirst)
{
    auto& form = create<TextForm>();
    form.memo.setLines({"one"});
    form.memo.setSelection(3, 0);
    binder->flush();
    auto* memo = widget<QPlainTextEdit>(form.memo);

    form.memo.onKeyDown = [&](KeyEvent& key) {
        if (key.key == 13) {
            form.memo.setLines({"replaced"});
            key.key = 0;
        }
    };
    uitest::pressKey(memo, Qt::Key_Return, "\r");
    EXPECT_EQ(documentLines(memo), std::vector<std::string>{"replaced"});
    EXPECT_EQ(form.memo.lines(), std::vector<std::string>{"replaced"});

    // Not swallowed: the key lands on the text the handler left.
    form.memo.onKeyDown = [&](KeyEvent&) {
        form.memo.setLines({"ab"});
        form.memo.setSelection(1, 0);
    };
    uitest::pressKey(memo, Qt::Key_X, "x");
    EXPECT_EQ(form.memo.lines(), std::vector<std::string>{"axb"});
}

TEST_F(BinderTest, MemoSelectionIsKeptInBytesOfTheModelText)
{
    auto& form = create<TextForm>();
    form.memo.setLines({"ab", "日本語", "x😀y"});
    binder->flush();
    auto* memo = widget<QPlainTextEdit>(form.memo);

    // Select "本" in the widget: block 1, column 1.
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(3 + 1);
    cursor.setPosition(3 + 2, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    EXPECT_EQ(form.memo.selStart(), 4 + 3);
    EXPECT_EQ(form.memo.selLength(), 3);
    EXPECT_EQ(form.memo.selText(), "本");

    // And from the model to the widget: "😀" (two UTF-16 units).
    form.memo.setSelection(4 + 9 + 2 + 1, 4);
    binder->flush();
    EXPECT_EQ(memo->textCursor().selectedText(), QString::fromUtf8("😀"));
}

TEST(TextPositions, ConvertBetweenModelBytesAndDocumentPositions)
{
    const std::vector<std::string> lines{"ab", "日本", "x😀"};
    // Model text: "ab\r\n" (0-3), "日本\r\n" (4-11), "x😀\r\n" (12-18).
    EXPECT_EQ(ui::documentPosition(lines, 0), 0);
    EXPECT_EQ(ui::documentPosition(lines, 2), 2);
    EXPECT_EQ(ui::documentPosition(lines, 3), 2); // inside CR LF: end of line
    EXPECT_EQ(ui::documentPosition(lines, 4), 3);
    EXPECT_EQ(ui::documentPosition(lines, 7), 4);
    EXPECT_EQ(ui::documentPosition(lines, 12), 6);
    EXPECT_EQ(ui::documentPosition(lines, 13), 7);
    EXPECT_EQ(ui::documentPosition(lines, 17), 9);
    EXPECT_EQ(ui::documentPosition(lines, 19), 10); // after the last break

    EXPECT_EQ(ui::modelOffset(lines, 0), 0);
    EXPECT_EQ(ui::modelOffset(lines, 2), 2);
    EXPECT_EQ(ui::modelOffset(lines, 3), 4);
    EXPECT_EQ(ui::modelOffset(lines, 4), 7);
    EXPECT_EQ(ui::modelOffset(lines, 5), 10);
    EXPECT_EQ(ui::modelOffset(lines, 7), 13);
    EXPECT_EQ(ui::modelOffset(lines, 9), 17);
    EXPECT_EQ(ui::modelOffset(lines, 10), 19);
    EXPECT_EQ(ui::modelOffset(lines, 50), 19);
}

TEST_F(BinderTest, TrailingLineBreakTypedAtTheEndIsKept)
{
    auto& form = create<TextForm>();
    form.memo.setLines({"a"});
    form.memo.setSelection(1, 0);
    binder->flush();
    auto* memo = widget<QPlainTextEdit>(form.memo);
    uitest::pressKey(memo, Qt::Key_Return, "\r");
    binder->flush();
    // The model has one line; the widget keeps the caret on the new line.
    EXPECT_EQ(form.memo.lines(), std::vector<std::string>{"a"});
    EXPECT_EQ(memo->document()->blockCount(), 2);
    EXPECT_EQ(memo->textCursor().position(), 2);
    uitest::typeText(memo, "b");
    EXPECT_EQ(form.memo.lines(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(BinderTest, RichEditShowsPlainText)
{
    auto& form = create<TextForm>();
    form.rich.setLines({"<b>not bold</b>", "2"});
    binder->flush();
    auto* rich = widget<QTextEdit>(form.rich);
    EXPECT_EQ(rich->toPlainText(), "<b>not bold</b>\n2");
    EXPECT_FALSE(rich->acceptRichText());
}

TEST_F(BinderTest, ComboChoiceSetsTheIndexThenRunsOnClickAndOnChange)
{
    auto& form = create<TextForm>();
    std::vector<std::string> events;
    form.combo.onClick = [&] { events.push_back("click " + std::to_string(form.combo.itemIndex())); };
    form.combo.onChange = [&] { events.push_back("change " + form.combo.text()); };
    auto* combo = widget<QComboBox>(form.combo);

    combo->setCurrentIndex(1);
    Q_EMIT combo->activated(1);
    binder->flush();
    EXPECT_EQ(form.combo.itemIndex(), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"click 1", "change beta"}));

    events.clear();
    uitest::typeText(combo, "z");
    EXPECT_EQ(form.combo.text(), "betaz");
    EXPECT_EQ(form.combo.itemIndex(), -1);
    EXPECT_EQ(events, std::vector<std::string>{"change betaz"});
}

TEST_F(BinderTest, EnterInAComboReachesOnKeyDown)
{
    auto& form = create<TextForm>();
    std::vector<std::string> seen;
    form.combo.onKeyDown = [&](KeyEvent& key) {
        if (key.key == 13)
            seen.push_back(form.combo.text());
    };
    // Keys go to the combo box itself, which hands them to its line edit.
    auto* combo = widget<QComboBox>(form.combo);
    uitest::typeText(combo, "new");
    uitest::pressKey(combo, Qt::Key_Return, "\r");
    EXPECT_EQ(form.combo.text(), "new");
    EXPECT_EQ(seen, std::vector<std::string>{"new"});
    // Qt inserts nothing on Enter; the items stay the model's.
    EXPECT_EQ(combo->count(), 3);
}

TEST_F(BinderTest, LabelShowsItsCaptionWithoutAccessKeysAndReportsClicks)
{
    auto& form = create<TextForm>();
    auto* label = widget<QLabel>(form.label);
    EXPECT_EQ(label->text(), "Save & Quit");
    int clicks = 0;
    form.label.onClick = [&] { ++clicks; };
    uitest::click(label, QPoint(2, 2));
    EXPECT_EQ(clicks, 1);
    // A press inside and a release outside is no click.
    uitest::sendMouse(label, QEvent::MouseButtonPress, QPoint(2, 2));
    uitest::sendMouse(label, QEvent::MouseButtonRelease, QPoint(-5, 2));
    EXPECT_EQ(clicks, 1);
}

} // namespace

namespace {

using namespace framework;
using uitest::BinderTest;

TEST_F(BinderTest, KeysStayWithTheControlThatGotThem)
{
    struct Nested : Form {
        Nested() : Form("Nested"), panel(make<Panel>("Panel", nullptr)), edit(make<Edit>("Inner", &panel))
        {
            setBounds(0, 0, 200, 100);
            panel.setAlign(Align::Client);
            edit.setBounds(5, 5, 100, 22);
        }
        Panel& panel;
        Edit& edit;
    };
    auto& form = create<Nested>();
    std::vector<std::string> seen;
    form.edit.onKeyDown = [&](KeyEvent& key) { seen.push_back("edit " + std::to_string(key.key)); };
    form.panel.onKeyDown = [&](KeyEvent& key) { seen.push_back("panel " + std::to_string(key.key)); };
    form.onKeyDown = [&](KeyEvent& key) { seen.push_back("form " + std::to_string(key.key)); };

    // A line edit ignores Enter; the panel and the form still do not see it.
    uitest::pressKey(binder->widgetOf(form.edit), Qt::Key_Return, "\r");
    uitest::pressKey(binder->widgetOf(form.edit), Qt::Key_Escape);
    EXPECT_EQ(seen, (std::vector<std::string>{"edit 13", "edit 27"}));
}

TEST_F(BinderTest, MouseMovesReachAHandlerThatWantsThem)
{
    auto& form = create<TextForm>();
    std::vector<std::pair<int, int>> moves;
    // Assigned while the window shows: the mouse coming in turns tracking on.
    form.memo.onMouseMove = [&](const MouseEvent& e) { moves.push_back({e.x, e.y}); };
    QWidget* memo = binder->widgetOf(form.memo);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(memo->mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(memo, &enter);
    QWidget* viewport = uitest::mouseTarget(binder->widgetOf(form.memo));
    EXPECT_TRUE(viewport->hasMouseTracking());
    uitest::sendMouse(viewport, QEvent::MouseMove, QPoint(12, 7), Qt::NoButton);
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{12, 7}}));
}

} // namespace

namespace {

TEST_F(BinderTest, LogMemoShowsItsNewestLineWhereverTheViewWas)
{
    auto& form = create<TextForm>();
    form.memo.followEnd = true;
    auto* memo = widget<QPlainTextEdit>(form.memo);
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back("line " + std::to_string(i));
    // A whole new text, then the user scrolls up, then a line comes.
    form.memo.setLines(lines);
    binder->flush();
    QScrollBar* bar = memo->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    form.memo.addLine("the end");
    binder->flush();
    EXPECT_EQ(bar->value(), bar->maximum());
}

} // namespace
