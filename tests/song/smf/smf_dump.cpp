// smf_dump FILE [TICKS_PER_QUARTER]: imports a Standard MIDI File as a new song and prints
// the song's canonical text (smf_canonical.h). Exit 0, or 2 with "error N" when the import
// failed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files/file_locations.h"
#include "song/smf/smf_import.h"
#include "tests/song/smf/smf_canonical.h"
#include "tests/song/smf/smf_test_setup.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: smf_dump FILE [TICKS_PER_QUARTER]\n");
    return 64;
  }
  int32_t tpq = argc > 2 ? std::atoi(argv[2]) : 480;
  SetUpSmfImportState(tpq > 0 ? tpq : 480);
  FSSpec fileSpec;
  OSErr err = PathToSpec(argv[1], &fileSpec);
  if (err == noErr) err = ImportStandardMidiFile(&fileSpec, 0);
  if (err != noErr) {
    std::printf("error %d\n", err);
    return 2;
  }
  std::fputs(DumpSongCanonical().c_str(), stdout);
  return 0;
}
