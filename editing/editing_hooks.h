// The editing's side of the song's hook tables: the marker window
// (song/conductor/marker_window_hooks.h), the clipboard copies that undo steps keep
// (song/undo/clipboard_hooks.h) and the clipboard set aside by the song model's operations
// (song/model/clipboard_access_hooks.h).
#pragma once

// Fills gMarkerWindowHooks, gUndoClipboardHooks and gSongClipboardHooks. Called by
// InstallProgramHooks.
void InstallEditingHooks();
