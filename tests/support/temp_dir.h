#pragma once
// A fresh folder under the system's temporary folder, removed afterwards.

#include <filesystem>
#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Whole-file helpers for tests (raw bytes, no conversion).
std::string readRaw(const std::filesystem::path& path);
void writeRaw(const std::filesystem::path& path, const std::string& bytes);

// The repository's distribution set (data/).
std::filesystem::path sourceDataFolder();
// Copies the bundled data set without its site copy into `folder` (made if
// missing); files already there are kept.
void copyDataSet(const std::filesystem::path& folder);

} // namespace testsupport
