#include "sequencer/transport/counter_buttons.h"

#include <algorithm>

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/mmc_sender.h"
#include "sequencer/transport/counter_wind.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_tempo.h"
#include "sequencer/transport/varispeed.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_position.h"
#include "sequencer/transport/transport_requests.h"
#include "song/conductor/conductor_map.h"
#include "song/model/editor_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

// Where the song stands: the clock's position while it plays, else the locate point.
uint32_t CurrentPosition() {
  return IsClockTaskPlaying() ? std::max<uint32_t>(gTransportClock.songTick.load(), 1) : gLocatePoint.tick;
}

uint32_t SongEndBarLine() {
  if (!gCurrentSong) return 1;
  uint32_t end = SongHeaderView(gCurrentSong).EndTick();
  return std::clamp<uint32_t>(end, 1, INT32_MAX);
}

}  // namespace

void LocateFromCounterButton(uint32_t tick) {
  tick = std::max<uint32_t>(tick, 1);
  bool playing = IsClockTaskPlaying();
  if (playing) RequestTransportStop();
  if (!RunWindowKeyActions(tick, kAllWindowKinds)) {
    SetLocatePoint(tick);
    StoreClockLocatePosition(gLocatePoint.tick);
  }
  if (playing) RequestTransportPlay();
}

uint32_t NextBarForWind(uint32_t tick) {
  int32_t bar = TickToBar(int32_t(std::min<uint32_t>(std::max<uint32_t>(tick, 1), INT32_MAX)));
  uint32_t next = uint32_t(std::max(BarToTick(bar + 1), 1));
  uint32_t end = SongEndBarLine();
  return next > end ? tick : next;
}

uint32_t PreviousBarForWind(uint32_t tick) {
  uint32_t before = tick > 1 ? tick - 1 : 1;
  int32_t bar = TickToBar(int32_t(std::min<uint32_t>(before, INT32_MAX)));
  return uint32_t(std::max(BarToTick(bar), 1));
}

std::atomic<uint8_t> gClockButtonByte{0};
uint32_t gPunchStartTick = 0;

namespace {

// Stop: a running varispeed ends; the audio-clock mode that time code without machine control
// turned on goes off; a held record button is let go.
void StopButton() {
  if (gTransportClock.varispeedRate != kNormalPlaybackRate || (gTransportClock.flags.load() & kClockFlagVarispeed))
    ResetPlaybackRate();
  if (gAudioClockMode && gClockSyncSource == kSyncSourceTimeCode && !gMachineControl) gAudioClockMode = 0;
  gClockButtonByte.fetch_and(uint8_t(~kClockButtonRecordHeld));
  RequestTransportStop();
}

void RecordButton() {
  if (gTransportClock.flags.load() & kClockFlagExternalStart) gPunchStartTick = CurrentPosition();
  RequestTransportRecord();
}

}  // namespace

void CounterButtonAction(int16_t button) {
  if (button < 0 || button >= kCounterButtonCount) return;
  uint8_t before = gClockButtonByte.fetch_or(uint8_t(1u << button));
  if (IsClockTimerOff() && before != 0) DrainIdleTasks();
  switch (button) {
    case kCounterButtonStop: StopButton(); break;
    case kCounterButtonPlay: RequestTransportPlay(); break;
    case kCounterButtonRecord: RecordButton(); break;
    case kCounterButtonRewind: LocateFromCounterButton(1); break;
    case kCounterButtonForward:
      if (gCounterTempoMode == kTempoModeVarispeed) FastForwardWhileDown(button);
      else StartWindTracking();
      break;
    case kCounterButtonBack: LocateFromCounterButton(PreviousBarForWind(CurrentPosition())); break;
    default: break;
  }
  gTransportClock.flags.fetch_and(~kClockFlagStartBlocked);
  gClockButtonByte.store(0);
}

// Interim: nothing reads the punch and click bits yet; the recorder and the metronome will.
bool IsCounterIndicatorOn(int16_t indicator) {
  switch (indicator) {
    case kIndicatorCycle: return gCycleMode != 0;
    case kIndicatorPunch: return (gTransportFlagWord & kTransportPunchArmed) != 0;
    case kIndicatorClick: return (gTransportFlagWord & kTransportClickOn) != 0;
    default: return false;
  }
}

void ToggleCounterIndicator(int16_t indicator) {
  bool on = IsCounterIndicatorOn(indicator);
  uint32_t bit = indicator == kIndicatorPunch ? kTransportPunchArmed : kTransportClickOn;
  if (indicator == kIndicatorCycle) SetCycleMode(!on);
  else if (indicator == kIndicatorPunch || indicator == kIndicatorClick) on ? ClearTransportFlagBits(bit) : SetTransportFlagBits(bit);
}
