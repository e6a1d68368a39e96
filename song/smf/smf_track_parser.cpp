#include "song/smf/smf_track_parser.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/events/data_events.h"
#include "song/events/edit_buffers.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/smf/smf_meta_events.h"
#include "song/smf/smf_reader.h"

namespace {

constexpr int32_t kNoteSlots = 16 * 128;
constexpr int32_t kNone = -1;
constexpr uint8_t kDefaultReleaseVelocity = 64;

// Notes waiting for their note-off, first in first out per channel and key. The first
// waiting note of a key sits in its slot; further ones (rare) wait in a pool behind it.
struct PendingNotes {
  struct Note {
    uint32_t offset;  // of the note record in the buffer, + 1 (0: none)
    uint32_t tick;
    int32_t next;     // pool index of the next waiting note, or kNone
  };
  Note slots[kNoteSlots];
  int32_t tails[kNoteSlots];  // pool index of the last waiting note, kNone: the slot's
  std::vector<Note> pool;
  int32_t freeList = kNone;

  PendingNotes() {
    for (int32_t i = 0; i < kNoteSlots; ++i) {
      slots[i] = {0, 0, kNone};
      tails[i] = kNone;
    }
  }
  void Push(int32_t slot, uint32_t offset, uint32_t tick) {
    Note& first = slots[slot];
    if (first.offset == 0) {
      first = {offset + 1, tick, kNone};
      return;
    }
    int32_t e;
    if (freeList != kNone) {
      e = freeList;
      freeList = pool[size_t(e)].next;
      pool[size_t(e)] = {offset + 1, tick, kNone};
    } else {
      e = int32_t(pool.size());
      pool.push_back({offset + 1, tick, kNone});
    }
    if (tails[slot] == kNone) first.next = e;
    else pool[size_t(tails[slot])].next = e;
    tails[slot] = e;
  }
  bool Pop(int32_t slot, uint32_t* offset, uint32_t* tick) {
    Note& first = slots[slot];
    if (first.offset == 0) return false;
    *offset = first.offset - 1;
    *tick = first.tick;
    int32_t e = first.next;
    if (e == kNone) {
      first.offset = 0;
      return true;
    }
    first = pool[size_t(e)];
    if (first.next == kNone) tails[slot] = kNone;
    pool[size_t(e)].next = freeList;
    freeList = e;
    return true;
  }
};

// The message assembler and the writer of the chunk's records.
struct TrackParser {
  EditBuffer buffer;
  OSErr error = noErr;
  uint32_t tick = 1;
  uint32_t lastTick = 1;
  uint32_t lastNoteEnd = 0;
  // Assembler state (as for live input).
  uint8_t runningStatus = 0;
  uint8_t data[2] = {0, 0};
  uint8_t have = 0;
  bool collecting = false;
  std::vector<uint8_t> sysex;
  PendingNotes pending;
  uint16_t channelMask = 0;
  SmfTrackInfo* info = nullptr;

  // Room for n more bytes below the limit; false (error set) when the buffer cannot grow.
  bool Room(uint32_t n) {
    if (error != noErr) return false;
    if (buffer.cursor + n < buffer.limit) return true;
    error = GrowEditBuffer(&buffer, n + 1);
    return error == noErr;
  }

  // The record's words are put together in registers and stored whole; the buffer's bytes
  // are written last, as a store through a byte pointer may change any field of this record.
  // {time, flags 0, status, key, velocity}, {release, 0, 0, marker}, duration 0 until the
  // note-off.
  void NoteOn(uint8_t status, uint8_t key, uint8_t velocity) {
    if (!Room(kLongEventSize)) return;
    uint8_t* e = buffer.cursor;
    buffer.cursor = e + kLongEventSize;
    pending.Push((status & 0x0F) * 128 + key, uint32_t(e - buffer.base), tick);
    ++info->noteCount;
    uint64_t head = RecordHead(tick, status, key, velocity);
    WriteU64BE(e, head);
    WriteU32BE(e + kEventData3, (uint32_t(kDefaultReleaseVelocity) << 24) | kLongMarker);
    WriteU16BE(e + kEventDuration, 0);
  }

  // The first eight bytes of a record: time, flags 0, status and two data bytes.
  static uint64_t RecordHead(uint32_t time, uint8_t status, uint8_t d1, uint8_t d2) {
    return (uint64_t(time) << 32) | (uint32_t(status) << 16) | (uint32_t(d1) << 8) | d2;
  }

  void CloseNote(uint8_t* e, uint32_t start, uint32_t endTick, uint8_t release) {
    uint32_t duration = endTick > start ? endTick - start : 1;
    if (duration > kSmfMaxNoteDuration) duration = kSmfMaxNoteDuration;
    if (start + duration > lastNoteEnd) lastNoteEnd = start + duration;
    e[kEventData3] = release;
    e[kEventDuration] = uint8_t(duration >> 8);
    e[kEventDuration + 1] = uint8_t(duration);
  }

  void NoteOff(uint8_t channel, uint8_t key, uint8_t release) {
    uint32_t offset = 0;
    uint32_t start = 0;
    if (pending.Pop(channel * 128 + key, &offset, &start))
      CloseNote(buffer.base + offset, start, tick, release);
  }

  void ShortEvent(uint8_t status, uint8_t d1, uint8_t d2) {
    if (!Room(kShortEventSize)) return;
    uint8_t* e = buffer.cursor;
    buffer.cursor = e + kShortEventSize;
    WriteU64BE(e, RecordHead(tick, status, d1, d2));
  }

  void ChannelMessage(uint8_t status, uint8_t d1, uint8_t d2) {
    uint8_t kind = status & 0xF0;
    channelMask |= uint16_t(1u << (status & 0x0F));
    lastTick = tick;  // ticks never go back within a chunk
    switch (kind) {
      case 0x90:
        if (d2 != 0) NoteOn(status, d1, d2);
        else NoteOff(status & 0x0F, d1, kDefaultReleaseVelocity);
        break;
      case 0x80:
        NoteOff(status & 0x0F, d1, d2);
        break;
      case 0xC0:
      case 0xD0:
        ShortEvent(status, d1, 0);
        break;
      default:
        ShortEvent(status, d1, d2);
        break;
    }
  }

  void SysExComplete() {
    // The record holds the bytes after the F0.
    uint32_t n = uint32_t(sysex.size()) - 1;
    if (n > kMaxDataEventCount || !Room(DataEventSize(n))) return;
    FillDataEvent(buffer.cursor, tick, sysex.data() + 1, n);
    buffer.cursor += DataEventSize(n);
    lastTick = tick;
  }

  static uint8_t DataBytesOf(uint8_t status) { return (status & 0xE0) == 0xC0 ? 1 : 2; }

  // One byte as the live input parser takes it; true when it completed a message.
  bool FeedByte(uint8_t b) {
    if (b >= 0xF8) return false;  // real-time bytes pass through everything
    if (collecting) {
      if (b < 0x80) {
        sysex.push_back(b);
        return false;
      }
      collecting = false;
      if (b == 0xF7) {
        sysex.push_back(b);
        SysExComplete();
        return true;
      }
      // Any other status byte drops the message being collected and is taken as itself.
    }
    if (b == 0xF0) {
      collecting = true;
      sysex.assign(1, b);
      runningStatus = 0;
      return false;
    }
    if (b >= 0xF0) {  // system common: clears running status, carries nothing we keep
      runningStatus = 0;
      return false;
    }
    if (b >= 0x80) {
      runningStatus = b;
      have = 0;
      return false;
    }
    if (runningStatus == 0) return false;
    data[have++] = b;
    if (have < DataBytesOf(runningStatus)) return false;
    have = 0;
    ChannelMessage(runningStatus, data[0], data[1]);
    return true;
  }

  // A well-formed channel message at p (status byte or running status) without the
  // assembler; returns the bytes taken, or 0 when the message needs the assembler.
  uint32_t DirectChannelMessage(const uint8_t* p, const uint8_t* end) {
    if (collecting || have != 0) return 0;
    // A status byte or running status, chosen without a branch: files switch between the two
    // all the time.
    bool hasStatus = p[0] >= 0x80;
    uint8_t status = hasStatus ? p[0] : runningStatus;
    const uint8_t* d = p + (hasStatus ? 1 : 0);
    if (status >= 0xF0 || status == 0) return 0;
    uint8_t count = DataBytesOf(status);
    if (end - d < count || d[0] >= 0x80 || (count == 2 && d[1] >= 0x80)) return 0;
    runningStatus = status;
    ChannelMessage(status, d[0], count == 2 ? d[1] : 0);
    return uint32_t(d + count - p);
  }

  // Ends every note still held at endTick, flagged as held.
  void CloseHeldNotes(uint32_t endTick) {
    for (int32_t slot = 0; slot < kNoteSlots; ++slot) {
      uint32_t offset = 0;
      uint32_t start = 0;
      while (pending.Pop(slot, &offset, &start)) {
        uint8_t* e = buffer.base + offset;
        CloseNote(e, start, endTick, kDefaultReleaseVelocity);
        e[kEventFlags] = kSmfHeldNoteFlags;
      }
    }
  }
};

// A variable-length count behind *p, cut at the chunk end; false when it runs past the end.
bool ReadCount(const uint8_t** p, const uint8_t* end, uint32_t* count) {
  if (!ReadVariableLengthNumber(p, end, count)) return false;
  uint32_t left = uint32_t(end - *p);
  if (*count > left) *count = left;
  return true;
}

// The parse loop proper; the end-of-track event's tick goes to *endOfTrack.
void ParseEvents(TrackParser* parser, const uint8_t* p, const uint8_t* end,
                 const SmfTrackOptions* options, uint32_t* endOfTrack) {
  uint64_t time = 0;
  const SmfTiming* timing = options->timing;
  // Times up to scaledLimit take the multiplication; later ones SmfTimeToTick, which caps.
  // (-1 when no time takes it; time 0 takes it only when its tick needs no cap.)
  int64_t scaledLimit = timing->scale && timing->offset < kSmfMaxTick - 1
                            ? int64_t((kSmfMaxTick - 1 - timing->offset) / timing->scale)
                            : -1;
  const uint32_t scale = timing->scale;  // held here: stores to the list may alias *timing
  const uint32_t firstTick = 1 + timing->offset;
  while (p < end && parser->error == noErr) {
    uint32_t delta = 0;
    if (*p < 0x80) {
      delta = *p++;
    } else if (!ReadVariableLengthNumber(&p, end, &delta)) {
      break;
    }
    if (p >= end) break;
    time += delta;
    // Whole multiples (the common case) without a division, and without asking whether the
    // delta was 0 (the same tick comes out again); other times only when they change.
    if (int64_t(time) <= scaledLimit) parser->tick = uint32_t(time * scale) + firstTick;
    else if (delta != 0) parser->tick = SmfTimeToTick(timing, time);
    uint8_t b = *p;
    if (b == 0xFF) {
      if (end - p < 2) break;
      uint8_t type = p[1];
      p += 2;
      uint32_t length = 0;
      if (!ReadCount(&p, end, &length)) break;
      bool last = HandleSmfMetaEvent(type, p, length, parser->tick, options, parser->info);
      p += length;
      if (last) {
        *endOfTrack = parser->tick;
        break;
      }
      continue;
    }
    if (b == 0xF0 || b == 0xF7) {
      ++p;
      uint32_t length = 0;
      if (!ReadCount(&p, end, &length)) break;
      if (b == 0xF0) parser->FeedByte(0xF0);
      for (uint32_t i = 0; i < length; ++i) parser->FeedByte(p[i]);
      p += length;
      continue;
    }
    if (b > 0xF0) {
      // Not a file event: skip to the next note or poly-pressure status and resume there.
      while (p < end && !(*p >= 0x80 && *p <= 0xA0)) ++p;
      if (p >= end) break;
    }
    uint32_t taken = parser->DirectChannelMessage(p, end);
    if (taken) {
      p += taken;
      continue;
    }
    // Hand bytes to the assembler until it completes a message.
    while (p < end && !parser->FeedByte(*p++)) {
    }
  }
}

}  // namespace

void PrepareSmfTiming(SmfTiming* timing) {
  if (timing->division < 1) timing->division = 1;
  timing->scale = 0;
  if (!timing->smpte && timing->ticksPerQuarter % timing->division == 0)
    timing->scale = uint32_t(timing->ticksPerQuarter / timing->division);
}

uint32_t SmfTimeToTick(const SmfTiming* timing, uint64_t time) {
  uint64_t tick;
  if (timing->smpte) {
    double fps = timing->framesPerSecond == 29 ? 29.97 : double(timing->framesPerSecond);
    double seconds = double(time) / (fps * double(timing->ticksPerFrame));
    EnsureTempoTables();
    double subframes = seconds * SubframesPerSecondForRate(gSmpteRateCode);
    ConductorState state;
    int64_t t = SubframesToTickExact(subframes, &state, gCurrentSong);
    tick = t < 1 ? 1 : uint64_t(t);
  } else if (timing->scale != 0) {
    tick = time * timing->scale + 1;
  } else {
    uint64_t division = uint64_t(timing->division < 1 ? 1 : timing->division);
    uint64_t scaled = time * uint64_t(timing->ticksPerQuarter) + division / 2;
    tick = (scaled >> 32 ? scaled / division : uint32_t(scaled) / uint32_t(division)) + 1;
  }
  tick += timing->offset;
  return tick > kSmfMaxTick ? kSmfMaxTick : uint32_t(tick);
}

OSErr ParseSmfTrackBytes(const uint8_t* data, uint32_t length, const SmfTrackOptions* options,
                         SmfTrackInfo* info) {
  info->events = Handle();
  TrackParser parser;
  parser.info = info;
  parser.tick = SmfTimeToTick(options->timing, 0);
  parser.lastTick = parser.tick;
  // A note-on under running status takes 3 bytes of the file for 14 of the list, but its
  // note-off none, and other events less: three times the chunk holds most files, and the
  // buffer grows for the others.
  OSErr err = AllocateEditBufferBytes(&parser.buffer, length * 3 + 64);
  if (err != noErr) return err;
  OpenEditBuffer(&parser.buffer);
  uint32_t endOfTrack = 0;
  ParseEvents(&parser, data, data + length, options, &endOfTrack);
  if (parser.error != noErr) {
    ReleaseEditBuffer(&parser.buffer, false);
    return parser.error;
  }
  info->channelMask = parser.channelMask;
  uint32_t end = parser.lastTick;
  if (endOfTrack > end) end = endOfTrack;
  parser.CloseHeldNotes(end);
  if (parser.lastNoteEnd > end) end = parser.lastNoteEnd;
  info->endTick = end;
  bool failed = CloseEditBuffer(&parser.buffer) != 0;
  info->events = ReleaseEditBuffer(&parser.buffer, true);
  if (failed) {
    DisposeSmfTrackInfo(info);
    return memFullErr;
  }
  return noErr;
}

void DisposeSmfTrackInfo(SmfTrackInfo* info) {
  if (info->events) DisposeHandle(info->events);
  info->events = Handle();
}
