// Feeds arbitrary bytes to the song document reader as a document file (and, for inputs of
// odd length, as a bundle). A document that opens must close again, and whether it opens or
// is refused, no handle may be left behind.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>

#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "song/documents/document_open.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_database.h"

namespace {

std::string gFolder;
uint32_t gBaseline = 0;

void ResetWorld() {
  CloseSongDocument();
  DisposeInstrumentTable();
  RebuildInstrumentState();
  ResetSongDatabase();
}

// Files a bundle unpacked next to the document.
void EmptyFolder() {
  DIR* d = opendir(gFolder.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") unlink((gFolder + "/" + name).c_str());
  }
  closedir(d);
}

void RemoveFolder() {
  EmptyFolder();
  rmdir(gFolder.c_str());
}

bool Setup() {
  char pattern[] = "/tmp/fuzz_song_document.XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  gFolder = pattern;
  std::atexit(RemoveFolder);
  ResetWorld();
  gBaseline = CountLiveHandles();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Setup();
  (void)ready;
  std::string path = gFolder + "/document";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);
  FSSpec fileSpec;
  PathToSpec(path, &fileSpec);
  int forks = CountOpenForks();
  OpenSongFile(&fileSpec, int16_t(size % 2), false);
  ResetWorld();
  if (CountLiveHandles() != gBaseline) std::abort();
  if (CountOpenForks() != forks) std::abort();
  EmptyFolder();
  return 0;
}
