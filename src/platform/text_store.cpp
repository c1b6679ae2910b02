#include "platform/text_store.h"

#include "framework/errors.h"
#include "platform/text_codec.h"

namespace platform {

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    const size_t size = text.size();
    size_t start = 0;
    while (start < size) {
        // A plain loop: find_first_of with two characters searches the set
        // once per byte of text, several times slower on long files.
        size_t end = start;
        while (end < size && text[end] != '\r' && text[end] != '\n') {
            ++end;
        }
        lines.emplace_back(text.substr(start, end - start));
        if (end == size) {
            break;
        }
        start = end + 1;
        if (text[end] == '\r' && start < size && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    size_t size = 0;
    for (const std::string& line : lines) {
        size += line.size() + 2;
    }
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> loadLines(const fs::path& path)
{
    const std::optional<std::string> bytes = readFileBytes(path);
    if (!bytes) {
        throw framework::FileError("Cannot open file \"" + pathText(path) + "\". No such file or directory");
    }
    return splitLines(decodeFileText(*bytes));
}

void saveLines(const fs::path& path, const std::vector<std::string>& lines)
{
    atomicWrite(path, encodeFileText(joinLines(lines), writeCodePage()));
}

} // namespace platform
