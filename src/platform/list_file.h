#pragma once
// What a window shows of its files, and whether it may write it back.

#include <string>
#include <utility>

#include "framework/controls.h"
#include "platform/files.h"
#include "platform/ini_file.h"

namespace platform {

// Whether what a window shows may be written over the file it was loaded
// from. A load that failed or never ran (a window whose creation stopped
// early, one that never showed) leaves what the window shows unsaved, so
// the user's file is never replaced by defaults or by half a file; a
// missing file may still be created.
class LoadGuard {
public:
    // Runs the load; what it leaves counts as loaded only when it returns.
    template <class Load> void load(Load&& load)
    {
        loaded_ = false;
        std::forward<Load>(load)();
        loaded_ = true;
    }
    // The user set what the file keeps: it may be written from now on.
    void markLoaded() { loaded_ = true; }
    bool loaded() const { return loaded_; }
    bool mayReplace(const fs::path& path) const { return loaded_ || !fileExists(path); }

private:
    bool loaded_ = false;
};

// A list file: one name a line (the text store), shown as the items of a
// combo box, whose text is the chosen name; a window may keep that under
// a key of an INI file. Written back only under the LoadGuard's rule.
class ListFile {
public:
    // The chosen name is kept under section/key.
    ListFile(framework::ComboBox& box, std::string section, std::string key)
        : box_(box), section_(std::move(section)), key_(std::move(key))
    {
    }

    // The box's items := the file's lines; its text stays. A missing file
    // throws FileError ("Cannot open file ...") and leaves the items.
    void load(const fs::path& path);
    // The same, but a missing file is created from the box's items.
    void loadOrCreate(const fs::path& path);
    // Writes the items, unless the file exists and they did not come from
    // it. Whether it wrote.
    bool save(const fs::path& path);
    // Adds the box's text as an item unless an item holds it already (as a
    // part: a name within a listed name counts as listed). Whether it did.
    bool addChoice();

    // The box's text from and to the INI file. The choice is written only
    // once it was read or the list was loaded, so a window that stopped
    // before either keeps the stored choice.
    void readChoice(const IniFile& ini);
    void writeChoice(IniFile& ini) const;

    bool loaded() const { return guard_.loaded(); }

private:
    framework::ComboBox& box_;
    std::string section_;
    std::string key_;
    LoadGuard guard_;
    bool choiceRead_ = false;
};

} // namespace platform
