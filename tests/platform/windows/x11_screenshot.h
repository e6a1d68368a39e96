// A screenshot of the whole X display ($DISPLAY), kept apart from the toolbox headers (the X
// headers name types such as Cursor and Window too).
#pragma once

#include <cstdint>
#include <vector>

// Pixels 0xRRGGBB row by row; false without a display.
bool GrabX11Root(int* width, int* height, std::vector<uint32_t>* pixels);
