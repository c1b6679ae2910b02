#pragma once
// Positions in a memo's text as the model and as Qt count them. The model
// counts bytes of its text(): UTF-8, every line followed by CR LF. A Qt
// document counts UTF-16 units, with one separator between lines and none
// after the last.

#include <string>
#include <vector>

namespace ui {

// The document position of a byte offset into the model's text. An offset
// inside a line break is the end of its line; an offset past the last line
// break is the start of the (empty) line after it.
int documentPosition(const std::vector<std::string>& lines, int byteOffset);

// The byte offset into the model's text of a document position; a position
// past the last line is the end of the text.
int modelOffset(const std::vector<std::string>& lines, int position);

} // namespace ui
