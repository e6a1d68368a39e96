// The appearance: the colours and shapes that every window frame, menu, control and dialog
// is drawn with, as theme brushes, theme text colours and theme primitives.
//
// The look is our own and the same everywhere: light grey surfaces, dark grey outlines,
// blue highlights. The k...Pixel constants are the colours (0xRRGGBB) of the surfaces that
// the Window and Menu Managers draw, for the layers above and for tests.
#pragma once

#include "platform/events/toolbox_refs.h"
#include "platform/quickdraw/quickdraw_types.h"
#include "platform/quickdraw/theme_text.h"

using ThemeBrush = SInt16;
using ThemeTextColor = SInt16;
using ThemeMenuType = UInt16;
using ThemeMenuItemType = UInt16;
using ThemeMenuState = UInt16;
using ThemeMenuBarState = UInt16;

// Surfaces of our look (0xRRGGBB).
constexpr UInt32 kDesktopPixel = 0x5A6E82;
constexpr UInt32 kMenuBarPixel = 0xECECEC;
constexpr UInt32 kMenuBarLinePixel = 0x9C9C9C;
constexpr UInt32 kMenuBackgroundPixel = 0xF6F6F6;
constexpr UInt32 kMenuFramePixel = 0x8A8A8A;
constexpr UInt32 kHighlightPixel = 0x2F6FD8;       // selected menu items, focus rings
constexpr UInt32 kHighlightTextPixel = 0xFFFFFF;
constexpr UInt32 kTextPixel = 0x000000;
constexpr UInt32 kDisabledTextPixel = 0x9A9A9A;
constexpr UInt32 kSeparatorPixel = 0xD0D0D0;
constexpr UInt32 kTitleBarActivePixel = 0xD4D4D4;
constexpr UInt32 kTitleBarInactivePixel = 0xF0F0F0;
constexpr UInt32 kFrameActivePixel = 0x404040;
constexpr UInt32 kFrameInactivePixel = 0x9C9C9C;
constexpr UInt32 kWindowBoxPixel = 0xF8F8F8;       // close, zoom and collapse boxes
constexpr UInt32 kWindowBoxPressedPixel = 0x404040;
constexpr UInt32 kDialogBackgroundPixel = 0xE8E8E8;
constexpr UInt32 kContentPixel = 0xFFFFFF;

// Theme brushes: surfaces (positive) and the plain colours (negative).
enum : ThemeBrush {
  kThemeBrushDialogBackgroundActive = 1,
  kThemeBrushDialogBackgroundInactive = 2,
  kThemeBrushAlertBackgroundActive = 3,
  kThemeBrushAlertBackgroundInactive = 4,
  kThemeBrushModelessDialogBackgroundActive = 5,
  kThemeBrushModelessDialogBackgroundInactive = 6,
  kThemeBrushUtilityWindowBackgroundActive = 7,
  kThemeBrushUtilityWindowBackgroundInactive = 8,
  kThemeBrushListViewSortColumnBackground = 9,
  kThemeBrushListViewBackground = 10,
  kThemeBrushIconLabelBackground = 11,
  kThemeBrushListViewSeparator = 12,
  kThemeBrushChasingArrows = 13,
  kThemeBrushDragHilite = 14,
  kThemeBrushDocumentWindowBackground = 15,
  kThemeBrushFinderWindowBackground = 16,
  kThemeBrushScrollBarDelimiterActive = 17,
  kThemeBrushScrollBarDelimiterInactive = 18,
  kThemeBrushFocusHighlight = 19,
  kThemeBrushPopupArrowActive = 20,
  kThemeBrushPopupArrowPressed = 21,
  kThemeBrushPopupArrowInactive = 22,
  kThemeBrushAppleGuideCoachmark = 23,
  kThemeBrushIconLabelBackgroundSelected = 24,
  kThemeBrushStaticAreaFill = 25,
  kThemeBrushActiveAreaFill = 26,
  kThemeBrushButtonFrameActive = 27,
  kThemeBrushButtonFrameInactive = 28,
  kThemeBrushButtonFaceActive = 29,
  kThemeBrushButtonFaceInactive = 30,
  kThemeBrushButtonFacePressed = 31,
  kThemeBrushButtonActiveDarkShadow = 32,
  kThemeBrushButtonActiveDarkHighlight = 33,
  kThemeBrushButtonActiveLightShadow = 34,
  kThemeBrushButtonActiveLightHighlight = 35,
  kThemeBrushButtonInactiveDarkShadow = 36,
  kThemeBrushButtonInactiveDarkHighlight = 37,
  kThemeBrushButtonInactiveLightShadow = 38,
  kThemeBrushButtonInactiveLightHighlight = 39,
  kThemeBrushButtonPressedDarkShadow = 40,
  kThemeBrushButtonPressedDarkHighlight = 41,
  kThemeBrushButtonPressedLightShadow = 42,
  kThemeBrushButtonPressedLightHighlight = 43,
  kThemeBrushBevelActiveLight = 44,
  kThemeBrushBevelActiveDark = 45,
  kThemeBrushBevelInactiveLight = 46,
  kThemeBrushBevelInactiveDark = 47,
  kThemeBrushNotificationWindowBackground = 48,
  kThemeBrushMovableModalBackground = 49,
  kThemeBrushSheetBackgroundOpaque = 50,
  kThemeBrushDrawerBackground = 51,
  kThemeBrushToolbarBackground = 52,
  kThemeBrushSheetBackgroundTransparent = 53,
  kThemeBrushMenuBackground = 54,
  kThemeBrushMenuBackgroundSelected = 55,
  kThemeBrushBlack = -1,
  kThemeBrushWhite = -2,
  kThemeBrushPrimaryHighlightColor = -3,
  kThemeBrushSecondaryHighlightColor = -4,
  kThemeBrushAlternatePrimaryHighlightColor = -5,
};

// Theme text colours: the plain text of surfaces is black, inactive and disabled text grey,
// selected and pressed text white (see ThemeTextColorPixel).
enum : ThemeTextColor {
  kThemeTextColorDialogActive = 1,
  kThemeTextColorDialogInactive = 2,
  kThemeTextColorAlertActive = 3,
  kThemeTextColorAlertInactive = 4,
  kThemeTextColorModelessDialogActive = 5,
  kThemeTextColorModelessDialogInactive = 6,
  kThemeTextColorWindowHeaderActive = 7,
  kThemeTextColorWindowHeaderInactive = 8,
  kThemeTextColorPlacardActive = 9,
  kThemeTextColorPlacardInactive = 10,
  kThemeTextColorPlacardPressed = 11,
  kThemeTextColorPushButtonActive = 12,
  kThemeTextColorPushButtonInactive = 13,
  kThemeTextColorPushButtonPressed = 14,
  kThemeTextColorBevelButtonActive = 15,
  kThemeTextColorBevelButtonInactive = 16,
  kThemeTextColorBevelButtonPressed = 17,
  kThemeTextColorPopupButtonActive = 18,
  kThemeTextColorPopupButtonInactive = 19,
  kThemeTextColorPopupButtonPressed = 20,
  kThemeTextColorIconLabel = 21,
  kThemeTextColorListView = 22,
  kThemeTextColorDocumentWindowTitleActive = 23,
  kThemeTextColorDocumentWindowTitleInactive = 24,
  kThemeTextColorMovableModalWindowTitleActive = 25,
  kThemeTextColorMovableModalWindowTitleInactive = 26,
  kThemeTextColorUtilityWindowTitleActive = 27,
  kThemeTextColorUtilityWindowTitleInactive = 28,
  kThemeTextColorPopupWindowTitleActive = 29,
  kThemeTextColorPopupWindowTitleInactive = 30,
  kThemeTextColorRootMenuActive = 31,
  kThemeTextColorRootMenuSelected = 32,
  kThemeTextColorRootMenuDisabled = 33,
  kThemeTextColorMenuItemActive = 34,
  kThemeTextColorMenuItemSelected = 35,
  kThemeTextColorMenuItemDisabled = 36,
  kThemeTextColorPopupLabelActive = 37,
  kThemeTextColorPopupLabelInactive = 38,
  kThemeTextColorTabFrontActive = 39,
  kThemeTextColorTabNonFrontActive = 40,
  kThemeTextColorTabNonFrontPressed = 41,
  kThemeTextColorTabFrontInactive = 42,
  kThemeTextColorTabNonFrontInactive = 43,
  kThemeTextColorIconLabelSelected = 44,
  kThemeTextColorBevelButtonStickyActive = 45,
  kThemeTextColorBevelButtonStickyInactive = 46,
  kThemeTextColorNotification = 47,
  kThemeTextColorBlack = -1,
  kThemeTextColorWhite = -2,
};

// Menu shapes and item kinds for the menu metrics and backgrounds.
enum : ThemeMenuType {
  kThemeMenuTypePullDown = 0,
  kThemeMenuTypePopUp = 1,
  kThemeMenuTypeHierarchical = 2,
  kThemeMenuTypeInactive = 0x0100,
};
enum : ThemeMenuItemType {
  kThemeMenuItemPlain = 0,
  kThemeMenuItemHierarchical = 1,
  kThemeMenuItemScrollUpArrow = 2,
  kThemeMenuItemScrollDownArrow = 3,
  kThemeMenuItemAtTop = 0x0100,
  kThemeMenuItemAtBottom = 0x0200,
  kThemeMenuItemHierBackground = 0x0400,
  kThemeMenuItemPopUpBackground = 0x0800,
  kThemeMenuItemHasIcon = 0x8000,
  kThemeMenuItemNoBackground = 0x4000,
};
enum : ThemeMenuState {
  kThemeMenuActive = 0,
  kThemeMenuSelected = 1,
  kThemeMenuDisabled = 3,
};
enum : ThemeMenuBarState {
  kThemeMenuBarNormal = 0,
  kThemeMenuBarSelected = 1,
};

// The version RegisterAppearanceClient and Gestalt('apvr') answer with.
constexpr UInt32 kAppearanceVersion = 0x0110;
OSStatus RegisterAppearanceClient();
OSStatus UnregisterAppearanceClient();
Boolean IsAppearanceClient();

// --- Colours ----------------------------------------------------------------------------------

// The colour of a brush (0xRRGGBB); unknown brushes are the dialog background.
UInt32 ThemeBrushPixel(ThemeBrush brush);
UInt32 ThemeTextColorPixel(ThemeTextColor color);
// The current port's background (RGBBackColor, solid white back pattern), pen (RGBForeColor,
// solid pen pattern) or text colour (RGBForeColor) from the theme.
OSStatus SetThemeBackground(ThemeBrush brush, SInt16 depth, Boolean isColorDevice);
OSStatus SetThemePen(ThemeBrush brush, SInt16 depth, Boolean isColorDevice);
OSStatus SetThemeTextColor(ThemeTextColor color, SInt16 depth, Boolean isColorDevice);
OSStatus GetThemeBrushAsColor(ThemeBrush brush, SInt16 depth, Boolean colorDev, RGBColor* color);
OSStatus GetThemeTextColor(ThemeTextColor color, SInt16 depth, Boolean colorDev, RGBColor* outColor);
// The window's content colour from the brush, and the window's port background; with update
// the whole content is invalidated.
OSStatus SetThemeWindowBackground(WindowRef window, ThemeBrush brush, Boolean update);

// --- Drawing state --------------------------------------------------------------------------

// A saved copy of the current port's pen, colours, back pattern and text mode.
struct OpaqueThemeDrawingState;
using ThemeDrawingState = OpaqueThemeDrawingState*;
OSStatus GetThemeDrawingState(ThemeDrawingState* outState);
// Restores the state into the current port; with inDisposeNow the state is freed.
OSStatus SetThemeDrawingState(ThemeDrawingState inState, Boolean inDisposeNow);
OSStatus DisposeThemeDrawingState(ThemeDrawingState inState);
// States that are allocated and not yet disposed (tests find leaks with it).
SInt32 CountLiveThemeDrawingStates();

// --- Primitives (current port, local coordinates) ---------------------------------------------

// A two-pixel ring in the highlight colour just outside the rectangle (hasFocus), or the
// port's background there (not hasFocus).
OSStatus DrawThemeFocusRect(const Rect* inRect, Boolean inHasFocus);
// Sunken frames one pixel outside the rectangle: edit text fields and list boxes.
OSStatus DrawThemeEditTextFrame(const Rect* inRect, ThemeDrawState inState);
OSStatus DrawThemeListBoxFrame(const Rect* inRect, ThemeDrawState inState);
// Group boxes: a frame with a lighter inner line (primary) or a single line (secondary).
OSStatus DrawThemePrimaryGroup(const Rect* inRect, ThemeDrawState inState);
OSStatus DrawThemeSecondaryGroup(const Rect* inRect, ThemeDrawState inState);
// A one-pixel line along the longer side of the rectangle.
OSStatus DrawThemeSeparator(const Rect* inRect, ThemeDrawState inState);
// Fills with the menu background (inMenuType kThemeMenuTypeInactive: the same, dimmed).
OSStatus DrawThemeMenuBackground(const Rect* inMenuRect, ThemeMenuType inMenuType);
OSStatus DrawThemeMenuSeparator(const Rect* inItemRect);
// Extra room around a menu item's text: height added to the text's line height, width added
// to its widest text (mark column and margins).
OSStatus GetThemeMenuItemExtra(ThemeMenuItemType inItemType, SInt16* outHeight, SInt16* outWidth);
OSStatus GetThemeMenuSeparatorHeight(SInt16* outHeight);
OSStatus GetThemeMenuBarHeight(SInt16* outHeight);
