// Bindings of the list controls: check list boxes, string grids and the
// tree view with its drag and drop.

#include "ui/qt_keywords.h"

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QListWidget>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolTip>
#include <QTreeWidget>

#include "ui/binding.h"

namespace ui::detail {

using framework::Prop;

namespace {

// ------------------------------------------------------------ CheckListBox

class CheckListBinding : public WidgetBinding<framework::CheckListBox, Bound<QListWidget>> {
public:
    CheckListBinding(BinderImpl& impl, framework::CheckListBox& list, ControlBinding* parent)
        : WidgetBinding(impl, list, parent)
    {
        w_->setSelectionMode(QAbstractItemView::SingleSelection);
        listen(*this, w_, &QListWidget::itemChanged, [this](QListWidgetItem* item) { checkToggled(item); });
        listen(*this, w_, &QListWidget::currentRowChanged, [this](int row) { rowChosen(row); });
    }

    // A click on the list is reported as the choice or the check it made.
    bool clicksFromMouse() const override { return false; }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Items)) {
            bool same = w_->count() == model_.count();
            for (int i = 0; same && i < model_.count(); ++i)
                same = w_->item(i)->text() == qs(model_.item(i));
            if (!same) {
                w_->clear();
                for (const auto& entry : model_.items()) {
                    auto* item = new QListWidgetItem(qs(entry.text), w_);
                    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
                    item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
                }
            }
        }
        if (aspects & (aspect(Prop::Items) | aspect(Prop::Checked))) {
            for (int i = 0; i < model_.count() && i < w_->count(); ++i) {
                const Qt::CheckState state = model_.checked(i) ? Qt::Checked : Qt::Unchecked;
                if (w_->item(i)->checkState() != state)
                    w_->item(i)->setCheckState(state);
            }
        }
        if (aspects & (aspect(Prop::Items) | aspect(Prop::ItemIndex))) {
            if (w_->currentRow() != model_.itemIndex())
                w_->setCurrentRow(model_.itemIndex());
        }
    }
    QPalette::ColorRole backgroundRole() const override { return QPalette::Base; }
    QPalette::ColorRole foregroundRole() const override { return QPalette::Text; }
    bool fillsBackground() const override { return false; }

private:
    void checkToggled(QListWidgetItem* item)
    {
        if (impl().applying())
            return;
        const int row = w_->row(item);
        const bool checked = item->checkState() == Qt::Checked;
        if (row < 0 || checked == model_.checked(row))
            return;
        {
            Suppress echo(*this, aspect(Prop::Checked));
            impl().dispatch([&] { model_.setChecked(row, checked); });
        }
        postEvent(&framework::Control::onClick);
    }

    void rowChosen(int row)
    {
        if (impl().applying() || row == model_.itemIndex())
            return;
        {
            Suppress echo(*this, aspect(Prop::ItemIndex));
            impl().dispatch([&] { model_.setItemIndex(row); });
        }
        postEvent(&framework::Control::onClick);
    }
};

// -------------------------------------------------------------- StringGrid

// A grid whose cells show their whole text as a tooltip where the column
// cuts it (long titles, addresses).
class GridWidget : public Bound<QTableWidget> {
public:
    using Bound<QTableWidget>::Bound;

protected:
    bool viewportEvent(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(event);
            const QModelIndex index = indexAt(help->pos());
            const QString text = index.data(Qt::DisplayRole).toString();
            const QRect cell = visualRect(index);
            const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
            if (index.isValid() && fontMetrics().horizontalAdvance(text) + 2 * margin > cell.width()) {
                QToolTip::showText(help->globalPos(), text, viewport(), cell);
                return true;
            }
        }
        return Bound<QTableWidget>::viewportEvent(event);
    }
};

// The fixed rows and columns are ordinary cells painted in the fixed colour
// (Qt's own headers stay hidden), so cell (0, 0) is the model's cell (0, 0).
class GridBinding : public WidgetBinding<framework::StringGrid, GridWidget> {
public:
    GridBinding(BinderImpl& impl, framework::StringGrid& grid, ControlBinding* parent)
        : WidgetBinding(impl, grid, parent)
    {
        w_->horizontalHeader()->hide();
        w_->verticalHeader()->hide();
        w_->horizontalHeader()->setMinimumSectionSize(1);
        w_->verticalHeader()->setMinimumSectionSize(1);
        w_->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
        w_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        w_->setSelectionBehavior(QAbstractItemView::SelectItems);
        w_->setWordWrap(false);
        listen(*this, w_, &QTableWidget::itemChanged, [this](QTableWidgetItem* item) { cellEdited(item); });
        listen(*this, w_, &QTableWidget::currentCellChanged,
               [this](int row, int col, int, int) { currentChanged(col, row); });
        listen(*this, w_->horizontalScrollBar(), &QScrollBar::valueChanged,
               [this](int value) { model_.leftCol = std::max(model_.fixedCols, value); });
        listen(*this, w_->verticalScrollBar(), &QScrollBar::valueChanged,
               [this](int value) { model_.topRow = std::max(model_.fixedRows, value); });
    }

    void applyOptions() override
    {
        syncFirstCells();
        w_->setEditTriggers(model_.editing ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                                 QAbstractItemView::AnyKeyPressed
                                           : QAbstractItemView::NoEditTriggers);
        w_->setSelectionMode(model_.rangeSelect ? QAbstractItemView::ContiguousSelection
                                                : QAbstractItemView::SingleSelection);
        w_->setTabKeyNavigation(model_.tabs);
        if (model_.editing != editingShown_ || model_.fixedColor != fixedColorShown_ ||
            model_.fixedCols != fixedColsShown_ || model_.fixedRows != fixedRowsShown_)
            applyCells();
    }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & (aspect(Prop::GridSize) | aspect(Prop::Font)))
            applySize();
        if (aspects & (aspect(Prop::GridSize) | aspect(Prop::Cells)))
            applyCells();
        if (aspects & (aspect(Prop::GridSize) | aspect(Prop::Selection))) {
            if (w_->currentRow() != model_.row() || w_->currentColumn() != model_.col())
                w_->setCurrentCell(model_.row(), model_.col());
        }
    }
    QPalette::ColorRole backgroundRole() const override { return QPalette::Base; }
    QPalette::ColorRole foregroundRole() const override { return QPalette::Text; }
    bool fillsBackground() const override { return false; }

    // The model finds the pressed cell with mouseToCell(), which assumes its
    // own geometry (fixed cells always shown, one-pixel grid
    // lines). The handler gets the centre of the pressed cell in that
    // geometry, so it finds the cell the user pressed.
    QPoint modelPoint(const QPoint& point) const override
    {
        syncFirstCells();
        const QModelIndex index = w_->indexAt(point);
        if (!index.isValid())
            return ControlBinding::modelPoint(point);
        const int x = start(index.column(), model_.fixedCols, model_.leftCol, model_.colCount(),
                            [this](int c) { return model_.colWidth(c); });
        const int y = start(index.row(), model_.fixedRows, model_.topRow, model_.rowCount(),
                            [this](int) { return model_.defaultRowHeight(); });
        if (x < 0 || y < 0)
            return ControlBinding::modelPoint(point);
        const QPoint centre(x + model_.colWidth(index.column()) / 2, y + model_.defaultRowHeight() / 2);
        int col = -1;
        int row = -1;
        model_.mouseToCell(centre.x(), centre.y(), col, row);
        return col == index.column() && row == index.row() ? centre : ControlBinding::modelPoint(point);
    }

private:
    template <class Size> static int start(int target, int fixed, int first, int count, Size size)
    {
        int edge = 0;
        for (int i = 0; i < fixed && i < count; ++i) {
            if (i == target)
                return edge;
            edge += size(i) + 1;
        }
        for (int i = std::max(first, fixed); i < count; ++i) {
            if (i == target)
                return edge;
            edge += size(i) + 1;
        }
        return -1;
    }

    bool isFixed(int col, int row) const { return col < model_.fixedCols || row < model_.fixedRows; }

    // The first cells shown, for the model's hit test: a grid without fixed
    // columns starts at column 0, not at the model's default 1.
    void syncFirstCells() const
    {
        model_.leftCol = std::max(model_.fixedCols, w_->horizontalScrollBar()->value());
        model_.topRow = std::max(model_.fixedRows, w_->verticalScrollBar()->value());
    }

    void applySize()
    {
        if (w_->columnCount() != model_.colCount())
            w_->setColumnCount(model_.colCount());
        if (w_->rowCount() != model_.rowCount())
            w_->setRowCount(model_.rowCount());
        for (int c = 0; c < model_.colCount(); ++c) {
            const int width = columnWidth(c);
            if (w_->columnWidth(c) != width)
                w_->setColumnWidth(c, width);
        }
        const int height = std::max(impl().scale().toPixels(model_.defaultRowHeight()), w_->fontMetrics().height() + 2);
        if (w_->verticalHeader()->defaultSectionSize() != height)
            w_->verticalHeader()->setDefaultSectionSize(height);
    }

    // The space the delegate leaves on each side of a cell's text.
    int cellMargin() const { return w_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w_) + 1; }

    // The column's design width in pixels, grown to show its fixed cells
    // whole, and its short cells (the marks "[y]" and " _ " of a marked
    // word list, numbers) whole too. Long words may still be cut.
    int columnWidth(int col) const
    {
        const QFontMetrics metrics = w_->fontMetrics();
        int need = 0;
        for (int r = 0; r < model_.rowCount(); ++r) {
            const std::string& text = model_.cell(col, r);
            if (text.empty())
                continue;
            const QString shown = qs(text);
            if (isFixed(col, r) || shown.size() <= ShortCell)
                need = std::max(need, metrics.horizontalAdvance(shown));
        }
        const int design = impl().scale().toPixels(model_.colWidth(col));
        return need > 0 ? std::max(design, need + 2 * cellMargin() + 1) : design;
    }

    static constexpr int ShortCell = 4;

    void applyCells()
    {
        applySize();
        const QBrush fixedBrush = model_.fixedColor != framework::ColorDefault ? QBrush(qcolor(model_.fixedColor))
                                                                               : w_->palette().brush(QPalette::Button);
        const Qt::ItemFlags cellFlags =
            Qt::ItemIsEnabled | Qt::ItemIsSelectable | (model_.editing ? Qt::ItemIsEditable : Qt::NoItemFlags);
        for (int r = 0; r < model_.rowCount(); ++r) {
            for (int c = 0; c < model_.colCount(); ++c) {
                QTableWidgetItem* item = w_->item(r, c);
                if (!item) {
                    item = new QTableWidgetItem;
                    w_->setItem(r, c, item);
                }
                const QString text = qs(model_.cell(c, r));
                if (item->text() != text)
                    item->setText(text);
                const bool fixed = isFixed(c, r);
                const Qt::ItemFlags flags = fixed ? Qt::ItemIsEnabled : cellFlags;
                if (item->flags() != flags)
                    item->setFlags(flags);
                const QBrush background = fixed ? fixedBrush : QBrush();
                if (item->background() != background)
                    item->setBackground(background);
            }
        }
        editingShown_ = model_.editing;
        fixedColorShown_ = model_.fixedColor;
        fixedColsShown_ = model_.fixedCols;
        fixedRowsShown_ = model_.fixedRows;
    }

    void cellEdited(QTableWidgetItem* item)
    {
        if (impl().applying())
            return;
        Suppress echo(*this, aspect(Prop::Cells));
        impl().dispatch([&] { model_.setCell(item->column(), item->row(), str(item->text())); });
    }

    void currentChanged(int col, int row)
    {
        // The fixed cells never become the current cell.
        if (impl().applying() || col < 0 || row < 0 || isFixed(col, row))
            return;
        Suppress echo(*this, aspect(Prop::Selection));
        impl().dispatch([&] { model_.setCurrentCell(col, row); });
    }

    bool editingShown_ = false;
    int fixedColorShown_ = framework::ColorDefault;
    int fixedColsShown_ = -1;
    int fixedRowsShown_ = -1;
};

// ---------------------------------------------------------------- TreeView

class TreeBinding;

constexpr int NodeRole = Qt::UserRole + 1;

framework::TreeNode* nodeOfIndex(const QModelIndex& index)
{
    return reinterpret_cast<framework::TreeNode*>(index.data(NodeRole).value<quintptr>());
}

// Drag and drop stay inside the tree and only ask the model: the drop
// handler moves the nodes and the tree is rebuilt from the model. Qt never
// moves an item itself. The drag follows the mouse inside the tree (press,
// move past the drag distance, release) instead of going through the
// platform's drag and drop, which a node can never leave the tree by anyway;
// every move while dragging is a drag-over, the release a drop when the last
// drag-over accepted it, Escape cancels.
class TreeWidget : public Bound<QTreeWidget> {
public:
    using Bound<QTreeWidget>::Bound;
    TreeBinding* tree = nullptr;
    bool dragging() const { return dragging_; }

protected:
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void endDrag();
    bool pressed_ = false;
    bool dragging_ = false;
    bool accepted_ = false;
    QPoint pressPos_;

    friend class TreeBinding;
};

// Paints each node's text in the colour the model's nodeFontColor gives.
class NodeColorDelegate : public QStyledItemDelegate {
public:
    NodeColorDelegate(TreeBinding& tree, QObject* parent) : QStyledItemDelegate(parent), tree_(tree) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    TreeBinding& tree_;
};

class TreeBinding : public WidgetBinding<framework::TreeView, TreeWidget> {
public:
    TreeBinding(BinderImpl& impl, framework::TreeView& model, ControlBinding* parent)
        : WidgetBinding(impl, model, parent)
    {
        w_->tree = this;
        w_->setColumnCount(1);
        w_->setHeaderHidden(true);
        w_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        w_->setSelectionMode(QAbstractItemView::SingleSelection);
        w_->setItemDelegate(new NodeColorDelegate(*this, w_));
        w_->setDragDropOverwriteMode(false);
        w_->setDropIndicatorShown(false);
        w_->setDefaultDropAction(Qt::MoveAction);

        listen(*this, w_, &QTreeWidget::currentItemChanged,
               [this](QTreeWidgetItem* current, QTreeWidgetItem*) { currentChanged(current); });
        listen(*this, w_, &QTreeWidget::itemExpanded, [this](QTreeWidgetItem* item) { expandedChanged(item, true); });
        listen(*this, w_, &QTreeWidget::itemCollapsed, [this](QTreeWidgetItem* item) { expandedChanged(item, false); });
        listen(*this, w_->verticalScrollBar(), &QScrollBar::valueChanged, [this](int value) { scrolled(value); });

        model_.hitTester = [alive = impl.alive(), this](int x, int y) {
            return *alive ? hitTest(x, y) : framework::TreeHit{};
        };
    }

    void detachModel() override
    {
        model_.hitTester = nullptr;
        ControlBinding::detachModel();
    }

    void applyOptions() override
    {
        w_->setIndentation(impl().scale().toPixels(model_.indent));
        // The tree drags by itself (TreeWidget); Qt's drag stays off.
        w_->setDragEnabled(false);
        w_->setAcceptDrops(false);
        w_->setDragDropMode(QAbstractItemView::NoDragDrop);
        applyPalette();
    }

    framework::TreeView& model() const { return model_; }
    bool nodesPending() const { return dirty & aspect(Prop::Nodes); }
    // Before the user touches the items, they must be the model's.
    void syncNodes()
    {
        if (nodesPending())
            impl().flushBinding(*this);
    }

    int32_t nodeColor(const QModelIndex& index) const
    {
        if (!usable() || nodesPending() || !model_.nodeFontColor)
            return framework::ColorDefault;
        framework::TreeNode* node = nodeOfIndex(index);
        if (!node)
            return framework::ColorDefault;
        try {
            return model_.nodeFontColor(*node);
        } catch (...) {
            // Painting never reports; the handler's error shows elsewhere.
            return framework::ColorDefault;
        }
    }

    // x and y in design units.
    framework::TreeHit hitTest(int designX, int designY)
    {
        syncNodes();
        const int x = impl().scale().toPixels(designX);
        const int y = impl().scale().toPixels(designY);
        framework::TreeHit hit;
        QWidget* viewport = w_->viewport();
        if (y < 0) {
            hit.kind = framework::TreeHitKind::Above;
            return hit;
        }
        if (y >= viewport->height()) {
            hit.kind = framework::TreeHitKind::Below;
            return hit;
        }
        QTreeWidgetItem* item = w_->itemAt(QPoint(std::max(x, 0), y));
        if (!item)
            return hit; // below the last item
        hit.node = nodeOf(item);
        const QRect rect = w_->visualItemRect(item);
        if (x < rect.left()) {
            const bool onButton = item->childCount() > 0 && x >= rect.left() - w_->indentation();
            hit.kind = onButton ? framework::TreeHitKind::OnButton : framework::TreeHitKind::OnIndent;
            return hit;
        }
        const int margin = w_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w_) + 1;
        int textLeft = rect.left() + margin;
        if (!item->icon(0).isNull()) {
            const int iconWidth = w_->iconSize().width();
            if (x < textLeft + iconWidth) {
                hit.kind = framework::TreeHitKind::OnIcon;
                return hit;
            }
            textLeft += iconWidth + margin;
        }
        const QFontMetrics metrics(item->font(0).resolve(w_->font()));
        const int textRight = textLeft + metrics.horizontalAdvance(item->text(0)) + margin;
        hit.kind = x < textRight ? framework::TreeHitKind::OnLabel : framework::TreeHitKind::OnRight;
        return hit;
    }

    framework::TreeNode* nodeOf(QTreeWidgetItem* item) const
    {
        return item ? reinterpret_cast<framework::TreeNode*>(item->data(0, NodeRole).value<quintptr>()) : nullptr;
    }

    QTreeWidgetItem* itemOf(const framework::TreeNode* node) const
    {
        auto it = items_.find(node);
        return it == items_.end() ? nullptr : it->second;
    }

    // A drag-over at a point of the viewport; whether a drop there is taken.
    bool dragMoved(QPoint pixels)
    {
        const QPoint pos = impl().scale().toDesign(pixels);
        bool accept = false;
        if (model_.onDragOver) {
            framework::TreeView* model = &model_;
            impl().dispatch([model, pos, &accept] {
                auto handler = model->onDragOver;
                if (handler)
                    handler(model, pos.x(), pos.y(), accept);
            });
        }
        // The handler may have scrolled the tree.
        applyScroll();
        return accept;
    }

    void dropped(QPoint pixels)
    {
        const QPoint pos = impl().scale().toDesign(pixels);
        framework::TreeView* model = &model_;
        impl().post(*this, [this, model, pos] {
            impl().dispatch([model, pos] {
                auto handler = model->onDragDrop;
                if (handler)
                    handler(model, pos.x(), pos.y());
            });
        });
    }

    bool autoDrag() const { return model_.autoDrag; }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Nodes))
            applyNodes();
        if (aspects & (aspect(Prop::Nodes) | aspect(Prop::Selection)))
            applySelection(aspects & aspect(Prop::Selection));
        if (aspects & (aspect(Prop::Nodes) | aspect(Prop::Scroll)))
            applyScroll();
        // Node colours depend on the program's state, which nothing
        // announces: any change of the tree repaints them.
        w_->viewport()->update();
    }
    QPalette::ColorRole backgroundRole() const override { return QPalette::Base; }
    QPalette::ColorRole foregroundRole() const override { return QPalette::Text; }
    bool fillsBackground() const override { return false; }
    void adjustPalette(QPalette& palette) const override
    {
        if (!model_.hideSelection) {
            const QPalette standard = w_->style()->standardPalette();
            palette.setColor(QPalette::Inactive, QPalette::Highlight,
                             standard.color(QPalette::Active, QPalette::Highlight));
            palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                             standard.color(QPalette::Active, QPalette::HighlightedText));
        }
    }

private:
    // Whether the items mirror the model's nodes one to one.
    bool sameStructure(QTreeWidgetItem* parentItem, const framework::TreeNode* parentNode) const
    {
        const int count = parentNode ? parentNode->childCount() : model_.rootCount();
        const int itemCount = parentItem ? parentItem->childCount() : w_->topLevelItemCount();
        if (count != itemCount)
            return false;
        for (int i = 0; i < count; ++i) {
            const framework::TreeNode* node = parentNode ? parentNode->child(i) : model_.root(i);
            QTreeWidgetItem* item = parentItem ? parentItem->child(i) : w_->topLevelItem(i);
            if (nodeOf(item) != node || !sameStructure(item, node))
                return false;
        }
        return true;
    }

    QTreeWidgetItem* makeItem(framework::TreeNode* node)
    {
        auto* item = new QTreeWidgetItem(QStringList(qs(node->text())));
        item->setData(0, NodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
        items_[node] = item;
        for (int i = 0; i < node->childCount(); ++i)
            item->addChild(makeItem(node->child(i)));
        return item;
    }

    void applyNodes()
    {
        const bool updates = w_->updatesEnabled();
        w_->setUpdatesEnabled(false);
        if (!sameStructure(nullptr, nullptr)) {
            // Pointers of deleted nodes may come back for new ones: the map
            // is rebuilt, never trusted across a structure change.
            items_.clear();
            w_->clear();
            QList<QTreeWidgetItem*> roots;
            for (int i = 0; i < model_.rootCount(); ++i)
                roots << makeItem(model_.root(i));
            w_->addTopLevelItems(roots);
        }
        for (auto& [node, item] : items_) {
            const QString text = qs(node->text());
            if (item->text(0) != text)
                item->setText(0, text);
            if (item->childCount() > 0 && item->isExpanded() != node->expanded)
                item->setExpanded(node->expanded);
        }
        w_->setUpdatesEnabled(updates);
        w_->doItemsLayout();
    }

    // A node the model selects is scrolled into view, opening its parents;
    // one restored after a rebuild is not.
    void applySelection(bool reveal)
    {
        QTreeWidgetItem* item = itemOf(model_.selected());
        if (w_->currentItem() == item)
            return;
        if (item) {
            // The view scrolls to a new current item by itself (and opens
            // its parents) unless told not to.
            const bool autoScroll = w_->hasAutoScroll();
            w_->setAutoScroll(reveal);
            w_->setCurrentItem(item);
            w_->setAutoScroll(autoScroll);
            if (reveal)
                w_->scrollToItem(item);
        } else {
            w_->setCurrentItem(nullptr);
            w_->clearSelection();
        }
    }

    void applyScroll()
    {
        // Scrolling by whole items: the scroll bar's value is the index of
        // the first visible row.
        QScrollBar* bar = w_->verticalScrollBar();
        if (bar->value() != model_.topIndex())
            bar->setValue(model_.topIndex());
    }

    void currentChanged(QTreeWidgetItem* current)
    {
        if (impl().applying())
            return;
        framework::TreeNode* node = nodeOf(current);
        if (node == model_.selected())
            return;
        {
            Suppress echo(*this, aspect(Prop::Selection));
            impl().dispatch([&] { model_.setSelected(node); });
        }
        postEvent(&framework::Control::onChange);
    }

    void expandedChanged(QTreeWidgetItem* item, bool expanded)
    {
        if (framework::TreeNode* node = nodeOf(item))
            node->expanded = expanded;
    }

    void scrolled(int value)
    {
        if (impl().applying())
            return;
        Suppress echo(*this, aspect(Prop::Scroll));
        impl().dispatch([&] { model_.setTopIndex(value); });
    }

    std::unordered_map<const framework::TreeNode*, QTreeWidgetItem*> items_;
};

void NodeColorDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const int32_t color = tree_.nodeColor(index);
    if (color != framework::ColorDefault)
        option->palette.setColor(QPalette::Text, qcolor(color));
}

bool TreeWidget::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        if (tree && tree->usable())
            tree->syncNodes();
        break;
    default:
        break;
    }
    return Bound<QTreeWidget>::viewportEvent(event);
}

void TreeWidget::keyPressEvent(QKeyEvent* event)
{
    if (dragging_ && event->key() == Qt::Key_Escape) {
        endDrag();
        event->accept();
        return;
    }
    if (tree && tree->usable())
        tree->syncNodes();
    Bound<QTreeWidget>::keyPressEvent(event);
}

void TreeWidget::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton && itemAt(event->position().toPoint());
    pressPos_ = event->position().toPoint();
    Bound<QTreeWidget>::mousePressEvent(event);
}

void TreeWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!dragging_ && pressed_ && (event->buttons() & Qt::LeftButton) && tree && tree->usable() && tree->autoDrag() &&
        (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        dragging_ = true;
        setCursor(Qt::DragMoveCursor);
    }
    if (!dragging_) {
        Bound<QTreeWidget>::mouseMoveEvent(event);
        return;
    }
    EventScope scope(tree->impl());
    accepted_ = tree->dragMoved(pos);
    setCursor(accepted_ ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    event->accept();
}

void TreeWidget::mouseReleaseEvent(QMouseEvent* event)
{
    pressed_ = false;
    if (!dragging_) {
        Bound<QTreeWidget>::mouseReleaseEvent(event);
        return;
    }
    const bool drop = accepted_;
    endDrag();
    event->accept();
    if (drop && tree && tree->usable()) {
        EventScope scope(tree->impl());
        tree->dropped(event->position().toPoint());
    }
}

void TreeWidget::endDrag()
{
    dragging_ = false;
    accepted_ = false;
    unsetCursor();
}

} // namespace

void addListBindings(BindingFactories& table)
{
    addBinding<framework::CheckListBox, CheckListBinding>(table);
    addBinding<framework::StringGrid, GridBinding>(table);
    addBinding<framework::TreeView, TreeBinding>(table);
}

} // namespace ui::detail
