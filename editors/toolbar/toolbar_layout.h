// Where things lie in the main editor's tool bar: its origin, the areas the mouse is tested
// against and the cells of the tool buttons. Drawing and hit-testing use the same cells.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr int16_t kToolbarRowHeight = 13;
constexpr int16_t kToolbarHeight = 39;
constexpr int16_t kToolButtonWidth = 25;
constexpr int16_t kToolButtonStep = 26;
constexpr int16_t kToolBlockRight = 103;
constexpr int16_t kModeFieldLeft = 157;
constexpr int16_t kStateIconsLeft = 183;
constexpr int16_t kStateIconsRight = 208;
constexpr int16_t kReadoutBoxLeft = 405;
constexpr int16_t kReadoutBoxRight = 485;

enum ToolbarArea : int16_t {
  kOutsideToolbar = 0,
  kToolbarBackground = 1,
  kToolBlockArea = 2,
  kModeSettingArea = 3,
  kStateIconArea = 4,
};

// The value fields and buttons beside the tools, each in its rows of the tool bar.
enum ToolbarField : int16_t {
  kZoomOutButton = 0,
  kZoomInButton,
  kBendButton,
  kResetTemplateButton,  // 'R'
  kSwingField,
  kNoteValuePopUpField,
  kChannelField,
  kNoteTicksField,
  kLengthPercentField,
  kVelocityField,
  kProgramField,
  kInstrumentField,
  kVolumeField,
  kPanField,
  kToolbarFieldCount,
};

// x0 = tool bar left + x offset, y0 = the tool bar's origin y.
Point GetToolbarOrigin();
// The most particular area under the mouse.
ToolbarArea HitTestToolbar(Point mouse);
// The cell of tool button index (0 and up).
Rect GetToolButtonRect(int16_t index);
// The tool button under the mouse, -1 for none.
int16_t HitTestToolButtons(Point mouse, int16_t buttonCount);
// The rectangle of a value field or button in window coordinates.
Rect GetToolbarFieldRect(ToolbarField field);
// The field or button under the mouse, kToolbarFieldCount for none.
ToolbarField HitTestToolbarFields(Point mouse);
// The note readout's box: the three rows between the program field and the instrument's numbers.
Rect GetReadoutBoxRect();
