// The Preferences dialog: five pages of program settings in one classic dialog. DLOG 600
// holds OK (1), Cancel (2), Apply Clock (3) and the page pop-up (4); each page's items are
// laid over the window from a DITL of their own and removed when the page is left, so page
// code uses page-relative item numbers (gDialogIdBase = the item count of DLOG 600).
//
// Every setting the pages edit is copied when the dialog opens. Leaving a page keeps its edits
// (page changes do not lose them); OK keeps them all, writes the preferences file and resizes
// the undo ring; Cancel puts every copy back.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"
#include "song/prefs/startup_settings.h"

constexpr int16_t kPreferencesDialogId = 600;
constexpr int16_t kPreferencesPageCount = 5;
// The DITL of each page (pop-up value - 1).
extern const int16_t kPreferencesPageLists[kPreferencesPageCount];
enum : int16_t {
  kPrefsOkItem = 1,
  kPrefsCancelItem = 2,
  kPrefsApplyClockItem = 3,
  kPrefsPagePopUpItem = 4,
};

// Settings the dialog edits that no other part of the program keeps yet.
struct PreferenceValues {
  uint32_t eventBufferBytes = 64 * 1024;         // page 3 item 4
  uint32_t inputBufferBytes = 0xF000;            // item 5
  uint32_t bufferCount = 6;                      // item 6
  uint32_t outputBufferBytes = 0x20000;          // item 7
  uint32_t eventsPerPass = 100;                  // item 17
  uint32_t undoEventLimit = 20000;               // item 21
  uint32_t refreshPeriod = 100000;               // page 5 item 7, microseconds
  uint16_t drawPrefs = 0x0400;                   // page 1 item 18, page 5 items 2..5
  uint16_t windowOptions = 0;                    // bits 0x2000 and 0x4000
  uint8_t displayOption = 0;                     // page 1 item 5
  uint8_t transportOption = 0;                   // page 1 item 21
  uint8_t startupOptions = 0;                    // page 1 items 24 and 25 (bits 0, 1)
  RGBColor colours[2] = {{0xFFFF, 0xFFFF, 0xCCCC}, {0xCCCC, 0xE6E6, 0xFFFF}};  // swatches 13, 14
  uint8_t thirdColour[3] = {0x99, 0x99, 0x99};   // swatch 15, kept as 8-bit components
};
extern PreferenceValues gPreferenceValues;

// The page shown last, preselected at the next open.
extern int16_t gPreferencesLastPage;

// The number fields of the "Memory and Undo" page: item, range (the arrows and OK agree) and
// whether the value is shown in kilobytes.
struct PrefsNumberField {
  int16_t item;
  int32_t minimum;
  int32_t maximum;
  bool kilobytes;
};
constexpr int32_t kMinUndoLevels = 1;
// The same bound as the preferences file's, so a saved count reads back unchanged.
constexpr int32_t kMaxUndoLevelsSetting = int32_t(kMaxUndoLevels);
extern const PrefsNumberField kMemoryPageFields[7];
// The field of a page item, or null.
const PrefsNumberField* FindMemoryPageField(int16_t item);
// A typed value held inside the field's range (a beep when it was outside).
int32_t ClampMemoryPageValue(const PrefsNumberField& field, int32_t shown);
// Where values keeps memory-page item `item`; null for other items and for the undo levels
// (item 20), which stay pending until OK.
uint32_t* MemoryPageValue(PreferenceValues* values, int16_t item);

// Runs the dialog; answers the item that ended it (1 OK, 2 Cancel), 0 when it could not open.
int16_t RunPreferencesDialog();
