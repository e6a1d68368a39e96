#include "sequencer/transport/playback_control.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/clock_timer.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_routines.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/midi_short_messages.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/transport/count_in.h"
#include "sequencer/transport/sync_callbacks.h"
#include "sequencer/transport/transport_audio_hooks.h"
#include "sequencer/transport/transport_plugin_hooks.h"
#include "sequencer/transport/transport_position.h"
#include "sequencer/transport/transport_tempo.h"
#include "sequencer/transport/sync_source.h"
#include "shell/base/app_state.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"

uint8_t gAudioClockMode = 0;
uint8_t gClockSecondSyncByte = 0;
uint8_t gCycleMode = 0;
uint32_t gCycleRestarts = 0;
void (*gCycleRestartHook)() = nullptr;
TempoRecordBuffer gTempoRecordBuffer;

namespace {

// Set once a stop has done its work, cleared by the next start: a second stop (the idle
// procedure already installed) returns at once.
bool gStopDone = true;

TransportClock& C() { return gTransportClock; }

constexpr int32_t kMaxSnapshotSongs = 64;
constexpr int32_t kMaxStopOutputs = 64;
constexpr uint8_t kSustainController = 64;

struct SongSnap {
  SongPlayState* song = nullptr;
  uint32_t countdown = 0, conductorTick = 0, conductorCursor = 0;
  SongPlayState* next = nullptr;
  bool active = false;
  uint8_t flags = 0;
};

struct TrackSnap {
  TrackPlayState* track = nullptr;
  uint32_t cursor = 0, trackTick = 0;
  uint16_t typeFlags = 0;
  int32_t section = 0;
  uint16_t sectionRepeats = 0;
};

struct PlaybackSnapshot {
  bool valid = false;
  uint32_t bar = 0;
  uint16_t ticksPerBeat = 0, beatInBar = 0, beatsPerBar = 0, tickInBeat = 0;
  uint16_t firesSinceClock = 0, tempo = 0;
  int32_t midiClockCountdown = 0, midiClockReload = 0;
  uint32_t startTick = 0, songTick = 0, frameAccumulator = 0;
  uint32_t periodMicroseconds = 0, subframeIncrement = 0;
  uint16_t periodFraction = 0;
  uint8_t timeCode[4] = {};
  uint64_t realTimePosition = 0;
  int32_t masterVolume = -1;
  std::vector<SongSnap> songs;
  std::vector<TrackSnap> tracks;
};

PlaybackSnapshot gSnapshot;

void AddSongToSnapshot(SongPlayState* s, int32_t depth) {
  if (!s || depth > kMaxChildDepth || int32_t(gSnapshot.songs.size()) >= kMaxSnapshotSongs) return;
  for (const SongSnap& known : gSnapshot.songs)
    if (known.song == s) return;
  gSnapshot.songs.push_back({s, s->countdown, s->conductorTick, s->conductorCursor,
                             s->nextActive, s->active, s->flags});
  for (auto& t : s->tracks) {
    t->flagsB.fetch_and(uint8_t(~kTrackReseeked));
    gSnapshot.tracks.push_back({t.get(), t->cursor, t->trackTick, t->typeFlags, t->section, t->sectionRepeats});
    for (SongPlayState* child : t->children) AddSongToSnapshot(child, depth + 1);
  }
}

struct OutputRef {
  DriverProcId send;
  uint8_t port;
};

void AddOutput(OutputRef* outs, int32_t* n, DriverProcId send, uint8_t port) {
  if (send == kNoDriverProc) return;
  for (int32_t i = 0; i < *n; ++i)
    if (outs[i].send == send && outs[i].port == port) return;
  if (*n < kMaxStopOutputs) outs[(*n)++] = {send, port};
}

// The outputs in use: every part of the instrument table, and the plain tracks of the
// playing song.
int32_t CollectOutputs(OutputRef* outs) {
  int32_t n = 0;
  for (int32_t i = 0; i < 4096; ++i) {
    const uint8_t* inst = GetInstrumentRecord(i);
    if (!inst) break;
    uint8_t mask = inst[kInstPartMask];
    for (int32_t p = 0; p < kInstrumentParts; ++p)
      if (mask & (1u << p))
        AddOutput(outs, &n, ReadU32BE(inst + kInstDriverProcs + 4 * p), inst[kInstPorts + p]);
  }
  Handle song = C().playingSong;
  if (!song || !*song) return n;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(*song);
  Size size = GetHandleSize(song);
  if (size < kSongHeaderSize) return n;
  int32_t count = ReadU16BE(bytes + kSongTrackCount);
  Size offset = kSongHeaderSize;
  for (int32_t i = 0; i < count; ++i) {
    if (offset + kTrackEntrySize > size) break;
    const uint8_t* entry = bytes + offset;
    int32_t length = ReadU16BE(entry + kTrackLength);
    if (length < kTrackEntrySize || offset + length > size) break;
    if (!(entry[kTrackFlags] & kTrackInstrumentTrack))
      AddOutput(outs, &n, ReadU32BE(entry + kTrackDriverProc), entry[kTrackMidiOutput]);
    offset += length;
  }
  return n;
}

void SustainOffEverywhere() {
  OutputRef outs[kMaxStopOutputs];
  int32_t n = CollectOutputs(outs);
  for (int32_t i = 0; i < n; ++i)
    for (uint8_t channel = 0; channel < 16; ++channel)
      SendShortMessage(outs[i].send, outs[i].port, uint8_t(0xB0 | channel), kSustainController, 0);
}

void CallTickHookAtBeatEnd() {
  if (!C().tickHook) return;
  uint16_t saved = C().tickInBeat;
  C().tickInBeat = 32767;
  C().tickHook();
  C().tickInBeat = saved;
}

void SetTransportFlags(uint32_t bits) { std::atomic_ref<uint32_t>(gTransportFlagWord).fetch_or(bits); }
uint32_t TransportFlags() { return std::atomic_ref<uint32_t>(gTransportFlagWord).load(); }

}  // namespace

// The real time of the count-in bars still to come at the clock's tempo.
static int64_t CountInSubframes() {
  int64_t ticks = int64_t(C().countInBarsLeft) * C().beatsPerBar * C().ticksPerBeat;
  return ticks > 0 ? int64_t(TicksToSubframesAtTempo(ticks, C().tempo)) : 0;
}

uint8_t GetClockSyncMode() {
  uint8_t mode = GetSyncModeByte();
  return mode == 0 ? 1 : mode;
}

OSErr StartPlayback(uint32_t tick, bool startedBySync, bool withAudio) {
  gSendingSysExDump = 0;
  uint8_t mode = GetClockSyncMode();
  int16_t source = gClockSyncSource;
  if (source == 2 && !gAudioClockMode) source = 0;
  C().stopAtTick = (C().flags.load() & kClockFlagStopAtCycle) ? C().cycleStopTick : 0;
  C().hostTimeValid = 0;
  ClearHostTimeBase();
  C().immediateOffIndex = 0;
  C().startTick = tick;
  if (startedBySync && source == 0 && !(C().playBits & 0x80)) source = 6;
  OSErr err = noErr;
  gStopDone = false;
  if (mode > 1 || source == 0) {
    BeginCountIn(tick);
    if (mode == 1) err = InstallClockTimer(ClockTimerPlayProc, tick);
  } else {
    // An external source: its callback is reached through the sync task. The received MIDI
    // clock (source 3) and the quarter frames drive the debt themselves.
    if (source == 2 || source == 4 || source == 6 || source == 7) C().requestedTempo = int16_t(C().tempo);
    BeginExternalFollow(tick, CountInSubframes());
    C().syncCallback = SyncCallbackForSource(source, startedBySync);
    if (C().countInBarsLeft != 0 || C().countInHold) BeginCountIn(tick);
    else SelectTickRoutine();
    if (SongPlayState* s = GetPlayingSongState()) {
      // A song of no length does not loop.
      uint32_t loop = gPlayEndTick > 1 ? gPlayEndTick - 1 : 0;
      s->conductorTick = loop ? tick % loop : tick;
    }
    err = InstallClockTimer(ClockTimerSyncProc, tick);
    C().syncStarted = 0;
    C().playBits = uint8_t((C().playBits & ~0x10) | 0x40);
    if (C().playBits & 0x80) C().requestedTempo = int16_t(C().tempo);
    C().firesSinceClock = 0;
  }
  if (err != noErr) return err;
  if (withAudio) return StartAudioOutputs();
  return noErr;
}

int32_t StopPlayback() {
  int32_t lock = TryLockClock(kClockOwnerStop);  // never waits
  C().hostTimeValid = 0;
  ClearHostTimeBase();
  C().syncRunning = 0;
  gClockSecondSyncByte = 0;
  if (GetClockSyncMode() == 1) {
    if (gStopDone && C().installedProc.load() == ClockTimerIdleProc && C().task.tmSlot != 0) {
      C().flags.fetch_and(~kClockFlagHalted);
      return UnlockClock(lock);
    }
    // Switching the task waits (bounded) for a fire in progress, after which the clock task
    // no longer holds the lock.
    InstallClockTimer(ClockTimerIdleProc, C().songTick);
  } else {
    RemoveClockTimer();
  }
  if (lock != 0) lock = TryLockClock(kClockOwnerHolder);
  C().firesSinceClock = 0;
  C().playBits &= uint8_t(~0x40);
  C().runBits &= uint8_t(~0x01);
  C().tickDebt = 0;
  if (lock == 0) {
    FlushEveryPendingNoteOff();
    SustainOffEverywhere();
  }
  if (!(gAudioClockMode && !(gSyncFlags & 0x200))) SendMidiStop();
  CallTickHookAtBeatEnd();
  SelectTickRoutine();
  C().flags.fetch_and(~kClockFlagHalted);
  gStopDone = true;
  return UnlockClock(lock);
}

void SavePlaybackSnapshot(Handle, uint32_t tick) {
  PlaybackSnapshot& s = gSnapshot;
  s.songs.clear();
  s.tracks.clear();
  s.songs.reserve(kMaxSnapshotSongs);
  s.bar = C().bar;
  s.ticksPerBeat = C().ticksPerBeat;
  s.beatInBar = C().beatInBar;
  s.beatsPerBar = C().beatsPerBar;
  s.tickInBeat = C().tickInBeat;
  s.firesSinceClock = C().firesSinceClock;
  s.tempo = C().tempo;
  s.periodMicroseconds = C().periodMicroseconds;
  s.periodFraction = C().periodFraction;
  s.subframeIncrement = C().subframeIncrement;
  s.midiClockCountdown = C().midiClockCountdown;
  s.midiClockReload = gMidiClockReload;
  s.startTick = tick;
  s.songTick = tick;
  s.frameAccumulator = C().frameAccumulator;
  std::memcpy(s.timeCode, C().timeCode, sizeof s.timeCode);
  s.realTimePosition = gRealTimePosition;
  s.masterVolume = gConductorVolume;
  AddSongToSnapshot(GetPlayingSongState(), 0);
  s.valid = GetPlayingSongState() != nullptr;
}

void DiscardPlaybackSnapshot() { gSnapshot.valid = false; }

bool RestorePlaybackSnapshot() {
  PlaybackSnapshot& s = gSnapshot;
  if (!s.valid || !gCycleMode || (gAudioClockMode && !gClockSecondSyncByte)) {
    StopPlaybackFromClock();
    return false;
  }
  uint32_t bits = 0x08 | 0x20;
  if ((TransportFlags() & 0x01) && C().stopAtTick == 0) bits |= 0x04;
  SetTransportFlags(bits);
  C().firesSinceClock = 0;
  FlushEveryPendingNoteOff();
  CallTickHookAtBeatEnd();
  C().bar = s.bar;
  C().ticksPerBeat = s.ticksPerBeat;
  C().beatInBar = s.beatInBar;
  C().beatsPerBar = s.beatsPerBar;
  C().tickInBeat = s.tickInBeat;
  C().frameAccumulator = s.frameAccumulator;
  std::memcpy(C().timeCode, s.timeCode, sizeof s.timeCode);
  if (C().tempo != s.tempo || C().periodMicroseconds != s.periodMicroseconds) {
    C().tempo = s.tempo;
    C().periodMicroseconds = s.periodMicroseconds;
    C().periodFraction = s.periodFraction;
    C().subframeIncrement = s.subframeIncrement;
  }
  // The next fire keeps the start's timing: re-armed from this fire with the restored period,
  // as the first fire of the pass was.
  if (IsClockTaskPlaying() && C().task.tmSlot != 0) {
    C().fractionAccumulator = 0;
    PrimeTime(&C().task, -SInt32(NextPlayDelay()));
  }
  RestoreTrackCursors();
  return true;
}

void RestoreTrackCursors() {
  PlaybackSnapshot& s = gSnapshot;
  // The restart replaces the tick being played: it becomes the first tick after the start.
  C().songTick = s.songTick + 1;
  gRealTimePosition = s.realTimePosition;
  AdvanceTimeCode(C().subframeIncrement, gSmpteRateCode == 2);
  RecordHostTimeBase();
  if (s.masterVolume >= 0 && (TransportFlags() & 0x40)) ApplyConductorVolume(s.masterVolume, 1);
  for (const SongSnap& song : s.songs) {
    song.song->countdown = song.countdown;
    song.song->nextActive = song.next;
    song.song->active = song.active;
    song.song->flags = song.flags;
    song.song->conductorTick = song.conductorTick + 1;
    song.song->conductorCursor = song.conductorCursor;
  }
  for (const TrackSnap& t : s.tracks) {
    uint8_t flagsB = t.track->flagsB.load();
    t.track->typeFlags = t.typeFlags;
    if (flagsB & kTrackReseeked) {
      // Changed while it played: found again at the start tick.
      t.track->flagsB.store(kTrackReseek);
      continue;
    }
    t.track->cursor = t.cursor;
    t.track->trackTick = t.trackTick;
    t.track->section = t.section;
    t.track->sectionRepeats = t.sectionRepeats;
  }
  ++gCycleRestarts;
  if (gCycleRestartHook) gCycleRestartHook();
}

bool TryPlaybackCycle() { return RestorePlaybackSnapshot(); }

void SetClockTempo(int32_t tempo) {
  // While the clock plays, the period changes between two ticks (the lock, bounded retries);
  // a clock that keeps the lock longer than that gets the new period at once.
  int32_t lock = IsClockTaskPlaying() ? TryLockClock(kClockOwnerHolder) : -1;
  C().tempo = uint16_t(tempo < 0 ? 0 : tempo);
  if (!(C().flags.load() & kClockFlagVarispeed)) ApplyTempo(ScaleTempoValue(tempo, 0));
  if (lock == 0) UnlockClock(0);
}

void ApplyTempo(int32_t tempo) {
  // Below 120 would index before the tables.
  if (tempo < kTempoTableFirst) tempo = kTempoTableFirst;
  if (tempo > kTempoTableLast) tempo = kTempoTableLast;
  ApplyTempoToDevices(tempo);
  SetTempoFromTable(tempo);
}

OSErr SetTempoRecordCapacity(TempoRecordBuffer* buffer, uint32_t capacity) {
  if (buffer->entries) DisposeHandle(buffer->entries);
  buffer->entries = Handle();
  buffer->count = buffer->capacity = 0;
  if (capacity == 0) return noErr;
  buffer->entries = NewHandleClear(Size(capacity) * kTempoRecordSize);
  if (!buffer->entries) return memFullErr;
  buffer->capacity = capacity;
  return noErr;
}

OSErr AppendTempoRecord(TempoRecordBuffer* buffer, uint32_t tick, uint16_t tempo) {
  if (buffer->count >= buffer->capacity || !buffer->entries) return kRecordBufferFullErr;
  uint8_t* at = reinterpret_cast<uint8_t*>(*buffer->entries) + buffer->count * kTempoRecordSize;
  WriteU32BE(at, tick);
  WriteU16BE(at + 4, tempo);
  ++buffer->count;
  return noErr;
}

int32_t AppendRecordBytes(RecordByteBuffer* buffer, const uint8_t* bytes, uint32_t count) {
  int32_t lock = TryLockClock(kClockOwnerHolder);
  if (lock != 0) return lock;
  int32_t result = -1;
  if (!buffer->busy && buffer->write && buffer->end >= buffer->write &&
      uint32_t(buffer->end - buffer->write) >= count) {
    std::memcpy(buffer->write, bytes, count);
    buffer->write += count;
    result = 0;
  }
  UnlockClock(0);
  return result;
}

bool PlayNoteWithOff(void* processor, uint8_t status, uint8_t note, uint8_t velocity,
                     uint32_t length, DriverProcId send, uint8_t output, const void* owner,
                     bool takeLock) {
  int32_t lock = takeLock ? TryLockClock(kClockOwnerHolder) : 0;
  if (lock != 0) return false;
  bool scheduled = ScheduleNoteOff(length, true, status, note, 0, output, send, owner, processor);
  if (scheduled) {
    // No event here carries a spread: the stored velocity is played as it stands.
    if (velocity & 0x80) velocity = HumaniseVelocity(0, velocity);
    SendShortMessage(send, output, status, note, velocity);
  }
  if (takeLock) UnlockClock(0);
  return scheduled;
}

void ShutDownClockTimer() {
  ReleaseHeldNotes(gMidiInputs, nullptr);
  RemoveClockTimer();
  gClockTimerInstalled = 0;
}

void ReinstallIdleClockTimer() {
  if (GetClockSyncMode() != 1) return;
  if (InstallClockTimer(ClockTimerIdleProc, C().songTick) == noErr) gClockTimerInstalled = 1;
}

namespace {
TimerUPP gRememberedProc = nullptr;
}

void ReinstallClockTimer(uint32_t tick) {
  if (GetClockSyncMode() != 1 || !gRememberedProc) return;
  InstallClockTimer(gRememberedProc, tick);
}

void MarkPlayStart() {
  gRememberedProc = C().installedProc.load();
  C().startTick = C().songTick;
}

bool IsClockTimerOff() { return GetClockSyncMode() == 1 && C().installedProc.load() == nullptr; }

bool IsClockTaskActive() {
  TimerUPP p = C().installedProc.load();
  if (!p) return false;
  if (GetClockSyncMode() == 2) return true;
  return p != ClockTimerIdleProc;
}
