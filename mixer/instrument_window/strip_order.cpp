#include "mixer/instrument_window/strip_order.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "mixer/instrument_window/strip_geometry.h"
#include "mixer/instrument_window/strip_values.h"
#include "platform/events/classic_events.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/system/host_time.h"
#include "platform/windows/windows.h"
#include "shell/base/event_records.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/instrument_strip_layout.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/output_bindings.h"
#include "song/model/window_redraw.h"

namespace {

constexpr Pattern kGray{{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}};
constexpr uint32_t kScrollPause = 6;  // ticks between two scroll steps of a drag

bool IsHidden(int32_t i) { return GetInstrumentRecord(i)[kInstNoDisplayNumber] != 0; }

// The new order (order[new] = old): the instruments left in place keep their order, and the
// selected ones follow the first `position` shown ones of them.
std::vector<int32_t> OrderWithSelectionAt(int32_t position) {
  std::vector<int32_t> order, block;
  for (int32_t i = 0; i < gInstrumentCount; ++i)
    if (IsStripSelected(i)) block.push_back(i);
  int32_t shownBefore = 0;
  bool placed = false;
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    if (IsStripSelected(i)) continue;
    if (!placed && !IsHidden(i) && shownBefore >= position) {
      order.insert(order.end(), block.begin(), block.end());
      placed = true;
    }
    order.push_back(i);
    if (!IsHidden(i)) ++shownBefore;
  }
  if (!placed) order.insert(order.end(), block.begin(), block.end());
  return order;
}

int32_t MoveStep(void* context) {
  const int32_t count = gInstrumentCount;
  std::vector<int32_t> order = OrderWithSelectionAt(*static_cast<int32_t*>(context));
  std::vector<int32_t> newIndex(size_t(count), 0);
  bool moved = false;
  for (int32_t n = 0; n < count; ++n) {
    newIndex[size_t(order[size_t(n)])] = n;
    moved |= order[size_t(n)] != n;
  }
  if (!moved) return 1;
  std::vector<uint8_t> records(size_t(count) * kInstrumentSize);
  std::memcpy(records.data(), GetInstrumentRecord(0), records.size());
  for (int32_t n = 0; n < count; ++n)
    std::memcpy(GetInstrumentRecord(n), &records[size_t(order[size_t(n)]) * kInstrumentSize], kInstrumentSize);
  RenumberInstrumentReferencesForOrder(newIndex.data(), count);
  if (gCurrentInstrument >= 0 && gCurrentInstrument < count) gCurrentInstrument = newIndex[size_t(gCurrentInstrument)];
  RebuildLinkGroups();
  RebuildInstrumentState();
  return 1;
}

int16_t LastStripRight() {
  int16_t right = kStripColumnLeft;
  for (int32_t i = 0; i < gInstrumentCount; ++i)
    if (IsStripShown(i)) right = std::max<int16_t>(right, int16_t(GetStripLeft(i) + gInstrumentStripWidth));
  return right;
}

// The outline of the selected strips' names and bodies, moved by dh.
void FrameSelection(int16_t dh) {
  int32_t saved = gCurrentInstrument;
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    if (!IsStripSelected(i) || !IsStripShown(i)) continue;
    gCurrentInstrument = i;
    StripRect();
    Rect r = gScratchRect;
    OffsetRect(&r, dh, 0);
    FrameRect(&r);
  }
  gCurrentInstrument = saved;
}

}  // namespace

bool MoveSelectedInstrumentsTo(int32_t position) {
  if (gInstrumentCount <= 0 || CountFlaggedInstruments(7) == 0) return false;
  position = std::max(position, 0);
  RunInstrumentTableStep(MoveStep, &position);
  InvalidateInstrumentWindow();
  InvalidateTrackWindow();
  return true;
}

void DragSelectedStrips() {
  const int16_t startH = gLastMousePoint.h;
  // Positions are display orders: the window may scroll while the strips are dragged.
  const int32_t startPosition =
      (startH - kStripColumnLeft) / std::max<int16_t>(gInstrumentStripWidth, 1) + GetInstrumentScrollValue();
  PenMode(patXor);
  PenPat(&kGray);
  int16_t dh = 0;
  FrameSelection(dh);
  Point mouse = gLastMousePoint;
  uint32_t nextScroll = 0;
  while (StillDown()) {
    GetMouse(&mouse);
    int16_t now = int16_t(mouse.h - startH);
    if ((mouse.h < kStripColumnLeft || mouse.h > LastStripRight()) && TickCount() >= nextScroll) {
      nextScroll = TickCount() + kScrollPause;
      int16_t step = mouse.h < kStripColumnLeft ? -1 : 1;
      FrameSelection(dh);
      SetInstrumentScrollValue(int16_t(GetInstrumentScrollValue() + step));
      RedrawAppWindow(GetWindowForKind(kInstrumentWindowKindId));
      FrameSelection(dh);
    }
    if (now == dh) continue;
    FrameSelection(dh);
    dh = now;
    FrameSelection(dh);
  }
  FrameSelection(dh);
  PenNormal();
  if (mouse.h < kStripColumnLeft) return;
  int32_t position =
      (mouse.h - kStripColumnLeft) / std::max<int16_t>(gInstrumentStripWidth, 1) + GetInstrumentScrollValue();
  if (position == startPosition) return;
  MoveSelectedInstrumentsTo(position);
}
