#pragma once
// `vantrel run`: a list run without windows, for scripts and schedulers.
// The windows' models do the work exactly as in a run the user starts; the
// batch run only sets them up, follows the run, prints one line per entry
// and writes the results. It writes nothing but Results/ (the caller fences
// every other write off, see platform::setWriteFence).

#include <functional>
#include <string>
#include <vector>

#include "browser/run_results.h"
#include "browser/run_state.h"
#include "framework/errors.h"
#include "platform/files.h"

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
    int parallel = 4;     // quick: entries in flight
    int interval = -1;    // quick: ms between two searches on one host (-1: the stored one)
    std::string out;      // --out FILE.csv|FILE.json
    bool verbose = false; // the browser engine's own messages on standard error too
    bool quiet = false;   // the summary line only
};

// The usage text of `vantrel run`.
const char* batchUsage();

// The options after "run". Throws BatchError.
BatchOptions parseBatchOptions(const std::vector<std::string>& args);

// The paths the user gave (--data-dir, --words-file, --out) made absolute
// against the working directory at start, once: nothing later depends on
// where the program runs.
void makePathsAbsolute(BatchOptions& options, const platform::fs::path& workingDirectory);

// Throws BatchError when the chosen data folder is missing or no folder:
// a run there could only report what it lacks as something else.
void checkDataFolder(const platform::fs::path& folder);

// "3/12 Weather March done 2.0 s": the entry's number in the list (1-based),
// its query, its state, and the time of a done one; a failed, blocked or
// given-up one's reason ("7/12 Weather May failed: HTTP 401").
std::string entryLine(const results::EntryRecord& entry, size_t total);

// "12 words: 10 done, 1 given up, 1 left out": the count of each state
// that occurs, in the order of the states.
std::string runSummary(const results::RunRecord& run);

// One word per line, UTF-8 or code page 932 like the data files; blank
// lines are skipped, blanks around a word dropped. "-" reads standard
// input. Throws BatchError when the file cannot be read.
std::vector<std::string> readWordsFile(const std::string& path);

// Exit codes. A run ended by a signal exits with 128 + its number, as
// shells expect.
constexpr int BatchAllDone = 0;
constexpr int BatchFailed = 1;
constexpr int BatchSomeNotDone = 2;
constexpr int BatchBlocked = 3;
constexpr int BatchSignalled = 128;

class BatchRun {
public:
    // output gets the run's lines for standard error: one per entry that
    // reached its final state, the program's messages meanwhile (report),
    // and at the end the summary with the results file. With --quiet only
    // the summary.
    BatchRun(BatchOptions options, std::function<void(const std::string&)> output);

    // With the six windows created: reads the words, sets the windows up
    // and starts the run. Throws BatchError, and then nothing has started.
    void start();
    // Ends the run now for the signal (SIGTERM, SIGINT, SIGHUP): the
    // records of the words done so far are saved, the others stopped, and
    // the exit status is 128 + the signal's number.
    void stop(int signal);

    // A message of the program during the run (an error the windows would
    // have shown in a box): "vantrel run: " + text, unless quiet.
    void report(const std::string& text);

    bool finished() const { return finished_; }
    int exitCode() const { return exitCode_; }
    // Told once, when the run has ended and its results are written.
    std::function<void()> onFinished;

private:
    std::vector<std::string> words() const;
    void settled(int entry);
    void ended();

    BatchOptions options_;
    void print(const std::string& line);
    std::function<void(const std::string&)> output_;
    bool finished_ = false;
    int exitCode_ = BatchFailed;
    int signal_ = 0;
    int settledId_ = 0;
    int endedId_ = 0;
    int blockedId_ = 0;
};

} // namespace vantrel
