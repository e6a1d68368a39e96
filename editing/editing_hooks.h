// The editing's side of the hook tables: the marker window
// (song/conductor/marker_window_hooks.h), the clipboard copies that undo steps keep
// (song/undo/clipboard_hooks.h), the Edit-menu items the keys reach
// (editors/key_command_hooks.h) and the filter update when the front window changes
// (shell/windows/window_activation.h).
#pragma once

// Fills those entries. Called by InstallProgramHooks.
void InstallEditingHooks();
