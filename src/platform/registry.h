#pragma once
// The per-user registry: an INI file, $XDG_CONFIG_HOME/Orrinax/registry.ini
// (VANTREL_REGISTRY names another file, for tests). A registry key below
// the current user plus a subkey is a section ("Software\Orrinax\Ubrith\Softs"),
// a value name is a key; integers are decimal text.

#include <memory>
#include <string>

#include "platform/ini_file.h"

namespace platform {

fs::path registryFile();

class RegIniFile {
public:
    // Opens (and so creates) the key below the current user.
    explicit RegIniFile(std::string keyPath);
    // Writes what flush() has not written; a failure then is reported
    // (reportFailure), never thrown.
    ~RegIniFile();

    std::string readString(const std::string& subkey, const std::string& name, const std::string& fallback) const;
    int readInteger(const std::string& subkey, const std::string& name, int fallback) const;
    void writeString(const std::string& subkey, const std::string& name, const std::string& value);
    void writeInteger(const std::string& subkey, const std::string& name, int value);
    // Writes pending changes now; throws framework::FileError on failure.
    void flush();

private:
    std::string section(const std::string& subkey) const;
    std::string keyPath_;
    std::unique_ptr<IniFile> ini_;
};

} // namespace platform
