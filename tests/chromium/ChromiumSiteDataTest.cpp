// Which keys of Chromium's site-data databases belong to web sites: those go,
// an extension's and the database's own stay. The made profile holds only the
// plain forms; these are the others a browser writes (partitioned storage,
// file pages, a map that two tabs share, an extension's service worker).
#include "chromium/ChromiumPreferences.h"
#include "chromium/ChromiumSiteData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

TEST(ChromiumSiteDataTest, KeysAndFoldersOfWebOriginsAreTheOnlyOnesTaken) {
    const struct {
        std::string key;
        bool web;
    } localStorage[] = {
        {"_https://a.example\0\x01name"s, true},
        {"_https://a.example/^0https://b.example\0\x01name"s, true},  // partitioned under another site
        {"_file://\0\x01name"s, true},
        {"META:http://a.example:8080", true},
        {"METAACCESS:https://a.example", true},
        {"_chrome-extension://abcdefghijklmnopabcdefghijklmnop\0\x01name"s, false},
        {"META:chrome-extension://abcdefghijklmnopabcdefghijklmnop", false},
        {"VERSION", false},
        {"_httpsx://a.example\0\x01name"s, false},
        {"_", false},
    };
    for (const auto& c : localStorage) EXPECT_EQ(ChromiumSiteData::IsWebLocalStorageKey(c.key), c.web) << c.key;

    for (const char* web : {"http_a.example_0.indexeddb.leveldb", "https_a.example_443.indexeddb.blob", "file__0"})
        EXPECT_TRUE(ChromiumSiteData::IsWebOriginFolder(web)) << web;
    for (const char* kept : {"chrome-extension_abc_0.indexeddb.leveldb", "httpx_a_0", "000"})
        EXPECT_FALSE(ChromiumSiteData::IsWebOriginFolder(kept)) << kept;

    // Content-setting entries of Preferences, "<primary>,<secondary>".
    const struct {
        const char* key;
        bool site;
    } entries[] = {
        {"https://a.example:443,*", true},
        {"http://a.example:80,https://b.example:443", true},
        {"[*.]a.example,*", true},
        {"*,https://b.example:443", true},
        {"file:///*,*", true},
        {"chrome-extension://abcdefghijklmnopabcdefghijklmnop/,*", false},
        {"chrome-extension://abcdefghijklmnopabcdefghijklmnop/,https://b.example:443", false},
        {"chrome://omnibox-popup.top-chrome/,*", false},
        {"*,*", false},
        {"", false},
    };
    for (const auto& c : entries) EXPECT_EQ(ChromiumPreferences::IsSiteEntry(c.key), c.site) << c.key;
}

TEST(ChromiumSiteDataTest, SessionStorageMapsGoWithTheWebTabsThatUseThem) {
    const std::string tab1 = "0a2c8f3e_1b2d_4c5e_8f90_123456789abc", tab2 = "1b3d9f4f_2c3e_5d6f_9a01_23456789abcd";
    const LevelDb::Entries entries = {
        {"map-1-name", "site value"},
        {"map-2-name", "extension value"},
        {"map-3-name", "shared value"},
        {"map-4-name", "a web tab's and an extension's"},
        {"namespace-" + tab1 + "-https://a.example/", "1"},
        {"namespace-" + tab1 + "-chrome-extension://abcdefghijklmnopabcdefghijklmnop/", "2"},
        {"namespace-" + tab1 + "-https://b.example/", "3"},
        {"namespace-" + tab2 + "-https://b.example/", "3"},
        {"namespace-" + tab2 + "-https://c.example/", "4"},
        {"namespace-" + tab2 + "-chrome-extension://abcdefghijklmnopabcdefghijklmnop/", "4"},
        {"next-map-id", "4"},
        {"version", "1"},
    };
    EXPECT_EQ(ChromiumSiteData::WebSessionStorageKeys(entries),
              (std::vector<std::string>{"namespace-" + tab1 + "-https://a.example/",
                                        "namespace-" + tab1 + "-https://b.example/",
                                        "namespace-" + tab2 + "-https://b.example/",
                                        "namespace-" + tab2 + "-https://c.example/", "map-1-name", "map-3-name"}));
}

TEST(ChromiumSiteDataTest, AServiceWorkerGoesWithItsScriptsAndDataAndAnExtensionsStays) {
    // A script record: field 1 the resource id, field 2 the script's address.
    const auto script = [](const std::string& url) { return "\x08\x05\x12"s + static_cast<char>(url.size()) + url; };
    // clang-format off
    const LevelDb::Entries entries = {
        {"INITDATA_NEXT_REGISTRATION_ID", "2"},
        {"INITDATA_UNIQUE_ORIGIN:chrome-extension://abc/", ""},
        {"INITDATA_UNIQUE_ORIGIN:https://a.example/", ""},
        {"PRES:5", ""},
        {"PRES:7", ""},
        {"REG:chrome-extension://abc/\0" "1"s, "extension registration"},
        {"REG:https://a.example/\0" "0"s, "site registration"},
        {"REGID_TO_ORIGIN:0", "https://a.example/"},
        {"REGID_TO_ORIGIN:1", "chrome-extension://abc/"},
        {"REG_HAS_USER_DATA:key\0" "0"s, ""},
        {"REG_HAS_USER_DATA:key\0" "1"s, ""},
        {"REG_USER_DATA:0\0key"s, "site data"},
        {"REG_USER_DATA:1\0key"s, "extension data"},
        {"RES:10\0" "5"s, script("https://a.example/sw.js")},
        {"RES:11\0" "7"s, script("chrome-extension://abc/sw.js")},
    };
    EXPECT_EQ(ChromiumSiteData::WebServiceWorkerKeys(entries),
              (std::vector<std::string>{"RES:10\0" "5"s, "INITDATA_UNIQUE_ORIGIN:https://a.example/", "PRES:5",
                                        "REG:https://a.example/\0" "0"s, "REGID_TO_ORIGIN:0",
                                        "REG_HAS_USER_DATA:key\0" "0"s, "REG_USER_DATA:0\0key"s}));
    // clang-format on
}
