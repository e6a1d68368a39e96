// The transport's two buttons as controls: 0 plays, 1 stops.
#pragma once

#include <cstdint>

// Interim: the buttons' own tracking (pressed look, the click point in gLastMousePoint) is
// not built; a press asks the transport at once.
void PressTransportButton(int16_t index);
