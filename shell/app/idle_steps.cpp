#include "shell/app/idle_steps.h"

#include "editors/note_entry/editor_clicks.h"
#include "song/model/songs.h"

// Interim: the editor's instrument display comes with the editors.
void UpdateEditorInstrumentDisplay() {}

// The editor takes notes from the MIDI input (step input) while its note tool is the
// audition tool, outside section mode.
bool IsEditorModeTwo() { return gSectionMode == 0 && gNoteTool == kAuditionTool; }
