// Lists, grids and trees: user choices reach the model first, then the
// handlers; the tree answers hit tests from the real widget.

#include "binder_fixture.h"

#include <QListWidget>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolTip>
#include <QTreeWidget>

namespace {

using namespace framework;
using uitest::BinderTest;

class ListForm : public Form {
public:
    ListForm()
        : Form("ListForm"), tree(make<TreeView>("Tree1", nullptr)), checks(make<CheckListBox>("Checks1", nullptr)),
          grid(make<StringGrid>("Grid1", nullptr))
    {
        setBounds(0, 0, 500, 400);
        tree.setAlign(Align::Left);
        tree.setWidth(250);
        checks.setAlign(Align::Top);
        checks.setHeight(100);
        grid.setAlign(Align::Client);
        checks.setItems({"one", "two", "three"});
        grid.setColCount(4);
        grid.setRowCount(6);
        grid.setDefaultColWidth(40);
        grid.setDefaultRowHeight(20);
        grid.fixedColor = 0xF5E6E0;
        grid.setCell(0, 0, "corner");
        grid.setCell(2, 0, "head");
        grid.setCell(2, 3, "value");

        root = tree.addChild(nullptr, "Root");
        child1 = tree.addChild(root, "Child one");
        child2 = tree.addChild(root, "Child two");
        other = tree.addChild(nullptr, "Other");
    }

    TreeView& tree;
    CheckListBox& checks;
    StringGrid& grid;
    TreeNode* root;
    TreeNode* child1;
    TreeNode* child2;
    TreeNode* other;
};

QTreeWidgetItem* itemWithText(QTreeWidget* tree, const QString& text)
{
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

QPoint labelPoint(QTreeWidget* tree, QTreeWidgetItem* item)
{
    const QRect rect = tree->visualItemRect(item);
    return QPoint(rect.left() + 6, rect.center().y());
}

// ------------------------------------------------------------------ tree

TEST_F(BinderTest, TreeShowsTheModelsNodes)
{
    auto& form = create<ListForm>();
    auto* tree = widget<QTreeWidget>(form.tree);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Root");
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), "Child two");
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
}

TEST_F(BinderTest, ClickingATreeItemSelectsItsNodeThenRunsTheHandlers)
{
    auto& form = create<ListForm>();
    auto* tree = widget<QTreeWidget>(form.tree);
    std::vector<std::string> events;
    form.tree.onMouseDown = [&](const MouseEvent&) {
        events.push_back("down " + (form.tree.selected() ? form.tree.selected()->text() : std::string("-")));
    };
    form.tree.onChange = [&] { events.push_back("change"); };
    form.tree.onClick = [&] { events.push_back("click " + form.tree.selected()->text()); };

    uitest::click(tree, labelPoint(tree, itemWithText(tree, "Child two")));

    EXPECT_EQ(form.tree.selected(), form.child2);
    // The press selected the node before the mouse-down handler looked.
    EXPECT_EQ(events, (std::vector<std::string>{"change", "down Child two", "click Child two"}));

    int doubles = 0;
    form.tree.onDblClick = [&] { ++doubles; };
    uitest::doubleClick(tree, labelPoint(tree, itemWithText(tree, "Other")));
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(form.tree.selected(), form.other);
}

TEST_F(BinderTest, TreeRebuildKeepsSelectionAndExpansionFromTheModel)
{
    auto& form = create<ListForm>();
    auto* tree = widget<QTreeWidget>(form.tree);
    form.tree.setSelected(form.child1);
    binder->flush();
    EXPECT_EQ(tree->currentItem(), itemWithText(tree, "Child one"));

    // The user collapses the root: the model remembers it.
    tree->collapseItem(itemWithText(tree, "Root"));
    EXPECT_FALSE(form.root->expanded);

    TreeNode* added = form.tree.addChild(form.other, "Added");
    form.tree.moveTo(form.child2, form.other, NodeAttach::AddChildFirst);
    form.root->setText("Renamed root");
    binder->flush();

    ASSERT_NE(itemWithText(tree, "Added"), nullptr);
    QTreeWidgetItem* otherItem = itemWithText(tree, "Other");
    ASSERT_EQ(otherItem->childCount(), 2);
    EXPECT_EQ(otherItem->child(0)->text(0), "Child two");
    EXPECT_EQ(otherItem->child(1)->text(0), "Added");
    EXPECT_FALSE(itemWithText(tree, "Renamed root")->isExpanded());
    EXPECT_EQ(tree->currentItem(), itemWithText(tree, "Child one"));
    (void)added;

    form.tree.deleteNode(form.root);
    binder->flush();
    EXPECT_EQ(form.tree.selected(), nullptr);
    EXPECT_EQ(itemWithText(tree, "Child one"), nullptr);
    EXPECT_EQ(tree->currentItem(), nullptr);
}

TEST_F(BinderTest, TreeHitTestAsksTheRealWidget)
{
    auto& form = create<ListForm>();
    auto* tree = widget<QTreeWidget>(form.tree);
    QTreeWidgetItem* item = itemWithText(tree, "Child one");
    const QRect rect = tree->visualItemRect(item);

    TreeHit hit = form.tree.hitTest(rect.left() + 6, rect.center().y());
    EXPECT_EQ(hit.node, form.child1);
    EXPECT_EQ(hit.kind, TreeHitKind::OnLabel);

    hit = form.tree.hitTest(rect.left() - 3, rect.center().y());
    EXPECT_EQ(hit.node, form.child1);
    EXPECT_EQ(hit.kind, TreeHitKind::OnIndent);

    const QRect rootRect = tree->visualItemRect(itemWithText(tree, "Root"));
    hit = form.tree.hitTest(rootRect.left() - 3, rootRect.center().y());
    EXPECT_EQ(hit.node, form.root);
    EXPECT_EQ(hit.kind, TreeHitKind::OnButton);

    hit = form.tree.hitTest(rect.right() - 2, rect.center().y());
    EXPECT_EQ(hit.node, form.child1);
    EXPECT_EQ(hit.kind, TreeHitKind::OnRight);

    const QRect last = tree->visualItemRect(itemWithText(tree, "Other"));
    hit = form.tree.hitTest(10, last.bottom() + 10);
    EXPECT_EQ(hit.node, nullptr);
    EXPECT_EQ(hit.kind, TreeHitKind::Nowhere);

    // Nodes a handler just added are hit as the model has them: the row
    // below "Other" is empty until the handler adds "Fresh".
    const QPoint belowOther(last.left() + 6, last.center().y() + last.height());
    EXPECT_EQ(form.tree.hitTest(belowOther.x(), belowOther.y()).node, nullptr);
    TreeNode* fresh = nullptr;
    app->dispatch([&] {
        fresh = form.tree.addChild(nullptr, "Fresh");
        hit = form.tree.hitTest(belowOther.x(), belowOther.y());
    });
    EXPECT_EQ(hit.node, fresh);
}

TEST_F(BinderTest, TreeScrollingFollowsTopIndexBothWays)
{
    auto& form = create<ListForm>();
    for (int i = 0; i < 100; ++i)
        form.tree.addChild(nullptr, "Node " + std::to_string(i));
    binder->flush();
    auto* tree = widget<QTreeWidget>(form.tree);

    form.tree.setTopIndex(20);
    binder->flush();
    EXPECT_EQ(tree->verticalScrollBar()->value(), 20);
    EXPECT_EQ(tree->itemAt(2, 2)->text(0), "Node 16"); // 4 rows before the added ones

    tree->verticalScrollBar()->setValue(30);
    EXPECT_EQ(form.tree.topIndex(), 30);
}

// ------------------------------------------------------------ check list

TEST_F(BinderTest, CheckingAListItemUpdatesTheModelThenRunsOnClick)
{
    auto& form = create<ListForm>();
    auto* list = widget<QListWidget>(form.checks);
    std::vector<bool> seen;
    form.checks.onClick = [&] { seen.push_back(form.checks.checked(1)); };

    list->item(1)->setCheckState(Qt::Checked);
    binder->flush();
    EXPECT_TRUE(form.checks.checked(1));
    EXPECT_EQ(seen, std::vector<bool>{true});

    list->setCurrentRow(2);
    binder->flush();
    EXPECT_EQ(form.checks.itemIndex(), 2);

    form.checks.setChecked(0, true);
    binder->flush();
    EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(seen.size(), 2u); // the row choice; the model's own check runs nothing
}

// ------------------------------------------------------------------ grid

TEST_F(BinderTest, GridShowsFixedCellsAsCellsInTheFixedColour)
{
    auto& form = create<ListForm>();
    auto* grid = widget<QTableWidget>(form.grid);
    ASSERT_EQ(grid->columnCount(), 4);
    ASSERT_EQ(grid->rowCount(), 6);
    EXPECT_EQ(grid->item(0, 0)->text(), "corner");
    EXPECT_EQ(grid->item(0, 2)->text(), "head");
    EXPECT_EQ(grid->item(3, 2)->text(), "value");
    EXPECT_EQ(grid->columnWidth(1), 40);
    EXPECT_EQ(grid->rowHeight(1), 20);
    EXPECT_EQ(grid->item(0, 2)->background().color(), QColor(0xE0, 0xE6, 0xF5));
    EXPECT_FALSE(grid->item(0, 2)->flags() & Qt::ItemIsSelectable);
    EXPECT_FALSE(grid->item(2, 2)->flags() & Qt::ItemIsEditable); // editing is off

    form.grid.editing = true;
    form.grid.setCell(1, 1, "x");
    binder->flush();
    EXPECT_TRUE(grid->item(2, 2)->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(grid->item(1, 1)->text(), "x");
}

TEST_F(BinderTest, GridEditsAndCurrentCellReachTheModel)
{
    auto& form = create<ListForm>();
    auto* grid = widget<QTableWidget>(form.grid);
    grid->item(4, 3)->setText("typed");
    EXPECT_EQ(form.grid.cell(3, 4), "typed");

    grid->setCurrentCell(5, 2);
    EXPECT_EQ(form.grid.col(), 2);
    EXPECT_EQ(form.grid.row(), 5);
    grid->setCurrentCell(0, 2); // a fixed cell never becomes current
    EXPECT_EQ(form.grid.row(), 5);
}

TEST_F(BinderTest, GridMousePositionFindsThePressedCell)
{
    auto& form = create<ListForm>();
    form.grid.setColWidth(0, 70);
    form.grid.setCell(2, 3, "here");
    binder->flush();
    auto* grid = widget<QTableWidget>(form.grid);
    std::vector<std::pair<int, int>> cells;
    form.grid.onMouseDown = [&](const MouseEvent& e) {
        int col = -1;
        int row = -1;
        form.grid.mouseToCell(e.x, e.y, col, row);
        cells.push_back({col, row});
    };
    const QRect rect = grid->visualItemRect(grid->item(3, 2));
    uitest::click(grid, rect.topLeft() + QPoint(3, 3));
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0], std::make_pair(2, 3));

    // Without fixed columns the first column is a column like the others
    // (a click on a heading there sorts by it).
    form.grid.fixedCols = 0;
    binder->flush();
    uitest::click(grid, grid->visualItemRect(grid->item(0, 0)).topLeft() + QPoint(3, 3));
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[1], std::make_pair(0, 0));
}

TEST_F(BinderTest, GridShowsTheWholeTextOfACutCellAsItsTip)
{
    auto& form = create<ListForm>();
    form.grid.setCell(2, 3, "a text far longer than its column is wide");
    form.grid.setCell(3, 3, "ok");
    binder->flush();
    auto* grid = widget<QTableWidget>(form.grid);
    grid->window()->show();
    auto tipAt = [&](int row, int col) {
        const QPoint pos = grid->visualItemRect(grid->item(row, col)).center();
        QHelpEvent help(QEvent::ToolTip, pos, grid->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(grid->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_TRUE(tipAt(3, 3).isEmpty());
    EXPECT_EQ(tipAt(3, 2), QStringLiteral("a text far longer than its column is wide"));
}

} // namespace
