// The state dump's line about the tempo display (see state_dump.h):
//   tempo <song factor> <transport factor> <base tempo> <scaled tempo> <knob position>
//                                   the tempo factor kept in the current song's header (-1
//                                   without a song) and in the transport, the transport's
//                                   tempo and the tempo shown (tenths), the slider's knob
#pragma once

#include <string>

void AppendTempoStateDump(std::string* out);
