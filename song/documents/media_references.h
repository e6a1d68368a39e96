// The referenced-file table: the audio files and movies a song document refers to, one
// 64-byte entry each, kept in document slot 7 and stored with an alias per entry.
//
// Entry (big-endian):
//   +2 u16 flags (below)   +12 u32, +20 u8, +21 u8, +24 u32, +28 f32: values of the audio
//   file's header   +22 u8 kind (0 audio file, 1 movie)   +23 u8
//   +32 u32 the open fork of the file (0 closed), or its file number with flag 0x80
//   +40 handle slot: the alias   +48 u32
//
// An alias is this system's alias record, or a reference record of the program's own form:
// 'VOZu' at +0 and at +12 a length-prefixed path whose parts are separated by backslashes.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

constexpr int32_t kReferencedFileSize = 64;
constexpr int32_t kRefFlags = 2;
constexpr int32_t kRefDataOffset = 12;  // u32 byte position of the first frame
constexpr int32_t kRefFrameCount = 24;  // u32 frames of the file
constexpr int32_t kRefKind = 22;
constexpr int32_t kRefFork = 32;
constexpr int32_t kRefAlias = 40;

enum : uint16_t {
  kRefMarkedByHeader = 0x01,
  kRefUnpacked = 0x02,
  kRefAliasDropped = 0x04,
  kRefMissing = 0x08,
  kRefByFileNumber = 0x80,
  kRefResolved = 0x100,
};
enum : uint8_t { kRefKindAudio = 0, kRefKindMovie = 1 };

constexpr OSType kProgramReferenceMagic = FourCC("VOZu");

// Texts of the missing-file prompt (items of the general text list).
constexpr int16_t kMissingFileTextA = 61;
constexpr int16_t kMissingFileTextB = 60;
constexpr int16_t kMissingMovieTextA = 57;
constexpr int16_t kMissingAliasTextB = 59;
// Answers of the missing-file prompt: keep the reference (the file stays missing), forget it,
// find the file; the same three for every remaining file of the load.
enum : int16_t {
  kPromptKeep = 1,
  kPromptSkip = 2,
  kPromptFind = 3,
  kPromptKeepAll = 4,
  kPromptSkipAll = 5,
  kPromptFindAll = 6,
};
// The open dialog that looks for a missing file.
constexpr int16_t kFindFileDialogKind = 4;

// The global table (document slot 7) and its number of entries.
Handle GetReferencedFileTable();
int32_t CountReferencedFiles();
uint8_t* GetReferencedFileEntry(int32_t i);

// Reads the table (when present) and each entry's alias into the stored slot. Entries are
// not opened. On failure nothing stays allocated.
OSErr ReadReferencedFileTable(uint8_t* slot, bool present);
// Writes the global table (when there is one) and its aliases.
OSErr WriteReferencedFileTable();
// Closes every entry of a table (forks and aliases); the table block itself stays.
void DisposeReferencedFileTable(Handle table);
// Closes an entry's fork (unless it names a file number) and frees its alias.
void CloseReferencedFileEntry(uint8_t* entry);
// Clears +32, +2, +40 and +48.
void ClearReferencedFileEntry(uint8_t* entry);

// The file's name of an alias: paramErr for a missing handle, a damaged record or a name
// longer than maxLength; else the Alias Manager's result.
OSErr GetReferencedFileName(Handle alias, StringPtr name, int16_t maxLength);
// Resolves an alias against the document's folder. A 'VOZu' record is looked for by its file
// name in the document's folder; found, the record becomes an alias of the file.
OSErr ResolveReferencedAlias(Handle alias, const FSSpec* document, FSSpec* target);
// Points an alias (or a 'VOZu' record, which becomes an alias) at the target.
OSErr RefreshReferenceAlias(const FSSpec* document, const FSSpec* target, Handle alias);

// The missing-file prompt for the alias whose handle word is aliasWord. promptState keeps an
// answer for the remaining files of one load. Result 0 when the file was found (outSpec; the
// alias now names it), -43 when it stays missing. The reference is kept unless the user
// chooses to forget it (skip), which frees the alias and clears the word.
OSErr RunMissingFilePrompt(uint8_t* aliasWord, FSSpec* outSpec, int16_t textA, int16_t textB,
                           bool allowSkip, int16_t* promptState);

// Opens one audio entry: resolves its alias (the prompt for a missing file), opens the data
// fork read-only into +32 and reads the file's header values. *missing is set for a file
// that could not be found.
OSErr OpenReferencedFileEntry(uint8_t* entry, const FSSpec* document, int16_t* promptState,
                              bool* missing);
// Opens every audio entry of the global table; returns the last error, *missing the number
// of files that could not be found.
OSErr OpenReferencedFiles(const FSSpec* document, int32_t* missing);
// The movie entries after a load: entries not present are cleared, the others resolved (the
// prompt for a missing one) and marked resolved. A movie not found keeps its entry (flag 0x08)
// unless the user forgets it, which clears the entry. Returns the first error other than a
// missing file or a cancel.
OSErr OpenMovieEntries(const FSSpec* document);
// Regions of every track's audio records whose file entry was not unpacked from a bundle
// lose their flag 0x08 (unless their own flag 0x02 keeps it). Indexes past the table are
// ignored.
void UpdateRegionFileMarks();
