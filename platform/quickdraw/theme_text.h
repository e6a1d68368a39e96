// Theme text: the interface's standard fonts, measuring and drawing strings in them, and
// cutting text to a width with an ellipsis.
//
// The theme fonts are DejaVu Sans (through the "Lucida Grande" name): system 13 points,
// small system 11, emphasized forms bold, views 12, label 10, mini 9. kThemeCurrentPortFont
// takes the current port's font, size and style. Inactive text is drawn grey.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"
#include "platform/text/cf_string.h"

using ThemeFontID = UInt16;
using ThemeDrawState = UInt32;
using TruncCode = short;
using ScriptCode = short;

enum : ThemeFontID {
  kThemeSystemFont = 0, kThemeSmallSystemFont = 1, kThemeSmallEmphasizedSystemFont = 2,
  kThemeViewsFont = 3, kThemeEmphasizedSystemFont = 4, kThemeApplicationFont = 5,
  kThemeLabelFont = 6, kThemeSystemFontDetail = 7, kThemeSystemFontDetailEmphasized = 8,
  kThemeMenuTitleFont = 100, kThemeMenuItemFont = 101, kThemeMenuItemMarkFont = 102,
  kThemeMenuItemCmdKeyFont = 103, kThemeWindowTitleFont = 104, kThemePushButtonFont = 105,
  kThemeUtilityWindowTitleFont = 106, kThemeAlertHeaderFont = 107, kThemeToolbarFont = 108,
  kThemeMiniSystemFont = 109, kThemeCurrentPortFont = 200,
};

enum : ThemeDrawState {
  kThemeStateInactive = 0, kThemeStateActive = 1, kThemeStatePressed = 2,
};

enum : TruncCode { truncEnd = 0, truncMiddle = 0x4000, smTruncEnd = 0, smTruncMiddle = 0x4000 };
enum : short { notTruncated = 0, truncated = 1, truncErr = -1, smNotTruncated = 0,
               smTruncated = 1, smTruncErr = -1 };

// Justification of text in a box.
enum : short { teFlushDefault = 0, teCenter = 1, teFlushRight = -1, teFlushLeft = -2 };

// Font name, size and style of a theme font. paramErr for an unknown id.
OSStatus GetThemeFont(ThemeFontID fontID, ScriptCode script, Str255 outFontName,
                      SInt16* outFontSize, Style* outStyle);
// Font number, size and style of a theme font, resolved for drawing.
OSStatus GetThemeFontSpec(ThemeFontID fontID, SInt16* outFont, SInt16* outSize, Style* outStyle);

// Size of the text: ioBounds->h is the width to wrap to (when inWrapToWidth) and returns
// the widest line; ioBounds->v returns the height of all lines. outBaseline (may be null)
// returns minus the first line's ascent.
OSStatus GetThemeTextDimensions(CFStringRef inString, ThemeFontID inFontID,
                                ThemeDrawState inState, Boolean inWrapToWidth, Point* ioBounds,
                                SInt16* outBaseline);
// Draws the text in the box, from its top: wrapped at word boundaries when inWrapToWidth,
// else on one line cut at the end with an ellipsis when it is wider than the box. Nothing is
// drawn outside the box. inJust is teFlushDefault/teFlushLeft, teCenter or teFlushRight.
OSStatus DrawThemeTextBox(CFStringRef inString, ThemeFontID inFontID, ThemeDrawState inState,
                          Boolean inWrapToWidth, const Rect* inBoundingBox, SInt16 inJust,
                          void* inContext);
// Cuts the text to pixelWidth with an ellipsis at the end or in the middle.
OSStatus TruncateThemeText(CFMutableStringRef inString, ThemeFontID inFontID,
                           ThemeDrawState inState, SInt16 inPixelWidthLimit,
                           TruncCode inTruncWhere, Boolean* outTruncated);
// Cuts a Pascal string (current port's font) to width with an ellipsis (Mac Roman 0xC9).
// Returns notTruncated, truncated or truncErr (width too small even for the ellipsis; the
// string then becomes just the ellipsis when that fits, else empty).
short TruncateString(short width, Str255 theString, TruncCode truncWhere);
short TruncText(short width, Ptr textPtr, short* length, TruncCode truncWhere);
