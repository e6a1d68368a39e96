#include "shell/windows/counter_window.h"

#include <algorithm>
#include <cstring>

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "sequencer/clock/sequencer_clock.h"
#include "platform/menus/menus.h"
#include "platform/resources/resource_manager.h"
#include "sequencer/transport/counter_buttons.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/varispeed.h"
#include "shell/base/event_records.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_display.h"
#include "shell/windows/counter_fields.h"
#include "shell/windows/info_panel.h"
#include "shell/windows/tempo_display.h"
#include "shell/windows/window_appearance.h"
#include "shell/windows/window_clicks.h"

namespace {

// The buttons in a row under the output label, in the order rewind, back, stop, play,
// forward, record; the indicators in a row under the lamps.
constexpr int16_t kButtonSlots[kCounterButtonCount] = {2, 3, 5, 0, 4, 1};
constexpr int16_t kButtonTop = 57, kButtonLeft = 86, kButtonStep = 20, kButtonWidth = 18, kButtonHeight = 12;
constexpr int16_t kIndicatorTop = 57, kIndicatorLeft = 340, kIndicatorStep = 20, kIndicatorSize = 12;
constexpr int16_t kIndicatorTextSize = 9;

void DrawTriangle(const Rect& r, bool pointsRight) {
  int16_t midV = int16_t((r.top + r.bottom) / 2);
  PolyHandle poly = OpenPoly();
  if (pointsRight) {
    MoveTo(r.left, r.top);
    LineTo(r.right, midV);
    LineTo(r.left, r.bottom);
  } else {
    MoveTo(r.right, r.top);
    LineTo(r.left, midV);
    LineTo(r.right, r.bottom);
  }
  ClosePoly();
  PaintPoly(poly);
  KillPoly(poly);
}

// The button's symbol inside r.
void DrawButtonSymbol(int16_t button, Rect r) {
  InsetRect(&r, 5, 3);
  switch (button) {
    case kCounterButtonStop: PaintRect(&r); break;
    case kCounterButtonPlay: DrawTriangle(r, true); break;
    case kCounterButtonRecord: PaintOval(&r); break;
    case kCounterButtonRewind: {
      Rect bar{r.top, r.left, r.bottom, int16_t(r.left + 2)};
      PaintRect(&bar);
      r.left = int16_t(r.left + 2);
      DrawTriangle(r, false);
      break;
    }
    case kCounterButtonForward: DrawTriangle(r, true); r.left = int16_t(r.left + 3); DrawTriangle(r, true); break;
    case kCounterButtonBack: DrawTriangle(r, false); r.right = int16_t(r.right - 3); DrawTriangle(r, false); break;
    default: break;
  }
}

// Play and stop show the transport's state: the button of the running state is drawn
// pressed (filled dark, its symbol light).
bool IsButtonLit(int16_t button) {
  bool playing = IsClockTaskPlaying();
  return (button == kCounterButtonPlay && playing) || (button == kCounterButtonStop && !playing);
}

// An element's framed box, filled dark while lit; the pen is left in the colour of what is
// drawn on it.
void DrawElementBox(const Rect& r, bool lit) {
  ForeColor(blackColor);
  if (lit) PaintRect(&r);
  else EraseRect(&r);
  FrameRect(&r);
  ForeColor(lit ? whiteColor : blackColor);
}

void DrawCounterButton(int16_t button) {
  Rect r;
  GetCounterButtonRect(button, &r);
  DrawElementBox(r, IsButtonLit(button));
  DrawButtonSymbol(button, r);
  ForeColor(blackColor);
}

void DrawIndicator(int16_t indicator) {
  Rect r;
  GetCounterIndicatorRect(indicator, &r);
  DrawElementBox(r, IsCounterIndicatorOn(indicator));
  TextSize(kIndicatorTextSize);
  TextMode(srcOr);
  StringPtr text = GetInfoPanelString(int16_t(kIndicatorStringBase + indicator));
  MoveTo(int16_t(r.left + (r.right - r.left - StringWidth(text)) / 2), int16_t(r.bottom - 3));
  DrawString(text);
  ForeColor(blackColor);
}

bool PointIn(Point p, const Rect& r) { return PtInRect(p, &r); }

// The element of count elements (their rectangles from rectOf) under the point, -1 for none.
int16_t ElementAt(Point p, int16_t count, void (*rectOf)(int16_t, Rect*)) {
  for (int16_t i = 0; i < count; ++i) {
    Rect r;
    rectOf(i, &r);
    if (PointIn(p, r)) return i;
  }
  return -1;
}

void RedrawPanelNow() { RedrawAppWindow(&gInfoPanelRecord); }

// The bar:beat:tick read-out: its fields in the order bar, beat, tick; true when one opened.
bool ClickPositionFields() {
  constexpr CounterRectProc kRects[3] = {SetCounterBarFieldRect, SetCounterBeatFieldRect, SetCounterTickFieldRect};
  constexpr void (*kOpen[3])() = {EditCounterBarField, EditCounterBeatField, EditCounterTickField};
  for (int32_t i = 0; i < 3; ++i) {
    kRects[i]();
    if (IsMouseInScratchRect()) {
      kOpen[i]();
      return true;
    }
  }
  return false;
}

}  // namespace

void GetCounterButtonRect(int16_t button, Rect* rect) {
  button = std::clamp<int16_t>(button, 0, kCounterButtonCount - 1);
  int16_t left = int16_t(kButtonLeft + kButtonStep * kButtonSlots[button]);
  *rect = Rect{kButtonTop, left, int16_t(kButtonTop + kButtonHeight), int16_t(left + kButtonWidth)};
}

void GetCounterIndicatorRect(int16_t indicator, Rect* rect) {
  indicator = std::clamp<int16_t>(indicator, 0, kCounterIndicatorCount - 1);
  int16_t left = int16_t(kIndicatorLeft + kIndicatorStep * indicator);
  *rect = Rect{kIndicatorTop, left, int16_t(kIndicatorTop + kIndicatorSize), int16_t(left + kIndicatorSize + 4)};
}

void DrawCounterWindow() {
  PenNormal();
  for (int16_t i = 0; i < kCounterButtonCount; ++i) DrawCounterButton(i);
  for (int16_t i = 0; i < kCounterIndicatorCount; ++i) DrawIndicator(i);
  TextMode(srcOr);
}

void RedrawCounterFieldInPanel(int16_t n) {
  if (n == 0) gCounterShownPosition = kCounterValueUnshown;
  else if (n == 1) gCounterShownMeter = kCounterValueUnshown;
  else std::memset(gCounterShownTimeCode, 0xFF, sizeof gCounterShownTimeCode);
  DrawCounterDisplay(0);
}

// The sync label's pop-up: the sources by their names, the current one checked.
static void ChooseSyncSourceFromPanel(Point local) {
  constexpr int16_t kSyncPopUpMenu = 208, kSyncNames = 136, kSources = 8;
  static const unsigned char kNoTitle[] = {0};
  MenuRef menu = NewMenu(kSyncPopUpMenu, kNoTitle);
  if (!menu) return;
  for (int16_t code = 0; code < kSources; ++code) {
    Str255 name;
    GetIndString(name, kSyncNames, int16_t(code + 1));
    AppendMenuItemTextLiteral(menu, name);
    CheckMenuItem(menu, MenuItemIndex(code + 1), code == GetSyncSource());
    if (!SyncSourceIsValid(code)) DisableMenuItem(menu, MenuItemIndex(code + 1));
  }
  Point where = local;
  LocalToGlobal(&where);
  int32_t chosen = PopUpMenuSelect(menu, where.v, where.h, int16_t(GetSyncSource() + 1));
  if ((chosen >> 16) == kSyncPopUpMenu) SelectSyncSourceMenu(int16_t(chosen & 0xFFFF));
  DisposeMenu(menu);
}

int32_t CounterClick(AppWindow*, Point local, EventRecord* event) {
  gLastMousePoint = local;
  if (ClickTempoControls(local)) return 0;
  if (int16_t button = ElementAt(local, kCounterButtonCount, GetCounterButtonRect); button >= 0) {
    // The forward button's contextual menu chooses between tempo and varispeed.
    if (button != kCounterButtonForward || !ShowTempoModeMenu(event, button)) CounterButtonAction(button);
    RedrawPanelNow();
    return 0;
  }
  if (int16_t indicator = ElementAt(local, kCounterIndicatorCount, GetCounterIndicatorRect); indicator >= 0) {
    ToggleCounterIndicator(indicator);
    RedrawPanelNow();
    return 0;
  }
  if (PointIn(local, kSyncLabelCell)) {
    ChooseSyncSourceFromPanel(local);
    RedrawPanelNow();
    return 0;
  }
  if (PointIn(local, kModeLabelCell)) {
    SetCounterMode(int16_t((GetCounterMode() + 1) % 3));
    RedrawPanelNow();
    return 0;
  }
  SetCounterFont();
  Rect readout;
  GetStyleRect(kStyleCounterRect, &readout);
  if (PointIn(local, readout) && ClickPositionFields()) return 0;
  GetStyleRect(kStyleTimeRect, &readout);
  if (PointIn(local, readout)) ClickTimeCounter();
  return 0;
}

void InstallCounterClicks() { SetWindowClickProc(kInfoPanelWindowKind, CounterClick); }
