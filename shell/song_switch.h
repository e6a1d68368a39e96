// Refreshing the windows after the current song changed.
#pragma once

#include <cstdint>

void RefreshAfterSongSwitch(int16_t mode);
