#include "platform/text_store.h"

#include "framework/errors.h"
#include "platform/text_codec.h"

namespace platform {

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
