#include "app/links.h"

#include <vector>

#include "framework/text_util.h"
#include "platform/text_codec.h"

namespace vantrel {

using framework::startsWithIgnoringAsciiCase;

namespace {

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

bool isWebAddress(std::string_view text)
{
    size_t rest;
    if (startsWithIgnoringAsciiCase(text, "http://"))
        rest = 7;
    else if (startsWithIgnoringAsciiCase(text, "https://"))
        rest = 8;
    else
        return false;
    if (rest == text.size() || text.find_first_of("/\\?#", rest) == rest)
        return false;
    for (const char c : text) {
        if (isControl(c))
            return false;
    }
    return true;
}

bool isMailAddress(std::string_view text)
{
    const size_t at = text.find('@');
    if (at == 0 || at == std::string_view::npos || at + 1 == text.size() ||
        text.find('@', at + 1) != std::string_view::npos)
        return false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || byte >= 0x80 ||
                           c == '.' || c == '-' || c == '_' || c == '+' || c == '@';
        if (!plain)
            return false;
    }
    return true;
}

} // namespace vantrel

namespace vantrel {

namespace {

// Characters that do not show, or that turn the text around them.
bool hiddenOrTurning(char32_t cp)
{
    return cp < 0xA1 || cp == 0xAD || cp == 0x061C || cp == 0x1680 || (cp >= 0x180B && cp <= 0x180E) ||
           (cp >= 0x2000 && cp <= 0x200F) || (cp >= 0x2028 && cp <= 0x202F) || (cp >= 0x205F && cp <= 0x206F) ||
           cp == 0x3000 || cp == 0x3164 || cp == 0xFEFF || cp == 0xFFA0 || (cp >= 0xFFF0 && cp <= 0xFFFF) ||
           (cp >= 0xE0000 && cp <= 0xE0FFF);
}

} // namespace

std::string readableAddress(std::string_view address)
{
    std::string out;
    out.reserve(address.size());
    size_t i = 0;
    while (i < address.size()) {
        // A run of escapes of bytes beyond ASCII.
        std::string bytes;
        size_t end = i;
        while (end + 2 < address.size() && address[end] == '%') {
            const int high = framework::hexDigitValue(address[end + 1]);
            const int low = framework::hexDigitValue(address[end + 2]);
            if (high < 8 || low < 0)
                break;
            bytes += static_cast<char>(high * 16 + low);
            end += 3;
        }
        if (bytes.empty()) {
            out += address[i++];
            continue;
        }
        const std::optional<std::u32string> points = platform::utf8CodePoints(bytes);
        bool readable = points.has_value();
        for (char32_t cp : points.value_or(std::u32string()))
            readable = readable && !hiddenOrTurning(cp);
        if (readable)
            out += bytes;
        else
            out.append(address.substr(i, end - i));
        i = end;
    }
    return out;
}

std::string addressOfReadable(std::string_view readable)
{
    size_t from = 0;
    if (const size_t scheme = readable.find("://"); scheme != std::string_view::npos) {
        from = readable.find_first_of("/?#", scheme + 3);
        if (from == std::string_view::npos)
            return std::string(readable);
    }
    std::string out(readable.substr(0, from));
    framework::appendPercentEncoded(out, readable.substr(from), [](unsigned char c) { return c < 0x80; });
    return out;
}

} // namespace vantrel
