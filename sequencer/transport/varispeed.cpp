#include "sequencer/transport/varispeed.h"

#include "platform/events/classic_events.h"
#include "platform/menus/menus.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/transport/movie_sync_hooks.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_audio_hooks.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_plugin_hooks.h"
#include "sequencer/transport/transport_requests.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/model/window_redraw.h"

uint32_t gCounterTempoMode = kTempoModeTempo;
uint16_t gCounterOptionWord = 0;
int16_t gVarispeedTempo = 1200;
uint8_t gEngineVarispeedActive = 0;
uint8_t gVarispeedOptions = 0;

namespace {

TransportClock& C() { return gTransportClock; }

constexpr int16_t kTempoModeMenu = 207;
constexpr int32_t kDeviceVarispeedOn = 4, kDeviceVarispeedOff = 6;
// Set while the tempo menu's click runs the button: its rate stays.
bool gClickFromTempoMenu = false;

bool RateIsTheEngines() { return gClockSyncSource == kSyncSourceMovie || gClockSyncSource == kSyncSourceSampleClock; }

}  // namespace

void SetPlaybackRate(uint32_t rate) {
  SetEnginePlayRate(int32_t(rate));
  SetMovieRate(int32_t(rate));
}

void ResetPlaybackRate() {
  ClearTransportRequestBits(kRequestVarispeed);
  C().flags.fetch_and(~kClockFlagVarispeed);
  gCounterOptionWord &= uint16_t(~kCounterOptionTempoDisplay);
  if (C().varispeedRate != kNormalPlaybackRate) {
    C().varispeedRate = kNormalPlaybackRate;
    SetPlaybackRate(kNormalPlaybackRate);
  }
  if (!RateIsTheEngines()) ApplyTempo(GetScaledTempo());
  InvalidateInfoPanel();
}

void UpdateEngineVarispeed() {
  uint32_t rate = 2 * C().varispeedRate;
  if (gVarispeedOptions & kVarispeedSlow) rate /= 4;
  if (gVarispeedOptions & kVarispeedDouble) rate *= 2;
  if (gVarispeedOptions & kVarispeedFreeze) rate = 0;
  SetEnginePlayRate(int32_t(rate));
  uint8_t on = rate != kNormalPlaybackRate ? 1 : 0;
  if (on != gEngineVarispeedActive) {
    gEngineVarispeedActive = on;
    PassDeviceTransportMessage(on ? kDeviceVarispeedOn : kDeviceVarispeedOff);
  }
}

void SetVarispeedFlag(bool on) {
  if (on) C().flags.fetch_or(kClockFlagVarispeed);
  else C().flags.fetch_and(~kClockFlagVarispeed);
  InvalidateInfoPanel();
}

void FastForwardWhileDown(int16_t) {
  if (RateIsTheEngines()) {
    UpdateEngineVarispeed();
  } else if (C().varispeedRate == kNormalPlaybackRate) {
    gVarispeedTempo = kFastForwardTempo;
    ApplyTempo(gVarispeedTempo);
    C().varispeedRate = 2 * kNormalPlaybackRate;
    while (StillDown()) RunIdleTask(true);
  }
  if (!gClickFromTempoMenu) ResetPlaybackRate();
  C().tickDebt = 0;
  if (gClockSecondSyncByte) StartMtcFollow();
}

void ChooseTempoMode(int16_t item) {
  switch (item) {
    case 1: gCounterOptionWord ^= kCounterOptionTempoDisplay; break;
    case 3: gCounterTempoMode = kTempoModeOff; break;
    case 4: gCounterTempoMode = kTempoModeTempo; break;
    case 5: gCounterTempoMode = kTempoModeVarispeed; break;
    default: return;
  }
  ResetPlaybackRate();
}

bool ShowTempoModeMenu(const EventRecord* event, int16_t button) {
  if (!event || !IsShowContextualMenuClick(event)) return false;
  MenuRef menu = GetMenu(kTempoModeMenu);
  if (!menu) return false;
  uint32_t before = gCounterTempoMode;
  CheckMenuItem(menu, 1, (gCounterOptionWord & kCounterOptionTempoDisplay) != 0);
  CheckMenuItem(menu, 3, before == kTempoModeOff);
  CheckMenuItem(menu, 4, before == kTempoModeTempo);
  CheckMenuItem(menu, 5, before == kTempoModeVarispeed);
  int32_t chosen = PopUpMenuSelect(menu, event->where.v, event->where.h, 0);
  if ((chosen >> 16) == kTempoModeMenu) ChooseTempoMode(int16_t(chosen & 0xFFFF));
  gClickFromTempoMenu = true;
  FastForwardWhileDown(button);
  gClickFromTempoMenu = false;
  return true;
}
