// The maker's addresses, kept in one place. They use the reserved example
// domain until the maker has real ones, so no stranger's site is ever opened.
#pragma once

namespace MakerInfo {
inline constexpr char WebSite[] = "https://www.pendrake.example/";
inline constexpr char ContactPage[] = "https://www.pendrake.example/contact";
inline constexpr char SupportEmail[] = "support@pendrake.example";
inline constexpr char Company[] = "Pendrake";
inline constexpr char ProductTitle[] = "Vorlane";
}  // namespace MakerInfo
