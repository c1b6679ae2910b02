// IniFile on the shapes the windows use: the 2 x 49 cell grid of a list
// page (section "Data", keys "c,r") and the 4 x 15 table of a site page.
// Every iteration opens the file, so the parse and (for writes) the atomic
// save with its fsync are part of the figures. Set TMPDIR to choose the
// file system the files live on.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ini_file.h"

namespace {

namespace fs = std::filesystem;
using platform::IniFile;

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "vantrel-bench-ini-XXXXXX").string();
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

struct Cell {
    std::string key;
    std::string value;
};

std::vector<Cell> gridCells()
{
    std::vector<Cell> cells;
    for (int c = 0; c <= 1; ++c) {
        for (int r = 1; r <= 49; ++r) {
            const std::string key = std::to_string(c) + "," + std::to_string(r);
            cells.push_back({key, c == 0 ? "Item title number " + std::to_string(r) : "\\Folder\\Page" + key + ".tvf"});
        }
    }
    return cells;
}

std::vector<Cell> tableCells()
{
    std::vector<Cell> cells;
    for (int c = 1; c <= 4; ++c) {
        for (int r = 1; r <= 15; ++r) {
            cells.push_back({std::to_string(c) + "," + std::to_string(r), "Cell text " + std::to_string(c * 100 + r)});
        }
    }
    return cells;
}

void writeAll(const fs::path& path, const std::string& section, const std::vector<Cell>& cells, int round)
{
    IniFile ini(path);
    const std::string suffix = " " + std::to_string(round);
    for (const Cell& cell : cells) {
        ini.writeString(section, cell.key, cell.value + suffix);
    }
}

void BM_GridWrite(benchmark::State& state)
{
    const TempFolder folder;
    const fs::path path = folder.path() / "ListBunch5w4h.INI";
    const std::vector<Cell> cells = gridCells();
    writeAll(path, "Data", cells, 0);
    int round = 0;
    for (auto _ : state) {
        // A changed value every round, so every release saves.
        writeAll(path, "Data", cells, ++round);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(cells.size()));
}
BENCHMARK(BM_GridWrite)->Unit(benchmark::kMicrosecond);

void BM_GridRead(benchmark::State& state)
{
    const TempFolder folder;
    const fs::path path = folder.path() / "ListBunch5w4h.INI";
    const std::vector<Cell> cells = gridCells();
    writeAll(path, "Data", cells, 0);
    for (auto _ : state) {
        const IniFile ini(path);
        for (const Cell& cell : cells) {
            benchmark::DoNotOptimize(ini.readString("Data", cell.key, ""));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(cells.size()));
}
BENCHMARK(BM_GridRead)->Unit(benchmark::kMicrosecond);

// What a handler that loads the grid, edits it and saves it costs: one
// open, 98 reads, 98 writes, one save.
void BM_GridReadWrite(benchmark::State& state)
{
    const TempFolder folder;
    const fs::path path = folder.path() / "ListBunch5w4h.INI";
    const std::vector<Cell> cells = gridCells();
    writeAll(path, "Data", cells, 0);
    int round = 0;
    for (auto _ : state) {
        IniFile ini(path);
        const std::string suffix = "|" + std::to_string(++round);
        for (const Cell& cell : cells) {
            std::string value = ini.readString("Data", cell.key, "");
            ini.writeString("Data", cell.key, value.substr(0, value.find('|')) + suffix);
        }
    }
}
BENCHMARK(BM_GridReadWrite)->Unit(benchmark::kMicrosecond);

void BM_TableWrite(benchmark::State& state)
{
    const TempFolder folder;
    const fs::path path = folder.path() / "SiteTable.INI";
    const std::vector<Cell> cells = tableCells();
    const std::string section = "http://vantrel.example/hobby/";
    int round = 0;
    for (auto _ : state) {
        IniFile ini(path);
        ++round;
        ini.writeString(section, "URL", "http://vantrel.example/hobby/page" + std::to_string(round) + ".html");
        for (const Cell& cell : cells) {
            ini.writeString(section, cell.key, cell.value + " " + std::to_string(round));
        }
    }
}
BENCHMARK(BM_TableWrite)->Unit(benchmark::kMicrosecond);

void BM_TableRead(benchmark::State& state)
{
    const TempFolder folder;
    const fs::path path = folder.path() / "SiteTable.INI";
    const std::vector<Cell> cells = tableCells();
    const std::string section = "http://vantrel.example/hobby/";
    {
        IniFile ini(path);
        ini.writeString(section, "URL", "http://vantrel.example/hobby/page.html");
        for (const Cell& cell : cells) {
            ini.writeString(section, cell.key, cell.value);
        }
    }
    for (auto _ : state) {
        const IniFile ini(path);
        benchmark::DoNotOptimize(ini.readString(section, "URL", ""));
        for (const Cell& cell : cells) {
            benchmark::DoNotOptimize(ini.readString(section, cell.key, ""));
        }
    }
}
BENCHMARK(BM_TableRead)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
