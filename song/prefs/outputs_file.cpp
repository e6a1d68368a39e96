#include "song/prefs/outputs_file.h"

#include <cstring>

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/file_access.h"
#include "shell/base/error_report.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "song/documents/checked_blocks.h"
#include "song/documents/document_input.h"
#include "song/documents/instrument_table_io.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/midi_port_table.h"
#include "song/instruments/output_bindings.h"

namespace {

constexpr int32_t kMasterVolumeAfterRead = 127;

OSErr WriteOutputsStream() {
  uint8_t header[8];
  WriteU32BE(header, kAppCreator);
  WriteU32BE(header + 4, kOutputsFileFormat);
  WriteBlock(header, 8);
  if (GetLastFileError() != noErr) return GetLastFileError();
  return WriteInstrumentTable();
}

// The file's table, checked to the end of the file; null when the file holds an empty one.
OSErr ReadOutputsStream(Handle* table) {
  uint8_t header[8];
  OSErr err = ReadDocumentBytes(header, 8);
  if (err != noErr) return err;
  if (ReadU32BE(header) != kAppCreator || ReadU32BE(header + 4) != kOutputsFileFormat)
    return kMalformedBlockErr;
  err = ReadStoredInstrumentTable(table);
  if (err == noErr && DocumentBytesLeft() != 0) err = FailDocumentInput(kMalformedBlockErr);
  if (err != noErr && *table) {
    DisposeStoredInstrumentTable(*table);
    *table = Handle();
  }
  return err;
}

struct ApplyContext {
  Handle table;
};

int32_t ApplyOutputsTable(void* context) {
  auto* apply = static_cast<ApplyContext*>(context);
  Handle snapshot;
  if (SaveTrackOutputs(&snapshot, 0) != noErr) {
    DisposeStoredInstrumentTable(apply->table);
    apply->table = Handle();
    return 0;
  }
  InstallInstrumentTableWithPorts(apply->table, bool(gPortTable));
  apply->table = Handle();
  SetMasterVolume(kMasterVolumeAfterRead);
  RestoreTrackOutputsAndRedraw(snapshot, false);
  return 0;
}

}  // namespace

int32_t GetOutputsFileSpec(FSSpec* fileSpec) {
  FSSpec prefs;
  if (GetPrefsFileSpec(&prefs) != noErr || prefs.name[0] == 0) return 0;
  Str255 name;
  std::memcpy(name, prefs.name, size_t(prefs.name[0]) + 1);
  static const char kSuffix[] = "outputs";
  name[0] = uint8_t(name[0] - 1);
  std::memcpy(name + 1 + name[0], kSuffix, sizeof kSuffix - 1);
  name[0] = uint8_t(name[0] + sizeof kSuffix - 1);
  OSErr err = FSMakeFSSpec(prefs.vRefNum, prefs.parID, name, fileSpec);
  if (err != noErr && err != fnfErr) return 0;
  return name[0];
}

OSErr WriteOutputsFile() {
  FSSpec fileSpec;
  if (!GetOutputsFileSpec(&fileSpec)) return fnfErr;
  if (gPrefsResFile != -1 && UsePrefsResFile() == noErr) {
    RemoveSettingsResource(kOldOutputsResId);
    UseAppResFile();
  }
  return ReplaceDataForkWithStream(&fileSpec, WriteOutputsStream, kAppCreator, 0);
}

OSErr SaveOutputsFile() {
  OSErr err = WriteOutputsFile();
  FSSpec fileSpec;
  if (err != noErr && GetOutputsFileSpec(&fileSpec)) ReportFileError(err, fileSpec.name, kFileActionSave);
  return err;
}

OSErr ReadOutputsFile(bool undoable) {
  FSSpec fileSpec;
  int16_t refNum = 0;
  OSErr err = GetOutputsFileSpec(&fileSpec) ? OSErr(noErr) : OSErr(fnfErr);
  if (err == noErr) err = OpenDataFork(&fileSpec, fsRdPerm, &refNum);
  Handle table;
  if (err == noErr) {
    int16_t savedStream = gStreamRefNum;
    err = BeginDocumentInput(refNum);
    if (err == noErr) err = ReadOutputsStream(&table);
    CloseFork(refNum);
    gStreamRefNum = savedStream;
  }
  if (err != noErr || !table) {
    SetMasterVolume(kMasterVolumeAfterRead);
    return err;
  }
  ApplyContext apply{table};
  if (undoable)
    RunInstrumentTableStep(ApplyOutputsTable, &apply);
  else
    ApplyOutputsTable(&apply);
  if (apply.table) DisposeStoredInstrumentTable(apply.table);  // the step could not run
  return noErr;
}
