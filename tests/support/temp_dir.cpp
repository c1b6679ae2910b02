#include "temp_dir.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace testsupport {

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    std::random_device random;
    path_ =
        std::filesystem::temp_directory_path() / ("vantrel-test-" + std::to_string(::getpid()) + "-" +
                                                  std::to_string(counter++) + "-" + std::to_string(random() % 100000));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string readRaw(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeRaw(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::filesystem::path sourceDataFolder()
{
    return std::filesystem::path(VANTREL_SOURCE_DIR) / "data";
}

void copyDataSet(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    for (const auto& entry : std::filesystem::directory_iterator(sourceDataFolder())) {
        if (entry.path().filename() == "site")
            continue;
        std::filesystem::copy(entry.path(), folder / entry.path().filename(),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing);
    }
}

} // namespace testsupport
