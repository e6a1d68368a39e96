#include "shell/app/idle_steps.h"

#include "editors/note_entry/editor_clicks.h"
#include "song/model/songs.h"

// Interim: the transport panel's flags that the follow-up reacts to, the editor's instrument
// display and the random table come with the editors and the transport panel. The end of a
// pass does not wait for them: the transport's own idle task stops it.
void FollowTransportStateAtIdle() {}
void UpdateEditorInstrumentDisplay() {}
void RefreshRandomTableRow() {}

// The editor takes notes from the MIDI input (step input) while its note tool is the
// audition tool, outside section mode.
bool IsEditorModeTwo() { return gSectionMode == 0 && gNoteTool == kAuditionTool; }
