#include "sequencer/transport/transport_start_tasks.h"

#include <utility>

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/transport_audio_hooks.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_requests.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/base/error_report.h"
#include "song/events/play_range.h"
#include "song/model/window_redraw.h"

uint16_t gVarispeedState = 0;

namespace {

constexpr int32_t kEqualLocatorsText = 5;

}  // namespace

void StartPlayTasks() { Play(gLocatePoint.tick); }

void StartRecordTasks() { RecordCommand(); }

void StartCycleTasks() {
  uint32_t left = gClockPlayRange[0].tick, right = gClockPlayRange[1].tick;
  if (left == right) {
    ReportAppErrorText(kEqualLocatorsText);
    return;
  }
  if (right < left) std::swap(left, right);
  SetCycleStart(left);
  SetCycleStop(right);
  SetCycleMode(true);
  SetLocatePoint(left);
  Play(left);
}

void SetTransportStartTick(uint32_t tick) {
  uint32_t start = gCycleStartPoint.tick, stop = gCycleStopPoint.tick;
  if ((GetTransportRequestByte() & kRequestCycle) && start < stop && (tick < start || tick >= stop))
    tick = start + (tick < start ? 0 : (tick - start) % (stop - start));
  gTransportClock.startTick = tick;
}

bool IsVarispeedHeld() { return (gVarispeedState & 0x4) != 0; }

void ToggleTransportOption(int16_t n) {
  if (n < 0 || n > 7) return;
  gClockOptionByte ^= uint8_t(1u << n);
  InvalidateInfoPanel();
}

void InvalidateLocatorButtons(uint32_t bits) {
  if (bits & 0x1F) InvalidateInfoPanel();
}

// Stopped, a failure is only reported: halting the ticks here would refuse the next Play.
void PrepareAudioAtLocatePoint() {
  if (OSErr err = PrepareAudioForPlay(gLocatePoint.tick)) ReportError(err);
}
