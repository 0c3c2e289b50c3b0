// Windows only: the pixel format and the compatibility-profile GL context
// that both the headless context's hidden window and the game's window use,
// so that the table is drawn the same way in both.
#pragma once

#include <windows.h>

#include <string>

namespace puzzle {

// Gives deviceContext a double-buffered RGBA pixel format with at least
// depthBits of depth as near as the driver has one, and makes a context for
// it (not yet current). Null, with error saying why, when the system has none.
HGLRC CreateWglContext(HDC deviceContext, BYTE depthBits, std::string& error);

}  // namespace puzzle
