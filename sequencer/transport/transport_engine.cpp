#include "sequencer/transport/transport_engine.h"

#include <algorithm>
#include <atomic>

#include "platform/memory/byte_order.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/time_code_format.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/arp_engine.h"
#include "sequencer/midi/midi_chase.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/mmc_sender.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/midi/record_buffers.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/time_code_follow.h"
#include "sequencer/transport/transport_audio_hooks.h"
#include "sequencer/transport/transport_position.h"
#include "sequencer/transport/transport_tempo.h"
#include "sequencer/transport/sync_source.h"
#include "shell/base/error_report.h"
#include "song/conductor/conductor_time.h"
#include "song/model/audio_engine_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

LocatePoint gLocatePoint, gCycleStartPoint, gCycleStopPoint;
Handle gTransportSong;
uint8_t gCountInBars = 0, gRecordCountInBars = 0;
uint32_t gEndOfSongDeadline = 0, gPrerollTicks = kDefaultPrerollTicks;
uint8_t gTransportRunning = 0;
int16_t gIdleTaskError = 0;

Handle TransportSong() { return gTransportSong ? gTransportSong : gCurrentSongHandle; }

namespace {

TransportClock& C() { return gTransportClock; }

IdleTaskProc gIdleTasks[kIdleTaskSlots] = {};
int32_t gIdleTop = 0;  // slots in use
IdleTaskProc gRunningIdleTask = nullptr;
uint32_t gLastSyncedSongPosition = 0;

// Two extra minutes of deadline while cycling or stopping at a point.
constexpr uint32_t kCycleDeadlineTicks = 7200;

bool IsIdleTaskQueued(IdleTaskProc proc) {
  for (int32_t i = 0; i < gIdleTop; ++i)
    if (gIdleTasks[i] == proc) return true;
  return false;
}

// Prepares the audio engine where playback starts (the locate point when the user plays). A
// failure is reported here and halts the ticks: the clock does not start.
OSErr PrepareAudioAtLocate(uint32_t tick) {
  OSErr err = PrepareAudioForPlay(tick == 0 ? 1 : tick);
  if (err != noErr) {
    ReportError(err);
    HaltSequencerTicks();
  }
  return err;
}

}  // namespace

void SetTransportFlagBits(uint32_t bits) {
  std::atomic_ref<uint32_t>(gTransportFlagWord).fetch_or(bits);
}

void ClearTransportFlagBits(uint32_t bits) {
  std::atomic_ref<uint32_t>(gTransportFlagWord).fetch_and(~bits);
}

void Play(uint32_t tick) {
  if (C().flags.load() & kClockFlagHalted) return;
  if (tick == 0) tick = 1;
  gTransportRunning = 1;
  gLastSyncedSongPosition = SongPositionToTick();
  if (gAudioClockMode) {
    LocateForSync(-1);
    if (gClockSecondSyncByte) return;
    StartTransport(tick, false);
    gEndOfSongDeadline = TickCount() + gPrerollTicks;
    if (C().flags.load() & (kClockFlagStopAtCycle | kClockFlagStartBlocked))
      gEndOfSongDeadline += kCycleDeadlineTicks;
    // The recorder is wound to the start and plays; its time code then starts the clock.
    if (IsMachineControlOn()) MmcLocateAndPlay(gLocatePoint.tick);
  } else {
    gEndOfSongDeadline = 0;
    if (PrepareSongForPlay(tick) != noErr) {
      gTransportRunning = 0;
      return;
    }
    StartTransport(tick, true);
    if (gSyncFlags & 0x200) SendMidiStartOrContinue();
  }
  if (!IsIdleTaskQueued(EndOfSongTask)) PushIdleTask(EndOfSongTask);
}

OSErr StartTransport(uint32_t tick, bool fromUser) {
  if (tick == 0) tick = 1;
  SavePlaybackSnapshot(TransportSong(), tick - 1);
  // The user's Play asks whether an audio output runs; a start from the sync source whether
  // cycle or recording is armed.
  bool test = false;
  if (fromUser) {
    if (OSErr err = PrepareAudioAtLocate(tick)) return err;
    test = IsAnyOutputActive();
  } else {
    test = IsCycleOrRecordArmed();
  }
  // The audio sample clock drives the song only while an audio output runs.
  if (test && gClockSyncSource == 0) gClockSyncSource = 6;
  else if (!test && gClockSyncSource == 6) gClockSyncSource = 0;
  return StartPlayback(tick - 1, test, fromUser);
}

OSErr PrepareSongForPlay(uint32_t tick) {
  Handle song = TransportSong();
  if (!song || !*song) return paramErr;
  if (tick == 0) tick = 1;
  uint32_t position = tick - 1;
  OSErr err = PreparePlayback(song, position);
  if (err != noErr) return err;
  // The outputs get the programs, controllers and bends in force at the start before the
  // clock runs.
  ChaseSong(song, position);
  SendSetupData(0);
  if (!(gAudioClockMode && !(C().playBits & 0x80))) {
    int32_t perSixteenth = TicksPerSixteenth();
    SetMidiClockPhase(int32_t(position % uint32_t(perSixteenth)),
                      int32_t(position / uint32_t(perSixteenth)));
  }
  if (gCycleMode && gCycleStopPoint.tick > tick) gPlayEndTick = gCycleStopPoint.tick;
  C().countInBarsLeft = 0;
  // A record pass counts in by the record count-in setting; its recorder waits out the count-in.
  if (IsRecordPassRunning()) {
    PrepareCountInForRecord();
    gRecordWaitsForCountIn.store(C().countInBarsLeft > 0 ? 1 : 0, std::memory_order_release);
  } else {
    PrepareCountIn();
  }
  return noErr;
}

void LocateForSync(int32_t mode) {
  if (gAudioClockMode && (C().playBits & 0x80) && !gMachineControl) {
    gSyncFlags |= 0x200;
    if (mode == 0) LocateToReceivedTimeCode();
  } else if (gMachineControl) {
    gSyncFlags |= 0x200;
    if (mode == 0) LocateToReceivedTimeCode();
  } else {
    gSyncFlags |= 0x200;
    if (gClockSyncSource != 7 && !gClockSecondSyncByte && !gMachineControl) {
      gSyncFlags &= ~0x200u;
      if (GetClockSyncMode() != 2) SetLocatePoint(SongPositionToTick());
    }
  }
  PrepareSongForPlay(gLocatePoint.tick);
}

void SetLocatePoint(uint32_t tick) {
  ReleasePluginNotes();
  gLocatePoint.tick = tick == 0 ? 1 : tick;
  gLocatePoint.offset = 0;
  gLocatePoint.factor = kDefaultPositionFactor;
}

void ShowLocateInClock(uint32_t tick) {
  if (IsClockTaskPlaying() || !gCurrentSong) return;  // the running counters belong to the play
  PlaceBeatCounters(gCurrentSong, tick == 0 ? 1 : tick, true);
  SetTimeCodeFromTick(int32_t(std::min<uint32_t>(tick == 0 ? 1 : tick, INT32_MAX)));
}

void StoreClockLocatePosition(uint32_t tick) {
  if (IsClockTaskPlaying()) return;
  ShowLocateInClock(tick);
  // The recorder that gives the time code is wound to the new place.
  if (IsMachineControlOn()) MmcLocate(tick == 0 ? 1 : tick);
}

void SetCycleStart(uint32_t tick) {
  gCycleStartPoint.tick = tick == 0 ? 1 : tick;
  gCycleStartPoint.factor = kDefaultPositionFactor;
  C().cycleStartTick = gCycleStartPoint.tick;
}

void SetCycleStop(uint32_t tick) {
  gCycleStopPoint.tick = tick == 0 ? 1 : tick;
  gCycleStopPoint.factor = kDefaultPositionFactor;
  C().cycleStopTick = gCycleStopPoint.tick;
}

void SetCycleMode(bool on) {
  gCycleMode = on ? 1 : 0;
  if (on) SetTransportFlagBits(kTransportCountInOrCycle);
  else ClearTransportFlagBits(kTransportCountInOrCycle);
}

void UpdateCycleMode() {
  uint32_t clock = C().flags.load();
  uint32_t transport = std::atomic_ref<uint32_t>(gTransportFlagWord).load();
  bool loop = (clock & kClockFlagLoopSong) && (transport & kTransportCycleArmed);
  bool stopAt = (clock & kClockFlagStartBlocked) && (transport & kTransportCountInOrCycle);
  gCycleMode = loop || stopAt ? 1 : 0;
}

void LocateToTimecode(int64_t subframes, float factor) {
  Handle song = TransportSong();
  uint32_t tick = 1;
  if (subframes > 0 && song && *song) {
    ConductorState state;
    int64_t t = SubframesToTickExact(double(subframes), &state, reinterpret_cast<uint8_t*>(*song));
    tick = t < 1 ? 1 : t > 0x7FFFFFFF ? 0x7FFFFFFFu : uint32_t(t);
  }
  SetLocatePoint(tick);
  gLocatePoint.factor = factor;
}

void PrepareCountIn() { C().countInBarsLeft = gCountInBars; }

void PrepareCountInForRecord() {
  C().countInBarsLeft = gRecordCountInBars;
  if (gClockSyncSource == 2 || gClockSyncSource == 4) C().countInHold = 1;
}

void PushIdleTask(IdleTaskProc proc) {
  if (gIdleTop >= kIdleTaskSlots) {
    ReportIdleTaskError();
    return;
  }
  gIdleTasks[gIdleTop++] = proc;
}

void PopIdleTask() {
  if (gIdleTop <= 0) {
    ReportIdleTaskError();
    return;
  }
  gIdleTasks[--gIdleTop] = nullptr;
}

bool RunIdleTask(bool) {
  IdleTaskProc top = TopIdleTask();
  if (!top) return false;
  if (top == gRunningIdleTask) return true;
  IdleTaskProc outer = gRunningIdleTask;
  gRunningIdleTask = top;
  top();
  gRunningIdleTask = outer;
  return false;
}

void DrainIdleTasks() {
  for (int32_t round = 0; round < kMaxIdleDrainRounds && gIdleTop > 0; ++round) {
    int32_t depth = gIdleTop;
    IdleTaskProc top = TopIdleTask();
    if (RunIdleTask(false)) return;
    if (gIdleTop == depth && TopIdleTask() == top) return;  // waits for something else
  }
}

void ReportIdleTaskError() {
  gIdleTaskError = kIdleTaskStackErr;
  HaltSequencerTicks();
  ReportError(kIdleTaskStackErr);
}

int32_t IdleTaskDepth() { return gIdleTop; }
IdleTaskProc TopIdleTask() { return gIdleTop > 0 ? gIdleTasks[gIdleTop - 1] : nullptr; }

// Started by the external reference (a received MIDI start or continue, or time code): the
// song starts where the reference is, and the clock follows it from now on.
void FollowExternalStart() {
  uint8_t hold = C().countInHold;
  C().countInHold = 1;
  if (IsTimecodeSyncMode()) LocateForSync(0);
  if (gEndOfSongDeadline != 0) ResumeAtLocatePoint();
  C().runBits &= uint8_t(~1);
  if (gSyncFlags & 0x200) SendMidiStartOrContinue();
  ArpRestartAll(C().songTick);
  if (IsTimecodeSyncMode()) StartMtcFollow();
  C().syncStarted = 1;
  PopIdleTask();
  C().countInHold = hold;
}

void EndOfSongTask() {
  if (C().runBits & 1) {
    FollowExternalStart();
    return;
  }
  if (IsMidiSyncMode()) SyncLocateToSongPosition();
  if (std::atomic_ref<uint32_t>(gTransportFlagWord).load() & kTransportEndOfSong) {
    ClearTransportFlagBits(kTransportEndOfSong);
    StopPlayback();
  }
  if (!IsClockTaskPlaying()) {
    // The pass ended by itself (the song's end, halted ticks): the audio engine ends with it
    // and reports what it latched.
    StopAudioEngineChannels(0);
    gTransportRunning = 0;
    PopIdleTask();
    return;
  }
  if (gEndOfSongDeadline != 0 && TickCount() > gEndOfSongDeadline) HaltSequencerTicks();
}

void ResumeAtLocatePoint() {
  if (PrepareAudioForPlay(gLocatePoint.tick) != noErr) return;
  StartAudioOutputs();
}

void SyncLocateToSongPosition() {
  if (gAudioClockMode && !(C().playBits & 0x80) && !gClockSecondSyncByte) return;
  uint32_t tick = SongPositionToTick();
  if (tick == gLastSyncedSongPosition) return;
  gLastSyncedSongPosition = tick;
  SetLocatePoint(tick);
  ShowLocateInClock(gLocatePoint.tick);
}

bool IsCycleOrRecordArmed() {
  if (gCycleMode) return true;
  Handle song = TransportSong();
  return song && *song && reinterpret_cast<const uint8_t*>(*song)[kSongArmedCount] != 0;
}

bool IsCycleOrStopArmed() {
  return (C().flags.load() & (kClockFlagStopAtCycle | kClockFlagStartBlocked)) != 0;
}

bool IsSyncMode(uint8_t mode) { return GetClockSyncMode() == mode; }
bool IsMidiSyncMode() { return gClockSyncSource == 3; }
bool IsTimecodeSyncMode() { return gClockSyncSource == 2 || gClockSyncSource == 4; }
