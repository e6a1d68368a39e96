// The program's own clipboard: the header record (EventClipboard, song/model/clipboard_record.h)
// that says what was copied and from where, and the clipboard song that holds the copied
// tracks or conductor map. Copy fills both; Paste reads them (editing/paste.h).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The two handles and the owned byte, set aside while an operation uses the clipboard.
struct ClipboardState {
  Handle clipboard = 0;
  Handle song = 0;
  uint8_t owned = 0;
};

extern uint8_t gClipboardOwned;  // 1 while the clipboard holds data the program made

// The header record's bytes (callers keep gClipboard locked while they hold the address), or
// null without a clipboard.
uint8_t* GetClipboardRecord();
// Disposes the clipboard, then makes a cleared header of size bytes with kind (kinds 1 and 3
// with the rack table) and an empty clipboard song; 0 or the memory error (gIterationAbort
// set and nothing left behind).
OSErr NewClipboard(uint8_t kind, int32_t size, int32_t rackMode);
OSErr ClipboardCommandMode2(uint8_t kind, int32_t size);
// Disposes the clipboard: the rack table, the clipboard song's tracks (except for kind 3;
// the song block itself with disposeSong) and the header.
void ClipboardCommand(bool disposeSong, bool releaseMovies);
// Moves the clipboard into record and leaves it empty; Restore puts it back.
void SaveClipboardState(ClipboardState* record);
void RestoreClipboardState(const ClipboardState* record, bool announce);
// The header from the current state: the whole-song flag (mode 2 only), the song length,
// the track selection, the time selection, the note range and the context.
void FillClipboardHeader(int32_t mode);
// Copy: the selection into a new clipboard; undoKind 0 records no kind.
void CopyToClipboard(int16_t undoKind, int32_t rackMode);
void CopySelection();
