// Each box alone on a copy of the real profile: it erases what it names and
// nothing of what the other boxes name; a database it cannot change is left
// as it was and said.
#include "ChromiumFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace ChromiumFiles;

namespace {

// What a user would see of each kind of data, as counts.
struct Counts {
    std::int64_t typedUrls, otherUrls, visits, searchTerms, downloads, shortcuts, predictor, cookies, forms;
    bool operator==(const Counts&) const = default;
};

Counts Read(const std::string& profile) {
    const std::string history = profile + "\\History";
    return Counts{
        Count(history, "SELECT count(*) FROM urls WHERE typed_count > 0"),
        Count(history, "SELECT count(*) FROM urls WHERE typed_count = 0"),
        Count(history, "SELECT count(*) FROM visits"),
        Count(history, "SELECT count(*) FROM keyword_search_terms"),
        Count(history, "SELECT (SELECT count(*) FROM downloads) + (SELECT count(*) FROM downloads_url_chains)"),
        Count(profile + "\\Shortcuts", "SELECT count(*) FROM omni_box_shortcuts"),
        Count(profile + "\\Network Action Predictor", "SELECT count(*) FROM network_action_predictor"),
        Count(profile + "\\Network\\Cookies", "SELECT count(*) FROM cookies"),
        Count(profile + "\\Web Data", "SELECT count(*) FROM autofill"),
    };
}

std::ostream& operator<<(std::ostream& out, const Counts& c) {
    return out << "typed " << c.typedUrls << ", other " << c.otherUrls << ", visits " << c.visits << ", terms "
               << c.searchTerms << ", downloads " << c.downloads << ", shortcuts " << c.shortcuts << ", predictor "
               << c.predictor << ", cookies " << c.cookies << ", forms " << c.forms;
}

struct BoxCase {
    const char* name;
    void (*clear)(StatusLine&);
    std::function<Counts(Counts)> after;  // the counts expected after the box, from those before
};

const BoxCase BoxCases[] = {
    {"History", ChromiumHistory::ClearChromiumHistory,
     [](Counts c) {
         c.typedUrls = c.otherUrls = c.visits = c.searchTerms = c.shortcuts = c.predictor = 0;
         return c;
     }},
    {"TypedUrls", ChromiumHistory::ClearChromiumTypedUrls,
     [](Counts c) {
         c.typedUrls = c.searchTerms = c.shortcuts = 0;
         c.visits = -1;  // checked apart: only the typed addresses' visits go
         return c;
     }},
    {"Downloads", ChromiumHistory::ClearChromiumDownloads,
     [](Counts c) {
         c.downloads = 0;
         return c;
     }},
    {"Cookies", ChromiumHistory::ClearChromiumCookies,
     [](Counts c) {
         c.cookies = 0;
         return c;
     }},
    {"Cache", ChromiumHistory::ClearChromiumCache, [](Counts c) { return c; }},
    {"FormHistory", ChromiumHistory::ClearChromiumFormHistory,
     [](Counts c) {
         c.forms = 0;
         return c;
     }},
};

class ChromiumDatabaseTest : public ChromiumFixture, public ::testing::WithParamInterface<BoxCase> {};

}  // namespace

TEST_P(ChromiumDatabaseTest, ErasesWhatItNamesAndNothingElse) {
    const BoxCase& c = GetParam();
    const std::string profile = CopyProfile(UserData("Google\\Chrome"), "Default");
    const Counts before = Read(profile);
    ASSERT_GT(before.typedUrls, 0);
    ASSERT_GT(before.otherUrls, 0);
    ASSERT_GT(before.searchTerms, 0);
    ASSERT_GT(before.downloads, 0);
    const std::int64_t visitsOfOtherUrls = Count(
        profile + "\\History", "SELECT count(*) FROM visits WHERE url IN (SELECT id FROM urls WHERE typed_count = 0)");
    const int cacheFiles = CountFiles(profile + "\\Cache\\Cache_Data");

    c.clear(status);

    Counts expected = c.after(before);
    Counts after = Read(profile);
    if (expected.visits == -1) {
        expected.visits = visitsOfOtherUrls;
        EXPECT_EQ(Count(profile + "\\History", "SELECT count(*) FROM visits WHERE url NOT IN (SELECT id FROM urls)"),
                  0);
    }
    EXPECT_EQ(after, expected);
    EXPECT_EQ(CountFiles(profile + "\\Cache\\Cache_Data"), std::string(c.name) == "Cache" ? 0 : cacheFiles);
    EXPECT_EQ(Fixtures::FileExists(profile + "\\Top Sites"), std::string(c.name) != "History");
    EXPECT_TRUE(status.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(Boxes, ChromiumDatabaseTest, ::testing::ValuesIn(BoxCases),
                         [](const ::testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

class ChromiumDatabaseTestUnchanged : public ChromiumFixture {};

TEST_F(ChromiumDatabaseTestUnchanged, AStoreThatIsDamagedHeldOrReadOnlyIsLeftAsItWasAndSaid) {
    const std::string userData = UserData("Microsoft\\Edge");
    const std::string profile = CopyProfile(userData, "Default");
    WriteLocalState(userData, PlantedLocalState());
    // Not SQLite, with a journal beside it that SQLite would otherwise roll back.
    Fixtures::WriteFile(profile + "\\History", "not a database at all, but long enough to be read");
    Fixtures::WriteFile(profile + "\\History-journal", "journal");
    // Held by another program without sharing.
    UniqueFile held(::CreateFileA((profile + "\\Web Data").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.Valid());
    // Read-only: the user's choice to keep it as it is.
    const std::string preferences = Fixtures::ReadFile(profile + "\\Preferences");
    ASSERT_TRUE(::SetFileAttributesA((profile + "\\Preferences").c_str(), FILE_ATTRIBUTE_READONLY));
    // Nested 20,000 deep, in Chrome's profile: Chromium itself refuses JSON deeper than 200.
    const std::string chrome = UserData("Google\\Chrome");
    const std::string deepProfile = CopyProfile(chrome, "Default");
    WriteLocalState(chrome, PlantedLocalState());
    const std::string deep =
        R"({"profile":{"content_settings":{"exceptions":{"site_engagement":{"https://a.example:443,*":{}}}}},"x":)" +
        std::string(20000, '[') + std::string(20000, ']') + "}";
    Fixtures::WriteFile(deepProfile + "\\Preferences", deep);

    ChromiumHistory::ClearChromiumHistory(status);
    ChromiumHistory::ClearChromiumFormHistory(status);
    ChromiumHistory::ClearChromiumCookies(status);

    EXPECT_EQ(Fixtures::ReadFile(profile + "\\History"), "not a database at all, but long enough to be read");
    EXPECT_EQ(Fixtures::ReadFile(profile + "\\History-journal"), "journal");
    EXPECT_EQ(Fixtures::ReadFile(profile + "\\Preferences"), preferences);
    EXPECT_EQ(Fixtures::Attributes(profile + "\\Preferences") & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Fixtures::ReadFile(deepProfile + "\\Preferences"), deep);
    const std::string suffix = " was left alone: it could not be changed";
    EXPECT_EQ(std::set<std::string>(status.notices.begin(), status.notices.end()),
              (std::set<std::string>{profile + "\\History" + suffix, profile + "\\Web Data" + suffix,
                                     profile + "\\Preferences" + suffix, deepProfile + "\\Preferences" + suffix,
                                     // Which search engine is the default is unknown there: none goes.
                                     deepProfile + "\\Web Data" + suffix}));
    ::SetFileAttributesA((profile + "\\Preferences").c_str(), FILE_ATTRIBUTE_NORMAL);
    held.Reset();
    EXPECT_GT(Count(profile + "\\Web Data", "SELECT count(*) FROM autofill"), 0);
    EXPECT_EQ(Count(profile + "\\Network\\Cookies", "SELECT count(*) FROM cookies"), 0);
}
