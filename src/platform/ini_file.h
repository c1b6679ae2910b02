#pragma once
// INI files with the semantics of the Windows profile functions: section
// and key names match without regard to ASCII case; a missing file, section
// or key gives the caller's default; values are single lines of at most
// 2047 bytes; blanks around a value are trimmed and one pair of surrounding
// quotes removed on read, so values that begin or end with a blank are
// written in double quotes and read back exactly.
//
// One object parses its file once, when it is opened, and writes it once,
// so a handler that reads and writes fifty keys touches the disk twice. A
// handler that writes ends with flush(), which raises when the save fails;
// what is still pending when the object is released (a handler that an
// exception cut short) is written then, and a failure there is reported
// (platform::reportFailure) instead of thrown.

#include <string>
#include <vector>

#include "platform/files.h"

namespace platform {

class IniFile {
public:
    explicit IniFile(fs::path path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const fs::path& path() const { return path_; }

    std::string readString(const std::string& section, const std::string& key, const std::string& fallback) const;
    // The default when the value is missing or not a whole number (read as
    // StrToInt does: decimal, or hexadecimal after "$" or "0x").
    int readInteger(const std::string& section, const std::string& key, int fallback) const;
    bool readBool(const std::string& section, const std::string& key, bool fallback) const;

    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, int value);
    void writeBool(const std::string& section, const std::string& key, bool value);

    bool sectionExists(const std::string& section) const;
    bool valueExists(const std::string& section, const std::string& key) const;
    std::vector<std::string> sections() const;
    std::vector<std::string> keys(const std::string& section) const;
    void eraseSection(const std::string& section);
    void deleteKey(const std::string& section, const std::string& key);

    // Writes pending changes now (atomic save in the write code page);
    // throws framework::FileError when the save fails.
    void flush();
    bool dirty() const { return dirty_; }

    static constexpr size_t MaxValueBytes = 2047;

private:
    struct Entry;
    struct Section;
    Section* findSection(const std::string& name);
    const Section* findSection(const std::string& name) const;
    fs::path path_;
    std::vector<Section> sections_;
    bool dirty_ = false;
};

} // namespace platform
