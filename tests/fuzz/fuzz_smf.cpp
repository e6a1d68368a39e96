// Feeds arbitrary bytes to the Standard MIDI File import, as a new song and merged into the
// current song. A refused file must leave every handle as it was; an accepted one must give
// tracks whose event lists walk cleanly to their end record in time order.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files/file_locations.h"
#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "song/smf/smf_import.h"
#include "song/smf/smf_import_state.h"

namespace {

std::string FuzzPath() {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/zarin_fuzz_smf_" + std::to_string(getpid()) + ".mid";
}

void CheckTracks() {
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    const uint8_t* track = GetTrackEntryAt(i);
    if (!track) std::abort();
    Handle list(ReadU32BE(track + kTrackEventList));
    if (!list) continue;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(list));
    uint32_t size = uint32_t(GetHandleSize(list));
    uint32_t at = 0;
    uint32_t last = 0;
    while (at + kEndRecordSize <= size && SeqEventTime(p + at) != 0) {
      uint32_t length = SeqEventLengthWithin(p + at, size - at);
      if (length == 0 || SeqEventTime(p + at) < last) std::abort();
      last = SeqEventTime(p + at);
      at += length;
    }
    if (at + kEndRecordSize != size) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FuzzPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  FSSpec fileSpec;
  if (PathToSpec(path, &fileSpec) != noErr) return 0;

  gResolutionBeforeChange = gTicksPerQuarter = 480;
  gConductorState = ConductorState();
  gConductorState.ticksPerBeat = 0;
  gConductorState.tempo = 1200;
  ApplyTimebase();
  ResetSongDatabase();
  for (uint32_t merge : {0u, 961u}) {
    uint32_t handles = CountLiveHandles();
    OSErr err = ImportStandardMidiFile(&fileSpec, merge);
    if (gSmfChunk) std::abort();
    if (err != noErr && CountLiveHandles() != handles) std::abort();
    if (err == noErr) CheckTracks();
  }
  return 0;
}
