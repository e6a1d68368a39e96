#include "mixer/instrument_window/strip_geometry.h"

#include <algorithm>

#include "mixer/outputs/instrument_values.h"
#include "platform/quickdraw/geometry.h"
#include "platform/system/sys_beep.h"
#include "platform/windows/windows.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/app_strings.h"
#include "shell/base/arithmetic.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/instrument_strip_layout.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "song/instruments/instrument_table.h"

namespace {

constexpr int16_t kWindowTitleText = 109;  // STR# 129 item 110
constexpr int16_t kInstrumentTextList = 138;
constexpr int16_t kAuxBusLabelText = 21;   // STR# 138 item 22

int16_t WindowWidth() {
  WindowRef window = GetAppWindowRef(GetWindowForKind(kInstrumentWindowKindId));
  if (!window) return 0;
  Rect r{};
  GetWindowPortBounds(window, &r);
  return int16_t(r.right - r.left);
}

int32_t CountVisibleInstruments() {
  int32_t n = 0;
  for (int32_t i = 0; i < gInstrumentCount; ++i)
    if (const uint8_t* r = GetInstrumentRecord(i); r && r[kInstNoDisplayNumber] == 0) ++n;
  return n;
}

// Display position of an entry; false when it takes none.
bool DisplayPosition(int32_t index, int32_t* position) {
  const uint8_t* r = GetInstrumentRecord(index);
  if (!r || index < 0) return false;
  if (index < gInstrumentCount) {
    if (r[kInstNoDisplayNumber] != 0) return false;
    *position = int32_t(ReadU16BE(r + kInstDisplayNumber)) - GetInstrumentScrollValue();
    return *position >= 0 && *position < CountShownInstrumentStrips();
  }
  int32_t i = std::min(index, gInstrumentCount + gAuxBusCount);
  *position = CountShownInstrumentStrips() + (i - gInstrumentCount) + 1;
  return true;
}

}  // namespace

int16_t InstrumentStripX(int32_t n) { return int16_t(n * gInstrumentStripWidth + kStripColumnLeft); }

int32_t CountShownInstrumentStrips() {
  int32_t room = gInstrumentStripWidth > 0 ? (WindowWidth() - 54) / gInstrumentStripWidth - gAuxBusCount - 2 : 0;
  return std::clamp(CountVisibleInstruments(), 0, std::max(room, 0));
}

int16_t GetStripLeft(int32_t index) {
  int32_t position = 0;
  return DisplayPosition(index, &position) ? InstrumentStripX(position) : int16_t(-1);
}

bool IsStripShown(int32_t index) {
  int32_t position = 0;
  return DisplayPosition(index, &position);
}

void ElementRect(int16_t element) {
  Rect r = element >= 0 && element < kStripElementCount ? gStripElementRects[element] : Rect{};
  OffsetRect(&r, GetStripLeft(gCurrentInstrument), gStripTop);
  SetScratchRectFrom(&r);
}

void StripRect() {
  int16_t left = GetStripLeft(gCurrentInstrument);
  SetScratchRect(left, gStripTop, gInstrumentStripWidth, gInstrumentStripHeight);
}

int32_t StripDisplayOrder(int32_t index) {
  if (index >= gInstrumentCount) return index;
  const uint8_t* r = GetInstrumentRecord(index);
  return r ? ReadU16BE(r + kInstDisplayNumber) : 0;
}

void StripNameRect() {
  int16_t x = GetStripLeft(gCurrentInstrument);
  int16_t top = int16_t(GetStripNameTop() + ((StripDisplayOrder(gCurrentInstrument) & 1) ? kStripNameRowHeight : 0));
  SetScratchRect(int16_t(x - (gInstrumentStripWidth / 2 - 1)), top, int16_t((gInstrumentStripWidth - 1) * 2),
                 kStripNameRowHeight);
}

Rect FaderThumbRect(int32_t volume) {
  const Rect& track = gStripElementRects[kStripFaderTrack];
  Rect thumb{0, 0, kFaderThumbHeight, kFaderThumbWidth};
  if (gFaderThumbIcon) GetCIconBounds(gFaderThumbIcon, &thumb);
  int16_t top = int16_t(track.bottom - 1 - MulDivRound(std::clamp(volume, 0, 127), gFaderTravel, 127));
  Rect r{top, gFaderThumbLeft, int16_t(top + thumb.bottom - thumb.top), int16_t(gFaderThumbLeft + thumb.right - thumb.left)};
  OffsetRect(&r, GetStripLeft(gCurrentInstrument), gStripTop);
  return r;
}

void HitTestInstrumentStrip(int16_t h) {
  if (gInstrumentStripWidth <= 0 || h < kStripColumnLeft) return;  // the label column names no strip
  int16_t firstAux = InstrumentStripX(CountShownInstrumentStrips() + 1);
  if (h <= firstAux) {
    int32_t position = (h - kStripColumnLeft) / gInstrumentStripWidth + GetInstrumentScrollValue();
    for (int32_t i = 0; i < gInstrumentCount; ++i) {
      const uint8_t* r = GetInstrumentRecord(i);
      if (r && r[kInstNoDisplayNumber] == 0 && ReadU16BE(r + kInstDisplayNumber) == position) {
        gCurrentInstrument = i;
        return;
      }
    }
    return;
  }
  // Beyond the master strip no entry is named.
  int32_t index = gInstrumentCount + (h - firstAux) / gInstrumentStripWidth;
  if (index <= GetMasterIndex()) gCurrentInstrument = index;
}

bool SetInstrumentWindowPart(int32_t n) {
  if (n < 0 || n > kInstrumentSends) {
    SysBeep(5);
    return false;
  }
  gInstrumentWindowPart = uint8_t(n);
  WindowRef window = GetAppWindowRef(GetWindowForKind(kInstrumentWindowKindId));
  GetAppString(kWindowTitleText);
  if (n > 0) {
    AppendIndString(kInstrumentTextList, kAuxBusLabelText);
    const uint8_t number[3] = {2, uint8_t('0' + (n - 1) / 10), uint8_t('0' + (n - 1) % 10)};
    AppendPString(gStringBuffer, number);
  }
  if (window) SetWTitle(window, gStringBuffer);
  return true;
}
