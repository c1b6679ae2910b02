#pragma once
// What a run found, kept per entry: the record the results view shows, the
// CSV and JSON files under the data folder's Results/, and what a batch
// run prints. Pure data and formats; the browser window fills the records.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "browser/run_state.h"
#include "browserctl/web_browser.h"
#include "platform/files.h"

namespace results {

// The state of one entry of a run.
enum class EntryState {
    Waiting, // not reached yet in this pass
    Running, // its tab is being worked on
    Done,    // its result page completed
    GivenUp, // the run ended (its passes, or the user stopped it) before it was done
    LeftOut, // past the last tab: a page has 51 tabs
    Blocked, // the site answered with a block page (captcha, 429, ...)
    Failed,  // its page failed: no reply, an HTTP error, a download, a dead renderer
    Stopped, // the run was ended (Stop, a signal) before it was done
};

// "waiting", "running", "done", "given up", "left out", "blocked",
// "failed", "stopped".
const char* stateName(EntryState state);

using Link = browserctl::PageLink;

struct EntryRecord {
    int number = 0;    // 1-based, in list order
    std::string entry; // the list line
    std::string query; // the text typed into the form (theme text + entry)
    std::string finalAddress;
    std::string title;
    EntryState state = EntryState::Waiting;
    int passes = 0;          // navigations made for it (one per pass that tried it)
    double seconds = 0;      // from its last navigation to its result page's completion
    std::vector<Link> links; // the first result links, in document order
    // Why it failed, was blocked or given up ("HTTP 401", "connection
    // refused", "no search form found on ..."), or what went wrong with a
    // done one's record (links that could not be read). Empty otherwise.
    std::string reason;
    // A result that came from a POST form: what was sent, so that it can be
    // sent again (its address alone does not reopen it).
    std::optional<browserctl::FormSubmission> submission;
};

// Local wall-clock time of the run's start.
struct DateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

struct RunRecord {
    DateTime started;
    std::string theme;    // the theme box text at the start
    std::string mode;     // "List", "Single", ...
    std::string page;     // "Base", "Free", "Manip"
    std::string siteName; // the site's title ("Base", a free site's name)
    std::string site;     // the search site's address
    std::string formName;
    std::string inputName;
    std::string category; // the tree category, when known
    runs::Pacing pacing = runs::Pacing::Seed;
    int tryTime = 0;
    int startTab = 0;
    std::vector<EntryRecord> entries;
};

// Seconds with one decimal ("7.0"), never with the locale's comma.
std::string secondsText(double seconds);

// "2026-12-08T15:30:12".
std::string isoTime(const DateTime& time);

constexpr size_t EntryStateCount = static_cast<size_t>(EntryState::Stopped) + 1;
// How many entries are in each state, indexed by the state.
std::array<int, EntryStateCount> stateCounts(const RunRecord& run);

// How many entries are in each final state; other counts those waiting or
// running (the run has not ended).
struct Tally {
    int done = 0, givenUp = 0, leftOut = 0, blocked = 0, failed = 0, stopped = 0, other = 0;
};
Tally tally(const RunRecord& run);

// RFC 4180 CSV: UTF-8 with a byte-order mark, CR LF line ends, a header
// row, one row per entry; fields with a comma, quote, CR or LF are quoted
// and their quotes doubled. Columns: number, entry, query, state, passes,
// seconds ("7.0"), final address, title, links, link texts, reason, form
// method, form action, form fields. The links go into one column, one per
// line ("address" only), and their texts into the next, line for line. The
// form columns are filled for a POST result only (its fields
// form-encoded). Bytes that are not UTF-8 become U+FFFD, control
// characters other than tab, CR and LF are dropped; a title or link text
// that a spreadsheet would take for a formula (it begins with = + - @)
// gets a leading apostrophe, since those come from the pages.
std::string toCsv(const RunRecord& run);

// One JSON object: the run's settings and an array of entries with their
// links as arrays of {"address", "text"} objects, their reason, and for a
// POST result its "submission" ({"method", "action", "enctype", "charset",
// "fields": [[name, value], ...]}, null otherwise). UTF-8, no BOM; bytes
// that are not UTF-8 become U+FFFD, so the file always parses.
std::string toJson(const RunRecord& run);

// The part of a result file's name before its extension: the start time
// and the theme ("2026-12-08_153012_草津"); characters a file name cannot
// hold (path separators, control characters, ...) become "_", blanks
// around the theme (including U+3000) are dropped, and a long theme is cut
// to 80 bytes at a character boundary. No theme, no "_".
std::string fileStem(const RunRecord& run);

// Saves the run as <stem>.csv and <stem>.json in folder (created when
// missing). Each file appears whole, under a name created exclusively: an
// existing result is never overwritten and two runs (two processes, too)
// never get one name: the stem then gets "_2", "_3", ... Returns the path
// of the CSV file.
platform::fs::path saveRun(const RunRecord& run, const platform::fs::path& folder);

// Writes the run to path as CSV or JSON, chosen by the extension (".json"
// gives JSON, anything else CSV), atomically. Throws framework::FileError.
void exportRun(const RunRecord& run, const platform::fs::path& path);

// The table as tab-separated text for the clipboard: the header row and
// one row per entry (links joined by blanks, then the reason; the link
// texts stay in the files); tabs and line breaks inside fields become blanks, other control
// characters are dropped.
std::string toTabSeparated(const RunRecord& run);

// The result links of a page (pageAddress), from the links the page's
// result list (or the site's own selector) gave, in document order: without
// duplicates (same address), "javascript:" links and links to a place in
// the page itself (pageAddress + "#...", or the page itself), and at most
// max of them (none when max <= 0).
std::vector<Link> selectResultLinks(const std::vector<Link>& all, const std::string& pageAddress, int max);

} // namespace results
