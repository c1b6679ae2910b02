#include "app/batch_run.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "framework/convert.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/data_folder.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/text_codec.h"
#include "platform/text_store.h"
#include "settings/fm_sys.h"
#include "sitetree/file_names.h"
#include "sitetree/fm_ctrl.h"

namespace vantrel {

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool hasExtension(const std::string& path, const std::string& extension)
{
    return framework::lowerAscii(platform::textPath(path).extension().string()) == extension;
}

int number(const std::string& option, const std::string& text, int min, int max)
{
    int value = 0;
    try {
        value = framework::StrToInt(text);
    } catch (const framework::ConversionError&) {
        throw BatchError(option + " needs a number, not \"" + text + "\"");
    }
    if (value < min || value > max)
        throw BatchError(option + " must lie between " + std::to_string(min) + " and " + std::to_string(max));
    return value;
}

} // namespace

const char* batchUsage()
{
    return "Usage: vantrel run [--data-dir DIR] --theme TEXT\n"
           "                   (--list NAME | --words a,b,c | --words-file FILE)\n"
           "                   [--category NAME] [--site base|free:NAME] [--try-time N]\n"
           "                   [--passes N] [--pacing seed|quick] [--parallel K]\n"
           "                   [--interval MS] [--out FILE.csv|FILE.json]\n"
           "                   [--quiet] [--verbose]\n"
           "\n"
           "Runs a list search without windows: for every word it opens the search\n"
           "site in a browser tab, types the theme and the word into the site's\n"
           "search form, submits it and waits for the result page.\n"
           "\n"
           "  --theme TEXT       the theme typed before every word\n"
           "  --list NAME        the ticked words of the word list NAME\n"
           "  --words a,b,c      these words\n"
           "  --words-file FILE  one word per line (UTF-8 or Shift-JIS); - reads stdin\n"
           "  --category NAME    the tree category, kept with the results\n"
           "  --site base|free:NAME\n"
           "                     the settings' base search site (default), or a free site\n"
           "  --try-time N       seconds per try, 6 to 1000 (default: the stored one)\n"
           "  --passes N         passes before the words not done are given up (default 3)\n"
           "  --pacing seed|quick\n"
           "                     seed: the one-second timer of the windows (default);\n"
           "                     quick: as fast as the pages load\n"
           "  --parallel K       quick: words searched at once, 1 to 51 (default 4)\n"
           "  --interval MS      quick: least time between two searches on the site\n"
           "                     (default: the stored one, 1000; 0 for your own sites)\n"
           "  --out FILE         also write the results there (.csv or .json)\n"
           "  --quiet            only the summary line at the end\n"
           "  --verbose          the browser engine's own messages and the pages'\n"
           "                     console messages too\n"
           "\n"
           "One line per word goes to standard error as the word ends, numbered as\n"
           "in the list, and a summary at the end; the results are saved under the\n"
           "data folder's Results/ as CSV and JSON. Nothing else is written.\n"
           "A page that looks like a block (HTTP 429 or 503, a challenge, a captcha)\n"
           "stops the run there. A page that fails (no reply, an HTTP error, a\n"
           "download) fails its word, which the next pass tries again.\n"
           "Exit status: 0 every word done, 2 some failed, given up or left out,\n"
           "3 the site blocked the run, 1 an error, 128 + N ended by signal N\n"
           "(SIGTERM, SIGINT, SIGHUP: the words done so far are saved).\n";
}

BatchOptions parseBatchOptions(const std::vector<std::string>& args)
{
    BatchOptions options;
    bool theme = false;
    int sources = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool inlineValue = false;
        if (name.rfind("--", 0) == 0 && name.find('=') != std::string::npos) {
            value = name.substr(name.find('=') + 1);
            name = name.substr(0, name.find('='));
            inlineValue = true;
        }
        auto next = [&]() -> std::string {
            if (inlineValue)
                return value;
            if (i + 1 >= args.size())
                throw BatchError(name + " needs a value");
            return args[++i];
        };
        if (name == "--data-dir") {
            options.dataDir = next();
        } else if (name == "--theme") {
            options.theme = next();
            theme = true;
        } else if (name == "--list") {
            options.list = next();
            ++sources;
        } else if (name == "--words") {
            const std::string text = next();
            size_t start = 0;
            while (start <= text.size()) {
                const size_t comma = std::min(text.find(',', start), text.size());
                const std::string word = trimmed(text.substr(start, comma - start));
                if (!word.empty())
                    options.words.push_back(word);
                start = comma + 1;
            }
            ++sources;
        } else if (name == "--words-file") {
            options.wordsFile = next();
            ++sources;
        } else if (name == "--category") {
            options.category = next();
        } else if (name == "--site") {
            options.site = next();
            if (options.site != "base" && (options.site.rfind("free:", 0) != 0 || options.site.size() == 5))
                throw BatchError("--site takes base or free:NAME, not \"" + options.site + "\"");
        } else if (name == "--try-time") {
            options.tryTime = number(name, next(), 6, 1000);
        } else if (name == "--passes") {
            options.passes = number(name, next(), 1, 100);
        } else if (name == "--pacing") {
            const std::string pacing = next();
            if (const auto chosen = runs::pacingFromText(pacing))
                options.pacing = *chosen;
            else
                throw BatchError("--pacing takes seed or quick, not \"" + pacing + "\"");
        } else if (name == "--parallel") {
            options.parallel = number(name, next(), 1, 51);
        } else if (name == "--interval") {
            options.interval = number(name, next(), 0, 600000);
        } else if (name == "--out") {
            options.out = next();
            if (!hasExtension(options.out, ".csv") && !hasExtension(options.out, ".json"))
                throw BatchError("--out names a .csv or a .json file, not \"" + options.out + "\"");
        } else if (name == "--quiet" && !inlineValue) {
            options.quiet = true;
        } else if (name == "--verbose" && !inlineValue) {
            options.verbose = true;
        } else {
            throw BatchError("unknown option \"" + args[i] + "\"");
        }
    }
    if (!theme)
        throw BatchError("--theme is missing");
    if (sources != 1)
        throw BatchError("give the words with exactly one of --list, --words and --words-file");
    if (options.list.empty() && options.wordsFile.empty() && options.words.empty())
        throw BatchError("--words holds no word");
    return options;
}

void makePathsAbsolute(BatchOptions& options, const platform::fs::path& workingDirectory)
{
    const auto absolute = [&](std::string& path) {
        path = platform::pathText(platform::absoluteUserPath(platform::textPath(path), workingDirectory));
    };
    absolute(options.dataDir);
    if (options.wordsFile != "-")
        absolute(options.wordsFile);
    absolute(options.out);
}

void checkDataFolder(const platform::fs::path& folder)
{
    std::error_code ec;
    const auto status = platform::fs::status(folder, ec);
    if (!platform::fs::exists(status))
        throw BatchError("the data folder \"" + platform::pathText(folder) + "\" does not exist");
    if (!platform::fs::is_directory(status))
        throw BatchError("the data folder \"" + platform::pathText(folder) + "\" is not a folder");
}

std::string entryLine(const results::EntryRecord& entry, size_t total)
{
    std::string line = std::to_string(entry.number) + "/" + std::to_string(total) + " " + entry.query + " " +
                       results::stateName(entry.state);
    if (entry.state == results::EntryState::Done)
        line += " " + results::secondsText(entry.seconds) + " s";
    else if (!entry.reason.empty())
        line += ": " + entry.reason;
    return line;
}

std::string runSummary(const results::RunRecord& run)
{
    const auto counts = results::stateCounts(run);
    std::string line = std::to_string(run.entries.size()) + (run.entries.size() == 1 ? " word" : " words");
    const char* separator = ": ";
    for (size_t state = 0; state < counts.size(); ++state) {
        if (counts[state] == 0)
            continue;
        line += separator + std::to_string(counts[state]) + " " +
                results::stateName(static_cast<results::EntryState>(state));
        separator = ", ";
    }
    return line;
}

std::vector<std::string> readWordsFile(const std::string& path)
{
    std::string bytes;
    if (path == "-") {
        char buffer[65536];
        ssize_t n = 0;
        while ((n = ::read(STDIN_FILENO, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, static_cast<size_t>(n));
        if (n < 0)
            throw BatchError("standard input cannot be read");
    } else {
        std::optional<std::string> file;
        try {
            file = platform::readFileBytes(platform::textPath(path));
        } catch (const framework::FileError& e) {
            throw BatchError(e.what());
        }
        if (!file)
            throw BatchError("the words file \"" + path + "\" does not exist");
        bytes = std::move(*file);
    }
    std::vector<std::string> words;
    for (const std::string& line : platform::splitLines(platform::decodeFileText(bytes))) {
        std::string word = trimmed(line);
        if (!word.empty())
            words.push_back(std::move(word));
    }
    return words;
}

// --------------------------------------------------------------------------

namespace {

// `; the word lists are: A, B` for a name that is not among them.
std::string theOnesThereAre(const std::string& kind, std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::erase(names, std::string());
    if (names.empty())
        return "; there are no " + kind;
    std::string text = "; the " + kind + " are: ";
    for (size_t i = 0; i < names.size(); ++i)
        text += (i > 0 ? ", " : "") + names[i];
    return text;
}

// The word lists of the language folder: the names of its ListBunch*.INI
// files, as --list takes them (any letter case, as on Windows).
std::vector<std::string> wordListNames()
{
    const std::string prefix = "listbunch";
    const std::string suffix = ".ini";
    std::vector<std::string> names;
    std::error_code ec;
    for (platform::fs::directory_iterator it(FmMain->langFolder(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        const std::string lower = framework::lowerAscii(file);
        if (lower.size() > prefix.size() + suffix.size() && lower.starts_with(prefix) && lower.ends_with(suffix) &&
            it->is_regular_file(ec))
            names.push_back(file.substr(prefix.size(), file.size() - prefix.size() - suffix.size()));
    }
    return names;
}

} // namespace

BatchRun::BatchRun(BatchOptions options, std::function<void(const std::string&)> output)
    : options_(std::move(options)), output_(std::move(output))
{
}

void BatchRun::print(const std::string& line)
{
    if (output_)
        output_(line);
}

void BatchRun::report(const std::string& text)
{
    if (!options_.quiet)
        print("vantrel run: " + text);
}

std::vector<std::string> BatchRun::words() const
{
    if (!options_.wordsFile.empty())
        return readWordsFile(options_.wordsFile);
    if (options_.list.empty())
        return options_.words;
    // The word list as the window reads it, and its ticked words as the
    // window's ListUP takes them.
    const std::string name = sitetree::checkedNamePart("word list", options_.list);
    const auto path = FmMain->langPath("ListBunch" + name + ".INI");
    if (!platform::fileExists(path))
        throw BatchError("there is no word list \"" + options_.list + "\"" +
                         theOnesThereAre("word lists", wordListNames()));
    platform::IniFile list(path);
    std::vector<std::string> words;
    for (int r = 1; r < TFmMemo::BunchMaxRows; ++r) {
        const std::string word = list.readString("Data", "1," + std::to_string(r), "");
        if (!word.empty() && list.readString("Data", "0," + std::to_string(r), "") == "[y]")
            words.push_back(word);
    }
    if (words.empty())
        throw BatchError("no word of the list \"" + options_.list + "\" is ticked");
    return words;
}

void BatchRun::start()
{
    std::vector<std::string> list;
    try {
        list = words();
    } catch (const framework::FileError& e) {
        throw BatchError(e.what());
    }
    if (list.empty())
        throw BatchError("there are no words to search");
    if (!options_.category.empty()) {
        const auto& categories = FmCtrl->ComboBoxTVFCategory.items();
        if (std::find(categories.begin(), categories.end(), options_.category) == categories.end())
            throw BatchError("there is no category \"" + options_.category + "\"" +
                             theOnesThereAre("categories", categories));
        FmCtrl->ComboBoxTVFCategory.setText(options_.category);
    }
    if (options_.site != "base") {
        const std::string name = options_.site.substr(5);
        const auto& sites = FmCpp->ComboBoxFreeSite.items();
        if (std::find(sites.begin(), sites.end(), name) == sites.end())
            throw BatchError("there is no free search site \"" + name + "\"" +
                             theOnesThereAre("free search sites", sites));
        FmCpp->ComboBoxFreeSite.setText(name);
        FmCpp->PageControlMain.setActivePage(&FmCpp->TabSheetMFree);
    } else {
        FmCpp->PageControlMain.setActivePage(&FmCpp->TabSheetMBase);
    }
    FmCpp->PageControlMainChange();
    if (FmCpp->SiteURL.empty() || FmCpp->SiteURL == FmMain->LangName + "/")
        throw BatchError("the search site has no address: set it in the settings window, or as [Base] URL= in " +
                         platform::pathText(FmMain->exePath("0Base.INI")));
    if (const std::string problem = FmCpp->run().siteProblem(); !problem.empty())
        throw BatchError(problem);
    if (options_.tryTime > 0)
        FmSys->UpDownTryTime.setPosition(options_.tryTime);
    FmCpp->EditThemas.setText(options_.theme + FmCtrl->LikeWord);
    runs::RunEngine& run = FmCpp->run();
    run.options.fromWindow = false;
    run.options.pacing = options_.pacing;
    run.options.parallel = options_.parallel;
    run.options.hostInterval = options_.interval >= 0 ? options_.interval : FmSys->hostInterval();
    run.options.maxPasses = options_.passes;
    run.options.fetchOperatorAtEnd = false;
    run.options.saveResults = true;
    settledId_ = run.entrySettled.connect([this](int entry) { settled(entry); });
    endedId_ = run.runEnded.connect([this] { ended(); });
    // Nobody is there to solve a block page: the run stops at it.
    blockedId_ = run.runBlocked.connect([](int) { framework::app().deliver(nullptr, [] { FmCpp->PMPEndClick(); }); });
    run.startList(list);
}

void BatchRun::stop(int signal)
{
    if (finished_ || signal_ != 0)
        return;
    signal_ = signal;
    // Whatever drives the run: the timer, the pages (Quick pacing), or
    // nothing while a block page holds it.
    if (FmCpp && FmCpp->run().running())
        FmCpp->PMPEndClick();
}

void BatchRun::settled(int index)
{
    const auto& run = FmCpp->run().record();
    if (!options_.quiet)
        print(entryLine(run.entries[static_cast<size_t>(index)], run.entries.size()));
}

void BatchRun::ended()
{
    runs::RunEngine& run = FmCpp->run();
    run.entrySettled.disconnect(settledId_);
    run.runEnded.disconnect(endedId_);
    run.runBlocked.disconnect(blockedId_);
    const results::Tally counts = results::tally(run.record());
    const int notDone = counts.givenUp + counts.leftOut + counts.failed + counts.stopped + counts.other;
    exitCode_ = counts.blocked > 0 ? BatchBlocked : notDone > 0 ? BatchSomeNotDone : BatchAllDone;
    std::string summary = runSummary(run.record());
    if (run.resultsFile().empty()) {
        summary += "; the results could not be saved under " + platform::pathText(FmMain->exePath("Results"));
        exitCode_ = BatchFailed;
    } else {
        summary += "; results: " + platform::pathText(run.resultsFile());
    }
    if (!options_.out.empty()) {
        try {
            // --out may name any place: it is the user's own choice.
            const auto fence = FmMain->exePath("Results");
            platform::setWriteFence({});
            results::exportRun(run.record(), platform::textPath(options_.out));
            platform::setWriteFence(fence);
        } catch (const std::exception& e) {
            platform::setWriteFence(FmMain->exePath("Results"));
            summary += "; not written to " + options_.out + ": " + e.what();
            exitCode_ = BatchFailed;
        }
    }
    // A signal's status tells the shell why the run ended, whatever it did.
    if (signal_ != 0)
        exitCode_ = BatchSignalled + signal_;
    print(summary);
    finished_ = true;
    if (onFinished)
        onFinished();
}

} // namespace vantrel
