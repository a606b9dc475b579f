// The six cleaners of the "Chrome and Edge" frame, one per box, with the
// status texts a pass shows while each runs. Each looks the browsers and
// their profiles up anew.
#pragma once

#include "cleaning/StatusLine.h"

#include <string>

namespace ChromiumHistory {

inline constexpr char DeletingHistory[] = "Deleting Chrome and Edge History...";
inline constexpr char DeletingTypedUrls[] = "Deleting Chrome and Edge Typed URLs...";
inline constexpr char DeletingDownloads[] = "Deleting Chrome and Edge Downloads...";
inline constexpr char DeletingCookies[] = "Deleting Chrome and Edge Cookies...";
inline constexpr char DeletingCache[] = "Deleting Chrome and Edge Cache...";
inline constexpr char DeletingFormHistory[] = "Deleting Chrome and Edge Form History...";

inline constexpr char NothingFound[] = "No Chrome or Edge profile found.";

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
