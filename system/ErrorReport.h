// The error report: a warning box naming the failure, the procedure and the
// numbered step where it happened, and asking for a screenshot.
#pragma once

#include <string>

namespace ErrorReport {

inline constexpr char Title[] = "Application Error";
// Where the report asks the user to send it. The maker's other addresses are
// in app/MakerInfo.h; this one is the report's, the only place that shows it.
inline constexpr char SupportEmail[] = "support@pendrake.example";

// The report's text, character for character.
std::string BuildText(const std::string& description, const std::string& location, int step);

// Shows the report (modal, OK only, exclamation icon) and returns after OK.
// `location` is the reporting procedure's location text, which each layer
// keeps beside its procedures (Location::DeleteAll in cleaning/DeletionPass.h...).
void ReportError(const std::string& description, const std::string& location, int step);

}  // namespace ErrorReport
