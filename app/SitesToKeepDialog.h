// The dialog of the keep list: every site that holds cookies or site data now,
// with the browsers that hold it, beside the sites the user keeps. "Keep" and
// "Remove" move the selected sites between them, "Add" takes a site typed by
// hand, "Suggest" adds the sites of bookmarks and saved passwords that hold
// cookies or site data; "OK" stores the list, "Cancel" and Escape leave it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace SitesToKeepTexts {
inline constexpr char Caption[] = "Vorlane Sites to Keep";
inline constexpr char Found[] = "Sites with cookies or site data";
inline constexpr char Kept[] = "Sites to keep";
inline constexpr char Keep[] = "Keep";
inline constexpr char Remove[] = "Remove";
inline constexpr char Add[] = "Add";
inline constexpr char Suggest[] = "Suggest";
inline constexpr char Ok[] = "OK";
inline constexpr char Cancel[] = "Cancel";
inline constexpr const char* Headers[] = {"Site", "Browsers"};
// "<typed> is not a site...": the message box of an entry that names no site.
inline constexpr char NotASite[] =
    " is not a site, an IP address, localhost or a range such as 192.168.1.*: it was not added.";
}  // namespace SitesToKeepTexts

namespace SitesToKeepDialog {

// The controls' ids.
inline constexpr int IdFound = 100;
inline constexpr int IdKept = 101;
inline constexpr int IdKeep = 102;
inline constexpr int IdRemove = 103;
inline constexpr int IdEntry = 104;
inline constexpr int IdAdd = 105;
inline constexpr int IdSuggest = 106;

struct FoundSite {
    std::string site;
    std::string browsers;  // "Google Chrome, Mozilla Firefox"
};

// Every site that holds cookies or site data now in Internet Explorer, the
// Firefox family and the Chromium family: the "Clear Cookies" boxes'
// cleaners look as a preview does, so nothing is changed.
std::vector<FoundSite> FindSites();

// The sites of the user's bookmarks and saved passwords among `found`.
std::vector<std::string> SuggestedSites(const std::vector<FoundSite>& found);

// Shows the dialog over `owner`, the stored list in it; true when "OK"
// closed it and the list was stored.
bool Show(HWND owner, const std::vector<FoundSite>& found);

}  // namespace SitesToKeepDialog
