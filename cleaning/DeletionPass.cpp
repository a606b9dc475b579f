#include "cleaning/DeletionPass.h"

#include "cleaning/HistoryLog.h"
#include "system/StepRunner.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace DeletionPass {
namespace {

// What the cleaners of one pass write: forwarded to the window, and the
// notices of what was left alone kept (once each) for the history log.
class PassStatus : public StatusLine {
public:
    explicit PassStatus(PassWindow& window) : window_(window) {}
    std::string Status() const override { return window_.Status(); }
    void SetStatus(const std::string& text) override { window_.SetStatus(text); }
    // A pass over many profiles may leave something alone in each: the set
    // finds a notice already kept without going through all of them.
    void LeaveAlone(const std::string& notice) override {
        window_.SetStatus(notice);
        if (kept_.insert(notice).second) notices_.push_back(notice);
    }
    const std::vector<std::string>& Notices() const { return notices_; }

private:
    PassWindow& window_;
    std::vector<std::string> notices_;  // in the order they came
    std::unordered_set<std::string> kept_;
};

}  // namespace

void DeleteAll(PassWindow& window, const Cleaners& cleaners) {
    StepRunner steps(Location::DeleteAll);
    PassStatus status(window);

    struct Step {
        int line;
        CleaningBox box;
        const char* text;
        const Cleaners::Cleaner& cleaner;
    };
    const Step order[] = {
        {100, CleaningBox::IEHist, PassTexts::IEHistory, cleaners.ieHistory},
        {106, CleaningBox::IETemp, PassTexts::IETemp, cleaners.ieTemp},
        {112, CleaningBox::IETyped, PassTexts::IETyped, cleaners.ieTyped},
        {118, CleaningBox::IECookies, PassTexts::IECookies, cleaners.ieCookies},
        {124, CleaningBox::FFHist, PassTexts::FFHistory, cleaners.ffHistory},
        {130, CleaningBox::FFDownloads, PassTexts::FFDownloads, cleaners.ffDownloads},
        {136, CleaningBox::TypedUrls, PassTexts::FFTypedUrls, cleaners.ffTypedUrls},
        {142, CleaningBox::Cookies, PassTexts::FFCookies, cleaners.ffCookies},
        {148, CleaningBox::FFCache, PassTexts::FFCache, cleaners.ffCache},
        {200, CleaningBox::CrHist, PassTexts::CrHistory, cleaners.crHistory},
        {206, CleaningBox::CrTyped, PassTexts::CrTypedUrls, cleaners.crTypedUrls},
        {212, CleaningBox::CrDownloads, PassTexts::CrDownloads, cleaners.crDownloads},
        {218, CleaningBox::CrCookies, PassTexts::CrCookies, cleaners.crCookies},
        {224, CleaningBox::CrCache, PassTexts::CrCache, cleaners.crCache},
        {230, CleaningBox::CrForms, PassTexts::CrFormHistory, cleaners.crFormHistory},
    };

    for (const Step& step : order) {
        if (steps.If(step.line, [&] { return window.IsTicked(step.box); })) {
            steps.Run(step.line + 2, [&] { window.SetStatus(step.text); });
            steps.Run(step.line + 4, [&] {
                if (step.cleaner) step.cleaner(status);
            });
        }
    }
    // The pass's own line, then one line for each thing that was left alone.
    steps.Run(154, [&] {
        HistoryLog::AppendHistoryLog(PassTexts::LogLinePrefix + HistoryLog::GeneralDateNow());
        for (const std::string& notice : status.Notices()) HistoryLog::AppendHistoryLog(notice);
    });
    steps.Run(156, [&] { window.SetStatus(""); });
}

}  // namespace DeletionPass
