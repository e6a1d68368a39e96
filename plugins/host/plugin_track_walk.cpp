#include "plugins/host/plugin_track_walk.h"

#include <cmath>

#include "plugins/host/plugin_midi_lists.h"
#include "sequencer/clock/section_reader.h"
#include "sequencer/clock/tick_scheduler.h"
#include "song/events/seq_event.h"
#include "song/model/song_layout.h"

namespace {

constexpr int32_t kMaxChildStartsPerBlock = 64;
constexpr int32_t kMaxWrapsPerPiece = 4096;
constexpr double kTickEpsilon = 1e-9;

// The span a track plays now: the event time of its tick 1 and the ticks it loops over (0:
// it does not loop). A looping track plays its current section when it has sections, else its
// own length; either plays ticks 1 .. length - 1.
struct TrackSpanNow {
  uint32_t start = 1;
  double loop = 0.0;
};

Handle SectionsOf(const uint8_t* track) {
  return (track[kTrackFlags] & kTrackLoops) ? Handle(ReadU32BE(track + kTrackSectionList)) : Handle();
}

bool StaysInSection(const uint8_t* track) { return track[kTrackPlayMode] == kTrackPatternStays; }

TrackSpanNow SpanOf(const uint8_t* track, const TrackRenderCursor& c) {
  if (!(track[kTrackFlags] & kTrackLoops)) return {};
  Handle sections = SectionsOf(track);
  SectionSpan span;
  uint32_t length = ReadU32BE(track + kTrackTickLength);
  if (CountSections(sections) > 0 && GetSection(sections, c.section, &span)) {
    return {span.start, span.length > 1 ? double(span.length - 1) : 0.0};
  }
  return {1, length > 1 ? double(length - 1) : 0.0};
}

// The byte offset of the first event at or after time.
uint32_t OffsetOfTime(const uint8_t* list, uint32_t bytes, double time) {
  uint32_t at = 0;
  while (at < bytes) {
    uint32_t length = SeqEventLengthWithin(list + at, bytes - at);
    if (length == 0 || double(SeqEventTime(list + at)) >= time) break;
    at += length;
  }
  return at;
}

// At the end of a looping span: the next section (or the same one again), tick 1 and the
// cursor at the span's first event.
void WrapCursor(TrackRenderCursor& c, const uint8_t* track, const uint8_t* list, uint32_t bytes) {
  Handle sections = SectionsOf(track);
  if (CountSections(sections) > 0)
    c.section = AdvanceSectionIndex(sections, c.section, &c.sectionRepeats, StaysInSection(track));
  c.tick = 1.0;
  c.wrapped = 1;
  c.offset = OffsetOfTime(list, bytes, double(SpanOf(track, c).start));
}

RenderChild* ChildFor(PluginMidiState* state, Handle song) {
  RenderChild* free = nullptr;
  for (RenderChild& child : state->children) {
    if (child.active && child.song == song) return &child;
    if (!child.active && !free) free = &child;
  }
  return free;
}

}  // namespace

uint8_t* TrackEntryAt(uint8_t* song, int32_t index) {
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

uint8_t* TrackEventBytes(const uint8_t* track, uint32_t* bytes) {
  Handle list{ReadU32BE(track + kTrackEventList)};
  *bytes = ReadU32BE(track + kTrackEventBytes);
  return list ? reinterpret_cast<uint8_t*>(*list) : nullptr;
}

void PlaceTrackCursor(TrackRenderCursor* cursor, const uint8_t* track, double tick) {
  TrackRenderCursor& c = *cursor;
  c = TrackRenderCursor();
  uint32_t bytes = 0;
  uint8_t* list = track ? TrackEventBytes(track, &bytes) : nullptr;
  if (!list || (track[kTrackFlags] & kTrackFlagSilent)) {
    c.ended = 1;
    return;
  }
  double played = tick < 1.0 ? 0.0 : tick - 1.0;
  Handle sections = SectionsOf(track);
  if (CountSections(sections) > 0) {
    SectionPlace place = PlaceInSections(sections, uint32_t(played), StaysInSection(track));
    c.section = place.section;
    c.sectionRepeats = place.repeatsDone;
    c.tick = 1.0 + double(place.trackTick) + (played - std::floor(played));
  } else {
    TrackSpanNow span = SpanOf(track, c);
    c.tick = span.loop > 0.0 ? 1.0 + std::fmod(played, span.loop) : 1.0 + played;
  }
  c.offset = OffsetOfTime(list, bytes, double(SpanOf(track, c).start) - 1.0 + std::ceil(c.tick - kTickEpsilon));
}

void SeekTrackCursor(PluginMidiState* state, int32_t track, double tick) {
  if (track < 0 || track >= kMaxRenderTracks) return;
  uint8_t* song = SongBytes(state->song);
  PlaceTrackCursor(&state->cursors[track], song ? TrackEntryAt(song, track) : nullptr, tick);
}

void ResetTrackCursors(PluginMidiState* state, double tick) {
  for (int32_t i = 0; i < kMaxRenderTracks; ++i) SeekTrackCursor(state, i, tick);
  StopRenderChildren(state);
}

void PlayTrackInPiece(PluginMidiState* state, const uint8_t* track, TrackRenderCursor* cursor, double tickSpan,
                      float rate, double pieceStart, int32_t mode, int32_t noteLengthCap) {
  TrackRenderCursor& c = *cursor;
  uint32_t bytes = 0;
  uint8_t* list = TrackEventBytes(track, &bytes);
  double remaining = tickSpan;
  double at = pieceStart;
  for (int32_t wraps = 0; !c.ended && list && remaining > kTickEpsilon && wraps < kMaxWrapsPerPiece; ++wraps) {
    TrackSpanNow span = SpanOf(track, c);
    double end = 1.0 + span.loop;
    double ticks = span.loop > 0.0 && c.tick + remaining > end ? end - c.tick : remaining;
    if (ticks < 0.0) ticks = 0.0;
    double from = double(span.start) - 1.0 + c.tick;
    if (!QueueTrackEventsInSpan(state, track, &c, from, from + ticks, rate, at, mode, noteLengthCap) &&
        span.loop <= 0.0) {
      c.ended = 1;
      break;
    }
    if (state->freeList.numEvents == 0) {
      // The events the cursor stopped at stay for the next block; the track keeps in step
      // with the song, but a loop does not wrap before they went out.
      c.tick = span.loop > 0.0 && c.tick + remaining > end ? end : c.tick + remaining;
      break;
    }
    at += ticks * state->secondsPerTick * rate;
    remaining -= ticks;
    c.tick += ticks;
    if (span.loop > 0.0 && c.tick >= end - kTickEpsilon) WrapCursor(c, track, list, bytes);
  }
}

void StartRenderChild(PluginMidiState* state, const uint8_t* track, const uint8_t* reference, double exact) {
  uint32_t slot = ReadU16BE(reference + kEventChildIndex) / 4;
  if (slot >= track[kTrackChildCount] || state->childStarts >= kMaxChildStartsPerBlock) return;
  Handle song(ReadU32BE(track + kTrackChildTable + kChildCellSize * int32_t(slot)));
  uint8_t* bytes = SongBytes(song);
  if (!bytes || song == state->song) return;
  RenderChild* child = ChildFor(state, song);
  if (!child) return;
  ++state->childStarts;
  child->song = song;
  child->active = 1;
  child->remaining = double(GetEventLongDuration(reference));
  child->startAt = exact;
  int32_t count = ReadU16BE(bytes + kSongTrackCount);
  for (int32_t i = 0; i < kMaxChildTracks; ++i)
    PlaceTrackCursor(&child->cursors[i], i < count ? TrackEntryAt(bytes, i) : nullptr, 1.0);
}

void PlayChildrenInPiece(PluginMidiState* state, float rate, double pieceStart, double samples,
                         RenderTrackMode trackMode, int32_t noteLengthCap) {
  double samplesPerTick = state->secondsPerTick * rate;
  if (samplesPerTick <= 0.0) return;
  for (RenderChild& child : state->children) {
    if (!child.active) continue;
    double from = child.startAt >= pieceStart ? child.startAt : pieceStart;
    child.startAt = -1.0;
    double ticks = (pieceStart + samples - from) / samplesPerTick;
    if (ticks > child.remaining) ticks = child.remaining;
    uint8_t* song = SongBytes(child.song);
    int32_t count = song ? ReadU16BE(song + kSongTrackCount) : 0;
    for (int32_t i = 0; i < count && i < kMaxChildTracks && ticks > 0.0; ++i) {
      const uint8_t* track = TrackEntryAt(song, i);
      int32_t mode = track ? trackMode(track, state->ownerId) : -1;
      if (mode >= 0) PlayTrackInPiece(state, track, &child.cursors[i], ticks, rate, from, mode, noteLengthCap);
    }
    child.remaining -= ticks;
    if (child.remaining <= kTickEpsilon || !song) child.active = 0;
  }
}

void StopRenderChildren(PluginMidiState* state) {
  for (RenderChild& child : state->children) child.active = 0;
}
