#include "editors/note_moves/drag_outlines.h"

#include <algorithm>

#include "editors/note_drawing/note_boxes.h"
#include "editors/note_moves/selected_event_walk.h"
#include "editors/selection/event_hit_test.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"

namespace {

RgnHandle gBuilding = nullptr;  // the outline being gathered by a walk

// r's edge one pixel wide, or the part of r above its bottom edge when frame is false, kept
// inside the current pane.
void AddToOutline(const Rect& r, bool frame) {
  if (!gBuilding || r.right <= r.left || r.bottom <= r.top) return;
  Rect pane;
  GetPaneContentRect(gCurrentPaneIndex, &pane);
  RgnHandle piece = NewRgn(), inside = NewRgn();
  RectRgn(piece, &r);
  if (frame) {
    Rect inner = r;
    InsetRect(&inner, 1, 1);
    RectRgn(inside, &inner);
    DiffRgn(piece, inside, piece);
  }
  RectRgn(inside, &pane);
  SectRgn(piece, inside, piece);
  UnionRgn(gBuilding, piece, gBuilding);
  DisposeRgn(inside);
  DisposeRgn(piece);
}

void AddNoteFrame(const uint8_t* note, int16_t rightShift) {
  ComputeNoteRect(note);
  Rect r = gNoteRect;
  r.right = std::max<int16_t>(int16_t(r.right + rightShift), int16_t(r.left + 1));
  AddToOutline(r, true);
}

void AddStem(const uint8_t* note, int32_t change) {
  ComputeNoteRect(note);
  int32_t velocity = std::clamp<int32_t>((note[kEventData2] & 0x7F) + change, 0, 127);
  Rect stem{int16_t(gNoteRect.top - VelocityStemHeight(velocity)), gNoteRect.left, gNoteRect.top,
            int16_t(gNoteRect.left + 1)};
  AddToOutline(stem, false);
}

// Walks the selected notes of the selected panes with proc (args[0] its argument).
RgnHandle GatherSelected(void (*proc)(uint8_t*, PerEventProcedure*), int32_t argument) {
  gBuilding = NewRgn();
  PerEventProcedure walk;
  walk.proc = proc;
  walk.args[0] = argument;
  walk.wholeList = true;
  RunPerEventProcedure(&walk);
  RgnHandle built = gBuilding;
  gBuilding = nullptr;
  return built;
}

RgnHandle GatherOne(const uint8_t* note, void (*add)(const uint8_t*, int32_t), int32_t argument) {
  gBuilding = NewRgn();
  if (note && SeqEventKind(note) == kKindNote) add(note, argument);
  RgnHandle built = gBuilding;
  gBuilding = nullptr;
  return built;
}

// The grey pen in exclusive-or, black on white so that the pattern's dark pixels invert.
void XorPaint(RgnHandle rgn) {
  if (!rgn || EmptyRgn(rgn)) return;
  PenState pen;
  GetPenState(&pen);
  RGBColor fore, back;
  GetForeColor(&fore);
  GetBackColor(&back);
  Pattern gray;
  PenNormal();
  PenPat(GetQDGlobalsGray(&gray));
  PenMode(patXor);
  ForeColor(blackColor);
  BackColor(whiteColor);
  PaintRgn(rgn);
  SetPenState(&pen);
  RGBForeColor(&fore);
  RGBBackColor(&back);
}

}  // namespace

void ShowDragOutline(DragOutline* outline, RgnHandle next) {
  if (outline->shown && next && EqualRgn(outline->shown, next)) {
    DisposeRgn(next);
    return;
  }
  HideDragOutline(outline);
  XorPaint(next);
  outline->shown = next;
}

void HideDragOutline(DragOutline* outline) {
  if (!outline->shown) return;
  XorPaint(outline->shown);
  DisposeRgn(outline->shown);
  outline->shown = nullptr;
}

RgnHandle NoteFrame(const uint8_t* note) {
  if (IsCurrentPaneDrumView()) return NewRgn();
  return GatherOne(note, [](const uint8_t* e, int32_t) { AddNoteFrame(e, 0); }, 0);
}

RgnHandle SelectedNoteFrames() {
  if (IsCurrentPaneDrumView()) return NewRgn();
  return GatherSelected([](uint8_t* e, PerEventProcedure*) {
    if (SeqEventKind(e) == kKindNote) AddNoteFrame(e, 0);
  }, 0);
}

RgnHandle LengthenedNoteFrames(const uint8_t* note, bool several, int16_t right, int16_t dx) {
  if (IsCurrentPaneDrumView()) return NewRgn();
  if (several) {
    return GatherSelected([](uint8_t* e, PerEventProcedure* s) {
      if (SeqEventKind(e) == kKindNote) AddNoteFrame(e, int16_t(s->args[0]));
    }, dx);
  }
  if (!note) return NewRgn();
  ComputeNoteRect(note);
  return GatherOne(note, [](const uint8_t* e, int32_t shift) { AddNoteFrame(e, int16_t(shift)); },
                   int32_t(right) - gNoteRect.right);
}

RgnHandle ChangedVelocityStems(const uint8_t* note, bool several, int32_t change) {
  if (IsCurrentPaneDrumView()) return NewRgn();
  if (several) {
    return GatherSelected([](uint8_t* e, PerEventProcedure* s) {
      if (SeqEventKind(e) == kKindNote) AddStem(e, s->args[0]);
    }, change);
  }
  return GatherOne(note, AddStem, change);
}
