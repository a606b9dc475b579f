#include "app/Main.h"

#include "app/MakerInfo.h"
#include "system/Failure.h"
#include "system/MessagePump.h"
#include "system/Seams.h"

#include <windows.h>

#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdlib>

namespace Main {

namespace {
std::string appTitle = MakerInfo::ProductTitle;
}

const std::string& AppTitle() { return appTitle; }

std::string ShortenTitle(const std::string& title, std::size_t limit) {
    std::string result = title;
    while (result.size() > limit) {
        const std::size_t space = result.rfind(' ');
        result = (space == std::string::npos) ? result.substr(0, limit) : result.substr(0, space);
    }
    return result;
}

void SetAppTitle() { appTitle = ShortenTitle(MakerInfo::ProductTitle); }

void VisitWebSiteAtRandom() {
    Seams::Platform& platform = Seams::Current();
    platform.SeedRandomFromTime();
    const int draw = static_cast<int>(platform.RandomUnit() * 100.0) + 1;
    if (draw == 7)
        platform.StartProcess(std::string("explorer \"") + MakerInfo::WebSite + "\"",
                              SW_SHOWMINIMIZED);
}

void PauseSeconds(double seconds, const std::function<bool()>& keepWaiting) {
    MessagePump::WaitWhileMessagesRun(seconds, keepWaiting);
}

std::int16_t ToInteger16(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t");
    std::size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos) throw Failure::TypeMismatch();
    const std::string trimmed = text.substr(begin, end - begin + 1);
    if (trimmed.find_first_not_of("0123456789+-.eE") != std::string::npos) throw Failure::TypeMismatch();

    char* stop = nullptr;
    errno = 0;
    const double value = std::strtod(trimmed.c_str(), &stop);
    if (stop != trimmed.c_str() + trimmed.size() || std::isnan(value)) throw Failure::TypeMismatch();
    if (errno == ERANGE && std::isinf(value)) throw Failure::Overflow();

    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    if (rounded < -32768.0 || rounded > 32767.0) throw Failure::Overflow();
    return static_cast<std::int16_t>(rounded);
}

}  // namespace Main
