#include "platform/ini_file.h"

#include <cstdint>
#include <exception>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "framework/convert.h"
#include "framework/text_util.h"
#include "platform/text_codec.h"
#include "platform/text_store.h"

namespace platform {

namespace {

using framework::asciiLower;
using framework::equalsIgnoringAsciiCase;

struct CaseInsensitiveHash {
    size_t operator()(std::string_view text) const
    {
        uint64_t hash = 14695981039346656037ull; // FNV-1a
        for (const char c : text) {
            hash = (hash ^ static_cast<unsigned char>(asciiLower(c))) * 1099511628211ull;
        }
        return static_cast<size_t>(hash);
    }
};

struct CaseInsensitiveEqual {
    bool operator()(std::string_view a, std::string_view b) const { return equalsIgnoringAsciiCase(a, b); }
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

// The value as the profile functions return it: blanks trimmed, then one
// pair of matching quotes removed.
std::string parseValue(std::string_view text)
{
    text = trimBlanks(text);
    if (text.size() >= 2 && isQuote(text.front()) && text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    return std::string(text);
}

// Values are single lines: a line break inside one would end the value and
// turn the rest into a line of its own.
std::string singleLine(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return text;
}

// Section and key names as they are looked up and written: one line,
// without the blanks that reading trims anyway.
std::string normalizeName(const std::string& name)
{
    return std::string(trimBlanks(singleLine(name)));
}

// The value as written to the file, quoted when parseValue would otherwise
// change it on the way back in.
std::string fileValue(const std::string& value)
{
    if (value.empty()) {
        return value;
    }
    const bool needsQuotes =
        isBlank(value.front()) || isBlank(value.back()) || (isQuote(value.front()) && isQuote(value.back()));
    return needsQuotes ? "\"" + value + "\"" : value;
}

} // namespace

// One line of the file. Lines that are not keys (comments, blank lines,
// text without '=') are kept word for word so a save does not disturb them.
struct IniFile::Entry {
    std::string line;  // as written to the file
    std::string key;   // the key name as spelled in the file
    std::string value; // the value as read (trimmed, unquoted, not cut)
    bool isKey = false;
};

struct IniFile::Section {
    std::string name;
    std::string headerLine;
    // False only for the lines before the first section header, which hold
    // no readable keys but must survive a save.
    bool hasHeader = true;
    std::vector<Entry> entries;
    // Blank lines between the section's last entry and the next header:
    // new keys go before them so the visual gap between sections stays.
    std::vector<std::string> trailingBlanks;
    // Key name -> index in entries of its first occurrence, which is the
    // one that reads see.
    std::unordered_map<std::string, size_t, CaseInsensitiveHash, CaseInsensitiveEqual> keyIndex;

    void rebuildIndex()
    {
        keyIndex.clear();
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].isKey) {
                keyIndex.emplace(entries[i].key, i);
            }
        }
    }

    const Entry* findKey(const std::string& key) const
    {
        const auto found = keyIndex.find(key);
        return found == keyIndex.end() ? nullptr : &entries[found->second];
    }
};

IniFile::IniFile(fs::path path) : path_(std::move(path))
{
    sections_.emplace_back();
    sections_.back().hasHeader = false;

    const std::optional<std::string> bytes = readFileBytes(path_);
    if (!bytes) {
        return;
    }
    std::vector<std::string> pendingBlanks;
    for (std::string& line : splitLines(decodeFileText(*bytes))) {
        const std::string_view trimmed = trimBlanks(line);
        if (trimmed.empty()) {
            pendingBlanks.push_back(std::move(line));
            continue;
        }
        if (trimmed.front() == '[') {
            sections_.back().trailingBlanks = std::move(pendingBlanks);
            pendingBlanks.clear();
            const size_t close = trimmed.find(']');
            const std::string_view name =
                close == std::string_view::npos ? trimmed.substr(1) : trimmed.substr(1, close - 1);
            Section& section = sections_.emplace_back();
            section.name = std::string(trimBlanks(name));
            section.headerLine = std::move(line);
            continue;
        }

        Section& section = sections_.back();
        for (std::string& blank : pendingBlanks) {
            section.entries.push_back(Entry{std::move(blank), {}, {}, false});
        }
        pendingBlanks.clear();

        Entry entry;
        const size_t equals = line.find('=');
        if (trimmed.front() != ';' && equals != std::string::npos) {
            const std::string_view view = line;
            entry.isKey = true;
            entry.key = std::string(trimBlanks(view.substr(0, equals)));
            entry.value = parseValue(view.substr(equals + 1));
            section.keyIndex.emplace(entry.key, section.entries.size()); // keeps the first
        }
        entry.line = std::move(line);
        section.entries.push_back(std::move(entry));
    }
    sections_.back().trailingBlanks = std::move(pendingBlanks);
}

IniFile::~IniFile()
{
    if (!dirty_) {
        return;
    }
    try {
        flush();
    } catch (const std::exception& e) {
        reportFailure(e.what());
    }
}

IniFile::Section* IniFile::findSection(const std::string& name)
{
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

const IniFile::Section* IniFile::findSection(const std::string& name) const
{
    for (const Section& section : sections_) {
        if (section.hasHeader && equalsIgnoringAsciiCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

std::string IniFile::readString(const std::string& section, const std::string& key, const std::string& fallback) const
{
    const Section* found = findSection(normalizeName(section));
    const Entry* entry = found ? found->findKey(normalizeName(key)) : nullptr;
    if (!entry) {
        return fallback;
    }
    if (entry->value.size() <= MaxValueBytes) {
        return entry->value;
    }
    // The profile functions hand back at most MaxValueBytes; cut at a
    // character boundary so the result stays valid UTF-8.
    size_t cut = MaxValueBytes;
    while (cut > 0 && (static_cast<unsigned char>(entry->value[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return entry->value.substr(0, cut);
}

int IniFile::readInteger(const std::string& section, const std::string& key, int fallback) const
{
    // The same rules as StrToInt everywhere else in the program: blanks
    // around the number, a sign, decimal or "$"/"0x" hexadecimal digits.
    int value = 0;
    return framework::TryStrToInt(readString(section, key, std::string()), value) ? value : fallback;
}

bool IniFile::readBool(const std::string& section, const std::string& key, bool fallback) const
{
    int value = 0;
    return framework::TryStrToInt(readString(section, key, std::string()), value) ? value != 0 : fallback;
}

void IniFile::writeString(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string sectionName = normalizeName(section);
    const std::string keyName = normalizeName(key);
    std::string text = singleLine(value);

    Section* target = findSection(sectionName);
    if (!target) {
        target = &sections_.emplace_back();
        target->name = sectionName;
        target->headerLine = "[" + sectionName + "]";
    }
    const auto found = target->keyIndex.find(keyName);
    if (found != target->keyIndex.end()) {
        Entry& entry = target->entries[found->second];
        if (entry.value == text) {
            return; // the file already reads back this value
        }
        entry.line = entry.key + "=" + fileValue(text);
        entry.value = std::move(text);
    } else {
        target->keyIndex.emplace(keyName, target->entries.size());
        target->entries.push_back(Entry{keyName + "=" + fileValue(text), keyName, std::move(text), true});
    }
    dirty_ = true;
}

void IniFile::writeInteger(const std::string& section, const std::string& key, int value)
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(const std::string& section, const std::string& key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

bool IniFile::sectionExists(const std::string& section) const
{
    return findSection(normalizeName(section)) != nullptr;
}

bool IniFile::valueExists(const std::string& section, const std::string& key) const
{
    const Section* found = findSection(normalizeName(section));
    return found && found->findKey(normalizeName(key));
}

std::vector<std::string> IniFile::sections() const
{
    std::vector<std::string> names;
    std::unordered_set<std::string_view, CaseInsensitiveHash, CaseInsensitiveEqual> seen;
    for (const Section& section : sections_) {
        if (section.hasHeader && seen.insert(section.name).second) {
            names.push_back(section.name);
        }
    }
    return names;
}

std::vector<std::string> IniFile::keys(const std::string& section) const
{
    std::vector<std::string> names;
    const Section* found = findSection(normalizeName(section));
    if (!found) {
        return names;
    }
    for (size_t i = 0; i < found->entries.size(); ++i) {
        const Entry& entry = found->entries[i];
        if (entry.isKey && found->keyIndex.at(entry.key) == i) {
            names.push_back(entry.key);
        }
    }
    return names;
}

void IniFile::eraseSection(const std::string& section)
{
    // Every section of that name goes, not only the first, so that
    // sectionExists says false afterwards.
    const std::string name = normalizeName(section);
    const auto erased = std::erase_if(
        sections_, [&](const Section& s) { return s.hasHeader && equalsIgnoringAsciiCase(s.name, name); });
    if (erased > 0) {
        dirty_ = true;
    }
}

void IniFile::deleteKey(const std::string& section, const std::string& key)
{
    Section* found = findSection(normalizeName(section));
    if (!found) {
        return;
    }
    // Repeated lines of the key go too, or the next one would become the
    // value that reads see.
    const std::string name = normalizeName(key);
    const auto erased = std::erase_if(
        found->entries, [&](const Entry& entry) { return entry.isKey && equalsIgnoringAsciiCase(entry.key, name); });
    if (erased > 0) {
        found->rebuildIndex();
        dirty_ = true;
    }
}

void IniFile::flush()
{
    if (!dirty_) {
        return;
    }
    size_t size = 0;
    for (const Section& section : sections_) {
        size += section.headerLine.size() + 2;
        for (const Entry& entry : section.entries) {
            size += entry.line.size() + 2;
        }
        for (const std::string& blank : section.trailingBlanks) {
            size += blank.size() + 2;
        }
    }
    std::string text;
    text.reserve(size);
    for (const Section& section : sections_) {
        if (section.hasHeader) {
            text += section.headerLine;
            text += "\r\n";
        }
        for (const Entry& entry : section.entries) {
            text += entry.line;
            text += "\r\n";
        }
        for (const std::string& blank : section.trailingBlanks) {
            text += blank;
            text += "\r\n";
        }
    }
    // A failed save is the caller's error: the release does not try the
    // same writes again, which would report the one failure twice (the
    // caller's error box and the release's report).
    dirty_ = false;
    atomicWrite(path_, encodeFileText(text, writeCodePage()));
}

} // namespace platform
