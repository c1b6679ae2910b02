#include "app/extraction.h"

namespace vantrel {

std::string substringAt(const std::string& text, long long p, long long n)
{
    const auto length = static_cast<long long>(text.size());
    if (p < 1 || p > length || n < 0)
        return {};
    return text.substr(static_cast<size_t>(p - 1), static_cast<size_t>(n));
}

namespace {
// substringAt(text, p, key length) == key, without building the piece.
bool matchesAt(const std::string& text, long long p, const std::string& key)
{
    const auto length = static_cast<long long>(text.size());
    if (p < 1 || p > length)
        return key.empty();
    return text.compare(static_cast<size_t>(p - 1), key.size(), key) == 0 &&
           length - (p - 1) >= static_cast<long long>(key.size());
}

// The position of the first match as the front and rear tools find it, or
// -1 when there is none.
long long frontMatch(const std::string& text, const std::string& key)
{
    const auto length = static_cast<long long>(text.size());
    for (long long p = 0; p < length; ++p)
        if (matchesAt(text, p, key))
            return p;
    return -1;
}
} // namespace

std::string extractFront(const std::string& text, const std::string& key)
{
    const long long p = frontMatch(text, key);
    return p < 0 ? std::string() : substringAt(text, 1, p - 1);
}

std::string extractRear(const std::string& text, const std::string& key)
{
    const long long p = frontMatch(text, key);
    if (p < 0)
        return {};
    const auto length = static_cast<long long>(text.size());
    return substringAt(text, p + static_cast<long long>(key.size()), length - p + 1);
}

std::string extractRange(const std::string& text, const std::string& front, const std::string& rear)
{
    const auto length = static_cast<long long>(text.size());
    const auto nF = static_cast<long long>(front.size());
    long long start = 0;
    long long end = 0;
    for (long long i = 0; i <= length; ++i) {
        if (matchesAt(text, i, front)) {
            start = i + nF;
            break;
        }
    }
    for (long long j = start; j <= length; ++j) {
        if (matchesAt(text, j, rear)) {
            end = j;
            break;
        }
    }
    return substringAt(text, start, end - start);
}

} // namespace vantrel
