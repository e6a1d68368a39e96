#include "mixer/instrument_window/strip_clicks.h"

#include <algorithm>

#include "mixer/instrument_window/strip_drawing.h"
#include "mixer/instrument_window/strip_geometry.h"
#include "mixer/instrument_window/strip_menus.h"
#include "mixer/instrument_window/strip_order.h"
#include "mixer/instrument_window/strip_values.h"
#include "editors/toolbar/toolbar_clicks.h"
#include "mixer/knobs/knob_geometry.h"
#include "mixer/meters/instrument_meters.h"
#include "mixer/outputs/instrument_values.h"
#include "platform/events/key_codes.h"
#include "shell/dialogs/drawn_popups.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/system/host_time.h"
#include "shell/base/arithmetic.h"
#include "shell/base/double_click.h"
#include "shell/base/event_records.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/instrument_strip_layout.h"
#include "shell/windows/window_clicks.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "song/instruments/instrument_table.h"
#include "song/model/window_redraw.h"

namespace {

// The strip of the click before and its time, for double clicks on the same strip.
int32_t gLastClickedStrip = -1;
uint32_t gLastStripClickTime = 0;
bool gDoubleClick = false;
constexpr UInt32 kSendFlashTicks = 5;

bool Modifier(uint16_t key) { return (gLastEvent.modifiers & key) != 0; }

bool MouseIn(int16_t element) {
  ElementRect(element);
  return IsMouseInScratchRect();
}

// Tracks a lamp like a button: true when released inside it.
bool TrackLamp(int16_t element) {
  ElementRect(element);
  Rect r = gScratchRect;
  Point mouse = gLastMousePoint;
  while (StillDown()) GetMouse(&mouse);
  return PtInRect(mouse, &r);
}

void ClickLamp(int16_t element) {
  if (!TrackLamp(element)) return;
  if (element == kStripSoloLamp && Modifier(optionKey)) ClearAllStripSolos();
  else if (element == kStripSoloLamp) ToggleCurrentStripSolo();
  else ToggleCurrentStripMute();
  InvalidateEditorWindow();
}

// A shift-click selects the strips from the last selected one to this one (display order).
void SelectStripRange() {
  int32_t from = gLastClickedStrip >= 0 && IsStripSelected(gLastClickedStrip) ? gLastClickedStrip : gCurrentInstrument;
  int16_t a = GetStripLeft(from), b = GetStripLeft(gCurrentInstrument);
  if (a < 0) a = b;
  for (int32_t i = 0; i <= GetMasterIndex(); ++i) {
    int16_t x = GetStripLeft(i);
    if (x >= std::min(a, b) && x <= std::max(a, b)) SetStripSelected(i, true);
  }
}

void ClickName(bool wasFront) {
  if (!wasFront) return;
  if (gDoubleClick) {
    // The instrument settings dialog is not part of this program yet: the click selects only.
    RedrawStripNames();
    return;
  }
  if (Modifier(shiftKey)) {
    SelectStripRange();
  } else {
    if (!Modifier(cmdKey)) DeselectOtherStrips(gCurrentInstrument);
    SetStripSelected(gCurrentInstrument, !IsStripSelected(gCurrentInstrument));
  }
  RedrawStripNames();
  const bool drag = !Modifier(cmdKey) && !Modifier(shiftKey) && gCurrentInstrument < gInstrumentCount;
  if (drag && IsStripSelected(gCurrentInstrument) && StillDown()) DragSelectedStrips();
}

bool InNameRect() {
  StripNameRect();
  return IsMouseInScratchRect();
}

bool InFaderThumb() {
  Rect thumb = FaderThumbRect(GetCurrentStripVolume());
  return PtInRect(gLastMousePoint, &thumb);
}

// A pop-up of the numbers 0..127 at the mouse; the chosen value, or -1. The value follows the
// mouse while the pop-up tracks (live); nothing chosen puts the value from before back.
int32_t ValuePopUp(int32_t current, PopUpLiveHook apply) {
  int32_t chosen = -1;
  if (ShowNumberRangePopUp(0xFFFFFFFFu, current, 0, 127, 0, 0, 0, &chosen, apply)) return chosen;
  apply(current);
  return -1;
}

void ApplyPan(int32_t value) {
  if (value != GetCurrentStripPan()) SetCurrentPanValue(value, true, true);
}
void ApplyVolume(int32_t value) {
  if (value != GetCurrentStripVolume()) SetLinkedStripVolume(value);
}

void ClickPanValue() {
  ElementRect(kStripPanValue);
  uint8_t* r = CurrentInstrumentRecord();
  if (r && gLastMousePoint.h >= gScratchRect.right - 8 && !IsSendShown()) {
    r[kInstMixerFlags] ^= kSendPanChanges;
    return RedrawStripElement(kStripPanValue);
  }
  if (int32_t v = ValuePopUp(GetCurrentStripPan(), ApplyPan); v >= 0) ApplyPan(v);
}

void ClickVolumeValue() {
  ElementRect(kStripVolumeValue);
  uint8_t* r = CurrentInstrumentRecord();
  if (r && gLastMousePoint.h >= gScratchRect.right - 8 && !IsSendShown()) {
    r[kInstMixerFlags] ^= kSendVolumeChanges;
    return RedrawStripElement(kStripVolumeValue);
  }
  if (int32_t v = ValuePopUp(GetCurrentStripVolume(), ApplyVolume); v >= 0) ApplyVolume(v);
}

// The value clicks of step 8: volume for every strip, pan for instruments and busses, the
// program and channel for instruments.
bool ClickValueField() {
  const bool instrument = gCurrentInstrument < gInstrumentCount;
  if (MouseIn(kStripVolumeValue)) return ClickVolumeValue(), true;
  if (!IsMasterStrip(gCurrentInstrument) && MouseIn(kStripPanValue)) return ClickPanValue(), true;
  if (!instrument) return false;
  if (MouseIn(kStripProgram)) return ClickStripProgram(), true;
  if (MouseIn(kStripChannel)) return ClickStripChannel(), true;
  return false;
}

// The send button: on release inside, every instrument's values go out again and the button
// flashes three times.
void ClickSendButton() {
  ElementRect(kStripSendButton);
  Rect button = gScratchRect;
  if (!TrackToolbarButton(button)) return;
  ResendAllInstrumentValues();
  InsetRect(&button, 1, 1);
  for (int32_t flash = 0; flash < 3; ++flash) {
    UInt32 ticks = 0;
    InvertRect(&button);
    Delay(kSendFlashTicks, &ticks);
    InvertRect(&button);
    Delay(kSendFlashTicks, &ticks);
  }
}

bool ClickStripElements(bool wasFront) {
  const bool master = IsMasterStrip(gCurrentInstrument);
  if (master && IsSendButtonShown() && MouseIn(kStripSendButton)) return ClickSendButton(), true;
  if (InFaderThumb()) return TrackInstrumentFader(), true;
  if (!master && MouseIn(kStripMuteLamp)) return ClickLamp(kStripMuteLamp), true;
  if (!master && MouseIn(kStripSoloLamp)) return ClickLamp(kStripSoloLamp), true;
  if (InNameRect()) return ClickName(wasFront), true;
  if (!master && MouseIn(IsAuxBusStrip(gCurrentInstrument) ? kStripPanKnob : kStripKnobArea))
    return TrackInstrumentKnob(), true;
  return ClickValueField();
}

}  // namespace

int32_t FaderValueForMouse(int32_t startVolume, int16_t startV, int16_t v) {
  return std::clamp(startVolume + MulDivRound32(startV - v, 127, std::max<int32_t>(gFaderTravel, 1)), 0, 127);
}

void TrackInstrumentKnob() {
  if (Modifier(optionKey)) return;  // the controller assignment dialog is not part of this program yet
  if (!PrepareStripDrag()) return;
  if (gDoubleClick) return SetCurrentPanValue(64, true, true);
  ElementRect(kStripPanKnob);
  Rect knob = gScratchRect;
  do {
    GetMouse(&gLastMousePoint);
    int32_t value = PanValueFromKnobAngle(KnobAngleFromMouse(&knob));
    if (value != GetCurrentStripPan()) SetCurrentPanValue(value, true, true);
    UpdateInstrumentMeters();
  } while (StillDown());
}

void TrackInstrumentFader() {
  if (!PrepareStripDrag()) return;
  if (gDoubleClick) return SetLinkedStripVolume(127);
  const int16_t startV = gLastMousePoint.v;
  const int32_t startVolume = GetCurrentStripVolume();
  int16_t lastV = startV;
  // A shift-drag moves the selected strips, which need not include this one: each move
  // adds only what the mouse moved since the last one.
  int32_t lastValue = startVolume;
  DrawStripFaderThumb(true);
  while (StillDown()) {
    Point mouse{};
    GetMouse(&mouse);
    if (mouse.v == lastV) {
      UpdateInstrumentMeters();
      continue;
    }
    lastV = mouse.v;
    int32_t value = FaderValueForMouse(startVolume, startV, mouse.v);
    int32_t difference = value - lastValue;
    lastValue = value;
    if (difference == 0) UpdateInstrumentMeters();
    else if (Modifier(shiftKey)) MoveSelectedStripVolumes(difference);
    else SetLinkedStripVolume(value);
    DrawStripFaderThumb(true);
  }
  RedrawStripElement(kStripFaderTrack);
}

int32_t HandleInstrumentWindowClick(AppWindow* w, Point local, EventRecord* event) {
  const bool wasFront = GetFrontAppWindow() == w;
  const int32_t saved = gCurrentInstrument;
  gLastMousePoint = local;
  HitTestInstrumentStrip(local.h);
  int32_t hit = gCurrentInstrument;
  gDoubleClick = IsDoubleClick(&gLastStripClickTime) && hit == gLastClickedStrip;
  if (IsShowContextualMenuClick(event)) {
    RunStripContextMenu(local);
  } else if (!IsStripShown(gCurrentInstrument) || !ClickStripElements(wasFront)) {
    if (!Modifier(cmdKey) && !Modifier(shiftKey)) {
      DeselectOtherStrips(-1);
      RedrawStripNames();
    }
  }
  gLastClickedStrip = hit;
  gCurrentInstrument = saved;
  return 0;
}

void ScrollInstrumentWindowByKey(int16_t code) {
  int16_t value = GetInstrumentScrollValue();
  int32_t page = std::max(CountShownInstrumentStrips() - 1, 1);
  switch (code) {
    case 20: value = int16_t(value - 1); break;
    case 21: value = int16_t(value + 1); break;
    case 22: value = int16_t(value - page); break;
    case 23: value = int16_t(value + page); break;
    default: return;
  }
  SetInstrumentScrollValue(value);  // kept inside 0..maximum by the bar
  InvalidateInstrumentWindow();
}
