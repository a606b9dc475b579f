// The window's look: the optional skin beside the program.
#pragma once

class Form1;

namespace Appearance {
// Applies program folder + "\x\o.cjs" when a normal file is there; otherwise
// leaves the built-in colours alone.
void ApplySkin(Form1& form);
}  // namespace Appearance
