#include "editors/editor_idle.h"

#include "editors/follow/step_input.h"
#include "editors/note_entry/note_readout.h"
#include "platform/events/classic_events.h"
#include "platform/windows/windows.h"
#include "shell/windows/app_windows.h"

#include "song/instruments/instrument_record.h"
#include "song/model/songs.h"

uint8_t gClickOutputPrepared = 0;

// The play cursor follows through the idle pass's window refresh (editors/follow); the note
// readout follows the pointer while the main editor is in front and the button is up.
void EditorIdle() {
  if (gMainEditorRecord.window && FrontWindow() == gMainEditorRecord.window && !Button()) UpdateReadoutAtMouse();
}
void EditorSecondIdle() { PollStepInput(); }
// Interim: the track window is not built yet, so it has no idle work.
void TrackWindowIdle() {}

// Interim: no output kind needs preparing yet (the note channels and plug-in outputs come with
// media and plug-in hosting); the click's output counts as prepared once asked for.
void PrepareOutputForDeviceKind(uint8_t deviceKind) {
  if (gSectionMode) return;
  if (deviceKind == kDeviceKindPlugin) gClickOutputPrepared = 1;
}
