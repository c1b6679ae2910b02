#include "browser/tab_lifecycle.h"

#include <algorithm>

namespace runs {

using browserctl::Lifecycle;

void TabLifecycle::apply(RunTabs& tabs, TabRef shown, const std::function<bool(TabRef)>& finished, int liveLimit)
{
    const int limit = std::max(1, liveLimit);
    int live = 0;
    for (int page = 0; page < PageCount; ++page) {
        for (int n = 0; n < TabCount; ++n) {
            const TabRef tab{page, n};
            if (!tabs.opened(tab))
                continue;
            const Lifecycle state = tabs.lifecycle(tab);
            if (tab == shown && state != Lifecycle::Active) {
                tabs.setLifecycle(tab, Lifecycle::Active);
                std::erase(frozenOrder_, tab);
            } else if (tab != shown && state == Lifecycle::Active && finished(tab)) {
                tabs.setLifecycle(tab, Lifecycle::Frozen);
                frozenOrder_.push_back(tab);
            }
            if (tabs.lifecycle(tab) != Lifecycle::Discarded)
                ++live;
        }
    }
    for (auto it = frozenOrder_.begin(); live > limit && it != frozenOrder_.end();) {
        if (tabs.opened(*it) && tabs.lifecycle(*it) == Lifecycle::Frozen) {
            tabs.setLifecycle(*it, Lifecycle::Discarded);
            --live;
        }
        it = frozenOrder_.erase(it);
    }
}

} // namespace runs
