#include "system/MiddleEllipsis.h"

#include <gtest/gtest.h>

#include <string>

// Widths in characters: the room is how many fit.
TEST(MiddleEllipsisTest, TakesFoldersOutOfThePathsMiddleKeepingDriveFileAndTheWordsAround) {
    const auto chars = [](const std::string& text) { return static_cast<int>(text.size()); };
    const std::string path = "C:\\Users\\Ann\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\History";
    const struct {
        std::string text;
        int room;
        std::string shown;
    } cases[] = {
        {path, 200, path},  // fits
        {path, 40, "C:\\Users\\...\\User Data\\Default\\History"},
        {path, 30, "C:\\Users\\...\\Default\\History"},
        {path, 20, "C:\\Users\\...\\History"},
        {path, 15, "C:\\...\\History"},  // the first folder goes last
        {path, 5, "C:\\...\\History"},   // never shorter than drive and file
        {"Deleting " + path + "...", 40, "Deleting C:\\Users\\...\\Default\\History..."},
        {"No path here, only a long sentence", 10, "No path here, only a long sentence"},
        {"C:\\History.txt is long", 5, "C:\\History.txt is long"},  // no folder to take out
        {"ABC:\\folder\\x", 5, "ABC:\\folder\\x"},                  // not a drive
    };
    for (const auto& c : cases) EXPECT_EQ(MiddleEllipsis::Fit(c.text, c.room, chars), c.shown) << c.text << " in " << c.room;
}
