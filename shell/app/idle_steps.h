// The shell's own steps of the idle pass: the transport follow-up, the instrument display of
// the editor, the random table row, and the editor's mode test.
#pragma once

#include "shell/app/random_table_refresh.h"
#include "shell/app/transport_follower.h"

// The program of the track of the editor's target pane as the tool bar last showed it.
extern int16_t gShownTrackProgram;
// The tool bar follows the target pane's track: a track that plays through its instrument
// takes the instrument's program byte, and a program the instrument holds for it (kept at
// 122 with its bank word); the fields are drawn again when the program changed.
void UpdateEditorInstrumentDisplay();
// True when the main editor takes step input: its note tool is 2 (the audition tool) and
// section mode is off.
bool IsEditorModeTwo();
