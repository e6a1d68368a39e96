#include "sequencer/transport/record_pass.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/record_buffers.h"
#include "sequencer/midi/record_start_hooks.h"
#include "sequencer/transport/counter_buttons.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/record_merge.h"
#include "sequencer/transport/record_takes.h"
#include "sequencer/transport/transport_audio_hooks.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_position.h"
#include "sequencer/transport/transport_requests.h"
#include "shell/base/error_report.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_event_replacement.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

uint8_t gRecordOptions = 0;
Handle gRecordedSong;
uint32_t gRecordBufferBytes = 1u << 20;

namespace {

// Most calls of the pump in one idle pass for one processor.
constexpr int32_t kMaxPumpRounds = 64;

// An armed MIDI track and the processor that records for it; in cycle recording the events
// of the pass that runs wait in pending until the pass ends.
struct RecordTarget {
  RealtimeProcessor* p = nullptr;
  uint8_t track = 0;
  std::vector<uint8_t> pending;
  uint32_t lastTick = 0;   // the tick of the last event of the running pass (0: none yet)
  uint32_t restarts = 0;   // the cycle restarts this target has ended a pass for
};

std::vector<RecordTarget> gTargets;
bool gPassRunning = false;
bool gPassCycles = false;
bool gPassTakes = false;
uint32_t gPassStartTick = 1;  // the tick the pass started playing at

TransportClock& C() { return gTransportClock; }

uint32_t CycleRestarts() { return std::atomic_ref<uint32_t>(gCycleRestarts).load(std::memory_order_acquire); }

RealtimeProcessor* ProcessorForTrack(uint8_t number) {
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next)
    if (p->trackNumber == number) return p;
  return gMidiInputs ? gMidiInputs : gRealtimeProcessors;
}

bool IsMidiTrack(const uint8_t* track) {
  uint8_t kind = track[kTrackOutputKind];
  return kind == 0 || kind == kInstrumentTrackOutputKind;
}

bool HasTarget(const RealtimeProcessor* p) {
  for (const RecordTarget& t : gTargets)
    if (t.p == p) return true;
  return false;
}

void AddTarget(const uint8_t* track) {
  if (!track || !IsMidiTrack(track)) return;
  RealtimeProcessor* p = ProcessorForTrack(track[kTrackNumber]);
  if (!p || HasTarget(p)) return;  // a processor records for one track only
  RecordTarget t;
  t.p = p;
  t.track = track[kTrackNumber];
  gTargets.push_back(std::move(t));
}

// The armed MIDI tracks of the current song (the current track when none is armed).
void CollectTargets() {
  gTargets.clear();
  int32_t count = GetSongTrackCount();
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* track = GetTrackEntryAt(i);
    if (track && (track[kTrackModeFlags] & kTrackModeArmed)) AddTarget(track);
  }
  if (gTargets.empty() && HasValidCurrentTrack()) AddTarget(gCurrentTrack);
}

// Each target's record buffer, empty; false when one cannot be had.
bool PrepareTargets() {
  for (RecordTarget& t : gTargets) {
    if (PrepareRecordBuffer(t.p, gRecordBufferBytes) != noErr) return false;
    TakeProcessorErrors(t.p);  // an earlier pass's errors are not this one's
    ResetRecordMerge(t.p);
    t.restarts = CycleRestarts();
  }
  return true;
}

void SetRecordRange() {
  bool punch = (std::atomic_ref<uint32_t>(gTransportFlagWord).load() & kTransportPunchArmed) != 0;
  uint32_t start = punch ? gCycleStartPoint.tick : 1;
  uint32_t end = punch ? gCycleStopPoint.tick : kNoRecordEnd;
  if (punch && end <= start) end = kNoRecordEnd;
  gRecordStartTick.store(start, std::memory_order_relaxed);
  gRecordEndTick.store(end, std::memory_order_relaxed);
}

void SetInputFlagsForPass() {
  gMidiInputFlags = uint16_t(gMidiInputFlags & ~(kRecordInputOutsideRange | kRecordPunchedIn | kRecordMadeEvent));
  if (gPassTakes) gMidiInputFlags |= kRecordInputNoFlagChanges;
}

Handle NewListHandle(const std::vector<uint8_t>& records) {
  Handle h = NewHandleClear(Size(records.size()) + kEndRecordSize);
  if (h && !records.empty()) std::memcpy(HandleData(h), records.data(), records.size());
  return h;
}

// Makes the target's track current in the recorded song (after PushSongContext).
bool SelectTargetTrack(const RecordTarget& t) {
  if (!gRecordedSong || !*gRecordedSong) return false;
  SelectSong(gRecordedSong);
  int32_t index = 0;
  if (!FindTrackWithNumber(t.track, &index)) return false;
  SetCurrentTrackIndex(index);
  return true;
}

// Makes the recorded song current for the pump (punch in and out, held notes of a cycle) and
// restores the current song after; false when no pass song is there.
bool EnterRecordedSong() {
  if (!gRecordedSong || !*gRecordedSong || PushSongContext() != noErr) return false;
  SelectSong(gRecordedSong);
  return true;
}

// Merges records into the target's track over [from, to); false when it could not be done
// (the records are then kept by the caller).
bool MergeIntoTarget(const RecordTarget& t, const std::vector<uint8_t>& records, bool replace,
                     uint32_t from, uint32_t to) {
  if (PushSongContext() != noErr) return false;
  OSErr err = paramErr;
  if (SelectTargetTrack(t)) {
    Handle list = NewListHandle(records);
    err = list ? MergeRecordedData(list, replace, from, to, kMergeRecordedFlags) : OSErr(memFullErr);
    if (list) DisposeHandle(list);
  }
  PopSongContext();
  if (err != noErr) ReportError(err);
  return err == noErr;
}

// The pass of a cycle ended: its events become a take, or replace the cycle range.
// A pass in which nothing was played leaves the track as it is: it never clears what an
// earlier pass recorded (nor does a Stop before the first note of a pass).
void FinishCyclePass(RecordTarget& t) {
  ++t.restarts;
  bool replace = (gRecordOptions & kRecordOptionCycleReplace) == kRecordOptionCycleReplace;
  if (!t.pending.empty()) {
    bool done = false;
    if (gPassTakes && PushSongContext() == noErr) {
      SelectSong(gRecordedSong);
      done = AddTake(t.track, t.pending) == noErr;
      PopSongContext();
    }
    // Without a take (none could be made) the pass goes into the armed track itself.
    if (!done) done = MergeIntoTarget(t, t.pending, replace, gCycleStartPoint.tick, gCycleStopPoint.tick);
    if (done) t.pending.clear();
  }
  t.lastTick = 0;
}

// Whether a copied event at tick begins the pass after a restart: the time went back, or
// nothing of the old pass came yet and it lies before the song position now.
bool StartsNewPass(const RecordTarget& t, uint32_t tick, uint32_t now) {
  uint32_t half = (gCycleStopPoint.tick - gCycleStartPoint.tick) / 2;
  if (t.lastTick != 0 && tick + half < t.lastTick) return true;
  return tick <= now && (t.lastTick == 0 || tick < t.lastTick);
}

// The finished records recorded since the last copy go into the pending pass of a cycle; a
// copied event that begins the next pass ends the one before.
void TakeRecordedEvents(RecordTarget& t, uint32_t restarts, uint32_t now) {
  Handle copy = CopyRecordedEvents(t.p);
  std::vector<uint8_t> records = CopyListRecords(copy);
  if (copy) DisposeHandle(copy);
  uint32_t due = gPassCycles ? restarts - t.restarts : 0;
  for (size_t at = 0; uint32_t n = RecordLengthAt(records, at); at += n) {
    uint32_t tick = SeqEventTime(&records[at]);
    if (due > 0 && StartsNewPass(t, tick, now)) {
      FinishCyclePass(t);
      --due;
    }
    t.pending.insert(t.pending.end(), records.begin() + long(at), records.begin() + long(at + n));
    t.lastTick = tick;
  }
  for (; due > 0; --due) FinishCyclePass(t);
}

// A straight pass merges what came in as it comes (MergeRecordBuffer on the target's track);
// with replace the range runs from what was merged to one tick after the last event (to `to`
// at the end of the pass). What cannot be merged stays in the buffer for the next merge.
void MergeStraightPass(RecordTarget& t, uint32_t to) {
  if (PushSongContext() != noErr) return;
  OSErr err = SelectTargetTrack(t) ? MergeRecordBuffer(t.p, to) : OSErr(paramErr);
  PopSongContext();
  if (err != noErr) ReportError(err);
}

// An emptied buffer starts again at its beginning, so a long pass never fills it.
void CompactBuffer(RecordTarget& t) {
  if (t.p->merge.merged == t.p->record.write && t.p->record.openNotes == 0 && t.p->record.write != 0 &&
      t.p->record.openSysEx == kNoSysExBlock) {
    uint32_t mergedUpTo = t.p->merge.mergedUpTo;
    ResetRecordBuffer(t.p);
    ResetRecordMerge(t.p);
    t.p->merge.mergedUpTo = mergedUpTo;
  }
}

// While the clock runs one call empties the ring; once it stopped each call takes one message,
// so the end of the pass calls it for as many as the ring holds.
void PumpTarget(RecordTarget& t) {
  int32_t rounds = IsClockTaskPlaying() ? kMaxPumpRounds : kProcessorRingSize + 1;
  for (int32_t round = 0; round < rounds && RecordPump(t.p) == 1; ++round) {
  }
}

// Pumps every target's ring into its buffer with the recorded song current.
void PumpTargets() {
  bool entered = EnterRecordedSong();
  for (RecordTarget& t : gTargets) PumpTarget(t);
  if (entered) PopSongContext();
}

void ServiceTargets() {
  uint32_t restarts = CycleRestarts();
  uint32_t now = C().songTick.load();
  PumpTargets();
  for (RecordTarget& t : gTargets) {
    if (gPassCycles) TakeRecordedEvents(t, restarts, now);
    else MergeStraightPass(t, 0);
    CompactBuffer(t);
  }
}

// Each target's record buffer is let go of; answers whether one of them filled in the pass.
bool ReleaseTargetBuffers() {
  bool full = false;
  for (RecordTarget& t : gTargets) {
    full = full || (TakeProcessorErrors(t.p) & kProcessorErrorRecordFull) != 0;
    PrepareRecordBuffer(t.p, 0);
  }
  gTargets.clear();
  return full;
}

void ClearRecordWaits() {
  gRecordWaitsForCountIn.store(0, std::memory_order_release);
  gRecordWaitsForFirstNote.store(0, std::memory_order_release);
}

// Closes the notes still held in the buffer at tick: a note-off for each open note.
void CloseHeldNotes(RealtimeProcessor* p, uint32_t tick) {
  std::vector<RingMessage> offs;
  const uint8_t* bytes = RecordBufferBytes(p);
  if (!bytes) return;
  for (uint32_t at = p->record.start; at < p->record.write;) {
    const uint8_t* e = bytes + at;
    uint32_t n = SeqEventLengthWithin(e, p->record.write - at);
    if (n == 0) break;
    if (SeqEventKind(e) == kKindOpenNote)
      offs.push_back({tick, uint8_t(0x80 | EventChannel(e)), e[kOpenNoteKey], 0, 0, 0, 0});
    at += n;
  }
  for (const RingMessage& off : offs) RecordInputMessage(p, off, true);
}

void CancelPass(OSErr err) {
  ReleaseTargetBuffers();
  ClearRecordWaits();
  gPassRunning = false;
  gRecordedSong = Handle();
  ClearTransportRequestBits(kRequestRecord);
  if (gTransportRunning) StopTransport(false);
  ReportError(err);
}

}  // namespace

bool IsRecordPassRunning() { return gPassRunning; }

uint32_t RecordPassStartTick() { return gPassStartTick; }

uint32_t RecordRangeStart() {
  uint32_t start = gRecordStartTick.load(std::memory_order_relaxed);
  return std::max({start, gPassStartTick, 1u});
}

void RecordCommand() {
  if (gPassRunning) return;
  StartRecordPass(IsClockTaskPlaying());
}

OSErr StartRecordPass(bool fromIdle) {
  if (gPassRunning) return noErr;
  Handle song = TransportSong();
  if (!song || !*song) return paramErr;
  if (!fromIdle && (C().playBits & 0x80)) {
    gClockButtonByte.fetch_or(0x04);
    gAudioClockMode = 1;
  }
  if (PushSongContext() != noErr) return kContextStackFull;
  SelectSong(song);
  CollectTargets();
  PopSongContext();
  gRecordedSong = song;
  gPassRunning = true;
  if (!PrepareTargets()) {
    CancelPass(kRecordCheckFailed);
    return kRecordCheckFailed;
  }
  gPassCycles = gCycleMode != 0 || (gRecordOptions & kRecordOptionCycle);
  gPassTakes = gPassCycles && (gRecordOptions & kRecordOptionCycleReplace) != kRecordOptionCycleReplace;
  if (gPassTakes) StartTakeList(song);
  SetInputFlagsForPass();
  SetRecordRange();
  gRecordReachedTick = 0;
  gSomethingRecorded.store(0);
  // A pass started while playing records from where the song is now.
  gPassStartTick = fromIdle ? C().songTick.load() + 1 : std::max<uint32_t>(gLocatePoint.tick, 1);
  if (gRecordOptions & kRecordOptionClick) SetTransportFlagBits(kTransportClickOn);
  if (!fromIdle && !(gRecordOptions & kRecordOptionNoPlay)) {
    Play(gLocatePoint.tick);
    if (!gTransportRunning) {
      CancelPass(kRecordCheckFailed);
      return kRecordCheckFailed;
    }
  }
  // Started while playing, the armed audio tracks start recording now as well (an error of
  // theirs is reported by the audio side; the MIDI pass goes on).
  if (fromIdle) StartRecordingWhilePlaying();
  // A straight pass records past the song's end; the song end follows at the stop.
  if (!gCycleMode) std::atomic_ref<uint32_t>(gPlayEndTick).store(0, std::memory_order_relaxed);
  return noErr;
}

void RecordPassIdleTask() {
  if (!gPassRunning) return;
  ServiceTargets();
  if (gTransportRunning) return;
  // The pass ended by itself (the end of the play range, halted ticks).
  EndRecordPass();
  MergePassIntoTracks();
}

void EndRecordPass() {
  if (!gPassRunning) return;
  uint32_t stop = C().songTick.load();
  ClearRecordWaits();
  PumpTargets();
  for (RecordTarget& t : gTargets) CloseHeldNotes(t.p, stop == 0 ? 1 : stop);
  // A pass stopped before its record end punches out here, so its tracks sound again.
  if (EnterRecordedSong()) {
    PunchOutRecording();
    PopSongContext();
  }
}

void MergePassIntoTracks() {
  if (!gPassRunning) return;
  uint32_t stop = C().songTick.load();
  uint32_t recordEnd = gRecordEndTick.load(std::memory_order_relaxed);
  uint32_t end = stop + 1 < recordEnd ? stop + 1 : recordEnd;
  uint32_t restarts = CycleRestarts();
  for (RecordTarget& t : gTargets) {
    // The unfinished pass is kept: a take of its own, or merged into the track.
    if (gPassCycles) {
      TakeRecordedEvents(t, restarts, stop);
      FinishCyclePass(t);
    } else {
      MergeStraightPass(t, end);
    }
  }
  bool full = ReleaseTargetBuffers();
  gPassRunning = false;
  gMidiInputFlags = uint16_t(gMidiInputFlags & ~(kRecordPunchedIn | kRecordInputNoFlagChanges));
  if (gRecordedSong && *gRecordedSong && PushSongContext() == noErr) {
    SelectSong(gRecordedSong);
    UpdateSongEnd();
    PopSongContext();
  }
  gRecordedSong = Handle();
  ClearTransportRequestBits(kRequestRecord);
  RedrawEventListAndEditor();
  InvalidateTrackWindow();
  if (full) ReportError(kRecordPartLeftOut);
}
