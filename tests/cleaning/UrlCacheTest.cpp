#include "support/UrlCacheHelpers.h"

#include "cleaning/IECleaners.h"
#include "cleaning/IEUrlCache.h"
#include "support/FakePlatform.h"
#include "support/Fixtures.h"
#include "system/Failure.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// The listed names without the trailing empty element, which must be there.
std::vector<std::string> Listed(const std::vector<std::string>& list) {
    EXPECT_FALSE(list.empty());
    if (list.empty()) return {};
    EXPECT_EQ(list.back(), "");
    return Sorted(std::vector<std::string>(list.begin(), list.end() - 1));
}

// Each test starts from an empty URL cache, with the cleaners' shell folders
// pointing at empty fixture folders; its LoadHistroy begins a fresh program run.
class UrlCacheTest : public ::testing::Test {
protected:
    UrlCacheTest() { UrlCache::Clear(); }
    ~UrlCacheTest() override {
        UrlCache::Clear();
        IEHistory::LoadHistroy();
    }

    ScopedFakePlatform platform;
    Fixtures::TempFolder cookies_{"cookies"};
    Fixtures::TempFolder cache_{"cache"};
    Fixtures::ShellFolderOverride cookiesValue_{"Cookies", cookies_.Path()};
    Fixtures::ShellFolderOverride cacheValue_{"Cache", cache_.Path()};
    RecordingStatus status;
};

}  // namespace

TEST_F(UrlCacheTest, StartUpWalkSortsEntriesByTheCookiePrefixAndEndsEachListEmpty) {
    const std::string page = UrlCache::DownloadPageWithCookie();
    ASSERT_FALSE(page.empty()) << "the loopback download failed";
    const std::vector<std::string> afterDownload = UrlCache::Names();
    ASSERT_EQ(afterDownload.size(), 2u) << "expected the page and its cookie";
    const auto cookie = std::find_if(afterDownload.begin(), afterDownload.end(),
                                     [](const std::string& n) { return n.rfind("Cookie:", 0) == 0; });
    ASSERT_NE(cookie, afterDownload.end());
    EXPECT_NE(cookie->find("@127.0.0.1/"), std::string::npos) << *cookie;

    const std::vector<std::string> moreCookies = {"Cookie:vorlane@a.example/", "Cookie:vorlane@b.example/"};
    for (const auto& name : moreCookies) ASSERT_TRUE(UrlCache::Commit(name, COOKIE_CACHE_ENTRY)) << name;
    const std::vector<std::string> others = {"http://a.example/one.html", "cookie:lower@c.example/",
                                             "http://xCookie.example/", "http://d.example/Cookie"};
    for (const auto& name : others) ASSERT_TRUE(UrlCache::Commit(name)) << name;

    IEHistory::LoadHistroy();

    EXPECT_TRUE(platform->Reports().empty());
    ASSERT_EQ(IEHistory::CookieEntries().size(), 4u);  // indexes 0-3, 3 empty
    ASSERT_EQ(IEHistory::CacheEntries().size(), 6u);   // indexes 0-5, 5 empty
    std::vector<std::string> expectedCookies = moreCookies;
    expectedCookies.push_back(*cookie);
    EXPECT_EQ(Listed(IEHistory::CookieEntries()), Sorted(expectedCookies));
    std::vector<std::string> expectedOthers = others;
    expectedOthers.push_back(page);
    EXPECT_EQ(Listed(IEHistory::CacheEntries()), Sorted(expectedOthers));

    // The lists follow the cache's own enumeration order.
    std::vector<std::string> enumerated;
    for (const auto& name : UrlCache::Names())
        if (name.rfind("Cookie", 0) == 0) enumerated.push_back(name);
    enumerated.emplace_back();
    EXPECT_EQ(IEHistory::CookieEntries(), enumerated);
}

TEST_F(UrlCacheTest, EmptyCacheGivesTwoListsOfOneEmptyNameAndTheirPurgesShowNothing) {
    IEHistory::LoadHistroy();
    EXPECT_EQ(IEHistory::CookieEntries(), std::vector<std::string>{""});
    EXPECT_EQ(IEHistory::CacheEntries(), std::vector<std::string>{""});
    IEHistory::DeleteIECookies(status);
    IEHistory::DeleteIETemp(status);
    EXPECT_TRUE(status.texts.empty());
    EXPECT_TRUE(platform->Reports().empty());
}

TEST_F(UrlCacheTest, NamesLongerThanTheFirstBufferAreReadWhole) {
    const std::string longName = "http://long.example/" + std::string(6000, 'p');
    ASSERT_TRUE(UrlCache::Commit(longName));
    ASSERT_TRUE(UrlCache::Commit("http://short.example/"));
    IEHistory::LoadHistroy();
    EXPECT_EQ(Listed(IEHistory::CacheEntries()),
              Sorted({longName, "http://short.example/"}));
}

// A program left running for days must clean what was made after it
// started: every pass reads the URL cache afresh.
TEST_F(UrlCacheTest, EveryCookiePurgeTakesTheCookiesThereAtThatPass) {
    const std::vector<std::string> cookies = {"Cookie:vorlane@a.example/", "Cookie:vorlane@b.example/",
                                              "Cookie:vorlane@c.example/"};
    for (const auto& name : cookies) ASSERT_TRUE(UrlCache::Commit(name, COOKIE_CACHE_ENTRY));
    ASSERT_TRUE(UrlCache::Commit("http://kept.example/"));
    IEHistory::LoadHistroy();
    ASSERT_TRUE(UrlCache::Commit("Cookie:vorlane@late.example/", COOKIE_CACHE_ENTRY));

    IEHistory::DeleteIECookies(status);

    for (const auto& name : cookies) EXPECT_FALSE(UrlCache::Exists(name)) << name;
    EXPECT_FALSE(UrlCache::Exists("Cookie:vorlane@late.example/"));
    EXPECT_TRUE(UrlCache::Exists("http://kept.example/"));
    EXPECT_EQ(Sorted(status.texts), Sorted({cookies[0] + "-->", cookies[1] + "-->", cookies[2] + "-->",
                                            "Cookie:vorlane@late.example/-->"}));
    EXPECT_EQ(IEHistory::CookieEntries().size(), 4u) << "the start-up list stays as it was";

    // The next pass takes a cookie made since.
    ASSERT_TRUE(UrlCache::Commit(cookies[0], COOKIE_CACHE_ENTRY));
    status.texts.clear();
    IEHistory::DeleteIECookies(status);
    EXPECT_FALSE(UrlCache::Exists(cookies[0]));
    EXPECT_EQ(status.texts, std::vector<std::string>{cookies[0] + "-->"});
    EXPECT_TRUE(platform->Reports().empty());
}

TEST_F(UrlCacheTest, CachePurgeTakesEverythingButCookiesAndSilently) {
    ASSERT_TRUE(UrlCache::Commit("Cookie:vorlane@a.example/", COOKIE_CACHE_ENTRY));
    ASSERT_TRUE(UrlCache::Commit("http://a.example/"));
    ASSERT_TRUE(UrlCache::Commit("cookie:lower@a.example/"));
    IEHistory::LoadHistroy();
    ASSERT_TRUE(UrlCache::Commit("http://late.example/"));

    IEHistory::DeleteIETemp(status);

    EXPECT_FALSE(UrlCache::Exists("http://a.example/"));
    EXPECT_FALSE(UrlCache::Exists("cookie:lower@a.example/"));
    EXPECT_FALSE(UrlCache::Exists("http://late.example/"));
    EXPECT_TRUE(UrlCache::Exists("Cookie:vorlane@a.example/"));
    EXPECT_EQ(Sorted(status.texts),
              Sorted({"http://a.example/-->", "cookie:lower@a.example/-->", "http://late.example/-->"}));

    // A pass with nothing left shows no name.
    status.texts.clear();
    IEHistory::DeleteIETemp(status);
    EXPECT_TRUE(status.texts.empty());
    EXPECT_TRUE(platform->Reports().empty());
}

// A shell-folder value that fills the read buffer without an end raises on the
// read: the cookie cleaner reports it with its step and goes on, the cache
// cleaner goes on without a word. Both purges have run by then.
TEST_F(UrlCacheTest, CookieCleanerReportsAFailingStepWhereTheCacheCleanerStaysSilent) {
    ASSERT_TRUE(UrlCache::Commit("Cookie:vorlane@a.example/", COOKIE_CACHE_ENTRY));
    ASSERT_TRUE(UrlCache::Commit("http://a.example/"));
    IEHistory::LoadHistroy();
    // A status line that cannot be written: showing the purged entry fails.
    struct BrokenStatus : StatusLine {
        std::string Status() const override { return ""; }
        void SetStatus(const std::string&) override { throw Failure(91, "Object variable not set"); }
    } broken;

    IEHistory::DeleteIETemp(broken);
    EXPECT_TRUE(platform->Reports().empty());
    EXPECT_FALSE(UrlCache::Exists("http://a.example/"));

    IEHistory::DeleteIECookies(broken);
    ASSERT_EQ(platform->Reports().size(), 1u);
    const std::string& report = platform->Reports()[0].text;
    EXPECT_NE(report.find("in Tarvenny2021/08/31.IEHistory.DeleteIECookies "), std::string::npos) << report;
    EXPECT_NE(report.find("108"), std::string::npos) << report;
    EXPECT_FALSE(UrlCache::Exists("Cookie:vorlane@a.example/"));
}
