// The Stop command: the clock, the recorder on the sync outputs, the audio engine, the movie,
// the record pass and the pass's idle tasks end in one order, and what the pass recorded is
// merged into the tracks before the running byte is cleared.
#include <atomic>

#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/output_activity.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/arp_engine.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/mmc_sender.h"
#include "sequencer/transport/movie_sync_hooks.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_plugin_hooks.h"
#include "song/model/audio_engine_hooks.h"
#include "song/model/window_redraw.h"

namespace {

TransportClock& C() { return gTransportClock; }

constexpr uint32_t kSyncFollowing = 0x100;
constexpr uint32_t kSyncRunningBit = 0x01;
constexpr int32_t kDeviceTransportStop = 2;

// Steps 1 to 3: machine control, the clock, the engine, the plug-in devices and the movie.
void StopClockAndEngine() {
  if (IsMachineControlOn()) MmcStop();
  gSyncFlags &= ~(kSyncFollowing | kSyncRunningBit);
  StopPlayback();
  StopAudioEngineChannels(0);
  PassDeviceTransportMessage(kDeviceTransportStop);
  if (SongMovieAttached()) SetMovieRate(0);
}

// Steps 4 and 5: the record buffers' pass ends, the idle tasks of the pass run out, and the
// clock's play and sync bytes are cleared.
void EndPassState() {
  EndRecordPass();
  ClearTransportFlagBits(kTransportEndOfSong);
  gTransportRunning = 0;  // the pass's own tasks see the end and leave the stack
  DrainIdleTasks();
  C().playBits = uint8_t(C().playBits & ~0x10);
  C().runBits = uint8_t(C().runBits & ~0x01);
  C().syncRunning = 0;
  C().syncStarted = 0;
  std::atomic_ref<uint32_t>(gRandomVelocityUsed).fetch_and(0x7FFFFFFFu);
}

}  // namespace

void StopTransport(bool relocate) {
  if (!gTransportRunning && !IsClockTaskPlaying() && !IsRecordPassRunning()) {
    InvalidateInfoPanel();  // already stopped: only the state is shown again
    return;
  }
  StopClockAndEngine();
  EndPassState();
  // Step 6: what was recorded goes into the armed tracks (a take in cycle recording).
  MergePassIntoTracks();
  // Step 7: the arpeggiator lets its chord go; no note is left lighting the output meters.
  if (IsArpeggiatorServiceActive()) ArpStopAll();
  ClearOutputActivity();
  if (relocate) {
    uint32_t position = IsMidiSyncMode() ? SongPositionToTick() : C().songTick.load() + 1;
    SetLocatePoint(position);
    ShowLocateInClock(gLocatePoint.tick);
  }
  DiscardPlaybackSnapshot();
  InvalidateInfoPanel();
}
