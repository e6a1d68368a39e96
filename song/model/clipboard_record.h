// The event clipboard's record, as the song code reads it and the undo steps keep it.
//
// Interim: the clipboard record holds a kind byte at offset 0 and, for instrument data (kind
// 3), the handle of the copied instrument table at offset 4; the clipboard commands that fill
// it come with the editing operations.
#pragma once

#include "platform/memory/mac_types.h"

constexpr uint8_t kClipboardKindInstruments = 3;
constexpr int32_t kClipboardKind = 0;
constexpr int32_t kClipboardInstrumentTable = 4;
constexpr int32_t kClipboardRecordSize = 8;

extern Handle gClipboard;
extern Handle gClipboardPart2;

// The copied instrument table when the clipboard holds instrument data, else null.
Handle GetClipboardInstrumentTable();
// The song block held by the clipboard (a clipboard record of a kind other than 3), or 0.
Handle GetClipboardSongPart();
