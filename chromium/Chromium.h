// The Chromium-family browsers of the user (Chrome, Edge, Brave, Vivaldi,
// Chromium, Opera, Opera GX), their profiles and the deletions in them. One
// object serves one cleaning call: the browsers and profiles are looked up
// anew each time.
#pragma once

#include "cleaning/StatusLine.h"

#include <functional>
#include <string>
#include <vector>

class FolderFileDeleter;

namespace ChromiumNames {
// Where a browser keeps its data.
enum class Layout {
    // A User Data folder below Local AppData holding the profiles that Local
    // State lists, each with its cache inside.
    UserData,
    // One profile, the folder itself, below Roaming AppData; its cache in the
    // folder of the same name below Local AppData.
    RoamingProfile,
};
struct BrowserPlace {
    const char* name;    // as the user knows the browser
    const char* folder;  // below Local AppData, or Roaming AppData for a RoamingProfile
    Layout layout;
};
inline constexpr BrowserPlace Browsers[] = {
    {"Google Chrome", "Google\\Chrome\\User Data", Layout::UserData},
    {"Microsoft Edge", "Microsoft\\Edge\\User Data", Layout::UserData},
    {"Brave", "BraveSoftware\\Brave-Browser\\User Data", Layout::UserData},
    {"Vivaldi", "Vivaldi\\User Data", Layout::UserData},
    {"Chromium", "Chromium\\User Data", Layout::UserData},
    {"Opera", "Opera Software\\Opera Stable", Layout::RoamingProfile},
    {"Opera GX", "Opera Software\\Opera GX Stable", Layout::RoamingProfile},
};

// In the User Data folder.
inline constexpr char LocalState[] = "Local State";
inline constexpr char Lockfile[] = "lockfile";
// The profiles a browser makes when Local State cannot tell: "Default" and
// "Profile 1", "Profile 2", ..., each holding its Preferences.
inline constexpr char DefaultProfile[] = "Default";
inline constexpr char NumberedProfile[] = "Profile ";
inline constexpr char Preferences[] = "Preferences";

// In a profile folder.
inline constexpr char History[] = "History";
inline constexpr char Shortcuts[] = "Shortcuts";
inline constexpr char NetworkActionPredictor[] = "Network Action Predictor";
inline constexpr char VisitedLinks[] = "Visited Links";
inline constexpr char TopSites[] = "Top Sites";
inline constexpr char NetworkFolder[] = "Network";
inline constexpr char Cookies[] = "Cookies";
inline constexpr char WebData[] = "Web Data";
inline constexpr char LoginData[] = "Login Data";
// Settings the browser guards with a MAC, the default search engine among
// them on some versions.
inline constexpr char SecurePreferences[] = "Secure Preferences";
// The notifications that sites' service workers showed (LevelDB, keyed
// "DATA:<origin>", a NUL and the id, and "RESOURCES:<origin>" likewise, the
// origin as "http_example.test_0").
inline constexpr char PlatformNotifications[] = "Platform Notifications";
inline constexpr const char* NotificationKeyPrefixes[] = {"DATA:", "RESOURCES:"};
// The origin trials sites enabled for later visits (LevelDB keyed by origin).
inline constexpr char PersistentOriginTrials[] = "PersistentOriginTrials";
inline constexpr char Bookmarks[] = "Bookmarks";
inline constexpr char Favicons[] = "Favicons";
// The open tabs and windows with their back and forward lists, and the
// recently closed ones: today in the Sessions folder (and an encrypted copy in
// Sessions_Encrypted), in older versions in four files of the profile.
inline constexpr const char* SessionsFolders[] = {"Sessions", "Sessions_Encrypted"};
inline constexpr const char* OldSessionFiles[] = {"Current Session", "Last Session", "Current Tabs", "Last Tabs"};
// Sites the user was taken through (bounce tracking), and what the browser
// learnt of each site's behaviour in the background (LevelDB, keyed by a hash
// of the origin).
inline constexpr char Dips[] = "DIPS";
// What was played on each site, in versions before 2023.
inline constexpr char MediaHistory[] = "Media History";
inline constexpr char SiteCharacteristics[] = "Site Characteristics Database";
inline constexpr char SiteCharacteristicsVersion[] = "database_metadata";
// A LevelDB database shared by several features, each key prefixed by its
// feature's number: "21_" is the downloads list.
inline constexpr char SharedProtoDb[] = "shared_proto_db";
inline constexpr char DownloadEntries[] = "21_";
// Below the User Data folder: metrics kept per visited address.
inline constexpr char SegmentationFolder[] = "segmentation_platform";
inline constexpr char UkmDatabase[] = "ukm_db";

// Everything below them is cache.
inline constexpr const char* CacheFolders[] = {"Cache", "Code Cache", "GPUCache"};
// In the Network folder: what the browser learnt of each server it spoke to
// (protocols, HTTPS-only hosts), dropped with the cache.
inline constexpr const char* NetworkStateFiles[] = {"Network Persistent State", "TransportSecurity"};
inline constexpr char ReportingAndNel[] = "Reporting and NEL";
}  // namespace ChromiumNames

// The boxes of the "Chrome and Edge" frame.
enum class ChromiumBox {
    History,
    TypedUrls,
    Downloads,
    Cookies,
    Cache,
    FormHistory
};

// An installed browser: its User Data folder exists.
struct ChromiumBrowser {
    std::string name;
    std::string userData;               // the User Data folder (Opera's profile folder)
    std::vector<std::string> profiles;  // the profile folders there, as full paths
    // The User Data folder's counterpart below Local AppData, where the cache
    // lies: the same folder for a browser kept under Local AppData; for one
    // kept under Roaming AppData, the folder of the same name below Local.
    std::string localData;
};

class Chromium {
public:
    // Looks up every installed browser and its profiles.
    Chromium();

    const std::vector<ChromiumBrowser>& Browsers() const { return browsers_; }

    // What `box` takes, in the user's words, one thing after another.
    static std::vector<std::string> Takes(ChromiumBox box);

    // The addresses of every profile's bookmarks and the sites its saved
    // passwords are for (Login Data's origin_url, read on a copy; no password
    // is read): what the user signs in to.
    std::vector<std::string> SignInAddresses() const;

    // Takes what `box` takes from every profile of every browser that is not
    // running; a running browser, a refused folder and a database that cannot
    // be changed are left whole and said on `status`.
    void Clear(ChromiumBox box, StatusLine& status) const;

private:
    using BrowserDeletions = std::function<void(const ChromiumBrowser& browser, const FolderFileDeleter& folder)>;

    // Runs `deletions` in every profile folder that passes the target check
    // and lies inside its browser's User Data folder, of every browser that is
    // not running, and `userDataDeletions` once in the User Data folder of
    // each of those browsers.
    void InEachProfileOf(StatusLine& status, const BrowserDeletions& deletions,
                         const BrowserDeletions& userDataDeletions) const;

    std::vector<ChromiumBrowser> browsers_;
};
