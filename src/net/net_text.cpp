#include "net/net_text.h"

#include "framework/text_util.h"

namespace net {

std::string urlEncode(std::string_view text)
{
    std::string result;
    result.reserve(text.size() * 3);
    framework::appendPercentEncoded(result, text, framework::isAsciiAlnum, framework::Blank::Plus, true);
    return result;
}

std::string urlDecode(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            result += ' ';
        } else if (c == '%' && i + 2 < text.size() && framework::hexDigitValue(text[i + 1]) >= 0 &&
                   framework::hexDigitValue(text[i + 2]) >= 0) {
            result +=
                static_cast<char>(framework::hexDigitValue(text[i + 1]) * 16 + framework::hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            result += c;
        }
    }
    return result;
}

std::string base64Encode(std::string_view data)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string result;
    result.reserve((data.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                           (static_cast<unsigned char>(data[i + 1]) << 8) | static_cast<unsigned char>(data[i + 2]);
        result += alphabet[(v >> 18) & 63];
        result += alphabet[(v >> 12) & 63];
        result += alphabet[(v >> 6) & 63];
        result += alphabet[v & 63];
    }
    const std::size_t rest = data.size() - i;
    if (rest > 0) {
        unsigned v = static_cast<unsigned char>(data[i]) << 16;
        if (rest == 2)
            v |= static_cast<unsigned char>(data[i + 1]) << 8;
        result += alphabet[(v >> 18) & 63];
        result += alphabet[(v >> 12) & 63];
        result += rest == 2 ? alphabet[(v >> 6) & 63] : '=';
        result += '=';
    }
    return result;
}

void HeaderList::setText(std::string_view text)
{
    lines_.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines_.emplace_back(line);
        start = end + 1;
    }
}

std::string HeaderList::text() const
{
    std::string result;
    for (const auto& line : lines_)
        result += line + "\r\n";
    return result;
}

std::string HeaderList::Name(std::size_t index) const
{
    const std::string& line = lines_.at(index);
    const std::size_t pos = line.find(separator_);
    return pos == std::string::npos ? std::string() : line.substr(0, pos);
}

std::string HeaderList::Value(std::size_t index) const
{
    const std::string& line = lines_.at(index);
    std::size_t pos = line.find(separator_);
    if (pos == std::string::npos)
        return {};
    ++pos;
    if (separator_ == ':')
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
    return line.substr(pos);
}

int HeaderList::IndexOfName(std::string_view name) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        const std::size_t pos = line.find(separator_);
        if (pos != std::string::npos && framework::equalsIgnoringAsciiCase(std::string_view(line).substr(0, pos), name))
            return static_cast<int>(i);
    }
    return -1;
}

std::string HeaderList::GetValue(std::string_view name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : Value(static_cast<std::size_t>(index));
}

void HeaderList::SetValue(std::string_view name, std::string_view value)
{
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0)
            lines_.erase(lines_.begin() + index);
        return;
    }
    std::string line(name);
    line += separator_;
    if (separator_ == ':')
        line += ' ';
    line += value;
    if (index >= 0)
        lines_[static_cast<std::size_t>(index)] = line;
    else
        lines_.push_back(line);
}

} // namespace net
