#include "chromium/ChromiumSiteApis.h"

#include "chromium/Chromium.h"
#include "cleaning/BrowserFiles.h"

#include <optional>
#include <string>
#include <vector>

namespace ChromiumSiteApis {

namespace {

using ChromiumDatabase::SiteRows;

// Each table lists its site columns of today and of older versions; a
// database holds the ones of its version. Parents come before the rows that
// belong to them. The tables not listed go whole for every site: they hold
// no site's data, only the browser's own caches and counters.

// The interest groups an owner (an ad buyer) added the user to while on a
// site, with their join, bid and win counts; cool-downs and view and click
// counts per origin. Not listed: the k-anonymity caches (hashed keys), the
// global lock-out of debugging reports and the auction servers' keys.
const SiteRows InterestGroups[] = {
    {"interest_groups", {"owner", "joining_origin"}},
    {"join_history", {"owner"}, "interest_groups", "owner, name"},
    {"bid_history", {"owner"}, "interest_groups", "owner, name"},
    {"win_history", {"owner"}, "interest_groups", "owner, name"},
    {"cooldown_debugging_only_report", {"origin"}},
    {"view_and_click_events", {"provider_origin", "eligible_origin"}},
};

// Values per origin, and the budget spent per site (per origin before).
const SiteRows SharedStorage[] = {
    {"values_mapping", {"context_origin"}},
    {"per_origin_mapping", {"context_origin"}},
    {"budget_mapping", {"context_site", "context_origin"}},
};

// Attribution sources (called impressions in the first versions) with their
// destinations, reports and de-duplication keys, and the rate-limit records,
// which outlive their source.
const SiteRows Conversions[] = {
    {"sources", {"source_origin", "reporting_origin", "destination_origin"}},
    {"source_destinations", {"destination_site"}, "sources", "source_id"},
    {"reports", {"context_origin", "reporting_origin"}, "sources", "source_id"},
    {"event_level_reports", {}, "sources", "source_id"},
    {"aggregatable_report_metadata", {}, "sources", "source_id"},
    {"aggregatable_contributions", {}, "aggregatable_report_metadata", "aggregation_id"},
    {"dedup_keys", {}, "sources", "source_id"},
    {"rate_limits",
     {"source_site", "source_origin", "reporting_origin", "destination_site", "destination_origin", "context_origin"}},
    {"aggregatable_debug_rate_limits", {"context_site", "reporting_origin"}},
    {"impressions", {"impression_origin", "reporting_origin", "conversion_origin"}},
    {"conversions", {}, "impressions", "impression_id"},
};

// The budget each site spent, keyed by the site ("https://a.example").
const SiteRows PrivateAggregation[] = {
    {"private_aggregation_api_budgets", {"key"}},
};

// Keyed by the issuer's origin, by the top-level origin, and by both
// ("https://issuer.example https://top.example").
const SiteRows TrustTokenTables[] = {
    {"trust_tokens_issuer_config", {"key"}},
    {"trust_tokens_toplevel_config", {"key"}},
    {"trust_tokens_issuer_toplevel_pair_config", {"key"}},
};

// Whether a row naming `sites` goes: not when the keep list keeps every one
// (the first, whose data it is, is said on `status`).
bool ErasesSites(StatusLine& status, const std::vector<std::string>& sites) {
    if (sites.empty()) return true;
    for (std::size_t i = 2; i < sites.size(); ++i)
        if (status.Keeps().KeepingBoth(sites[i], "").empty()) return true;
    return ErasesSite(status, sites[0], sites.size() > 1 ? sites[1] : "");
}

void EraseStore(const FolderFileDeleter& folder, const Store& store, StatusLine& status) {
    ChromiumDatabase::Change(folder, store.database, status, [&](SqliteDatabase& db) {
        // Most users keep no site: every row goes, as it always did.
        if (status.Keeps().Empty()) ChromiumDatabase::EraseAllRows(db);
        else ChromiumDatabase::EraseSiteRows(db, store.tables, [&](const std::vector<std::string>& sites) { return ErasesSites(status, sites); });
        return true;
    });
}

}  // namespace

const Store ProfileStores[4] = {
    {"InterestGroups", InterestGroups},
    {"SharedStorage", SharedStorage},
    {"Conversions", Conversions},
    {"PrivateAggregation", PrivateAggregation},
};

const Store TrustTokens = {"Trust Tokens", TrustTokenTables};

void Erase(const FolderFileDeleter& profile, StatusLine& status) {
    for (const Store& store : ProfileStores) EraseStore(profile, store, status);
    if (const std::optional<FolderFileDeleter> network = BrowserFiles::Subfolder(profile, ChromiumNames::NetworkFolder, status))
        EraseStore(*network, TrustTokens, status);
}

}  // namespace ChromiumSiteApis
