// Songs stored by older versions of the program (below kOldestSongFileVersion): their song
// blocks, track entries and section lists are converted into today's records as they are read,
// so that a song opens as if it had been saved in today's form.
//
// What differs, by version:
//   header   1575..1616: 348 bytes   1040..1574: 218 bytes   784..1025: 154 bytes (today 404)
//   entries  1586..1616: 192 bytes   1040..1585: 144 bytes   784..1025: 108 bytes (today 264),
//            then the child cells
//   handle words: song +2 +18 +22 +40 +96 +190 +214 (today +348 .. +396 in steps of 8),
//   entry +4 +8 +64 +72 +76 +100 +112 +132 +140 (today +192 +208 +216 +224 +232 +240 +248
//   +200 +256)
//   section lists: 12-byte head and 32-byte entries (today 16 and 48)
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The versions of the older forms that are read (784..1025 and 1040..1616); any other version
// below today's is refused.
constexpr uint16_t kOldestReadableFileVersion = 784;

// True for a version whose documents open (today's form, or an older form that is converted).
bool IsReadableSongFileVersion(uint16_t version);
// The size of a stored song header of that version (kSongHeaderSize from 1617 on): the least
// song length a record of that version may give.
int32_t StoredSongHeaderSize(uint16_t version);

// Converts a song block of an older version (length bytes: header and entries) into today's
// form in a new handle; the old block is disposed. kDocumentDamagedErr when its entries do not
// fill it, memFullErr when the new block cannot be had (the old one is disposed either way).
OSErr WidenOldSongBlock(Handle* block, uint32_t* length, uint16_t version);
// The fixes of an older header and of its entries that follow the widening.
void FixOldSongBlock(uint8_t* song, uint16_t version);
// The flag bytes of the events of a song's tracks (files below 899), once the lists are read.
void FixOldEventLists(uint8_t* song, uint16_t version);
// Converts an older section list in place (12-byte head and 32-byte entries).
// kDocumentDamagedErr for a list shorter than its head, memFullErr.
OSErr WidenOldSectionList(Handle list);
