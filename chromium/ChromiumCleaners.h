// The six cleaners of the "Chrome and Edge" frame, one per box (the pass shows
// their status texts, cleaning/DeletionPass.h). Each looks the browsers and
// their profiles up anew.
#pragma once

#include "cleaning/BoxCleaner.h"
#include "cleaning/StatusLine.h"

#include <string>

namespace ChromiumHistory {

inline constexpr char NothingFound[] = "No Chrome or Edge profile found.";

// Each box's cleaner, with what it takes (ChromiumBox's steps) and keeps.
extern const BoxCleaner History;
extern const BoxCleaner TypedUrls;
extern const BoxCleaner Downloads;
extern const BoxCleaner Cookies;
extern const BoxCleaner Cache;
extern const BoxCleaner FormHistory;

void ClearChromiumHistory(StatusLine& status);
void ClearChromiumTypedUrls(StatusLine& status);
void ClearChromiumDownloads(StatusLine& status);
void ClearChromiumCookies(StatusLine& status);
void ClearChromiumCache(StatusLine& status);
void ClearChromiumFormHistory(StatusLine& status);

// What was found, for the frame's label: one line per browser that has a
// profile ("Google Chrome: 2 profiles", "Microsoft Edge: 1 profile"), lines
// ended by "\r\n" but the last; NothingFound when no browser has one.
std::string FoundProfiles();

}  // namespace ChromiumHistory
