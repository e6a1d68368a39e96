// The editing's side of the song's hook tables: the marker window
// (song/conductor/marker_window_hooks.h) and the clipboard copies that undo steps keep
// (song/undo/clipboard_hooks.h).
#pragma once

// Fills gMarkerWindowHooks and gUndoClipboardHooks. Called by InstallProgramHooks.
void InstallEditingHooks();
