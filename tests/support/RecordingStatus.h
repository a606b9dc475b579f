// A status line that remembers everything written to it.
#pragma once

#include "cleaning/StatusLine.h"

#include <string>
#include <vector>

class RecordingStatus : public StatusLine {
public:
    std::string Status() const override { return texts.empty() ? "" : texts.back(); }
    void SetStatus(const std::string& text) override { texts.push_back(text); }
    void LeaveAlone(const std::string& notice) override {
        texts.push_back(notice);
        notices.push_back(notice);
    }
    void CouldNotDelete(const std::string& path) override { failures.push_back(path); }
    void Kept(const std::string& site) override { kept.push_back(site); }
    const SitesToKeep& Keeps() const override { return keeps; }
    std::vector<std::string> texts;
    std::vector<std::string> notices;   // what was said to be left alone
    std::vector<std::string> failures;  // files that could not be deleted
    SitesToKeep keeps;                  // the keep list the cleaners see
    std::vector<std::string> kept;      // the sites said to be kept
};
