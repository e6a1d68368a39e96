// Feeds arbitrary bytes to the preferences data fork reader. Whether the file is taken or
// refused, nothing may be left allocated and no fork left open.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/documents/document_input.h"
#include "song/prefs/preferences_reader.h"

namespace {

std::string gPath;
uint32_t gBaseline = 0;

bool Setup() {
  char pattern[] = "/tmp/fuzz_preferences.XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  gPath = std::string(pattern) + "/preferences";
  gBaseline = CountLiveHandles();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Setup();
  (void)ready;
  FILE* f = std::fopen(gPath.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);
  FSSpec fileSpec;
  PathToSpec(gPath, &fileSpec);
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
