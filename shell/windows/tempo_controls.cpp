#include "shell/windows/tempo_controls.h"

#include <algorithm>

#include "audio/engine/engine_play_state.h"
#include "platform/events/classic_events.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "platform/system/host_time.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/tempo_factor.h"
#include "shell/base/arithmetic.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/tempo_display.h"
#include "song/conductor/markers.h"
#include "song/conductor/tempo_scaling.h"

namespace {

// Whole beats per minute across the slider.
constexpr int32_t kSliderBeats = 288;

void SendAndApply(int32_t scaled) {
  SendTempoToOutputs(scaled);
  ApplyTempo(scaled);
}

// One arrow step: the factor stepped until the shown tempo moved by step, unless that leaves
// 12.0..450.0.
void StepArrowTempo(int32_t step) {
  int32_t target = GetScaledTempo() + step;
  if (target < kMinTempo || target > kMaxTempo) return;
  StepTempoFactorTo(target, step);
  RedrawTempoDisplay();
  SendAndApply(GetScaledTempo());
}

bool MouseInArrow(int16_t which) {
  Point mouse{};
  GetMouse(&mouse);
  SetTempoArrowRect(which);
  return PtInRect(mouse, &gScratchRect);
}

// The slider followed while the button is held: the knob goes where the mouse is.
void TrackTempoSlider(Point where) {
  Rect slider;
  GetTempoSliderRect(&slider);
  do {
    int32_t position = where.h - slider.left - kTempoKnobWidth / 2;
    SetTempoFromSlider(int16_t(std::clamp<int32_t>(position, 0, std::max<int16_t>(gTempoSliderWidth, 1))));
    if (!StillDown()) break;
    Delay(1, nullptr);
    GetMouse(&where);
  } while (true);
  RefreshMarkers(1);
}

}  // namespace

void SetCounterPosition(int32_t tempo, int32_t full) {
  if (full) CallIdleHook();
  RedrawCounter(FactorForTempo(tempo));
  SendAndApply(GetScaledTempo());
  RefreshMarkers(full);
}

void SetTempoFromSlider(int16_t position) {
  if (position == gTempoKnobPosition || IsFollowingExternalTempo()) return;
  MoveTempoKnob(position);
  int32_t tempo = MulDivRound(position, kSliderBeats, std::max<int16_t>(gTempoSliderWidth, 1)) * 10 + kSliderLowestTempo;
  SetTempoFactor(FactorForTempo(tempo));
  int32_t scaled = GetScaledTempo();
  DrawCounter(scaled);
  SendAndApply(scaled);
}

void TrackTempoArrows(int16_t which) {
  if (IsFollowingExternalTempo()) return;
  int32_t step = which == kTempoArrowDown ? -1 : 1;
  DrawTempoArrow(which, true);
  CallIdleHook();
  StepArrowTempo(step);  // the press itself is a step, however short
  uint32_t due = TickCount() + kArrowFirstRepeatTicks;
  while (StillDown()) {
    if (int32_t(TickCount() - due) >= 0 && MouseInArrow(which)) {
      StepArrowTempo(step);
      due = TickCount() + kArrowRepeatTicks;
    }
    Delay(1, nullptr);
  }
  DrawTempoArrow(which, false);
  RedrawTempoDisplay();
  RefreshMarkers(1);
}

bool ClickTempoControls(Point local) {
  Rect slider;
  GetTempoSliderRect(&slider);
  int16_t arrow = 0;
  for (int16_t which : {kTempoArrowDown, kTempoArrowUp}) {
    SetTempoArrowRect(which);
    if (PtInRect(local, &gScratchRect)) arrow = which;
  }
  if (!arrow && !PtInRect(local, &slider)) return false;
  if (!GetAppWindowRef(&gInfoPanelRecord)) return false;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortToAppWindow(&gInfoPanelRecord);
  BeginScreenDrawing();
  if (arrow) TrackTempoArrows(arrow);
  else TrackTempoSlider(local);
  EndScreenDrawing();
  if (saved) SetPort(saved);
  return true;
}
