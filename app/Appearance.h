// The window's look: the optional skin beside the program.
#pragma once

#include <string>

class Form1;
class SkinEngine;

namespace Appearance {

// Program folder + "\x\o.cjs" when a normal file (not hidden, not system) is there.
std::string SkinPath();

// When the skin file is there: gives the window and its frames and check boxes
// the button-face colour, then has the window's skin engine load the file and
// draw the window. Otherwise changes nothing. Failures reach the caller.
void ApplySkin(Form1& form);

// The six calls to the engine, in order.
void DriveSkinEngine(SkinEngine& engine, const std::string& skinPath, Form1& form);

}  // namespace Appearance
