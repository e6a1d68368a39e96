#include "editors/toolbar/toolbar_layout.h"

#include "editors/rulers/bar_ruler.h"
#include "platform/quickdraw/geometry.h"

namespace {

constexpr int16_t kLastCellRight = 104;  // a cell ending here ends at kLastCellRight - 2
constexpr int16_t kFirstColumnToolsBelow = 3;

bool Within(int16_t v, int32_t from, int32_t to) { return v >= from && v < to; }

// Column c's cell: x0 + 1 + 26c, 25 wide; rows from row to row + rows.
Rect Cell(int16_t column, int16_t columns, int16_t row, int16_t rows) {
  Point o = GetToolbarOrigin();
  int16_t left = int16_t(o.h + 1 + column * kToolButtonStep);
  int16_t right = int16_t(left + columns * kToolButtonStep - 1);
  if (right == o.h + kLastCellRight) right = int16_t(right - 2);
  int16_t top = int16_t(o.v + row * kToolbarRowHeight);
  return Rect{top, left, int16_t(top + rows * kToolbarRowHeight - 1), right};
}

// Left, right (from x0) and the first and last row (0..2) of each field.
struct FieldPlace {
  int16_t left, right, firstRow, lastRow;
};
constexpr FieldPlace kFieldPlaces[kToolbarFieldCount] = {
    {105, 130, 0, 0},  // zoom out
    {131, 156, 0, 0},  // zoom in
    {105, 156, 1, 1},  // bend
    {105, 156, 2, 2},  // 'R'
    {157, 183, 0, 0},  // swing
    {157, 183, 1, 2},  // note value pop-up (the mode setting field)
    {183, 209, 0, 0},  // channel
    {209, 262, 0, 0},  // note value in ticks
    {209, 262, 1, 1},  // note length percentage
    {209, 262, 2, 2},  // velocity
    {327, 403, 1, 1},  // program
    {487, 515, 0, 0},  // instrument
    {487, 515, 1, 1},  // volume
    {487, 515, 2, 2},  // pan
};

}  // namespace

Rect GetReadoutBoxRect() {
  Point o = GetToolbarOrigin();
  return Rect{o.v, int16_t(o.h + kReadoutBoxLeft), int16_t(o.v + kToolbarHeight), int16_t(o.h + kReadoutBoxRight)};
}

Rect GetToolbarFieldRect(ToolbarField field) {
  Point o = GetToolbarOrigin();
  const FieldPlace& f = kFieldPlaces[field < kToolbarFieldCount ? field : 0];
  return Rect{int16_t(o.v + f.firstRow * kToolbarRowHeight), int16_t(o.h + f.left),
              int16_t(o.v + (f.lastRow + 1) * kToolbarRowHeight), int16_t(o.h + f.right)};
}

ToolbarField HitTestToolbarFields(Point mouse) {
  for (int16_t k = 0; k < kToolbarFieldCount; ++k) {
    Rect r = GetToolbarFieldRect(ToolbarField(k));
    if (PtInRect(mouse, &r)) return ToolbarField(k);
  }
  return kToolbarFieldCount;
}

Point GetToolbarOrigin() {
  return Point{gEditorLayout.originY, int16_t(gEditorLayout.toolbar.left + gEditorLayout.originX)};
}

ToolbarArea HitTestToolbar(Point mouse) {
  Point o = GetToolbarOrigin();
  int16_t width = int16_t(gEditorLayout.toolbar.right - gEditorLayout.toolbar.left);
  if (!Within(mouse.v, o.v, o.v + kToolbarHeight) || !Within(mouse.h, o.h + 1, o.h + 1 + width - 4)) return kOutsideToolbar;
  if (Within(mouse.h, o.h + 1, o.h + kToolBlockRight)) return kToolBlockArea;
  bool lowerRows = mouse.v >= o.v + kToolbarRowHeight;
  if (lowerRows && Within(mouse.h, o.h + kModeFieldLeft, o.h + kStateIconsLeft)) return kModeSettingArea;
  if (lowerRows && Within(mouse.h, o.h + kStateIconsLeft, o.h + kStateIconsRight)) return kStateIconArea;
  return kToolbarBackground;
}

Rect GetToolButtonRect(int16_t index) {
  switch (index) {
    case 0:
    case 1: return Cell(index, 1, 1, 2);
    case 2: return Cell(0, 2, 0, 1);
    case 3:
    case 4: return Cell(int16_t(index - 1), 1, 1, 2);
    default: return Cell(int16_t(index - kFirstColumnToolsBelow), 1, 0, 1);
  }
}

int16_t HitTestToolButtons(Point mouse, int16_t buttonCount) {
  for (int16_t k = 0; k < buttonCount; ++k) {
    Rect r = GetToolButtonRect(k);
    if (PtInRect(mouse, &r)) return k;
  }
  return -1;
}
