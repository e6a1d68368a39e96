// The state dump's line about the song list's settings (see state_dump.h):
//   songlist <play mode> <pause> <flags> <time mode>
//                                   as the header buttons and the settings dialog left them
#pragma once

#include <string>

void AppendSongListStateDump(std::string* out);
