// The dialog that shows what a pass would delete: one row per ticked box and
// browser (items and size, or why something would be left alone, and where),
// then the total, in bold. What the keep list keeps has rows of its own,
// which the total does not count. "Delete Now" runs the pass; "Close" and Escape
// close it.
#pragma once

#include "cleaning/DeletionPass.h"

#include <windows.h>

#include <string>
#include <vector>

namespace PreviewTexts {
inline constexpr char Caption[] = "Vorlane Preview";
inline constexpr char DeleteNow[] = "Delete Now";
inline constexpr char Close[] = "Close";
inline constexpr char NoBoxTicked[] = "No box is ticked: a pass would delete nothing.";
inline constexpr char Total[] = "Total";
inline constexpr char NothingToDelete[] = "nothing to delete";
// The row of what the keep list kept, beside what would go; its sites under "Where".
inline constexpr char Kept[] = "kept: on the keep list";
inline constexpr const char* Headers[] = {"Browser", "Box", "Items", "Size", "Where"};
}  // namespace PreviewTexts

namespace PreviewDialog {

// The "Delete Now" button's control id.
inline constexpr int DeleteNowId = 101;

// The texts of one row: the browser (and the profile or folder, by its name),
// box, items (or why it is left alone), size, and where (the full path of
// what is left alone).
struct Line {
    std::string browser;
    std::string box;
    std::string items;
    std::string size;
    std::string where;
};

// The rows the dialog shows for a preview of `steps`, the total last.
std::vector<Line> Lines(const PassTally& tally, const std::vector<DeletionPass::Step>& steps);

// Shows the dialog over `owner` until it is closed; true when "Delete Now"
// closed it.
bool Show(HWND owner, const std::vector<Line>& lines);

}  // namespace PreviewDialog
