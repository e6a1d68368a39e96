#include "shell/menus/option_toggles.h"

#include "media/background_jobs.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/app/idle_tasks.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "song/instruments/processor_chain_hooks.h"
#include "song/prefs/startup_settings.h"

uint8_t gOptionBytes[kOptionToggleItems + 1] = {};
uint16_t gViewOptionWord = 0;
uint8_t gOptionCopyByte = 0;
uint16_t gChosenValue = 0;
uint16_t gActiveValue = 0;
uint8_t gEditorDisplayMode = 0;
uint8_t gEditorDisplayFlag = 0;
uint8_t gValueMenuFlag = 0;
uint8_t gDisplayChoiceByte = 0;
uint8_t gRefreshModeByte = 0;
uint8_t gRefreshFlagByte = 0;

namespace {

constexpr uint16_t kViewItem13Bit = 0x100;
constexpr uint16_t kViewItem8Bit = 0x200;
constexpr uint8_t kClockOptionToggled = 0x01;

void Redraw(int16_t kind) { RedrawAppWindowOfKind(kind); }

void RedrawListWindows() {
  for (int16_t kind : {kMainEditorWindowKind, kEventListKind, kConductorListKind, kMarkerListKind}) Redraw(kind);
}

void ToggleBits(int16_t item, uint8_t bits) { gOptionBytes[item] ^= bits; }

// A value word switched off keeps its value in the saved copy.
void ToggleActiveValue() { gActiveValue = gActiveValue ? 0 : gChosenValue; }

// Real-time processing (MIDI thru) on or off: the processors start afresh and are bound
// again to the tracks they serve.
void ToggleRealtimeProcessing() {
  gRealtimeProcessorSettings ^= 1;
  ResetRealtimeProcessors();
  ResetNodeList();
  RedrawAppWindowOfKind(kInfoPanelWindowKind);
}

// Waveform overviews off: the jobs still running finish first.
void ToggleOverviews() {
  ToggleBits(21, 1);
  if (!(gOptionBytes[21] & 1)) WaitForOverviewThread();
}

}  // namespace

void HandleOptionToggleItem(int16_t item) {
  if (item < 1 || item > kOptionToggleItems) return;
  switch (item) {
    case 1: ToggleBits(1, 1); RedrawListWindows(); break;
    case 4: case 13: case 18: case 20: ToggleBits(item, 1); break;
    case 21: ToggleOverviews(); break;
    case 14: gClockOptionByte ^= kClockOptionToggled; break;
    case 15: gMidiPrefs ^= kMidiPrefOptionToggled; break;
    case 10: ToggleRealtimeProcessing(); break;
    case 5: ToggleBits(5, 1); gOptionCopyByte = gOptionBytes[5]; break;
    case 7: ToggleBits(7, 0x80); break;
    case 8: gViewOptionWord ^= kViewItem8Bit; break;
    case 9: ToggleBits(9, 0x20); break;
    case 19: ToggleBits(19, 1); InvalAppWindowPort(GetWindowForKind(kTrackWindowKind)); break;
    case 24: ToggleActiveValue(); break;
    default: break;  // 6, 11, 12, 16: commands of the editors and the movie window
  }
}

void HandleViewOptionsMenu(int16_t item) {
  if (item == 13) gViewOptionWord ^= kViewItem13Bit;
  else HandleOptionToggleItem(item);
  InvalAppWindowPort(GetWindowForKind(kMainEditorWindowKind));
}

void HandleEditorDisplayMenu(int16_t menuId, int16_t item) {
  switch (menuId) {
    case 70:
      if (item >= 1 && item <= 4) gEditorDisplayMode = uint8_t(item - 1);
      else if (item == 6) gEditorDisplayFlag ^= 1;
      InvalAppWindowPort(GetWindowForKind(kMainEditorWindowKind));
      break;
    case 72:
      if (item == 4) {
        gValueMenuFlag ^= 1;
        break;
      }
      gChosenValue = uint16_t(item);
      if (gActiveValue) gActiveValue = gChosenValue;
      break;
    case 79: gDisplayChoiceByte = uint8_t(item - 1); break;
    case 87:
      if (item >= 1 && item <= 3) gRefreshModeByte = uint8_t(item - 1);
      else if (item == 5) gRefreshFlagByte ^= 1;
      break;
    default: break;
  }
}
