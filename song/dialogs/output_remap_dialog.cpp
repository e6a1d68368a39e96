#include "song/dialogs/output_remap_dialog.h"

#include <cstring>

#include "platform/events/classic_events.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/text.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "song/documents/playback_reset.h"
#include "song/instruments/output_remap.h"

uint16_t gRemapDialogOptions = 0;

namespace {

int32_t gSelectedEntry = 0;

// The rectangle of an item of the dialog (the current one).
Rect ItemRect(DialogItemIndex item) {
  LoadDialogItemRect(item);
  return gScratchRect;
}

void DrawRow(const Rect& list, int32_t row, ConstStr255Param text, bool selected) {
  Rect r{int16_t(list.top + row * kRemapRowHeight), list.left, int16_t(list.top + (row + 1) * kRemapRowHeight),
         list.right};
  if (r.bottom > list.bottom) return;
  EraseRect(&r);
  MoveTo(int16_t(r.left + 4), int16_t(r.bottom - 4));
  DrawString(text);
  if (selected) InvertRect(&r);
}

// "missing name -> replacement name"
void EntryText(const OutputRemapEntry& e, Str255 text) {
  std::memcpy(text, e.name, size_t(e.name[0]) + 1);
  Str255 replacement;
  GetReplacementName(e.newKind, e.newPort, replacement);
  const unsigned char arrow[] = "\004  > ";
  for (const unsigned char* part : {arrow, static_cast<const unsigned char*>(replacement)}) {
    int32_t n = part[0];
    if (text[0] + n > 255) n = 255 - text[0];
    std::memcpy(text + 1 + text[0], part + 1, size_t(n));
    text[0] = uint8_t(text[0] + n);
  }
}

void DrawEntryList(DialogRef, DialogItemIndex item) {
  Rect list = ItemRect(item);
  FrameRect(&list);
  for (int32_t i = 0; i < gRemapCount; ++i) {
    Str255 text;
    EntryText(gRemapTable[i], text);
    DrawRow(list, i, text, i == gSelectedEntry);
  }
}

void DrawChoiceList(DialogRef, DialogItemIndex item) {
  Rect list = ItemRect(item);
  FrameRect(&list);
  const OutputRemapEntry& e = gRemapTable[gSelectedEntry];
  for (int32_t i = 0; i < CountReplacementChoices(); ++i) {
    uint8_t kind = 0, port = 0;
    GetReplacementChoice(i, &kind, &port);
    Str255 name;
    GetReplacementName(kind, port, name);
    DrawRow(list, i, name, kind == e.newKind && port == e.newPort);
  }
}

void InstallList(int16_t item, void (*draw)(DialogRef, DialogItemIndex)) {
  if (!GetCurrentDialogItem(item)) return;
  SetDialogItem(gCurrentDialog, int16_t(item + gDialogIdBase), userItem, UserItemHandle(draw), &gDialogItemRect);
}

// The row of a list under the mouse, -1 outside its rows.
int32_t RowUnderMouse(int16_t item, int32_t rows) {
  Point where;
  GetMouse(&where);
  Rect list = ItemRect(item);
  if (where.v < list.top || where.h < list.left || where.h >= list.right) return -1;
  int32_t row = (where.v - list.top) / kRemapRowHeight;
  return row < rows ? row : -1;
}

void RedrawLists() {
  InvalDialogItem(kRemapEntryListItem);
  InvalDialogItem(kRemapChoiceListItem);
}

void HandleHit(int16_t item) {
  if (item == kRemapRememberItem) {
    gRemapDialogOptions ^= kRemapOptionRemember;
    SetDialogCheckbox(kRemapRememberItem, gRemapDialogOptions & kRemapOptionRemember);
  } else if (item == kRemapEntryListItem) {
    int32_t row = RowUnderMouse(item, gRemapCount);
    if (row >= 0) gSelectedEntry = row;
  } else if (item == kRemapChoiceListItem) {
    int32_t row = RowUnderMouse(item, CountReplacementChoices());
    if (row < 0) return;
    OutputRemapEntry& e = gRemapTable[gSelectedEntry];
    GetReplacementChoice(row, &e.newKind, &e.newPort);
  }
  RedrawLists();
}

bool RunDialog() {
  if (!OpenDialogById(kOutputRemapDialogId)) return false;
  gSelectedEntry = 0;
  InstallList(kRemapEntryListItem, DrawEntryList);
  InstallList(kRemapChoiceListItem, DrawChoiceList);
  SetDialogCheckbox(kRemapRememberItem, gRemapDialogOptions & kRemapOptionRemember);
  ShowCurrentDialog();
  bool ok = false;
  for (;;) {
    int16_t item = RunModalDialog();
    if (item == kRemapOkItem) ok = true;
    if (item == kRemapOkItem || item == kRemapCancelItem || item == 0) break;
    HandleHit(item);
  }
  CloseCurrentDialog();
  return ok;
}

}  // namespace

bool RunOutputRemapDialog(int16_t) {
  if (CollectMissingOutputs() == 0) return false;
  if (!RunDialog()) return false;
  ApplyOutputRemapping(gRemapDialogOptions & kRemapOptionRemember);
  ResetPlaybackState(0);
  return true;
}
