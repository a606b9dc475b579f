#include "system/ProgramLocation.h"
#include "system/RegStuff.h"
#include "system/UniqueHandle.h"
#include "system/mStartUp.h"
#include "support/Fixtures.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr char RunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Denies everyone the writing of values under the machine's Run key while the
// object lives, as a machine does for a user without administrator rights.
class MachineRunKeyReadOnly {
public:
    MachineRunKeyReadOnly() {
        UniqueRegKey key;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKey, 0, READ_CONTROL | WRITE_DAC, key.Put()) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        ::RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        if (::RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS)
            return;
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        // Everyone: read the key and change its permissions back; no writes.
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;0x60019;;;WD)", SDDL_REVISION_1,
                                                                    &readOnly, nullptr))
            return;
        applied_ = ::RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
        ::LocalFree(readOnly);
    }
    ~MachineRunKeyReadOnly() {
        if (!applied_) return;
        UniqueRegKey key;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKey, 0, WRITE_DAC, key.Put()) == ERROR_SUCCESS)
            ::RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, saved_.data());
    }
    bool Applied() const { return applied_; }

private:
    std::vector<BYTE> saved_;
    bool applied_ = false;
};

class mStartUpTest : public ::testing::Test {
protected:
    Fixtures::RegistryKeySnapshot machine_{HKEY_LOCAL_MACHINE, RunKey};
    Fixtures::RegistryKeySnapshot user_{HKEY_CURRENT_USER, RunKey};
    const std::string name_ = ProgramLocation::ExeName();
};

}  // namespace

TEST(mStartUpTestPath, QuotesAroundAPathWithSpaces) {
    EXPECT_EQ(RegStuff::RunValueData("C:\\Vorlane.exe"), "C:\\Vorlane.exe");
    EXPECT_EQ(RegStuff::RunValueData("C:\\Program Files\\Vorlane\\Vorlane.exe"),
              "\"C:\\Program Files\\Vorlane\\Vorlane.exe\"");
}

TEST_F(mStartUpTest, TheEntryNamesTheRunningProgramWithItsFullPath) {
    ASSERT_EQ(name_, "test_system.exe");
    mStartUp::AddToStartup();
    EXPECT_EQ(Fixtures::GetString(HKEY_LOCAL_MACHINE, RunKey, name_),
              RegStuff::RunValueData(ProgramLocation::ExePath()));

    Fixtures::SetString(HKEY_CURRENT_USER, RunKey, name_, "left from an earlier start");
    mStartUp::RemoveFromStartup();
    EXPECT_FALSE(Fixtures::ValueExists(HKEY_LOCAL_MACHINE, RunKey, name_));
    EXPECT_FALSE(Fixtures::ValueExists(HKEY_CURRENT_USER, RunKey, name_));
}

TEST_F(mStartUpTest, ARefusedMachineKeyPutsTheEntryUnderTheUser) {
    MachineRunKeyReadOnly readOnly;
    if (!readOnly.Applied()) GTEST_SKIP() << "the registry here ignores key permissions";
    mStartUp::AddToStartup();
    if (Fixtures::ValueExists(HKEY_LOCAL_MACHINE, RunKey, name_))
        GTEST_SKIP() << "the registry here does not enforce key permissions";
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, RunKey, name_),
              RegStuff::RunValueData(ProgramLocation::ExePath()));
}
