#include "support/Fixtures.h"
#include "system/Failure.h"
#include "system/RegStuff.h"
#include "system/Registry1.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char TestKey[] = "Software\\Vorlane Tests\\Registry";
constexpr char MissingKey[] = "Software\\Vorlane Tests\\Registry\\No Such Key";

bool KeyExists(HKEY root, const std::string& subKey) {
    UniqueRegKey key;
    return ::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

struct RawValue {
    DWORD type = 0;
    std::vector<BYTE> data;
};

RawValue ReadRaw(HKEY root, const std::string& subKey, const std::string& name) {
    RawValue value;
    UniqueRegKey key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    value.data.resize(size);
    ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &value.type, value.data.data(), &size);
    return value;
}

void SetBinary(const std::string& name, const std::vector<BYTE>& data) {
    UniqueRegKey key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                                nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(key.Get(), name.c_str(), 0, REG_BINARY, data.data(),
                               static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

// The handle value that the next key opened gets. Freed handle slots are
// reused, so a routine that leaves a key open moves this value.
HKEY NextKeyHandle() {
    UniqueRegKey key;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, KEY_READ, key.Put());
    return key.Get();
}

}  // namespace

class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() { Fixtures::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Vorlane Tests"); }
    ~RegistryTest() override { Fixtures::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Vorlane Tests"); }

    static std::string Read(const std::string& subKey, const std::string& name) {
        return Registry1::ReadRegString(HKEY_CURRENT_USER, subKey, name, "default");
    }
};

TEST_F(RegistryTest, ReadRegStringFitsAt127CharactersAndGivesTheDefaultFrom128) {
    const std::string fits(127, 'a');
    const std::string tooLong(128, 'b');
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "fits", fits);
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "too long", tooLong);
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "empty", "");
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "", "the default value");

    EXPECT_EQ(Read(TestKey, "fits"), fits);
    EXPECT_EQ(Read(TestKey, "too long"), "default");
    EXPECT_EQ(Read(TestKey, "empty"), "");
    EXPECT_EQ(Read(TestKey, ""), "the default value");
}

TEST_F(RegistryTest, ReadRegStringGivesTheDefaultForAMissingKeyOrValue) {
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "present", "x");
    EXPECT_EQ(Read(MissingKey, "present"), "default");
    EXPECT_EQ(Read(TestKey, "absent"), "default");
    EXPECT_EQ(Registry1::ReadRegString(HKEY_CURRENT_USER, TestKey, "absent", ""), "");
    // Reading never creates what it looked for.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, MissingKey));
    EXPECT_FALSE(Fixtures::ValueExists(HKEY_CURRENT_USER, TestKey, "absent"));
}

TEST_F(RegistryTest, ReadRegStringReturnsAnExpandableStringAsStored) {
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "expand", "%TEMP%\\Cookies", REG_EXPAND_SZ);
    EXPECT_EQ(Read(TestKey, "expand"), "%TEMP%\\Cookies");
}

TEST_F(RegistryTest, ReadRegStringReadsOtherTypesAsTextUpToTheFirstNul) {
    SetBinary("binary", {'a', 'b', 0, 'c'});
    EXPECT_EQ(Read(TestKey, "binary"), "ab");
    // A full buffer with no NUL anywhere is refused rather than read past its end.
    SetBinary("unterminated", std::vector<BYTE>(128, 'z'));
    try {
        Read(TestKey, "unterminated");
        ADD_FAILURE() << "no failure raised";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Number(), 5);
    }
}

TEST_F(RegistryTest, NoRoutineLeavesAKeyHandleOpen) {
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "present", "x");
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "too long", std::string(200, 'y'));
    SetBinary("unterminated", std::vector<BYTE>(128, 'z'));
    // Warm up whatever the registry functions cache on first use.
    Read(TestKey, "present");
    RegStuff::SetRegValue(HKEY_CURRENT_USER, TestKey, "written", "v", REG_SZ);

    const HKEY before = NextKeyHandle();
    ASSERT_NE(before, nullptr);
    for (int i = 0; i < 20; ++i) {
        Read(TestKey, "present");
        Read(TestKey, "absent");
        Read(TestKey, "too long");
        Read(MissingKey, "present");
        try {
            Read(TestKey, "unterminated");
        } catch (const Failure&) {
        }
        RegStuff::SetRegValue(HKEY_CURRENT_USER, TestKey, "written", "v", REG_SZ);
        RegStuff::DeleteRegValue(HKEY_CURRENT_USER, TestKey, "absent");
    }
    EXPECT_EQ(NextKeyHandle(), before);
}

TEST_F(RegistryTest, DeleteRegValueRemovesOneValueAndNeverCreatesAKey) {
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "gone", "1");
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "kept", "2");
    RegStuff::DeleteRegValue(HKEY_CURRENT_USER, TestKey, "gone");
    RegStuff::DeleteRegValue(HKEY_CURRENT_USER, TestKey, "never there");
    RegStuff::DeleteRegValue(HKEY_CURRENT_USER, MissingKey, "kept");
    EXPECT_FALSE(Fixtures::ValueExists(HKEY_CURRENT_USER, TestKey, "gone"));
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, TestKey, "kept"), "2");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, MissingKey));
}

TEST_F(RegistryTest, SetRegValueWritesAnsiTextWithItsNulAndOnlyUnderAnExistingKey) {
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "old", "replaced");
    RegStuff::SetRegValue(HKEY_CURRENT_USER, TestKey, "old", "C:\\Tools\\x.exe", REG_SZ);
    const RawValue written = ReadRaw(HKEY_CURRENT_USER, TestKey, "old");
    EXPECT_EQ(written.type, static_cast<DWORD>(REG_SZ));
    const std::string expected = "C:\\Tools\\x.exe";
    ASSERT_EQ(written.data.size(), expected.size() + 1);
    EXPECT_EQ(std::string(written.data.begin(), written.data.end() - 1), expected);
    EXPECT_EQ(written.data.back(), 0);

    RegStuff::SetRegValue(HKEY_CURRENT_USER, MissingKey, "new", "x", REG_SZ);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, MissingKey));

    // Only strings are written; another type leaves the value alone.
    RegStuff::SetRegValue(HKEY_CURRENT_USER, TestKey, "old", "7", REG_DWORD);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, TestKey, "old"), expected);
}

TEST_F(RegistryTest, WriteRegValueAnswersTheRegistryResultCode) {
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "v", "before");
    UniqueRegKey readOnly;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, KEY_QUERY_VALUE, readOnly.Put()), ERROR_SUCCESS);
    EXPECT_EQ(RegStuff::WriteRegValue(readOnly.Get(), "v", REG_SZ, "after"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegStuff::WriteRegValue(readOnly.Get(), "v", REG_DWORD, "after"), ERROR_SUCCESS);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, TestKey, "v"), "before");

    UniqueRegKey writable;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, RegStuff::WriteAccess, writable.Put()),
              ERROR_SUCCESS);
    EXPECT_EQ(RegStuff::WriteRegValue(writable.Get(), "v", REG_SZ, "after"), ERROR_SUCCESS);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, TestKey, "v"), "after");
}
