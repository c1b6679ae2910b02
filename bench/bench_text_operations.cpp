// The document editor's Run, one operation at a time, on a source memo of
// 100,000 lines (the second half repeats the first, every second line holds
// the blue key). The whole program runs headless in a temporary data
// folder, so the figures include the memos as Run fills them.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/program.h"
#include "docedit/fm_doc_edi.h"
#include "framework/application.h"
#include "framework/scripted.h"
#include "memo/fm_memo.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

constexpr int LineCount = 100000;

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "vantrel-bench-textops-XXXXXX").string();
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

// The six windows on a fresh data folder, with the scripted services.
class HeadlessProgram {
public:
    HeadlessProgram()
    {
        ::setenv("VANTREL_REGISTRY", (folder_.path() / "registry.ini").c_str(), 1);
        for (const char* lang : {"JPN", "USA", "CHN"}) {
            fs::create_directories(folder_.path() / lang);
            for (const char* name : {"FreeSerchSite.txt", "ManipSite.txt"})
                platform::atomicWrite(folder_.path() / lang / name, "");
        }
        vantrel::setDataFolder(folder_.path());
        application_ = std::make_unique<framework::Application>(scripted_.services());
        application_->exeName = (folder_.path() / "vantrel").string();
        vantrel::createForms(*application_);
    }
    ~HeadlessProgram()
    {
        application_.reset();
        vantrel::forgetForms();
    }

private:
    TempFolder folder_;
    framework::ScriptedServices scripted_;
    std::unique_ptr<framework::Application> application_;
};

std::vector<std::string> sampleLines()
{
    std::vector<std::string> lines;
    lines.reserve(LineCount);
    for (int i = 0; i < LineCount; ++i) {
        // The second half repeats the first, so the duplicate removal keeps
        // 50,000 lines.
        const std::string n = std::to_string(i % (LineCount / 2));
        std::string line = "  東京都 Tokyo ｶﾞｲﾄﾞ かたかな Abc" + n;
        if (i % 2 == 0)
            line += " <b>key=" + n + "</b>";
        lines.push_back(line + " ");
    }
    return lines;
}

void BM_Run(benchmark::State& state, const std::string& path)
{
    FmMemo->MemoSource.setLines(sampleLines());
    FmDocEdi->MemoBlue.setText("=");
    FmDocEdi->MemoRed.setText("</b>");
    FmDocEdi->OperationPath = path;
    for (auto _ : state) {
        FmDocEdi->MMSEditTRunClick();
        benchmark::DoNotOptimize(FmMemo->MemoLog.lineCount());
    }
    state.counters["out"] = FmMemo->MemoLog.lineCount();
    state.SetItemsProcessed(state.iterations() * LineCount);
}

const char* const Codes[] = {
    "(C1-1)", "(C1-2)", "(C1-3)", "(C1-4)", "(C1-4-1)", "(C1-5)", "(C1-6)", "(C1-7)", "(C1-8)", "(C2-1)", "(C2-2)",
    "(C2-3)", "(C3-1)", "(C3-2)", "(C3-3)", "(C3-4)",   "(C4-1)", "(C5-1)", "(C5-2)", "(L1-1)", "(L1-2)", "(L2-1)",
    "(L3-1)", "(L3-2)", "(L3-3)", "(L3-4)", "(L4-1)",   "(L4-2)", "(L4-3)", "(L4-4)", "(L4-5)",
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const HeadlessProgram program;
    for (const char* code : Codes)
        benchmark::RegisterBenchmark(code, BM_Run, std::string(code))->Unit(benchmark::kMillisecond);
    // The pair swap inserts into the middle of the log once another
    // operation writes a line of its own per line.
    benchmark::RegisterBenchmark("(L3-1)(L3-2)", BM_Run, std::string("(L3-1)(L3-2)"))->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
