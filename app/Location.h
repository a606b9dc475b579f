// Location texts of the main window's procedures that report their failures
// (the engine's own are beside their procedures, e.g. cleaning/IECleaners.h).
#pragma once

#include <string>

namespace Location {
inline constexpr char Form_Load[] = "in Tarvenny2021/08/31.Form1.Form_Load ";
inline constexpr char Form_QueryUnload[] = "in Tarvenny2021/08/31.Form1.Form_QueryUnload ";
inline constexpr char PushButton12_Click[] = "in Tarvenny2021/08/31.Form1.PushButton12_Click ";
inline constexpr char PushButton13_Click[] = "in Tarvenny2021/08/31.Form1.PushButton13_Click ";
inline constexpr char PushButton14_Click[] = "in Tarvenny2021/08/31.Form1.PushButton14_Click ";
inline constexpr char PushButton15_Click[] = "in Tarvenny2021/08/31.Form1.PushButton15_Click ";
inline constexpr char Timer1[] = "in Tarvenny2021/08/31.Form1.Timer1 ";
inline constexpr char CloseWatch_Timer[] = "in Tarvenny2021/08/31.Form1.CloseWatch_Timer ";
inline constexpr char PushButton1_Click[] = "in Tarvenny2021/08/31.Form1.PushButton1_Click ";
inline constexpr char PushButton2_Click[] = "in Tarvenny2021/08/31.Form1.PushButton2_Click ";
inline constexpr char PushButton3_Click[] = "in Tarvenny2021/08/31.Form1.PushButton3_Click ";
inline constexpr char PushButton11_Click[] = "in Tarvenny2021/08/31.Form1.PushButton11_Click ";

// For event handlers that have no reporting handler of their own.
inline std::string ForUnhandled(const std::string& handlerName) {
    return "in Tarvenny2021/08/31.Form1." + handlerName + " ";
}
}  // namespace Location
