#pragma once
// Byte-wise string helpers shared by the windows.

#include <string>
#include <string_view>
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

// ASCII letters only: names of files, sections and keys, schemes and hosts
// are matched as the Windows program matched them, whatever the locale.
inline char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = asciiLower(c);
    return out;
}

inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

inline bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

} // namespace framework
