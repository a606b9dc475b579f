// The browsers a pass left whole because they were running, watched until
// they close so that the boxes ticked at that pass can clean them then. The
// watch lives as long as the program: nothing of it is stored.
#pragma once

#include "cleaning/StatusLine.h"

#include <vector>

class CloseWatch {
public:
    struct Watched {
        RunningBrowser browser;
        std::vector<bool> ticked;  // the boxes ticked at the pass, by index
    };

    // What a new pass left running, with the boxes ticked at it: it replaces
    // whatever was watched before.
    void Replace(const std::vector<RunningBrowser>& running, const std::vector<bool>& ticked);
    // One more browser to watch (found running again when its turn came).
    void Add(const Watched& watched);
    bool IsWatching() const { return !watched_.empty(); }

    // The watched browsers whose lock nobody holds any more, taken off the watch.
    std::vector<Watched> TakeClosed();

private:
    std::vector<Watched> watched_;
};
