#pragma once
// Byte-wise string helpers shared by the windows.

#include <string>
#include <string_view>
#include <vector>

namespace framework {

// A text as lines: CR LF, CR or LF ends a line; a final line break ends the
// last line and adds no empty line after it.
std::vector<std::string> splitLines(std::string_view text);
// Every line followed by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

// The value of a hexadecimal digit (either case), or -1.
inline int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

inline bool isAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

enum class Blank { Escaped, Plus };

// Appends text with each byte keep(byte) refuses written as "%XX" (hex
// digits in the case asked for); with Blank::Plus a refused blank is '+'.
// The one percent encoder behind form bodies, search addresses and links.
template <class Keep>
void appendPercentEncoded(std::string& out, std::string_view text, Keep keep, Blank blank = Blank::Escaped,
                          bool lowerHex = false)
{
    const char* const digits = lowerHex ? "0123456789abcdef" : "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (keep(byte)) {
            out += c;
        } else if (c == ' ' && blank == Blank::Plus) {
            out += '+';
        } else {
            out += '%';
            out += digits[byte >> 4];
            out += digits[byte & 0x0F];
        }
    }
}

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
