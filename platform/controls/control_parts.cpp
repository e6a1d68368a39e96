// Part geometry and hit testing: TestControl, FindControl, FindControlUnderMouse.
#include "platform/controls/control_parts.h"

#include <algorithm>

#include "platform/quickdraw/quickdraw.h"

namespace {

constexpr int kMinThumbLength = 16;
constexpr short kCheckBoxSize = 14;
constexpr short kBevelMenuWidth = 16;

int Along(const Rect& r, bool vertical) { return vertical ? r.bottom - r.top : r.right - r.left; }

Rect Segment(const Rect& bar, bool vertical, int start, int length) {
  Rect r = bar;
  if (vertical) {
    r.top = SInt16(start);
    r.bottom = SInt16(start + length);
  } else {
    r.left = SInt16(start);
    r.right = SInt16(start + length);
  }
  return r;
}

bool Inside(Point pt, const Rect& r) { return !EmptyRect(&r) && PtInRect(pt, &r); }

ControlPartCode ScrollBarPartAt(ControlRef c, Point pt) {
  ScrollBarParts p = ScrollBarLayout(c);
  if (Inside(pt, p.upArrow)) return kControlUpButtonPart;
  if (Inside(pt, p.downArrow)) return kControlDownButtonPart;
  if (Inside(pt, p.thumb)) return kControlIndicatorPart;
  if (!Inside(pt, p.track) || EmptyRect(&p.thumb)) return kControlNoPart;
  int at = p.vertical ? pt.v : pt.h;
  return at < p.thumbStart ? kControlPageUpPart : kControlPageDownPart;
}

ControlPartCode UserPanePartAt(ControlRef c, Point pt) {
  if (c->pane.hitTest) return c->pane.hitTest(c, pt);
  return kControlNoPart;
}

}  // namespace

ScrollBarParts ScrollBarLayout(ControlRef c) {
  ScrollBarParts p;
  const Rect& b = c->bounds;
  p.vertical = (b.bottom - b.top) >= (b.right - b.left);
  int thickness = p.vertical ? b.right - b.left : b.bottom - b.top;
  int length = Along(b, p.vertical);
  int start = p.vertical ? b.top : b.left;
  int arrow = std::min(thickness, length / 2);
  p.upArrow = Segment(b, p.vertical, start, arrow);
  p.downArrow = Segment(b, p.vertical, start + length - arrow, arrow);
  p.trackStart = start + arrow;
  p.trackLength = std::max(0, length - 2 * arrow);
  p.track = Segment(b, p.vertical, p.trackStart, p.trackLength);
  int64_t range = int64_t(c->maximum) - c->minimum;
  if (range <= 0) return p;
  int thumb = thickness;
  if (c->viewSize > 0)
    thumb = int(std::max<int64_t>(kMinThumbLength, int64_t(p.trackLength) * c->viewSize /
                                                       (range + c->viewSize)));
  if (thumb > p.trackLength) return p;
  int travel = p.trackLength - thumb;
  p.thumbLength = thumb;
  p.thumbStart = p.trackStart + int((int64_t(c->value) - c->minimum) * travel / range);
  p.thumb = Segment(b, p.vertical, p.thumbStart, thumb);
  InsetRect(&p.thumb, p.vertical ? 2 : 0, p.vertical ? 0 : 2);
  return p;
}

SInt32 ScrollBarValueAt(ControlRef c, const ScrollBarParts& p, int thumbStart) {
  int travel = p.trackLength - p.thumbLength;
  if (travel <= 0) return c->minimum;
  int offset = std::clamp(thumbStart - p.trackStart, 0, travel);
  int64_t range = int64_t(c->maximum) - c->minimum;
  return SInt32(c->minimum + (int64_t(offset) * range + travel / 2) / travel);
}

Rect CheckMarkBox(ControlRef c) {
  const Rect& b = c->bounds;
  short size = std::min<short>(kCheckBoxSize, short(std::min(b.bottom - b.top, b.right - b.left)));
  short top = short(b.top + (b.bottom - b.top - size) / 2);
  return Rect{top, b.left, short(top + size), short(b.left + size)};
}

Rect CheckTitleRect(ControlRef c) {
  Rect r = c->bounds;
  r.left = SInt16(std::min<int>(r.right, CheckMarkBox(c).right + 5));
  return r;
}

Rect PopupTitleRect(ControlRef c) {
  Rect r = c->bounds;
  r.right = SInt16(std::min<int>(r.right, r.left + std::max<int>(0, c->titleWidth)));
  return r;
}

Rect PopupButtonRect(ControlRef c) {
  Rect r = c->bounds;
  if (c->titleWidth > 0) r.left = SInt16(std::min<int>(r.right, r.left + c->titleWidth + 4));
  return r;
}

Rect BevelMenuRect(ControlRef c) {
  if (!LiveControlMenu(c)) return Rect{};
  Rect r = c->bounds;
  if (c->menuOnRight)
    r.left = SInt16(std::max<int>(r.left, r.right - kBevelMenuWidth));
  else
    r.top = SInt16(std::max<int>(r.top, r.bottom - kBevelMenuWidth / 2 - 4));
  return r;
}

Rect LittleArrowsUpRect(ControlRef c) {
  Rect r = c->bounds;
  r.bottom = SInt16(r.top + (r.bottom - r.top) / 2);
  return r;
}

Rect LittleArrowsDownRect(ControlRef c) {
  Rect r = c->bounds;
  r.top = SInt16(r.top + (r.bottom - r.top) / 2);
  return r;
}

ControlPartCode ControlPartAt(ControlRef c, Point pt) {
  if (!PtInRect(pt, &c->bounds)) return kControlNoPart;
  switch (c->kind) {
    case CtlKind::kRoot:
    case CtlKind::kSeparator:
    case CtlKind::kGroupBox:
    case CtlKind::kProgressBar:
      return kControlNoPart;
    case CtlKind::kPushButton: return kControlButtonPart;
    case CtlKind::kCheckBox: return kControlCheckBoxPart;
    case CtlKind::kRadioButton: return kControlRadioButtonPart;
    case CtlKind::kScrollBar: return ScrollBarPartAt(c, pt);
    case CtlKind::kPopupButton: return kControlMenuPart;
    case CtlKind::kLittleArrows:
    {
      Rect up = LittleArrowsUpRect(c);
      return PtInRect(pt, &up) ? kControlUpButtonPart : kControlDownButtonPart;
    }
    case CtlKind::kStaticText: return kControlLabelPart;
    case CtlKind::kEditText: return kControlEditTextPart;
    case CtlKind::kUserPane: return UserPanePartAt(c, pt);
    case CtlKind::kBevelButton: {
      Rect menuRect = BevelMenuRect(c);
      return Inside(pt, menuRect) ? kControlMenuPart : kControlButtonPart;
    }
    case CtlKind::kPicture: return c->noTrack ? kControlNoPart : kControlPicturePart;
    case CtlKind::kIcon: return c->noTrack ? kControlNoPart : kControlIconPart;
  }
  return kControlNoPart;
}

// --- Hit testing ------------------------------------------------------------------------------------

ControlPartCode TestControl(ControlRef control, Point testPoint) {
  if (!IsLiveControl(control) || !IsShown(control) || !IsActiveNow(control)) return kControlNoPart;
  return ControlPartAt(control, testPoint);
}

namespace {

// The deepest shown control under pt at or below c (children drawn later are in front).
ControlRef Deepest(ControlRef c, Point pt) {
  if (!c->visible) return nullptr;
  if (c->kind != CtlKind::kRoot && !PtInRect(pt, &c->bounds)) return nullptr;
  for (auto it = c->children.rbegin(); it != c->children.rend(); ++it)
    if (ControlRef hit = Deepest(*it, pt)) return hit;
  return c->kind == CtlKind::kRoot ? nullptr : c;
}

}  // namespace

ControlRef FindControlUnderMouse(Point inWhere, WindowRef inWindow, ControlPartCode* outPart) {
  if (outPart) *outPart = kControlNoPart;
  ControlRef root = WindowRootControl(inWindow);
  if (!root) return nullptr;
  ControlRef hit = Deepest(root, inWhere);
  // An embedder with nothing to click (a group box, a plain user pane) passes the click on.
  while (hit && hit->kind != CtlKind::kRoot && ControlPartAt(hit, inWhere) == kControlNoPart &&
         (hit->kind == CtlKind::kGroupBox || hit->kind == CtlKind::kSeparator))
    hit = hit->parent && hit->parent->kind != CtlKind::kRoot ? hit->parent : nullptr;
  if (hit && outPart) *outPart = IsActiveNow(hit) ? ControlPartAt(hit, inWhere) : ControlPartCode(kControlNoPart);
  return hit;
}

ControlPartCode FindControl(Point testPoint, WindowRef window, ControlRef* theControl) {
  ControlPartCode part = kControlNoPart;
  ControlRef hit = FindControlUnderMouse(testPoint, window, &part);
  if (theControl) *theControl = hit;
  return part;
}
