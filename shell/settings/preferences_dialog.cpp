// Opening, paging and closing the Preferences dialog, and the copies that Cancel puts back.
#include "shell/settings/preferences_dialog.h"

#include <algorithm>

#include "platform/resources/resources.h"
#include "sequencer/clock/clock_timer.h"
#include "sequencer/midi/coremidi_driver.h"
#include "shell/base/app_state.h"
#include "shell/base/arithmetic.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/settings/preferences_pages.h"
#include "song/prefs/preferences_writer.h"
#include "song/undo/undo_ring.h"

const int16_t kPreferencesPageLists[kPreferencesPageCount] = {144, 143, 157, 153, 155};
PreferenceValues gPreferenceValues;
int16_t gPreferencesLastPage = 0;

const PrefsNumberField kMemoryPageFields[7] = {
    {4, 0, 2048, true},    {5, 4, 512, true},  {6, 2, 8, false},
    {7, 4, 512, true},     {17, 0, 2000, false},
    {20, kMinUndoLevels, kMaxUndoLevelsSetting, false},
    {21, 0, 100000, false},
};

namespace {

// Everything Cancel puts back. The undo level count is only applied when the dialog ends with
// OK, so it needs no copy.
struct PreferencesCopy {
  PreferenceValues values;
  uint16_t midiPrefs = 0;
  uint8_t syncMode = 0;
};

PreferencesCopy TakeCopies() {
  PreferencesCopy copy;
  copy.values = gPreferenceValues;
  copy.midiPrefs = gMidiPrefs;
  copy.syncMode = GetSyncModeByte();
  return copy;
}

void RestoreCopies(const PreferencesCopy& copy) {
  gPreferenceValues = copy.values;
  gMidiPrefs = copy.midiPrefs;
  SetSyncModeByte(copy.syncMode);
}

// Shows each chosen page until OK or Cancel; answers the ending item.
int16_t RunPages(DialogRef dialog) {
  ControlRef popUp = nullptr;
  GetDialogItemAsControl(dialog, kPrefsPagePopUpItem, &popUp);
  int16_t hit = kPrefsCancelItem;
  do {
    int16_t page = popUp ? int16_t(GetControlValue(popUp) - 1) : 0;
    page = std::clamp<int16_t>(page, 0, kPreferencesPageCount - 1);
    gPreferencesLastPage = page;
    Handle items = GetResource(FourCC("DITL"), kPreferencesPageLists[page]);
    if (!items) break;
    AppendDITL(dialog, items, overlayDITL);
    gArrowButtons = DialogItemList{};
    gClickReportItems = DialogItemList{};
    hit = RunPreferencesPage(page);
    ShortenDITL(dialog, DialogItemIndex(CountDITL(dialog) - gDialogIdBase));
  } while (hit == kPrefsPagePopUpItem);
  return hit;
}

void ApplyKeptEdits() {
  int32_t levels = std::clamp(gPreferencesPending.undoLevels, kMinUndoLevels, kMaxUndoLevelsSetting);
  if (levels != gUndoLevels || !gUndoRing) AllocateUndoRing(levels);
}

}  // namespace

const PrefsNumberField* FindMemoryPageField(int16_t item) {
  for (const PrefsNumberField& f : kMemoryPageFields)
    if (f.item == item) return &f;
  return nullptr;
}

int32_t ClampMemoryPageValue(const PrefsNumberField& field, int32_t shown) {
  return ClampOrBeep(field.minimum, field.maximum, shown);
}

uint32_t* MemoryPageValue(PreferenceValues* values, int16_t item) {
  switch (item) {
    case 4: return &values->eventBufferBytes;
    case 5: return &values->inputBufferBytes;
    case 6: return &values->bufferCount;
    case 7: return &values->outputBufferBytes;
    case 17: return &values->eventsPerPass;
    case 21: return &values->undoEventLimit;
    default: return nullptr;
  }
}

int16_t RunPreferencesDialog() {
  PreferencesCopy copy = TakeCopies();
  uint16_t font = GetDialogFontId();
  gPreferencesPending.clockSource = gClockMode != 0 ? 1 : 0;
  gPreferencesPending.undoLevels = gUndoLevels;
  if (!OpenDialogById(kPreferencesDialogId)) {
    SetDialogFontId(font);
    return 0;
  }
  DialogRef dialog = gCurrentDialog;
  gDialogItemHit = kPrefsCancelItem;
  SetDialogDefaultItem(dialog, kPrefsOkItem);
  ShowCurrentDialog();
  ControlRef popUp = nullptr;
  if (GetDialogItemAsControl(dialog, kPrefsPagePopUpItem, &popUp) == noErr)
    SetControlValue(popUp, int16_t(gPreferencesLastPage + 1));
  gDialogIdBase = int16_t(CountDITL(dialog));
  int16_t hit = RunPages(dialog);
  if (hit != kPrefsCancelItem) ApplyKeptEdits();
  if (hit == kPrefsOkItem) WritePreferencesFile(gPreferencesPending.clockSource);
  else RestoreCopies(copy);
  CloseCurrentDialog();
  SetDialogFontId(font);
  return hit;
}
