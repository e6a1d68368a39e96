// The lane columns of the MIDI lanes (from the current track's events) and of the conductor
// lanes (tempo and master volume): each a step function of the source's values, the channel
// of the event behind each value kept beside it.
#include <algorithm>

#include "editing/event_filters.h"
#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_scale.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr uint8_t kLaneSkippedEvent = 0x02;  // flag bit of events the data lanes leave out
constexpr int32_t kBendCentreValue = 8192;

int32_t InitialValue(int32_t kind) { return kind == kLanePitchBend ? kBendCentreValue : kNoLaneValue; }

// The value an event gives the lane, or -1 when the lane does not show it.
int32_t EventLaneValue(int32_t kind, const uint8_t* e) {
  uint8_t command = SeqEventKind(e);
  bool skipped = (e[kEventFlags] & kLaneSkippedEvent) != 0;
  switch (kind) {
    case kLanePitchBend:
      return command == kKindPitchBend ? (e[kEventData1] & 127) | ((e[kEventData2] & 127) << 7) : -1;
    case kLaneController:
      return command == kKindController && !skipped && e[kEventData1] == gLaneController ? e[kEventData2] : -1;
    case kLaneChannelPressure: return command == kKindChannelPressure ? e[kEventData1] : -1;
    case kLaneProgram: return command == kKindProgram ? e[kEventData1] : -1;
    case kLanePolyPressure:
      return command == kKindPolyPressure && !skipped && e[kEventData1] == gFilterPolyKey ? e[kEventData2] : -1;
    default: return -1;
  }
}

}  // namespace

LaneTrackEvents GetLaneTrackEvents() {
  LaneTrackEvents events;
  Handle list = gCurrentTrack ? TrackEntryView(gCurrentTrack).EventList() : Handle();
  if (!list) return events;
  events.base = reinterpret_cast<const uint8_t*>(HandleData(list));
  events.size = events.base ? uint32_t(std::max<Size>(GetHandleSize(list), 0)) : 0;
  return events;
}

void BuildEventLaneColumns(int32_t kind) {
  int32_t value = InitialValue(kind), first = 0;
  uint8_t channel = gNoteEntryChannel;
  bool atRight = false;
  WalkLaneTrackEvents(GetLaneTrackEvents(), [&](const uint8_t* e) {
    int32_t next = EventLaneValue(kind, e);
    if (next < 0) return true;
    first = FillColumnsToTick(value, first, int32_t(SeqEventTime(e)), channel, &atRight);
    value = next;
    channel = EventChannel(e);
    return !atRight;
  });
  if (!atRight) FillColumnsToEnd(value, first, channel);
}

// Notes starting in one pixel column show the integer average of their velocities.
void BuildVelocityLaneColumns() {
  int32_t value = 0, first = 0, sum = 0, notes = 0, column = -1;
  uint8_t channel = gNoteEntryChannel;
  bool atRight = false;
  WalkLaneTrackEvents(GetLaneTrackEvents(), [&](const uint8_t* e) {
    if (SeqEventKind(e) != kKindNote) return true;
    int32_t tick = int32_t(SeqEventTime(e)), velocity = e[kEventData2] & 127;
    if (tick < gLaneScale.laneLeftTick) {  // before the view: only the last one carries
      value = velocity;
      channel = EventChannel(e);
      return true;
    }
    int32_t end = FillColumnsToTick(notes ? sum / notes : value, first, tick, channel, &atRight);
    if (atRight) return false;
    if (notes && end == column) {
      sum += velocity;
      ++notes;
      return true;
    }
    if (notes) value = sum / notes;
    first = end;
    column = end;
    sum = velocity;
    notes = 1;
    channel = EventChannel(e);
    return true;
  });
  if (!atRight) FillColumnsToEnd(notes ? sum / notes : value, first, channel);
}

void BuildConductorLaneColumns(int32_t kind) {
  uint8_t recordKind = kind == kLaneTempo ? kConductorTempo : kConductorMasterVolume;
  int32_t value = kNoLaneValue, first = 0;
  if (kind == kLaneTempo) {
    ConductorState state;
    LoadSongTempo(gCurrentSong, &state);
    value = int32_t(state.tempo & 0xFFFF);
  }
  bool atRight = false;
  for (const uint8_t* r = GetConductorMap(); ConductorKind(r) != kConductorEnd; r += kConductorRecordSize) {
    if (ConductorKind(r) != recordKind) continue;
    first = FillColumnsToTick(value, first, ConductorTick(r), gNoteEntryChannel, &atRight);
    if (atRight) return;
    value = ConductorValue(r);
  }
  FillColumnsToEnd(value, first, gNoteEntryChannel);
}
