// The per-piece routine of plug-in instruments: the events of the tracks that play the state's
// device, read through each track's render cursor and placed at their samples.
#include <cmath>

#include "audio/engine/engine_channels.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/plugin_midi_lists.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_record.h"
#include "song/model/song_layout.h"

namespace {

constexpr uint8_t kTrackNoDeviceUse = 0x10;
constexpr uint8_t kTrackLoopFlag = 0x40;
constexpr int32_t kNoCap = 0x7FFFFFFF;

uint8_t* TrackAt(uint8_t* song, int32_t index) {
  int32_t count = ReadU16BE(song + kSongTrackCount);
  if (index < 0 || index >= count) return nullptr;
  uint8_t* e = song + kSongHeaderSize;
  for (int32_t i = 0; i < index; ++i) {
    uint16_t length = ReadU16BE(e + kTrackLength);
    if (length < kTrackEntrySize) return nullptr;
    e += length;
  }
  return e;
}

bool PlaysDevice(const uint8_t* track, uint32_t device) {
  return track[kTrackType] == kDeviceKindPlugin && track[kTrackMidiOutput] == device &&
         !(track[kTrackFlags] & kTrackNoDeviceUse) && (track[kTrackFlags] & kTrackFlagAudible);
}

// The track's event list and its size in bytes (null when it has none).
uint8_t* TrackEvents(const uint8_t* track, uint32_t* bytes) {
  Handle list{ReadU32BE(track + kTrackEventList)};
  *bytes = ReadU32BE(track + kTrackEventBytes);
  return list ? reinterpret_cast<uint8_t*>(*list) : nullptr;
}

// The track's loop length in ticks (0: it does not loop): ticks 1 .. length - 1 repeat.
double LoopLength(const uint8_t* track) {
  uint32_t length = ReadU32BE(track + kTrackTickLength);
  return (track[kTrackFlags] & kTrackLoopFlag) && length > 1 ? double(length - 1) : 0.0;
}

double WrapTick(double tick, double loop) {
  if (loop <= 0.0 || tick < 1.0 + loop) return tick;
  return 1.0 + std::fmod(tick - 1.0, loop);
}


uint32_t PlayTime(const uint8_t* track, uint32_t time) {
  int16_t grid = int16_t(ReadU16BE(track + kTrackPlayGrid));
  if (grid <= 1) return time;
  return ((time + grid / 2 - 1) / grid) * grid + 1;
}

uint8_t AdjustNoteForTrack(const uint8_t* track, uint8_t note) {
  int32_t n = note + int16_t(ReadU16BE(track + kTrackTranspose));
  while (n < 0) n += 12;
  while (n > 127) n -= 12;
  return uint8_t(n);
}

uint8_t AdjustVelocity(const uint8_t* track, uint8_t velocity) {
  if (velocity > 127) return 127;
  int32_t v = velocity + int16_t(ReadU16BE(track + kTrackVelocityOffset));
  return uint8_t(v < 0 ? 0 : v > 127 ? 127 : v);
}

// A note-on with its length in samples; its note-off is added at once when it ends in the
// block, else it stays pending until the block it ends in.
void QueueNote(PluginMidiState* state, uint8_t* song, const uint8_t* track, const uint8_t* e, double exact,
               uint8_t status, double tick, float rate, int32_t cap) {
  int32_t offset = BlockOffset(state, exact);
  uint8_t note = AdjustNoteForTrack(track, e[kEventData1]);
  uint8_t velocity = e[kEventData2];
  if (velocity == 0) {
    QueueBlockEvent(state, offset, status, note, 0);
    return;
  }
  uint8_t release = e[kEventData3] <= 127 && e[kEventData3] ? e[kEventData3] : 64;
  if (e[kEventData2] > 127) release = 64;
  int32_t duration = GetNoteDuration(e);
  if (duration > cap) duration = cap;
  PluginMidiEvent* on = QueueBlockEvent(state, offset, status, note, AdjustVelocity(track, velocity));
  if (!on) return;
  on->noteOffVelocity = char(release);
  double samples = duration > 0 ? TicksAsSamples(song, tick, duration, rate) : 0.0;
  QueueNoteOffAfter(state, on, exact, samples);
}

void QueueTrackEvent(PluginMidiState* state, uint8_t* song, const uint8_t* track, const uint8_t* e, double exact,
                     double tick, float rate, int32_t cap) {
  uint8_t status = EventStatus(e);
  uint8_t channel = track[kTrackDeviceChannel1];
  if (channel < 16) status = uint8_t((status & 0xF0) | channel);
  if ((status & 0xF0) == 0x90) {
    QueueNote(state, song, track, e, exact, status, tick, rate, cap);
    return;
  }
  uint8_t data2 = e[kEventData2] > 127 ? 0 : e[kEventData2];
  QueueBlockEvent(state, BlockOffset(state, exact), status, e[kEventData1], data2);
}

}  // namespace

void SeekTrackCursor(PluginMidiState* state, int32_t track, double tick) {
  if (track < 0 || track >= kMaxRenderTracks) return;
  TrackRenderCursor& c = state->cursors[track];
  c = TrackRenderCursor();
  uint8_t* song = SongBytes(state->song);
  const uint8_t* entry = song ? TrackAt(song, track) : nullptr;
  uint32_t bytes = 0;
  uint8_t* list = entry ? TrackEvents(entry, &bytes) : nullptr;
  if (!list) {
    c.ended = 1;
    return;
  }
  c.tick = WrapTick(tick, LoopLength(entry));
  uint32_t at = 0;
  while (at < bytes) {
    uint32_t length = SeqEventLengthWithin(list + at, bytes - at);
    if (length == 0 || SeqEventTime(list + at) >= uint32_t(std::ceil(c.tick))) break;
    at += length;
  }
  c.offset = at;
}

void ResetTrackCursors(PluginMidiState* state, double tick) {
  for (int32_t i = 0; i < kMaxRenderTracks; ++i) SeekTrackCursor(state, i, tick);
}

bool QueueTrackEventsInSpan(PluginMidiState* state, uint8_t* song, int32_t track, double startTick, double endTick,
                            float rate, double pieceStart, int32_t mode, int32_t noteLengthCap) {
  TrackRenderCursor& c = state->cursors[track];
  const uint8_t* entry = TrackAt(song, track);
  uint32_t bytes = 0;
  uint8_t* list = entry ? TrackEvents(entry, &bytes) : nullptr;
  if (!list) return false;
  while (c.offset < bytes && state->freeList.numEvents > 0) {
    uint8_t* e = list + c.offset;
    uint32_t length = SeqEventLengthWithin(e, bytes - c.offset);
    if (length == 0) return false;  // the end record (or a damaged list): the track ends
    uint32_t time = SeqEventTime(e);
    if (double(time) >= endTick) break;
    uint8_t kind = SeqEventKind(e);
    if (mode == 2 && kind >= 0x90 && kind <= 0xE0 && double(time) >= startTick) {
      uint32_t played = PlayTime(entry, time);
      double exact = pieceStart + (double(played) - startTick) * state->secondsPerTick * rate;
      QueueTrackEvent(state, song, entry, e, exact, double(played), rate, noteLengthCap);
    }
    c.offset += length;
  }
  return true;
}

void QueuePluginMidiEvent(PluginMidiState* state, float rate, double tickSpan, double pieceStart, double,
                          uint8_t) {
  uint8_t* song = SongBytes(state->song);
  if (state->noEvents || !song) return;
  int32_t count = ReadU16BE(song + kSongTrackCount);
  for (int32_t i = 0; i < count && i < kMaxRenderTracks; ++i) {
    const uint8_t* entry = TrackAt(song, i);
    TrackRenderCursor& c = state->cursors[i];
    if (!entry || c.ended || !PlaysDevice(entry, state->ownerId)) continue;
    double loop = LoopLength(entry);
    double start = c.tick;
    double remaining = tickSpan;
    double at = pieceStart;
    // A looping track's window wraps at its end: the rest plays from tick 1 again.
    while (remaining > 0.0) {
      double span = loop > 0.0 && start + remaining > 1.0 + loop ? 1.0 + loop - start : remaining;
      if (!QueueTrackEventsInSpan(state, song, i, start, start + span, rate, at, 2, kNoCap) && loop <= 0.0) {
        c.ended = 1;
        break;
      }
      at += span * state->secondsPerTick * rate;
      remaining -= span;
      start += span;
      if (loop > 0.0 && start >= 1.0 + loop) {
        start = 1.0;
        c.offset = 0;
      }
    }
    c.tick = start;
  }
}
