// The on-screen keyboard's capture of typed keys: while it is on, letter keys play notes
// instead of reaching the menus and the windows.
#pragma once

// Interim until the on-screen keyboard exists: only the switch is kept.
extern bool gKeyboardCapture;

void SetKeyboardCapture(bool on);
