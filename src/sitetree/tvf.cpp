#include "sitetree/tvf.h"

#include "framework/errors.h"
#include "platform/text_store.h"

using framework::TreeNode;
using framework::TreeView;

namespace sitetree {

void readTvf(TreeView& tree, const std::vector<std::string>& lines)
{
    tree.beginUpdate();
    struct EndUpdate {
        TreeView& tree;
        ~EndUpdate() { tree.endUpdate(); }
    } end{tree};
    tree.clear();
    // path[level] is the last node read at that level.
    std::vector<TreeNode*> path;
    int lineNumber = 0;
    for (const auto& line : lines) {
        ++lineNumber;
        size_t indent = 0;
        while (indent < line.size() && (line[indent] == '\t' || line[indent] == ' '))
            ++indent;
        const std::string text = line.substr(indent);
        size_t level = path.empty() ? 0 : indent;
        if (level > path.size()) {
            throw framework::InvalidLevelError("Invalid level (" + std::to_string(level) + ") for item \"" + text +
                                               "\" in line " + std::to_string(lineNumber));
        }
        TreeNode* parent = level == 0 ? nullptr : path[level - 1];
        TreeNode* node = tree.addChild(parent, text);
        path.resize(level);
        path.push_back(node);
    }
}

std::vector<std::string> writeTvf(const TreeView& tree)
{
    std::vector<std::string> lines;
    for (const TreeNode* node : tree.allNodes())
        lines.push_back(std::string(static_cast<size_t>(node->level()), '\t') + node->text());
    return lines;
}

void loadTvfFile(TreeView& tree, const platform::fs::path& path)
{
    readTvf(tree, platform::loadLines(path));
}

void saveTvfFile(const TreeView& tree, const platform::fs::path& path)
{
    platform::saveLines(path, writeTvf(tree));
}

} // namespace sitetree
