// The state dump's lines about the track window's level meters and buttons (see state_dump.h):
//   trackzoom <shift>               the overview's zoom shift
//   trackbutton <index> <left> <top> <right> <bottom>
//                                   each of the four row-height and zoom buttons shown, in
//                                   global coordinates
//   metergeometry <segments> <green limit> <red start>
//   meter <track> <current> <drawn> <peak> <stereo> <left> <top> <right> <bottom>
//                                   each shown row's first bar: its segments now, drawn and
//                                   held, and the row's meter rectangle in global coordinates
#pragma once

#include <string>

void AppendTrackMeterState(std::string* out);
