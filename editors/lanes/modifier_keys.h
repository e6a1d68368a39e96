// The modifier tests the editors share: whether Option, Control, Shift or Command is held now,
// read from the live key map (or, while the on-screen keyboard captures keys, from the map it
// recorded).
#pragma once

bool IsOptionKeyDown();
bool IsControlKeyDown();
bool IsShiftKeyDown();
bool IsCommandKeyDown();
