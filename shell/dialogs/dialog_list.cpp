#include "shell/dialogs/dialog_list.h"

DialogListState gDialogList;
uint8_t gNoteMap[kNoteMapSize];

namespace {

constexpr ControlPartCode kKeyStepDown = 600;
constexpr ControlPartCode kKeyStepUp = 601;

int32_t ListMaximum() { return gDialogList.scrollBar ? GetControlMaximum(gDialogList.scrollBar) : 0; }

void MoveList(int32_t delta) { SetListScrollValue(int32_t(gDialogList.lastScrollValue) + delta); }

}  // namespace

void ResetNoteMap() {
  for (int32_t i = 0; i < kNoteMapSize; ++i) gNoteMap[i] = uint8_t(i);
}

int16_t GetListScrollValue() { return gDialogList.lastScrollValue; }

int16_t GetListTopRowFromEnd() {
  int32_t row = 127 - GetListScrollValue();
  return int16_t(row < 0 ? 0 : row > 127 ? 127 : row);
}

int16_t GetRowAtY(int16_t y, int16_t rowHeight) {
  if (rowHeight <= 0) return 0;
  return int16_t((y - gDialogList.listRect.top) / rowHeight);
}

void SetListScrollValue(int32_t v) {
  int32_t maximum = ListMaximum();
  if (v > maximum) v = maximum;
  if (v < 0) v = 0;
  gDialogList.lastScrollValue = int16_t(v);
  if (gDialogList.scrollBar) SetControlValue(gDialogList.scrollBar, int16_t(v));
}

void HandleListScrollPart(ControlPartCode part, int16_t visibleRows) {
  switch (part) {
    case kControlUpButtonPart: MoveList(-1); break;
    case kControlDownButtonPart: MoveList(1); break;
    case kControlPageUpPart: MoveList(1 - visibleRows); break;
    case kControlPageDownPart: MoveList(visibleRows - 1); break;
    case kControlIndicatorPart:
      if (gDialogList.scrollBar) SetListScrollValue(GetControlValue(gDialogList.scrollBar));
      break;
    default: break;
  }
}

void HandleNoteMapScroll(ControlPartCode part) {
  switch (part) {
    case kControlUpButtonPart:
    case kKeyStepUp: MoveList(-1); break;
    case kControlDownButtonPart:
    case kKeyStepDown: MoveList(1); break;
    case kControlPageUpPart: MoveList(-kNoteMapPageRows); break;
    case kControlPageDownPart: MoveList(kNoteMapPageRows); break;
    default: HandleListScrollPart(part, 0); break;
  }
}

bool StoreNoteMapValue(int32_t row, int32_t target) {
  if (row < 0 || row >= kNoteMapSize || target < 0 || target >= kNoteMapSize) return false;
  gNoteMap[row] = uint8_t(target);
  return true;
}
