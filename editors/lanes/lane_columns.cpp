#include "editors/lanes/lane_columns.h"

#include <algorithm>

#include "editors/lanes/lane_scale.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

LaneColumns gLaneColumns;

namespace {

constexpr uint64_t kNeverMatchingPosition = 0x00000000FFFFFFFFull;

int32_t DesktopWidth() { return std::max<int32_t>(gDesktopBounds.right - gDesktopBounds.left, 0); }

int32_t CurrentTrackNumber() { return gCurrentTrack ? TrackEntryView(gCurrentTrack).Number() : -1; }

// Column of an x, held in 0..count.
int32_t EndColumnOf(int64_t x, bool* atRight) {
  int64_t end = x - gTimelineFrame.originX;
  if (end >= gLaneColumns.count) {
    if (atRight) *atRight = true;
    return gLaneColumns.count;
  }
  return int32_t(std::max<int64_t>(end, 0));
}

int32_t FillTo(int32_t value, int32_t first, int32_t end, uint8_t channel) {
  LaneColumns& c = gLaneColumns;
  if (!c.target) return end;
  first = std::max(first, 0);
  for (int32_t i = first; i < end; ++i) c.target[i] = value;
  if (c.target == c.values.data())
    for (int32_t i = first; i < end; ++i) c.channels[size_t(i)] = channel;
  return std::max(end, first);
}

bool ColumnStateMatches(int32_t kind) {
  const LaneColumns& c = gLaneColumns;
  return c.leftSample == gTimelineLeftSample && c.zoom == gZoomLevel && c.leftTick == gTimelineLeftTick &&
         c.kind == kind && c.pane == gCurrentPaneIndex && c.track == CurrentTrackNumber() &&
         c.controller == gLaneController && c.count == DesktopWidth();
}

}  // namespace

void SizeLaneColumns() {
  LaneColumns& c = gLaneColumns;
  int32_t width = DesktopWidth();
  if (c.count == width && int32_t(c.values.size()) == width) return;
  bool targetValues = c.target == c.values.data() || !c.target;
  bool targetReference = c.target && c.target == c.reference.data();
  c.values.assign(size_t(width), kNoLaneValue);
  c.reference.assign(size_t(width), kNoLaneValue);
  c.channels.assign(size_t(width), 0);
  c.count = width;
  if (targetValues) c.target = c.values.data();
  else if (targetReference) c.target = c.reference.data();
  c.leftSample = kNeverMatchingPosition;
}

int32_t LaneColumnIndex(int32_t x) { return std::max(x - int32_t(gTimelineFrame.originX), 0); }

int32_t LaneColumnValue(const int32_t* columns, int32_t index) {
  if (!columns || index < 0 || index >= gLaneColumns.count) return kNoLaneValue;
  return columns[index];
}

int32_t GetLaneMappingRange(int32_t kind) {
  if (kind == kLanePluginParameter && gLaneScale.scaleRange >= 1.0f && gLaneScale.scaleRange < 1.0e9f)
    return int32_t(gLaneScale.scaleRange);
  return GetLaneRange(kind);
}

int32_t GetLaneValueLimit(int32_t kind) {
  int32_t range = GetLaneMappingRange(kind);
  return kind == kLanePluginParameter ? range + 1 : range;
}

int32_t FillColumnsToTick(int32_t value, int32_t first, int32_t tick, uint8_t channel, bool* atRight) {
  int32_t end = tick >= kLaneRightEdgeTick ? gLaneColumns.count
                                           : EndColumnOf(TimeToX(tick, gLaneScale.laneLeftTick), atRight);
  if (tick >= kLaneRightEdgeTick && atRight) *atRight = true;
  return FillTo(value, first, end, channel);
}

int32_t FillColumnsToSample(int32_t value, int32_t first, uint64_t position, uint8_t channel, bool* atRight) {
  return FillTo(value, first, EndColumnOf(SamplePositionToX(position, gTimelineLeftSample), atRight), channel);
}

int32_t FillColumnsToEnd(int32_t value, int32_t first, uint8_t channel) {
  bool atRight = false;
  return FillColumnsToTick(value, first, kLaneRightEdgeTick, channel, &atRight);
}

OSErr BuildLaneColumns(int32_t kind) {
  if (!gLaneColumns.target || gLaneColumns.count <= 0) return noErr;
  switch (kind) {
    case kLanePitchBend:
    case kLaneController:
    case kLaneChannelPressure:
    case kLaneProgram:
    case kLanePolyPressure: BuildEventLaneColumns(kind); break;
    case kLaneVelocity: BuildVelocityLaneColumns(); break;
    case kLaneTempo:
    case kLaneMasterVolume: BuildConductorLaneColumns(kind); break;
    case kLaneVolumeAutomation:
    case kLanePanAutomation:
    case kLaneControllerAutomation:
    case kLaneControllerAutomation2:
    case kLanePluginParameter: BuildPointLaneColumns(kind); break;
    default: FillColumnsToEnd(GetLaneValueLimit(kind), 0, 0); break;
  }
  return noErr;
}

void RecordLaneColumnState(int32_t kind) {
  LaneColumns& c = gLaneColumns;
  c.leftSample = gTimelineLeftSample;
  c.zoom = gZoomLevel;
  c.leftTick = gTimelineLeftTick;
  c.kind = kind;
  c.pane = gCurrentPaneIndex;
  c.track = CurrentTrackNumber();
  c.controller = gLaneController;
}

void EnsureLaneColumnsCurrent() {
  int32_t kind = GetCurrentLaneKind();
  SizeLaneColumns();
  if (ColumnStateMatches(kind)) return;
  ComputeLaneScale(kind);
  gLaneColumns.target = gLaneColumns.values.data();
  BuildLaneColumns(kind);
  RecordLaneColumnState(kind);
}

void ResetLaneDragState() { gLaneColumns.leftSample = kNeverMatchingPosition; }

void BuildBendReferenceColumns() {
  LaneColumns& c = gLaneColumns;
  SizeLaneColumns();
  if (c.count <= 0) return;
  int32_t* saved = c.target;
  int32_t savedLeft = gLaneScale.laneLeftTick;
  gLaneScale.laneLeftTick = gTimelineLeftTick;
  c.target = c.reference.data();
  BuildEventLaneColumns(kLanePitchBend);
  c.target = saved;
  gLaneScale.laneLeftTick = savedLeft;
}
