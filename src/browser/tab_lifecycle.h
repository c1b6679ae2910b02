#pragma once
// Tabs at rest: a finished tab that is not shown needs no renderer time,
// and past a limit of live tabs the oldest frozen ones give their memory
// back (their address and title stay; showing one reloads it).

#include <functional>
#include <vector>

#include "browser/run_tabs.h"

namespace runs {

class TabLifecycle {
public:
    // Over every opened tab of the pool: the shown tab is made active;
    // a finished tab that is not shown and still active is frozen; then,
    // while more than liveLimit (at least 1) tabs are not discarded, the
    // frozen tabs are discarded in the order they were frozen.
    void apply(RunTabs& tabs, TabRef shown, const std::function<bool(TabRef)>& finished, int liveLimit);

private:
    // The tabs this put to rest, oldest first.
    std::vector<TabRef> frozenOrder_;
};

} // namespace runs
