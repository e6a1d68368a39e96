// The shell's own steps of the idle pass: the transport follow-up, the instrument display of
// the editor, the random table row, and the editor's mode test.
#pragma once

// Reacts to changes of the transport flags (play, record and cycle starts and ends).
void FollowTransportStateAtIdle();
void UpdateEditorInstrumentDisplay();
void RefreshRandomTableRow();
// True when the main editor's mode word is 2.
bool IsEditorModeTwo();
