// Interim: no window shows a song yet, so there is nothing to refresh.
#include "shell/song_switch.h"

void RefreshAfterSongSwitch(int16_t) {}
