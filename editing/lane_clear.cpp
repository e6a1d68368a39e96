// The clears of the editor's data lanes and panes: the lane deletes by filter, the velocity
// lane's reset, the conductor lanes and the automation lanes.
#include <cstring>

#include "editing/edit_context.h"
#include "editing/event_cursor.h"
#include "editing/event_filters.h"
#include "editing/time_range_clear.h"
#include "editors/automation/automation_points.h"
#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "platform/memory/memory.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_edits.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/instruments/instrument_table.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr uint8_t kVelocityLaneReset = 64;
constexpr int16_t kTempoViewMode = 8;
constexpr int16_t kMasterVolumeViewMode = 15;

uint32_t PointMaskForLane(int32_t lane) {
  switch (lane) {
    case kLaneVolumeAutomation: return 0x2;
    case kLanePanAutomation: return 0x4;
    case kLaneControllerAutomation: return 0x20000010;
    case kLaneControllerAutomation2: return 0x20000020;
    case kLanePluginParameter:
      return (GetCurrentKeyModifiers() & optionKey) ? 0x40000008 : 0x60000008;
    default: return 0;
  }
}

uint8_t* ListEnd(Handle list) {
  return reinterpret_cast<uint8_t*>(HandleData(list)) + GetHandleSize(list);
}

// The conductor records of the time selection: gConductorRange holds inclusive ends.
void SetConductorRangeToSelection() {
  gConductorRange[0] = int32_t(gTimeSelection.start.tick);
  gConductorRange[1] = int32_t(gTimeSelection.end.tick) - 1;
}

void DeleteTempoLane() {
  SetConductorRangeToSelection();
  DeleteTempoChangesInRange();
  RefreshMarkers(0);
}

void DeleteMasterVolumeLane() {
  SetConductorRangeToSelection();
  DeleteConductorRecordsInRange(kConductorMasterVolume);
}

void CutAutomationLane(int32_t lane, int32_t shift) {
  Handle list = GetReferencedPointList(GetFocusedAutomationListRef());
  if (!list) return;
  CutPointListRange(list, gTimeSelection.start.sample, gTimeSelection.end.sample, shift != 0,
                    PointMaskForLane(lane), kPanePluginIndex);
}

void ClearLaneByIndex(int32_t lane, int32_t shift) {
  uint32_t s = gTimeSelection.start.tick;
  uint32_t e = gTimeSelection.end.tick;
  switch (lane) {
    case kLanePitchBend: DeletePitchBendInRange(s, e); break;
    case kLaneController: DeleteLaneControllerInRange(s, e); break;
    case kLaneVelocity: SetVelocityInRange(s, e, kVelocityLaneReset); break;
    case kLaneChannelPressure: DeleteChannelPressureInRange(s, e); break;
    case kLaneProgram: DeleteProgramChangesInRange(s, e); break;
    case kLanePolyPressure: DeletePolyPressureInRange(s, e); break;
    case kLaneTempo: DeleteTempoLane(); break;
    case kLaneMasterVolume: DeleteMasterVolumeLane(); break;
    default:
      if (lane >= kFirstAutomationLane) CutAutomationLane(lane, shift);
      break;
  }
}

}  // namespace

void DeleteMatchingEventsInRange(uint32_t start, uint32_t end, EventFilterProc filter) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return;
  uint8_t* listEnd = ListEnd(list);
  SetCurrentEvent(SeekEventList(reinterpret_cast<uint8_t*>(HandleData(list)), int32_t(start)));
  gEventWriteCursor = gCurrentEvent;
  while (gCurrentEvent < listEnd && SeqEventTime(gCurrentEvent) != 0 && SeqEventTime(gCurrentEvent) < end) {
    uint32_t length = SeqEventLengthWithin(gCurrentEvent, uint32_t(listEnd - gCurrentEvent));
    if (length == 0) break;
    SplitCursorEvent();
    if (RunEventFilter(filter)) {
      gRemovedEventBytes += length;
    } else {
      if (gEventWriteCursor != gCurrentEvent) std::memmove(gEventWriteCursor, gCurrentEvent, length);
      gEventWriteCursor += length;
    }
    gCurrentEvent += length;
  }
  if (gRemovedEventBytes == 0) return;
  std::memmove(gEventWriteCursor, gCurrentEvent, size_t(listEnd - gCurrentEvent));
  ShrinkCurrentTrackEvents(gRemovedEventBytes);
  gRemovedEventBytes = 0;
  SetSongModified();
}

void DeletePitchBendInRange(uint32_t start, uint32_t end) {
  DeleteMatchingEventsInRange(start, end, PitchBendFilter);
}
void DeleteChannelPressureInRange(uint32_t start, uint32_t end) {
  DeleteMatchingEventsInRange(start, end, ChannelPressureFilter);
}
void DeleteProgramChangesInRange(uint32_t start, uint32_t end) {
  DeleteMatchingEventsInRange(start, end, ProgramChangeFilter);
}
void DeleteLaneControllerInRange(uint32_t start, uint32_t end) {
  DeleteMatchingEventsInRange(start, end, LaneControllerFilter);
}
void DeletePolyPressureInRange(uint32_t start, uint32_t end) {
  DeleteMatchingEventsInRange(start, end, PolyPressureKeyFilter);
}

void SetVelocityInRange(uint32_t start, uint32_t end, int32_t velocity) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return;
  uint8_t v = uint8_t(velocity < 0 ? 0 : velocity > 127 ? 127 : velocity);
  uint8_t* listEnd = ListEnd(list);
  uint8_t* e = SeekEventList(reinterpret_cast<uint8_t*>(HandleData(list)), int32_t(start));
  while (e < listEnd && SeqEventTime(e) != 0 && SeqEventTime(e) < end) {
    uint32_t length = SeqEventLengthWithin(e, uint32_t(listEnd - e));
    if (length == 0) break;
    if (SeqEventKind(e) == kKindNote) e[kEventData2] = v;
    e += length;
  }
  SetSongModified();
}

void ClearLaneRange(int32_t shift) {
  if (gEditContextKind == kContextConductorList) {
    DeleteSelectedConductorRecords();
  } else {
    ClearLaneByIndex(gCurrentViewMode - kLaneViewModeOffset, shift);
  }
  SetSongModified();
}

void ClearPaneRange(ClearRequest* request) {
  int32_t shift = request ? request->shift : 0;
  int32_t lane = gCurrentViewMode - kLaneViewModeOffset;
  if (gCurrentPaneSlot > 0 && gCurrentViewMode != kMasterVolumeViewMode && lane >= kFirstAutomationLane &&
      GetReferencedPointList(GetFocusedAutomationListRef())) {
    ClearLaneRange(shift);
    RefreshAutomationPlayback(GetFocusedAutomationListRef().rack);
  } else if (gCurrentViewMode == kTempoViewMode) {
    DeleteTempoLane();
  } else if (gCurrentViewMode == kMasterVolumeViewMode) {
    DeleteMasterVolumeLane();
  } else {
    // Interim: a drum view's clear over the whole track would drop the drum map's notes too;
    // the drum map keeps no notes of its own yet.
    ClearTrackRange(request);
  }
  SetSongModified();
}
