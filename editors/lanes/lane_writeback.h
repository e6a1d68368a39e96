// Writing a lane's columns back to the model: events of the track, conductor records or
// automation points, over the span of a rectangle's left and right.
#pragma once

#include "platform/memory/mac_types.h"

OSErr ApplyLaneColumns(const Rect& span);
