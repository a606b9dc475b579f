#include "cleaning/DeletionPass.h"

#include "cleaning/IEHistory.h"
#include "firefox/FirefoxHistory.h"
#include "schedule/HistoryLog.h"
#include "system/ErrorReport.h"
#include "system/StepRunner.h"

Cleaners Cleaners::Real() {
    Cleaners c;
    c.ieHistory = [](StatusLine& status) { IEHistory::DeleteIEHistory(status); };
    c.ieTemp = [](StatusLine& status) { IEHistory::DeleteIETemp(status); };
    c.ieTyped = [](StatusLine& status) { IEHistory::DeleteIETypedURLs(status); };
    c.ieCookies = [](StatusLine& status) { IEHistory::DeleteIECookies(status); };
    c.ffHistory = [](StatusLine&) { FirefoxHistory::ClearFirefoxHistory(); };
    c.ffDownloads = [](StatusLine&) { FirefoxHistory::ClearFirefoxDownloads(); };
    c.ffTypedUrls = [](StatusLine&) { FirefoxHistory::ClearFirefoxTypedUrls(); };
    c.ffCookies = [](StatusLine&) { FirefoxHistory::ClearFirefoxCookies(); };
    c.ffCache = [](StatusLine&) { FirefoxHistory::ClearFirefoxCache(); };
    return c;
}

namespace DeletionPass {

void DeleteAll(PassWindow& window, const Cleaners& cleaners) {
    StepRunner steps(Location::DeleteAll);

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
    };

    for (const Step& step : order) {
        if (steps.If(step.line, [&] { return window.IsTicked(step.box); })) {
            steps.Run(step.line + 2, [&] { window.SetStatus(step.text); });
            steps.Run(step.line + 4, [&] {
                if (step.cleaner) step.cleaner(window);
            });
        }
    }
    steps.Run(154, [] { HistoryLog::AppendHistoryLog(PassTexts::LogLinePrefix + HistoryLog::GeneralDateNow()); });
    steps.Run(156, [&] { window.SetStatus(""); });
}

}  // namespace DeletionPass
