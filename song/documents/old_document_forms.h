// The document-wide parts of song documents stored by older versions of the program (below
// kOldestSongFileVersion), converted into today's forms as they are read: the header's pieces
// and presence words, the plug-in device table, the referenced-file table, the instrument
// table and the region lists of plug-in records. The songs are old_song_forms.h's.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Whether header piece 1..4 (document_file.h's kFileHeaderPieces) stands in a file of that
// version: the 16 bytes at +20 above 545, the 82 at +36 above 832, the 138 at +118 above 1551
// and the twelve handle slots above 1616.
bool IsHeaderPieceStored(int32_t piece, uint16_t version);
// The song slot count a document of that version has (versions up to 1540 always 32; later
// ones at least 32).
int32_t DocumentSlotCountFor(uint16_t version, uint16_t stored);
// Files up to 1616 keep the twelve presence words at +4, +14, +20, +24, +28, +32, +106, +110,
// +114, +120, +124 and +132: each goes to its slot's handle word and its old place is cleared.
void MoveOldSlotPresenceWords(uint8_t* header);
// Whether the notepad text is followed by the block that is not kept (versions above 1375).
bool HasNotepadTrailer(uint16_t version);

// Plug-in device tables of files below 1617 hold 64-byte entries: each is widened to 80
// bytes (copied to the front of its new place, the rest zeroed). memFullErr.
OSErr WidenOldDeviceTable(Handle table, uint16_t version);
// Referenced-file tables: 32-byte entries (1608 and lower) are widened to 64 bytes; below
// 1617 the alias word at +4 moves to +40 and the value at +16 to +48. memFullErr.
OSErr WidenOldReferencedFiles(Handle table, uint16_t version);
// Instrument tables up to 1120 hold 128-byte records after which the master record follows:
// each becomes a 256-byte record, its upper half zeroed. memFullErr.
OSErr WidenOldInstrumentTable(Handle table, uint16_t version);
// Whether an instrument record of that version may carry a plug-in record (above 1135).
bool HasInstrumentPluginRecords(uint16_t version);
// The region list of a plug-in record from files up to 1616: 64-byte (up to 1567) or
// 128-byte records become 256-byte records with their moved fields. memFullErr.
OSErr WidenOldRegionList(Handle list, uint16_t version);
