#include "editing/event_clipboard.h"

// Interim: nothing is copied until the clipboard is built.

uint8_t gClipboardOwned = 0;

OSErr NewClipboard(uint8_t, int32_t, int32_t) { return noErr; }
void ClipboardCommand(bool, bool) {}
void SaveClipboardState(ClipboardState* record) { *record = ClipboardState(); }
void RestoreClipboardState(const ClipboardState*, bool) {}
void FillClipboardHeader(int32_t) {}
void CopyToClipboard(int16_t, int32_t) {}
void CopySelection() {}
