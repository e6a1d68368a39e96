// The geometry of the mixer window: the header, the rack faders and link switch at the left,
// and one row per plug-in of the rack shown, with its grid of parameter knobs. Everything is
// in window coordinates and depends only on the expanded flag and on each row's plug-in
// (parameter count and state flags), so that drawing and hit-testing share one set of
// rectangles.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr int16_t kMixerWidth = 675;
constexpr int16_t kRackFaderWidth = 30;      // W: one rack fader's column
constexpr int16_t kRackFaderTravel = 48;     // T: pixels from a fader's minimum to its maximum
constexpr int16_t kRackFaderThumbWidth = 23;
constexpr int16_t kRackFaderThumbHeight = 11;
constexpr int16_t kKnobCellWidth = 55;
constexpr int16_t kKnobSize = 24;
constexpr int32_t kMaxKnobsPerLine = 12;
constexpr int16_t kMixerBottomBar = 22;      // expanded only
constexpr int16_t kMixerBottomMargin = 15;
constexpr int16_t kMixerBandHeight = 22;     // the expanded header's picture band
constexpr int16_t kSendLabelWidth = 50;
constexpr int16_t kSecondColumnOffset = 40;  // from the rows' left edge

// The mixer's expanded flag (program-wide, initially off).
extern uint8_t gMixerExpanded;

int16_t MixerHeaderHeight(bool expanded);
int16_t MixerRowsLeft(bool expanded);
int16_t MixerGridLeft(bool expanded);
int16_t MixerBaseRowHeight(bool expanded);   // R
int32_t MixerKnobsPerLine(bool expanded);
int16_t MixerSecondColumnLeft(bool expanded);

// What a plug-in row's layout depends on.
struct MixerRowShape {
  int32_t parameters = 0;       // p
  int32_t stateFlags = 0;       // GetPluginStateFlags: non-zero adds a program line, bit 2 a sound-bank line
  bool withoutParameters = false;  // instance flag 0x1000: the row shows no parameters
  int32_t firstVisible = 0;     // the first parameter shown
  bool hasPresets = false;      // programs or user presets to choose from: a program line too
};
constexpr int32_t kRowStateSoundBank = 0x04;

bool RowHasProgramLine(const MixerRowShape& row);
bool RowHasSoundBankLine(const MixerRowShape& row);
// The row's height. Rows that show parameters are as many knob lines high as their
// parameters need at the window's knobs per line.
int16_t MixerRowHeight(const MixerRowShape& row, bool expanded);
// How many knobs the row shows (from its first visible parameter).
int32_t MixerVisibleKnobs(const MixerRowShape& row, bool expanded);
// The knob rectangle of the k-th shown knob of a row whose top is rowTop.
Rect MixerKnobRect(const MixerRowShape& row, bool expanded, int16_t rowTop, int32_t k);
// The parameter cell (name above, value text and unit below the knob).
Rect MixerKnobCell(const MixerRowShape& row, bool expanded, int16_t rowTop, int32_t k);
// The value text under a knob: the 10 pixels below the knob's bottom, the cell's width.
Rect MixerValueTextRect(const Rect& knob);
// The page arrows at the left of the row's grid (left: earlier parameters).
Rect MixerPageArrowRect(bool expanded, int16_t rowTop, bool right);

// Row elements, in window coordinates, for the row whose top is rowTop.
Rect MixerBypassRect(bool expanded, int16_t rowTop);
Rect MixerNameRect(bool expanded, int16_t rowTop);
Rect MixerEditorButtonRect(bool expanded, int16_t rowTop);
Rect MixerRemoveButtonRect(bool expanded, int16_t rowTop);
// The options button of plug-ins that take MIDI (their MIDI filter), left of the editor button.
Rect MixerOptionsButtonRect(bool expanded, int16_t rowTop);
Rect MixerProgramRect(bool expanded, int16_t rowTop);
Rect MixerSoundBankRect(const MixerRowShape& row, bool expanded, int16_t rowTop);

// The row under a height: rows are walked from the header's bottom; -1 above the rows and,
// unless toLast is set, below them. With toLast a point below all rows gives the last row
// (where a dropped plug-in goes).
int32_t FindMixerRowAt(int16_t v, const int16_t* heights, int32_t count, bool expanded, bool toLast);
int16_t MixerRowTop(const int16_t* heights, int32_t row, bool expanded);

// The rack faders (0..2) and their link switch.
Rect RackFaderColumn(bool expanded, int32_t fader);
// The thumb of a fader at value (0..maximum).
Rect RackFaderThumb(bool expanded, int32_t fader, double value, double maximum);
Rect RackLinkSwitchRect(bool expanded);
Rect RackPowerSwitchRect();
// The header's name column and the cell of output or send label i (and the channel label
// under it).
Rect MixerHeaderNameRect(bool expanded);
Rect MixerOutputLabelRect(bool expanded, int32_t i);
Rect MixerChannelLabelRect(bool expanded, int32_t i);
// The add button under the last row (expanded) and the area below the rows.
Rect MixerAddButtonRect(int16_t rowsBottom);

// The window's content height for rows of these heights.
int16_t MixerWindowHeight(const int16_t* heights, int32_t count, bool expanded);
