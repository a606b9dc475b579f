// A fixture Local AppData folder that the registry's "Local AppData" shell
// folder points at, with User Data folders of Chromium-family browsers made
// from the real profile that scripts/make-chromium-profile.sh plants as
// C:\vorlane-chromium-profile\.
#pragma once

#include "chromium/ChromiumHistory.h"
#include "support/DatabaseRows.h"
#include "support/Fixtures.h"
#include "support/RecordingStatus.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

namespace ChromiumFiles {

inline constexpr char PlantedUserData[] = "C:\\vorlane-chromium-profile";

// Every file below `root` with its content, by path relative to it; folders
// are listed with an empty content and a trailing "\".
inline void ListContents(const std::string& root, const std::string& prefix, std::map<std::string, std::string>& out) {
    WIN32_FIND_DATAA data;
    UniqueFind find(::FindFirstFileA((root + "\\" + prefix + "*").c_str(), &data));
    if (!find) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[prefix + name + "\\"] = "";
            ListContents(root, prefix + name + "\\", out);
        } else {
            out[prefix + name] = Fixtures::ReadFile(root + "\\" + prefix + name);
        }
    } while (::FindNextFileA(find.Get(), &data));
}

inline std::map<std::string, std::string> Contents(const std::string& root) {
    std::map<std::string, std::string> out;
    ListContents(root, "", out);
    return out;
}

inline int CountFiles(const std::string& folder) {
    int files = 0;
    for (const auto& [path, content] : Contents(folder)) files += path.back() != '\\';
    return files;
}

// The six cleaners, in the order a pass with every box of the frame ticked runs them.
inline void ClearAll(StatusLine& status) {
    ChromiumHistory::ClearChromiumHistory(status);
    ChromiumHistory::ClearChromiumTypedUrls(status);
    ChromiumHistory::ClearChromiumDownloads(status);
    ChromiumHistory::ClearChromiumCookies(status);
    ChromiumHistory::ClearChromiumCache(status);
    ChromiumHistory::ClearChromiumFormHistory(status);
}

// Rows in every table of the database but those named in `kept`.
inline std::int64_t RowsOutside(const std::string& database, const std::string& keptCondition) {
    std::int64_t rows = 0;
    for (const std::string& table :
         Rows(database, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' AND NOT (" +
                            keptCondition + ")"))
        rows += Count(database, "SELECT count(*) FROM \"" + table + "\"");
    return rows;
}

}  // namespace ChromiumFiles

class ChromiumFixture : public ::testing::Test {
protected:
    ChromiumFixture() : local_("local"), override_("Local AppData", local_.Path()) {}

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
