// Writing entries into a LevelDB database in tests, with LevelDB itself: the
// way a browser fills its Local Storage, for fixtures larger than the made
// profiles hold.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace LevelDbFill {

// Opens (or creates) the database in `folder` and writes every entry.
void Put(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace LevelDbFill
