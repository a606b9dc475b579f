// The status line of the main window, as the cleaners see it.
#pragma once

#include "cleaning/SitesToKeep.h"
#include "system/StoreChange.h"

#include <cstdint>
#include <string>
#include <string_view>

class ScratchCopies;

// A browser, or one Firefox-family profile, that a cleaner left whole because
// it is running: what the log calls it, what a cleaner is told to cover when
// it is cleaned after it closes, and the file its running copy holds locked.
struct RunningBrowser {
    std::string name;      // "Google Chrome", "LibreWolf", or a Firefox profile's path
    std::string scope;     // the browser's name, or the profile's path as profiles.ini gives it
    std::string lockFile;  // User Data\lockfile, or the profile's parent.lock

    bool operator==(const RunningBrowser&) const = default;
};

// The kinds of trace a cleaner deletes.
enum class TraceKind {
    File,           // counted with its bytes
    Row,            // a database row or entry: a visit, a cookie, a site's stored key...
    RegistryValue,  // a typed address
    CacheEntry,     // an entry of the URL cache
};

class StatusLine {
public:
    virtual ~StatusLine() = default;
    virtual std::string Status() const = 0;
    virtual void SetStatus(const std::string& text) = 0;

    // Says that something a ticked box names was left whole, and why. The
    // notice shows on the status line; during a pass it also goes into the
    // history log after the pass's own line.
    virtual void LeaveAlone(const std::string& notice) { SetStatus(notice); }

    // Says that `path`, a file a ticked box names, is still there: the system
    // refused to delete it (held open by another program, access denied, a
    // name or length it refuses). A pass counts these and names the first.
    virtual void CouldNotDelete(const std::string& path) {}

    // Says that `site`, which the user keeps, was kept where a ticked box
    // would have taken it. The keep list's cleaners say it here; a pass counts
    // them per box and browser for its report.
    virtual void Kept(const std::string& site) {}
    // The sites the user keeps, as they were when the pass began: the
    // "Clear Cookies" boxes leave their cookies and site data.
    virtual const SitesToKeep& Keeps() const {
        static const SitesToKeep none;
        return none;
    }

    // Says that `browser` was left whole because it runs (after saying why
    // with LeaveAlone).
    virtual void LeftRunning(const RunningBrowser& browser) {}
    // Whether the cleaners work on `scope` (a browser's name, or a Firefox
    // profile's path) at all: a clean after a browser closed covers it alone.
    virtual bool Covers(const std::string& scope) const { return true; }

    // A preview: every cleaner looks, checks and counts exactly as in a pass,
    // and changes nothing.
    virtual bool Previewing() const { return false; }
    // The copies a preview's changes of the stores share (none: each change
    // copies its store afresh).
    virtual ScratchCopies* PreviewCopies() { return nullptr; }
    // What the cleaner deletes from here on belongs to this browser.
    virtual void InBrowser(const std::string& browser) {}
    // `count` traces of `kind` deleted (in a preview: that a pass would
    // delete); `bytes` is the files' size.
    virtual void Deleted(TraceKind kind, std::int64_t count, std::int64_t bytes = 0) {}
};

// A change of a store by a cleaner that reports on `status`: a preview when
// it previews, on the copies the preview shares.
inline StoreChange StoreChangeFor(StatusLine& status) { return {status.Previewing(), 0, status.PreviewCopies()}; }

// Whether the data of `what` (a web origin or a host) stored inside `within`
// ("" when first-party) goes: not when the keep list keeps both, which is
// then said on `status`.
inline bool ErasesSite(StatusLine& status, std::string_view what, std::string_view within = "") {
    if (status.Keeps().Empty()) return true;
    const std::string kept = status.Keeps().KeepingBoth(what, within);
    if (kept.empty()) return true;
    status.Kept(kept);
    return false;
}

// A status line that takes no note of what it is told: for work whose
// failures are no news (the log's own file, WinINet's index). Work for a
// preview is a preview too.
class QuietStatus : public StatusLine {
public:
    explicit QuietStatus(bool previewing = false) : previewing_(previewing) {}
    std::string Status() const override { return ""; }
    void SetStatus(const std::string&) override {}
    bool Previewing() const override { return previewing_; }

private:
    bool previewing_;
};
