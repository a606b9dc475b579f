// The user's Firefox profile folder and the deletions of whole files in it.
// One object serves one cleaning call: the profile is looked up anew each time.
#pragma once

#include "cleaning/StatusLine.h"

#include <functional>

#include <optional>
#include <string>

namespace FirefoxNames {
inline constexpr char ShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr char AppDataValue[] = "AppData";
inline constexpr char FirefoxFolder[] = "\\Mozilla\\Firefox";
inline constexpr char ProfilesIni[] = "\\profiles.ini";
inline constexpr char ProfileSection[] = "Profile0";
inline constexpr char PathKey[] = "Path";
inline constexpr char IsRelativeKey[] = "IsRelative";

inline constexpr char Cache[] = "\\cache";
inline constexpr char HistoryDat[] = "\\history.dat";
inline constexpr char CookiesTxt[] = "\\cookies.txt";
inline constexpr char PlacesSqlite[] = "\\places.sqlite";
inline constexpr char FormHistorySqlite[] = "\\formhistory.sqlite";
inline constexpr char DownloadsSqlite[] = "\\downloads.sqlite";
inline constexpr char CookiesSqlite[] = "\\cookies.sqlite";
inline constexpr char AllFiles[] = "*.*";
inline constexpr char CacheFiles[] = "*.cache";

// Files only a Firefox profile holds: a folder named by an absolute profile
// entry must have one of them.
inline constexpr const char* ProfileMarkers[] = {"prefs.js", "times.json", "compatibility.ini"};
inline constexpr char NotAProfile[] = " was left alone: not a Firefox profile";
}  // namespace FirefoxNames

class FolderFileDeleter;

class Firefox {
public:
    // Looks up the profile and builds the paths of the files inside it.
    Firefox();

    // The profile folder named by the first entry of profiles.ini: below the
    // Firefox folder of the user's application-data folder for a relative
    // entry, the entry itself for an absolute one; empty when no profile can
    // be found, and then every Delete_ method deletes nothing.
    std::string GetFireFoxPath();

    // Each deletes nothing unless the profile is one (see CheckProfile); a
    // profile that is not is left whole and said on `status`.
    void Delete_TypedUrls(StatusLine& status) const;
    void Delete_History(StatusLine& status) const;
    void Delete_Downloads(StatusLine& status) const;
    void Delete_Cache(StatusLine& status) const;
    void Delete_Cookies(StatusLine& status) const;

    bool Resolved() const { return profile_.has_value(); }
    std::string ProfilePath() const { return profile_.value_or(""); }
    const std::string& CachePath() const { return cachePath_; }
    const std::string& HistoryDatPath() const { return historyDatPath_; }
    const std::string& CookiesTxtPath() const { return cookiesTxtPath_; }

private:
    // The profile's resolved path when it may be cleaned: an existing folder
    // that passes the target check and stays inside the Firefox folder (a
    // relative entry) or holds a profile's own files (an absolute one). Says
    // on `status` when an existing folder is refused; nothing for a missing one.
    std::optional<std::string> CheckProfile(StatusLine& status) const;
    // Runs `deletions` with a deleter for the profile folder when CheckProfile accepts it.
    void InProfile(StatusLine& status, const std::function<void(const FolderFileDeleter&)>& deletions) const;

    std::optional<std::string> profile_;  // nothing when no profile was found
    std::string firefoxFolder_;
    bool relative_ = true;
    std::string cachePath_;
    std::string historyDatPath_;
    std::string cookiesTxtPath_;
};
