// A fixture Local AppData folder that the registry's "Local AppData" shell
// folder points at, with User Data folders of Chromium-family browsers made
// from the real profile that scripts/make-chromium-profile.sh plants as
// C:\vorlane-chromium-profile\.
#pragma once

#include "chromium/ChromiumCleaners.h"
#include "support/DatabaseRows.h"
#include "support/FileTree.h"
#include "support/Fixtures.h"
#include "support/RecordingStatus.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <windows.h>

#include <initializer_list>
#include <map>
#include <string>

namespace ChromiumFiles {

inline constexpr char PlantedUserData[] = "C:\\vorlane-chromium-profile";

using FileTree::Contents;
using FileTree::CountFiles;

// The six cleaners, in the order a pass with every box of the frame ticked runs them.
inline void ClearAll(StatusLine& status) {
    ChromiumHistory::ClearChromiumHistory(status);
    ChromiumHistory::ClearChromiumTypedUrls(status);
    ChromiumHistory::ClearChromiumDownloads(status);
    ChromiumHistory::ClearChromiumCookies(status);
    ChromiumHistory::ClearChromiumCache(status);
    ChromiumHistory::ClearChromiumFormHistory(status);
}

// Rows in every table of the database but those `keptCondition` (on sqlite_master) selects.
inline std::int64_t RowsOutside(const std::string& database, const std::string& keptCondition) {
    std::int64_t rows = 0;
    for (const std::string& table :
         Rows(database, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' AND NOT (" +
                            keptCondition + ")"))
        rows += Count(database, "SELECT count(*) FROM \"" + table + "\"");
    return rows;
}

// The lists of Preferences that note what happened on each site and that
// the real profile fills: the History box takes their web sites' entries,
// the Cookies box those of the client hints.
inline constexpr std::initializer_list<const char*> HistoryNotes = {"site_engagement", "media_engagement",
                                                                    "notification_interactions"};
inline constexpr std::initializer_list<const char*> CookieNotes = {"client_hints"};

// `settings` without the http and https entries of `lists`.
inline nlohmann::json WithoutSiteNotes(nlohmann::json settings, std::initializer_list<const char*> lists) {
    nlohmann::json& exceptions = settings["profile"]["content_settings"]["exceptions"];
    for (const char* list : lists) {
        nlohmann::json kept = nlohmann::json::object();
        for (const auto& [key, value] : exceptions[list].items()) {
            if (key.rfind("http://", 0) != 0 && key.rfind("https://", 0) != 0) kept[key] = value;
        }
        exceptions[list] = kept;
    }
    return settings;
}

// What a profile's Preferences must still say after every box.
inline nlohmann::json SettingsWithoutEngagement(const std::string& preferences) {
    return WithoutSiteNotes(WithoutSiteNotes(nlohmann::json::parse(preferences), HistoryNotes), CookieNotes);
}

}  // namespace ChromiumFiles

class ChromiumFixture : public ::testing::Test {
protected:
    ChromiumFixture() : local_("local"), override_("Local AppData", local_.Path()) {}

    std::string LocalAppData() const { return local_.Path(); }
    // The User Data folder of a browser below the fixture's Local AppData.
    std::string UserData(const std::string& below) const { return local_ / (below + "\\User Data"); }

    // A copy of the planted profile as `profile` of `userData`.
    static std::string CopyProfile(const std::string& userData, const std::string& profile) {
        const std::string folder = userData + "\\" + profile;
        Fixtures::CopyTree(std::string(ChromiumFiles::PlantedUserData) + "\\Default", folder);
        return folder;
    }
    static void WriteLocalState(const std::string& userData, const std::string& json) {
        Fixtures::WriteFile(userData + "\\Local State", json);
    }
    static std::string PlantedLocalState() {
        return Fixtures::ReadFile(std::string(ChromiumFiles::PlantedUserData) + "\\Local State");
    }

    RecordingStatus status;

private:
    Fixtures::TempFolder local_;
    Fixtures::ShellFolderOverride override_;
};
