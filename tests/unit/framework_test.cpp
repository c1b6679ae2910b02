// Control models, forms, dispatch, conversions and the manual clock.

#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/convert.h"
#include "framework/scripted.h"

using namespace framework;

namespace {

Application::Wait waitFor(std::function<bool()> done, int sliceMs = 50, const void* source = nullptr,
                          std::function<void()> cancel = nullptr)
{
    Application::Wait wait;
    wait.done = std::move(done);
    wait.sliceMs = sliceMs;
    wait.source = source;
    wait.cancel = std::move(cancel);
    return wait;
}

class TestForm : public Form {
public:
    TestForm() : Form("TestForm"), memo(make<Memo>("Memo1", nullptr)), grid(make<StringGrid>("Grid1", nullptr)) {}
    Memo& memo;
    StringGrid& grid;
    int created = 0;
    int shown = 0;
    bool refuseClose = false;
    void FormCreate() override { ++created; }
    void FormShow() override { ++shown; }
    void FormCloseQuery(bool& canClose) override { canClose = !refuseClose; }
};

TEST(ConvertTest, IntegersAndTheConversionError)
{
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToIntDef("x", 20), 20);
    EXPECT_EQ(StrToIntDef("99999999999", 3), 3);
    try {
        StrToInt("abc");
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    EXPECT_THROW(StrToInt(""), ConversionError);
}

TEST(MemoTest, TextAndLinesFollowTheStringListRules)
{
    TestForm form;
    form.memo.setText("a\r\nb\nc\rd");
    EXPECT_EQ(form.memo.lines(), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(form.memo.text(), "a\r\nb\r\nc\r\nd\r\n");
    form.memo.setText("one\r\n");
    EXPECT_EQ(form.memo.lineCount(), 1);
    form.memo.setText(" ");
    EXPECT_EQ(form.memo.lines(), std::vector<std::string>{" "});
    form.memo.setText("");
    EXPECT_EQ(form.memo.lineCount(), 0);
    form.memo.addLine("x\r\ny");
    EXPECT_EQ(form.memo.lineCount(), 2);
    EXPECT_EQ(form.memo.line(5), "");
    form.memo.setText("ab\r\ncd\r\nef");
    form.memo.setSelection(4, 2);
    EXPECT_EQ(form.memo.selText(), "cd");
    EXPECT_EQ(form.memo.caretLine(), 1);
}

TEST(MemoTest, ObserversHearEveryChange)
{
    TestForm form;
    int changes = 0;
    form.memo.observe([&](Prop p) {
        if (p == Prop::Lines)
            ++changes;
    });
    form.memo.addLine("a");
    form.memo.setLines({"b", "c"});
    form.memo.clear();
    EXPECT_EQ(changes, 3);
}

TEST(GridTest, CellsOutsideTheGridReadEmptyAndAreNotStored)
{
    TestForm form;
    form.grid.setColCount(2);
    form.grid.setRowCount(3);
    form.grid.setCell(1, 2, "x");
    form.grid.setCell(5, 5, "lost");
    EXPECT_EQ(form.grid.cell(5, 5), "");
    form.grid.setRowCount(6);
    form.grid.setColCount(6);
    EXPECT_EQ(form.grid.cell(5, 5), "");
    EXPECT_EQ(form.grid.cell(1, 2), "x");
    form.grid.setRowCount(2);
    form.grid.setRowCount(3);
    EXPECT_EQ(form.grid.cell(1, 2), "");
}

TEST(GridTest, MouseToCellCountsWidthsAndScrolling)
{
    TestForm form;
    form.grid.setColCount(4);
    form.grid.setRowCount(10);
    form.grid.setDefaultColWidth(20);
    form.grid.setDefaultRowHeight(10);
    form.grid.setColWidth(1, 50);
    int col = 0;
    int row = 0;
    form.grid.mouseToCell(5, 5, col, row);
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 0);
    form.grid.mouseToCell(60, 25, col, row);
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 2);
    form.grid.topRow = 4;
    form.grid.mouseToCell(75, 15, col, row);
    EXPECT_EQ(col, 2);
    EXPECT_EQ(row, 4);
    form.grid.mouseToCell(1000, 1000, col, row);
    EXPECT_EQ(col, -1);
    EXPECT_EQ(row, -1);
}

TEST(TreeTest, IndexesMovesAndDeletes)
{
    TestForm form;
    TreeView& tree = form.make<TreeView>("Tree", nullptr);
    TreeNode* a = tree.addChild(nullptr, "a");
    TreeNode* a1 = tree.addChild(a, "a1");
    TreeNode* a11 = tree.addChild(a1, "a11");
    TreeNode* a2 = tree.addChild(a, "a2");
    TreeNode* b = tree.add(a, "b");
    EXPECT_EQ(tree.count(), 5);
    EXPECT_EQ(a11->absoluteIndex(), 2);
    EXPECT_EQ(b->absoluteIndex(), 4);
    EXPECT_EQ(tree.nodeAt(3), a2);
    EXPECT_EQ(tree.nodeAt(9), nullptr);
    EXPECT_EQ(a2->index(), 1);
    EXPECT_EQ(a11->level(), 2);

    // A node cannot go under itself or its own descendants.
    EXPECT_FALSE(tree.moveTo(a, a11, NodeAttach::AddChild));
    EXPECT_FALSE(tree.moveTo(a, a, NodeAttach::AddChild));
    EXPECT_TRUE(tree.moveTo(a1, b, NodeAttach::AddChild));
    EXPECT_EQ(a1->parent(), b);
    EXPECT_EQ(a11->absoluteIndex(), 4);
    EXPECT_TRUE(tree.moveTo(b, a, NodeAttach::Insert));
    EXPECT_EQ(tree.root(0), b);

    tree.setSelected(a11);
    tree.deleteNode(b);
    EXPECT_EQ(tree.selected(), nullptr);
    EXPECT_EQ(tree.count(), 2);
}

TEST(UpDownTest, ChangingSeesThePositionBeforeTheStepAndWraps)
{
    TestForm form;
    Edit& edit = form.make<Edit>("Edit", nullptr);
    UpDown& updown = form.make<UpDown>("UpDown", nullptr);
    updown.associate = &edit;
    updown.setMin(1);
    updown.setMax(2);
    updown.setPosition(2);
    updown.wrap = true;
    std::vector<int> seen;
    updown.onChanging = [&](bool&) { seen.push_back(updown.position()); };
    updown.onUpDownClick = [&](UpDownButton) { seen.push_back(updown.position() * 10); };
    updown.step(UpDownButton::Up);
    EXPECT_EQ(seen, (std::vector<int>{2, 10}));
    EXPECT_EQ(edit.text(), "1");
    updown.wrap = false;
    updown.step(UpDownButton::Down);
    EXPECT_EQ(updown.position(), 1);
    updown.onChanging = [](bool& allow) { allow = false; };
    updown.step(UpDownButton::Up);
    EXPECT_EQ(updown.position(), 1);
}

TEST(FormTest, FindByNameAndKind)
{
    TestForm form;
    EXPECT_EQ(&form.find<Memo>("Memo1"), &form.memo);
    EXPECT_EQ(&form.find<Control>("Memo1"), &form.memo);
    EXPECT_THROW(form.find<StringGrid>("Memo1"), ComponentNotFound);
    EXPECT_THROW(form.find<Memo>("Memo2"), ComponentNotFound);
    EXPECT_EQ(form.tryFind<Memo>("Grid1"), nullptr);
}

TEST(ApplicationTest, FormsDispatchAndClose)
{
    ScriptedServices scripted;
    Application app(scripted.services());
    TestForm* main = nullptr;
    TestForm* other = nullptr;
    TestForm* pointerSeenAtCreate = nullptr;
    app.createForm(main, true);
    app.formAdded.connect([&](Form&) {});
    app.createForm(other, false);
    pointerSeenAtCreate = other;
    EXPECT_EQ(main->created, 1);
    EXPECT_EQ(main->shown, 1);
    EXPECT_TRUE(main->visible());
    EXPECT_FALSE(other->visible());
    EXPECT_EQ(pointerSeenAtCreate, other);
    EXPECT_EQ(app.mainForm(), main);

    EXPECT_FALSE(app.dispatch([] { StrToInt("zz"); }));
    EXPECT_EQ(scripted.dialogs->errors, std::vector<std::string>{"'zz' is not a valid integer value"});
    EXPECT_TRUE(app.dispatch([] {}));

    other->show();
    EXPECT_TRUE(other->close());
    EXPECT_FALSE(app.terminated());
    main->refuseClose = true;
    EXPECT_FALSE(main->close());
    EXPECT_FALSE(app.terminated());
    main->refuseClose = false;
    EXPECT_TRUE(main->close());
    EXPECT_TRUE(app.terminated());
}

TEST(ClockTest, TimersFireInOrderAndATickDueInAWaitFiresOnceAfterIt)
{
    ScriptedServices scripted;
    Application app(scripted.services());
    TestForm form;
    std::vector<std::string> fired;
    Timer& slow = form.makeTimer("Slow", 1000, true);
    Timer& fast = form.makeTimer("Fast", 300, true);
    slow.onTimer = [&] { fired.push_back("slow@" + std::to_string(scripted.clock->tickCount())); };
    fast.onTimer = [&] {
        fired.push_back("fast@" + std::to_string(scripted.clock->tickCount()));
        // A wait inside a tick lets 700 ms pass: the ticks due meanwhile
        // (fast twice, slow once) come once each, after this tick.
        if (scripted.clock->tickCount() == 600) {
            const uint64_t start = scripted.clock->tickCount();
            app.wait(waitFor([&] { return scripted.clock->tickCount() - start >= 700; }, 100));
            fired.push_back("waited");
        }
    };
    scripted.clock->advance(1300);
    EXPECT_EQ(fired, (std::vector<std::string>{"fast@300", "fast@600", "waited", "fast@1300", "slow@1300"}));
    slow.setEnabled(false);
    EXPECT_FALSE(scripted.clock->armed(slow));
}

// The gate: while a handler waits, no other handler starts, except the
// events the wait names as its own; what arrived is delivered afterwards in
// order, and a cancel ends the wait.
TEST(GateTest, NothingStartsInsideAWaitButItsOwnEvents)
{
    ScriptedServices scripted;
    Application app(scripted.services());
    TestForm form;
    int running = 0;
    bool overlapped = false;
    std::vector<std::string> order;
    auto handler = [&](const std::string& name) {
        return [&, name] {
            if (running > 0)
                overlapped = true;
            ++running;
            order.push_back(name);
            --running;
        };
    };
    Timer& timer = form.makeTimer("T", 100, true);
    timer.onTimer = handler("tick");
    const int browser = 0;
    const int other = 0;
    int turns = 0;
    scripted.pump->onWait = [&] {
        ++turns;
        app.deliver(&other, handler("other" + std::to_string(turns)));
        if (turns == 2)
            app.deliver(&browser, [&] { order.push_back("own"); }); // runs inside, by design
    };
    app.dispatch([&] {
        ++running;
        order.push_back("command");
        app.wait(waitFor([&] { return turns >= 3; }, 250, &browser));
        order.push_back("waited");
        --running;
    });
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(order, (std::vector<std::string>{"command", "own", "waited", "other1", "tick", "other2", "other3"}));
    EXPECT_EQ(scripted.pump->waitsStarted, 1);
    EXPECT_EQ(scripted.pump->waitsEnded, 1);

    // Escape: the wait ends cancelled, and the cancel is told after the
    // handler.
    bool cancelledInside = false;
    int toldCancel = 0;
    app.waitCancelled.connect([&] { ++toldCancel; });
    scripted.pump->onWait = [&] { app.cancelWait(); };
    app.dispatch([&] {
        cancelledInside = !app.wait(waitFor([] { return false; }, 50, nullptr, [&] { order.push_back("cancel"); }));
        EXPECT_EQ(toldCancel, 0);
    });
    EXPECT_TRUE(cancelledInside);
    EXPECT_EQ(toldCancel, 1);
}

TEST(GateTest, AQuitNobodyWatchesCancelsWaitsAndReportsOnStandardError)
{
    ScriptedServices scripted;
    Application app(scripted.services());
    bool closed = false;
    bool finished = true;
    scripted.pump->onWait = [&] { app.requestQuit([&] { closed = true; }); };
    app.dispatch([&] {
        finished = app.wait(waitFor([] { return false; }));
        EXPECT_FALSE(closed); // not inside the waiting handler
    });
    EXPECT_FALSE(finished);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(app.unattended());
    testing::internal::CaptureStderr();
    app.dispatch([] { throw FileError("Cannot create file x"); });
    EXPECT_FALSE(app.dialogs().askYesNo("Save?", "Q"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot create file x"), std::string::npos);
    EXPECT_TRUE(scripted.dialogs->errors.empty());
    EXPECT_TRUE(scripted.dialogs->questions.empty());

    // A batch run takes them among its own lines instead.
    std::vector<std::string> told;
    app.unattendedOutput = [&](const std::string& text) { told.push_back(text); };
    testing::internal::CaptureStderr();
    app.dispatch([] { throw FileError("Cannot create file y"); });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(told, std::vector<std::string>{"Cannot create file y"});
}

TEST(ClockTest, ExceptionInATickIsShownAndTheTimerGoesOn)
{
    ScriptedServices scripted;
    Application app(scripted.services());
    TestForm form;
    Timer& timer = form.makeTimer("T", 100, true);
    int ticks = 0;
    timer.onTimer = [&] {
        ++ticks;
        throw ConversionError("bad");
    };
    scripted.clock->advance(250);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(scripted.dialogs->errors.size(), 2u);
}

} // namespace
