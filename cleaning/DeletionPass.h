// One deletion pass: the cleaner of every ticked box in a fixed order, each
// announced on the status line, then one dated line in the history log.
#pragma once

#include "cleaning/StatusLine.h"

#include <functional>
#include <string>

enum class CleaningBox {
    IEHist,
    IETemp,
    IETyped,
    IECookies,
    FFHist,
    FFDownloads,
    TypedUrls,
    Cookies,
    FFCache,
    CrHist,
    CrTyped,
    CrDownloads,
    CrCookies,
    CrCache,
    CrForms,
};

// What the pass needs of the main window.
class PassWindow : public StatusLine {
public:
    virtual bool IsTicked(CleaningBox box) const = 0;
};

// The fifteen cleaners, one per box (app/RealCleaners.h gives the program's own).
struct Cleaners {
    using Cleaner = std::function<void(StatusLine&)>;
    Cleaner ieHistory, ieTemp, ieTyped, ieCookies;
    Cleaner ffHistory, ffDownloads, ffTypedUrls, ffCookies, ffCache;
    Cleaner crHistory, crTypedUrls, crDownloads, crCookies, crCache, crFormHistory;
};

namespace PassTexts {
inline constexpr char IEHistory[] = "Deleting IE History...";
inline constexpr char IETemp[] = "Deleting IE Temporary Internet Files...";
inline constexpr char IETyped[] = "Deleting Typed Urls In IE...";
inline constexpr char IECookies[] = "Deleting IE Cookies...";
inline constexpr char FFHistory[] = "Deleting Firefox History...";
inline constexpr char FFDownloads[] = "Deleting Firefox Downloads...";
inline constexpr char FFTypedUrls[] = "Deleting Firefox Typed URLs...";
inline constexpr char FFCookies[] = "Deleting Firefox Cookies...";
inline constexpr char FFCache[] = "Deleting Firefox Cache...";
inline constexpr char CrHistory[] = "Deleting Chrome and Edge History...";
inline constexpr char CrTypedUrls[] = "Deleting Chrome and Edge Typed URLs...";
inline constexpr char CrDownloads[] = "Deleting Chrome and Edge Downloads...";
inline constexpr char CrCookies[] = "Deleting Chrome and Edge Cookies...";
inline constexpr char CrCache[] = "Deleting Chrome and Edge Cache...";
inline constexpr char CrFormHistory[] = "Deleting Chrome and Edge Form History...";
inline constexpr char LogLinePrefix[] = "Internet History was deleted at ";
inline constexpr char CouldNotDeleteMiddle[] = " file(s) could not be deleted, the first: ";
// "<count> file(s) could not be deleted, the first: <path>"
inline std::string CouldNotDelete(int count, const std::string& first) {
    return std::to_string(count) + CouldNotDeleteMiddle + first;
}
}  // namespace PassTexts

// Where the pass says a failure happened.
namespace Location {
inline constexpr char DeleteAll[] = "in Tarvenny2021/08/31.Form1.DeleteAll ";
}  // namespace Location

namespace DeletionPass {
// Runs the pass; every failing statement is reported and the pass goes on.
// After the pass's own line the history log gets one line for the files that
// could not be deleted (their count and the first), then one for each thing
// that was left alone. A log that cannot be written is reported once for the
// same failure, not at every pass, and the pass still cleans.
void DeleteAll(PassWindow& window, const Cleaners& cleaners);
}  // namespace DeletionPass
