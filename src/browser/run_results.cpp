// Placeholder: the formats of the run results arrive with their own change.
#include "browser/run_results.h"

namespace results {
const char* stateName(EntryState state)
{
    switch (state) {
    case EntryState::Waiting: return "waiting";
    case EntryState::Running: return "running";
    case EntryState::Done: return "done";
    case EntryState::GivenUp: return "given up";
    case EntryState::LeftOut: return "left out";
    case EntryState::Blocked: return "blocked";
    }
    return "";
}
std::string isoTime(const DateTime&) { return ""; }
Tally tally(const RunRecord&) { return {}; }
std::string toCsv(const RunRecord&) { return ""; }
std::string toJson(const RunRecord&) { return ""; }
std::string fileStem(const RunRecord&) { return "stub"; }
platform::fs::path saveRun(const RunRecord&, const platform::fs::path& folder) { return folder / "stub.csv"; }
void exportRun(const RunRecord&, const platform::fs::path&) {}
std::string toTabSeparated(const RunRecord&) { return ""; }
std::vector<Link> selectResultLinks(const std::vector<Link>& all, const std::string&, const std::string&, bool, int max)
{
    return std::vector<Link>(all.begin(), all.begin() + std::min<size_t>(all.size(), max > 0 ? max : 0));
}
}  // namespace results
