#include "song/prefs/preferences_reader.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "song/documents/checked_blocks.h"
#include "song/documents/document_input.h"
#include "song/documents/instrument_table_io.h"
#include "song/instruments/output_bindings.h"
#include "song/prefs/preferences_assignments.h"
#include "song/prefs/window_layout.h"

namespace {

constexpr int16_t kPrefsMessagesStrList = 146;
constexpr int16_t kDamagedPrefsText = 1;
const char kDamagedPrefsFallback[] =
    "The preferences file could not be read. The default settings are used; your drum sets, "
    "chord types and presets are kept.";

// The two option bytes: from 922 on the second is a setting of its own; before, it only
// decided the mode.
void TakeOptionBytes(PrefsSettings* s, uint16_t version, uint8_t mode, uint8_t second) {
  if (version >= 922) {
    s->mode = mode;
    s->second = second;
    return;
  }
  s->mode = mode == 0 ? 0 : (second == 0 ? 2 : 1);
}

OSErr ReadSections(PreferencesData* data) {
  OSErr err = ReadLayoutSection(&data->layout, &data->paneTable);
  if (err == noErr) err = ReadDocumentBytes(data->drawing, kDrawingBlockSize);
  if (err == noErr) err = ReadStoredInstrumentTable(&data->instruments);
  if (err == noErr) err = ReadAssignmentSection(data->version, &data->assignments);
  if (err == noErr && DocumentBytesLeft() != 0) err = FailDocumentInput(kPrefsDamagedErr);  // more than was written
  if (err == noErr) data->hasSections = true;
  return err;
}

}  // namespace

OSErr ReadSettingsRecord(PrefsSettings* s, uint16_t version) {
  uint8_t buffer[kSettingsRecordSize];
  for (int32_t i = 0; i < kSettingsFieldCount; ++i) {
    const SettingsField& f = GetSettingsField(i);
    if (version < f.presentFrom) continue;
    OSErr err = ReadDocumentBytes(buffer, f.width);
    if (err != noErr) return err;
    if (version >= f.usedFrom) std::memcpy(s->record + f.offset, buffer, f.width);
  }
  return noErr;
}

OSErr ReadPreferencesStream(PreferencesData* data) {
  SetDefaultSettings(&data->settings);
  if (GetDocumentInputError() == noErr && DocumentBytesLeft() == 0)
    return kPrefsUnusedErr;  // a file made only for its resources
  uint8_t head[4];
  OSErr err = ReadDocumentBytes(head, 4);
  if (err != noErr) return err;
  data->version = ReadU16BE(head);
  if (data->version < kOldestPrefsVersion) return kPrefsUnusedErr;
  if (data->version > kPrefsVersion) return kPrefsDamagedErr;
  TakeOptionBytes(&data->settings, data->version, head[2], head[3]);
  err = ReadSettingsRecord(&data->settings, data->version);
  if (err != noErr) return err;
  ApplySettingsRules(&data->settings, data->version);
  if (data->version < kPrefsSectionsVersion) return noErr;  // older forms: the record only
  err = ReadSections(data);
  if (err != noErr) DisposePreferencesData(data);
  return err;
}

void TakePreferencesData(PreferencesData* data) {
  gPrefsSettings = data->settings;
  ApplyLiveSettings(&gPrefsSettings);
  if (!data->hasSections) return;
  std::memcpy(gWindowColourBlock, data->drawing, kDrawingBlockSize);
  DisposeBlock(&gWindowLayout.paneTable);
  gWindowLayout.paneTable = data->paneTable;
  data->paneTable = Handle();
  InstallInstrumentTableWithPorts(data->instruments, true);
  data->instruments = Handle();
  ReplaceAssignmentTable(data->assignments);
  data->assignments = Handle();
}

void DisposePreferencesData(PreferencesData* data) {
  DisposeBlock(&data->layout);
  DisposeBlock(&data->paneTable);
  if (data->instruments) DisposeStoredInstrumentTable(data->instruments);
  data->instruments = Handle();
  DisposeAssignmentTableBlock(&data->assignments);
  data->hasSections = false;
}

void ReportDamagedPreferences(OSErr /*err*/) {
  Str255 text;
  GetIndString(text, kPrefsMessagesStrList, kDamagedPrefsText);
  if (text[0] == 0) {
    text[0] = uint8_t(std::strlen(kDamagedPrefsFallback));
    std::memcpy(text + 1, kDamagedPrefsFallback, text[0]);
  }
  ShowAlertText(text);
}
