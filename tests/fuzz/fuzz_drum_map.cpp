// Drum-map file reader: a block is taken whole or the file is refused with an error and no
// handle, and the file is closed either way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/files/forks.h"
#include "platform/memory/memory.h"
#include "song/prefs/drum_map_files.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FSSpec fileSpec = WriteFuzzFile("kit.mdrm", data, size);
  uint32_t handles = CountLiveHandles();
  int forks = CountOpenForks();
  Str63 name;
  OSErr err = noErr;
  Handle map = ImportDrumMapFile(&fileSpec, name, &err);
  if (CountOpenForks() != forks) std::abort();
  if (!map) {
    if (err == noErr || CountLiveHandles() != handles) std::abort();
    return 0;
  }
  // The block is the file less its size word.
  if (err != noErr || size < 4 || size_t(GetHandleSize(map)) + 4 > size) std::abort();
  DisposeHandle(map);
  return 0;
}
