#include "shell/dialogs/dialog_controls.h"

#include "platform/quickdraw/geometry.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "shell/base/app_state.h"
#include "shell/base/app_strings.h"
#include "shell/dialogs/dialog_text.h"
#include "shell/dialogs/note_names.h"
#include "shell/drawing/scratch_rect.h"
#include "song/model/key_codes.h"

namespace {

constexpr int16_t kArrowHalfHeight = 18;

int16_t Absolute(int16_t n) { return int16_t(n + gDialogIdBase); }

}  // namespace

void SetBitInByte(uint8_t* byte, int32_t bit, bool on) {
  if (bit < 0 || bit > 7) return;
  if (on)
    *byte = uint8_t(*byte | (1u << bit));
  else
    *byte = uint8_t(*byte & ~(1u << bit));
}

bool IsItemHitInRange(int16_t a, int16_t b) {
  return gDialogItemHit >= Absolute(a) && gDialogItemHit <= Absolute(b);
}

bool IsOKOrCancelHit() { return IsItemHitInRange(1, 2); }
bool IsOKHit() { return gDialogItemHit == 1; }

void ActivateItemControl(ControlRef control) {
  if (!control) return;
  if (IsAppearanceThemeOn())
    ActivateControl(control);
  else
    HiliteControl(control, 0);
}

void DeactivateItemControl(ControlRef control) {
  if (!control) return;
  if (IsAppearanceThemeOn())
    DeactivateControl(control);
  else
    HiliteControl(control, 255);
}

bool GetCurrentDialogItem(int16_t n) {
  gDialogItemType = 0;
  gDialogItemHandle = nullptr;
  gDialogItemRect = Rect{0, 0, 0, 0};
  int16_t item = Absolute(n);
  if (!gCurrentDialog || item < 1 || item > CountDITL(gCurrentDialog)) return false;
  GetDialogItem(gCurrentDialog, item, &gDialogItemType, &gDialogItemHandle, &gDialogItemRect);
  return true;
}

ControlRef GetCurrentDialogControl(int16_t n) {
  if (!GetCurrentDialogItem(n)) return nullptr;
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(gCurrentDialog, Absolute(n), &control) != noErr) return nullptr;
  return control;
}

void LoadDialogItemRect(int16_t n) {
  GetCurrentDialogItem(n);
  gScratchRect = gDialogItemRect;
}

void InvalDialogItem(int16_t n) {
  if (!GetCurrentDialogItem(n)) return;
  InvalWindowRect(GetDialogWindow(gCurrentDialog), &gDialogItemRect);
}

void LoadItemInnerRect() { InsetRect(&gScratchRect, 4, 3); }

void LoadItemUpperArrowRect() { gScratchRect.bottom = int16_t(gScratchRect.top + kArrowHalfHeight); }

void LoadItemLowerArrowRect() { gScratchRect.top = int16_t(gScratchRect.bottom - kArrowHalfHeight); }

void SetDialogItemString(ConstStr255Param text, int16_t n) {
  if (!GetCurrentDialogItem(n) || !gDialogItemHandle) return;
  SetDialogItemText(gDialogItemHandle, text);
}

StringPtr GetDialogItemString(int16_t n) {
  gStringBuffer[0] = 0;
  if (GetCurrentDialogItem(n) && gDialogItemHandle) GetDialogItemText(gDialogItemHandle, gStringBuffer);
  return gStringBuffer;
}

int32_t GetDialogItemNumber(int16_t n) { return ParseLeadingNumber(GetDialogItemString(n)); }

void SetDialogItemNumber(int32_t v, int16_t n) {
  Str255 text;
  NumToString(v, text);
  SetDialogItemString(text, n);
}

double GetDialogItemDouble(int16_t n) { return ParseFloatText(GetDialogItemString(n)); }

int32_t GetDialogItemTenths(int16_t n) { return ParseTenths(GetDialogItemString(n)); }

int16_t GetDialogControlValue(int16_t n) {
  ControlRef control = GetCurrentDialogControl(n);
  return control ? GetControlValue(control) : 0;
}

void SetDialogControlValue(int16_t n, int16_t v) {
  if (ControlRef control = GetCurrentDialogControl(n)) SetControlValue(control, v);
}

int16_t ToggleDialogControl(int16_t n) {
  int16_t v = int16_t(1 - GetDialogControlValue(n));
  SetDialogControlValue(n, v);
  return v;
}

void StoreCheckboxBit(uint8_t* byte, int32_t bit, int16_t n) {
  SetBitInByte(byte, bit, GetDialogControlValue(n) != 0);
}

void SetDialogCheckbox(int16_t n, bool flag) { SetDialogControlValue(n, flag ? 1 : 0); }

void SelectRadioInGroup(int16_t a, int16_t b, int16_t c) {
  for (int16_t i = a; i <= b; ++i) SetDialogControlValue(i, 0);
  SetDialogControlValue(c, 1);
  if (!GetCurrentDialogItem(c)) return;
  Rect band = gDialogItemRect;
  band.top = int16_t(gDialogItemRect.bottom - 1);
  band.bottom = int16_t(gDialogItemRect.bottom + 2);
  InvalWindowRect(GetDialogWindow(gCurrentDialog), &band);
}

void SetRadioPair(int16_t a, int16_t b, bool flag) {
  SetDialogControlValue(a, flag ? 1 : 0);
  SetDialogControlValue(b, flag ? 0 : 1);
}

void HandleRadioGroupHit(int16_t a, int16_t b) {
  if (IsItemHitInRange(a, b)) SelectRadioInGroup(a, b, int16_t(gDialogItemHit - gDialogIdBase));
}

void HandleRadioPairHit(int16_t a, int16_t b) {
  if (gDialogItemHit == Absolute(a) || gDialogItemHit == Absolute(b))
    SetRadioPair(a, b, gDialogItemHit == Absolute(a));
}

int16_t GetSelectedRadioIndex(int16_t a, int16_t n) {
  for (int16_t i = 0; i < n; ++i)
    if (GetDialogControlValue(int16_t(a + i))) return i;
  return 0;
}

void ToggleCheckboxInRange(int16_t a, int16_t b) {
  if (IsItemHitInRange(a, b)) ToggleDialogControl(int16_t(gDialogItemHit - gDialogIdBase));
}

void SetDialogItemHandle(int16_t n, DialogItemHandle handle) {
  if (!GetCurrentDialogItem(n)) return;
  SetDialogItem(gCurrentDialog, Absolute(n), gDialogItemType, handle, &gDialogItemRect);
}

void SelectDialogItemAllText(int16_t n) {
  if (GetCurrentDialogItem(n)) SelectDialogItemText(gCurrentDialog, Absolute(n), 0, 32767);
}

void SetDialogItemsActive(const uint8_t* items, int32_t count, bool on) {
  for (int32_t i = 0; i < count; ++i) {
    ControlRef control = GetCurrentDialogControl(items[i]);
    if (on)
      ActivateItemControl(control);
    else
      DeactivateItemControl(control);
  }
}

void SetDialogItemNoteName(int32_t note, int16_t n) {
  SetDialogItemString(MakeNoteName(nullptr, note, kSpellByKey), n);
}

int32_t GetDialogItemNote(int16_t n) { return ParseNoteOrNumber(GetDialogItemString(n), nullptr); }

void SetDialogItemPitchName(int32_t pitch, int16_t n) { SetDialogItemString(PitchName(pitch), n); }

uint8_t GetDialogItemKey(int16_t n) {
  gTypedAccidental = 0;
  int32_t note = GetDialogItemNote(n);
  return SpellPitchClass(note == kNoNote ? 0 : note);
}

void SetDialogFontId(uint16_t id) {
  gDialogFontId = id;
  SetDialogFont(int16_t(id));
}

uint16_t GetDialogFontId() { return gDialogFontId; }
