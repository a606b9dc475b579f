// One deletion pass: the cleaner of every ticked box in the boxes' order, each
// announced on the status line, then one dated line in the history log.
#pragma once

#include "cleaning/PassTally.h"
#include "cleaning/StatusLine.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace DeletionPass {
using Cleaner = std::function<void(StatusLine&)>;

// One box of the pass: the step number its failures are reported at (the
// tick at `line`, the status text at +2, the cleaner at +4), the box's caption
// and the browser (or family) its frame names, what the status line says
// while it runs, and its cleaner (none cleans nothing).
struct Step {
    int line;
    const char* box;
    const char* browser;
    const char* statusText;
    Cleaner cleaner;
};
}  // namespace DeletionPass

// What the pass needs of the main window: the status line, and whether the
// box of each step (by its index) is ticked.
class PassWindow : public StatusLine {
public:
    virtual bool IsTicked(std::size_t box) const = 0;
};

namespace PassTexts {
inline constexpr char LogLinePrefix[] = "Internet History was deleted at ";
inline constexpr char CleanedAfterClose[] = " was cleaned after it closed at ";
inline constexpr char CouldNotDeleteMiddle[] = " file(s) could not be deleted, the first: ";
// "<count> file(s) could not be deleted, the first: <path>"
inline std::string CouldNotDelete(int count, const std::string& first) {
    return std::to_string(count) + CouldNotDeleteMiddle + first;
}
inline constexpr char KeptPrefix[] = "Kept the cookies and site data of ";
inline constexpr char KeptSuffix[] = " site(s) on the keep list";
// "Kept the cookies and site data of <count> site(s) on the keep list": after
// what the pass deleted, when the keep list kept anything.
std::string Kept(std::size_t sites);
// "<files> file(s), <size> and <entries> entries deleted": what a pass took,
// right after its own line. Entries are database rows and stored keys,
// registry values and URL-cache entries; the size as Explorer writes it.
std::string Deleted(const TallyRow& total);
}  // namespace PassTexts

// Where the pass says a failure happened.
namespace Location {
inline constexpr char DeleteAll[] = "in Tarvenny2021/08/31.Form1.DeleteAll ";
inline constexpr char Preview[] = "in Tarvenny2021/08/31.Form1.Preview ";
inline constexpr char CleanAfterClose[] = "in Tarvenny2021/08/31.Form1.CleanAfterClose ";
}  // namespace Location

namespace DeletionPass {
// Runs the ticked steps in their order; every failing statement is reported
// and the pass goes on. After the pass's own line the history log gets the
// line of what it deleted (PassTexts::Deleted), one for the files that could
// not be deleted (their count and the first), then one for each thing that
// was left alone. A log that cannot be written is reported once for the
// same failure, not at every pass, and the pass still cleans.
// Answers what the cleaners deleted.
PassTally DeleteAll(PassWindow& window, const std::vector<Step>& steps);

// After `browser`, left whole by a pass because it ran, has closed: the steps
// that were `ticked` at that pass (by index), for that browser alone. The log
// gets "<name> was cleaned after it closed at <date>" and the lines a pass adds
// after its own when anything was taken, only what was left alone otherwise;
// nothing when the browser was found running again.
PassTally CleanAfterClose(PassWindow& window, const std::vector<Step>& steps, const std::vector<bool>& ticked,
                          const RunningBrowser& browser);

// The same walk over the ticked steps, with the same lookups and checks, that
// deletes and changes nothing and writes no log: what a pass would delete.
PassTally Preview(PassWindow& window, const std::vector<Step>& steps);
}  // namespace DeletionPass
