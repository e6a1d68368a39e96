// The editors' side of the song's editor hooks (song/model/editor_hooks.h).
#pragma once

// Fills gSongEditorHooks. Called by InstallProgramHooks.
void InstallEditorHooks();
