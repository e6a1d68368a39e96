// The on-screen keyboard's capture of typed keys: while it is on, letter keys play notes
// instead of reaching the menus and the windows.
#pragma once

#include <cstdint>

// Interim until the on-screen keyboard exists: only the switch is kept.
extern bool gKeyboardCapture;
// The key map as the on-screen keyboard recorded it while it captures keys (16 bytes by key
// code); the modifier tests read it then instead of the live map.
extern uint8_t gCapturedKeyMap[16];

void SetKeyboardCapture(bool on);
