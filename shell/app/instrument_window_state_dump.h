// The state dump's lines about the instrument window (see state_dump.h):
//   instrumentwindow <part> <instruments> <aux busses> <fader travel>
//   strip <index> <volume> <pan> <byte 0> <byte 6> <channel> <port>
//         <thumb left top right bottom> <knob ...> <mute lamp ...> <solo lamp ...> <name ...>
//         <shown level left> <shown level right>
//                                   each shown strip with its values, the rectangles of its
//                                   fader thumb, pan knob, lamps and name in global
//                                   coordinates, and the levels its meter shows
#pragma once

#include <string>

void AppendInstrumentWindowState(std::string* out);
