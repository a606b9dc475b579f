#include "system/Failure.h"

#include <gtest/gtest.h>

TEST(FailureTest, Win32ErrorsCarryTheSystemTextAndTheWalkNumbers) {
    const Failure denied = Failure::FromWin32(ERROR_ACCESS_DENIED);
    EXPECT_EQ(denied.Number(), Failure::PermissionDenied);
    EXPECT_EQ(denied.Description(), Win32ErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(denied.Description().find('\n'), std::string::npos);
    EXPECT_EQ(Failure::FromWin32(ERROR_PATH_NOT_FOUND).Number(), Failure::PathNotFound);
    EXPECT_EQ(Failure::FromWin32(ERROR_FILE_NOT_FOUND).Number(), Failure::PathNotFound);
    EXPECT_EQ(Failure::FromWin32(ERROR_DISK_FULL).Number(), static_cast<long>(ERROR_DISK_FULL));
}
