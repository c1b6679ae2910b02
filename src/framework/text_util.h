#pragma once
// Byte-wise string helpers shared by the windows.

#include <string>
#include <vector>

namespace framework {

// Every occurrence of from replaced by to, left to right, in one pass over
// the text (the replacement is not searched again). An empty from changes
// nothing.
std::string replaceAll(const std::string& text, const std::string& from, const std::string& to);

inline bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Whether some item holds part: the lists treat a name that is part of a
// listed name as listed.
inline bool anyContains(const std::vector<std::string>& items, const std::string& part)
{
    for (const auto& item : items)
        if (contains(item, part))
            return true;
    return false;
}

}  // namespace framework
