#include "sequencer/midi/record_buffers.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/record_start_hooks.h"
#include "sequencer/midi/recorder_hooks.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_engine.h"
#include "song/events/data_events.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_iteration.h"

std::atomic<uint32_t> gRecordEndTick{0xFFFFFFFF};
std::atomic<uint8_t> gSomethingRecorded{0};

namespace {

constexpr uint16_t kPrefCloseOldestNote = 0x0002;  // gMidiPrefs: a note-off ends the oldest
constexpr uint32_t kMaxNoteDuration = 65535;

void MarkFull(RealtimeProcessor* p) {
  p->errorFlags.fetch_or(kProcessorErrorRecordFull, std::memory_order_relaxed);
}

bool HasRoom(const RecordBuffer& r, uint32_t bytes) {
  return r.events && r.write <= r.end && r.end - r.write >= bytes;
}

}  // namespace

uint16_t RecordClassBit(uint8_t status, uint8_t data1) {
  switch (status & 0xF0) {
    case 0x80: case 0x90: return kRecordNotes;
    case 0xA0: return kRecordPolyPressure;
    case 0xB0: return data1 == 1 ? kRecordModulation : kRecordControllers;
    case 0xC0: return kRecordPrograms;
    case 0xD0: return kRecordChannelPressure;
    case 0xE0: return kRecordPitchBend;
    default: return 0;
  }
}

bool IsInRecordRange(uint32_t tick) {
  return tick >= gRecordStartTick.load(std::memory_order_acquire) &&
         tick < gRecordEndTick.load(std::memory_order_acquire);
}

namespace {

uint8_t* OpenNoteAt(uint8_t* base, uint32_t link) { return link ? base + (link - 1) : nullptr; }

// Rebuilds the open-note list from the records between start and write (newest first).
void RescanOpenNotes(RecordBuffer& r, uint8_t* base) {
  r.openNotes = 0;
  uint32_t at = r.start;
  while (at < r.write) {
    uint32_t length = SeqEventLengthWithin(base + at, r.write - at);
    if (length == 0) break;
    if ((base[at + kEventStatus] & 0xF0) == kKindOpenNote) {
      WriteU32BE(base + at + kOpenNoteLink, r.openNotes);
      r.openNotes = at + 1;
    }
    at += length;
  }
  r.rescan = 0;
}

// Unlinks the open note of key and channel (the newest, or the oldest with the preference
// bit) and answers its offset + 1 (0: none).
uint32_t TakeOpenNote(RecordBuffer& r, uint8_t* base, uint8_t channel, uint8_t key) {
  if (r.rescan) RescanOpenNotes(r, base);
  bool oldest = (gMidiPrefs & kPrefCloseOldestNote) != 0;
  uint32_t found = 0, foundPrev = 0, prev = 0;
  for (uint32_t link = r.openNotes, steps = 0; link && steps < r.end; ++steps) {
    if (link - 1 >= r.write) break;  // a damaged link: stop the walk
    uint8_t* e = OpenNoteAt(base, link);
    if (e[kEventStatus] == (kKindOpenNote | channel) && e[kOpenNoteKey] == key) {
      found = link;
      foundPrev = prev;
      if (!oldest) break;
    }
    prev = link;
    link = ReadU32BE(e + kOpenNoteLink);
  }
  if (!found) return 0;
  uint32_t next = ReadU32BE(OpenNoteAt(base, found) + kOpenNoteLink);
  if (foundPrev) WriteU32BE(OpenNoteAt(base, foundPrev) + kOpenNoteLink, next);
  else r.openNotes = next;
  return found;
}

// The length of a note from on to off; a note that went past the cycle's end and came back
// counts to the end of the range and on from its start.
uint32_t NoteDuration(uint32_t on, uint32_t off) {
  int64_t d = int64_t(off) - int64_t(on);
  if (off < on) {
    d = int64_t(gCycleStopPoint.tick) - int64_t(on);
    if (gCycleMode) d += int64_t(off) - int64_t(gCycleStartPoint.tick);
  }
  return d < 1 ? 1u : uint32_t(std::min<int64_t>(d, 0xFFFFFFFF));
}

void FillNote(uint8_t* e, uint32_t tick, uint8_t channel, uint8_t key, uint8_t velocity, uint8_t release,
              uint16_t duration) {
  FillLongEvent(e, tick, uint8_t(kKindNote | channel), key, velocity, duration);
  e[kEventData3] = release;
}

struct HeldNoteSearch {
  uint32_t tick;
  uint8_t status, key;
  bool closed;
};

// Ends a note that a cycle merge left held in the track recorded last (a kind-0x70 record
// with the note layout); the latest one of the key and channel.
int32_t CloseHeldNoteInTrack(void* arg) {
  auto* s = static_cast<HeldNoteSearch*>(arg);
  if (!gCurrentTrack) return 0;
  Handle list(ReadU32BE(gCurrentTrack + kTrackEventList));
  uint8_t* base = reinterpret_cast<uint8_t*>(*list);
  if (!base) return 0;
  uint32_t size = uint32_t(GetHandleSize(list)), at = 0;
  uint8_t* held = nullptr;
  while (at < size) {
    uint32_t length = SeqEventLengthWithin(base + at, size - at);
    if (length == 0) break;
    uint8_t* e = base + at;
    if (e[kEventStatus] == s->status && e[kEventData1] == s->key) held = e;
    at += length;
  }
  if (!held) return 0;
  uint32_t start = SeqEventTime(held);
  int64_t d = int64_t(s->tick) - int64_t(start);
  if (start > s->tick)
    d = int64_t(GetNoteDuration(held)) + int64_t(s->tick) - int64_t(gCycleStartPoint.tick);
  if (d < 1 || d > int64_t(kMaxNoteDuration)) return 0;
  held[kEventStatus] = uint8_t(kKindNote | (s->status & 0x0F));
  held[kEventKindMarker] = kLongMarker;
  SetNoteDuration(held, uint16_t(d));
  s->closed = true;
  return 0;
}

bool CloseHeldNote(RealtimeProcessor* p, uint32_t tick, uint8_t channel, uint8_t key) {
  RecordBuffer& r = p->record;
  if (!gCycleMode || r.closeTrack == 0 || r.closeCount == 0) return false;
  HeldNoteSearch s{tick, uint8_t(kKindHeldNote | channel), key, false};
  ForEachTrackNumberIn(r.closeTrack - 1, 1, CloseHeldNoteInTrack, &s);
  if (s.closed) --r.closeCount;
  return s.closed;
}

bool IsNoteOn(const RingMessage& m) {
  return (m.status & 0xF0) == 0x90 && m.data2 != 0 && m.data2 != kOneDataByte;
}

// Note pairing of a note-on or note-off written at e (14 bytes); answers the bytes the
// event takes (0 when a note-off was used up by its note-on). A note-off finds its note even
// when the buffer is full (room false): it takes no bytes then, a note too long for its
// duration field keeps the longest duration and an unpaired note-off is dropped.
uint32_t PairNote(RealtimeProcessor* p, uint8_t* base, uint8_t* e, const RingMessage& m, uint8_t channel, bool room) {
  RecordBuffer& r = p->record;
  bool on = IsNoteOn(m);
  uint8_t key = m.data1 & 0x7F;
  if (on) {
    std::memset(e, 0, kLongEventSize);
    SetSeqEventTime(e, m.tick);
    e[kEventStatus] = uint8_t(kKindOpenNote | channel);
    WriteU32BE(e + kOpenNoteLink, r.openNotes);
    e[kOpenNoteKey] = key;
    e[kOpenNoteVelocity] = m.data2 & 0x7F;
    r.openNotes = uint32_t(e - base) + 1;
    return kLongEventSize;
  }
  uint8_t release = (m.status & 0xF0) == 0x80 && m.data2 != kOneDataByte ? m.data2 & 0x7F : 0;
  uint32_t link = TakeOpenNote(r, base, channel, key);
  if (!link) {
    if (CloseHeldNote(p, m.tick, channel, key)) return 0;
    if (!room) {
      MarkFull(p);
      return 0;
    }
    FillLongEvent(e, m.tick, uint8_t(0x80 | channel), key, release, 1);
    return kLongEventSize;
  }
  uint8_t* open = OpenNoteAt(base, link);
  uint32_t onTick = SeqEventTime(open);
  uint32_t duration = NoteDuration(onTick, m.tick);
  bool split = duration > kMaxNoteDuration;
  if (split && !room) {
    MarkFull(p);
    FillNote(open, onTick, channel, key, open[kOpenNoteVelocity], release, uint16_t(kMaxNoteDuration));
    return 0;
  }
  FillNote(open, onTick, channel, key, open[kOpenNoteVelocity], release, split ? 0 : uint16_t(duration));
  if (!split) return 0;
  FillNote(e, m.tick, channel, key, 0, release, 1);
  return kLongEventSize;
}

}  // namespace

OSErr PrepareRecordBuffer(RealtimeProcessor* p, uint32_t bytes) {
  RecordBuffer& r = p->record;
  r.active.store(0, std::memory_order_release);
  if (bytes == 0) {
    if (r.events) DisposeHandle(r.events);
    r.events = Handle();
    ResetRecordBuffer(p);
    r.end = 0;
    return noErr;
  }
  Handle h = NewHandleClear(Size(bytes));
  if (!h) return memFullErr;
  if (r.events) DisposeHandle(r.events);
  r.events = h;
  ResetRecordBuffer(p);
  r.end = bytes;
  r.active.store(1, std::memory_order_release);
  return noErr;
}

void ResetRecordBuffer(RealtimeProcessor* p) {
  RecordBuffer& r = p->record;
  r.write = r.start = r.recordedLength = r.openNotes = 0;
  r.rescan = 0;
  r.closeTrack = r.closeCount = 0;
  r.openSysEx = kNoSysExBlock;
  r.parse = MidiParseState{};
  // Blocks queued for an earlier pass are dropped whole.
  SysExPiece piece;
  uint32_t queued = r.sysexQueued.load(std::memory_order_acquire);
  while (r.sysexTaken != queued) {
    if (!p->sysexBlocks.TryPop(&piece)) break;
    if (piece.last) ++r.sysexTaken;
  }
}

uint8_t* RecordBufferBytes(RealtimeProcessor* p) {
  return reinterpret_cast<uint8_t*>(*p->record.events);
}

int32_t WriteRecordedMessage(RealtimeProcessor* p, const RingMessage& m, bool pairNotes, uint8_t flags,
                             uint8_t outputChannel) {
  RecordBuffer& r = p->record;
  if (gMidiInputFlags & kRecordWaitFirstEvent) {
    gMidiInputFlags &= uint16_t(~kRecordWaitFirstEvent);
    gRecordStartTick.store(m.tick - 1, std::memory_order_release);
  }
  uint8_t kind = m.status & 0xF0, channel = m.status & 0x0F;
  if ((flags & kProcessorRechannel) && outputChannel < 16) channel = outputChannel;
  bool note = kind == 0x80 || kind == 0x90;
  // A note-off may need a further note record (a note too long for its duration field).
  uint32_t need = note ? kLongEventSize : kShortEventSize;
  bool room = HasRoom(r, need);
  // A note-off still ends its note in a full buffer, so that what was recorded before it is
  // not held back for ever behind an open note.
  bool pairOff = note && pairNotes && !IsNoteOn(m) && r.events && r.write <= r.end;
  if (!room && !pairOff) {
    MarkFull(p);
    return 0;
  }
  r.busy.store(1, std::memory_order_release);
  uint8_t* base = RecordBufferBytes(p);
  uint8_t* e = base + r.write;
  uint32_t length = need;
  if (!note) {
    bool oneByte = kind == 0xC0 || kind == 0xD0;
    uint8_t data2 = oneByte ? uint8_t(0x80 | (m.data2 == kOneDataByte ? 0 : m.data2)) : m.data2;
    FillShortEvent(e, m.tick, uint8_t(kind | channel), m.data1, data2);
  } else if (pairNotes) {
    length = PairNote(p, base, e, m, channel, room);
  } else {
    FillNote(e, m.tick, channel, m.data1, kind == 0x90 ? m.data2 : 0, kind == 0x80 ? m.data2 : 0, 1);
  }
  r.write += length;
  r.recordedLength += length;
  gMidiInputFlags |= kRecordMadeEvent;
  r.busy.store(0, std::memory_order_release);
  return r.write < r.end ? 1 : 0;
}

int32_t RecordInputMessage(RealtimeProcessor* p, const RingMessage& m, bool pairNotes) {
  gMidiInputFlags &= uint16_t(~kRecordMadeEvent);
  if (m.status < 0x80) return 1;
  if (m.status == 0xF2) {
    TakeSongPositionPointer(m.data1, m.data2);
    return 1;
  }
  if (m.status == 0xFD) {
    DispatchRemoteAction(m);
    return 1;
  }
  if (m.status >= 0xF0 || !(gMidiInputFlags & RecordClassBit(m.status, m.data1))) return 1;
  const ProcessorState* s = StateOf(p);
  return WriteRecordedMessage(p, m, pairNotes, s->flags, s->outputChannel);
}

void TakeSongPositionPointer(uint8_t low, uint8_t high) {
  uint16_t position = uint16_t((low & 0x7F) | ((high & 0x7F) << 7));
  gTransportClock.songPositionPointer = position;
  gTransportClock.receivedSongPosition = position;
  gTransportClock.midiClockGroup = 12;
}
