// Fits a line of text that holds a drive path into a width by taking whole
// folders out of the path's middle, "..." standing in their place. The drive,
// the first folder while there is room for it, the file name and the text
// around the path stay. Text that fits, or that holds no drive path, comes
// back as it is.
#pragma once

#include <functional>
#include <string>

namespace MiddleEllipsis {

// `width` measures a text in the unit of `room`.
std::string Fit(const std::string& text, int room, const std::function<int(const std::string&)>& width);

}  // namespace MiddleEllipsis
