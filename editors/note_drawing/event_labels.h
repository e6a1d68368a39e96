// Events drawn as labels and blocks rather than boxes: system-exclusive events as upright
// name labels at the foot of the pane, and nested sequences as named blocks on their rows.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

enum BlockPattern : uint8_t { kSolidBlockPattern = 0, kGrayBlockPattern = 1 };
constexpr int32_t kSysExLabelChars = 14;
constexpr int16_t kSequenceRowHeight = 16;

// The label of a system-exclusive event at tick in the current pane: its foot box and its
// upright text column.
void GetSysExLabelRects(int32_t tick, Rect* foot, Rect* label);
// The block of a sequence reference from tick in the current pane (empty when it has no width).
Rect SequenceBlockRect(int32_t tick, const uint8_t* event);
// Only while labels are shown.
void DrawSysExLabel(int32_t tick, const uint8_t* event);
// The block of a sequence reference from tick over its long duration, filled in the child's
// colour (colour when the child's is black; nearly colour in the ghost style).
void DrawSequenceBlock(int32_t tick, const uint8_t* event, BlockPattern pattern, const RGBColor& colour);

enum SequenceBlockPart : int16_t { kOutsideBlock = 0, kBlockBody = 1, kBlockStartMark = 2, kBlockEndMark = 3 };
// The part of the sequence block with bounds under gLastMousePoint: its start mark, its end
// mark or the body between them. The selection tracker acts on the part it answers (act is
// kept for the hit flags' sake and changes nothing here).
int16_t HitTestSequenceBlock(bool act, const Rect& bounds);
