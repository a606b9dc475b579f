// What a pass deleted, or what a preview found a pass would delete: for each
// ticked box and browser, how many traces of each kind and the files' bytes,
// the files the system would not delete (how many, and the first), the sites
// kept, and, in rows of their own, what was left alone and why.
#pragma once

#include "cleaning/StatusLine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TallyRow {
    std::size_t box = 0;  // the step's index
    std::string browser;
    std::int64_t files = 0;
    std::int64_t bytes = 0;
    std::int64_t rows = 0;
    std::int64_t registryValues = 0;
    std::int64_t cacheEntries = 0;
    std::int64_t notDeleted = 0;  // files the system refused to delete
    std::string firstNotDeleted;
    std::vector<std::string> keptSites;  // in the order they came, once each
    std::string leftAlone;               // "left alone: <why>" in a row of what stays, else ""
    std::string where;                   // what stays, when it is not the browser itself: a profile, a folder

    std::int64_t Items() const { return files + rows + registryValues + cacheEntries; }
    // Whether the row says anything beyond its browser's name.
    bool Counted() const { return Items() > 0 || notDeleted > 0 || !keptSites.empty(); }
};

// The files' size as Explorer writes it: "0 bytes", "537 KB", "1.20 MB".
std::string SizeText(std::int64_t bytes);

class PassTally {
public:
    // A step begins: what follows is its box's, and of `browser` until a
    // cleaner names another.
    void Begin(std::size_t box, const std::string& browser);
    void InBrowser(const std::string& browser);
    void Add(TraceKind kind, std::int64_t count, std::int64_t bytes);
    // A file the system refused to delete: counted, the first one named.
    void CouldNotDelete(const std::string& path);
    // A site the cleaner kept because the user keeps it.
    void Kept(const std::string& site);
    // "<what> was left alone: <why>": a row of its own, once per notice.
    void LeftAlone(const std::string& notice);

    // A browser or profile left whole because it runs: kept once each, in
    // the order they came, for a clean after it closes.
    void LeftRunning(const RunningBrowser& browser);
    const std::vector<RunningBrowser>& Running() const { return running_; }

    // In the order they came, but the rows that say nothing: a box that has
    // no other row keeps the one it began with, under its frame's name.
    // Total sums every count; it names no file and no site.
    std::vector<TallyRow> Rows() const;
    TallyRow Total() const;

private:
    TallyRow& Current();

    std::vector<TallyRow> rows_;
    std::vector<RunningBrowser> running_;
    std::size_t box_ = 0;
    std::string browser_;
    std::vector<std::size_t> placeholders_;  // each step's row under the browser it began with
};
