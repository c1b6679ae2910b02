#pragma once
// Text helpers of the HTTP client: form encoding, Base64 for the Basic
// authorization header, and a list of "Name: value" lines.

#include <string>
#include <string_view>
#include <vector>

namespace net {

// Form encoding as the update server expects it: a blank becomes "+",
// ASCII letters and digits stay, every other byte becomes "%xx" with
// lower-case hex digits.
std::string urlEncode(std::string_view text);
// The reverse: "+" becomes a blank, "%xx" the byte; a "%" not followed by
// two hex digits stays as it is.
std::string urlDecode(std::string_view text);

std::string base64Encode(std::string_view data);

// Lines of "Name<separator>value", looked up by name without regard to
// case. With ':' as separator (the default, for reply headers) the blanks
// after the separator are not part of the value.
class HeaderList {
public:
    explicit HeaderList(char separator = ':') : separator_(separator) {}

    // Splits text at "\r\n" or "\n"; an empty last line is dropped.
    void setText(std::string_view text);
    // Every line followed by "\r\n".
    std::string text() const;

    std::vector<std::string>& lines() { return lines_; }
    const std::vector<std::string>& lines() const { return lines_; }
    std::size_t size() const { return lines_.size(); }

    // Index of the first line with this name, -1 when there is none.
    int IndexOfName(std::string_view name) const;
    std::string Name(std::size_t index) const;
    std::string Value(std::size_t index) const;
    // Value of the first line with this name; empty when there is none.
    std::string GetValue(std::string_view name) const;
    // Replaces the first line with this name, or appends one; an empty
    // value deletes the line.
    void SetValue(std::string_view name, std::string_view value);

private:
    char separator_;
    std::vector<std::string> lines_;
};

} // namespace net
