#include "editors/lanes/lane_writeback.h"

#include <cstring>

#include "editing/event_filters.h"
#include "editing/time_range_clear.h"
#include "editors/lanes/lane_automation_writers.h"
#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_scale.h"
#include "editors/note_drawing/bent_notes.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_lock_state.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/events/event_lists.h"
#include "song/events/event_seek.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

constexpr int32_t kMasterVolumeStart = 0x7fff;
constexpr uint8_t kNoSecondByte = 128;  // program and channel pressure carry no second byte

// The command and the deleting filter of the MIDI lanes that write events (null: none).
struct LaneEventRule {
  uint8_t command = 0;
  EventFilterProc filter = nullptr;
};

bool GetLaneEventRule(int32_t kind, LaneEventRule* rule) {
  switch (kind) {
    case kLanePitchBend: *rule = {kKindPitchBend, PitchBendFilter}; return true;
    case kLaneController: *rule = {kKindController, LaneControllerFilter}; return true;
    case kLaneChannelPressure: *rule = {kKindChannelPressure, ChannelPressureFilter}; return true;
    case kLaneProgram: *rule = {kKindProgram, ProgramChangeFilter}; return true;
    case kLanePolyPressure: *rule = {kKindPolyPressure, PolyPressureKeyFilter}; return true;
    default: return false;
  }
}

int32_t ColumnValueAt(int32_t x) {
  int32_t i = LaneColumnIndex(x);
  if (i < 0 || size_t(i) >= gLaneColumns.values.size()) return kNoLaneValue;
  return gLaneColumns.values[size_t(i)];
}

uint8_t ColumnChannelAt(int32_t x) {
  int32_t i = LaneColumnIndex(x);
  if (i < 0 || size_t(i) >= gLaneColumns.channels.size()) return 0;
  return gLaneColumns.channels[size_t(i)] & 0x0F;
}

// A value the lane can write: at most R (R itself stands for R - 1, negatives for 0).
bool IsWritableValue(int32_t v, int32_t range) { return v <= range && v != kNoLaneValue; }
int32_t WrittenValue(int32_t v, int32_t range) { return v >= range ? range - 1 : v < 0 ? 0 : v; }

// Calls proc (x, value) for each column of left..right - 1 that starts a new value; the value
// before the first column is `previous`.
template <typename Proc>
void ForEachChangedColumn(int16_t left, int16_t right, int32_t range, int32_t previous, Proc proc) {
  for (int32_t x = left; x < right; ++x) {
    int32_t v = ColumnValueAt(x);
    if (v == previous) continue;
    previous = v;
    if (IsWritableValue(v, range)) proc(x, WrittenValue(v, range));
  }
}

void FillLaneEvent(uint8_t* e, int32_t kind, uint8_t command, int32_t x, int32_t v) {
  SetSeqEventTime(e, uint32_t(XToTime(x)));
  e[kEventStatus] = uint8_t(command | ColumnChannelAt(x));
  switch (kind) {
    case kLanePitchBend: e[kEventData1] = uint8_t(v & 127); e[kEventData2] = uint8_t((v >> 7) & 127); break;
    case kLaneController: e[kEventData1] = uint8_t(gLaneController & 127); e[kEventData2] = uint8_t(v); break;
    case kLanePolyPressure: e[kEventData1] = gFilterPolyKey; e[kEventData2] = uint8_t(v); break;
    default: e[kEventData1] = uint8_t(v); e[kEventData2] = kNoSecondByte; break;
  }
}

OSErr ReportFailure(OSErr err) {
  if (err != noErr) ReportError(err);
  return err;
}

// The conductor map's store alerts a memory failure itself; any other failure is reported here.
OSErr ReportConductorFailure(OSErr err) { return err == memFullErr ? err : ReportFailure(err); }

// --- conductor lanes --------------------------------------------------------------------

struct ConductorLaneRange {
  int16_t left = 0, right = 0;
  int32_t t0 = 0, t1 = 0;
};

ConductorLaneRange ConductorRangeOf(const Rect& span) {
  ConductorLaneRange r{span.left, span.right, XToTime(span.left), XToTime(span.right)};
  gConductorRange[0] = r.t0;
  gConductorRange[1] = r.t1 - 1;
  return r;
}

OSErr WriteTempoLane(const Rect& span) {
  ConductorLaneRange r = ConductorRangeOf(span);
  GetConductorStateAt(r.t0);
  int32_t inForce = int32_t(gConductorState.tempo & 0xFFFF);
  ConductorLockState lock;
  SaveConductorLockState(&lock);
  DeleteTempoChangesInRange();
  OSErr err = noErr;
  ForEachChangedColumn(r.left, r.right, GetLaneRange(kLaneTempo), inForce, [&](int32_t x, int32_t v) {
    if (err == noErr) err = SetTempoAt(v, XToTime(x));
  });
  RestoreConductorLockState(&lock);
  RefreshMarkers(1);
  UpdateSongEnd();
  RedrawAll(0);
  return ReportConductorFailure(err);
}

OSErr WriteMasterVolumeLane(const Rect& span) {
  ConductorLaneRange r = ConductorRangeOf(span);
  ConductorLockState lock;
  SaveConductorLockState(&lock);
  DeleteConductorRecordsInRange(kConductorMasterVolume);
  OSErr err = noErr;
  int32_t range = GetLaneRange(kLaneMasterVolume);
  ForEachChangedColumn(r.left, r.right, range, kMasterVolumeStart, [&](int32_t x, int32_t v) {
    if (err == noErr) err = SetMasterVolumeAt(v, XToTime(x));
  });
  RestoreConductorLockState(&lock);
  RedrawAll(0);
  return ReportConductorFailure(err);
}

// --- track lanes ------------------------------------------------------------------------

bool IsTrackPane() { return gCurrentPaneSlot <= 0; }

OSErr WriteTrackLane(int32_t kind, const Rect& span) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return noErr;
  if (IsTrackPane() && BeginTrackEdit() != noErr) return noErr;  // the begin side reported it
  int8_t state = HGetState(list);
  HUnlock(list);
  OSErr err = noErr;
  if (kind == kLaneVelocity) WriteVelocityColumns(span.left, span.right);
  else err = WriteLaneColumnsAsEvents(kind, span.left, span.right);
  if (Handle now = GetCurrentTrackEventList()) HSetState(now, state);
  if (kind == kLanePitchBend && IsBendDisplayOn()) InvalidateEditorWindow();
  if (kind == kLaneVelocity) {
    ResetLaneDragState();
    InvalidateEditorAndLanes();
  }
  if (IsTrackPane()) {
    UpdateTrackEnd(uint32_t(XToTime(span.right)));
    EndTrackEdit();
  }
  return err;  // reported where it failed
}

// The point writers report their own failures.
OSErr WriteAutomationLane(int32_t kind, const Rect& span) {
  return kind == kLanePluginParameter ? WriteParameterLane(span.left, span.right)
                                      : WriteMixLane(kind, span.left, span.right);
}

}  // namespace

OSErr WriteLaneColumnsAsEvents(int32_t kind, int16_t left, int16_t right) {
  LaneEventRule rule;
  Handle list = GetCurrentTrackEventList();
  if (!list || !GetLaneEventRule(kind, &rule) || right <= left) return noErr;
  int32_t range = GetLaneRange(kind);
  int32_t bytes = 0;
  ForEachChangedColumn(left, right, range, kNoLaneValue, [&](int32_t, int32_t) { bytes += kShortEventSize; });
  // Grow first: a list that cannot grow keeps the events it had in the span.
  if (bytes > 0) {
    OSErr err = GrowEventList(bytes);
    if (err != noErr) return err;
  }
  uint32_t t0 = uint32_t(XToTime(left)), t1 = uint32_t(XToTime(right));
  DeleteMatchingEventsInRange(t0, t1, rule.filter);
  if (bytes == 0) return noErr;
  uint8_t* place = FindEventAfterTime(reinterpret_cast<uint8_t*>(HandleData(list)), int32_t(t0));
  ShiftEventsUp(place, bytes);
  std::memset(place, 0, size_t(bytes));
  ForEachChangedColumn(left, right, range, kNoLaneValue, [&](int32_t x, int32_t v) {
    FillLaneEvent(place, kind, rule.command, x, v);
    place += kShortEventSize;
  });
  SetSongModified();
  return ReportFailure(SortTrackEvents());
}

void WriteVelocityColumns(int16_t left, int16_t right) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return;
  uint8_t* start = reinterpret_cast<uint8_t*>(HandleData(list));
  uint8_t* end = start + GetHandleSize(list);
  int32_t range = GetLaneRange(kLaneVelocity);
  for (uint8_t* e = SeekEventList(start, XToTime(left)); e < end && SeqEventTime(e) != 0;) {
    uint32_t length = SeqEventLengthWithin(e, uint32_t(end - e));
    if (length == 0) break;
    if (SeqEventKind(e) == kKindNote) {
      int32_t x = TimeToX(int32_t(SeqEventTime(e)), gTimelineLeftTick);
      if (x < left || x >= right) break;
      int32_t v = ColumnValueAt(x);
      if (IsWritableValue(v, range)) e[kEventData2] = uint8_t(WrittenValue(v, range));
    }
    e += length;
  }
  SetSongModified();
}

OSErr ApplyLaneColumns(const Rect& span) {
  int32_t kind = GetCurrentLaneKind();
  if (span.right <= span.left) return noErr;
  OSErr err = noErr;
  if (kind == kLaneTempo) err = WriteTempoLane(span);
  else if (kind == kLaneMasterVolume) err = WriteMasterVolumeLane(span);
  else if (kind >= kFirstAutomationLane) err = WriteAutomationLane(kind, span);
  else if (kind >= kLanePitchBend && kind <= kLanePolyPressure) err = WriteTrackLane(kind, span);
  ResetLaneDragState();
  return err;
}
