// The five cleaners of the "Mozilla Firefox" frame, one per box. Each cleans
// Firefox and its forks (FirefoxNames::Browsers), looking every browser's
// profiles up anew.
#pragma once

#include "cleaning/BoxCleaner.h"
#include "cleaning/StatusLine.h"

#include <string>

namespace FirefoxHistory {

inline constexpr char NothingFound[] = "No Firefox profile found.";

// Each box's cleaner, with what it takes (FirefoxBox's steps) and keeps.
extern const BoxCleaner FormHistory;
extern const BoxCleaner Downloads;
extern const BoxCleaner TypedUrls;
extern const BoxCleaner Cookies;
extern const BoxCleaner Cache;

void ClearFirefoxHistory(StatusLine& status);
void ClearFirefoxDownloads(StatusLine& status);
void ClearFirefoxTypedUrls(StatusLine& status);
void ClearFirefoxCookies(StatusLine& status);
void ClearFirefoxCache(StatusLine& status);

// What was found, for the frame's label: one line per browser of the family
// whose profiles.ini lists a profile ("Mozilla Firefox: 1 profile",
// "LibreWolf: 2 profiles"), lines ended by "\r\n" but the last; NothingFound
// when none does.
std::string FoundProfiles();

}  // namespace FirefoxHistory
