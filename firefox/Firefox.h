// The user's Firefox profile folder and the deletions of whole files in it.
// One object serves one cleaning call: the profile is looked up anew each time.
#pragma once

#include <optional>
#include <string>

namespace FirefoxNames {
inline constexpr char ShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr char AppDataValue[] = "AppData";
inline constexpr char FirefoxFolder[] = "\\Mozilla\\Firefox";
inline constexpr char ProfilesIni[] = "\\profiles.ini";
inline constexpr char ProfileSection[] = "Profile0";
inline constexpr char PathKey[] = "Path";

inline constexpr char Cache[] = "\\cache";
inline constexpr char HistoryDat[] = "\\history.dat";
inline constexpr char CookiesTxt[] = "\\cookies.txt";
inline constexpr char PlacesSqlite[] = "\\places.sqlite";
inline constexpr char FormHistorySqlite[] = "\\formhistory.sqlite";
inline constexpr char DownloadsSqlite[] = "\\downloads.sqlite";
inline constexpr char CookiesSqlite[] = "\\cookies.sqlite";
inline constexpr char AllFiles[] = "*.*";
inline constexpr char CacheFiles[] = "*.cache";
}  // namespace FirefoxNames

class Firefox {
public:
    // Looks up the profile and builds the paths of the files inside it.
    Firefox();

    // The profile folder named by the first entry of profiles.ini, below the
    // user's application-data folder; empty when no profile can be found, and
    // then every Delete_ method deletes nothing.
    std::string GetFireFoxPath();

    void Delete_TypedUrls() const;
    void Delete_History() const;
    void Delete_Downloads() const;
    void Delete_Cache() const;
    void Delete_Cookies() const;

    bool Resolved() const { return profile_.has_value(); }
    std::string ProfilePath() const { return profile_.value_or(""); }
    const std::string& CachePath() const { return cachePath_; }
    const std::string& HistoryDatPath() const { return historyDatPath_; }
    const std::string& CookiesTxtPath() const { return cookiesTxtPath_; }

private:
    std::optional<std::string> profile_;  // nothing when no profile was found
    std::string cachePath_;
    std::string historyDatPath_;
    std::string cookiesTxtPath_;
};
