#include "support/Fixtures.h"
#include "system/RegStuff.h"
#include "system/Registry1.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <optional>
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

void SetRaw(const std::string& name, DWORD type, const std::vector<BYTE>& data) {
    UniqueRegKey key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                                nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(key.Get(), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

std::vector<BYTE> Bytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }

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

TEST_F(RegistryTest, ReadRegStringReadsAStringAtItsFullLength) {
    for (std::size_t length : {0u, 1u, 127u, 128u, 129u, 300u, 4096u, 70000u}) {
        const std::string text(length, static_cast<char>('a' + length % 26));
        const std::string name = "length " + std::to_string(length);
        Fixtures::SetString(HKEY_CURRENT_USER, TestKey, name, text);
        EXPECT_EQ(Read(TestKey, name), text) << length;
        EXPECT_EQ(Registry1::ReadRegStringValue(HKEY_CURRENT_USER, TestKey, name), text) << length;
    }
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "", "the default value");
    EXPECT_EQ(Read(TestKey, ""), "the default value");
}

TEST_F(RegistryTest, ReadRegStringGivesTheDefaultForAMissingKeyOrValue) {
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "present", "x");
    EXPECT_EQ(Read(MissingKey, "present"), "default");
    EXPECT_EQ(Read(TestKey, "absent"), "default");
    EXPECT_EQ(Registry1::ReadRegString(HKEY_CURRENT_USER, TestKey, "absent", ""), "");
    EXPECT_EQ(Registry1::ReadRegStringValue(HKEY_CURRENT_USER, TestKey, "absent"), std::nullopt);
    EXPECT_EQ(Registry1::ReadRegStringValue(HKEY_CURRENT_USER, MissingKey, "present"), std::nullopt);
    // Reading never creates what it looked for.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, MissingKey));
    EXPECT_FALSE(Fixtures::ValueExists(HKEY_CURRENT_USER, TestKey, "absent"));
}

TEST_F(RegistryTest, ReadRegStringReturnsAnExpandableStringAsStored) {
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "expand", "%TEMP%\\Cookies", REG_EXPAND_SZ);
    EXPECT_EQ(Read(TestKey, "expand"), "%TEMP%\\Cookies");
    const std::string longPath = "%USERPROFILE%\\" + std::string(280, 'p');
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "long expand", longPath, REG_EXPAND_SZ);
    EXPECT_EQ(Read(TestKey, "long expand"), longPath);
}

TEST_F(RegistryTest, AStringEndsAtItsFirstNulOrWithItsDataWhenItHasNone) {
    const struct {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
        std::string expected;
    } cases[] = {
        {"inner nul", REG_SZ, {'a', 'b', 0, 'c', 0}, "ab"},
        {"no nul", REG_SZ, Bytes("C:\\no terminator"), "C:\\no terminator"},
        {"long, no nul", REG_SZ, std::vector<BYTE>(300, 'q'), std::string(300, 'q')},
        {"expand, no nul", REG_EXPAND_SZ, Bytes("%TEMP%"), "%TEMP%"},
        {"no data", REG_SZ, {}, ""},
    };
    for (const auto& c : cases) {
        SetRaw(c.name, c.type, c.data);
        EXPECT_EQ(Registry1::ReadRegStringValue(HKEY_CURRENT_USER, TestKey, c.name), c.expected) << c.name;
    }
}

TEST_F(RegistryTest, AValueOfAnotherTypeReadsAsNotAString) {
    const DWORD number = 0x00636261;  // "abc" and a NUL, read as bytes
    const struct {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
    } cases[] = {
        {"binary", REG_BINARY, {'a', 'b', 0, 'c'}},
        {"binary, no nul", REG_BINARY, std::vector<BYTE>(128, 'z')},
        {"long binary", REG_BINARY, std::vector<BYTE>(300, 'z')},
        {"dword", REG_DWORD,
         std::vector<BYTE>(reinterpret_cast<const BYTE*>(&number), reinterpret_cast<const BYTE*>(&number + 1))},
        {"multi", REG_MULTI_SZ, {'a', 0, 'b', 0, 0}},
        {"none", REG_NONE, {'a', 0}},
    };
    for (const auto& c : cases) {
        SetRaw(c.name, c.type, c.data);
        EXPECT_EQ(Registry1::ReadRegStringValue(HKEY_CURRENT_USER, TestKey, c.name), std::nullopt) << c.name;
        EXPECT_EQ(Read(TestKey, c.name), "default") << c.name;
    }
}

TEST_F(RegistryTest, AKeyThatAllowsOnlyReadingStillReads) {
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "value", "readable");
    // Everyone may read the key, nobody may write it.
    SECURITY_DESCRIPTOR readOnly;
    ASSERT_TRUE(::InitializeSecurityDescriptor(&readOnly, SECURITY_DESCRIPTOR_REVISION));
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    std::vector<BYTE> aclBuffer(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(everyone));
    ACL* acl = reinterpret_cast<ACL*>(aclBuffer.data());
    ASSERT_TRUE(::InitializeAcl(acl, static_cast<DWORD>(aclBuffer.size()), ACL_REVISION));
    ASSERT_TRUE(::AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone));
    ASSERT_TRUE(::SetSecurityDescriptorDacl(&readOnly, TRUE, acl, FALSE));
    {
        UniqueRegKey key;
        ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, WRITE_DAC, key.Put()), ERROR_SUCCESS);
        ASSERT_EQ(::RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &readOnly), ERROR_SUCCESS);
    }
    UniqueRegKey writable;
    const LONG writeOpen = ::RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, KEY_ALL_ACCESS, writable.Put());

    const std::optional<std::string> read = Registry1::ReadRegStringValue(HKEY_CURRENT_USER, TestKey, "value");

    // Give the key back its usual rights so that it can be removed.
    {
        UniqueRegKey key;
        ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, WRITE_DAC, key.Put()), ERROR_SUCCESS);
        SECURITY_DESCRIPTOR open;
        ::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
        ::SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
        ASSERT_EQ(::RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &open), ERROR_SUCCESS);
    }
    ::FreeSid(everyone);

    EXPECT_EQ(writeOpen, ERROR_ACCESS_DENIED);
    EXPECT_EQ(read, "readable");
}

TEST_F(RegistryTest, NoRoutineLeavesAKeyHandleOpen) {
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "present", "x");
    Fixtures::SetString(HKEY_CURRENT_USER, TestKey, "long", std::string(200, 'y'));
    SetRaw("binary", REG_BINARY, std::vector<BYTE>(128, 'z'));
    // Warm up whatever the registry functions cache on first use.
    Read(TestKey, "present");

    const HKEY before = NextKeyHandle();
    ASSERT_NE(before, nullptr);
    for (int i = 0; i < 20; ++i) {
        Read(TestKey, "present");
        Read(TestKey, "absent");
        Read(TestKey, "long");
        Read(TestKey, "binary");
        Read(MissingKey, "present");
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
    EXPECT_EQ(RegStuff::WriteRegValue(writable.Get(), "v", REG_SZ, "C:\\Tools\\x.exe"), ERROR_SUCCESS);
    const RawValue written = ReadRaw(HKEY_CURRENT_USER, TestKey, "v");
    EXPECT_EQ(written.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(written.data.begin(), written.data.end()), std::string("C:\\Tools\\x.exe", 15));  // with its NUL
}
