#include "framework/tree_view.h"

#include <algorithm>

namespace framework {

// -------------------------------------------------------------- TreeNode

void TreeNode::setText(const std::string& value)
{
    if (text_ == value)
        return;
    text_ = value;
    tree_->changedNodes();
}

TreeNode* TreeNode::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return children_[static_cast<size_t>(index)].get();
}

int TreeNode::index() const
{
    const auto& siblings = parent_ ? parent_->children_ : tree_->roots_;
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this)
            return static_cast<int>(i);
    return -1;
}

int TreeNode::level() const
{
    int depth = 0;
    for (const TreeNode* p = parent_; p; p = p->parent_)
        ++depth;
    return depth;
}

namespace {
// A node and everything below it, without recursion.
int subtreeSize(const TreeNode& node)
{
    int size = 1;
    std::vector<const TreeNode*> pending{&node};
    while (!pending.empty()) {
        const TreeNode* next = pending.back();
        pending.pop_back();
        size += next->childCount();
        for (int i = 0; i < next->childCount(); ++i)
            pending.push_back(next->child(i));
    }
    return size;
}
} // namespace

int TreeNode::absoluteIndex() const
{
    // Nodes before this one: the subtrees of the earlier siblings of this
    // node and of each ancestor, plus the ancestors themselves.
    int before = 0;
    const TreeNode* node = this;
    while (node) {
        const auto& siblings = node->parent_ ? node->parent_->children_ : tree_->roots_;
        for (const auto& sibling : siblings) {
            if (sibling.get() == node)
                break;
            before += subtreeSize(*sibling);
        }
        node = node->parent_;
        if (node)
            ++before;
    }
    return before;
}

bool TreeNode::isDescendantOf(const TreeNode* other) const
{
    for (const TreeNode* p = parent_; p; p = p->parent_)
        if (p == other)
            return true;
    return false;
}

// -------------------------------------------------------------- TreeView

TreeView::TreeView(Form* owner, std::string name, Control* parent) : Control(owner, std::move(name), parent)
{
}

TreeView::~TreeView() = default;

void TreeView::changedNodes()
{
    if (updateDepth_ > 0) {
        pendingChange_ = true;
        return;
    }
    notify(Prop::Nodes);
}

void TreeView::beginUpdate()
{
    ++updateDepth_;
}

void TreeView::endUpdate()
{
    if (updateDepth_ > 0 && --updateDepth_ == 0 && pendingChange_) {
        pendingChange_ = false;
        notify(Prop::Nodes);
    }
}

TreeNode* TreeView::root(int index) const
{
    if (index < 0 || index >= rootCount())
        return nullptr;
    return roots_[static_cast<size_t>(index)].get();
}

// The nodes in depth-first order, entering a node's children when
// enter(node) holds. Iterative: deep trees do not grow the stack.
template <class Enter> std::vector<TreeNode*> TreeView::walk(Enter enter) const
{
    std::vector<TreeNode*> out;
    std::vector<std::pair<const std::vector<std::unique_ptr<TreeNode>>*, size_t>> stack;
    stack.push_back({&roots_, 0});
    while (!stack.empty()) {
        auto& [list, pos] = stack.back();
        if (pos >= list->size()) {
            stack.pop_back();
            continue;
        }
        TreeNode* node = (*list)[pos++].get();
        out.push_back(node);
        if (!node->children_.empty() && enter(*node))
            stack.push_back({&node->children_, 0});
    }
    return out;
}

std::vector<TreeNode*> TreeView::allNodes() const
{
    return walk([](const TreeNode&) { return true; });
}

int TreeView::count() const
{
    return static_cast<int>(allNodes().size());
}

TreeNode* TreeView::nodeAt(int absoluteIndex) const
{
    if (absoluteIndex < 0)
        return nullptr;
    int remaining = absoluteIndex;
    const std::vector<std::unique_ptr<TreeNode>>* list = &roots_;
    while (true) {
        bool descended = false;
        for (const auto& node : *list) {
            if (remaining == 0)
                return node.get();
            const int size = subtreeSize(*node);
            if (remaining < size) {
                remaining -= 1;
                list = &node->children_;
                descended = true;
                break;
            }
            remaining -= size;
        }
        if (!descended)
            return nullptr;
    }
}

void TreeView::setSelected(TreeNode* node)
{
    update(selected_, node, Prop::Selection);
}

std::vector<std::unique_ptr<TreeNode>>& TreeView::siblingsOf(TreeNode* parent)
{
    return parent ? parent->children_ : roots_;
}

TreeNode* TreeView::addChild(TreeNode* parent, const std::string& text)
{
    auto& list = siblingsOf(parent);
    list.push_back(std::unique_ptr<TreeNode>(new TreeNode(this, parent, text)));
    changedNodes();
    return list.back().get();
}

TreeNode* TreeView::addChildFirst(TreeNode* parent, const std::string& text)
{
    auto& list = siblingsOf(parent);
    list.insert(list.begin(), std::unique_ptr<TreeNode>(new TreeNode(this, parent, text)));
    changedNodes();
    return list.front().get();
}

TreeNode* TreeView::add(TreeNode* sibling, const std::string& text)
{
    return addChild(sibling ? sibling->parent_ : nullptr, text);
}

TreeNode* TreeView::insert(TreeNode* before, const std::string& text)
{
    if (!before)
        return addChild(nullptr, text);
    auto& list = siblingsOf(before->parent_);
    const int at = before->index();
    auto it = list.insert(list.begin() + at, std::unique_ptr<TreeNode>(new TreeNode(this, before->parent_, text)));
    changedNodes();
    return it->get();
}

bool TreeView::moveTo(TreeNode* node, TreeNode* target, NodeAttach mode)
{
    if (!node || node == target || (target && target->isDescendantOf(node)))
        return false;
    TreeNode* newParent = nullptr;
    switch (mode) {
    case NodeAttach::AddChild:
    case NodeAttach::AddChildFirst:
        newParent = target;
        break;
    case NodeAttach::Add:
    case NodeAttach::AddFirst:
    case NodeAttach::Insert:
        newParent = target ? target->parent_ : nullptr;
        break;
    }
    auto& from = siblingsOf(node->parent_);
    const int at = node->index();
    std::unique_ptr<TreeNode> owned = std::move(from[static_cast<size_t>(at)]);
    from.erase(from.begin() + at);
    owned->parent_ = newParent;
    auto& to = siblingsOf(newParent);
    switch (mode) {
    case NodeAttach::AddChild:
    case NodeAttach::Add:
        to.push_back(std::move(owned));
        break;
    case NodeAttach::AddChildFirst:
    case NodeAttach::AddFirst:
        to.insert(to.begin(), std::move(owned));
        break;
    case NodeAttach::Insert:
        to.insert(to.begin() + (target ? target->index() : static_cast<int>(to.size())), std::move(owned));
        break;
    }
    changedNodes();
    return true;
}

void TreeView::deleteNode(TreeNode* node)
{
    if (!node)
        return;
    if (selected_ && (selected_ == node || selected_->isDescendantOf(node))) {
        selected_ = nullptr;
        notify(Prop::Selection);
    }
    auto& list = siblingsOf(node->parent_);
    list.erase(list.begin() + node->index());
    changedNodes();
}

void TreeView::clear()
{
    if (selected_) {
        selected_ = nullptr;
        notify(Prop::Selection);
    }
    roots_.clear();
    topIndex_ = 0;
    changedNodes();
}

void TreeView::setTopIndex(int value)
{
    value = std::max(0, std::min(value, std::max(0, static_cast<int>(visibleRows().size()) - 1)));
    if (value == topIndex_)
        return;
    topIndex_ = value;
    notify(Prop::Scroll);
}

void TreeView::scrollLines(int delta)
{
    setTopIndex(topIndex_ + delta);
}

std::vector<TreeNode*> TreeView::visibleRows() const
{
    return walk([](const TreeNode& node) { return node.expanded; });
}

TreeHit TreeView::hitTest(int x, int y) const
{
    if (hitTester)
        return hitTester(x, y);
    // Without a widget: rows of rowHeight from topIndex, each indented by
    // its level; the icon is not drawn, so the label starts at the indent.
    TreeHit hit;
    if (y < 0)
        return hit;
    const auto rows = visibleRows();
    const int row = topIndex_ + y / std::max(1, rowHeight);
    if (row >= static_cast<int>(rows.size()))
        return hit;
    hit.node = rows[static_cast<size_t>(row)];
    const int labelStart = (hit.node->level() + 1) * indent;
    const int labelEnd = labelStart + 8 * static_cast<int>(hit.node->text().size()) + 8;
    if (x < labelStart)
        hit.kind = TreeHitKind::OnIndent;
    else if (x < labelEnd)
        hit.kind = TreeHitKind::OnLabel;
    else
        hit.kind = TreeHitKind::OnRight;
    return hit;
}

TreeNode* TreeView::nodeAtPoint(int x, int y) const
{
    return hitTest(x, y).node;
}

} // namespace framework
