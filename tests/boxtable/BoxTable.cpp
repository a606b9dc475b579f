// Prints README's table "What each box deletes, and what it keeps" as the
// program's own words make it: one row per box, in the boxes' order, each
// with what its cleaner takes and keeps (BoxCleaner), the same words as the
// box's tool tip. scripts/check-box-table.sh compares it with README.md.
#include "app/CleaningBoxes.h"
#include "app/Form1Layout.h"

#include <cstdio>
#include <string>

int main() {
    std::printf("| browser | box | deletes | keeps |\n|---|---|---|---|\n");
    for (const CleaningBox& box : CleaningBoxes::Rows) {
        std::string takes;
        for (const std::string& thing : box.cleaner->takes()) takes += (takes.empty() ? "" : "; ") + thing;
        std::printf("| %s | \"%s\" | %s | %s |\n", Form1Layout::Find(box.frame).caption, box.caption, takes.c_str(),
                    box.cleaner->keeps);
    }
    return 0;
}
