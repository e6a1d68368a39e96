#include "editors/note_entry/marker_drag.h"

#include <algorithm>
#include <cstring>

#include "editors/note_entry/grid_snapping.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/rulers/marker_strip.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/classic_events.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/geometry.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/markers.h"
#include "song/model/song_context.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int16_t kDragSlack = 5;  // pixels above and below the strip
constexpr int32_t kMarkerChangeUndoKind = 12;

struct MarkerMove {
  int32_t index;
  uint32_t tick;
};

void SetDragged(int32_t index, bool dragged) {
  if (index < 0 || index >= CountMarkers()) return;
  uint8_t* m = GetMarkerAt(index);
  if (MarkerKind(m) == kMarkerKindPlain) return;  // a plain marker has no flag byte
  if (dragged) m[kMarkerFlagsOffset] |= kMarkerDragged;
  else m[kMarkerFlagsOffset] &= uint8_t(~kMarkerDragged);
}

// The index of the marker named name at tick; -1 when none.
int32_t FindMarkerAt(const uint8_t* name, uint32_t tick) {
  for (int32_t n = 0; n < CountMarkers(); ++n) {
    uint8_t* m = GetMarkerAt(n);
    const uint8_t* other = GetMarkerName(m);
    if (MarkerTick(m) == tick && other[0] == name[0] && std::memcmp(other + 1, name + 1, name[0]) == 0) return n;
  }
  return -1;
}

// Marker index moves to tick (its time follows) and the list is sorted again; its new index.
int32_t MoveMarkerTo(int32_t index, uint32_t tick) {
  if (index < 0 || index >= CountMarkers()) return -1;
  uint8_t* m = GetMarkerAt(index);
  Str255 name;
  std::memcpy(name, GetMarkerName(m), size_t(GetMarkerName(m)[0]) + 1);
  WriteU32BE(m + kMarkerTickOffset, tick);
  if (MarkerKind(m) != kMarkerKindPlain) WriteU32BE(m + kMarkerTimeOffset, TickToTime(int32_t(tick)));
  SortMarkers();
  return FindMarkerAt(name, tick);
}

int32_t ApplyMarkerMove(void* context) {
  auto* move = static_cast<MarkerMove*>(context);
  SetCurrentUndoKind(kMarkerChangeUndoKind);
  move->index = MoveMarkerTo(move->index, move->tick);
  SetSongModified();
  return 0;
}

uint32_t TickAtMouse(Point mouse, int16_t grab, uint32_t home) {
  Rect bounds = GetMarkerStripRect(GetMainWindowRight());
  bounds.top = int16_t(bounds.top - kDragSlack);
  bounds.bottom = int16_t(bounds.bottom + kDragSlack);
  if (!PtInRect(mouse, &bounds)) return home;
  return uint32_t(SnapTimeToGrid(XToTime(mouse.h - grab), 0, gSnapSwitch != 0, true, nullptr));
}

}  // namespace

bool DragMarker(Point start, int32_t index, bool doubleClick) {
  if (doubleClick) return true;
  if (index < 0 || index >= CountMarkers()) return false;
  uint32_t home = MarkerTick(GetMarkerAt(index));
  int16_t grab = int16_t(start.h - TickToClampedPixel(int32_t(home)));
  uint32_t now = home;
  int32_t at = index;
  SetDragged(at, true);
  bool moved = false;  // a click that does not move leaves the marker where it is
  while (StillDown()) {
    Point mouse;
    GetMouse(&mouse);
    moved = moved || mouse.h != start.h || mouse.v != start.v;
    if (!moved) continue;
    uint32_t want = TickAtMouse(mouse, grab, home);
    if (want == now || at < 0) continue;
    at = MoveMarkerTo(at, want);
    now = want;
    DrawMarkerStrip(0);
  }
  SetDragged(at, false);
  if (now != home && at >= 0) {
    // The step keeps the list as it was before the drag, then the move is made inside it.
    MarkerMove move{MoveMarkerTo(at, home), now};
    RunUndoableEdit(ApplyMarkerMove, &move);
  }
  RedrawMarkerViews();
  return false;
}
