// Feeds arbitrary bytes to the preferences data fork reader. Whether the file is taken or
// refused, nothing may be left allocated and no fork left open.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/documents/document_input.h"
#include "song/prefs/preferences_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

uint32_t gBaseline = 0;

bool Setup() {
  gBaseline = CountLiveHandles();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Setup();
  (void)ready;
  FSSpec fileSpec = WriteFuzzFile("preferences", data, size);
  int forks = CountOpenForks();
  int16_t refNum = 0;
  if (OpenDataFork(&fileSpec, fsRdPerm, &refNum) != noErr) std::abort();
  PreferencesData prefs;
  if (BeginDocumentInput(refNum) == noErr) ReadPreferencesStream(&prefs);
  DisposePreferencesData(&prefs);
  CloseFork(refNum);
  if (CountLiveHandles() != gBaseline) std::abort();
  if (CountOpenForks() != forks) std::abort();
  return 0;
}
