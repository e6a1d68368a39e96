// Feeds arbitrary bytes to the overview cache reader as a ".OVV" file, for a mono and a stereo
// track: a refused file leaves no block behind; a taken one gives one block per channel whose
// entries in use lie inside it, and which the drawing and level walks can use; no fork is
// left open.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "media/overview/overview_blocks.h"
#include "media/overview/overview_edits.h"
#include "media/overview/overview_file_format.h"
#include "platform/files/files.h"
#include "platform/files/forks.h"
#include "platform/memory/memory.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FSSpec fileSpec = WriteFuzzFile("cache.OVV", data, size);
  int forks = CountOpenForks();
  uint32_t handles = CountLiveHandles();
  for (int16_t channels : {1, 2}) {
    Handle chain;
    if (ReadOverviewFile(&fileSpec, channels, &chain) != noErr) {
      if (chain || CountLiveHandles() != handles) std::abort();
      continue;
    }
    if (CountOverviewBlocks(chain) != channels) std::abort();
    for (Handle b = chain; b; b = OverviewBlockNext(b)) {
      if (kOverviewHeaderBytes + int64_t(OverviewBlockCount(b)) * 2 > GetHandleSize(b)) std::abort();
      int32_t offset = 0;
      FindOverviewEntry(b, 1000, &offset);
      OverviewBlockLevel(b, 500);
      OverviewBlockLevel(b, 20);
    }
    DisposeOverviewBlocks(chain);
    if (CountLiveHandles() != handles) std::abort();
  }
  if (CountOpenForks() != forks) std::abort();
  return 0;
}
