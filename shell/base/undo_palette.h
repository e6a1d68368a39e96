// Interim: the colour palette that song rows and link children take their colours from,
// until the drawing helpers exist: a fixed table of sixteen colours, chosen by n mod 16.
#pragma once

#include <cstdint>

// The palette colour n as red, green and blue (0..65535 each).
void GetPaletteColor(int32_t n, uint16_t rgb[3]);
