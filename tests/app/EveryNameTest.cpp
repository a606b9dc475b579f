// Every name Windows can hold and every length, under each kind of folder a
// pass empties: files named in Cyrillic, CJK, with an emoji or an accent,
// ending in a dot or a space, and a branch more than 400 characters deep all
// go, in folders whose own names use those characters too, while the
// canaries beside them stay. A file held open by another program stays, is
// counted and named in the log line after the pass's own, and a Firefox
// database whose write-ahead log is held is said to be left alone.
#include "chromium/ChromiumCleaners.h"
#include "FormFixture.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// UTF-8, the program's code page.
const std::string Cyrillic = "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB";      // файл
const std::string Japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語
const std::string Emoji = "emoji-\xF0\x9F\x98\x80";                   // emoji-😀
const std::string Accent = "caf\xC3\xA9";                             // café

const std::string UserName = "\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5_\xE7\x94\xA8\xE6\x88\xB7";        // Данные_用户
const std::string CacheName = "\xD0\x9A\xD1\x8D\xD1\x88 \xE6\x97\xA5\xE6\x9C\xAC \xCE\xA9mega";                  // Кэш 日本 Ωmega
const std::string FirefoxProfile = "\xD0\x9F\xD1\x80\xD0\xBE\xD1\x84\xD0\xB8\xD0\xBB\xD1\x8C_\xF0\x9F\x98\x80";  // Профиль_😀

// The names every emptied folder holds: each must go.
std::vector<std::string> Names() {
    return {Cyrillic + ".dat", Japanese + ".htm", Emoji + ".js", Accent + ".css", "plain.txt", "dot.", "space ",
            "deep\\" + std::string(200, 'a') + "\\" + std::string(200, 'b') + "\\" + Cyrillic + ".long"};
}

// Written through the wide functions: the test's own helpers take only short paths.
void Write(const std::string& path, const std::string& content = "trace") {
    const std::size_t slash = path.rfind('\\');
    for (std::size_t at = path.find('\\', 3); at != std::string::npos && at <= slash; at = path.find('\\', at + 1))
        ::CreateDirectoryW(Path::ForSystem(path.substr(0, at)).c_str(), nullptr);
    UniqueFile file(::CreateFileW(Path::ForSystem(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.Valid()) << path;
    DWORD written = 0;
    ::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
}

void Fill(const std::string& folder) {
    for (const std::string& name : Names()) Write(Path::Join(folder, name));
}

}  // namespace

class EveryNameTest : public FormFixture {
protected:
    EveryNameTest()
        : root_("root"),
          user_(root_ / UserName),
          cacheOverride_("Cache", user_ + "\\" + CacheName),
          cookiesOverride_("Cookies", user_ + "\\" + LongName + "\\Cookies"),
          appDataOverride_("AppData", user_ + "\\Roaming"),
          localOverride_("Local AppData", user_ + "\\" + LongName + "\\Local") {}

    // Shell folders more than 300 characters long.
    const std::string LongName = std::string(150, 'l') + "\\" + std::string(150, 'm');

    std::string Folder(const std::string& below) const { return user_ + "\\" + below; }

    Fixtures::TempFolder root_;
    std::string user_;
    Fixtures::ShellFolderOverride cacheOverride_, cookiesOverride_, appDataOverride_, localOverride_;
};

TEST_F(EveryNameTest, EveryNameAndLengthGoesAndWhatIsHeldIsCountedAndNamed) {
    const std::string firefox = Folder("Roaming\\Mozilla\\Firefox");
    const std::string profile = firefox + "\\Profiles\\" + FirefoxProfile;
    const std::string chrome = Folder(LongName + "\\Local\\Google\\Chrome\\User Data");
    const std::vector<std::string> emptied = {Folder(CacheName), Folder(LongName + "\\Cookies"),
                                              profile + "\\cache2\\entries",
                                              chrome + "\\Default\\Cache\\Cache_Data",
                                              chrome + "\\" + Japanese + " 2\\Cache\\Cache_Data"};
    for (const std::string& folder : emptied) Fill(folder);
    Write(profile + "\\prefs.js");
    Write(profile + "\\cookies.sqlite");
    Write(profile + "\\cookies.sqlite-wal");
    Write(firefox + "\\profiles.ini",
          "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/" + FirefoxProfile + "\r\n");
    for (const std::string& name : {std::string("Default"), Japanese + " 2"}) Write(chrome + "\\" + name + "\\Preferences");
    Write(chrome + "\\Local State", "{\"profile\":{\"info_cache\":{\"Default\":{},\"" + Japanese + " 2\":{}}}}");
    // Canaries beside the emptied folders, named alike.
    const std::string canaries = Folder(CacheName + " canaries");
    Fill(canaries);
    // Held open without sharing, as a running program holds a file.
    const std::string held = Folder(CacheName) + "\\" + Cyrillic + " held.dat";
    Write(held);
    const UniqueFile holder(::CreateFileW(Path::ForSystem(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    const UniqueFile walHolder(::CreateFileW(Path::ForSystem(profile + "\\cookies.sqlite-wal").c_str(), GENERIC_READ,
                                             0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder.Valid() && walHolder.Valid());
    EXPECT_EQ(ChromiumHistory::FoundProfiles(), "Google Chrome: 2 profiles");

    Form1& form = CreateForm();
    for (ControlId box : {CleaningBoxes::Id("chkIETemp"), CleaningBoxes::Id("chkIECookies"), CleaningBoxes::Id("chkCookies"), CleaningBoxes::Id("chkFFCache"), CleaningBoxes::Id("chkCrCache")}) Click(box);
    form.DeleteAll();

    for (const std::string& folder : emptied) {
        for (const std::string& name : Names()) EXPECT_FALSE(Path::Exists(Path::Join(folder, name))) << folder << name;
    }
    for (const std::string& name : Names()) EXPECT_TRUE(Path::Exists(Path::Join(canaries, name))) << name;
    EXPECT_TRUE(Path::Exists(held));
    EXPECT_TRUE(Path::Exists(profile + "\\cookies.sqlite"));
    const std::string log = Fixtures::ReadFile(LogPath());
    EXPECT_NE(log.find("\r\n2 file(s) could not be deleted, the first: " + held + "\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(profile + "\\cookies.sqlite was left alone: it could not be changed\r\n"), std::string::npos)
        << log;
    EXPECT_TRUE(platform->Reports().empty());
}
