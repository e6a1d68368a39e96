// Interim: the read-outs are plain text in the program's font until the counter fields (their
// digit bitmaps, the key signature and the typing in place) are built.
#include "shell/windows/counter_display.h"

#include <algorithm>

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/text.h"
#include "platform/text/pascal_strings.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/base/position_formats.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/info_panel.h"
#include "shell/windows/tempo_display.h"
#include "shell/windows/window_appearance.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"

uint16_t gCounterDisplayFlags = 0xFFFF;
int32_t gCounterShownPosition = kCounterPositionUnshown;
int32_t gCounterShownMeter = kCounterValueUnshown;
int32_t gCounterShownTempo = kCounterValueUnshown;

namespace {

constexpr int16_t kReadoutTextSize = 17;
constexpr int16_t kMeterTextSize = 12;

// Draws the text at the left of gScratchRect, on a baseline 6 above its bottom, over the
// panel's background (its picture) or over the erased rectangle (the read-out wells).
void DrawReadout(ConstStr255Param text, int16_t size, bool onPicture) {
  if (onPicture) RestoreBackgroundInScratch();
  else EraseRect(&gScratchRect);
  TextSize(size);
  MoveTo(int16_t(gScratchRect.left + 3), int16_t(gScratchRect.bottom - 6));
  DrawString(text);
}

void DrawPositionReadout(int32_t bar, int32_t beat, int32_t tick, bool full) {
  int32_t packed = (bar << 16) + (beat << 4) + tick;
  if (!(gCounterDisplayFlags & kCounterShowsReadouts) || (!full && packed == gCounterShownPosition)) return;
  gCounterShownPosition = packed;
  GetStyleRect(kStyleCounterRect, &gScratchRect);
  Str255 text;
  DrawReadout(FormatBarBeatTick(text, bar, beat, std::max<int32_t>(tick, 0)), kReadoutTextSize, false);
}

void DrawMeterReadout(bool full) {
  int32_t perBeat = std::max<int32_t>(gConductorState.ticksPerBeat, 1);
  int32_t packed = (int32_t(gConductorState.key) << 16) + (perBeat << 4) + gConductorState.beatsPerBar;
  if (!(gCounterDisplayFlags & kCounterShowsReadouts) || (!full && packed == gCounterShownMeter)) return;
  gCounterShownMeter = packed;
  SetMeterAreaRect();
  Str255 text, denominator;
  NumToString(gConductorState.beatsPerBar, text);
  AppendPChar(text, '/');
  NumToString(gTicksPerQuarter * 4 / perBeat, denominator);
  AppendPString(text, denominator);
  DrawReadout(text, kMeterTextSize, true);
}

void DrawTimeReadout() {
  GetStyleRect(kStyleTimeRect, &gScratchRect);
  const uint8_t* tc = gTransportClock.timeCode;
  Str255 text;
  FormatSmpteTime(text, tc[0], tc[1], tc[2], tc[3], 0);
  if (text[0] >= 3) text[0] = uint8_t(text[0] - 3);  // the subframes cut
  DrawReadout(text, kReadoutTextSize, false);
}

}  // namespace

int16_t GetCounterMode() { return 0; }

void GetCounterElementRect(int16_t n, Rect* rect) {
  n = std::clamp<int16_t>(n, 0, 5);
  int16_t column = n < 3 ? n : int16_t(n - 3);
  int16_t left = int16_t(89 + 33 * column), bottom = n < 3 ? 17 : 52;
  *rect = Rect{int16_t(bottom - 11), left, bottom, int16_t(left + 21)};
}

void SetMeterAreaRect() {
  if (GetStyleOptions() & kStyleOptionMeterRect) GetStyleRect(kStyleMeterRect, &gScratchRect);
  else gScratchRect = Rect{1, 20, 35, 76};
}

void DrawCounterDisplay(int16_t full) {
  TextFace(normal);
  TextMode(srcOr);
  ForeColor(blackColor);
  int32_t bar = 0, beat = 0, tick = 0;
  TickToBarBeatTick(int32_t(gLocatePoint.tick), &bar, &beat, &tick);
  DrawPositionReadout(bar, beat, tick, full != 0);
  DrawMeterReadout(full != 0);
  DrawTimeReadout();
  if (gCounterShownTempo != GetScaledTempo()) DrawCounterTempoArea();
}
