#include "cleaning/IECleaners.h"
#include "support/FakePlatform.h"
#include "support/Fixtures.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char TypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// A status line that remembers every text it was given.
class RecordingStatus : public StatusLine {
public:
    std::string Status() const override { return text; }
    void SetStatus(const std::string& value) override {
        text = value;
        shown.push_back(value);
    }
    std::string text = "before";
    std::vector<std::string> shown;
};

bool Exists(const std::string& name) { return Fixtures::ValueExists(HKEY_CURRENT_USER, TypedUrls, name); }

}  // namespace

class TypedUrlsTest : public ::testing::Test {
protected:
    TypedUrlsTest() : snapshot_(HKEY_CURRENT_USER, TypedUrls) {
        Fixtures::DeleteKeyTree(HKEY_CURRENT_USER, TypedUrls);
    }
    static void Put(const std::string& name, const std::string& value) {
        Fixtures::SetString(HKEY_CURRENT_USER, TypedUrls, name, value);
    }
    static void PutRaw(const std::string& name, DWORD type, const std::vector<BYTE>& data) {
        UniqueRegKey key;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, TypedUrls, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    key.Put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExA(key.Get(), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    RecordingStatus status;

private:
    Fixtures::RegistryKeySnapshot snapshot_;
};

TEST_F(TypedUrlsTest, ShowsAndDeletesUrl1To100AndLeavesOtherNames) {
    Put("url1", "http://one.example/");
    Put("url2", "http://two.example/");
    Put("url3", "http://three.example/");
    Put("url101", "http://beyond.example/");
    Put("url01", "http://zero.example/");
    Put("URL0", "http://capital.example/");
    Put("other", "kept");

    IEHistory::DeleteIETypedURLs(status);

    EXPECT_EQ(status.shown, (std::vector<std::string>{"http://one.example/-->", "http://two.example/-->",
                                                      "http://three.example/-->"}));
    EXPECT_EQ(status.text, "http://three.example/-->");
    for (const char* name : {"url1", "url2", "url3"}) EXPECT_FALSE(Exists(name)) << name;
    for (const char* name : {"url101", "url01", "URL0", "other"}) EXPECT_TRUE(Exists(name)) << name;

    // Nothing is left to find: the second run shows nothing and deletes nothing.
    IEHistory::DeleteIETypedURLs(status);
    EXPECT_EQ(status.shown.size(), 3u);
    EXPECT_EQ(status.text, "http://three.example/-->");
    for (const char* name : {"url101", "url01", "URL0", "other"}) EXPECT_TRUE(Exists(name)) << name;
}

TEST_F(TypedUrlsTest, GapsDoNotStopTheLoopAndEmptyValuesGoUnshown) {
    Put("url2", "http://two.example/");
    Put("url7", "");
    Put("url50", std::string(128, 'L'));
    Put("url51", std::string(127, 'M'));
    Put("url100", "http://hundred.example/");

    IEHistory::DeleteIETypedURLs(status);

    EXPECT_EQ(status.shown, (std::vector<std::string>{"http://two.example/-->", std::string(128, 'L') + "-->",
                                                      std::string(127, 'M') + "-->", "http://hundred.example/-->"}));
    for (const char* name : {"url2", "url7", "url50", "url51", "url100"}) EXPECT_FALSE(Exists(name)) << name;
}

TEST_F(TypedUrlsTest, ValuesThatAreNotStringsAreDeletedUnshownAndTheLoopReachesUrl100) {
    ScopedFakePlatform platform;
    const std::string longUrl = "http://long.example/" + std::string(280, 'p');
    const DWORD number = 7;
    Put("url1", "http://one.example/");
    PutRaw("url50", REG_BINARY, std::vector<BYTE>(128, 'b'));
    PutRaw("url55", REG_DWORD,
           std::vector<BYTE>(reinterpret_cast<const BYTE*>(&number), reinterpret_cast<const BYTE*>(&number + 1)));
    PutRaw("url58", REG_MULTI_SZ, {'m', 0, 0});
    Put("url60", longUrl);
    Put("url100", "http://hundred.example/");

    IEHistory::DeleteIETypedURLs(status);

    EXPECT_EQ(status.shown, (std::vector<std::string>{"http://one.example/-->", longUrl + "-->",
                                                      "http://hundred.example/-->"}));
    EXPECT_EQ(status.text, "http://hundred.example/-->");
    for (const char* name : {"url1", "url50", "url55", "url58", "url60", "url100"})
        EXPECT_FALSE(Exists(name)) << name;
    EXPECT_TRUE(platform->messages.empty());
}

TEST_F(TypedUrlsTest, AMissingKeyIsNotAnErrorAndIsNotCreated) {
    IEHistory::DeleteIETypedURLs(status);
    EXPECT_TRUE(status.shown.empty());
    EXPECT_EQ(status.text, "before");
    UniqueRegKey key;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, TypedUrls, 0, KEY_READ, key.Put()), ERROR_SUCCESS);
}
