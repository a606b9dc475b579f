// The per-user settings: string values under HKCU\Software\Pendrake\Vorlane.
#pragma once

#include <string>

namespace Settings {

inline constexpr char Application[] = "Pendrake";
inline constexpr char Section[] = "Vorlane";
inline constexpr char KeyPath[] = "Software\\Pendrake\\Vorlane";

inline constexpr char StartStopState[] = "StartStopState";
inline constexpr char OftenIndex[] = "OftenIndex";
inline constexpr char WindowsStartup[] = "Windows Startup";
inline constexpr char Minimized[] = "Minimized";

// The stored text, or `defaultValue` when the key, the section or a string value
// of that name does not exist.
std::string GetSetting(const std::string& key, const std::string& defaultValue = "");

// Stores the text at once, creating the section when needed. Raises a Failure
// when the store refuses the write.
void SaveSetting(const std::string& key, const std::string& value);

}  // namespace Settings
