#include "sequencer/transport/sequencer_hooks.h"

#include <atomic>

#include "sequencer/clock/clock_timer.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_port_build.h"
#include "sequencer/transport/counter_wind.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_position.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "song/documents/playback_reset.h"
#include "song/instruments/midi_hooks.h"
#include "song/model/songs.h"
#include "song/model/transport_hooks.h"

namespace {

bool ClockPlaysSong(Handle song) { return song && IsClockTaskPlaying() && gTransportClock.playingSong == song; }

uint16_t ClockTempoFactor() { return gTransportClock.tempoScale; }

void SetFrameRate(uint16_t framesPerSecond) {
  TransportClock& c = gTransportClock;
  c.framesPerSecond = framesPerSecond;
  c.subframesPerSecond = uint16_t(framesPerSecond * 80);
  c.subframesPerMinute = uint32_t(c.subframesPerSecond) * 60;
  c.subframesPerHour = uint32_t(c.subframesPerSecond) * 3600;
}

void CacheSongList(Handle slots, Handle firstSong) {
  gTransportClock.songList = slots;
  gTransportClock.firstSong = firstSong;
}

void HoldNoteOutput(bool hold) { HoldClock(hold); }

// A playing pass takes a new song end at once, unless a cycle sets where it stops.
void TakeSongEnd(Handle song, uint32_t endTick) {
  if (!ClockPlaysSong(song) || gCycleMode) return;
  SetPlayEndTick(endTick);
}
void FlushEveryNoteOffOwnerForSong() { FlushEveryNoteOffOwnerLocked(); }

void InstallTransportHooks() {
  SongTransportHooks& hooks = gSongTransportHooks;
  hooks.isClockPlayingSong = ClockPlaysSong;
  hooks.tryLockClock = TryLockClock;
  hooks.unlockClock = UnlockClock;
  hooks.songPositionTick = ReadSongPositionTick;
  hooks.resetAfterEdit = ResetTransportForEdit;
  hooks.tempoFactor = ClockTempoFactor;
  hooks.setFrameRate = SetFrameRate;
  hooks.stopTimerForMode = ShutDownTimerForMode;
  hooks.restartIdleTimer = ReinstallIdleClockIfUsed;
  hooks.trackPlaySettingsChanged = RequestTrackSettingsReload;
  hooks.cacheSongList = CacheSongList;
  hooks.holdNoteOutput = HoldNoteOutput;
  hooks.flushEveryNoteOffOwner = FlushEveryNoteOffOwnerForSong;
  hooks.songEndChanged = TakeSongEnd;
}

constexpr int16_t kChasedSyncSource = 6;

// A section played against sync source 6 with chase on starts again from the new times.
void ResetSectionChaseOnRetime() {
  if (gSectionMode && GetSyncSource() == kChasedSyncSource && gClockChaseFlag) ResetPlaybackState(0);
}

void InstallMidiHooks() {
  InstrumentMidiHooks& hooks = gInstrumentMidiHooks;
  hooks.sendToThruPorts = SendRecordToThruPorts;
  hooks.flushNoteOffs = FlushNoteOffsNow;
  hooks.firstProcessorFlags = FirstRealtimeProcessorFlags;
  hooks.clampProcessorInstruments = ClampRealtimeProcessorInstruments;
  hooks.endpointNameByUniqueId = GetEndpointNameByUniqueID;
  hooks.findDestinationByName = FindDestinationUniqueIDByName;
}

// An opened document's MIDI port set-up: its own table when it has one (its tracks name
// ports by their place in it), else the program's table as it is.
void ApplyDocumentPortSetup(bool defaults) {
  Handle table = defaults ? Handle() : GetDocumentSlot(kPortTableSlot);
  bool taken = table && AdoptPortTable(table, gSongFileHeader[kFileHeaderPortCount]);
  ScanMidiPorts(taken ? 1 : 0);
}

}  // namespace

void InstallSequencerHooks() {
  InstallTransportHooks();
  InstallMidiHooks();
  gDocumentHooks.applyDocumentSyncSettings = ApplyDocumentSyncSettings;
  gDocumentHooks.applyMidiPortSetup = ApplyDocumentPortSetup;
  gConductorRefreshHooks.resetSectionChase = ResetSectionChaseOnRetime;
}
