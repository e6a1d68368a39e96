// Feeds arbitrary bytes to the song document reader as a document file (and, for inputs of
// odd length, as a bundle). A document that opens must close again, and whether it opens or
// is refused, no handle may be left behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "song/documents/document_open.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_database.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

uint32_t gBaseline = 0;

void ResetWorld() {
  CloseSongDocument();
  DisposeInstrumentTable();
  RebuildInstrumentState();
  ResetSongDatabase();
}

bool Setup() {
  ResetWorld();
  gBaseline = CountLiveHandles();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Setup();
  (void)ready;
  FSSpec fileSpec = WriteFuzzFile("document", data, size);
  int forks = CountOpenForks();
  OpenSongFile(&fileSpec, int16_t(size % 2), false);
  ResetWorld();
  if (CountLiveHandles() != gBaseline) std::abort();
  if (CountOpenForks() != forks) std::abort();
  EmptyFuzzFolder();  // the files a bundle unpacked next to the document
  return 0;
}
