#include "cleaning/PassTally.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

namespace {
constexpr char LeftAloneMark[] = " was left alone: ";
}  // namespace

void PassTally::Begin(std::size_t box, const std::string& browser) {
    box_ = box;
    browser_ = browser;
    Current();
    placeholders_.push_back(rows_.size() - 1);
}

void PassTally::InBrowser(const std::string& browser) {
    browser_ = browser;
    Current();
}

void PassTally::Add(TraceKind kind, std::int64_t count, std::int64_t bytes) {
    TallyRow& row = Current();
    switch (kind) {
    case TraceKind::File:
        row.files += count;
        row.bytes += bytes;
        break;
    case TraceKind::Row: row.rows += count; break;
    case TraceKind::RegistryValue: row.registryValues += count; break;
    case TraceKind::CacheEntry: row.cacheEntries += count; break;
    }
}

void PassTally::CouldNotDelete(const std::string& path) {
    TallyRow& row = Current();
    if (row.notDeleted++ == 0) row.firstNotDeleted = path;
}

void PassTally::Kept(const std::string& site) {
    std::vector<std::string>& kept = Current().keptSites;
    if (std::find(kept.begin(), kept.end(), site) == kept.end()) kept.push_back(site);
}

void PassTally::LeftRunning(const RunningBrowser& browser) {
    if (std::find(running_.begin(), running_.end(), browser) == running_.end()) running_.push_back(browser);
}

void PassTally::LeftAlone(const std::string& notice) {
    const std::size_t mark = notice.find(LeftAloneMark);
    TallyRow row;
    row.box = box_;
    row.browser = browser_;
    if (mark == std::string::npos) {
        row.leftAlone = notice;
    } else {
        const std::string what = notice.substr(0, mark);
        if (what != browser_) row.where = what;
        row.leftAlone = notice.substr(mark + 5);  // from "left alone: "
    }
    const bool seen = std::any_of(rows_.begin(), rows_.end(), [&](const TallyRow& r) {
        return r.box == row.box && r.browser == row.browser && r.where == row.where && r.leftAlone == row.leftAlone;
    });
    if (!seen) rows_.push_back(row);
}

TallyRow& PassTally::Current() {
    for (TallyRow& row : rows_)
        if (row.box == box_ && row.browser == browser_ && row.leftAlone.empty()) return row;
    TallyRow row;
    row.box = box_;
    row.browser = browser_;
    rows_.push_back(row);
    return rows_.back();
}

std::vector<TallyRow> PassTally::Rows() const {
    const auto counts = [](const TallyRow& row) { return row.Counted() || !row.leftAlone.empty(); };
    std::vector<TallyRow> shown;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const TallyRow& row = rows_[i];
        const bool placeholder = std::find(placeholders_.begin(), placeholders_.end(), i) != placeholders_.end();
        const bool boxHasOther = std::any_of(rows_.begin(), rows_.end(), [&](const TallyRow& r) {
            return r.box == row.box && &r != &row && counts(r);
        });
        if (counts(row) || (placeholder && !boxHasOther)) shown.push_back(row);
    }
    return shown;
}

TallyRow PassTally::Total() const {
    TallyRow total;
    for (const TallyRow& row : rows_) {
        total.files += row.files;
        total.bytes += row.bytes;
        total.rows += row.rows;
        total.registryValues += row.registryValues;
        total.cacheEntries += row.cacheEntries;
        total.notDeleted += row.notDeleted;
    }
    return total;
}

std::string SizeText(std::int64_t bytes) {
    char text[64] = {};
    ::StrFormatByteSize64A(bytes, text, sizeof(text));
    return text;
}
