#pragma once
// Text stores: whole files as lists of lines. CR LF, CR or LF end a line on
// read; CR LF follows every line on write.

#include <string>
#include <string_view>
#include <vector>

#include "framework/text_util.h"
#include "platform/files.h"

namespace platform {

using framework::joinLines;
using framework::splitLines;

// Throws framework::FileError "Cannot open file \"path\". No such file or
// directory" when the file does not exist.
std::vector<std::string> loadLines(const fs::path& path);
// Atomic save in the program's write code page.
void saveLines(const fs::path& path, const std::vector<std::string>& lines);

} // namespace platform
