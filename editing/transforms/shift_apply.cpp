#include "editing/transforms/shift_apply.h"

#include <algorithm>

#include "audio/regions/region_track_edits.h"
#include "editing/event_cursor.h"
#include "editing/nudge_amount.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/transform_menu.h"
#include "shell/base/modifier_keys.h"
#include "editors/automation/automation_points.h"
#include "editors/automation/point_list_edits.h"
#include "editors/automation/rack_focus.h"
#include "editors/timeline/timeline_axis.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_edits.h"
#include "song/conductor/sample_position.h"
#include "song/events/event_filter_slots.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_iterators.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

int32_t gLastShiftAmount = 0;
uint32_t gShiftAnchorTick = 0;

namespace {

constexpr int16_t kTempoView = 8;
constexpr int16_t kMasterVolumeView = 15;
constexpr int32_t kMaxTick = 0x7ffffffe;

uint32_t MovedTick(uint32_t tick, int64_t amount) {
  return uint32_t(std::clamp<int64_t>(int64_t(tick) + amount, 1, kMaxTick));
}

// The track's audio moves with its events: the material of the selection goes amount later
// (or earlier), over what lay there; the rest of the track stays where it is.
void ShiftTrackAudio(int32_t amount) {
  if (amount == 0 || !CurrentTrackAudio()) return;
  uint32_t start = gTimeSelection.start.tick, end = gTimeSelection.end.tick;
  if (amount > 0) {
    uint32_t d = uint32_t(amount);
    if (InsertSilenceAtTicks(start, MovedTick(start, d)) == noErr)
      SetRegionRangeAtTicks(MovedTick(end, d), MovedTick(end, 2 * int64_t(d)), true, false);
    return;
  }
  uint32_t from = MovedTick(start, amount);
  uint32_t d = start - from;
  if (d == 0 || SetRegionRangeAtTicks(from, start, true, false) != noErr) return;
  InsertSilenceAtTicks(end - d, end);
}

void ShiftTrackEvents(int32_t amount) {
  if (!GetCurrentTrackEventList() || BeginTrackEdit() != noErr) return;
  uint32_t end = gTimeSelection.end.tick;
  uint32_t largestEnd = 0;
  bool moved = false;
  for (TargetCurrentTrack(); gCurrentEvent; NextEvent()) {
    uint32_t tick = SplitCursorEvent();
    if (tick == 0 || tick >= end) break;
    if (!CopyFilterTakesEvent()) continue;
    uint32_t newTick = MovedTick(tick, amount);
    if (gShiftAnchorTick == 0) gShiftAnchorTick = newTick;
    InitCurrentEventHeader(newTick);
    uint32_t length = SeqEventKind(gCurrentEvent) == kKindNote ? GetNoteDuration(gCurrentEvent) : 0;
    largestEnd = std::max(largestEnd, newTick + length);
    moved = true;
  }
  if (moved) {
    SortTrackEvents();
    UpdateTrackEnd(largestEnd);
  }
  EndTrackEdit();
}

int32_t ShiftTrack(void* context) {
  const auto* request = static_cast<const ShiftRequest*>(context);
  ShiftTrackAudio(request->ticks);
  ShiftTrackEvents(request->ticks);
  return 0;
}

// The focused plug-in's points of the selection (in samples).
void ShiftFocusedAutomation(const ShiftRequest& request) {
  Handle list = GetReferencedPointList(GetFocusedAutomationListRef());
  if (!list) return;
  int64_t delta = request.samples != 0 ? request.samples
                                       : TickToSamplePosition(int32_t(MovedTick(gTimeSelection.start.tick, request.ticks)),
                                                              GetTimelineSampleRate()) -
                                             TickToSamplePosition(int32_t(gTimeSelection.start.tick), GetTimelineSampleRate());
  ShiftPointsFrom(list, gTimeSelection.start.sample, gTimeSelection.end.sample, delta, kPointMaskPlugin,
                  kPanePluginIndex);
}

int32_t RunShift(void* context) {
  const auto* request = static_cast<const ShiftRequest*>(context);
  SetCurrentUndoKind(kUndoKindShift);
  if (request->automation) ShiftFocusedAutomation(*request);
  else ForEachSelectedTrackWithData(ShiftTrack, context);
  ShiftTimeSelection(request->ticks, request->samples);
  return 0;
}

bool IsAudioZoom() { return gZoomLevel >= -5 && gZoomLevel <= -1; }

}  // namespace

int64_t NudgeSamplesAtZoom(int32_t pixels) {
  if (!IsAudioZoom()) return 0;
  return int64_t(pixels) << (gZoomLevel + 5);
}

void ShiftTimeSelection(int32_t ticks, int64_t samples) {
  TimePosition start = gTimeSelection.start, end = gTimeSelection.end;
  if (samples != 0) {
    int64_t a = std::max<int64_t>(0, int64_t(start.sample) + samples);
    int64_t b = std::max<int64_t>(0, int64_t(end.sample) + samples);
    SetTimeRangeFromSamples(uint64_t(a), uint64_t(b), start.rate > 0 ? start.rate : GetTimelineSampleRate());
    return;
  }
  SetTimeRange(MovedTick(start.tick, ticks), MovedTick(end.tick, ticks));
}

int32_t ApplyShift(const ShiftRequest& request) {
  ShiftRequest r = request;
  if (r.samples != 0) {
    float rate = GetTimelineSampleRate();
    int64_t target = std::max<int64_t>(0, int64_t(gTimeSelection.start.sample) + r.samples);
    r.ticks = int32_t(int64_t(SamplePositionToTick(target, rate)) - int64_t(gTimeSelection.start.tick));
  }
  gShiftAnchorTick = 0;
  int32_t ran = RunUndoableEdit(RunShift, &r);
  if (!ran) return 0;
  SetSongModified();
  RedrawAll(0);
  return 1;
}

void NudgeSelectionWith(int32_t direction, bool option) {
  direction = direction < 0 ? -1 : 1;
  uint32_t start = gTimeSelection.start.tick, end = gTimeSelection.end.tick;
  if (option) {
    if (direction < 0 && start <= 1) return;
    if (gZoomLevel < 0) ShiftTimeSelection(0, direction * int64_t(gTimeSelection.end.sample - gTimeSelection.start.sample));
    else ShiftTimeSelection(direction * int32_t(std::min<uint32_t>(end - start, kMaxTick)), 0);
    RedrawAll(0);
    return;
  }
  ShiftRequest request;
  request.ticks = direction * GetNudgeAmount();
  if (IsAudioZoom()) request.samples = direction * NudgeSamplesAtZoom(1);
  if (HasTimeSelection()) {
    if (gCurrentViewMode == kTempoView || gCurrentViewMode == kMasterVolumeView) {
      MoveConductorRecordsInSelection(request.ticks, gCurrentViewMode);
      SetSongModified();
    } else {
      ApplyShift(request);
    }
  } else if (request.ticks != 0 || request.samples != 0) {
    ShiftTimeSelection(request.ticks, request.samples);
  }
  RedrawAll(0);
}

void NudgeSelection(int32_t direction) { NudgeSelectionWith(direction, IsOptionModifierDown()); }
