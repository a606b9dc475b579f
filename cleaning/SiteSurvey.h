// Which sites hold cookies or site data, and in which browsers: the
// "Clear Cookies" cleaners run on this status line as a preview (nothing is
// changed, every store is read as a pass would read it) with a keep list
// that keeps every site, so each site they meet is said, by browser.
#pragma once

#include "cleaning/StatusLine.h"

#include <map>
#include <set>
#include <string>

class SiteSurvey : public StatusLine {
public:
    // What is found from here on is `browser`'s until a cleaner names another.
    explicit SiteSurvey(std::string browser) : browser_(std::move(browser)) {}

    // Each site found, with the browsers that hold it.
    const std::map<std::string, std::set<std::string>>& Sites() const { return sites_; }

    std::string Status() const override { return ""; }
    void SetStatus(const std::string&) override {}
    bool Previewing() const override { return true; }
    const SitesToKeep& Keeps() const override { return everything_; }
    void InBrowser(const std::string& browser) override { browser_ = browser; }
    void Kept(const std::string& site) override { sites_[site].insert(browser_); }

private:
    const SitesToKeep everything_ = SitesToKeep::Everything();
    std::string browser_;
    std::map<std::string, std::set<std::string>> sites_;
};
