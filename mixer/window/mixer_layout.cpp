#include "mixer/window/mixer_layout.h"

#include <algorithm>

uint8_t gMixerExpanded = 0;

namespace {

constexpr int16_t kCollapsedHeader = 33;
constexpr int16_t kCollapsedRow = 64;
constexpr int16_t kExpandedRow = 82;
constexpr int16_t kLineExtra = 12;        // a program or sound-bank line
constexpr int16_t kParameterRowBase = 86;
constexpr int16_t kGridOffset = 20;
constexpr int16_t kExpandedGridWidth = 492;
constexpr int16_t kFaderGap = 33;         // from the fader area's top to the top of the travel
constexpr int16_t kFaderLeft = 12;

Rect MakeRect(int32_t left, int32_t top, int32_t width, int32_t height) {
  return Rect{int16_t(top), int16_t(left), int16_t(top + height), int16_t(left + width)};
}

int16_t FirstLineOffset(const MixerRowShape& row, bool expanded) {
  int16_t v = expanded ? 27 : 23;
  if (RowHasProgramLine(row)) v += kLineExtra;
  if (RowHasSoundBankLine(row)) v += kLineExtra;
  return v;
}

int16_t LineSpacing(const MixerRowShape& row, bool expanded) {
  return int16_t(MixerBaseRowHeight(expanded) + (RowHasProgramLine(row) ? kLineExtra : 0));
}

int16_t FaderBottom(bool expanded) {
  return int16_t(MixerHeaderHeight(expanded) + kFaderGap + kRackFaderTravel + kRackFaderThumbHeight);
}

}  // namespace

int16_t MixerHeaderHeight(bool expanded) { return expanded ? kCollapsedHeader + kMixerBandHeight : kCollapsedHeader; }
int16_t MixerRowsLeft(bool expanded) { return int16_t(3 * kRackFaderWidth + (expanded ? 39 : 15)); }
int16_t MixerGridLeft(bool expanded) { return int16_t(MixerRowsLeft(expanded) + kGridOffset); }
int16_t MixerBaseRowHeight(bool expanded) { return expanded ? kExpandedRow : kCollapsedRow; }
int16_t MixerSecondColumnLeft(bool expanded) { return int16_t(MixerRowsLeft(expanded) + kSecondColumnOffset); }

int32_t MixerKnobsPerLine(bool expanded) {
  int32_t n = expanded ? kExpandedGridWidth / kKnobCellWidth : (kMixerWidth - MixerGridLeft(false)) / kKnobCellWidth;
  return std::clamp(n, 1, kMaxKnobsPerLine);
}

bool RowHasProgramLine(const MixerRowShape& row) { return row.stateFlags != 0 || row.hasPresets; }
bool RowHasSoundBankLine(const MixerRowShape& row) { return (row.stateFlags & kRowStateSoundBank) != 0; }

int16_t MixerRowHeight(const MixerRowShape& row, bool expanded) {
  int16_t r = MixerBaseRowHeight(expanded);
  if (row.parameters <= 0 || row.withoutParameters) return r;
  int32_t extra = RowHasSoundBankLine(row) ? 2 * kLineExtra : RowHasProgramLine(row) ? kLineExtra : 0;
  int32_t perLine = MixerKnobsPerLine(expanded);
  if (row.parameters <= perLine) return int16_t(kParameterRowBase + extra);
  int32_t lines = (row.parameters + perLine - 1) / perLine;
  return int16_t(std::min<int32_t>((r + extra) * lines - r + kParameterRowBase, 32000));
}

int32_t MixerVisibleKnobs(const MixerRowShape& row, bool expanded) {
  if (row.parameters <= 0 || row.withoutParameters) return 0;
  int32_t perLine = MixerKnobsPerLine(expanded);
  int16_t height = MixerRowHeight(row, expanded);
  int32_t shown = perLine;
  if (height > kParameterRowBase) shown = perLine * (height / LineSpacing(row, expanded));
  int32_t left = row.parameters - std::max(row.firstVisible, 0);
  return std::clamp(left, 0, shown);
}

Rect MixerKnobCell(const MixerRowShape& row, bool expanded, int16_t rowTop, int32_t k) {
  int32_t perLine = MixerKnobsPerLine(expanded);
  int32_t left = MixerGridLeft(expanded) + kKnobCellWidth * (k % perLine);
  int32_t top = rowTop + FirstLineOffset(row, expanded) + (k / perLine) * LineSpacing(row, expanded);
  return MakeRect(left, top, kKnobCellWidth, 12 + kKnobSize + 20);
}

Rect MixerKnobRect(const MixerRowShape& row, bool expanded, int16_t rowTop, int32_t k) {
  Rect cell = MixerKnobCell(row, expanded, rowTop, k);
  return MakeRect(cell.left + (kKnobCellWidth - kKnobSize) / 2, cell.top + 12, kKnobSize, kKnobSize);
}

Rect MixerValueTextRect(const Rect& knob) {
  int16_t centre = int16_t((knob.left + knob.right) / 2);
  return MakeRect(centre - kKnobCellWidth / 2, knob.bottom, kKnobCellWidth, 10);
}

Rect MixerPageArrowRect(bool expanded, int16_t rowTop, bool right) {
  MixerRowShape plain;
  return MakeRect(MixerRowsLeft(expanded) + 4, rowTop + FirstLineOffset(plain, expanded) + (right ? 28 : 14), 12, 10);
}

Rect MixerBypassRect(bool expanded, int16_t rowTop) {
  int16_t size = expanded ? 16 : 10;
  return MakeRect(MixerRowsLeft(expanded) + 4, rowTop + 4, size, size);
}

Rect MixerEditorButtonRect(bool expanded, int16_t rowTop) {
  int32_t right = expanded ? 3 * kRackFaderWidth + 531 : kMixerWidth - 8;
  return MakeRect(right - 48, rowTop + 3, 48, 14);
}

Rect MixerRemoveButtonRect(bool expanded, int16_t rowTop) {
  if (!expanded) return Rect{0, 0, 0, 0};
  Rect editor = MixerEditorButtonRect(true, rowTop);
  return MakeRect(editor.left - 22, rowTop + 2, 16, 16);
}

Rect MixerOptionsButtonRect(bool expanded, int16_t rowTop) {
  int16_t right = expanded ? MixerRemoveButtonRect(true, rowTop).left : MixerEditorButtonRect(false, rowTop).left;
  return MakeRect(right - 18, rowTop + 3, 14, 14);
}

Rect MixerNameRect(bool expanded, int16_t rowTop) {
  int16_t right = MixerOptionsButtonRect(expanded, rowTop).left;
  Rect r = MakeRect(MixerRowsLeft(expanded) + 24, rowTop + 3, 0, 13);
  r.right = int16_t(right - 4);
  return r;
}

Rect MixerProgramRect(bool expanded, int16_t rowTop) {
  return MakeRect(MixerGridLeft(expanded), rowTop + 18, 200, 11);
}

Rect MixerSoundBankRect(const MixerRowShape& row, bool expanded, int16_t rowTop) {
  int32_t top = rowTop + 18 + (RowHasProgramLine(row) ? kLineExtra : 0);
  return MakeRect(MixerGridLeft(expanded), top, 300, 11);
}

int16_t MixerRowTop(const int16_t* heights, int32_t row, bool expanded) {
  int32_t v = MixerHeaderHeight(expanded);
  for (int32_t i = 0; i < row; ++i) v += heights[i];
  return int16_t(std::min(v, 32767));
}

int32_t FindMixerRowAt(int16_t v, const int16_t* heights, int32_t count, bool expanded, bool toLast) {
  int32_t rest = v - MixerHeaderHeight(expanded);
  if (rest < 0 || count <= 0) return -1;
  for (int32_t i = 0; i < count; ++i) {
    rest -= heights[i];
    if (rest < 0) return i;
  }
  return toLast ? count - 1 : -1;
}

Rect RackFaderColumn(bool expanded, int32_t fader) {
  int16_t top = MixerHeaderHeight(expanded);
  return MakeRect(kFaderLeft + kRackFaderWidth * fader, top, kRackFaderWidth, FaderBottom(expanded) - top);
}

Rect RackFaderThumb(bool expanded, int32_t fader, double value, double maximum) {
  Rect column = RackFaderColumn(expanded, fader);
  double fraction = maximum > 0 ? std::clamp(value / maximum, 0.0, 1.0) : 0.0;
  int32_t top = column.top + kFaderGap + kRackFaderTravel - int32_t(kRackFaderTravel * fraction);
  int32_t left = column.left + (kRackFaderWidth - kRackFaderThumbWidth) / 2;
  return MakeRect(left, top, kRackFaderThumbWidth, kRackFaderThumbHeight);
}

Rect RackLinkSwitchRect(bool expanded) {
  return MakeRect(kFaderLeft + 2 * kRackFaderWidth - 3, FaderBottom(expanded) + 10, 7, 10);
}

Rect RackPowerSwitchRect() { return MakeRect(kMixerWidth - 20, 3, 12, 12); }

Rect MixerHeaderNameRect(bool expanded) {
  return MakeRect(5, 0, MixerSecondColumnLeft(expanded) - 9, 12);
}

Rect MixerOutputLabelRect(bool expanded, int32_t i) {
  return MakeRect(MixerSecondColumnLeft(expanded) + kSendLabelWidth * i, 12, kSendLabelWidth, 10);
}

Rect MixerChannelLabelRect(bool expanded, int32_t i) {
  return MakeRect(MixerSecondColumnLeft(expanded) + kSendLabelWidth * i, 22, kSendLabelWidth, 10);
}

Rect MixerAddButtonRect(int16_t rowsBottom) {
  return MakeRect(MixerRowsLeft(true) - 10, rowsBottom + 2, 10, 10);
}

int16_t MixerWindowHeight(const int16_t* heights, int32_t count, bool expanded) {
  int32_t h = MixerRowTop(heights, count, expanded) + MixerBaseRowHeight(expanded) +
              (expanded ? kMixerBottomBar : 0) + kMixerBottomMargin;
  int32_t faders = RackLinkSwitchRect(expanded).bottom + 6;
  return int16_t(std::min(std::max(h, faders), 32000));
}
