// The document-wide blocks of a song document, between the header and the song slot table,
// in their stored order: the window layout (slot 5, with its own extra block), the
// arpeggiator slots (11), slot 2, the MIDI port table (3), slot 9, the port names (10), the
// notepad text (0, followed by one more block that is not kept), the remote-control
// assignments (1), two aliases (4 and 6) and the plug-in device table (8).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/documents/document_file.h"

constexpr int32_t kPortTableEntrySize = 64;
constexpr int32_t kPortTableMinEntries = 128;
constexpr int32_t kPortTableMaxEntries = 255;  // the count is kept in a byte

// Takes each slot's presence from its stored words (alternates where the reader allows
// them) and clears every slot of the header image.
void TakeDocumentSlotPresence(uint8_t* header, bool present[kDocumentSlotCount]);
// Reads the document-wide blocks into the slots of a header image (not installed). On failure
// the slots hold only what was allocated (DisposeDocumentHandles frees it).
OSErr ReadDocumentSections(uint8_t* header, const bool present[kDocumentSlotCount]);
// Writes the blocks of gSongFileHeader's slots in the same order.
OSErr WriteDocumentSections();
// The header image as stored: handle words only where a block follows, alternates 0.
void MakeStoredHeaderImage(uint8_t* image);

// Whole 64-byte entries, at most 255, padded with zeroed entries to 128; the count goes to
// header +129. A failure to pad keeps the entries read.
void PreparePortTable(Handle table, uint8_t* header);
// A port-name list (u16 count, then that many Pascal strings) lies within its block.
bool IsPortNameListValid(Handle list);
