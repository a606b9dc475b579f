// What sites stored through a Chromium browser's ad and measurement APIs
// (interest groups, shared storage, attribution reports, aggregation
// budgets), one SQLite database each in the profile, and the trust tokens
// sites issued (in the Network folder). Each row names the sites it belongs
// to: the "Clear Cookies" box leaves the rows of the sites the user keeps.
#pragma once

#include "chromium/ChromiumDatabase.h"
#include "cleaning/FolderFileDeleter.h"
#include "cleaning/StatusLine.h"

#include <span>

namespace ChromiumSiteApis {

// A database and the tables of it whose rows name sites.
struct Store {
    const char* database;
    std::span<const ChromiumDatabase::SiteRows> tables;
};

// In the profile folder.
extern const Store ProfileStores[4];
// In the profile's Network folder.
extern const Store TrustTokens;

// Erases every row of the stores of `profile` that names a site the keep list
// on `status` does not keep (what one site stored about another is kept only
// when both are), every row that names no site, and with an empty list every
// row; the kept sites are said on `status`. A store that cannot be changed is
// left whole and said.
void Erase(const FolderFileDeleter& profile, StatusLine& status);

}  // namespace ChromiumSiteApis
