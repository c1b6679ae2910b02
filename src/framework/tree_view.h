#pragma once
// Tree view model: nodes with a text each, in depth-first display order.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"

namespace framework {

class TreeView;

class TreeNode {
public:
    const std::string& text() const { return text_; }
    void setText(const std::string& value);
    TreeNode* parent() const { return parent_; }
    int childCount() const { return static_cast<int>(children_.size()); }
    TreeNode* child(int index) const;
    bool hasChildren() const { return !children_.empty(); }
    // Index among its siblings.
    int index() const;
    int level() const;
    // Depth-first index in the whole tree.
    int absoluteIndex() const;
    bool isDescendantOf(const TreeNode* other) const;
    bool expanded = true;

private:
    friend class TreeView;
    TreeNode(TreeView* tree, TreeNode* parent, std::string text) : tree_(tree), parent_(parent), text_(std::move(text))
    {
    }
    TreeView* tree_;
    TreeNode* parent_;
    std::string text_;
    std::vector<std::unique_ptr<TreeNode>> children_;
};

// Where a point of the tree lies, as the drop rules need it.
enum class TreeHitKind { Nowhere, OnLabel, OnIcon, OnIndent, OnButton, OnRight, Above, Below };

struct TreeHit {
    TreeNode* node = nullptr;
    TreeHitKind kind = TreeHitKind::Nowhere;
};

enum class NodeAttach { AddChild, AddChildFirst, Add, AddFirst, Insert };

class TreeView : public Control {
public:
    TreeView(Form* owner, std::string name, Control* parent);
    ~TreeView() override;

    int rootCount() const { return static_cast<int>(roots_.size()); }
    TreeNode* root(int index) const;
    // All nodes, depth first.
    int count() const;
    TreeNode* nodeAt(int absoluteIndex) const;
    std::vector<TreeNode*> allNodes() const;

    TreeNode* selected() const { return selected_; }
    void setSelected(TreeNode* node);

    // Last child of parent (last top-level node when parent is null).
    TreeNode* addChild(TreeNode* parent, const std::string& text);
    TreeNode* addChildFirst(TreeNode* parent, const std::string& text);
    // Last sibling of node (last top-level node when node is null).
    TreeNode* add(TreeNode* sibling, const std::string& text);
    // Before node (last top-level node when node is null).
    TreeNode* insert(TreeNode* before, const std::string& text);
    // Moves node with its subtree; refuses (returns false) a move onto the
    // node itself or one of its descendants.
    bool moveTo(TreeNode* node, TreeNode* target, NodeAttach mode);
    void deleteNode(TreeNode* node);
    void clear();

    // Replace the whole tree in one change (used by file loads).
    void beginUpdate();
    void endUpdate();

    // Scrolling: index of the first visible row, kept by the binding.
    int topIndex() const { return topIndex_; }
    void setTopIndex(int value);
    void scrollLines(int delta);

    int indent = 19;
    bool hotTrack = true;
    bool hideSelection = false;
    bool rightClickSelect = true;
    bool autoDrag = false;
    int rowHeight = 18;

    // Hit test of a client point; the binding installs one that asks the
    // real widget, the default uses rowHeight and indent.
    std::function<TreeHit(int x, int y)> hitTester;
    TreeHit hitTest(int x, int y) const;
    TreeNode* nodeAtPoint(int x, int y) const;

    // Drag and drop inside the tree: the binding fills the point.
    std::function<void(Control* source, int x, int y, bool& accept)> onDragOver;
    std::function<void(Control* source, int x, int y)> onDragDrop;

    // Custom drawing: colour of a node's text, ColorDefault for the default.
    std::function<int32_t(const TreeNode&)> nodeFontColor;

private:
    friend class TreeNode;
    void changedNodes();
    std::vector<std::unique_ptr<TreeNode>>& siblingsOf(TreeNode* parent);
    std::vector<TreeNode*> visibleRows() const;
    template <class Enter> std::vector<TreeNode*> walk(Enter enter) const;
    std::vector<std::unique_ptr<TreeNode>> roots_;
    TreeNode* selected_ = nullptr;
    int updateDepth_ = 0;
    bool pendingChange_ = false;
    int topIndex_ = 0;
};

} // namespace framework
