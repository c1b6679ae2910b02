#include "platform/registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

fs::path homeFolder()
{
    const std::string home = environment("HOME");
    if (!home.empty()) {
        return textPath(home);
    }
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
        return fs::path(entry->pw_dir);
    }
    return fs::path(".");
}

} // namespace

fs::path registryFile()
{
    const std::string override = environment("VANTREL_REGISTRY");
    if (!override.empty()) {
        return textPath(override);
    }
    // Relative values of XDG_CONFIG_HOME are invalid and to be ignored.
    const std::string configHome = environment("XDG_CONFIG_HOME");
    const fs::path base =
        !configHome.empty() && configHome.front() == '/' ? textPath(configHome) : homeFolder() / ".config";
    return base / "Orrinax" / "registry.ini";
}

RegIniFile::RegIniFile(std::string keyPath) : keyPath_(std::move(keyPath))
{
    const fs::path file = registryFile();
    ini_ = std::make_unique<IniFile>(file);
    if (!ini_->sectionExists(keyPath_)) {
        // IniFile has no call that only adds a section; a value written and
        // deleted again leaves the empty section behind, as with the
        // profile functions.
        ini_->writeString(keyPath_, "-", "");
        ini_->deleteKey(keyPath_, "-");
        if (file.has_parent_path()) {
            createFolder(file.parent_path());
        }
        ini_->flush();
    }
}

RegIniFile::~RegIniFile()
{
    if (!ini_ || !ini_->dirty()) {
        return;
    }
    try {
        flush();
    } catch (const std::exception& e) {
        reportFailure(e.what());
    }
}

void RegIniFile::flush()
{
    if (!ini_->dirty()) {
        return;
    }
    const fs::path file = ini_->path();
    if (file.has_parent_path()) {
        createFolder(file.parent_path());
    }
    ini_->flush();
}

std::string RegIniFile::section(const std::string& subkey) const
{
    return subkey.empty() ? keyPath_ : keyPath_ + "\\" + subkey;
}

std::string RegIniFile::readString(const std::string& subkey, const std::string& name,
                                   const std::string& fallback) const
{
    return ini_->readString(section(subkey), name, fallback);
}

int RegIniFile::readInteger(const std::string& subkey, const std::string& name, int fallback) const
{
    return ini_->readInteger(section(subkey), name, fallback);
}

void RegIniFile::writeString(const std::string& subkey, const std::string& name, const std::string& value)
{
    ini_->writeString(section(subkey), name, value);
}

void RegIniFile::writeInteger(const std::string& subkey, const std::string& name, int value)
{
    ini_->writeInteger(section(subkey), name, value);
}

} // namespace platform
