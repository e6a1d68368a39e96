// Texts of the track views: a length-prefixed string shortened to a width, a track's length in
// bars, and a control's title set only when it changes (no redraw for the same text).
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"
#include "platform/memory/mac_types.h"

constexpr int16_t kTruncateWithEllipsis = 0;
constexpr int16_t kTruncateToFirstCharacter = -1;
constexpr uint8_t kEllipsisCharacter = 201;
constexpr int32_t kMaxShownTrackBars = 9999;

// Set: a shortened text ends with three dots; clear: with the ellipsis character 201.
extern bool gTruncateWithThreeDots;

// dest := source shortened until it is at most width pixels wide (MeasurePString): with
// kTruncateWithEllipsis it ends with the dots (or the ellipsis character), with
// kTruncateToFirstCharacter only the first character stays. A text that fits is copied as it
// is. dest may be source.
void TruncatePStringToWidth(ConstStr255Param source, Str255 dest, int16_t width, int16_t mode);
// The text of a length in bars: the number, or "..." above 9999 (and below 0).
void FormatTrackLengthText(int32_t bars, Str255 text);
// Draws the current track's length in bars at the pen.
void DrawTrackLengthNumber();
// Sets the control's title only when it differs from title.
void SetControlTitleIfChanged(ControlRef control, ConstStr255Param title);
