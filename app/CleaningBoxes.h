// The cleaning boxes of the main window, one row each. A new box is one row
// here and its cleaner: the window's check boxes, the pass's order, step
// numbers and status texts, the remembered ticks and the program's cleaners
// are all read from this table.
#pragma once

#include "app/Form1Layout.h"
#include "chromium/ChromiumCleaners.h"
#include "cleaning/DeletionPass.h"
#include "cleaning/IECleaners.h"
#include "firefox/FirefoxCleaners.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

struct CleaningBox {
    const char* name;  // the control's name, and the setting that remembers its tick
    ControlId frame;   // the browser's frame: its boxes stand top to bottom in table order
    const char* caption;
    int width;                  // twips
    int step;                   // the pass reports a failure of this box at this step number (+2, +4)
    const char* statusText;     // what the status line says while the box's cleaner runs
    const BoxCleaner* cleaner;  // and what it takes and keeps: the box's tool tip
};

namespace CleaningBoxes {

// In the order the pass runs them.
inline constexpr CleaningBox Rows[] = {
    {"chkIEHist", IdFrame1, "Clear History", 1455, 100, "Deleting IE History...", &IEHistory::History},
    {"chkIETemp", IdFrame1, "Clear Cache/Temp Internet Files", 3300, 106, "Deleting IE Temporary Internet Files...",
     &IEHistory::Temp},
    {"chkIETyped", IdFrame1, "Clear Typed Urls In IE", 2595, 112, "Deleting Typed Urls In IE...",
     &IEHistory::TypedUrls},
    {"chkIECookies", IdFrame1, "Clear Cookies", 2355, 118, "Deleting IE Cookies...", &IEHistory::Cookies},
    {"chkFFHist", IdFrame2, "Clear Form History", 2130, 124, "Deleting Firefox History...",
     &FirefoxHistory::FormHistory},
    {"chkFFDownloads", IdFrame2, "Clear Downloads", 3030, 130, "Deleting Firefox Downloads...",
     &FirefoxHistory::Downloads},
    {"chkTypedUrls", IdFrame2, "Clear Typed URL(s) In Firefox", 3060, 136, "Deleting Firefox Typed URLs...",
     &FirefoxHistory::TypedUrls},
    {"chkCookies", IdFrame2, "Clear Cookies", 2355, 142, "Deleting Firefox Cookies...",
     &FirefoxHistory::Cookies},
    {"chkFFCache", IdFrame2, "Clear Cache", 2355, 148, "Deleting Firefox Cache...", &FirefoxHistory::Cache},
    {"chkCrHist", IdFrame5, "Clear History", 3300, 200, "Deleting Chrome and Edge History...",
     &ChromiumHistory::History},
    {"chkCrTyped", IdFrame5, "Clear Typed URLs", 3300, 206, "Deleting Chrome and Edge Typed URLs...",
     &ChromiumHistory::TypedUrls},
    {"chkCrDownloads", IdFrame5, "Clear Downloads", 3300, 212, "Deleting Chrome and Edge Downloads...",
     &ChromiumHistory::Downloads},
    {"chkCrCookies", IdFrame5, "Clear Cookies", 3300, 218, "Deleting Chrome and Edge Cookies...",
     &ChromiumHistory::Cookies},
    {"chkCrCache", IdFrame5, "Clear Cache", 3300, 224, "Deleting Chrome and Edge Cache...",
     &ChromiumHistory::Cache},
    {"chkCrForms", IdFrame5, "Clear Form History", 3300, 230, "Deleting Chrome and Edge Form History...",
     &ChromiumHistory::FormHistory},
};
inline constexpr std::size_t Count = std::size(Rows);

// The boxes' controls take the ids from IdFirstBox on, in table order.
constexpr ControlId IdAt(std::size_t index) { return static_cast<ControlId>(IdFirstBox + index); }

// The index of the box whose control has this id; Count for any other control.
constexpr std::size_t IndexOf(int id) {
    return id >= IdFirstBox && id < IdFirstBox + static_cast<int>(Count) ? static_cast<std::size_t>(id - IdFirstBox)
                                                                         : Count;
}

// The index and the control id of the box with this name; a name of no box
// does not compile.
consteval std::size_t Index(std::string_view name) {
    for (std::size_t i = 0; i < Count; ++i)
        if (Rows[i].name == name) return i;
    throw "no cleaning box has this name";
}
consteval ControlId Id(std::string_view name) { return IdAt(Index(name)); }

}  // namespace CleaningBoxes

// The cleaner each box runs, by the box's index.
using Cleaners = std::array<DeletionPass::Cleaner, CleaningBoxes::Count>;

// The program's own: each row's cleaner.
Cleaners RealCleaners();

namespace CleaningBoxes {
// The pass's steps: each row with its frame's name and the cleaner given for it.
std::vector<DeletionPass::Step> PassSteps(const Cleaners& cleaners);

// The ticks the window saved, by index: a box whose setting is exactly "On"
// is ticked; a missing or unreadable one is not.
std::vector<bool> RememberedTicks();
}  // namespace CleaningBoxes
