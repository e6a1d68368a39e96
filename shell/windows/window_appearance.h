// Window appearance styles: an 'MSTL' resource names the colour table, pixel patterns,
// window content colours, pictures and icons the windows draw with. Applying a style copies
// its first 768 bytes into gStyleBlock, which the drawing code reads through the accessors
// below (a big-endian byte image, never a host struct).
//
// Style block fields (offsets in bytes; ids are i16, rectangles top, left, bottom, right):
//   0   'wctb' id of the info panel and the mixer     2   'clut' id (the program colour table)
//   4   panel picture ('PICT')                        6   13 'ppat' ids (0: none)
//   32  style icon ('cicn')                           34  strip icon ('cicn'; 0: picture at 44)
//   36  track icon pair ('cicn' id and id + 1)        38  track icon ('cicn')
//   40  panel button icon ('cicn')                    42  'wctb' id of the other windows
//   44  strip picture ('PICT')                        46  'cicn' id
//   48  optional 'cicn' id (0: none)                  50  first of three 'icns' ids
//   52  first style picture                           56  second style picture
//   58  option word (0x8000 icon rectangle from 144, 0x80 meter area from 152)
//   60  panel button width                            62  panel flags (0x1 fixed layout)
//   64  three lamp colours (RGB, 6 bytes each)        88  standard-state width, height
//   96  bar:beat:tick read-out rect   104 lamp rect   112 lamp rect (copy)  120 time read-out
//   128, 136 arrow button rects       144 style icon rect                   152 meter area
//   160 six transport element rects (8 bytes each)    208 second-picture rect
//   280 panel button icon size rect
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr ResType kStyleResType = FourCC("MSTL");
constexpr int32_t kStyleBlockSize = 768;
constexpr int32_t kStylePatternCount = 13;
// Ids below this and the retired style are replaced by the default style.
constexpr int16_t kFirstStyleId = 130;
constexpr int16_t kRetiredStyleId = 133;
constexpr int16_t kDefaultStyleId = 138;

enum : int32_t {
  kStylePanelWctb = 0,
  kStyleClut = 2,
  kStylePanelPicture = 4,
  kStylePatterns = 6,
  kStyleIconId = 32,
  kStyleStripIcon = 34,
  kStyleTrackIconPair = 36,
  kStyleTrackIcon = 38,
  kStyleButtonIcon = 40,
  kStyleWindowWctb = 42,
  kStyleStripPicture = 44,
  kStyleExtraIcon = 46,
  kStyleOptionalIcon = 48,
  kStyleIconFamilies = 50,
  kStyleFirstPicture = 52,
  kStyleSecondPicture = 56,
  kStyleOptions = 58,
  kStyleButtonWidth = 60,
  kStylePanelFlags = 62,
  kStyleLampColours = 64,
  kStyleStandardSize = 88,
  kStyleCounterRect = 96,
  kStyleLampRect = 104,
  kStyleLampRectCopy = 112,
  kStyleTimeRect = 120,
  kStyleArrowRect1 = 128,
  kStyleArrowRect2 = 136,
  kStyleIconRect = 144,
  kStyleMeterRect = 152,
  kStyleElementRects = 160,
  kStyleSecondPictureRect = 208,
  kStyleButtonIconRect = 280,
};

enum : uint16_t {
  kStyleOptionIconRect = 0x8000,
  kStyleOptionMeterRect = 0x80,
  kStylePanelFixedLayout = 0x1,
};

// The applied style's block and id (the id is what the song keeps; 0 before any style).
extern uint8_t gStyleBlock[kStyleBlockSize];
extern int16_t gStyleId;
// The window appearance style the song and the style menu ask for ('MSTL' id).
extern int16_t gCurrentStyleId;
// The applied style's 'MSTL' resource (locked, not purgeable), or null.
extern Handle gStyleResource;
// The program colour table (the style's 'clut'), its id, and the colours taken from it.
extern CTabHandle gStyleColourTable;
extern int16_t gStyleClutId;
extern RGBColor gStyleMainColour;
extern RGBColor gStyleExtraColours[2];
extern PixPatHandle gStylePatterns[kStylePatternCount];
// The content colours applied from the two 'wctb' tables; false when the table was missing.
extern bool gStyleHasContentColour[2];
extern RGBColor gStyleContentColour[2];

int16_t GetStyleWord(int32_t offset);
void SetStyleWord(int32_t offset, int16_t value);
void GetStyleRect(int32_t offset, Rect* rect);
void SetStyleRect(int32_t offset, const Rect* rect);
void GetStyleRGB(int32_t offset, RGBColor* rgb);
uint16_t GetStyleOptions();

// The style id made valid: below 130 and 133 become 138.
int16_t ValidStyleId(int16_t id);
// Validates the song's style id (gCurrentStyleId), keeps it, and applies it when colour
// drawing is on; then the windows are laid out again.
void SetUpWindowAppearance(bool atStartUp);
// Applies 'MSTL' id. A missing style leaves the current one (resNotFound); applying the
// current style again only repeats the layout steps.
OSErr ApplyAppearanceStyle(int16_t id, bool atStartUp);
// The 'clut' becomes the program colour table (the previous one is released when it is
// another); the main colour is entry 11, with all also entries 30 and 31. resNotFound
// (the table left empty) when missing or too short.
OSErr LoadStyleColourTable(int16_t clutId, bool all);
void DisposeStylePatterns();
// Sets the content colour of the info panel and the mixer (which 0) or of the track,
// instrument, editor and list windows (which 1) to the applied table's colour.
void SetWindowsContentColour(int16_t which);
// Entry n of the program colour table; false when there is no such entry.
bool GetStyleColour(int16_t n, RGBColor* rgb);
// Fore colour = entry n of the program colour table, on a colour screen with a table.
void SetForeColorIndex(int16_t n);
// Back colour = entry n of the program colour table, on a colour screen with a table.
void SetPanelBackColor(int16_t n);
// Releases everything a style holds (quit, tests).
void ReleaseAppearanceStyle();
