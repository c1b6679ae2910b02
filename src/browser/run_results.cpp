#include "browser/run_results.h"

#include <algorithm>
#include <cstdio>

#include "platform/text_codec.h"

namespace results {

namespace {

std::string twoDigits(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string oneDecimal(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// Text that is not valid UTF-8 (a page or file in another code page)
// keeps its valid characters; each bad byte becomes U+FFFD.
std::string validUtf8(const std::string& text)
{
    if (platform::isValidUtf8(text))
        return text;
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const size_t length = byte < 0x80 ? 1 : (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3 : (byte & 0xF8) == 0xF0 ? 4 : 0;
        if (length > 0 && i + length <= text.size() && platform::isValidUtf8(std::string_view(text).substr(i, length))) {
            out.append(text, i, length);
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

std::string csvField(const std::string& text)
{
    const std::string value = validUtf8(text);
    if (value.find_first_of(",\"\r\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : validUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string joined(const std::vector<Link>& links, bool addresses, const char* separator)
{
    std::string text;
    for (size_t i = 0; i < links.size(); ++i) {
        if (i > 0)
            text += separator;
        text += addresses ? links[i].address : links[i].text;
    }
    return text;
}

std::string lowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// "http" or "https" and the host of an address (lower case, without port
// and credentials); empty host when it is no web address.
struct WebAddress {
    std::string scheme;
    std::string host;
};

WebAddress webAddress(const std::string& address)
{
    const size_t colon = address.find("://");
    if (colon == std::string::npos)
        return {};
    WebAddress result{lowerAscii(address.substr(0, colon)), ""};
    if (result.scheme != "http" && result.scheme != "https")
        return {};
    const size_t start = colon + 3;
    const size_t end = std::min(address.find_first_of("/?#", start), address.size());
    std::string authority = address.substr(start, end - start);
    if (const size_t at = authority.rfind('@'); at != std::string::npos)
        authority.erase(0, at + 1);
    if (!authority.empty() && authority.front() == '[') {
        result.host = lowerAscii(authority.substr(0, authority.find(']') + 1));
    } else {
        result.host = lowerAscii(authority.substr(0, authority.find(':')));
    }
    return result;
}

std::string withoutFragment(const std::string& address) { return address.substr(0, address.find('#')); }

const char* const CsvHeader = "number,entry,query,state,passes,seconds,final address,title,links,link texts\r\n";

}  // namespace

const char* stateName(EntryState state)
{
    switch (state) {
    case EntryState::Waiting:
        return "waiting";
    case EntryState::Running:
        return "running";
    case EntryState::Done:
        return "done";
    case EntryState::GivenUp:
        return "given up";
    case EntryState::LeftOut:
        return "left out";
    case EntryState::Blocked:
        return "blocked";
    }
    return "";
}

std::string isoTime(const DateTime& time)
{
    return std::to_string(time.year) + "-" + twoDigits(time.month) + "-" + twoDigits(time.day) + "T" +
           twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second);
}

Tally tally(const RunRecord& run)
{
    Tally counts;
    for (const auto& entry : run.entries) {
        switch (entry.state) {
        case EntryState::Done:
            ++counts.done;
            break;
        case EntryState::GivenUp:
            ++counts.givenUp;
            break;
        case EntryState::LeftOut:
            ++counts.leftOut;
            break;
        case EntryState::Blocked:
            ++counts.blocked;
            break;
        default:
            ++counts.other;
        }
    }
    return counts;
}

std::string toCsv(const RunRecord& run)
{
    std::string csv = "\xEF\xBB\xBF";
    csv += CsvHeader;
    for (const auto& entry : run.entries) {
        csv += std::to_string(entry.number) + "," + csvField(entry.entry) + "," + csvField(entry.query) + "," +
               stateName(entry.state) + "," + std::to_string(entry.passes) + "," + oneDecimal(entry.seconds) + "," +
               csvField(entry.finalAddress) + "," + csvField(entry.title) + "," +
               csvField(joined(entry.links, true, "\n")) + "," + csvField(joined(entry.links, false, "\n")) + "\r\n";
    }
    return csv;
}

std::string toJson(const RunRecord& run)
{
    std::string json = "{\n";
    auto field = [&json](const char* name, const std::string& value, const char* indent = "  ") {
        json += std::string(indent) + "\"" + name + "\": " + value + ",\n";
    };
    field("started", jsonString(isoTime(run.started)));
    field("theme", jsonString(run.theme));
    field("mode", jsonString(run.mode));
    field("page", jsonString(run.page));
    field("siteName", jsonString(run.siteName));
    field("site", jsonString(run.site));
    field("formName", jsonString(run.formName));
    field("inputName", jsonString(run.inputName));
    field("category", jsonString(run.category));
    field("pacing", jsonString(run.pacing));
    field("tryTime", std::to_string(run.tryTime));
    field("startTab", std::to_string(run.startTab));
    json += "  \"entries\": [";
    for (size_t i = 0; i < run.entries.size(); ++i) {
        const EntryRecord& entry = run.entries[i];
        json += i == 0 ? "\n" : ",\n";
        json += "    {\n";
        const char* in = "      ";
        field("number", std::to_string(entry.number), in);
        field("entry", jsonString(entry.entry), in);
        field("query", jsonString(entry.query), in);
        field("state", jsonString(stateName(entry.state)), in);
        field("passes", std::to_string(entry.passes), in);
        field("seconds", oneDecimal(entry.seconds), in);
        field("finalAddress", jsonString(entry.finalAddress), in);
        field("title", jsonString(entry.title), in);
        json += "      \"links\": [";
        for (size_t k = 0; k < entry.links.size(); ++k)
            json += std::string(k == 0 ? "\n" : ",\n") + "        {\"address\": " + jsonString(entry.links[k].address) +
                    ", \"text\": " + jsonString(entry.links[k].text) + "}";
        json += entry.links.empty() ? "]\n" : "\n      ]\n";
        json += "    }";
    }
    json += run.entries.empty() ? "]\n" : "\n  ]\n";
    json += "}\n";
    return json;
}

std::string fileStem(const RunRecord& run)
{
    const DateTime& t = run.started;
    std::string stem = std::to_string(t.year) + "-" + twoDigits(t.month) + "-" + twoDigits(t.day) + "_" +
                       twoDigits(t.hour) + twoDigits(t.minute) + twoDigits(t.second);
    std::string theme;
    for (const char c : validUtf8(run.theme)) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unfit = byte < 0x20 || byte == 0x7F || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
        theme += unfit ? '_' : c;
    }
    const size_t first = theme.find_first_not_of(' ');
    theme = first == std::string::npos ? "" : theme.substr(first, theme.find_last_not_of(' ') - first + 1);
    if (theme.size() > 80) {
        size_t cut = 80;
        while (cut > 0 && (static_cast<unsigned char>(theme[cut]) & 0xC0) == 0x80)
            --cut;
        theme.resize(cut);
        theme.erase(theme.find_last_not_of(' ') + 1);
    }
    // "." and ".." alone would name folders.
    if (theme == "." || theme == "..")
        theme = "_";
    return theme.empty() ? stem : stem + "_" + theme;
}

platform::fs::path saveRun(const RunRecord& run, const platform::fs::path& folder)
{
    platform::createFolder(folder);
    const std::string stem = fileStem(run);
    for (int n = 1;; ++n) {
        const std::string name = n == 1 ? stem : stem + "_" + std::to_string(n);
        const platform::fs::path csv = folder / (name + ".csv");
        const platform::fs::path json = folder / (name + ".json");
        if (platform::fileExists(csv) || platform::fileExists(json))
            continue;
        platform::atomicWrite(json, toJson(run));
        platform::atomicWrite(csv, toCsv(run));
        return csv;
    }
}

void exportRun(const RunRecord& run, const platform::fs::path& path)
{
    const bool json = lowerAscii(path.extension().string()) == ".json";
    platform::atomicWrite(path, json ? toJson(run) : toCsv(run));
}

std::string toTabSeparated(const RunRecord& run)
{
    auto cell = [](std::string text) {
        for (char& c : text)
            if (c == '\t' || c == '\r' || c == '\n')
                c = ' ';
        return text;
    };
    std::string text = "number\tentry\tquery\tstate\tpasses\tseconds\tfinal address\ttitle\tlinks\n";
    for (const auto& entry : run.entries)
        text += std::to_string(entry.number) + "\t" + cell(entry.entry) + "\t" + cell(entry.query) + "\t" +
                stateName(entry.state) + "\t" + std::to_string(entry.passes) + "\t" + oneDecimal(entry.seconds) + "\t" +
                cell(entry.finalAddress) + "\t" + cell(entry.title) + "\t" + cell(joined(entry.links, true, " ")) +
                "\n";
    return text;
}

std::vector<Link> selectResultLinks(const std::vector<Link>& all, const std::string& siteAddress,
                                    const std::string& pageAddress, bool customSelector, int max)
{
    std::vector<Link> chosen;
    if (max <= 0)
        return chosen;
    // The host alone decides what belongs to the site: a port of its own
    // does not make a page of the same host another site.
    const std::string siteHost = webAddress(siteAddress).host;
    const std::string page = withoutFragment(pageAddress);
    for (const Link& link : all) {
        if (static_cast<int>(chosen.size()) >= max)
            break;
        if (lowerAscii(link.address.substr(0, 11)) == "javascript:")
            continue;
        if (link.address.find('#') != std::string::npos && withoutFragment(link.address) == page)
            continue;
        if (!customSelector) {
            const WebAddress target = webAddress(link.address);
            if (target.host.empty() || target.host == siteHost)
                continue;
        }
        const bool repeated = std::any_of(chosen.begin(), chosen.end(),
                                          [&](const Link& seen) { return seen.address == link.address; });
        if (!repeated)
            chosen.push_back(link);
    }
    return chosen;
}

}  // namespace results
