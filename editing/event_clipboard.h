// The program's own clipboard: the header record (EventClipboard) that says what was copied
// and from where, and the clipboard song that holds the copied tracks or conductor map.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The two handles and the owned byte, set aside while an operation uses the clipboard.
struct ClipboardState {
  Handle clipboard = 0;
  Handle song = 0;
  uint8_t owned = 0;
};

extern uint8_t gClipboardOwned;

// A new cleared header of size bytes and kind, with the clipboard song; 0 or the memory error.
OSErr NewClipboard(uint8_t kind, int32_t size, int32_t rackMode);
// Disposes the clipboard (the song part with disposeSong).
void ClipboardCommand(bool disposeSong, bool releaseMovies);
void SaveClipboardState(ClipboardState* record);
void RestoreClipboardState(const ClipboardState* record, bool announce);
void FillClipboardHeader(int32_t mode);
// Copy: the selection into a new clipboard.
void CopyToClipboard(int16_t undoKind, int32_t rackMode);
void CopySelection();
