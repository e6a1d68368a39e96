#include "editors/track_popup.h"

void RunTrackPopUpItem(int16_t, int16_t, int16_t) {}
