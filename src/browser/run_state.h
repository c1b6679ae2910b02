#pragma once
// The states of a run as the run engine tests them, and the one place
// where they meet their texts: the window's members hold the run mode, the
// page and the stage as the strings the program has always used
// ("List", "Manip", "ListSrch"), the settings and the command line name the
// pacing. Everything else compares enums.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class IniFile;
}

namespace runs {

// The browser pool: 3 pages of 51 tabs.
constexpr int PageCount = 3;
constexpr int TabCount = 51;

// One tab of the pool.
struct TabRef {
    int page = 0;
    int tab = 0;
    bool operator==(const TabRef&) const = default;
};

// How a list run is driven: the one-second timer, or the pages themselves
// with several entries in flight.
enum class Pacing { Seed, Quick };

// "Seed", "Quick": as the settings window shows and stores it.
const char* pacingName(Pacing pacing);
// "seed", "quick": as the command line and the result files write it.
const char* pacingKey(Pacing pacing);
// Either spelling, in any case; nothing for another text.
std::optional<Pacing> pacingFromText(std::string_view text);

// The run mode of AccessMode. A run tests for Single or List, or for their
// absence: "URLs", "Smpl" and the empty mode are neither (their entries are
// a name, "=" and an address; no completion moves their timer).
enum class Mode { Other, Single, List };
Mode modeOf(std::string_view accessMode);

// The page of PageName ("Base", "Manip", "Free").
enum class Page { Other, Base, Manip, Free };
Page pageOf(std::string_view pageName);
// The outer page index that shows it (the others show on Base's).
int pageIndex(Page page);

// RunStage: opening the search site, or searching (from the form input on).
enum class Stage { None, Navi, ListSrch };
Stage stageOf(std::string_view runStage);
const char* stageText(Stage stage);

// Where an entry of a Quick run stands: its search page is loading, has
// loaded (the form waits for the host's gap), its result page is loading;
// or the host asked for a pause and the entry opens its search page again
// afterwards.
enum class SlotStage { Search, Ready, Result, Retry };

// How a site is searched: the form its FormName and InputName name, a form
// found on its page as a person would find it (no names, or names the page
// does not have), or its address itself, which holds "{query}".
enum class SiteKind { NamedForm, FoundForm, SearchAddress };
// From the site's address and names (a named site whose page lacks the
// names is searched through the form found there all the same).
SiteKind siteKindOf(std::string_view siteUrl, std::string_view formName, std::string_view inputName);
// "named form", "found form", "search address".
const char* siteKindName(SiteKind kind);
bool isSearchAddress(std::string_view siteUrl);
// The search address with every "{query}" replaced by the query as UTF-8,
// percent-encoded: unreserved characters stay, a blank is %20.
std::string searchAddressFor(std::string_view siteUrl, std::string_view query);

// What a run needs to know of its site beyond the form: the site's own
// choice of result links (a CSS selector, ResultLinks), how many are kept
// (ResultLinkCount, 10 by default, at most 100), the words of its block
// page (BlockWords, comma-separated; common ones by default), and how long
// a result page must stay quiet before it is recorded (SettleMs, 500 by
// default, at most 10000).
struct SiteOptions {
    std::string resultLinks;
    int resultLinkCount = 10;
    std::vector<std::string> blockWords;
    int settleMs = 500;
};
// From the site's section of a settings file.
SiteOptions readSiteOptions(const platform::IniFile& ini, const std::string& section);

} // namespace runs
