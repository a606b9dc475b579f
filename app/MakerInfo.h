// The maker's addresses and the product's name, kept in one place. They use the
// reserved example domain until the maker has real ones, so no stranger's site
// is ever opened. The support e-mail address belongs to the error report
// (system/ErrorReport.h), which every layer shows.
#pragma once

namespace MakerInfo {
inline constexpr char WebSite[] = "https://www.pendrake.example/";
inline constexpr char ContactPage[] = "https://www.pendrake.example/contact";
inline constexpr char ProductTitle[] = "Vorlane";
}  // namespace MakerInfo
