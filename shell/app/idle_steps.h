// The shell's own steps of the idle pass: the transport follow-up, the instrument display of
// the editor, the random table row, and the editor's mode test.
#pragma once

#include "shell/app/random_table_refresh.h"
#include "shell/app/transport_follower.h"

void UpdateEditorInstrumentDisplay();
// True when the main editor takes step input: its note tool is 2 (the audition tool) and
// section mode is off.
bool IsEditorModeTwo();
