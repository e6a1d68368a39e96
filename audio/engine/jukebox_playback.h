// The jukebox's one-channel set-up of the engine (the 25th channel slot): it plays a single
// file through the same engine as a song.
#pragma once

#include <cstdint>

#include "platform/files/file_types.h"

// 0 or an error. Interim until the jukebox (its file list, its instrument and its file-format
// check) exists: -50 (no file to play), and nothing is prepared.
int16_t PrepareJukeboxPlayback(const FSSpec* file);
