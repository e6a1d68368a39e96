// Emptying the undo history (a new or switched song starts without steps to undo).
#pragma once

void ResetUndoHistory();
