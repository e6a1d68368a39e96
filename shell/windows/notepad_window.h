// The text notepad window (kind 10) as the other windows' steps reach it.
#pragma once

// Invalidates the notepad's content widened by 15 pixels to the right (its scroll bar), when
// the window exists: after a song switch and when a document's notepad text was read.
void InvalidateNotepadWindow();
