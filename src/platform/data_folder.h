#pragma once
// Where the data folder (ExeDir) is, and the product site's base address.

#include <string>
#include <vector>

#include "platform/files.h"

namespace platform {

struct DataFolderInputs {
    std::string dataDirOption; // --data-dir DIR, empty when not given
    std::string envDataDir;    // VANTREL_DATA_DIR, empty when unset
    fs::path exeDir;           // folder of the running executable
    fs::path xdgDataHome;      // $XDG_DATA_HOME or ~/.local/share
    fs::path distribution;     // installed distribution set (share/vantrel)
    // What a relative --data-dir or VANTREL_DATA_DIR is taken against: the
    // working directory at start (the current one when empty).
    fs::path workingDirectory;
};

// Chooses the data folder in this order: --data-dir; VANTREL_DATA_DIR; the
// executable's folder when it holds 0Language.txt (a portable install);
// otherwise xdgDataHome/vantrel, created and seeded from the distribution
// set without overwriting anything the user already has. The folder comes
// back absolute and canonical (no ".", "..", or links in it), so every path
// built on it means the same folder to whoever gets it: the browser
// engine's helper processes do not share our working directory.
fs::path resolveDataFolder(const DataFolderInputs& inputs);

// A path the user gave, relative to workingDirectory (the current one when
// empty), as an absolute path without "." and ".." parts and, as far as it
// exists, without links. An empty path stays empty.
fs::path absoluteUserPath(const fs::path& path, const fs::path& workingDirectory = {});

// Copies every file of from into to, recursively, leaving files that exist.
void seedFolder(const fs::path& from, const fs::path& to);

// "http://vantrel.example/" unless 0Base.INI of the program folder sets
// [Begin] SiteBase (a missing final "/" is added).
std::string siteBaseAddress(const fs::path& exeDir);
inline constexpr const char* DefaultSiteBase = "http://vantrel.example/";

} // namespace platform
