// A fixture Firefox installation: an application-data folder that the registry's
// "AppData" shell folder points at, its profiles.ini and a profile full of the
// files a real one holds.
#pragma once

#include "firefox/FirefoxCleaners.h"
#include "support/FileTree.h"
#include "support/Fixtures.h"
#include "support/RecordingStatus.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

namespace ProfileFiles {

// Every file and folder below `root`, as paths relative to it; folders end in "\".
inline std::set<std::string> Tree(const std::string& root) { return FileTree::Paths(root); }

// What a profile of a Firefox of the time holds, and a few look-alikes that
// no cleaner may touch.
// clang-format off
inline const char* const Files[] = {
    "places.sqlite",
    "formhistory.sqlite", "formhistory.sqlite-wal", "formhistory.sqlite-shm", "formhistory.sqlite-journal",
    "history.dat",
    "downloads.sqlite", "downloads.sqlite-wal", "downloads.sqlite-journal",
    "cookies.sqlite", "cookies.sqlite-wal", "cookies.sqlite-shm", "cookies.txt",
    "XUL.mfl.cache", "startupCache.cache", "COMPREG.CACHE",
    "cache\\_CACHE_MAP_", "cache\\_CACHE_001_", "cache\\4F2A1C3Bd01", "cache\\noextension",
    "cache\\Cache\\inner.cache", "cache\\0\\1A\\deep",
    "sessionstore.jsonlz4", "sessionstore.js", "sessionstore.bak-20261201", "sessionstore-backups\\recovery.jsonlz4",
    "sessionstore-backups\\previous.jsonlz4", "SiteSecurityServiceState.bin", "AlternateServices.bin",
    "storage\\default\\http+++visited.test\\ls\\data.sqlite", "storage\\temporary\\https+++visited.test+8443^userContextId=1\\x",
    // everything below survives every box
    "prefs.js", "bookmarkbackups\\bookmarks-2026-12-01.json", "content-prefs.sqlite",
    "signons.sqlite", "places.sqlite.bak", "cookies.sqlite.corrupt", "search.json.cache.bak", "cache.txt",
    "old.cache\\inside.cache", "startupCache\\startupCache.4.little", "sessionCheckpoints.json",
    "storage\\default\\moz-extension+++6a1b6e2e-4c83-4f3c-9bd6-7e8a4b1f5d20^userContextId=4294967295\\idb\\3647222921wleabcEoxlt-eengsairo.sqlite",
    "storage\\permanent\\chrome\\idb\\x.sqlite", "storage\\default\\httpsnot+++x\\y",
};
// clang-format on

// The files above in `folder`. places.sqlite is an empty database (SQLite
// opens it, and it holds no bookmarks; SQLite itself removes logs beside an
// empty database, so it has none); a file that is not SQLite there would be
// left whole.
inline void Fill(const std::string& folder) {
    for (const char* file : Files)
        Fixtures::WriteFile(folder + "\\" + file, std::string_view(file) == "places.sqlite" ? "" : file);
}

// The five cleaners, in the order a pass with every Firefox box ticked runs them.
inline void ClearAll(StatusLine& status) {
    FirefoxHistory::ClearFirefoxHistory(status);
    FirefoxHistory::ClearFirefoxDownloads(status);
    FirefoxHistory::ClearFirefoxTypedUrls(status);
    FirefoxHistory::ClearFirefoxCookies(status);
    FirefoxHistory::ClearFirefoxCache(status);
}

}  // namespace ProfileFiles

class ProfileFixture : public ::testing::Test {
protected:
    ProfileFixture() : appData_("appdata"), override_("AppData", appData_.Path()) {}

    std::string AppData() const { return appData_.Path(); }
    std::string FirefoxFolder() const { return appData_ / "Mozilla\\Firefox"; }
    std::string Profile() const { return FirefoxFolder() + "\\Profiles\\abc.default"; }

    void WriteProfilesIni(const std::string& content) {
        Fixtures::WriteFile(FirefoxFolder() + "\\profiles.ini", content);
    }
    static std::string Profile0(const std::string& path) {
        return "[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=" +
               path + "\r\n";
    }

    // The fixture profile's files, in `folder`.
    // The fixture profile's files, in `folder`.
    static void FillProfile(const std::string& folder) { ProfileFiles::Fill(folder); }

    // Installs the usual profile "Profiles/abc.default" and fills it.
    void InstallProfile() {
        WriteProfilesIni(Profile0("Profiles/abc.default"));
        FillProfile(Profile());
    }

    RecordingStatus status;

private:
    Fixtures::TempFolder appData_;
    Fixtures::ShellFolderOverride override_;
};
