#include "tests/song/prefs/prefs_fixture.h"

#include <dirent.h>

#include <cstring>
#include <sstream>

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "sequencer/clock/clock_timer.h"
#include "shell/base/app_state.h"
#include "shell/base/file_access.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/settings/preference_settings.h"
#include "song/documents/document_input.h"
#include "song/documents/instrument_table_io.h"
#include "song/instruments/instrument_assignments.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/midi_port_table.h"
#include "song/prefs/preferences_assignments.h"
#include "song/prefs/preferences_reader.h"
#include "song/prefs/preferences_writer.h"
#include "song/prefs/window_layout.h"
#include "song/undo/undo_ring.h"

namespace prefs_test {

namespace {

Handle BlockOf(int32_t size, uint8_t seed) {
  Handle h = NewHandle(size);
  for (int32_t i = 0; i < size; ++i) (*h)[i] = char(seed + i);
  return h;
}

void DisposeKept(Handle* h) {
  if (*h && IsValidHandle(*h)) DisposeHandle(*h);
  *h = Handle();
}

void FillInstrumentHandles() {
  WriteU32BE(GetInstrumentRecord(1) + kInstPanAssignment, BlockOf(6, 0x10).id);
  WriteU32BE(GetInstrumentRecord(2) + kInstVolumeAssignment, BlockOf(9, 0x20).id);
  Handle plugin = NewHandleClear(158);  // the plug-in host's fields stay empty
  WriteU32BE(*plugin + 110, BlockOf(12, 0x30).id);
  WriteU32BE(GetInstrumentRecord(3) + kInstInsertRack, plugin.id);
}

void FillAssignments() {
  Handle table = NewHandleClear(2 * kAssignmentSize);
  uint8_t* p = reinterpret_cast<uint8_t*>(*table);
  for (int32_t r = 0; r < 2; ++r) {
    uint8_t* rec = p + r * kAssignmentSize;
    WriteU16BE(rec + 4, uint16_t(0x00FF << r));
    rec[6] = uint8_t(r + 1);
    rec[7] = 6;
    rec[12] = 5;
    std::memcpy(rec + 13, r ? "Organ" : "Piano", 5);
    WriteU32BE(rec + kAssignmentOutputId, 0x1000u + uint32_t(r));
  }
  gInstrumentAssignments = table;
  WriteU32BE(*table + kAssignmentPatchNames, BlockOf(10, 0x50).id);
  WriteU32BE(*table + kAssignmentControllerNames, BlockOf(5, 0x60).id);
  WriteU32BE(*table + kAssignmentSize + kAssignmentBankMessages, BlockOf(30, 0x70).id);
}

}  // namespace

std::vector<int32_t> WriterFieldWidths() {
  static const char kWidths[] =
      "4 x8, 1 x2, 4 x4, 1, 2 x2, 4 x2, 2 x2, 4 x2, 1 x4, 4, 2 x2, 4, 2 x3, 1 x2, 4, 2, 1 x3, "
      "4 x2, 1, 4 x2, 2, 4, 1 x6, 2, 1 x4, 2 x5, 16, 4, 2, 4, 1, 4, 1, 4 x2, 2, 4, 1 x2, 4, 24, "
      "1, 4 x3, 1 x2, 4 x5, 40, 1, 4 x3, 2, 4, 1, 4, 2, 1, 4 x2";
  std::vector<int32_t> widths;
  std::stringstream list(kWidths);
  std::string item;
  while (std::getline(list, item, ',')) {
    int32_t width = 0;
    int32_t count = 1;
    if (std::sscanf(item.c_str(), " %d x%d", &width, &count) < 1) continue;
    widths.insert(widths.end(), size_t(count), width);
  }
  return widths;
}

uint32_t DistinctValue(int32_t index, int32_t width) {
  switch (index) {
    case kSetLimitedValue: return 42;
    case kSetDisplayFlags: return 0x101F;
    case kSetAlwaysZero: return 0;
    case kSetClockMode: return 3;
    case kSetUndoLevels: return 777;
    // Values the dialogs allow, so that reading them back keeps them unchanged.
    case kSetCount: return 5;
    case kSetBufferA: return 40 * 1024;
    case kSetBufferB: return 300 * 1024;
    case kSetEventBufferBytes: return 1000 * 1024;
    case kSetEventsPerPass: return 1234;
    case kSetUndoEventLimit: return 54321;
    case kSetRefreshPeriod: return 250000;
    case kSetDisplayOption: return 1;
    case kSetTransportOption: return 1;
    case kSetStartupOptions: return 2;
    default: break;
  }
  if (width == 1) return uint32_t(index + 1);
  if (width == 2) return 0x2000u + uint32_t(index) * 3;
  return 0x01000000u * uint32_t(index % 100 + 1) + uint32_t(index);
}

uint8_t DistinctByte(int32_t index, int32_t k) {
  if (index == kSetDisplayColours && k == kColourMarkerOffset) return 1;
  return uint8_t(index * 7 + k);
}

PrefsSettings DistinctSettings() {
  PrefsSettings s;
  s.mode = 2;
  s.second = 7;
  for (int32_t i = 0; i < kSettingsFieldCount; ++i) {
    const SettingsField& f = GetSettingsField(i);
    if (f.width <= 4) {
      SetSetting(&s, i, DistinctValue(i, f.width));
      continue;
    }
    for (int32_t k = 0; k < f.width; ++k) GetSettingBytes(&s, i)[k] = DistinctByte(i, k);
  }
  return s;
}

void PrefsTest::SetUp() {
  InstrumentTableTest::SetUp();
  InstallDialogSettingsHooks();
  InstallErrorReportHooks();  // the alerts about damaged files
  CloseAllResFiles();
  gPrefsResFile = -1;
  RegisterStandardFolder(kPreferencesFolderType, folder_.path());
  ForgetPrefsFileSpec();
  FSSpec app;
  PathToSpec(appFolder_.File("Zarin.rsrc"), &app);
  FSpCreateResFile(&app, kAppCreator, FourCC("rsrc"), -1);
  gAppResFile = FSpOpenResFile(&app, fsRdPerm);
  ASSERT_NE(gAppResFile, -1);
  gAppState[0] = 0;
  ResetProgramState();
}

void PrefsTest::ResetProgramState() {
  SetDefaultSettings(&gPrefsSettings);
  ApplyLiveSettings(&gPrefsSettings);
  gClockMode = 1;
  DisposeKept(&gWindowLayout.paneTable);
  gWindowLayout = WindowLayoutState();
  std::memset(gWindowColourBlock, 0, sizeof gWindowColourBlock);
  ReleaseInstrumentPluginBlocks();
  DisposeInstrumentTable();
  MakeTable(2);
  DisposeAssignmentTableBlock(&gInstrumentAssignments);
  DisposeKept(&gPortTable);
  gPortCount = 0;
}

void PrefsTest::FillProgramState() {
  gPrefsSettings = DistinctSettings();
  ApplyLiveSettings(&gPrefsSettings);
  gClockMode = 3;
  for (int16_t k = 1; k <= kLayoutWindowKinds; ++k)
    gWindowLayout.frame[k] = Rect{int16_t(40 + k), int16_t(30 + 2 * k), int16_t(240 + k), int16_t(330 + 2 * k)};
  gWindowLayout.openBits = 0x00A5A5A1;
  for (int32_t i = 0; i < kInstrumentWindowSettingsSize; ++i) gWindowLayout.instrumentSettings[i] = uint8_t(i + 1);
  gWindowLayout.currentView = 0x1234;
  gWindowLayout.windowOrder = 0xCAFEBABE;
  for (size_t i = 0; i < sizeof gWindowLayout.displayBlock; ++i) gWindowLayout.displayBlock[i] = uint8_t(0xA0 + i);
  DisposeKept(&gWindowLayout.paneTable);
  gWindowLayout.paneTable = BlockOf(kPaneTableSize, 0x11);
  for (int32_t i = 0; i < 96; ++i) gWindowColourBlock[i] = uint8_t(255 - i);
  ReleaseInstrumentPluginBlocks();
  DisposeInstrumentTable();
  MakeTable(5);
  FillInstrumentHandles();
  DisposeAssignmentTableBlock(&gInstrumentAssignments);
  FillAssignments();
  DisposeKept(&gPortTable);
  gPortTable = NewHandleClear(2 * kPortEntrySize);
  WriteU16BE(*gPortTable, 0x0101);
  WriteU16BE(*gPortTable + kPortEntrySize, 0x0202);
  gPortCount = 2;
}

void PrefsTest::TearDown() {
  ResetProgramState();
  ReleaseInstrumentPluginBlocks();
  DisposeKept(&gSettingsResource500);
  DisposeKept(&gSettingsResource152);
  DisposeKept(&gJukeboxSetupResource);
  if (gUndoRing) DisposeUndoRing();
  gUndoLevels = kDefaultUndoLevels;
  CloseAllResFiles();
  gPrefsResFile = -1;
  gAppResFile = -1;
  gStreamRefNum = 0;
  RegisterStandardFolder(kPreferencesFolderType, "");
  ForgetPrefsFileSpec();
  InstrumentTableTest::TearDown();
  EXPECT_EQ(CountOpenForks(), 0);
}

std::string PrefsTest::PrefsPath() const {
  FSSpec fileSpec;
  GetPrefsFileSpec(&fileSpec);
  return SpecToPath(&fileSpec);
}

std::string PrefsTest::PrefsSidecarPath() const { return SidecarPathFor(PrefsPath()); }

std::vector<std::string> PrefsTest::FolderNames() const {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder_.path().c_str())) {
    while (struct dirent* e = readdir(dir)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

OSErr PrefsTest::ReadImage(const std::string& bytes, PreferencesData* data) {
  std::string path = scratch_.File("image");
  zarin_test::WriteWholeFile(path, bytes);
  FSSpec fileSpec;
  PathToSpec(path, &fileSpec);
  int16_t refNum = 0;
  OSErr err = OpenDataFork(&fileSpec, fsRdPerm, &refNum);
  if (err != noErr) return err;
  err = BeginDocumentInput(refNum);
  if (err == noErr) err = ReadPreferencesStream(data);
  CloseFork(refNum);
  gStreamRefNum = 0;
  return err;
}

std::string PrefsTest::WriteImage() {
  std::string path = scratch_.File("written");
  zarin_test::WriteWholeFile(path, "");
  FSSpec fileSpec;
  PathToSpec(path, &fileSpec);
  int16_t refNum = 0;
  EXPECT_EQ(OpenDataFork(&fileSpec, fsRdWrPerm, &refNum), noErr);
  BeginStream(refNum);
  EXPECT_EQ(WritePreferencesStream(), noErr);
  CloseFork(refNum);
  gStreamRefNum = 0;
  return zarin_test::ReadWholeFile(path);
}

void PrefsTest::AddUserResource() {
  ASSERT_EQ(UsePrefsResFile(), noErr);
  Handle h = BlockOf(5, 'a');
  static const unsigned char kName[] = "\005Drums";
  AddResource(h, FourCC("DSET"), 128, kName);
  ASSERT_EQ(ResError(), noErr);
  WriteResource(h);
  UpdateResFile(gPrefsResFile);
  ASSERT_EQ(ResError(), noErr);
  UseAppResFile();
}

}  // namespace prefs_test
