// The user's profiles of Firefox or one of its forks, and the deletions in
// them. One object serves one browser for one cleaning call: the profiles are
// looked up anew each time.
#pragma once

#include "cleaning/StatusLine.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class FolderFileDeleter;

namespace FirefoxNames {
// A browser of the family: its profiles.ini and relative profiles in `folder`
// below Roaming AppData, their caches in the folder of the same name below
// Local AppData.
struct FirefoxPlace {
    const char* name;  // as the user knows the browser
    const char* folder;
};
inline constexpr FirefoxPlace Browsers[] = {
    {"Mozilla Firefox", "Mozilla\\Firefox"},
    {"LibreWolf", "librewolf"},
    {"Waterfox", "Waterfox"},
    {"Floorp", "Floorp"},
    {"Zen", "zen"},
};
inline constexpr char ProfilesIni[] = "profiles.ini";
inline constexpr char ProfileSectionPrefix[] = "Profile";
inline constexpr char PathKey[] = "Path";
inline constexpr char IsRelativeKey[] = "IsRelative";

inline constexpr char Cache[] = "cache";
inline constexpr char Cache2[] = "cache2";
inline constexpr char HistoryDat[] = "history.dat";
inline constexpr char CookiesTxt[] = "cookies.txt";
inline constexpr char LoginsJson[] = "logins.json";
inline constexpr char PlacesSqlite[] = "places.sqlite";
inline constexpr char FormHistorySqlite[] = "formhistory.sqlite";
inline constexpr char DownloadsSqlite[] = "downloads.sqlite";
inline constexpr char CookiesSqlite[] = "cookies.sqlite";
inline constexpr char ParentLock[] = "parent.lock";
inline constexpr char CacheFiles[] = "*.cache";
// The sites Firefox saw the user pass through or act on, for bounce-tracking
// protection ("sites"), which it clears with cookies.
inline constexpr char BounceTrackingSqlite[] = "bounce-tracking-protection.sqlite";
// The user's permissions (moz_perms), among them those Firefox grants by
// itself when the user interacts with a site or a site's frame; and when the
// user last interacted with each origin (moz_origin_interactions).
inline constexpr char PermissionsSqlite[] = "permissions.sqlite";

// The open windows and tabs with their back and forward lists, and the
// recently closed ones (sessionstore.js and sessionstore.bak* in older versions).
inline constexpr const char* SessionFiles[] = {"sessionstore.jsonlz4", "sessionstore.js", "sessionstore.bak*"};
inline constexpr char SessionBackups[] = "sessionstore-backups";
inline constexpr char FaviconsSqlite[] = "favicons.sqlite";
// Below the profile's cache root: pictures of visited pages for the new-tab page.
inline constexpr char Thumbnails[] = "thumbnails";
// Host names of the security and protocol state Firefox drops with its cache.
inline constexpr const char* ServerStateFiles[] = {"SiteSecurityServiceState.*", "AlternateServices.*"};

// Files only a Firefox profile holds: a folder named by an absolute profile
// entry must have one of them.
inline constexpr const char* ProfileMarkers[] = {"prefs.js", "times.json", "compatibility.ini"};
inline constexpr char NotAProfile[] = " was left alone: not a Firefox profile";
inline constexpr char InUse[] = " was left alone: Firefox is using it";
}  // namespace FirefoxNames

// The boxes of the "Mozilla Firefox" frame.
enum class FirefoxBox {
    FormHistory,
    Downloads,
    TypedUrls,
    Cookies,
    Cache
};

// One profile entry of profiles.ini.
struct FirefoxProfile {
    std::string path;       // the profile folder as the entry names it
    std::string cacheRoot;  // the folder whose cache2 holds Firefox's cache for it
    bool relative = true;   // below the browser's folder (IsRelative is not 0)
};

class Firefox {
public:
    // Looks up every profile of the profiles.ini of `place`.
    explicit Firefox(const FirefoxNames::FirefoxPlace& place);

    std::size_t ProfileCount() const { return profiles_.size(); }

    // What `box` takes, in the user's words, one thing after another.
    static std::vector<std::string> Takes(FirefoxBox box);

    // Takes what `box` takes from every profile that is one (see
    // CheckProfile) and that no running browser holds; any other is left
    // whole and said on `status`. What it deletes is the browser's on `status`.
    void Clear(FirefoxBox box, StatusLine& status) const;

    // The addresses of every profile's bookmarks (places.sqlite, read on a
    // copy) and the sites its saved passwords are for (logins.json's
    // "hostname"; no password is read): what the user signs in to.
    std::vector<std::string> SignInAddresses() const;

    // Empties `name` below the profile's cache root: under Local AppData for a
    // relative profile, in the profile itself for an absolute one.
    void EmptyLocalFolder(const FirefoxProfile& profile, const FolderFileDeleter& folder, const std::string& name,
                          StatusLine& status) const;

private:
    // Reads profiles.ini: every profile it lists, none (and then Clear
    // deletes nothing) when AppData names no folder below a drive or share.
    void GetFireFoxPath(const char* folder);

    using Deletions = std::function<void(const FirefoxProfile&, const FolderFileDeleter&)>;

    // The profile's resolved folder when it may be cleaned: an existing folder
    // that passes the target check and stays inside the browser's own folder
    // (a relative entry; no link followed below that folder) or holds a
    // profile's own files (an absolute one, a browser folder of its own: a
    // link at it is followed), and that no running browser holds. Says on `status` why an existing folder
    // is left alone; nothing for a missing one.
    // `resolvedFolder`: where the browser's own folder really is ("" when
    // it is missing or refused: no relative profile is then accepted).
    std::optional<std::string> CheckProfile(const FirefoxProfile& profile, const std::string& resolvedFolder,
                                            StatusLine& status) const;
    static std::string ResolvedBrowserFolder(const std::string& folder, StatusLine& status);
    // Runs `deletions` for every profile that CheckProfile accepts.
    void InEachProfile(StatusLine& status, const Deletions& deletions) const;
    // The place's own name and folder, as Firefox's: a fork is named in a
    // notice of its own when it runs.
    std::string name_;
    bool isFirefox_ = false;
    std::string firefoxFolder_;       // Roaming: profiles.ini and relative profiles
    std::string localFirefoxFolder_;  // Local: the cache of relative profiles
    std::vector<FirefoxProfile> profiles_;
};
