#include "platform/text_store.h"

#include "framework/errors.h"
#include "platform/text_codec.h"

namespace platform {

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
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

}  // namespace platform
