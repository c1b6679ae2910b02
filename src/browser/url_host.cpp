#include "browser/url_host.h"

#include "framework/text_util.h"

namespace runs {

Host hostOf(std::string_view address)
{
    while (!address.empty() && static_cast<unsigned char>(address.front()) <= 0x20)
        address.remove_prefix(1);
    const size_t start = address.find("://");
    if (start == std::string_view::npos)
        return {};
    std::string_view authority = address.substr(start + 3);
    authority = authority.substr(0, authority.find_first_of("/\\?#"));
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    std::string_view name;
    std::string_view rest;
    if (authority.starts_with('[')) {
        // An unclosed bracket names no host.
        const size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return {};
        name = authority.substr(0, close + 1);
        rest = authority.substr(close + 1);
    } else {
        const size_t colon = authority.find(':');
        name = authority.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : authority.substr(colon);
    }
    if (name.ends_with('.'))
        name.remove_suffix(1);
    Host host;
    host.name = framework::lowerAscii(name);
    if (rest.starts_with(':'))
        host.port = std::string(rest.substr(1));
    return host;
}

} // namespace runs
