#pragma once
// The tree files: one node per line in depth-first order, one TAB per level
// of depth before the text. Reading also accepts blanks as indentation.

#include <string>
#include <vector>

#include "framework/tree_view.h"
#include "platform/files.h"

namespace sitetree {

// Replaces the tree by the lines. The first line is always a top-level
// node; a line more than one level deeper than the one before it raises
// framework::InvalidLevelError, and the nodes read so far stay.
void readTvf(framework::TreeView& tree, const std::vector<std::string>& lines);
std::vector<std::string> writeTvf(const framework::TreeView& tree);

// Whole files (text store rules: any line end on read, CR LF on write).
void loadTvfFile(framework::TreeView& tree, const platform::fs::path& path);
void saveTvfFile(const framework::TreeView& tree, const platform::fs::path& path);

} // namespace sitetree
