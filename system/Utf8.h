// UTF-8 and the system's UTF-16, whatever the code page the program runs in:
// for text that must read the same on every Windows (the keep list, the
// console, SQLite's file names).
#pragma once

#include <string>
#include <string_view>

namespace Utf8 {

std::string FromWide(std::wstring_view text);
std::wstring ToWide(std::string_view text);

}  // namespace Utf8
