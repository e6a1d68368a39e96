// The recording pump: takes the processor's ring messages while the transport records,
// starts a recording that waits for its first note, punches the armed tracks in and out at
// the record range and records what falls inside it.
#include <algorithm>

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/record_buffers.h"
#include "sequencer/midi/record_start_hooks.h"
#include "sequencer/midi/recorder_hooks.h"
#include "sequencer/transport/count_in.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_iteration.h"

std::atomic<uint8_t> gRecordWaitsForCountIn{0};
uint32_t gPunchInBar = 0;
uint32_t gRecordReachedTick = 0;

namespace {

constexpr uint8_t kPunchMask = 0x04;  // the track flags bit the punch clears while punched in
constexpr uint8_t kPunchMark = 0x08;

bool ClockStopped() { return !IsClockTaskPlaying(); }

bool WaitsForCountIn() { return gRecordWaitsForCountIn.load(std::memory_order_acquire) && IsCountingIn(); }

bool RecorderWaits() {
  return gRecordWaitsForFirstNote.load(std::memory_order_acquire) || WaitsForCountIn();
}

// A note played in the count-in starts the recording only in its last bar and beat, at most
// a sixteenth before the downbeat.
bool InCountInWindow() {
  const TransportClock& c = gTransportClock;
  if (c.countInBarsLeft != 1 || c.beatInBar + 1 != c.beatsPerBar) return false;
  int32_t left = int32_t(c.ticksPerBeat) - int32_t(c.tickInBeat);
  return left >= 0 && left <= TicksPerSixteenth();
}

// While the recorder waits: false for a message that is dropped.
bool PassWhileWaiting(const RingMessage& m) {
  if (m.status < 0x90) return false;
  bool noteOn = (m.status & 0xF0) == 0x90 && m.data2 != 0 && m.data2 != kOneDataByte;
  if (!noteOn) return m.status >= 0xA0;
  if (gRecordWaitsForFirstNote.load(std::memory_order_acquire)) {
    StartRecordOnFirstNote(m.tick);
    return true;
  }
  if (!InCountInWindow()) return false;
  gRecordWaitsForCountIn.store(0, std::memory_order_release);
  gRecordStartTick.store(m.tick, std::memory_order_release);
  return true;
}

void MarkCurrentTrack(uint8_t set, uint8_t clear) {
  if (gCurrentTrack) gCurrentTrack[kTrackFlags] = uint8_t((gCurrentTrack[kTrackFlags] & ~clear) | set);
}

void Punch(uint32_t position) {
  uint32_t start = gRecordStartTick.load(std::memory_order_acquire);
  uint32_t end = gRecordEndTick.load(std::memory_order_acquire);
  bool flagsToo = !(gMidiInputFlags & kRecordNoFlagChanges);
  if ((gMidiInputFlags & kRecordPunchedIn) && position >= end) {
    PunchOutRecording();
  } else if (!(gMidiInputFlags & kRecordPunchedIn) && position >= start && position < end) {
    gMidiInputFlags |= kRecordPunchedIn;
    gPunchInBar = gTransportClock.bar;
    if (flagsToo) {
      MarkCurrentTrack(kPunchMark, kPunchMask);
      SetRecordTrackFlags(uint8_t(gMidiInputFlags >> 8), uint8_t(~kPunchMask), 0);
    }
  }
}

struct TrackFlagsChange {
  uint8_t andMask, orMask;
};

int32_t ChangeArmedTrackFlags(void* arg) {
  const auto* change = static_cast<const TrackFlagsChange*>(arg);
  uint8_t* track = gCurrentTrack;
  if (!track || !(track[kTrackModeFlags] & kTrackModeArmed)) return 0;
  track[kTrackFlags] = uint8_t((track[kTrackFlags] & change->andMask) | change->orMask);
  // An audio track hears its input while it is not punched in.
  if (track[kTrackOutputKind] == kAudioTrackOutputKind) SetTrackMonitor(track, change->orMask != 0);
  return 0;
}

}  // namespace

void PunchOutRecording() {
  if (!(gMidiInputFlags & kRecordPunchedIn)) return;
  gMidiInputFlags &= uint16_t(~kRecordPunchedIn);
  if (gMidiInputFlags & kRecordNoFlagChanges) return;
  MarkCurrentTrack(kPunchMask | kPunchMark, 0);
  SetRecordTrackFlags(uint8_t(gMidiInputFlags >> 8), 0xFF, kPunchMask);
}

void SetRecordTrackFlags(uint8_t flags, uint8_t andMask, uint8_t orMask) {
  // flags: the high byte of gMidiInputFlags (bit 2 = 0x400, change the armed tracks).
  if (!(flags & (kRecordTrackFlagsAtPunch >> 8)) || !gCurrentSong) return;
  TrackFlagsChange change{andMask, orMask};
  ForEachTrack(ChangeArmedTrackFlags, &change);
}

int32_t RecordPump(RealtimeProcessor* p) {
  TakeQueuedSysExBlocks(p);
  for (;;) {
    uint32_t position = std::max(gTransportClock.songTick.load(std::memory_order_relaxed), gRecordReachedTick);
    RingMessage m;
    bool waiting = RecorderWaits();
    if (waiting) {
      if (!PopMidiInputRing(p, &m)) return ClockStopped();
      if (!PassWhileWaiting(m)) continue;
    }
    Punch(position);
    if (!waiting && !PopMidiInputRing(p, &m)) return ClockStopped();
    gRecordReachedTick = std::max(gRecordReachedTick, m.tick);
    bool take = m.status == 0xFD || (IsInRecordRange(m.tick) && !(gMidiInputFlags & kRecordOutsideRangeOnly));
    if (take && RecordInputMessage(p, m, true) == 0) break;
    if (ClockStopped()) return 1;
  }
  // A full buffer: a block the parser left open is cut off.
  if (p->record.openSysEx != kNoSysExBlock) {
    p->record.write = p->record.openSysEx;
    p->record.openSysEx = kNoSysExBlock;
    p->record.busy.store(0, std::memory_order_release);
  }
  return ClockStopped();
}
