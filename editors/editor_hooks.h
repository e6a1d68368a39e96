// The editors' side of the song's editor hooks (song/model/editor_hooks.h).
#pragma once

// Fills gSongEditorHooks. Called by InstallProgramHooks.
void InstallEditorHooks();
// The key command entries of the edit tool (Q, W, E) and the note value (digits, tuplets,
// dotted). Called by InstallEditorHooks.
void InstallEditorKeyCommands();
