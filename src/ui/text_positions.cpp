#include "ui/qt_keywords.h"

#include "ui/text_positions.h"

#include <algorithm>

#include "platform/text_codec.h"

namespace ui {

namespace {

// The bytes of the character at pos: a byte that starts no well-formed
// sequence counts as one character, as Qt's decoder replaces it by one.
size_t characterBytes(const std::string& text, size_t pos)
{
    return std::max<size_t>(platform::utf8SequenceLength(text, pos), 1);
}

// UTF-16 units of the characters that start in the first `bytes` bytes.
int utf16Units(const std::string& text, size_t bytes)
{
    bytes = std::min(bytes, text.size());
    int units = 0;
    size_t i = 0;
    while (i < bytes) {
        const size_t length = characterBytes(text, i);
        units += length == 4 ? 2 : 1;
        i += length;
    }
    return units;
}

// Bytes of the first `units` UTF-16 units of a line (the whole line when it
// is shorter).
size_t utf8Bytes(const std::string& text, int units)
{
    size_t i = 0;
    while (i < text.size() && units > 0) {
        const size_t length = characterBytes(text, i);
        units -= length == 4 ? 2 : 1;
        i += length;
    }
    return std::min(i, text.size());
}

} // namespace

int documentPosition(const std::vector<std::string>& lines, int byteOffset)
{
    if (byteOffset <= 0)
        return 0;
    const size_t offset = static_cast<size_t>(byteOffset);
    size_t lineStart = 0;
    int position = 0;
    for (const auto& line : lines) {
        if (offset <= lineStart + line.size())
            return position + utf16Units(line, offset - lineStart);
        const int lineUnits = utf16Units(line, line.size());
        if (offset < lineStart + line.size() + 2)
            return position + lineUnits;
        lineStart += line.size() + 2;
        position += lineUnits + 1;
    }
    return position;
}

int modelOffset(const std::vector<std::string>& lines, int position)
{
    if (position <= 0)
        return 0;
    size_t lineStart = 0;
    int remaining = position;
    for (const auto& line : lines) {
        const int lineUnits = utf16Units(line, line.size());
        if (remaining <= lineUnits)
            return static_cast<int>(lineStart + utf8Bytes(line, remaining));
        remaining -= lineUnits + 1;
        lineStart += line.size() + 2;
    }
    return static_cast<int>(lineStart);
}

} // namespace ui
