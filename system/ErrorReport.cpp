#include "system/ErrorReport.h"

#include "system/MakerInfo.h"
#include "system/Seams.h"

#include <windows.h>

namespace ErrorReport {

std::string BuildText(const std::string& description, const std::string& location, int step) {
    return description + "\r\n" + location + "at line " + std::to_string(step) + "\r\r" +
           "Please email screenshot of this message to " + MakerInfo::SupportEmail;
}

void ReportError(const std::string& description, const std::string& location, int step) {
    Seams::Current().ShowMessage(BuildText(description, location, step), Title,
                                 MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace ErrorReport

namespace Location {
std::string ForUnhandled(const std::string& handlerName) {
    return "in Tarvenny2021/08/31.Form1." + handlerName + " ";
}
}  // namespace Location
