#include "song/documents/import_commands.h"

#include <algorithm>
#include <cstddef>

#include "song/documents/document_dialog_hooks.h"
#include "song/documents/import_files.h"
#include "song/documents/lyrics_files.h"
#include "song/documents/open_dispatch.h"
#include "song/documents/sysex_dumps.h"
#include "song/model/transport_hooks.h"

namespace {

constexpr OSType kMidiFileType = FourCC("Midi");
constexpr OSType kMidiFileTypes[] = {kMidiFileType};
constexpr OSType kEveryType[] = {kAnyFileType};

// Imports land at the song position; a song starts at tick 1.
uint32_t InsertionTick() { return std::max<uint32_t>(GetSongPositionTick(), 1); }

// The open dialog over a type list; a list of '????' alone lists every file.
template <size_t N>
OSErr ChooseFile(const OSType (&types)[N], int16_t dialogKind, FSSpec* fileSpec) {
  int16_t count = N == 1 && types[0] == kAnyFileType ? 0 : int16_t(N);
  return RunNavGetFileDialog(count, types, fileSpec, dialogKind, 0);
}

}  // namespace

OSErr RunOpenAnyFileCommand() {
  FSSpec fileSpec;
  OSErr err = ChooseFile(kEveryType, kOpenDialogKind, &fileSpec);
  if (err != noErr) return err;
  return OpenDocumentSpec(&fileSpec, 0, 0);
}

OSErr RunImportMidiFileCommand() {
  FSSpec fileSpec;
  OSErr err = ChooseFile(kMidiFileTypes, kOpenDialogKind, &fileSpec);
  if (err != noErr) return err;
  return OpenDocumentSpec(&fileSpec, 2, 0);
}

OSErr RunImportSysExDumpCommand() {
  FSSpec fileSpec;
  OSErr err = ChooseFile(kSysExDumpTypes, kImportDialogSysExDump, &fileSpec);
  if (err != noErr) return err;
  SysExDumpResult result;
  return ImportSysExDump(&fileSpec, InsertionTick(), &result);
}

OSErr RunImportLyricsCommand() {
  FSSpec fileSpec;
  OSErr err = ChooseFile(kLyricsTypes, kImportDialogLyrics, &fileSpec);
  if (err != noErr) return err;
  return ImportLyricsFile(&fileSpec, InsertionTick());
}
