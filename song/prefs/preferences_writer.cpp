#include "song/prefs/preferences_writer.h"

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/system/gestalt.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "song/conductor/timebase.h"
#include "song/documents/checked_blocks.h"
#include "song/documents/instrument_table_io.h"
#include "song/instruments/midi_port_table.h"
#include "song/model/transport_hooks.h"
#include "song/prefs/outputs_file.h"
#include "song/prefs/preferences_assignments.h"
#include "song/prefs/preferences_reader.h"
#include "song/prefs/startup_settings.h"
#include "song/prefs/window_layout.h"

uint8_t gClockMode = 1;

namespace {

OSErr WriteSettings() {
  uint8_t head[4];
  WriteU16BE(head, kPrefsVersion);
  head[2] = gPrefsSettings.mode;
  head[3] = gPrefsSettings.second;
  PrefsSettings record = gPrefsSettings;
  CaptureLiveSettings(&record);
  SetSetting(&record, kSetClockMode, gClockMode);
  SetSetting(&record, kSetAlwaysZero, 0);
  WriteBlock(head, 4);
  if (GetLastFileError() == noErr) WriteBlock(record.record, kSettingsRecordSize);
  return GetLastFileError();
}

// The program's layout with a copy of the pane table, written and freed again.
OSErr WriteLayout() {
  Handle block = BuildLayoutBlock();
  if (!block) return memFullErr;
  Handle panes = gWindowLayout.paneTable;
  if (panes && IsValidHandle(panes) && GetHandleSize(panes) == kPaneTableSize) {
    if (HandToHand(&panes) != noErr) panes = Handle();
  } else {
    panes = Handle();
  }
  OSErr err = WriteLayoutSection(block, panes);
  DisposeBlock(&panes);
  DisposeHandle(block);
  return err;
}

// Writes the data fork through a temporary file and renames it into place; a failure is
// reported naming the file.
OSErr WritePrefsDataFork() {
  FSSpec fileSpec;
  OSErr err = GetPrefsFileSpec(&fileSpec);
  if (err != noErr) return ReportError(err), err;
  err = ReplaceDataForkWithStream(&fileSpec, WritePreferencesStream, kAppCreator, kPrefsFileType);
  if (err != noErr) ReportFileError(err, fileSpec.name, kFileActionSave);
  return err;
}

}  // namespace

OSErr WritePreferencesStream() {
  OSErr err = WriteSettings();
  if (err == noErr) err = WriteLayout();
  if (err == noErr) err = WriteBlock(gWindowColourBlock, kDrawingBlockSize);
  if (err == noErr) err = WriteInstrumentTable();
  if (err == noErr) err = WriteAssignmentSection();
  return err != noErr ? err : GetLastFileError();
}

OSErr WritePreferencesFile(int32_t clockMode) {
  int16_t savedError = gStreamError;
  int16_t savedDiskFull = gStreamDiskFullError;
  gStreamError = gStreamDiskFullError = noErr;  // only this write's errors are reported
  OSErr err = WritePrefsDataFork();
  if (err == noErr) {
    SavePortTable();
    SaveOutputsFile();
  }
  gStreamError = savedError;
  gStreamDiskFullError = savedDiskFull;
  ApplyClockMode(clockMode);
  return err;
}

void ApplyClockMode(int32_t flag) {
  int32_t mode = (flag < 0 || flag > 3 || flag == 2) ? 1 : flag;
  SInt32 hardware = 0;
  if (mode == 0 && (Gestalt(gestaltHardwareAttr, &hardware) != noErr || !(hardware & kGestaltHardwareBit0)))
    mode = 1;
  if (mode == gClockMode) return;
  StopClockTimerForMode(mode);
  gClockMode = uint8_t(mode);
  RestartIdleClockTimer();
  ApplyTimebase();
}
