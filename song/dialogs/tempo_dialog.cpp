#include "song/dialogs/tempo_dialog.h"

#include "audio/engine/engine_play_state.h"
#include "editors/scale_time/scale_time.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/windows/tempo_display.h"
#include "song/conductor/conductor_lock_state.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/markers.h"
#include "song/conductor/timebase.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"

uint8_t gTempoDialogOptions = 0;

namespace {

int32_t SongEndTick() { return gCurrentSong ? int32_t(ReadU32BE(gCurrentSong + kSongEndTick)) : 1; }

// From a to b in steps of a sixteenth note (at least one tick), each step's tempo on the
// straight line between them; 64-bit arithmetic, so long ranges do not overflow.
void WriteGradualTempo(int32_t a, int32_t b, int32_t start, int32_t end) {
  int32_t last = (end < SongEndTick() ? end : SongEndTick()) - 1;
  int64_t length = int64_t(last) - start;
  if (length <= 0) {
    SetTempoIfChanged(b, start);
    return;
  }
  int64_t span = b < a ? int64_t(b) - a - 1 : int64_t(b) - a + 1;
  int64_t step = gSixteenthNoteTicks > 0 ? gSixteenthNoteTicks : 1;
  for (int64_t k = 0; k < length; k += step) {
    int32_t tempo = ClampTempo(int32_t((span * k) / length + a));
    int64_t at = start + k;
    SetTempoIfChanged(tempo, int32_t(at < last ? at : last));
  }
  SetTempoIfChanged(b, last);
}

void FitToTime(const TempoDialogFields& f, int32_t start, int32_t end) {
  CallIdleHook();
  uint32_t duration = TickToTimeFrom(start, end);
  uint32_t wanted = f.time;
  if (!f.showsDuration) {
    uint32_t startTime = TickToTime(start);
    wanted = wanted > startTime ? wanted - startTime : 0;
  }
  FitSelectionToTime(duration, wanted);
}

}  // namespace

int32_t GetDialogTempo(int32_t typed) { return ClampTempo(typed); }

uint8_t* DeleteTempoChangesAndSeek() {
  DeleteTempoChangesInRange();
  return GetConductorStateAt(gConductorRange[0]);
}

TempoDialogFields GetTempoDialogDefaults() {
  TempoDialogFields f;
  if (HasTimeSelection()) {
    gConductorRange[0] = int32_t(gTimeSelection.start.tick);
    gConductorRange[1] = int32_t(gTimeSelection.end.tick);
  } else {
    gConductorRange[0] = 1;
    gConductorRange[1] = SongEndTick();
  }
  f.mode = gTempoDialogOptions & kTempoOptionModeMask;
  f.showsDuration = (gTempoDialogOptions & kTempoOptionDuration) != 0;
  GetConductorStateAt(gConductorRange[1] + 1);
  f.endTempo = gConductorState.scaledTempo;
  GetConductorStateAt(gConductorRange[0]);
  f.tempo = f.startTempo = gConductorState.scaledTempo;
  f.time = f.showsDuration ? TickToTimeFrom(gConductorRange[0], gConductorRange[1])
                           : TickToTime(gConductorRange[1]);
  return f;
}

void ApplyTempoDialog(const TempoDialogFields& f) {
  BeginTempoMapChange();
  ConductorLockState lock;
  SaveConductorLockState(&lock);
  gTempoDialogOptions = uint8_t((f.mode & kTempoOptionModeMask) |
                                (f.showsDuration ? kTempoOptionDuration : 0));
  int32_t start = gConductorRange[0];
  int32_t end = gConductorRange[1];
  bool atSongEnd = IsRangeEndAtSongEnd();
  GetConductorStateAt(end + 1);
  int32_t behind = int32_t(gConductorState.tempo);
  bool restoreBehind = true;
  if (f.mode == kTempoModeSet) {
    DeleteTempoChangesAndSeek();
    SetTempoIfChanged(ClampTempo(f.tempo), start);
  } else if (f.mode == kTempoModeGradual) {
    int32_t a = ClampTempo(f.startTempo);
    int32_t b = ClampTempo(f.endTempo);
    DeleteTempoChangesAndSeek();
    if (a != b)
      WriteGradualTempo(a, b, start, end);
    else
      SetTempoIfChanged(a, start);
    restoreBehind = a != b;
  } else {
    FitToTime(f, start, end);
  }
  if (restoreBehind && !atSongEnd) SetTempoIfChanged(behind, end);
  gClockTempo = uint16_t(gConductorState.tempo);
  RedrawCounter(gClockTempoFactor);
  RestoreConductorLockState(&lock);
  StoreConductorEndTickAtLeast(end);
  SetSongModified();
  EndTempoMapChange(1);
  RefreshMarkers(1);
  InvalidateEditorWindow();
}
