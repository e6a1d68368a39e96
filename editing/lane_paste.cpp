#include "editing/lane_paste.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editing/clipboard_copy.h"
#include "editing/edit_context.h"
#include "editing/event_clipboard.h"
#include "editing/event_cursor.h"
#include "editing/event_filters.h"
#include "editors/lanes/lane_scale.h"
#include "editing/paste_events.h"
#include "editing/paste_options.h"
#include "editing/time_range_clear.h"
#include "editors/automation/automation_points.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/memory.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/conductor/sample_position.h"
#include "song/events/event_filter_slots.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"

namespace {

constexpr uint32_t kLastPasteTick = 0x7ffffffe;

uint16_t SongResolution(Handle song) {
  if (!song || !IsValidHandle(song)) return 0;
  return ReadU16BE(HandleData(song) + kSongResolution);
}

// A tempo record's value on the lane scale, rescaled to the destination's resolution.
int32_t TempoLaneValue(int32_t tempo) {
  uint16_t from = SongResolution(gClipboardPart2), to = gCurrentSong ? ReadU16BE(gCurrentSong + kSongResolution) : 0;
  int64_t t = tempo;
  if (from > 0 && to > 0) t = t * from / to;
  return int32_t(std::min<int64_t>(t * 16384 / GetLaneRange(kLaneTempo), 16384));
}

OSErr PasteConductorRecord(const uint8_t* record, int32_t d, bool fromList) {
  ConductorRecordView r(const_cast<uint8_t*>(record));
  int32_t tick = r.Tick() + d;
  if (fromList) {
    if (!(gPasteOptions & kPasteAllConductor) && !(r.Flags() & kConductorSelected)) return noErr;
    std::vector<uint8_t> copy(record, record + kConductorRecordSize);
    return InsertConductorRecordAt(copy.data(), tick);
  }
  uint8_t lane = GetClipboardRecord()[kClipboardConductorLane];
  if (lane != 0 && lane != r.Kind()) return noErr;
  uint16_t value = ReadU16BE(record + kConductorValueOffset);
  if (r.Kind() == kConductorTempo) return WriteLaneValue(CurrentLaneIndex(), uint32_t(tick), TempoLaneValue(value));
  if (r.Kind() == kConductorMasterVolume) return WriteLaneValue(CurrentLaneIndex(), uint32_t(tick), value * 128);
  return noErr;
}

OSErr PasteConductorRange(uint32_t sourceStart, uint32_t sourceEnd, int32_t d) {
  uint8_t* header = GetClipboardRecord();
  bool fromList = header[kClipboardContext] == kContextConductorList && gEditContextKind != kContextEditorLane;
  std::vector<uint8_t> map;
  if (gPasteSourceEvents && IsValidHandle(gPasteSourceEvents)) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(gPasteSourceEvents));
    map.assign(p, p + GetHandleSize(gPasteSourceEvents));
  }
  OSErr first = noErr;
  for (size_t at = 0; at + kConductorRecordSize <= map.size(); at += kConductorRecordSize) {
    ConductorRecordView r(&map[at]);
    if (r.Kind() == kConductorEnd || r.Tick() >= int32_t(sourceEnd)) break;
    if (r.Tick() < int32_t(sourceStart)) continue;
    OSErr err = PasteConductorRecord(&map[at], d, fromList);
    if (first == noErr) first = err;
  }
  RefreshMarkers(1);
  return first;
}

// The lane value an event gives (-1: none).
int32_t EventLaneValue(const uint8_t* e) {
  switch (SeqEventKind(e)) {
    case kKindNote:
    case kKindController:
    case kKindPolyPressure:
      return e[kEventData2] * 128;
    case kKindPitchBend:
      return e[kEventData1] + 128 * e[kEventData2];
    case kKindChannelPressure:
    case kKindProgram:
      return e[kEventData1] * 128;
    default:
      return -1;
  }
}

OSErr PasteEventsIntoLane(uint32_t sourceStart, uint32_t sourceEnd, int32_t d) {
  if (!gPasteSourceEvents || !IsValidHandle(gPasteSourceEvents)) return noErr;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(gPasteSourceEvents));
  std::vector<uint8_t> list(p, p + GetHandleSize(gPasteSourceEvents));
  uint32_t left = uint32_t(list.size()), lastTime = 0;
  OSErr first = noErr;
  for (const uint8_t* e = list.data(); left > 0;) {
    uint32_t length = SeqEventLengthWithin(e, left);
    if (length == 0 || SeqEventTime(e) >= sourceEnd) break;
    uint32_t t = SeqEventTime(e);
    if (t >= sourceStart && t != lastTime) {
      lastTime = t;
      int32_t value = EventLaneValue(e);
      OSErr err = value < 0 ? OSErr(noErr) : WriteLaneValue(CurrentLaneIndex(), uint32_t(int64_t(t) + d), value);
      if (first == noErr) first = err;
    }
    e += length;
    left -= length;
  }
  return first;
}

// The points of the clipboard's sample range (a part of it when the copy is cut short),
// rescaled from the source rack's rate to the lane rack's and put at the paste point;
// plug-in parameter points take the lane's parameter.
OSErr PasteRackPoints(const EventClipboardView& clip, uint32_t sourceStart, uint32_t sourceEnd, uint32_t start) {
  Handle source = GetClipboardSlotRack(clip.SourceSlot());
  Handle from = GetRackAutomationList(source);
  Handle rack = from ? GetLaneRackHandle() : Handle();
  if (!rack) return noErr;
  double fromRate = GetRackSampleRate(source), toRate = GetRackSampleRate(rack);
  uint64_t first = ConvertPositionRate(clip.StartSample(), clip.StartRate(), fromRate);
  uint64_t last = ConvertPositionRate(clip.EndSample(), clip.EndRate(), fromRate);
  uint32_t ticks = clip.EndTick() - clip.StartTick();
  if (last > first && sourceEnd - sourceStart < ticks)
    last = first + uint64_t(double(last - first) * (sourceEnd - sourceStart) / ticks);
  double at = double(TickToSamplePosition(int32_t(start), float(toRate)));
  // The points are read from a copy: inserting may move the blocks.
  const uint8_t* p0 = reinterpret_cast<const uint8_t*>(HandleData(from));
  std::vector<uint8_t> points(p0, p0 + GetHandleSize(from));
  int32_t count = PointListEndIndex(from);
  OSErr err = noErr;
  for (int32_t i = 0; i < count && err == noErr; ++i) {
    AutomationPoint p;
    std::memcpy(p.bytes, &points[size_t(i) * kAutomationRecordSize], kAutomationRecordSize);
    if (p.Time() < first || p.Time() >= last) continue;
    p.SetTime(uint32_t(std::min<double>(at + double(p.Time() - first) * toRate / fromRate, kLastPointTime)));
    if (p.Kind() == kAutomationParameter) p.SetTarget(int16_t(gLaneController));
    err = InsertAutomationPoint(AutomationListRef{rack}, p, kReplaceSamePoint);
  }
  RefreshAutomationPlayback(rack);
  return err;
}

}  // namespace

int32_t CurrentLaneIndex() { return gCurrentLaneNumber - 1; }

OSErr PasteLaneOrConductor(uint32_t sourceStart, uint32_t sourceEnd, bool replace) {
  uint8_t* header = GetClipboardRecord();
  if (!header) return noErr;
  uint32_t start = gTimeSelection.start.tick;
  int32_t d = int32_t(int64_t(start) - int64_t(sourceStart));
  TimeSelection kept = gTimeSelection;
  SetTimeRange(start, uint32_t(std::min<uint64_t>(uint64_t(start) + (sourceEnd - sourceStart), kLastPasteTick)));
  UpdateEventFilters();
  if (replace) ClearLaneRange(0);
  bool conductor = header[kClipboardKind] == kClipboardKindConductor;
  EventClipboardView clip(header);
  OSErr err = conductor                ? PasteConductorRange(sourceStart, sourceEnd, d)
              : clip.SourceSlot() >= 1 ? PasteRackPoints(clip, sourceStart, sourceEnd, start)
                                       : PasteEventsIntoLane(sourceStart, sourceEnd, d);
  gTimeSelection = kept;
  SortTrackEvents();
  ComputeTrackEnd();
  return err;
}

namespace {

// A plug-in parameter point of the lane's parameter at the tick's sample position, the value
// scaled to 0..1.
OSErr WriteParameterPoint(uint32_t tick, int32_t value) {
  Handle rack = GetLaneRackHandle();
  if (!rack) return memFullErr;
  AutomationPoint p;
  p.SetTime(uint32_t(std::min<int64_t>(TickToSamplePosition(int32_t(tick), GetRackSampleRate(rack)), kLastPointTime)));
  p.SetKind(kAutomationParameter);
  p.SetPluginIndex(kPanePluginIndex);
  p.SetTarget(int16_t(gLaneController));
  p.SetValue(float(value) / float(kLaneFullScale - 1));
  OSErr err = InsertAutomationPoint(AutomationListRef{rack}, p, kReplaceSamePoint);
  RefreshAutomationPlayback(rack);
  return err;
}

}  // namespace

OSErr WriteLaneValue(int32_t lane, uint32_t tick, int32_t value) {
  value = std::clamp(value, 0, 16383);
  uint8_t high = uint8_t(value >> 7);
  switch (lane) {
    case kLanePitchBend:
      return AppendChannelEvent(gEventChannel, tick, kKindPitchBend, uint8_t(value & 127), high);
    case kLaneController:
      return AppendChannelEvent(gEventChannel, tick, kKindController, uint8_t(gLaneController & 127), high);
    case kLaneChannelPressure:
      return AppendChannelEvent(gEventChannel, tick, kKindChannelPressure, high, 0);
    case kLaneProgram:
      return AppendChannelEvent(gEventChannel, tick, kKindProgram, high, 0);
    case kLanePolyPressure:
      return AppendChannelEvent(gEventChannel, tick, kKindPolyPressure, gFilterPolyKey, high);
    case kLaneTempo:
      return SetTempoAt(std::clamp((value * GetLaneRange(kLaneTempo) + 8192) / 16384, 120, 4500), int32_t(tick));
    case kLaneMasterVolume:
      return SetMasterVolumeAt(high, int32_t(tick));
    case kLanePluginParameter:
      return WriteParameterPoint(tick, value);
    default:
      return noErr;
  }
}
