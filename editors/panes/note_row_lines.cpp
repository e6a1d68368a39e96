#include "editors/panes/note_row_lines.h"

#include <algorithm>

#include "editors/note_drawing/note_boxes.h"
#include "editors/panes/pane_colours.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/editor_panes.h"

namespace {

constexpr int32_t kKeysPerOctave = 7;
constexpr uint8_t kScaleSteps[kKeysPerOctave] = {2, 2, 1, 2, 2, 2, 1};
constexpr uint8_t kLineOffsets[kKeysPerOctave] = {2, 2, 0, 2, 2, 2, 0};
constexpr uint8_t kWhiteKeyMask = 0x44;  // keys 2 (E) and 6 (B) have no black key below
constexpr int32_t kMaxOctaveWalk = 1000;

struct RowWalk {
  Rect pane;
  int32_t pitch;
  int32_t correction = 0;  // the octave heights added below pitch 0
};

RowWalk StartWalk() {
  RowWalk w;
  GetPaneContentRect(gCurrentPaneIndex, &w.pane);
  w.pitch = GetPaneTopPitch();
  return w;
}

int32_t RowTop(const RowWalk& w, int32_t pitch) { return gNoteRowPosition[pitch] + gTimelineFrame.top + w.correction; }

// False once y has reached the pane bottom.
bool Line(const RowWalk& w, int32_t y) {
  if (y >= w.pane.bottom) return false;
  if (y >= w.pane.top) {
    MoveTo(int16_t(w.pane.left + 1), int16_t(y));
    LineTo(w.pane.right, int16_t(y));
  }
  return true;
}

void Band(const RowWalk& w, int32_t y) {
  int32_t half = std::max<int32_t>(gNoteMetric, 1) / 2;
  Rect band{int16_t(std::clamp<int32_t>(y - half, w.pane.top, w.pane.bottom)), w.pane.left,
            int16_t(std::clamp<int32_t>(y - half + std::max<int32_t>(gNoteMetric, 1), w.pane.top, w.pane.bottom)),
            w.pane.right};
  EraseRect(&band);
}

// Style 1: the F-sharp rows (background) and the B rows (foreground).
void DrawOctaveLines(bool foreground) {
  RowWalk w = StartWalk();
  for (int32_t n = 0; n < kMaxOctaveWalk * 2 && w.pitch >= 0; w.pitch -= (w.pitch & 1) ? 5 : 7, ++n) {
    if (w.pitch > 131) continue;
    bool bRow = (w.pitch & 1) != 0;
    if (bRow == foreground && !Line(w, RowTop(w, w.pitch) + (foreground ? -1 : 1))) return;
  }
}

// Styles 2 and 3, background pass: a separator in the middle of each black-key row and at the
// E-F step (2), or a shaded band on each black key (3); rows go on below pitch 0 in style 2.
void DrawKeyRows(bool shaded) {
  RowWalk w = StartWalk();
  for (int32_t octave = 0; octave < kMaxOctaveWalk; ++octave) {
    for (int32_t key = kKeysPerOctave - 1; key >= 0; --key) {
      if (w.pitch < 0) {
        if (shaded || gOctaveHeight <= 0) return;
        w.pitch += 12;
        w.correction += gOctaveHeight;
      }
      if (key != kKeysPerOctave - 1 && w.pitch <= 131) {
        int32_t y = RowTop(w, w.pitch) + kLineOffsets[key] * gNoteMetric / 3;
        if (y >= w.pane.bottom) return;
        if (!shaded) Line(w, y);
        else if (!(kWhiteKeyMask & (1 << key))) Band(w, y);
      }
      w.pitch -= kScaleSteps[key];
    }
  }
}

// Style 2, foreground pass: the top of each B row less one.
void DrawOctaveTops() {
  RowWalk w = StartWalk();
  for (int32_t n = 0; n < kMaxOctaveWalk; ++n, w.pitch -= 12) {
    if (w.pitch < 0) {
      if (gOctaveHeight <= 0) return;
      w.pitch += 12;
      w.correction += gOctaveHeight;
    }
    if (w.pitch <= 131 && !Line(w, RowTop(w, w.pitch) - 1)) return;
  }
}

}  // namespace

int32_t GetPaneTopPitch() { return 143 - 12 * (GetPaneScrollValue() / 12); }

void DrawNoteRowLines(bool foreground) {
  if (foreground) SetBarPen();
  else SetBeatPen();
  switch (gNoteRowStyle) {
    case kOctaveRowLines: DrawOctaveLines(foreground); break;
    case kPianoRowLines:
      if (foreground) DrawOctaveTops();
      else DrawKeyRows(false);
      break;
    case kShadedRowLines:
      if (!foreground) {
        RGBColor shade = PaneColour(kShadedRowColour, RGBColor{0xDDDD, 0xDDDD, 0xDDDD});
        RGBBackColor(&shade);
        DrawKeyRows(true);
        BackColor(whiteColor);
      }
      break;
    default: break;
  }
  PenNormal();
  ForeColor(blackColor);
}
