// The media section of a bundle document, behind its song records: the files of the
// referenced-file table carried inside the document, written out as files of their own when
// the bundle is opened.
//
//   u32 form (0, 1 or 2; a larger form stops the section with unimpErr)
//   forms 1 and 2: 64 bytes, the document's name (length-prefixed)
//   per entry of the referenced-file table: u32 length L (0: nothing embedded), L bytes; for
//   an audio entry in form 2 then a 28-byte sound description, u32 L2 and L2 bytes of samples
//
// Names for the new files come from the entries' aliases, that is from the document: they
// are made safe (no folder separators, no leading dots, no control characters) and unique in
// the folder that receives them.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

constexpr uint32_t kMaxBundleMediaForm = 2;
constexpr int32_t kBundleNameBytes = 64;
constexpr int32_t kSoundDescriptionSize = 28;
constexpr int32_t kMaxUniqueNameTries = 999;

// Walks the section from the stream's position without reading the files' bytes: every
// length must stay inside the document (eofErr otherwise). The position is restored. A form
// above 2 is left for the unpacking to refuse.
OSErr CheckBundleMediaSection(Handle referencedFiles);
// Unpacks the section at the stream's position next to the bundle document, gives each entry
// an alias of its new file (flag 0x02) and opens it. *unpacked is set when any file was
// written. On an error the entries from the failing one on (and every movie entry) are
// cleared; the error is returned.
OSErr UnpackEmbeddedMediaFiles(const FSSpec* document, bool* unpacked);

// A name from a document made safe as a file name (at most maxLength characters); fallback
// when nothing usable is left.
void MakeSafeMediaFileName(ConstStr255Param name, StringPtr safe, int32_t maxLength,
                           ConstStr255Param fallback);
// A file specification in the folder (vRefNum, dirID) for a name not taken yet: the name
// itself, then "name 2", "name 3" ... before its extension. userCanceledErr when no free
// name is found.
OSErr MakeUniqueFileSpec(int16_t vRefNum, int32_t dirID, ConstStr255Param name, FSSpec* fileSpec);
