// The preferences file as a whole: written and read back, a failed write that leaves the old
// file as it was, damaged files refused without losing anything, and the take-over of the
// older file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/dialogs/param_text.h"
#include "platform/files/file_faults.h"
#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "platform/system/gestalt.h"
#include "sequencer/clock/clock_timer.h"
#include "shell/base/file_access.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/dialog_alerts.h"
#include "song/instruments/instrument_assignments.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/midi_port_table.h"
#include "song/prefs/outputs_file.h"
#include "song/prefs/preferences_assignments.h"
#include "song/prefs/preferences_reader.h"
#include "song/prefs/preferences_writer.h"
#include "song/prefs/window_layout.h"
#include "song/undo/undo_ring.h"
#include "tests/song/prefs/prefs_fixture.h"

namespace prefs_test {
namespace {

using zarin_test::ReadWholeFile;
using zarin_test::WriteWholeFile;

std::string HandleBytes(Handle h) {
  if (!h || !IsValidHandle(h)) return "<none>";
  return std::string(*h, size_t(GetHandleSize(h)));
}

Handle WordHandle(const uint8_t* p, int32_t offset) { return Handle(ReadU32BE(p + offset)); }

// The instrument records with their handle words blanked and the blocks they name.
struct TableImage {
  std::string records;
  std::vector<std::string> blocks;
};

TableImage CaptureTable() {
  TableImage image;
  for (int32_t i = 0; i <= GetMasterIndex(); ++i) {
    std::string r(reinterpret_cast<const char*>(GetInstrumentRecord(i)), kInstrumentSize);
    for (int32_t field : {kInstPanAssignment, kInstVolumeAssignment, kInstInsertRack}) {
      Handle h = WordHandle(GetInstrumentRecord(i), field);
      // A plug-in record's own fields are the plug-in host's; its size and blocks are ours.
      bool plugin = field == kInstInsertRack && h;
      image.blocks.push_back(plugin ? std::to_string(GetHandleSize(h)) : HandleBytes(h));
      if (plugin) {
        image.blocks.push_back(HandleBytes(WordHandle(reinterpret_cast<const uint8_t*>(*h), 110)));
      }
      std::memset(r.data() + field, 0, 4);
    }
    image.records += r;
  }
  return image;
}

std::string CaptureAssignments() {
  std::string out;
  Handle t = gInstrumentAssignments;
  for (int32_t i = 0; i < GetHandleSize(t) / kAssignmentSize; ++i) {
    std::string r(*t + i * kAssignmentSize, kAssignmentSize);
    for (int32_t field : {kAssignmentPatchNames, kAssignmentBankMessages, kAssignmentControllerNames}) {
      out += HandleBytes(WordHandle(reinterpret_cast<const uint8_t*>(r.data()), field)) + "|";
      std::memset(r.data() + field, 0, 4);
    }
    out += r;
  }
  return out;
}

struct ProgramImage {
  PrefsSettings settings;
  WindowLayoutState layout;
  std::string panes;
  std::string colours;
  TableImage table;
  std::string assignments;
};

ProgramImage CaptureProgram() {
  ProgramImage image;
  image.settings = gPrefsSettings;
  image.layout = gWindowLayout;
  image.panes = HandleBytes(gWindowLayout.paneTable);
  image.colours.assign(reinterpret_cast<const char*>(gWindowColourBlock), sizeof gWindowColourBlock);
  image.table = CaptureTable();
  image.assignments = CaptureAssignments();
  return image;
}

// The program's state after reading; the windows are compared where the file's layout
// block was not applied to them.
void ExpectSameProgram(const ProgramImage& a, const ProgramImage& b, bool windows = true) {
  EXPECT_EQ(a.settings.mode, b.settings.mode);
  EXPECT_EQ(a.settings.second, b.settings.second);
  for (int32_t i = 0; i < kSettingsFieldCount; ++i) {
    const SettingsField& f = GetSettingsField(i);
    EXPECT_EQ(std::memcmp(a.settings.record + f.offset, b.settings.record + f.offset, f.width), 0)
        << "settings field " << i;
  }
  for (int16_t k = 1; k <= kLayoutWindowKinds && windows; ++k)
    EXPECT_EQ(a.layout.frame[k], b.layout.frame[k]) << "kind " << k;
  EXPECT_EQ(a.layout.openBits, b.layout.openBits);
  EXPECT_EQ(std::memcmp(a.layout.instrumentSettings, b.layout.instrumentSettings, kInstrumentWindowSavedSize), 0);
  EXPECT_EQ(a.layout.currentView, b.layout.currentView);
  EXPECT_EQ(a.layout.windowOrder, b.layout.windowOrder);
  EXPECT_EQ(std::memcmp(a.layout.displayBlock, b.layout.displayBlock, sizeof a.layout.displayBlock), 0);
  EXPECT_EQ(a.panes, b.panes);
  EXPECT_EQ(a.colours, b.colours);
  EXPECT_EQ(a.table.records, b.table.records);
  EXPECT_EQ(a.table.blocks, b.table.blocks);
  EXPECT_EQ(a.assignments, b.assignments);
}

using PreferencesFileTest = PrefsTest;

TEST_F(PreferencesFileTest, WrittenAndReadBackFieldByField) {
  FillProgramState();
  SetSetting(&gPrefsSettings, kSetAlwaysZero, 0);
  ProgramImage before = CaptureProgram();
  Handle block = BuildLayoutBlock();
  std::string layoutBefore(*block, kLayoutBlockSize);
  DisposeHandle(block);
  ASSERT_EQ(WritePreferencesFile(3), noErr);
  FSSpec outputs;
  ASSERT_GT(GetOutputsFileSpec(&outputs), 0);
  EXPECT_TRUE(SpecExists(&outputs));
  ASSERT_EQ(UsePrefsResFile(), noErr);
  EXPECT_TRUE(Get1Resource(FourCC("BMID"), kPortTableResId)) << "the port table is saved";
  UseAppResFile();

  ResetProgramState();
  Handle layout;
  OSErr status = -1;
  EXPECT_EQ(ReadPreferencesData(&layout, &status), 1);
  EXPECT_EQ(status, noErr);
  ASSERT_TRUE(layout);
  EXPECT_EQ(std::string(*layout, size_t(GetHandleSize(layout))), layoutBefore);
  ApplyLayoutBlock(layout);
  DisposeHandle(layout);
  ExpectSameProgram(before, CaptureProgram(), false);
  for (int16_t k = 1; k <= kLayoutWindowKinds; ++k) {
    if (!IsWindowKindOpen(k) || k == kMainWindowKind || k == kTransportWindowKind) continue;
    EXPECT_EQ(gWindowLayout.frame[k], before.layout.frame[k]) << "kind " << k;
  }
  EXPECT_EQ(gClockMode, 3);
  EXPECT_EQ(gUndoLevels, 777);
}

TEST_F(PreferencesFileTest, DiskFullStreamReportsItOnce) {
  FSSpec full;
  int16_t refNum = 0;
  if (PathToSpec("/dev/full", &full) != noErr || OpenDataFork(&full, fsWrPerm, &refNum) != noErr)
    GTEST_SKIP() << "no /dev/full here";
  FillProgramState();
  BeginStream(refNum);
  EXPECT_EQ(WritePreferencesStream(), dskFulErr);
  EXPECT_EQ(gStreamDiskFullError, dskFulErr);
  CloseFork(refNum);
  gStreamRefNum = 0;
}

// A write that fails part-way (the file size limit stops the temporary file) leaves the old
// preferences file byte for byte, in both forks, and no temporary file behind.
TEST_F(PreferencesFileTest, FailedWriteLeavesTheOldFileByteIdentical) {
  FillProgramState();
  ASSERT_EQ(WritePreferencesFile(1), noErr);
  AddUserResource();
  std::string data = ReadWholeFile(PrefsPath());
  std::string sidecar = ReadWholeFile(PrefsSidecarPath());
  ASSERT_GT(data.size(), 2000u);
  ASSERT_NE(sidecar.find("Drums"), std::string::npos);
  size_t names = FolderNames().size();
  gPrefsSettings.mode = 0;  // the new contents differ from the old
  for (rlim_t limit : {rlim_t(0), rlim_t(1), rlim_t(300), rlim_t(1500), rlim_t(data.size() - 1)}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit rl = {limit, limit};
      setrlimit(RLIMIT_FSIZE, &rl);
      _exit(WritePreferencesFile(1) == noErr ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3) << "limit " << limit;
    EXPECT_EQ(ReadWholeFile(PrefsPath()), data) << "limit " << limit;
    EXPECT_EQ(ReadWholeFile(PrefsSidecarPath()), sidecar) << "limit " << limit;
    EXPECT_EQ(FolderNames().size(), names) << "a temporary file was left behind";
  }
  ASSERT_EQ(WritePreferencesFile(1), noErr);  // a write that works replaces the data
  EXPECT_NE(ReadWholeFile(PrefsPath()), data);
  ASSERT_EQ(UsePrefsResFile(), noErr);
  Handle drums = Get1Resource(FourCC("DSET"), 128);
  ASSERT_TRUE(drums) << "the user's resources stay";
  EXPECT_EQ(std::string(*drums, size_t(GetHandleSize(drums))), "abcde");
  UseAppResFile();
}

// The preferences and the outputs file, failing at each step of their replacement: both stay
// byte for byte, the failure is reported naming the file, and no temporary file is left.
TEST_F(PreferencesFileTest, SaveFailingAtAnyStepKeepsBothFilesAndNamesThem) {
  FillProgramState();
  ASSERT_EQ(WritePreferencesFile(1), noErr);
  FSSpec outputs;
  ASSERT_GT(GetOutputsFileSpec(&outputs), 0);
  std::string outputsPath = SpecToPath(&outputs);
  std::string prefsName = "\"" + PrefsPath().substr(PrefsPath().rfind('/') + 1) + "\" could not be saved.";
  std::string outputsName = "\"" + outputsPath.substr(outputsPath.rfind('/') + 1) + "\" could not be saved.";
  std::string data = ReadWholeFile(PrefsPath());
  std::string table = ReadWholeFile(outputsPath);
  ASSERT_FALSE(table.empty());
  std::vector<std::string> names = FolderNames();
  gPrefsSettings.mode = 0;  // the new contents differ from the old
  struct Step {
    int16_t step;
    int32_t nth;
    OSErr err;
  } steps[] = {{kFileFaultCreate, 1, dskFulErr}, {kFileFaultWrite, 1, dskFulErr}, {kFileFaultWrite, 3, ioErr},
               {kFileFaultSync, 1, ioErr},       {kFileFaultClose, 1, dskFulErr}, {kFileFaultRename, 1, permErr}};
  const unsigned char kNoText[] = "";
  for (const Step& c : steps) {
    SCOPED_TRACE(testing::Message() << "step " << c.step << " call " << c.nth);
    ParamText(kNoText, kNoText, kNoText, kNoText);
    InjectFileFault(c.step, c.nth, c.err);
    EXPECT_EQ(c.err, WritePreferencesFile(1));
    std::string said(reinterpret_cast<const char*>(GetParamText(0) + 1), GetParamText(0)[0]);
    EXPECT_EQ(0u, said.find(prefsName)) << said;
    ParamText(kNoText, kNoText, kNoText, kNoText);
    InjectFileFault(c.step, c.nth, c.err);
    EXPECT_EQ(c.err, SaveOutputsFile());
    said.assign(reinterpret_cast<const char*>(GetParamText(0) + 1), GetParamText(0)[0]);
    EXPECT_EQ(0u, said.find(outputsName)) << said;
    EXPECT_EQ(data, ReadWholeFile(PrefsPath()));
    EXPECT_EQ(table, ReadWholeFile(outputsPath));
    EXPECT_EQ(names, FolderNames());
  }
  ClearFileFault();
  ASSERT_EQ(WritePreferencesFile(1), noErr);
  EXPECT_NE(data, ReadWholeFile(PrefsPath()));
  EXPECT_EQ(names, FolderNames());
}

// Every cut of a good file, and every damaged length, is refused by the reader with nothing
// left allocated.
TEST_F(PreferencesFileTest, TruncatedFilesAreRefusedAtEveryLength) {
  FillProgramState();
  std::string good = WriteImage();
  ResetProgramState();
  for (size_t n = 1; n < good.size(); ++n) {
    PreferencesData data;
    uint32_t handles = CountLiveHandles();
    OSErr err = ReadImage(good.substr(0, n), &data);
    ASSERT_NE(err, noErr) << "cut at " << n;
    DisposePreferencesData(&data);
    ASSERT_EQ(CountLiveHandles(), handles) << "cut at " << n;
  }
  PreferencesData whole;
  EXPECT_EQ(ReadImage(good, &whole), noErr);
  DisposePreferencesData(&whole);
}

struct Damage {
  const char* what;
  int32_t offset;  // from the start of the layout section; -1: from the end of the file
  uint32_t value;
};

TEST_F(PreferencesFileTest, DamagedFilesAreRefusedAndDefaultsKept) {
  FillProgramState();
  std::string good = WriteImage();
  ASSERT_EQ(UsePrefsResFile(), noErr);
  UseAppResFile();
  AddUserResource();
  std::string sidecar = ReadWholeFile(PrefsSidecarPath());
  constexpr int32_t kLayout = 4 + kSettingsRecordSize;
  constexpr int32_t kPanes = kLayout + 4 + kLayoutBlockSize;
  constexpr int32_t kTable = kPanes + 4 + kPaneTableSize + 96;
  const Damage kCases[] = {
      {"newer version", -2, 933},
      {"layout of 601 bytes", kLayout, 601},
      {"layout of 584 bytes", kLayout, 584},
      {"layout larger than the file", kLayout, 0xFFFFFFF0},
      {"pane table of 100 bytes", kPanes, 100},
      {"pane table too large", kPanes, 0x7FFFFFFF},
      {"instrument table of 300 bytes", kTable, 300},
      {"instrument table too large", kTable, 0x40000000},
  };
  ResetProgramState();
  ProgramImage defaults = CaptureProgram();
  Handle table = gInstrumentTable;
  for (const Damage& d : kCases) {
    std::string bad = good;
    if (d.offset == -2) {
      bad[0] = char(d.value >> 8);
      bad[1] = char(d.value);
    } else {
      WriteU32BE(bad.data() + d.offset, d.value);
    }
    WriteWholeFile(PrefsPath(), bad);
    int32_t alerts = CountAlertsShown();
    OSErr status = noErr;
    EXPECT_EQ(ReadPreferencesData(nullptr, &status), 0) << d.what;
    EXPECT_NE(status, noErr) << d.what;
    EXPECT_EQ(CountAlertsShown(), alerts + 1) << d.what << ": the user is told";
    ExpectSameProgram(defaults, CaptureProgram());
    EXPECT_EQ(gInstrumentTable, table) << d.what;
    EXPECT_EQ(ReadWholeFile(PrefsSidecarPath()), sidecar) << d.what;
  }
  std::string extra = good + "!";  // a byte more than was written
  WriteWholeFile(PrefsPath(), extra);
  EXPECT_EQ(ReadPreferencesData(nullptr, nullptr), 0);
  ExpectSameProgram(defaults, CaptureProgram());
}

TEST_F(PreferencesFileTest, FileWithOnlyResourcesIsNoError) {
  AddUserResource();  // makes the file with an empty data fork
  int32_t alerts = CountAlertsShown();
  OSErr status = noErr;
  EXPECT_EQ(ReadPreferencesData(nullptr, &status), 0);
  EXPECT_EQ(status, kPrefsUnusedErr);
  EXPECT_EQ(CountAlertsShown(), alerts);
}

TEST_F(PreferencesFileTest, ClockModeAfterWriting) {
  struct Case {
    int32_t flag;
    SInt32 hardware, timeManager;
    uint8_t mode, installed, marked;
  };
  const Case kCases[] = {
      {2, 1, 3, 1, 0, 0},  // 2 counts as 1: the current mode, nothing happens
      {0, 0, 3, 1, 0, 0},  // 0 without the hardware counts as 1
      {0, 1, 3, 0, 1, 1},  // 0 with it: shut down and marked, idle timer again
      {0, 1, 2, 0, 1, 0},  // an old Time Manager: not shut down
      {3, 1, 3, 3, 1, 0},
      {9, 1, 3, 1, 1, 1},  // not a mode: 1
  };
  for (const Case& c : kCases) {
    gClockMode = 1;
    gClockTimerInstalled = 0;
    gClockTimerMarked = 0;
    SetGestaltValueForTesting(gestaltHardwareAttr, c.hardware);
    SetGestaltValueForTesting(gestaltTimeMgrVersion, c.timeManager);
    if (c.flag == 9) gClockMode = 3;
    ApplyClockMode(c.flag);
    EXPECT_EQ(gClockMode, c.mode) << c.flag;
    EXPECT_EQ(gClockTimerInstalled, c.installed) << c.flag;
    EXPECT_EQ(gClockTimerMarked, c.marked) << c.flag;
  }
  ResetGestaltValuesForTesting();
}

TEST_F(PreferencesFileTest, OlderFileIsTakenOverWithBothForks) {
  FSSpec old;
  ASSERT_EQ(GetOldPrefsFileSpec(&old), noErr);
  FSpCreateResFile(&old, kAppCreator, kPrefsFileType, -1);
  int16_t ref = FSpOpenResFile(&old, fsRdWrPerm);
  ASSERT_NE(ref, -1);
  Handle h = NewHandle(3);
  std::memcpy(*h, "CHD", 3);
  static const unsigned char kName[] = "\006Chords";
  AddResource(h, FourCC("CHRD"), 128, kName);
  CloseResFile(ref);
  UseResFile(gAppResFile);
  std::string oldPath = SpecToPath(&old);
  WriteWholeFile(oldPath, "old settings");
  std::string oldData = ReadWholeFile(oldPath);
  std::string oldFork;
  ASSERT_EQ(ReadResourceForkBytes(&old, &oldFork), noErr);
  ASSERT_FALSE(oldFork.empty());

  ASSERT_EQ(MigratePreferencesFile(), noErr);
  FSSpec fileSpec;
  GetPrefsFileSpec(&fileSpec);
  EXPECT_EQ(ReadWholeFile(PrefsPath()), oldData);
  std::string newFork;
  ASSERT_EQ(ReadResourceForkBytes(&fileSpec, &newFork), noErr);
  EXPECT_EQ(newFork, oldFork);
  FInfo info;
  ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr);
  EXPECT_EQ(info.fdType, kPrefsFileType);
  EXPECT_EQ(info.fdCreator, kAppCreator);
  EXPECT_EQ(ReadWholeFile(oldPath), oldData);
  std::string oldForkAfter;
  ReadResourceForkBytes(&old, &oldForkAfter);
  EXPECT_EQ(oldForkAfter, oldFork);

  WriteWholeFile(PrefsPath(), "new");  // an existing file is never replaced
  ASSERT_EQ(MigratePreferencesFile(), noErr);
  EXPECT_EQ(ReadWholeFile(PrefsPath()), "new");
}

}  // namespace
}  // namespace prefs_test
