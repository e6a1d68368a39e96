// Writing the columns of the mixer and plug-in automation lanes into the focused rack's
// point list.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Lanes 8, 9, 11 and 12 (volume, pan, send level, send pan) from column x0 to x1.
OSErr WriteMixLane(int32_t kind, int16_t x0, int16_t x1);
// Lane 10: the parameter gLaneController of the pane's plug-in.
OSErr WriteParameterLane(int16_t x0, int16_t x1);
