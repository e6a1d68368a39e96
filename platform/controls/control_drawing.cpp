// Drawing controls: each kind in the one look, and Draw1Control, DrawControls, UpdateControls.
#include <algorithm>

#include "platform/controls/control_look.h"
#include "platform/controls/control_parts.h"
#include "platform/menus/menus.h"

namespace {

ControlTextSubstitutionProc gSubstitution = nullptr;

bool Pressed(ControlRef c, ControlPartCode part) { return c->hilite == part; }

RGBColor TextColor(ControlRef c, bool active) {
  if (!active) return look::kTextInactive;
  if (c->fontStyle.flags & kControlUseForeColorMask) return c->fontStyle.foreColor;
  return look::kText;
}

void DrawPushButton(ControlRef c, bool active) {
  Rect r = c->bounds;
  bool down = Pressed(c, kControlButtonPart);
  bool accent = c->isDefault && active;
  look::FillRound(r, 8, accent ? (down ? look::kAccentPressed : look::kAccent)
                                : (down ? look::kFacePressed : look::kFace));
  look::FrameRound(r, 8, !active ? look::kFrameInactive : accent ? look::kAccentPressed : look::kFrame);
  InsetRect(&r, 4, 0);
  look::TextLine(c, c->title, r, teCenter, accent ? look::kWhite : TextColor(c, active));
}

void DrawCheckMark(ControlRef c, const Rect& box, bool active) {
  bool down = Pressed(c, kControlCheckBoxPart);
  bool on = c->value != 0;
  RGBColor fill = on ? (active ? (down ? look::kAccentPressed : look::kAccent) : look::kFrameInactive)
                     : (down ? look::kFacePressed : look::kWhite);
  RGBColor frame = active ? (on ? look::kAccentPressed : look::kFrame) : look::kFrameInactive;
  Rect inner = box;
  InsetRect(&inner, 4, 4);
  if (c->kind == CtlKind::kRadioButton) {
    look::FillOvalIn(box, fill);
    look::FrameOvalIn(box, frame);
    if (c->value == kControlRadioButtonCheckedValue) look::FillOvalIn(inner, look::kWhite);
  } else {
    look::FillRound(box, 4, fill);
    look::FrameRound(box, 4, frame);
    if (c->value == kControlCheckBoxCheckedValue) {
      short left = box.left, top = box.top, w = short(box.right - box.left);
      PenSize(2, 2);
      RGBForeColor(&look::kWhite);
      MoveTo(short(left + w / 4 - 1), short(top + w / 2 - 1));
      LineTo(short(left + w / 2 - 2), short(top + 3 * w / 4 - 2));
      LineTo(short(left + 3 * w / 4), short(top + w / 4 - 1));
      PenNormal();
    }
  }
  if (on && c->value == kControlCheckBoxMixedValue) {
    Rect dash = inner;
    dash.top = short((inner.top + inner.bottom) / 2 - 1);
    dash.bottom = short(dash.top + 2);
    look::Fill(dash, look::kWhite);
  }
}

void DrawCheckOrRadio(ControlRef c, bool active) {
  DrawCheckMark(c, CheckMarkBox(c), active);
  look::TextLine(c, c->title, CheckTitleRect(c), teFlushLeft, TextColor(c, active));
}

void DrawArrowBox(const Rect& box, look::Direction d, bool down, bool active) {
  look::Fill(box, down ? look::kFacePressed : look::kFace);
  look::Frame(box, active ? look::kFrame : look::kFrameInactive);
  look::Triangle(box, d, active ? look::kArrow : look::kFrameInactive);
}

void DrawScrollBar(ControlRef c, bool active) {
  ScrollBarParts p = ScrollBarLayout(c);
  look::Fill(c->bounds, look::kTrack);
  look::Frame(c->bounds, active ? look::kFrame : look::kFrameInactive);
  bool hasRange = c->maximum > c->minimum;
  bool arrowsLive = active && hasRange;
  DrawArrowBox(p.upArrow, p.vertical ? look::Direction::kUp : look::Direction::kLeft,
               Pressed(c, kControlUpButtonPart), arrowsLive);
  DrawArrowBox(p.downArrow, p.vertical ? look::Direction::kDown : look::Direction::kRight,
               Pressed(c, kControlDownButtonPart), arrowsLive);
  if (!arrowsLive || EmptyRect(&p.thumb)) return;
  Rect thumb = p.thumb;
  if (c->ghostThumb >= 0) {
    int shift = c->ghostThumb - p.thumbStart;
    OffsetRect(&thumb, short(p.vertical ? 0 : shift), short(p.vertical ? shift : 0));
  }
  if (Pressed(c, kControlPageUpPart) || Pressed(c, kControlPageDownPart)) {
    bool up = Pressed(c, kControlPageUpPart);
    Rect page = p.track;
    if (p.vertical) {
      if (up) page.bottom = p.thumb.top; else page.top = p.thumb.bottom;
    } else {
      if (up) page.right = p.thumb.left; else page.left = p.thumb.right;
    }
    InsetRect(&page, 1, 1);
    look::Fill(page, look::kFacePressed);
  }
  look::FillRound(thumb, 6, Pressed(c, kControlIndicatorPart) ? look::kThumbPressed : look::kThumb);
}

void DrawPopupButton(ControlRef c, bool active) {
  if (c->titleWidth > 0)
    look::TextLine(c, c->title, PopupTitleRect(c), c->justification, TextColor(c, active));
  Rect r = PopupButtonRect(c);
  bool down = Pressed(c, kControlMenuPart);
  look::FillRound(r, 8, down ? look::kFacePressed : look::kFace);
  look::FrameRound(r, 8, active ? look::kFrame : look::kFrameInactive);
  Rect arrow = r;
  arrow.left = short(std::max<int>(r.left, r.right - 20));
  look::Triangle(arrow, look::Direction::kDown, active ? look::kText : look::kFrameInactive);
  Str255 item;
  item[0] = 0;
  MenuRef menu = LiveControlMenu(c);
  if (menu && c->value >= 1 && c->value <= CountMenuItems(menu))
    GetMenuItemText(menu, MenuItemIndex(c->value), item);
  Rect text = r;
  text.left = short(text.left + 8);
  text.right = arrow.left;
  look::TextLine(c, std::string(reinterpret_cast<const char*>(item + 1), item[0]), text,
                 teFlushLeft, TextColor(c, active));
}

void DrawLittleArrows(ControlRef c, bool active) {
  DrawArrowBox(LittleArrowsUpRect(c), look::Direction::kUp, Pressed(c, kControlUpButtonPart), active);
  DrawArrowBox(LittleArrowsDownRect(c), look::Direction::kDown, Pressed(c, kControlDownButtonPart),
               active);
}

void DrawStaticText(ControlRef c, bool active) {
  std::string text = c->text;
  if (c->substituteParams && gSubstitution) gSubstitution(&text);
  if (c->fontStyle.flags & kControlUseBackColorMask) look::Fill(c->bounds, c->fontStyle.backColor);
  if (c->truncation < 0)
    look::TextWrapped(c, text, c->bounds, c->justification, TextColor(c, active));
  else
    look::TextLine(c, text, c->bounds, c->justification, TextColor(c, active));
}

void DrawEditText(ControlRef c, bool active) {
  bool focused = WindowFocusControl(c->window) == c && c->focusPart != kControlFocusNoPart;
  Rect field = c->bounds;
  InsetRect(&field, -2, -2);
  look::Fill(field, look::kWhite);
  DrawThemeEditTextFrame(&field, active ? kThemeStateActive : kThemeStateInactive);
  if (focused && active) {
    Rect frame = field;
    InsetRect(&frame, -1, -1);
    DrawThemeFocusRect(&frame, true);
  }
  Rect inner = EditTextInnerRect(c);
  std::string shown = EditTextShownText(c);
  int base = inner.left - c->scrollX;
  short lineTop = short(inner.top + (inner.bottom - inner.top - look::LineHeight(c)) / 2);
  short lineBottom = short(lineTop + look::LineHeight(c));
  auto x = [&](SInt16 offset) {
    return short(std::clamp(base + ControlTextWidth(c, shown, size_t(offset)), -32767, 32767));
  };
  look::Clipped(inner, [&] {
    if (focused && active && c->selStart != c->selEnd)
      look::Fill(Rect{lineTop, x(c->selStart), lineBottom, x(c->selEnd)}, look::kSelection);
    size_t first = 0, count = 0;
    int startH = base;
    look::VisibleRun(c, shown, base, inner.left, inner.right, &first, &count, &startH);
    look::TextRun(c, shown, first, count, startH, lineTop + look::Ascent(c), TextColor(c, active));
    if (focused && active && c->selStart == c->selEnd && c->caretOn)
      look::LineBetween(x(c->selStart), lineTop, x(c->selStart), short(lineBottom - 1), look::kText);
  });
}

void DrawProgressBar(ControlRef c, bool active) {
  Rect r = c->bounds;
  look::FillRound(r, 6, look::kTrack);
  Rect bar = r;
  InsetRect(&bar, 1, 1);
  RGBColor fill = active ? look::kAccent : look::kFrameInactive;
  if (c->indeterminate) {
    look::Clipped(bar, [&] {
      int phase = ((c->phase % 16) + 16) % 16;
      for (int x = bar.left - 16 + phase; x < bar.right; x += 16) {
        Rect band{bar.top, short(x), bar.bottom, short(x + 8)};
        look::Fill(band, fill);
        Rect gap{bar.top, short(x + 8), bar.bottom, short(x + 16)};
        look::Fill(gap, look::kStripe);
      }
    });
  } else if (c->maximum > c->minimum) {
    int64_t width = bar.right - bar.left;
    bar.right = short(bar.left + width * (int64_t(c->value) - c->minimum) /
                                     (int64_t(c->maximum) - c->minimum));
    if (bar.right > bar.left) look::FillRound(bar, 4, fill);
  }
  look::FrameRound(r, 6, active ? look::kFrame : look::kFrameInactive);
}

void DrawContent(ControlRef c, const Rect& box) {
  if (c->contentType == kControlContentPictRes || c->contentType == kControlContentPictHandle ||
      c->kind == CtlKind::kPicture) {
    PicHandle pic = c->contentHandle ? c->contentHandle : GetPicture(c->contentID);
    Rect frame;
    if (!pic || !GetPictureFrame(pic, &frame)) return;
    Rect dst = box;
    if (c->kind != CtlKind::kPicture) {
      short w = short(frame.right - frame.left), h = short(frame.bottom - frame.top);
      dst.left = short(box.left + (box.right - box.left - w) / 2);
      dst.top = short(box.top + (box.bottom - box.top - h) / 2);
      dst.right = short(dst.left + w);
      dst.bottom = short(dst.top + h);
    }
    DrawPicture(pic, &dst);
    return;
  }
  if (c->contentType == kControlContentCIconRes || c->contentType == kControlContentCIconHandle ||
      c->kind == CtlKind::kIcon) {
    CIconHandle icon = c->contentHandle ? c->contentHandle : GetCIcon(c->contentID);
    if (!icon) return;
    PlotCIcon(&box, icon);
    if (!c->contentHandle) DisposeCIcon(icon);
  }
}

void DrawBevelButton(ControlRef c, bool active) {
  bool down = Pressed(c, kControlButtonPart) || Pressed(c, kControlMenuPart) ||
              ((c->behavior & (kControlBehaviorToggles | kControlBehaviorSticky)) && c->value);
  look::Fill(c->bounds, down ? look::kFacePressed : look::kFace);
  look::Frame(c->bounds, active ? look::kFrame : look::kFrameInactive);
  Rect content = c->bounds;
  InsetRect(&content, 3, 2);
  Rect menuRect = BevelMenuRect(c);
  if (!EmptyRect(&menuRect)) {
    look::Triangle(menuRect, look::Direction::kDown, active ? look::kText : look::kFrameInactive);
    if (c->menuOnRight) content.right = menuRect.left;
  }
  if (c->contentType != kControlContentTextOnly) {
    DrawContent(c, content);
    return;
  }
  SInt16 just = c->justification == teFlushDefault ? SInt16(teCenter) : c->justification;
  look::TextLine(c, c->title, content, just, TextColor(c, active));
}

void DrawGroupBox(ControlRef c, bool active) {
  SInt16 lineHeight = look::LineHeight(c);
  Rect frame = c->bounds;
  if (!c->title.empty()) frame.top = short(frame.top + lineHeight / 2);
  ThemeDrawState state = active ? kThemeStateActive : kThemeStateInactive;
  if (c->procID < kControlGroupBoxSecondaryTextTitleProc)
    DrawThemePrimaryGroup(&frame, state);
  else
    DrawThemeSecondaryGroup(&frame, state);
  if (c->title.empty()) return;
  int width = ControlTextWidth(c, c->title, c->title.size());
  Rect title{c->bounds.top, short(c->bounds.left + 8), short(c->bounds.top + lineHeight),
             short(std::min<int>(c->bounds.right - 8, c->bounds.left + 12 + width))};
  EraseRect(&title);
  InsetRect(&title, 2, 0);
  look::TextLine(c, c->title, title, teFlushLeft, TextColor(c, active));
}

void DrawSeparator(ControlRef c, bool active) {
  DrawThemeSeparator(&c->bounds, active ? kThemeStateActive : kThemeStateInactive);
}

bool ErasesBeforeDrawing(ControlRef c) {
  return c->kind != CtlKind::kRoot && c->kind != CtlKind::kUserPane &&
         c->kind != CtlKind::kPicture;
}

void DrawOne(ControlRef c) {
  bool active = IsActiveNow(c);
  if (c->colorProc) c->colorProc(c, kControlMsgSetUpBackground, 32, true);
  if (ErasesBeforeDrawing(c)) {
    Rect area = ControlDrawBounds(c);
    EraseRect(&area);
  }
  switch (c->kind) {
    case CtlKind::kRoot: break;
    case CtlKind::kPushButton: DrawPushButton(c, active); break;
    case CtlKind::kCheckBox:
    case CtlKind::kRadioButton: DrawCheckOrRadio(c, active); break;
    case CtlKind::kScrollBar: DrawScrollBar(c, active); break;
    case CtlKind::kPopupButton: DrawPopupButton(c, active); break;
    case CtlKind::kLittleArrows: DrawLittleArrows(c, active); break;
    case CtlKind::kStaticText: DrawStaticText(c, active); break;
    case CtlKind::kEditText: DrawEditText(c, active); break;
    case CtlKind::kProgressBar: DrawProgressBar(c, active); break;
    case CtlKind::kUserPane:
      if (c->pane.draw) c->pane.draw(c, kControlNoPart);
      break;
    case CtlKind::kBevelButton: DrawBevelButton(c, active); break;
    case CtlKind::kGroupBox: DrawGroupBox(c, active); break;
    case CtlKind::kSeparator: DrawSeparator(c, active); break;
    case CtlKind::kPicture:
    case CtlKind::kIcon: DrawContent(c, c->bounds); break;
  }
}

// Makes target the current port for a scope and keeps its pen, colours, text settings and
// clip as they were; the previous port comes back at the end.
struct PortScope {
  GrafPtr previous = nullptr;
  PenState pen;
  RGBColor fore, back;
  short font = 0, size = 0, mode = 0;
  Style face = 0;
  RgnHandle clip;

  explicit PortScope(GrafPtr target) {
    GetPort(&previous);
    SetPort(target);
    GetPenState(&pen);
    GetForeColor(&fore);
    GetBackColor(&back);
    font = GetPortTextFont(target);
    size = GetPortTextSize(target);
    face = GetPortTextFace(target);
    mode = GetPortTextMode(target);
    clip = NewRgn();
    GetClip(clip);
  }
  ~PortScope() {
    SetClip(clip);
    DisposeRgn(clip);
    TextFont(font);
    TextSize(size);
    TextFace(face);
    TextMode(mode);
    RGBForeColor(&fore);
    RGBBackColor(&back);
    SetPenState(&pen);
    SetPort(previous);
  }
  PortScope(const PortScope&) = delete;
  PortScope& operator=(const PortScope&) = delete;
};

// The clip for drawing c: its drawing area within every embedder's rectangle.
Rect ClipFor(ControlRef c) {
  Rect r = ControlDrawBounds(c);
  for (ControlRef p = c->parent; p && p->kind != CtlKind::kRoot; p = p->parent)
    SectRect(&r, &p->bounds, &r);
  return r;
}

void DrawInWindowPort(ControlRef c, RgnHandle area) {
  CGrafPtr port = ControlWindowPort(c->window);
  if (!port) return;
  PortScope scope(port);
  DrawControlTree(c, area);
}

}  // namespace

void SetControlTextSubstitution(ControlTextSubstitutionProc proc) { gSubstitution = proc; }

Rect ControlDrawBounds(ControlRef c) {
  Rect r = c->bounds;
  if (c->kind == CtlKind::kEditText) InsetRect(&r, -5, -5);
  return r;
}

void DrawControlTree(ControlRef c, RgnHandle area) {
  if (!c->visible) return;
  Rect clip = ClipFor(c);
  bool wanted = c->kind == CtlKind::kRoot || !area || RectInRgn(&clip, area);
  if (wanted && c->kind != CtlKind::kRoot) {
    RgnHandle saved = NewRgn(), narrowed = NewRgn();
    GetClip(saved);
    RectRgn(narrowed, &clip);
    SectRgn(saved, narrowed, narrowed);
    SetClip(narrowed);
    DrawOne(c);
    SetClip(saved);
    DisposeRgn(saved);
    DisposeRgn(narrowed);
  }
  for (ControlRef child : c->children) DrawControlTree(child, area);
}

void EraseControlArea(ControlRef control) {
  CGrafPtr port = ControlWindowPort(control->window);
  if (!port || !ControlWindowShown(control->window)) return;
  PortScope scope(port);
  Rect area = ClipFor(control);
  EraseRect(&area);
  RgnHandle rgn = NewRgn();
  RectRgn(rgn, &area);
  ClipRect(&area);
  // Whatever lay beneath (an embedder, an overlapping sibling) shows again.
  std::vector<ControlRef> all;
  CollectWindowControls(control->window, &all);
  for (ControlRef other : all) {
    bool inside = false;
    for (ControlRef c = other; c; c = c->parent) inside |= c == control;
    Rect r = ClipFor(other);
    if (!inside && other->kind != CtlKind::kRoot && IsShown(other) && RectInRgn(&r, rgn)) {
      RgnHandle clipRgn = NewRgn();
      RectRgn(clipRgn, &r);
      SectRgn(clipRgn, rgn, clipRgn);
      SetClip(clipRgn);
      DrawOne(other);
      DisposeRgn(clipRgn);
    }
  }
  DisposeRgn(rgn);
}

void Draw1Control(ControlRef control) {
  if (!IsLiveControl(control) || !IsShown(control)) return;
  DrawInWindowPort(control, nullptr);
}

void DrawControls(WindowRef window) {
  if (ControlRef root = WindowRootControl(window)) DrawInWindowPort(root, nullptr);
}

void UpdateControls(WindowRef window, RgnHandle updateRegion) {
  if (ControlRef root = WindowRootControl(window)) DrawInWindowPort(root, updateRegion);
}

void DrawControlInCurrentPort(ControlRef control) {
  if (!IsLiveControl(control)) return;
  GrafPtr current = nullptr;
  GetPort(&current);
  PortScope scope(current);
  DrawControlTree(control, nullptr);
}
