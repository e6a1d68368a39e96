#include "editors/editor_idle.h"

#include "song/instruments/instrument_record.h"
#include "song/model/songs.h"

uint8_t gClickOutputPrepared = 0;

// Interim: the main editor and the track window are not built yet, so they have no idle work.
void EditorIdle() {}
void EditorSecondIdle() {}
void TrackWindowIdle() {}

// Interim: no output kind needs preparing yet (the note channels and plug-in outputs come with
// media and plug-in hosting); the click's output counts as prepared once asked for.
void PrepareOutputForDeviceKind(uint8_t deviceKind) {
  if (gSectionMode) return;
  if (deviceKind == kDeviceKindPlugin) gClickOutputPrepared = 1;
}
