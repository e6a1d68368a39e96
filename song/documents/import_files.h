// Opening a file chosen for one of the small importers (system-exclusive dumps, name lists,
// lyrics, drum maps) as the stream, and reading its size-prefixed blocks.
//
// The open dialog that chooses the file comes with the dialog toolkit; until then the
// importers take the chosen file's specification. The type lists below are what they will
// hand to that dialog ('????' stands for every type).
#pragma once

#include <cstdint>

#include "platform/files/files.h"

constexpr OSType kAnyFileType = FourCC("????");
constexpr OSType kNameListType = FourCC("MPNM");
constexpr OSType kNameList2Type = FourCC("MPN2");
constexpr OSType kDrumMapType = FourCC("MDRM");
constexpr OSType kNameListTypes[] = {kAnyFileType, kNameListType, kNameList2Type};
constexpr OSType kSysExDumpTypes[] = {kAnyFileType};
constexpr OSType kLyricsTypes[] = {kAnyFileType};
constexpr OSType kDrumMapTypes[] = {kDrumMapType};
// The open dialog's kinds of these imports.
enum : int16_t {
  kImportDialogDrumMap = 6,
  kImportDialogNameList = 7,
  kImportDialogSysExDump = 8,
  kImportDialogLyrics = 20,
};

// Opens the file's data fork read-only as the stream; the caller's stream is saved in
// *outSavedStream and the file's type returned in *outType (0 when it has none). Returns 0,
// -128 for no file (a cancelled dialog), or the file error.
OSErr OpenFileForImport(const FSSpec* fileSpec, int16_t* outSavedStream, OSType* outType);
// Closes the stream's fork and gives the caller its stream back.
void CloseFileForImport(int16_t savedStream);
// A u32 size and that many bytes into a new handle. The size must fit in what the file still
// holds (else -39, nothing allocated). Returns 0, -39, the memory error or the file error.
OSErr ReadSizedBlock(Handle* out);
