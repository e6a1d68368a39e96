#include "editors/views/show_event_in_lane.h"

#include <algorithm>

#include "editing/event_cursor.h"
#include "editing/event_filters.h"
#include "editors/lanes/lane_controllers.h"
#include "editors/panes/timeline_scrolling.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/views/view_modes.h"
#include "platform/memory/byte_order.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/track_view_modes.h"
#include "song/conductor/conductor_map.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"

namespace {

constexpr int16_t kAudioViewMode = 9;
constexpr int16_t kDrumViewMode = 1;
constexpr int16_t kWideDrumViewMode = 16;
constexpr int16_t kFirstNonLaneMode = 8;
constexpr uint8_t kNoteCommand = 0x90;

void ScrollEditorToBar(uint32_t tick) {
  bool hasBars = gCurrentSong && SongHeaderView(gCurrentSong).Bars() > 0;
  gTimelineLeftTick = hasBars ? std::max<int32_t>(BarToTick(TickToBar(int32_t(tick))), 1) : 1;
  UpdateEditorScrollBar();
}

// The lane that shows the event's command; the current lane for any other command.
int16_t LaneForEvent(const uint8_t* event) {
  switch (SeqEventKind(event)) {
    case kKindPitchBend: return kLanePitchBend;
    case kKindController:
      SelectLaneController(event[kEventData1]);
      return kLaneController;
    case kKindChannelPressure: return kLaneChannelPressure;
    case kKindProgram: return kLaneProgram;
    case kKindPolyPressure:
      gFilterPolyKey = event[kEventData1];
      return kLanePolyPressure;
    default: return GetLaneViewIndex();
  }
}

// The note, drum or audio view a track with this content takes.
int16_t ContentViewMode() {
  if (!gCurrentTrack) return kAudioViewMode;
  TrackEntryView track(gCurrentTrack);
  if (!track.EventList()) return kAudioViewMode;
  if (!ReadU32BE(gCurrentTrack + kTrackDrumData)) return 0;
  return gCurrentTrack[kTrackViewMode] == kWideDrumViewMode ? kWideDrumViewMode : kDrumViewMode;
}

}  // namespace

void ShowEventInLane(uint8_t* event, uint32_t tick, int16_t mode) {
  ScrollEditorToBar(tick);
  if (event) SetCurrentEvent(event);
  bool switched = true;
  if (event && SeqEventKind(event) > kNoteCommand && mode != kAudioViewMode) {
    int16_t viewMode = int16_t(LaneForEvent(event) + kLaneViewModeOffset);
    SetEditorViewMode(viewMode >= kFirstNonLaneMode ? 0 : viewMode);
  } else if (gCurrentViewMode < 2 && mode != kAudioViewMode) {
    if (mode >= 0) RememberTrackViewMode(uint8_t(mode), true);
    switched = false;
  } else {
    SetEditorViewMode(mode == kAudioViewMode ? kAudioViewMode : ContentViewMode());
  }
  if (switched) RememberTrackViewMode(uint8_t(gCurrentViewMode), true);
  BringWindowOfKindToFront(kMainEditorWindowKind);
  InvalidateEditorAndLanes();
}
