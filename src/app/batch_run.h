#pragma once
// `vantrel run`: a list run without windows, for scripts and schedulers.
// The windows' models do the work exactly as in a run the user starts; the
// batch run only sets them up, follows the run, prints one line per entry
// and writes the results. It writes nothing but Results/ (the caller fences
// every other write off, see platform::setWriteFence).

#include <functional>
#include <string>
#include <vector>

#include "browser/run_state.h"
#include "framework/errors.h"

namespace vantrel {

// Bad arguments, an unknown list or site, an unreadable words file.
class BatchError : public framework::Error {
public:
    using framework::Error::Error;
};

struct BatchOptions {
    std::string dataDir;
    std::string theme;
    std::string list;               // --list NAME: the ticked words of a word list
    std::vector<std::string> words; // --words a,b,c
    std::string wordsFile;          // --words-file FILE ("-": standard input)
    std::string category;
    std::string site = "base"; // "base" or "free:NAME"
    int tryTime = 0;           // 0: the stored one
    int passes = 3;
    runs::Pacing pacing = runs::Pacing::Seed;
    int parallel = 4;  // quick: entries in flight
    int interval = -1; // quick: ms between two searches on one host (-1: the stored one)
    std::string out;   // --out FILE.csv|FILE.json
};

// The usage text of `vantrel run`.
const char* batchUsage();

// The options after "run". Throws BatchError.
BatchOptions parseBatchOptions(const std::vector<std::string>& args);

// One word per line, UTF-8 or code page 932 like the data files; blank
// lines are skipped, blanks around a word dropped. "-" reads standard
// input. Throws BatchError when the file cannot be read.
std::vector<std::string> readWordsFile(const std::string& path);

// Exit codes.
constexpr int BatchAllDone = 0;
constexpr int BatchFailed = 1;
constexpr int BatchSomeNotDone = 2;
constexpr int BatchBlocked = 3;

class BatchRun {
public:
    // progress gets one line per entry that reached its final state.
    BatchRun(BatchOptions options, std::function<void(const std::string&)> progress);

    // With the six windows created: reads the words, sets the windows up
    // and starts the run. Throws BatchError, and then nothing has started.
    void start();
    // Ends the run now (SIGTERM): the entries not done are given up.
    void stop();

    bool finished() const { return finished_; }
    int exitCode() const { return exitCode_; }
    // Told once, when the run has ended and its results are written.
    std::function<void()> onFinished;

private:
    std::vector<std::string> words() const;
    void settled(int entry);
    void ended();

    BatchOptions options_;
    std::function<void(const std::string&)> progress_;
    bool finished_ = false;
    int exitCode_ = BatchFailed;
    int settledId_ = 0;
    int endedId_ = 0;
    int blockedId_ = 0;
};

} // namespace vantrel
