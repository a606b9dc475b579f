// What of a Firefox profile's site data belongs to web sites, in the forms the
// made profile does not hold: an add-on's service worker, attributes after
// "^", a file that is not what it should be.
#include "firefox/FaviconsDatabase.h"
#include "firefox/SiteStorage.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

TEST(SiteStorageTest, WebRegistrationsLeaveServiceWorkerTxtAndTheOthersStayAsTheyWere) {
    const std::string web = "\nhttps://a.example/\nhttps://a.example/sw.js\nfalse\n0\n#\n";
    const std::string addon = "^userContextId=4294967295\nmoz-extension://1234/\nmoz-extension://1234/bg.js\n0\n#\n";
    const std::string crlf = "\r\nhttp://b.example/\r\nhttp://b.example/w.js\r\n#\r\n";
    const struct {
        std::string text;
        std::optional<std::string> kept;
    } cases[] = {
        {"12\n" + web + addon + crlf, "12\n" + addon},
        {"12\n" + addon, "12\n" + addon},
        {"12\n", "12\n"},
        {"12\n" + addon + "\nhttps://a.example/\nhttps://a.example/sw.js\n", std::nullopt},  // cut short
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(SiteStorage::WithoutWebRegistrations(c.text), c.kept) << c.text;
}

TEST(SiteStorageTest, WebOriginsNotificationsLeaveTheStoreAndTheOthersStay) {
    const std::string web = R"("https://a.example":{"1":{"title":"hi","origin":"https://a.example"}})";
    const std::string contained = R"("http://b.example^userContextId=2":{"2":{"title":"yo"}})";
    const std::string addon = R"("moz-extension://1234":{"3":{"title":"kept"}})";
    // An object nested `depth` deep in all, and a key whose escaped quote
    // neither ends it nor lets the brackets after it count.
    const auto deep = [](std::size_t depth) { return R"({"a":)" + std::string(depth - 1, '[') + std::string(depth - 1, ']') + "}"; };
    const std::string escapedQuote = R"({"a\")" + std::string(300, '[') + R"(":1})";
    const struct {
        std::string text;
        std::optional<std::string> kept;
    } cases[] = {
        {"{" + web + "," + contained + "," + addon + "}", "{" + addon + "}"},
        {"{" + addon + "}", "{" + addon + "}"},
        {"{}", "{}"},
        {"[" + web + "]", std::nullopt},
        {"{" + web, std::nullopt},                                      // cut short
        {std::string(300, '[') + std::string(300, ']'), std::nullopt},  // deeper than the browser reads
        {deep(200), deep(200)},
        {deep(201), std::nullopt},
        {escapedQuote, escapedQuote},
    };
    for (const auto& c : cases) EXPECT_EQ(SiteStorage::WithoutWebNotifications(c.text), c.kept) << c.text;
}

TEST(SiteStorageTest, OriginFoldersAndIconSitesAreReadAsFirefoxWritesThem) {
    for (const char* web : {"http+++a.example", "https+++a.example+8443^userContextId=2", "file++++home+x.html",
                            "HTTPS+++A.EXAMPLE"})
        EXPECT_TRUE(SiteStorage::IsWebOriginFolder(web)) << web;
    for (const char* kept : {"moz-extension+++1234", "chrome", "http+++", "httpsnot+++x", "indexeddb+++fx-devtools"})
        EXPECT_FALSE(SiteStorage::IsWebOriginFolder(kept)) << kept;

    const struct {
        const char* url;
        const char* site;
    } sites[] = {
        {"http://Kept-Bookmark.test/favicon.ico", "kept-bookmark.test"},
        {"https://www.a.example:8443/page?q#f", "a.example"},
        {"https://user:pw@a.example/", "a.example"},
        {"http://[::1]:8080/favicon.ico", "[::1]"},
        {"data:image/png;base64,AAAA", ""},
    };
    for (const auto& s : sites) EXPECT_EQ(FaviconsDatabase::SiteOf(s.url), s.site) << s.url;
}
