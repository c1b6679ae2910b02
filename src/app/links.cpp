#include "app/links.h"

#include "framework/text_util.h"

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
