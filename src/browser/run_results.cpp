// The run's result records and their files. Every text that leaves here is
// valid UTF-8: page titles and link texts come from untrusted pages, and a
// CSV with a byte-order mark or a JSON file with one stray byte would not
// open at all in the programs meant to read them.

#include "browser/run_results.h"

#include "framework/text_util.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "framework/errors.h"
#include "platform/text_codec.h"

namespace results {

using framework::lowerAscii;

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at pos (no overlong forms,
// no surrogates, nothing past U+10FFFF), or 0.
size_t sequenceLength(std::string_view text, size_t pos)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - pos < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

// Each byte that does not start a well-formed sequence becomes U+FFFD.
std::string validUtf8(std::string_view text)
{
    if (platform::isValidUtf8(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = sequenceLength(text, pos);
        if (length == 0) {
            out += ReplacementCharacter;
            ++pos;
        } else {
            out.append(text, pos, length);
            pos += length;
        }
    }
    return out;
}

bool isKeptControl(char c)
{
    return c == '\t' || c == '\r' || c == '\n';
}

// Control characters other than tab, CR and LF dropped from valid UTF-8:
// a NUL or an escape from a page's title would reach whatever opens the
// file (a spreadsheet, a terminal's cat) as it is. The C1 controls
// (U+0080..U+009F) are C2 80..C2 9F.
std::string withoutControls(std::string text)
{
    const auto isControl = [&](size_t i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20) {
            return !isKeptControl(text[i]);
        }
        return byte == 0x7F || (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0);
    };
    size_t out = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (isControl(i)) {
            i += static_cast<unsigned char>(text[i]) == 0xC2 ? 1 : 0;
            continue;
        }
        text[out++] = text[i];
    }
    text.resize(out);
    return text;
}

// What a file cell may hold of a text: valid UTF-8 without stray controls.
std::string cellText(std::string_view text)
{
    return withoutControls(validUtf8(text));
}

// One decimal, never the locale's comma: Qt sets the C library's locale
// from the environment. A time that is not a number is written as 0.
std::string oneDecimal(double seconds)
{
    if (!std::isfinite(seconds)) {
        seconds = 0;
    }
    char buffer[400]; // room for the largest double in fixed notation
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

// Page text that a spreadsheet would run as a formula ("=HYPERLINK(...)",
// "@SUM(...)") gets a leading apostrophe, which spreadsheets read as "this
// is text". Only for the page's own texts (title, link texts): the user's
// entries and queries ("-word" excludes a word) are written as they are.
std::string guardFormula(std::string text)
{
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        text.insert(text.begin(), '\'');
    }
    return text;
}

// A line break inside one line of a multi-line field would shift the
// lines of the links and their texts against each other.
std::string oneLine(std::string_view text)
{
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return out;
}

std::string csvField(std::string_view text)
{
    const std::string valid = cellText(text);
    if (valid.find_first_of(",\"\r\n") == std::string::npos) {
        return valid;
    }
    std::string out = "\"";
    for (const char c : valid) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
    return out;
}

std::string linkAddressLines(const std::vector<Link>& links, std::string_view separator)
{
    std::string out;
    for (size_t i = 0; i < links.size(); ++i) {
        if (i > 0) {
            out += separator;
        }
        out += oneLine(links[i].address);
    }
    return out;
}

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : validUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", byte);
            out += buffer;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

// The scheme of an absolute address, lower case ("" when there is none).
// Browsers drop leading blanks and control characters before the scheme.
std::string schemeOf(std::string_view address)
{
    while (!address.empty() && static_cast<unsigned char>(address.front()) <= 0x20) {
        address.remove_prefix(1);
    }
    const size_t colon = address.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return {};
    }
    for (size_t i = 0; i < colon; ++i) {
        const char c = address[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) {
            return {};
        }
    }
    return lowerAscii(address.substr(0, colon));
}

std::string_view withoutFragment(std::string_view address)
{
    return address.substr(0, address.find('#'));
}

bool isIdeographicSpace(std::string_view text, size_t pos)
{
    return text.substr(pos, 3) == "\xE3\x80\x80";
}

// Blanks around a theme: ASCII blanks and the ideographic space (U+3000)
// that Japanese input leaves.
std::string_view trimBlanks(std::string_view text)
{
    for (;;) {
        if (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
            text.remove_prefix(1);
        } else if (isIdeographicSpace(text, 0)) {
            text.remove_prefix(3);
        } else {
            break;
        }
    }
    for (;;) {
        if (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
            text.remove_suffix(1);
        } else if (text.size() >= 3 && isIdeographicSpace(text, text.size() - 3)) {
            text.remove_suffix(3);
        } else {
            break;
        }
    }
    return text;
}

constexpr size_t MaxThemeBytes = 80;

// The theme as part of a file name that Linux and Windows both accept.
std::string themeForFileName(std::string_view theme)
{
    theme = trimBlanks(theme);
    std::string out;
    for (size_t pos = 0; pos < theme.size();) {
        const auto lead = static_cast<unsigned char>(theme[pos]);
        const size_t length = sequenceLength(theme, pos);
        std::string_view piece = theme.substr(pos, std::max<size_t>(length, 1));
        // C1 controls (U+0080..U+009F) are C2 80..C2 9F.
        const bool control = lead < 0x20 || lead == 0x7F ||
                             (length == 2 && lead == 0xC2 && static_cast<unsigned char>(theme[pos + 1]) < 0xA0);
        if (length == 0 || control || std::string_view("\\/:*?\"<>|").find(theme[pos]) != std::string_view::npos) {
            piece = "_";
        }
        if (out.size() + piece.size() > MaxThemeBytes) {
            break;
        }
        out += piece;
        pos += std::max<size_t>(length, 1);
    }
    // The cut may leave a blank at the end.
    return std::string(trimBlanks(out));
}

} // namespace

std::string secondsText(double seconds)
{
    return oneDecimal(seconds);
}

const char* stateName(EntryState state)
{
    // In the order of the states.
    static const char* const names[] = {"waiting",  "running", "done",   "given up",
                                        "left out", "blocked", "failed", "stopped"};
    static_assert(std::size(names) == EntryStateCount);
    const auto index = static_cast<size_t>(state);
    return index < std::size(names) ? names[index] : names[0];
}

std::string isoTime(const DateTime& time)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    return buffer;
}

std::array<int, EntryStateCount> stateCounts(const RunRecord& run)
{
    std::array<int, EntryStateCount> counts{};
    for (const EntryRecord& entry : run.entries)
        ++counts.at(static_cast<size_t>(entry.state));
    return counts;
}

Tally tally(const RunRecord& run)
{
    const auto counts = stateCounts(run);
    const auto of = [&](EntryState state) { return counts[static_cast<size_t>(state)]; };
    return {.done = of(EntryState::Done),
            .givenUp = of(EntryState::GivenUp),
            .leftOut = of(EntryState::LeftOut),
            .blocked = of(EntryState::Blocked),
            .failed = of(EntryState::Failed),
            .stopped = of(EntryState::Stopped),
            .other = of(EntryState::Waiting) + of(EntryState::Running)};
}

std::string toCsv(const RunRecord& run)
{
    std::string out = "\xEF\xBB\xBF"
                      "number,entry,query,state,passes,seconds,final address,title,links,link texts,reason,"
                      "form method,form action,form fields\r\n";
    for (const EntryRecord& entry : run.entries) {
        std::string texts;
        for (size_t i = 0; i < entry.links.size(); ++i) {
            if (i > 0) {
                texts += '\n';
            }
            texts += oneLine(cellText(entry.links[i].text));
        }
        out += std::to_string(entry.number) + ',' + csvField(entry.entry) + ',' + csvField(entry.query) + ',' +
               stateName(entry.state) + ',' + std::to_string(entry.passes) + ',' + oneDecimal(entry.seconds) + ',' +
               csvField(entry.finalAddress) + ',' + csvField(guardFormula(cellText(entry.title))) + ',' +
               csvField(linkAddressLines(entry.links, "\n")) + ',' + csvField(guardFormula(texts)) + ',' +
               csvField(guardFormula(cellText(entry.reason)));
        if (entry.submission) {
            // The action and the fields are the page's.
            out += ',' + csvField(entry.submission->method) + ',' +
                   csvField(guardFormula(cellText(entry.submission->action))) + ',' +
                   csvField(guardFormula(cellText(browserctl::encodeFormFields(entry.submission->fields))));
        } else {
            out += ",,,";
        }
        out += "\r\n";
    }
    return out;
}

std::string toJson(const RunRecord& run)
{
    std::string out = "{\n";
    const auto member = [&](std::string_view indent, std::string_view name, const std::string& value, bool last) {
        out += indent;
        out += jsonString(name);
        out += ": ";
        out += value;
        out += last ? "\n" : ",\n";
    };
    member("  ", "started", jsonString(isoTime(run.started)), false);
    member("  ", "theme", jsonString(run.theme), false);
    member("  ", "mode", jsonString(run.mode), false);
    member("  ", "page", jsonString(run.page), false);
    member("  ", "siteName", jsonString(run.siteName), false);
    member("  ", "site", jsonString(run.site), false);
    member("  ", "formName", jsonString(run.formName), false);
    member("  ", "inputName", jsonString(run.inputName), false);
    member("  ", "category", jsonString(run.category), false);
    member("  ", "pacing", jsonString(runs::pacingKey(run.pacing)), false);
    member("  ", "tryTime", std::to_string(run.tryTime), false);
    member("  ", "startTab", std::to_string(run.startTab), false);
    out += "  \"entries\": [";
    for (size_t e = 0; e < run.entries.size(); ++e) {
        const EntryRecord& entry = run.entries[e];
        out += e == 0 ? "\n    {\n" : ",\n    {\n";
        member("      ", "number", std::to_string(entry.number), false);
        member("      ", "entry", jsonString(entry.entry), false);
        member("      ", "query", jsonString(entry.query), false);
        member("      ", "state", jsonString(stateName(entry.state)), false);
        member("      ", "passes", std::to_string(entry.passes), false);
        member("      ", "seconds", oneDecimal(entry.seconds), false);
        member("      ", "finalAddress", jsonString(entry.finalAddress), false);
        member("      ", "title", jsonString(entry.title), false);
        out += "      \"links\": [";
        for (size_t i = 0; i < entry.links.size(); ++i) {
            out += i == 0 ? "\n" : ",\n";
            out += "        {\"address\": " + jsonString(entry.links[i].address) +
                   ", \"text\": " + jsonString(entry.links[i].text) + "}";
        }
        out += entry.links.empty() ? "],\n" : "\n      ],\n";
        member("      ", "reason", jsonString(entry.reason), false);
        out += "      \"submission\": ";
        if (const auto& sent = entry.submission) {
            out += "{\"method\": " + jsonString(sent->method) + ", \"action\": " + jsonString(sent->action) +
                   ", \"enctype\": " + jsonString(sent->enctype) + ", \"charset\": " + jsonString(sent->charset) +
                   ", \"fields\": [";
            for (size_t i = 0; i < sent->fields.size(); ++i)
                out += (i == 0 ? "[" : ", [") + jsonString(sent->fields[i].first) + ", " +
                       jsonString(sent->fields[i].second) + "]";
            out += "]}\n";
        } else {
            out += "null\n";
        }
        out += "    }";
    }
    out += run.entries.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::string fileStem(const RunRecord& run)
{
    const DateTime& t = run.started;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    std::string stem = buffer;
    const std::string theme = themeForFileName(run.theme);
    if (!theme.empty()) {
        stem += '_' + theme;
    }
    return stem;
}

platform::fs::path saveRun(const RunRecord& run, const platform::fs::path& folder)
{
    if (!platform::createFolder(folder)) {
        throw framework::FileError("Cannot create folder \"" + platform::pathText(folder) + "\".");
    }
    const std::string stem = fileStem(run);
    const std::string csvText = toCsv(run);
    const std::string jsonText = toJson(run);
    // A result pair is one name: a CSV of another run beside a free JSON
    // name still takes the next number, so the two files always belong
    // together. The CSV claims the name; two runs that end in the same
    // second with the same theme (two scheduled scripts) never both get it.
    for (int n = 1; n <= 10000; ++n) {
        const std::string name = n == 1 ? stem : stem + '_' + std::to_string(n);
        const platform::fs::path csv = folder / platform::textPath(name + ".csv");
        const platform::fs::path json = folder / platform::textPath(name + ".json");
        // A case variant is the same name on a folder shared with Windows.
        if (platform::fileExists(csv) || platform::fileExists(json)) {
            continue;
        }
        if (!platform::createNewFile(csv, csvText)) {
            continue;
        }
        bool paired = false;
        try {
            paired = platform::createNewFile(json, jsonText);
        } catch (...) {
            platform::deleteFile(csv);
            throw;
        }
        if (!paired) {
            // A JSON file of that name came meanwhile: give the name up.
            platform::deleteFile(csv);
            continue;
        }
        return csv;
    }
    throw framework::FileError("Cannot create file \"" + platform::pathText(folder / platform::textPath(stem)) +
                               ".csv\". Too many results of that name.");
}

void exportRun(const RunRecord& run, const platform::fs::path& path)
{
    const bool json = lowerAscii(platform::pathText(path.extension())) == ".json";
    platform::atomicWrite(path, json ? toJson(run) : toCsv(run));
}

std::string toTabSeparated(const RunRecord& run)
{
    const auto field = [](std::string_view text) {
        std::string out = cellText(text);
        std::replace_if(
            out.begin(), out.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
        return out;
    };
    std::string out = "number\tentry\tquery\tstate\tpasses\tseconds\tfinal address\ttitle\tlinks\treason\n";
    for (const EntryRecord& entry : run.entries) {
        out += std::to_string(entry.number) + '\t' + field(entry.entry) + '\t' + field(entry.query) + '\t' +
               stateName(entry.state) + '\t' + std::to_string(entry.passes) + '\t' + oneDecimal(entry.seconds) + '\t' +
               field(entry.finalAddress) + '\t' + guardFormula(field(entry.title)) + '\t' +
               field(linkAddressLines(entry.links, " ")) + '\t' + guardFormula(field(entry.reason)) + '\n';
    }
    return out;
}

std::vector<Link> selectResultLinks(const std::vector<Link>& all, const std::string& pageAddress, int max)
{
    std::vector<Link> chosen;
    if (max <= 0) {
        return chosen;
    }
    const std::string_view page = withoutFragment(pageAddress);
    for (const Link& link : all) {
        if (static_cast<int>(chosen.size()) >= max) {
            break;
        }
        if (link.address.empty() || schemeOf(link.address) == "javascript") {
            continue;
        }
        // A place in the page, or the page itself: never a result.
        if (withoutFragment(link.address) == page) {
            continue;
        }
        const bool seen =
            std::any_of(chosen.begin(), chosen.end(), [&](const Link& other) { return other.address == link.address; });
        if (!seen) {
            chosen.push_back(link);
        }
    }
    return chosen;
}

} // namespace results
