#include "editors/selection/time_selection_drag.h"

#include <algorithm>

#include "editors/timeline/click_state.h"
#include "editors/timeline/timeline_axis.h"
#include "song/conductor/conductor_map.h"
#include "song/events/time_selection.h"
#include "song/model/track_selection.h"

namespace {

// Beats snap below this zoom when a label covers a single bar.
constexpr int16_t kBeatSnapZoomLimit = 7;

bool SnapsToBeats() { return !gBarLabelHit && BarsPerLabel(gZoomLevel) <= 1 && gZoomLevel < kBeatSnapZoomLimit; }

int32_t BeatStart(int32_t tick, int32_t* tickInBeat) {
  int32_t bar = 0, beat = 0;
  TickToBarBeatTick(tick, &bar, &beat, tickInBeat);
  return tick - *tickInBeat;
}

int32_t LabelStep() { return gBarLabelHit ? std::max<int32_t>(1, BarsPerLabel(gZoomLevel)) : 1; }

int32_t CountSelectedTracks() {
  int32_t n = 0;
  for (int32_t slot = 0; slot < 48; ++slot) n += IsTrackSlotSelected(slot);
  return n;
}

}  // namespace

int32_t SnapSelectionStart(int32_t tick) {
  if (!gClickInRuler) return tick;
  tick = std::max<int32_t>(tick, 1);
  int32_t inBeat = 0;
  if (SnapsToBeats()) return BeatStart(tick, &inBeat);
  int32_t step = LabelStep();
  return BarToTick(TickToBar(tick) / step * step);
}

int32_t SnapSelectionEnd(int32_t tick) {
  if (!gClickInRuler) return tick;
  tick = std::max<int32_t>(tick, 1);
  int32_t inBeat = 0;
  if (SnapsToBeats()) {
    int32_t start = BeatStart(tick, &inBeat);
    return inBeat == 0 ? tick : start + std::max<int32_t>(1, gConductorState.ticksPerBeat);
  }
  int32_t step = LabelStep();
  if (step <= 1) return BarToTick(TickToBarRoundedUp(tick));
  int32_t bar = TickToBar(tick) + 1;
  return BarToTick((bar + step - 1) / step * step);
}

void SetSelectionFromDrag(int32_t a, int32_t b, bool extend) {
  int32_t start = SnapSelectionStart(std::min(a, b));
  int32_t end = extend && b >= a ? b : SnapSelectionEnd(std::max(a, b));
  SetTimeRange(uint32_t(std::max<int32_t>(start, 1)), uint32_t(std::max<int32_t>(end, 1)));
}

int32_t ClickTimeSelection(int32_t tick, bool extend) {
  tick = std::max<int32_t>(tick, 1);
  if (!extend) {
    SetTimeRange(uint32_t(SnapSelectionStart(tick)), uint32_t(SnapSelectionEnd(tick)));
    return tick;
  }
  uint32_t start = gTimeSelection.start.tick, end = gTimeSelection.end.tick;
  bool inside = uint32_t(tick) >= start && uint32_t(tick) < end;
  uint32_t pivot = inside ? start + (end - start) / 2 : end;
  if (uint32_t(tick) > pivot)
    end = uint32_t(SnapSelectionEnd(tick));
  else
    start = uint32_t(SnapSelectionStart(tick));
  SetTimeRange(std::min(start, end), std::max(start, end));
  return tick;
}

int16_t BeginEditorSelection(int32_t tick, int16_t pitch, bool extend, bool noteOrDrumView) {
  ClickTimeSelection(tick, extend);
  if (!noteOrDrumView || gPointerMode != kPitchRangePointerMode || gClickInRuler) return 1;
  uint8_t p = uint8_t(std::clamp<int16_t>(pitch, 0, 127));
  if (!extend) {
    if (CountSelectedTracks() != 1) return 0;
    gFilterLowNote = gFilterHighNote = p;
  } else {
    gFilterLowNote = std::min(gFilterLowNote, p);
    gFilterHighNote = std::max(gFilterHighNote, p);
  }
  return 1;
}
