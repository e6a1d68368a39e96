// Writing the columns of the mixer and plug-in automation lanes into the point list of the
// rack the lane edits (GetLaneRackHandle). Both writers work on the columns from x0 up to,
// not including, x1 (window x; column LaneColumnIndex(x) of gLaneColumns.values), each at
// the sample position of its x at the rack's rate (at the audio zoom levels the timeline's
// sample position itself). The points of the lane's target in that span are replaced by one
// point per column whose value changes; a column without a value (negative, or above the
// lane's range) writes nothing. Afterwards the rack's playback copy is refreshed, the song
// end updated and every window redrawn. A failed insert stops the writing, keeps the points
// written so far and is reported (the undo step the gesture opened takes it all back).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Point kind masks of the lanes' cuts (point_list_edits.h): the kind bit, with the bus
// (gLaneController) for the send lanes, with the parameter and the plug-in for lane 10.
constexpr uint32_t kVolumeLaneCutMask = 0x2;
constexpr uint32_t kPanLaneCutMask = 0x4;
constexpr uint32_t kSendLevelLaneCutMask = 0x20000010;
constexpr uint32_t kSendPanLaneCutMask = 0x20000020;
constexpr uint32_t kParameterLaneCutMask = 0x60000008;

// Lanes 8, 9, 11 and 12 (volume, pan, send level and send pan of bus gLaneController): the
// first column is compared with the value the engine's chase finds in force at the start;
// a column of the lane's range R is written as R - 1 (full scale). 0, the memory error of
// the failed insert, or -50 for a kind that is no mix lane.
OSErr WriteMixLane(int32_t kind, int16_t x0, int16_t x1);
// Lane 10: parameter gLaneController of the pane's plug-in, each column's value divided by
// the scale's range (half a step added first for an indexed parameter), written where it
// lies in 0.0..1.0 and differs from the value before it (the last point of the parameter
// before the start, -1.0 without one). Without a rack only the lane columns are rebuilt.
OSErr WriteParameterLane(int16_t x0, int16_t x1);
