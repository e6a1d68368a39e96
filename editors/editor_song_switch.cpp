#include "editors/editor_song_switch.h"

OSErr SetRecordTrack(int8_t) { return noErr; }

void RecheckTrackModes() {}

void ResetLaneDragState() {}
