// The five pages of the Preferences dialog.
#include "shell/settings/preferences_pages.h"

#include "platform/dialogs/dialogs.h"
#include "platform/system/gestalt.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/transport/playback_stop.h"
#include "shell/base/app_state.h"
#include "shell/base/arithmetic.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/color_swatches.h"
#include "shell/dialogs/dialog_arrows.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/dialogs/note_names.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/settings/preference_settings.h"
#include "shell/settings/preferences_dialog.h"
#include "song/prefs/preferences_writer.h"

PreferencesPending gPreferencesPending;

namespace {

int16_t sShownPage = -1;

// A check box or radio button standing for a bit of a settings word or byte.
struct BitItem {
  int16_t item;
  uint16_t* word;
  uint8_t* byte;
  uint16_t mask;
  bool inverted;  // checked means the bit is clear
};

bool ReadBit(const BitItem& b) {
  uint16_t v = b.word ? *b.word : uint16_t(b.byte ? *b.byte : 0);
  return ((v & b.mask) != 0) != b.inverted;
}

void WriteBit(const BitItem& b, bool checked) {
  bool set = checked != b.inverted;
  if (b.word) *b.word = uint16_t(set ? (*b.word | b.mask) : (*b.word & ~b.mask));
  if (b.byte) *b.byte = uint8_t(set ? (*b.byte | b.mask) : (*b.byte & ~b.mask));
}

void ShowBits(const BitItem* items, int count) {
  for (int i = 0; i < count; ++i) SetDialogCheckbox(items[i].item, ReadBit(items[i]));
}

void StoreBits(const BitItem* items, int count) {
  for (int i = 0; i < count; ++i) WriteBit(items[i], GetDialogControlValue(items[i].item) != 0);
}

bool IsEndingHit() {
  return gDialogItemHit == kPrefsOkItem || gDialogItemHit == kPrefsCancelItem ||
         gDialogItemHit == kPrefsPagePopUpItem;
}

// Runs the page's loop: handle(hit) for every hit that does not end the page; item 3 applies
// the clock source and the page goes on. A dialog that went away counts as cancelled.
int16_t RunPageLoop(void (*handle)()) {
  for (;;) {
    RunModalDialog();
    if (!gCurrentDialog || !IsValidDialog(gCurrentDialog)) return kPrefsCancelItem;
    if (IsEndingHit()) return gDialogItemHit;
    if (gDialogItemHit == kPrefsApplyClockItem) ApplyPendingClockSource();
    else handle();
  }
}

// --- Page 0: display and options -----------------------------------------------------------

PreferenceValues& V() { return gPreferenceValues; }


constexpr int kDisplayBitCount = 11;
BitItem* DisplayBits() {
  static BitItem items[kDisplayBitCount];
  items[0] = {5, nullptr, &V().displayOption, 0x1, false};
  items[1] = {17, &V().windowOptions, nullptr, 0x4000, false};
  items[2] = {18, &V().drawPrefs, nullptr, 0x0400, true};
  items[3] = {19, &gMidiPrefs, nullptr, 0x0010, false};
  items[4] = {21, nullptr, &V().transportOption, 0x1, false};
  items[5] = {22, &gMidiPrefs, nullptr, 0x0080, false};
  items[6] = {23, &gMidiPrefs, nullptr, 0x0001, false};
  items[7] = {24, nullptr, &V().startupOptions, 0x1, true};
  items[8] = {25, nullptr, &V().startupOptions, 0x2, true};
  items[9] = {4, &gMidiPrefs, nullptr, 0x0002, false};        // radio 3/4
  items[10] = {7, &gMidiPrefs, nullptr, kMidiPrefMiddleCOctave4, false};  // radio 6/7
  return items;
}

// The three swatches (items 13..15): the two display colours and the third widened from its
// 8-bit form.
constexpr int16_t kFirstSwatchItem = 13;
RGBColor sSwatches[3];

void ShowColourSwatches() {
  sSwatches[0] = V().colours[0];
  sSwatches[1] = V().colours[1];
  RGB8ToRGBColor(V().thirdColour, &sSwatches[2]);
  for (int16_t item = kFirstSwatchItem; item < kFirstSwatchItem + 3; ++item)
    InstallColorSwatchItem(item, kFirstSwatchItem, sSwatches, 3);
}

// A click on a swatch picks its colour; a confirmed choice goes into the settings (the third
// narrowed to its bytes, and its swatch shows what is kept).
void PickSwatchColour() {
  int16_t index = int16_t(gDialogItemHit - gDialogIdBase - kFirstSwatchItem);
  if (index < 0 || index >= 3 || !PickColorSwatchColor(int16_t(kFirstSwatchItem + index), &sSwatches[index]))
    return;
  if (index < 2) {
    V().colours[index] = sSwatches[index];
    return;
  }
  RGBColorToRGB8(&sSwatches[2], V().thirdColour);
  RGB8ToRGBColor(V().thirdColour, &sSwatches[2]);
}

void ShowDisplayPage() {
  BitItem* bits = DisplayBits();
  ShowBits(bits, kDisplayBitCount - 2);
  SetRadioPair(4, 3, ReadBit(bits[9]));
  SetRadioPair(7, 6, ReadBit(bits[10]));
  SetRadioPair(11, 10, (V().windowOptions & 0x2000) != 0);
  ShowColourSwatches();
  AddDialogListItem(&gClickReportItems, 9);
  uint8_t colourItems[] = {10, 11};
  SetDialogItemsActive(colourItems, 2, IsColorDrawingOn());
  uint8_t themeItem[] = {18};
  SetDialogItemsActive(themeItem, 1, true);
}

// The label beside radio buttons 3 and 4: its upper half counts as 3, its lower half as 4.
void MapOrderLabelHit() {
  if (gDialogItemHit != 9 + gDialogIdBase) return;
  LoadDialogItemRect(9);
  int16_t middle = int16_t((gScratchRect.top + gScratchRect.bottom) / 2);
  gDialogItemHit = int16_t(gDialogIdBase + (gLastMousePoint.v < middle ? 3 : 4));
}

void HandleDisplayHit() {
  MapOrderLabelHit();
  PickSwatchColour();
  ToggleCheckboxInRange(5, 8);
  ToggleCheckboxInRange(17, 25);
  HandleRadioPairHit(3, 4);
  HandleRadioPairHit(6, 7);
  HandleRadioPairHit(10, 11);
}

void StoreDisplayPage() {
  BitItem* bits = DisplayBits();
  StoreBits(bits, kDisplayBitCount - 2);
  WriteBit(bits[9], GetDialogControlValue(4) != 0);
  WriteBit(bits[10], GetDialogControlValue(7) != 0);
  uint16_t windowBit = GetDialogControlValue(11) ? 0x2000 : 0;
  V().windowOptions = uint16_t((V().windowOptions & ~0x2000) | windowBit);
}

// --- Page 1: clock source ------------------------------------------------------------------

bool HasHardwareTimer() {
  SInt32 hardware = 0;
  return Gestalt(gestaltHardwareAttr, &hardware) == noErr && (hardware & kGestaltHardwareBit0);
}

void ShowClockPage() {
  uint8_t hardwareItem[] = {2};
  SetDialogItemsActive(hardwareItem, 1, HasHardwareTimer());
  SetRadioPair(3, 2, gPreferencesPending.clockSource != 0);
  SetDialogCheckbox(5, (gMidiPrefs & kMidiPrefHostTimeStamps) != 0);
}

void HandleClockHit() {
  HandleRadioPairHit(2, 3);
  ToggleCheckboxInRange(5, 5);
}

void StoreClockPage() {
  gPreferencesPending.clockSource = uint8_t(GetSelectedRadioIndex(2, 2));
  uint16_t stamp = GetDialogControlValue(5) ? kMidiPrefHostTimeStamps : 0;
  gMidiPrefs = uint16_t((gMidiPrefs & ~kMidiPrefHostTimeStamps) | stamp);
}

// --- Page 2: memory and undo ---------------------------------------------------------------

int32_t ShownValue(const PrefsNumberField& f) {
  if (f.item == 20) return gPreferencesPending.undoLevels;
  uint32_t v = *MemoryPageValue(&V(), f.item);
  return int32_t(f.kilobytes ? v / 1024 : v);
}

void ShowMemoryPage() {
  for (const PrefsNumberField& f : kMemoryPageFields) SetDialogItemNumber(ShownValue(f), f.item);
  InstallDialogUserItem(1);
  gDialogFocusItem = 4;
  SelectDialogItemAllText(4);
}

// The field the arrows step: the one with the keyboard focus, else the last one focused.
void TrackMemoryFocus() {
  int16_t focus = int16_t(GetDialogKeyboardFocusItem(gCurrentDialog) - gDialogIdBase);
  if (FindMemoryPageField(focus)) gDialogFocusItem = uint32_t(focus);
}

void HandleMemoryHit() {
  TrackMemoryFocus();
  int16_t item = int16_t(gDialogItemHit - gDialogIdBase);
  if (FindMemoryPageField(item)) gDialogFocusItem = uint32_t(item);
  if (item != 1) return;
  const PrefsNumberField* f = FindMemoryPageField(int16_t(gDialogFocusItem));
  if (f) RunRepeatButtonForFocus(f->minimum, f->maximum);
}

void StoreMemoryPage() {
  StopIfPlaying(false);
  for (const PrefsNumberField& f : kMemoryPageFields) {
    int32_t v = ClampMemoryPageValue(f, GetDialogItemNumber(f.item));
    if (f.item == 20) gPreferencesPending.undoLevels = v;
    else *MemoryPageValue(&V(), f.item) = uint32_t(f.kilobytes ? v * 1024 : v);
  }
}

// --- Page 4: drawing -----------------------------------------------------------------------

const BitItem kDrawingBits[] = {
    {2, &gPreferenceValues.drawPrefs, nullptr, 0x8000, false},
    {3, &gPreferenceValues.drawPrefs, nullptr, 0x4000, false},
    {4, &gPreferenceValues.drawPrefs, nullptr, 0x2000, false},
    {5, &gPreferenceValues.drawPrefs, nullptr, 0x1000, false},
};

void ShowDrawingPage() {
  ShowBits(kDrawingBits, 4);
  SetDialogItemNumber(int32_t(V().refreshPeriod), 7);
  InstallDialogUserItem(8);
  gDialogFocusItem = 7;
  SelectDialogItemAllText(7);
}

void HandleDrawingHit() {
  ToggleCheckboxInRange(2, 5);
  if (gDialogItemHit == 8 + gDialogIdBase) RunRepeatButton(kMinRefreshPeriod, kMaxRefreshPeriod, 7);
}

void StoreDrawingPage() {
  StoreBits(kDrawingBits, 4);
  V().refreshPeriod =
      uint32_t(ClampOrBeep(kMinRefreshPeriod, kMaxRefreshPeriod, GetDialogItemNumber(7)));
}

void HandleNothing() {}

struct PageProcs {
  void (*show)();
  void (*handle)();
  void (*store)();
};

const PageProcs kPages[kPreferencesPageCount] = {
    {ShowDisplayPage, HandleDisplayHit, StoreDisplayPage},
    {ShowClockPage, HandleClockHit, StoreClockPage},
    {ShowMemoryPage, HandleMemoryHit, StoreMemoryPage},
    {HandleNothing, HandleNothing, HandleNothing},
    {ShowDrawingPage, HandleDrawingHit, StoreDrawingPage},
};

}  // namespace

int16_t RunPreferencesPage(int16_t page) {
  if (page < 0 || page >= kPreferencesPageCount) return kPrefsCancelItem;
  const PageProcs& procs = kPages[page];
  sShownPage = page;
  procs.show();
  int16_t hit = RunPageLoop(procs.handle);
  if (hit != kPrefsCancelItem) procs.store();
  sShownPage = -1;
  return hit;
}

void ApplyPendingClockSource() {
  if (sShownPage == 1) StoreClockPage();
  ApplyClockMode(gPreferencesPending.clockSource);
}
