#include "editors/views/track_switches.h"

// Interim shapes until the track switches are built.
OSErr SetRecordTrack(int8_t) { return noErr; }
void RecheckTrackModes() {}
