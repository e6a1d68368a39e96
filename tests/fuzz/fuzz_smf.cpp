// Feeds arbitrary bytes to the Standard MIDI File import, as a new song and merged into the
// current song. A refused file must leave every handle as it was; an accepted one must give
// tracks whose event lists walk cleanly to their end record in time order.
//
// The timebase and its tempo tables are built once for the process; an input only changes
// them through the conductor state, which is put back before the next one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

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
#include "tests/fuzz/fuzz_event_lists.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

ConductorState gStartState;

bool SetUp() {
  gResolutionBeforeChange = gTicksPerQuarter = 480;
  gConductorState = ConductorState();
  gConductorState.ticksPerBeat = 0;
  gConductorState.tempo = 1200;
  ApplyTimebase();
  gStartState = gConductorState;
  return true;
}

// Puts back what an import may change of the times; the tables are built again only when
// the resolution they were built for moved.
void ResetTimes() {
  gConductorState = gStartState;
  if (gTicksPerQuarter == 480 && gResolutionBeforeChange == 480 && gTempoTableResolution == 480) return;
  gResolutionBeforeChange = gTicksPerQuarter = 480;
  gConductorState.ticksPerBeat = 0;
  ApplyTimebase();
  gStartState = gConductorState;
}

void CheckTracks() {
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    const uint8_t* track = GetTrackEntryAt(i);
    if (!track) std::abort();
    Handle list(ReadU32BE(track + kTrackEventList));
    if (list) CheckEventListWalks(list, true);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = SetUp();
  (void)ready;
  FSSpec fileSpec = WriteFuzzFile("input.mid", data, size);
  ResetTimes();
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
