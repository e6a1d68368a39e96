#include "editors/toolbar/toolbar_pictures.h"

#include "editors/note_entry/editor_clicks.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/toolbar/toolbar_layout.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pictures.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "shell/windows/editor_panes.h"

namespace {

constexpr int16_t kAudioViewMode = 9;

// The picture with its frame's top left at r's, shown only inside r and the port's clip.
void DrawPictureInside(int16_t id, const Rect& r) {
  PicHandle picture = GetPicture(id);
  Rect frame{};
  if (!picture || !GetPictureFrame(picture, &frame) || EmptyRect(&r)) return;
  OffsetRect(&frame, int16_t(r.left - frame.left), int16_t(r.top - frame.top));
  RgnHandle saved = NewRgn(), inside = NewRgn();
  GetClip(saved);
  RectRgn(inside, &r);
  SectRgn(inside, saved, inside);
  SetClip(inside);
  DrawPicture(picture, &frame);
  SetClip(saved);
  DisposeRgn(inside);
  DisposeRgn(saved);
}

}  // namespace

Rect GetLaneFieldsPictureRect(int16_t viewMode) {
  if (IsNoteOrDrumView(viewMode)) return Rect{0, 0, 0, 0};
  Point o = GetToolbarOrigin();
  int16_t left = int16_t(o.h + kLaneFieldsPictureLeft), top = int16_t(o.v + kLaneFieldsPictureTop);
  int16_t width = viewMode == kAudioViewMode ? kAudioViewPictureWidth : kLaneFieldsPictureWidth;
  return Rect{top, left, int16_t(top + kLaneFieldsPictureHeight), int16_t(left + width)};
}

void DrawToolbarPictures() {
  DrawPictureInside(gEditorLayout.pictureBase, gEditorLayout.toolbar);
  Rect lane = GetLaneFieldsPictureRect(gCurrentViewMode);
  if (!EmptyRect(&lane)) DrawPictureInside(kLaneFieldsPictureId, lane);
}
