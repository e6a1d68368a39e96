// The preferences file's resource fork, read as start-up reads it: the general settings, the
// window layout, the settings resources and the tempo tables. Whatever the fork holds,
// nothing of it is lost (it holds the user's drum sets and chord types): reading leaves it
// byte for byte as it was, or, when it is damaged, the file is set aside whole as
// "<name>.damaged" and a new one is made. Only a file without a fork is given an empty map.
// The fork is closed and no handle is left behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/files/files.h"
#include "platform/files/forks.h"
#include "platform/files/sidecars.h"
#include "platform/memory/memory.h"
#include "platform/files/file_locations.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/file_access.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "song/conductor/tempo_tables.h"
#include "song/model/song_database.h"
#include "song/prefs/general_settings.h"
#include "song/prefs/startup_settings.h"
#include "song/prefs/window_layout.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

FSSpec gPrefsFile;
uint32_t gBaseline = 0;

// A damaged file was set aside: its copy must hold the input's bytes. The copy goes, so that
// the next input finds the usual folder.
bool WasSetAsideWhole(const std::string& fork) {
  Str255 name;
  PLstrcpy(name, gPrefsFile.name);
  const unsigned char kSuffix[] = "\010.damaged";
  if (name[0] > 31 - kSuffix[0]) name[0] = uint8_t(31 - kSuffix[0]);
  AppendPString(name, kSuffix);
  FSSpec aside;
  if (FSMakeFSSpec(gPrefsFile.vRefNum, gPrefsFile.parID, name, &aside) != noErr) return false;
  std::string kept;
  bool whole = ReadResourceForkBytes(&aside, &kept) == noErr && kept == fork;
  FSpDelete(&aside);
  return whole;
}

bool SetUp() {
  setenv("XDG_CONFIG_HOME", FuzzFolder().c_str(), 1);
  ForgetPrefsFileSpec();
  if (GetPrefsFileSpec(&gPrefsFile) != noErr) std::abort();
  int16_t refNum = 0;
  if (OpenPrefsDataFork(&refNum) != noErr) std::abort();
  CloseFork(refNum);
  ResetSongDatabase();
  gBaseline = CountLiveHandles();
  return true;
}

void ReadPrefsResources() {
  GeneralSettings general;
  bool found = false;
  ReadGeneralSettings(&general, &found);
  if (UsePrefsResFile() != noErr || gPrefsResFile == -1) return;
  for (int16_t id : {200, 500, 152, 160})
    if (Handle h = GetDetachedBMIDResource(id)) DisposeHandle(h);
  RestoreWindowLayout(0, 0);
  static uint32_t table[kTempoTableEntries];
  LoadTempoTableResource(kTempoPeriodResType, GetTempoPeriodResourceId(), table);
  LoadTempoTableResource(kTempoIncrementResType, GetTempoIncrementResourceId(), table);
  CloseResFile(gPrefsResFile);
  gPrefsResFile = -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = SetUp();
  (void)ready;
  std::string fork(reinterpret_cast<const char*>(data), size);
  if (WriteResourceForkBytes(&gPrefsFile, fork) != noErr) std::abort();
  int forks = CountOpenForks();
  ReadPrefsResources();
  UseAppResFile();
  std::string after;
  if (ReadResourceForkBytes(&gPrefsFile, &after) != noErr) std::abort();
  if (!fork.empty() && after != fork && !WasSetAsideWhole(fork)) std::abort();
  if (CountOpenForks() != forks || CountLiveHandles() != gBaseline) std::abort();
  return 0;
}
