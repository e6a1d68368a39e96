// The outputs file reader: a file that is refused leaves the instrument table byte for byte
// as it was; one that is taken gives a table that is disposed of again without leaving a
// handle behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/files/file_locations.h"
#include "platform/files/files.h"
#include "platform/files/forks.h"
#include "platform/memory/memory.h"
#include "shell/base/preferences_file.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_database.h"
#include "song/prefs/outputs_file.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

uint32_t gBaseline = 0;

void ResetTable() {
  DisposeInstrumentTable();
  RebuildInstrumentState();
}

bool SetUp() {
  setenv("XDG_CONFIG_HOME", FuzzFolder().c_str(), 1);
  ForgetPrefsFileSpec();
  ResetSongDatabase();
  ResetTable();
  gBaseline = CountLiveHandles();
  return true;
}

std::string TableBytes() {
  if (!gInstrumentTable) return std::string();
  return std::string(HandleData(gInstrumentTable), size_t(GetHandleSize(gInstrumentTable)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = SetUp();
  (void)ready;
  static FSSpec fileSpec = [] {
    FSSpec location;
    if (GetOutputsFileSpec(&location) == 0) std::abort();
    return location;
  }();
  static const std::string path = SpecToPath(&fileSpec);
  WriteFuzzFileAt(path, data, size);
  std::string before = TableBytes();
  int forks = CountOpenForks();
  OSErr err = ReadOutputsFile(false);
  if (CountOpenForks() != forks) std::abort();
  if (err != noErr && TableBytes() != before) std::abort();
  ResetTable();
  if (CountLiveHandles() != gBaseline) std::abort();
  return 0;
}
