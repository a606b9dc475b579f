#include "system/ErrorReport.h"

#include "system/Seams.h"

#include <windows.h>

namespace ErrorReport {

std::string BuildText(const std::string& description, const std::string& location, int step) {
    return description + "\r\n" + location + "at line " + std::to_string(step) + "\r\r" +
           "Please email screenshot of this message to " + SupportEmail;
}

void ReportError(const std::string& description, const std::string& location, int step) {
    Seams::Current().ShowMessage(BuildText(description, location, step), Title,
                                 MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace ErrorReport
