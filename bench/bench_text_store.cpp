// Text stores on a 10,000-line file, in UTF-8 and in code page 932. Set
// TMPDIR to choose the file system the file lives on.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/text_codec.h"
#include "platform/text_store.h"

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "vantrel-bench-text-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Lines shaped like a tree file: a level prefix, a title, a target.
std::vector<std::string> sampleLines()
{
    std::vector<std::string> lines;
    lines.reserve(10000);
    for (int i = 0; i < 10000; ++i) {
        lines.push_back(std::string(static_cast<size_t>(i % 4), '.') + "都道府県の見出し " + std::to_string(i) +
                        "\t\\Folder\\Page" + std::to_string(i) + ".tvf");
    }
    return lines;
}

platform::CodePage codePageOf(const benchmark::State& state)
{
    return state.range(0) == 932 ? platform::CodePage::Cp932 : platform::CodePage::Utf8;
}

void BM_LoadLines(benchmark::State& state)
{
    const TempFolder folder;
    const fs::path path = folder.path() / "tree.txt";
    platform::setWriteCodePage(codePageOf(state));
    platform::saveLines(path, sampleLines());
    platform::setWriteCodePage(platform::CodePage::Utf8);
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::loadLines(path));
    }
    state.SetItemsProcessed(state.iterations() * 10000);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_LoadLines)->Arg(8)->Arg(932)->Unit(benchmark::kMicrosecond);

void BM_SaveLines(benchmark::State& state)
{
    const TempFolder folder;
    const fs::path path = folder.path() / "tree.txt";
    const std::vector<std::string> lines = sampleLines();
    platform::setWriteCodePage(codePageOf(state));
    for (auto _ : state) {
        platform::saveLines(path, lines);
    }
    platform::setWriteCodePage(platform::CodePage::Utf8);
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_SaveLines)->Arg(8)->Arg(932)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
