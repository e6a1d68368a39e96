// The layout of one strip of the instrument window: the rectangles of its elements relative
// to the strip's left edge and top, the fader's travel and thumb, and where the strips sit in
// the window. The instrument window and the mixer's rack faders read these; only
// LayoutInstrumentStrip writes them, from the strip size of the appearance style
// (gInstrumentStripWidth, gInstrumentStripHeight) and the font.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/quickdraw/icons.h"

// Element numbers of a strip (the instrument window's drawing and clicks use them alike).
enum : int16_t {
  kStripOutput = 0,
  kStripChannel = 1,
  kStripPatchList = 2,
  kStripProgram = 3,
  kStripPanValue = 4,
  kStripPanKnob = 5,
  kStripKnobArea = 6,
  kStripVolumeValue = 7,
  kStripMuteLamp = 8,
  kStripSoloLamp = 9,
  kStripFaderTrack = 10,
  kStripClip = 11,
  kStripMeter = 12,
  kStripSendButton = 13,
  kStripLinkGroup = 19,
  kStripMeterLeft = 29,   // the two bars of the alternate meter layout
  kStripMeterRight = 30,
  kStripElementCount = 31
};

// The x of the first strip: the label column lies left of it.
constexpr int16_t kStripColumnLeft = 38;
// A fader thumb without its colour icon.
constexpr int16_t kFaderThumbWidth = 23;
constexpr int16_t kFaderThumbHeight = 11;

extern Rect gStripElementRects[kStripElementCount];
// Pixels over which the thumb travels for volumes 0..127 (at least 1).
extern int16_t gFaderTravel;
// The thumb's colour icon and its pressed form, or null.
extern CIconHandle gFaderThumbIcon;
extern CIconHandle gFaderThumbPressedIcon;
// The thumb's left edge in the strip.
extern int16_t gFaderThumbLeft;
// The y of the strips' top in the window (the content offset) and the line height chosen at
// the last full redraw.
extern int16_t gStripTop;
extern int16_t gStripLineHeight;

// Lays the strip out again; called when the appearance style sets the strip size and before
// the window draws with no layout made yet.
void LayoutInstrumentStrip();
// The top of the strips' name row in the window.
int16_t GetStripNameTop();
