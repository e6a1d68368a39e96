#include "platform/windows/appearance.h"

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/screen.h"
#include "platform/quickdraw/text.h"
#include "platform/windows/windows.h"
#include "platform/windows/windows_internal.h"

using windows_internal::RgbOf;

struct OpaqueThemeDrawingState {
  PenState pen;
  RGBColor fore;
  RGBColor back;
  Pattern backPattern;
  SInt16 textMode = srcOr;
};

namespace {

bool gRegistered = false;
SInt32 gLiveStates = 0;

constexpr UInt32 kLightEdgePixel = 0xFFFFFF;
constexpr UInt32 kShadowPixel = 0x8C8C8C;
constexpr UInt32 kInactiveFramePixel = 0xB8B8B8;

void Fore(UInt32 rgb) {
  RGBColor c = RgbOf(rgb);
  RGBForeColor(&c);
}

// Runs a drawing with the pen and foreground colour of the port kept.
template <typename F>
void KeepingPen(F draw) {
  PenState pen;
  GetPenState(&pen);
  RGBColor fore;
  GetForeColor(&fore);
  PenNormal();
  draw();
  RGBForeColor(&fore);
  SetPenState(&pen);
}

Rect Outset(const Rect& r, SInt16 by) {
  return Rect{SInt16(r.top - by), SInt16(r.left - by), SInt16(r.bottom + by), SInt16(r.right + by)};
}

void HLine(SInt16 left, SInt16 right, SInt16 v) {
  MoveTo(left, v);
  LineTo(right, v);
}
void VLine(SInt16 h, SInt16 top, SInt16 bottom) {
  MoveTo(h, top);
  LineTo(h, bottom);
}

}  // namespace

OSStatus RegisterAppearanceClient() {
  gRegistered = true;
  return noErr;
}
OSStatus UnregisterAppearanceClient() {
  gRegistered = false;
  return noErr;
}
Boolean IsAppearanceClient() { return gRegistered; }

// --- Colours ----------------------------------------------------------------------------------

UInt32 ThemeBrushPixel(ThemeBrush brush) {
  switch (brush) {
    case kThemeBrushBlack: return 0x000000;
    case kThemeBrushWhite: return 0xFFFFFF;
    case kThemeBrushPrimaryHighlightColor:
    case kThemeBrushAlternatePrimaryHighlightColor:
    case kThemeBrushFocusHighlight:
    case kThemeBrushMenuBackgroundSelected:
    case kThemeBrushIconLabelBackgroundSelected:
      return kHighlightPixel;
    case kThemeBrushSecondaryHighlightColor: return 0xC8C8C8;
    case kThemeBrushListViewBackground:
    case kThemeBrushDocumentWindowBackground:
    case kThemeBrushFinderWindowBackground:
    case kThemeBrushIconLabelBackground:
      return kContentPixel;
    case kThemeBrushListViewSortColumnBackground: return 0xF2F2F2;
    case kThemeBrushListViewSeparator:
    case kThemeBrushScrollBarDelimiterActive:
      return 0xC0C0C0;
    case kThemeBrushScrollBarDelimiterInactive: return 0xD8D8D8;
    case kThemeBrushMenuBackground: return kMenuBackgroundPixel;
    case kThemeBrushDragHilite: return 0x7FA7E8;
    case kThemeBrushChasingArrows:
    case kThemeBrushPopupArrowActive:
    case kThemeBrushPopupArrowPressed:
    case kThemeBrushButtonFrameActive:
    case kThemeBrushButtonActiveDarkShadow:
    case kThemeBrushButtonPressedDarkShadow:
      return kFrameActivePixel;
    case kThemeBrushPopupArrowInactive:
    case kThemeBrushButtonFrameInactive:
    case kThemeBrushButtonInactiveDarkShadow:
      return kInactiveFramePixel;
    case kThemeBrushButtonFaceActive:
    case kThemeBrushButtonActiveLightHighlight:
    case kThemeBrushButtonInactiveLightHighlight:
    case kThemeBrushBevelActiveLight:
    case kThemeBrushBevelInactiveLight:
      return 0xFAFAFA;
    case kThemeBrushButtonFaceInactive: return 0xEEEEEE;
    case kThemeBrushButtonFacePressed:
    case kThemeBrushButtonPressedLightShadow:
      return 0xB8B8B8;
    case kThemeBrushButtonActiveDarkHighlight:
    case kThemeBrushButtonActiveLightShadow:
    case kThemeBrushBevelActiveDark:
      return kShadowPixel;
    case kThemeBrushButtonInactiveDarkHighlight:
    case kThemeBrushButtonInactiveLightShadow:
    case kThemeBrushBevelInactiveDark:
      return 0xC8C8C8;
    case kThemeBrushUtilityWindowBackgroundActive:
    case kThemeBrushUtilityWindowBackgroundInactive:
    case kThemeBrushToolbarBackground:
      return 0xE4E4E4;
    default: return kDialogBackgroundPixel;
  }
}

UInt32 ThemeTextColorPixel(ThemeTextColor color) {
  switch (color) {
    case kThemeTextColorWhite:
    case kThemeTextColorRootMenuSelected:
    case kThemeTextColorMenuItemSelected:
    case kThemeTextColorIconLabelSelected:
    case kThemeTextColorPushButtonPressed:
      return kHighlightTextPixel;
    case kThemeTextColorDialogInactive:
    case kThemeTextColorAlertInactive:
    case kThemeTextColorModelessDialogInactive:
    case kThemeTextColorWindowHeaderInactive:
    case kThemeTextColorPlacardInactive:
    case kThemeTextColorPushButtonInactive:
    case kThemeTextColorBevelButtonInactive:
    case kThemeTextColorPopupButtonInactive:
    case kThemeTextColorDocumentWindowTitleInactive:
    case kThemeTextColorMovableModalWindowTitleInactive:
    case kThemeTextColorUtilityWindowTitleInactive:
    case kThemeTextColorPopupWindowTitleInactive:
    case kThemeTextColorRootMenuDisabled:
    case kThemeTextColorMenuItemDisabled:
    case kThemeTextColorPopupLabelInactive:
    case kThemeTextColorTabFrontInactive:
    case kThemeTextColorTabNonFrontInactive:
    case kThemeTextColorBevelButtonStickyInactive:
      return kDisabledTextPixel;
    default: return kTextPixel;
  }
}

OSStatus GetThemeBrushAsColor(ThemeBrush brush, SInt16, Boolean, RGBColor* color) {
  if (!color) return paramErr;
  *color = RgbOf(ThemeBrushPixel(brush));
  return noErr;
}

OSStatus GetThemeTextColor(ThemeTextColor color, SInt16, Boolean, RGBColor* outColor) {
  if (!outColor) return paramErr;
  *outColor = RgbOf(ThemeTextColorPixel(color));
  return noErr;
}

OSStatus SetThemeBackground(ThemeBrush brush, SInt16, Boolean) {
  RGBColor c = RgbOf(ThemeBrushPixel(brush));
  RGBBackColor(&c);
  Pattern white;
  GetQDGlobalsWhite(&white);
  BackPat(&white);
  return noErr;
}

OSStatus SetThemePen(ThemeBrush brush, SInt16, Boolean) {
  Fore(ThemeBrushPixel(brush));
  Pattern black;
  GetQDGlobalsBlack(&black);
  PenPat(&black);
  return noErr;
}

OSStatus SetThemeTextColor(ThemeTextColor color, SInt16, Boolean) {
  Fore(ThemeTextColorPixel(color));
  return noErr;
}

OSStatus SetThemeWindowBackground(WindowRef window, ThemeBrush brush, Boolean update) {
  CGrafPtr port = GetWindowPort(window);
  if (!port) return errInvalidWindowRef;
  RGBColor c = RgbOf(ThemeBrushPixel(brush));
  SetWindowContentColor(window, &c);
  windows_internal::PortSaver saver;
  SetPort(port);
  RGBBackColor(&c);
  Pattern white;
  GetQDGlobalsWhite(&white);
  BackPat(&white);
  if (update) {
    Rect r;
    GetWindowPortBounds(window, &r);
    InvalWindowRect(window, &r);
  }
  return noErr;
}

// --- Drawing state ----------------------------------------------------------------------------

OSStatus GetThemeDrawingState(ThemeDrawingState* outState) {
  if (!outState) return paramErr;
  auto* state = new OpaqueThemeDrawingState;
  GetPenState(&state->pen);
  GetForeColor(&state->fore);
  GetBackColor(&state->back);
  CGrafPtr port = nullptr;
  GetPort(&port);
  state->backPattern = port->bkPat;
  state->textMode = GetPortTextMode(port);
  ++gLiveStates;
  *outState = state;
  return noErr;
}

OSStatus SetThemeDrawingState(ThemeDrawingState inState, Boolean inDisposeNow) {
  if (!inState) return paramErr;
  SetPenState(&inState->pen);
  RGBForeColor(&inState->fore);
  RGBBackColor(&inState->back);
  BackPat(&inState->backPattern);
  TextMode(inState->textMode);
  if (inDisposeNow) DisposeThemeDrawingState(inState);
  return noErr;
}

OSStatus DisposeThemeDrawingState(ThemeDrawingState inState) {
  if (!inState) return paramErr;
  delete inState;
  --gLiveStates;
  return noErr;
}

SInt32 CountLiveThemeDrawingStates() { return gLiveStates; }

// --- Primitives -------------------------------------------------------------------------------

OSStatus DrawThemeFocusRect(const Rect* inRect, Boolean inHasFocus) {
  if (!inRect) return paramErr;
  KeepingPen([&] {
    if (inHasFocus) {
      Fore(kHighlightPixel);
    } else {
      RGBColor back;
      GetBackColor(&back);
      RGBForeColor(&back);
    }
    Rect ring = Outset(*inRect, 3);
    PenSize(2, 2);
    FrameRect(&ring);
  });
  return noErr;
}

OSStatus DrawThemeEditTextFrame(const Rect* inRect, ThemeDrawState inState) {
  if (!inRect) return paramErr;
  KeepingPen([&] {
    Rect outer = Outset(*inRect, 1);
    Fore(inState == kThemeStateInactive ? kInactiveFramePixel : kShadowPixel);
    FrameRect(&outer);
    if (inState != kThemeStateInactive) {
      Fore(kFrameActivePixel);
      HLine(outer.left, SInt16(outer.right - 1), outer.top);
    }
  });
  return noErr;
}

OSStatus DrawThemeListBoxFrame(const Rect* inRect, ThemeDrawState inState) {
  return DrawThemeEditTextFrame(inRect, inState);
}

OSStatus DrawThemePrimaryGroup(const Rect* inRect, ThemeDrawState inState) {
  if (!inRect) return paramErr;
  KeepingPen([&] {
    Rect r = *inRect;
    r.right = SInt16(r.right - 1);
    r.bottom = SInt16(r.bottom - 1);
    Fore(inState == kThemeStateInactive ? kInactiveFramePixel : kShadowPixel);
    FrameRect(&r);
    OffsetRect(&r, 1, 1);
    Fore(kLightEdgePixel);
    HLine(r.left, SInt16(r.right - 1), SInt16(r.bottom - 1));
    VLine(SInt16(r.right - 1), r.top, SInt16(r.bottom - 1));
  });
  return noErr;
}

OSStatus DrawThemeSecondaryGroup(const Rect* inRect, ThemeDrawState inState) {
  if (!inRect) return paramErr;
  KeepingPen([&] {
    Fore(inState == kThemeStateInactive ? kInactiveFramePixel : kShadowPixel);
    FrameRect(inRect);
  });
  return noErr;
}

OSStatus DrawThemeSeparator(const Rect* inRect, ThemeDrawState inState) {
  if (!inRect) return paramErr;
  KeepingPen([&] {
    Fore(inState == kThemeStateInactive ? kInactiveFramePixel : kShadowPixel);
    if (inRect->right - inRect->left >= inRect->bottom - inRect->top)
      HLine(inRect->left, SInt16(inRect->right - 1), inRect->top);
    else
      VLine(inRect->left, inRect->top, SInt16(inRect->bottom - 1));
  });
  return noErr;
}

OSStatus DrawThemeMenuBackground(const Rect* inMenuRect, ThemeMenuType inMenuType) {
  if (!inMenuRect) return paramErr;
  KeepingPen([&] {
    Fore((inMenuType & kThemeMenuTypeInactive) ? 0xEDEDED : kMenuBackgroundPixel);
    PaintRect(inMenuRect);
  });
  return noErr;
}

OSStatus DrawThemeMenuSeparator(const Rect* inItemRect) {
  if (!inItemRect) return paramErr;
  KeepingPen([&] {
    Fore(kSeparatorPixel);
    SInt16 v = SInt16((inItemRect->top + inItemRect->bottom) / 2);
    HLine(SInt16(inItemRect->left + 1), SInt16(inItemRect->right - 2), v);
  });
  return noErr;
}

// Items are the text's line height plus 4; the text sits after a 16-pixel mark column and
// has 16 pixels of margin on the right (more for hierarchical items: the arrow).
OSStatus GetThemeMenuItemExtra(ThemeMenuItemType inItemType, SInt16* outHeight, SInt16* outWidth) {
  if (outHeight) *outHeight = 4;
  if (outWidth) *outWidth = (inItemType & 0xFF) == kThemeMenuItemHierarchical ? 48 : 32;
  return noErr;
}

OSStatus GetThemeMenuSeparatorHeight(SInt16* outHeight) {
  if (!outHeight) return paramErr;
  *outHeight = 9;
  return noErr;
}

OSStatus GetThemeMenuBarHeight(SInt16* outHeight) {
  if (!outHeight) return paramErr;
  *outHeight = GetMBarHeight();
  return noErr;
}
