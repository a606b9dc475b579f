// The error report: a warning box naming the failure, the procedure and the
// numbered step where it happened, and asking for a screenshot.
#pragma once

#include <string>

namespace ErrorReport {

inline constexpr char Title[] = "Application Error";

// The report's text, character for character.
std::string BuildText(const std::string& description, const std::string& location, int step);

// Shows the report (modal, OK only, exclamation icon) and returns after OK.
void ReportError(const std::string& description, const std::string& location, int step);

}  // namespace ErrorReport

// Location texts of the procedures that report their failures.
namespace Location {
inline constexpr char Form_Load[] = "in Tarvenny2021/08/31.Form1.Form_Load ";
inline constexpr char Form_QueryUnload[] = "in Tarvenny2021/08/31.Form1.Form_QueryUnload ";
inline constexpr char DeleteAll[] = "in Tarvenny2021/08/31.Form1.DeleteAll ";
inline constexpr char PushButton12_Click[] = "in Tarvenny2021/08/31.Form1.PushButton12_Click ";
inline constexpr char PushButton13_Click[] = "in Tarvenny2021/08/31.Form1.PushButton13_Click ";
inline constexpr char Timer1[] = "in Tarvenny2021/08/31.Form1.Timer1 ";
inline constexpr char PushButton1_Click[] = "in Tarvenny2021/08/31.Form1.PushButton1_Click ";
inline constexpr char PushButton2_Click[] = "in Tarvenny2021/08/31.Form1.PushButton2_Click ";
inline constexpr char PushButton3_Click[] = "in Tarvenny2021/08/31.Form1.PushButton3_Click ";
inline constexpr char PushButton11_Click[] = "in Tarvenny2021/08/31.Form1.PushButton11_Click ";
inline constexpr char LoadHistroy[] = "in Tarvenny2021/08/31.IEHistory.LoadHistroy ";
inline constexpr char DeleteIECookies[] = "in Tarvenny2021/08/31.IEHistory.DeleteIECookies ";
inline constexpr char GetSubDirectories2016[] =
    "in MorvathTitle2021/08/31.AddFolder.GetSubDirectories2016 ";

// For event handlers that have no reporting handler of their own.
std::string ForUnhandled(const std::string& handlerName);
}  // namespace Location
