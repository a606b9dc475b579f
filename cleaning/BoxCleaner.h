// What one cleaning box does in one browser family: the cleaner the pass runs,
// and what it takes and keeps in the user's words. The box's tool tip and
// README's table "What each box deletes, and what it keeps" are made of these
// words, and the steps that take each thing stand beside its words in the
// family's cleaners: a trace is added to a box in one place.
#pragma once

#include "cleaning/StatusLine.h"

#include <string>
#include <vector>

struct BoxCleaner {
    void (*clear)(StatusLine& status);
    std::vector<std::string> (*takes)();
    const char* keeps;  // "" when the box keeps nothing of its own
};

namespace BoxCleaners {

// "Deletes a; b. Keeps c." for a tool tip.
std::string Describe(const BoxCleaner& cleaner);

}  // namespace BoxCleaners
