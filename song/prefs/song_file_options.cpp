#include "song/prefs/song_file_options.h"

uint8_t gSongFileOptions = 0;

bool TestPrefBit2() { return (gSongFileOptions & 0x04) != 0; }
