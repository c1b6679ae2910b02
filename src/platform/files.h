#pragma once
// File access: atomic saves, case-insensitive names, whole-file reads.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

namespace fs = std::filesystem;

// The path as it exists on disk: the exact name when it exists, otherwise a
// name in the same folder that differs only in ASCII letter case (first in
// directory order), otherwise the path unchanged. Only the last component
// is matched loosely.
fs::path resolveCaseInsensitive(const fs::path& path);

// Whether a file (or folder) exists under the case-insensitive rule.
bool fileExists(const fs::path& path);

// The whole file, or nothing when it does not exist. Throws
// framework::FileError when it exists but cannot be read.
std::optional<std::string> readFileBytes(const fs::path& path);

// Writes a temporary file in the same folder, flushes it to disk and
// renames it over the target, so the target is either the old or the new
// file, never half of one. Writes to the existing case variant of the name.
// Throws framework::FileError ("Cannot create file ...") on failure, leaving
// the old file as it was.
void atomicWrite(const fs::path& path, std::string_view bytes);

// Creates path with these bytes unless something of that name exists: the
// bytes go to a temporary file first (flushed), which is then linked to
// the name, so the name never shows half a file and two writers, in this
// or another process, never both get it. False when the name was taken
// (nothing is written then); true when written, or when the write fence
// skips it. Throws framework::FileError on other failures.
bool createNewFile(const fs::path& path, std::string_view bytes);

// Whether a file name has the form atomicWrite gives its temporary files:
// "." + target name + ".tmp" + six ASCII letters or digits.
bool isTemporaryName(std::string_view name);

// Removes the temporary files of saves that a crash or a kill cut short:
// in folder and its subfolders down to maxDepth levels, regular files with
// a temporary name (isTemporaryName) last written more than minAge ago, so
// a save in progress in another instance keeps its file. Links are neither
// followed nor removed, and at most a few thousand entries are looked at.
// Nothing throws; returns how many files were removed.
int removeLeftoverTemporaries(const fs::path& folder, std::chrono::seconds minAge, int maxDepth = 3);

// A failure that no exception can carry (a save in a destructor): it goes
// to the reporter the program installed, standard error until then.
using FailureReporter = std::function<void(const std::string& text)>;
void setFailureReporter(FailureReporter reporter);
void reportFailure(const std::string& text);

// A session that may write only below one folder (a batch run writes its
// results and nothing else): saves, deletions and new folders elsewhere are
// skipped without an error. An empty path lifts the fence.
void setWriteFence(const fs::path& allowed);
bool writesFenced();
// Whether a write to path may happen under the fence.
bool writeAllowed(const fs::path& path);

// Deletes a file if it exists (case-insensitive); false when there was none.
bool deleteFile(const fs::path& path);

// Creates a folder (and its parents); false when it cannot.
bool createFolder(const fs::path& path);

// A relative path taken from data ("\\Foo.tvf", "sub\\x.INI"): backslashes
// become separators, and a path that would leave base is refused
// (std::nullopt).
std::optional<fs::path> safeJoin(const fs::path& base, std::string_view relative);

// Path <-> UTF-8 text (members such as ExeDir and PathText are text).
std::string pathText(const fs::path& path);
fs::path textPath(const std::string& text);

} // namespace platform
