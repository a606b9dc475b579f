// The keep list as it is stored: the value SitesToKeep (REG_MULTI_SZ, one
// site a string) under the program's settings key of the current user, where
// an administrator may also set it. It is read at every pass, so a timed pass
// and a clean after a browser closes use the list as it is then.
#pragma once

#include "cleaning/SitesToKeep.h"

#include <string>
#include <vector>

namespace SitesToKeepSetting {

// The program's settings key (the same as app/Settings.h names) and the value.
inline constexpr char KeyPath[] = "Software\\Pendrake\\Vorlane";
inline constexpr char ValueName[] = "SitesToKeep";
// A list longer than this is not the user's: the entries past it are not used.
inline constexpr std::size_t MostEntries = 1000;

// What was read, and the lines the log names what was not used in.
struct Stored {
    SitesToKeep sites;
    std::vector<std::string> notices;
};

// The stored list. A value of another type loses nothing: the text of a
// string or binary value counts as entries separated by spaces, commas,
// semicolons or line breaks; a number is not a site. No value is an empty
// list.
Stored Read();

// Stores `entries` as REG_MULTI_SZ; an empty list removes the value. Raises
// a Failure when the registry refuses the write.
void Write(const std::vector<std::string>& entries);

// "The keep list's entry "<entry>" names no site, address or range: it was
// not used", a longer entry named by its first NamedLength bytes and "...".
inline constexpr std::size_t NamedLength = 60;
std::string NotASite(const std::string& entry);

}  // namespace SitesToKeepSetting
