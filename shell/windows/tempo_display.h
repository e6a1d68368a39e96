// The tempo the info panel shows: the transport's tempo with one decimal, in the counter's
// tempo area.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// The tempo area of the info panel (panel coordinates).
constexpr int16_t kTempoAreaLeft = 8, kTempoAreaTop = 37, kTempoAreaRight = 76, kTempoAreaBottom = 69;

// Draws the tempo into its area of the current port and remembers it as the shown tempo.
void DrawCounterTempoArea();

// A click in the info panel at a local point: true when it fell on the tempo's arrows or
// slider and was handled there.
bool ClickTempoControls(Point local);
