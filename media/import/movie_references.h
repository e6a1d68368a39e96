// The song's media-file references (MovieRef): one entry of the document's referenced-file
// table (song/documents/media_references.h) for each audio file or movie the song uses, kept
// open for streaming while the entry lives; regions name their file by the entry's index.
//
// Entry fields (64 bytes, big-endian) beside those the document code reads and writes:
//   +2 u16 flags (below)   +4 u32 use count   +12 u32 data offset   +20 u8 sample size
//   +21 u8 channels   +22 u8 kind (0 audio file, 1 movie)   +24 u32 frame count
//   +28 f32 sample rate   +32 u32 the open fork (0 closed)   +40 alias slot
//   +48 u32 the movie's id   +52 u8 in use   +53 u8 copied
// A free entry is one without an alias.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"
#include "song/documents/media_references.h"

constexpr int32_t kMovieRefUseCount = 4;
constexpr int32_t kMovieRefDataOffset = 12;
constexpr int32_t kMovieRefSampleSize = 20;
constexpr int32_t kMovieRefChannels = 21;
constexpr int32_t kMovieRefFrames = 24;
constexpr int32_t kMovieRefRate = 28;
constexpr int32_t kMovieRefMovie = 48;
constexpr int32_t kMovieRefInUse = 52;
constexpr int32_t kMovieRefCopied = 53;

enum : uint16_t {
  kMovieRefUnsigned8 = 0x0001,     // 8-bit offset-binary samples, made signed on reading
  kMovieRefProgramMade = 0x0002,   // a file the program wrote: deleted when its attach fails
  kMovieRefMissing = 0x0004,       // its regions play as silence
  kMovieRefUnresolved = 0x0008,    // never matched by file, never checked for changes
  kMovieRefChanged = 0x0010,
  kMovieRefUsedBySong = 0x0020,
  kMovieRefKept = 0x0040,
  kMovieRefByMovieId = 0x0080,     // found by its movie id, without an alias
  kMovieRefPasted = 0x0100,
};

// The table's entries in use (gMovieRefCount) and entry i (null out of range).
int32_t CountMovieRefs();
uint8_t* GetMovieRef(int32_t i);
uint16_t GetMovieRefFlags(const uint8_t* entry);
void SetMovieRefFlags(uint8_t* entry, uint16_t flags);
FSIORefNum GetMovieRefFork(const uint8_t* entry);
Handle GetMovieRefAlias(const uint8_t* entry);

// With a file: the entry whose alias resolves (without asking the user) to the same file;
// entries flagged unresolved are skipped. Without one: the first movie entry found by its id
// (kMovieRefByMovieId) whose id is -1 or equals id. *notFound is 0 on a match; otherwise 1,
// and the result is the last free entry seen, or -1.
int32_t FindMovieReference(const FSSpec* file, int16_t* notFound, uint32_t id);
// A free entry (the last free one, else a new zeroed one at the end); -1 without memory.
int32_t NewMovieRefEntry();
// Finds or adds the entry of a movie or a restored reference and counts one use of it: an
// alias unless flags has kMovieRefByMovieId; a negative flags value forces a new entry. New
// entries take the flags; every entry takes the rate, kind 1 and, when id is non-zero, the id.
OSErr AddMovieReference(uint32_t id, const FSSpec* file, int32_t* index, int32_t flags, float rate);
// Disposes the alias of the file's entry, when there is one.
void ReleaseMovieRefAlias(const FSSpec* file);
// Closes an entry's fork, disposes its alias and clears it (a free entry).
void FreeMovieRef(int32_t index);
