// The chase options dialog.
#include "shell/settings/chase_dialog.h"

#include <algorithm>

#include "sequencer/midi/midi_chase.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/dialogs/nib_dialog_arrows.h"
#include "shell/dialogs/nib_dialog_events.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"

ChaseSettings gChaseSettings;

namespace {

constexpr int32_t kFirstKindBox = 3;   // boxes 3..8: filter bits 10..15
constexpr int32_t kKindBoxCount = 6;
constexpr int32_t kEveryProgramBox = 9;
constexpr int32_t kRangeField = 11;
constexpr int32_t kPauseField = 12;
constexpr int32_t kBurstField = 13;
constexpr int32_t kArrows = 14;
constexpr int32_t kSwitchesAtStartBox = 16;
constexpr int32_t kSwitchesPlayingBox = 17;
constexpr int32_t kSwitchesNote = 18;

constexpr uint16_t kEveryProgramBit = 0x0002;
constexpr uint16_t kSwitchesAtStartBit = 0x0004;
constexpr uint16_t kSwitchesPlayingBit = 0x0008;
constexpr uint16_t kKindAndSwitchBit = 0x0001;
constexpr uint16_t kAlwaysSetBit = 0x0010;
constexpr int kFirstKindBit = 10;

struct ChaseDialog {
  NibDialog base;
};

void EnableSwitchNote(WindowRef window) {
  bool on = GetDialogViewValue(window, kSwitchesAtStartBox) != 0 ||
            GetDialogViewValue(window, kSwitchesPlayingBox) != 0;
  ControlRef note = nullptr;
  if (FindDialogView(window, kSwitchesNote, &note) != noErr) return;
  if (on) EnableControl(note);
  else DisableControl(note);
}

void WriteChaseFields(ChaseDialog* d) {
  WindowRef w = d->base.window;
  for (int32_t i = 0; i < kKindBoxCount; ++i)
    SetDialogViewValue(w, kFirstKindBox + i, (gChaseFilter >> (kFirstKindBit + i)) & 1);
  SetDialogViewValue(w, kEveryProgramBox, (gChaseFilter & kEveryProgramBit) != 0);
  SetDialogViewValue(w, kSwitchesAtStartBox, (gChaseFilter & kSwitchesAtStartBit) != 0);
  SetDialogViewValue(w, kSwitchesPlayingBox, (gChaseFilter & kSwitchesPlayingBit) != 0);
  SetDialogFieldNumber(&d->base, gChaseSettings.rangeBars, kRangeField);
  SetDialogFieldNumber(&d->base, gChaseSettings.pauseTicks, kPauseField);
  SetDialogFieldNumber(&d->base, gChaseSettings.burstCount, kBurstField);
  EnableSwitchNote(w);
}

void ReadChaseFields(ChaseDialog* d) {
  WindowRef w = d->base.window;
  uint8_t kinds[kKindBoxCount];
  for (int32_t i = 0; i < kKindBoxCount; ++i)
    kinds[i] = GetDialogViewValue(w, kFirstKindBox + i) != 0;
  gChaseFilter = ChaseFilterFromBoxes(kinds, GetDialogViewValue(w, kEveryProgramBox) != 0,
                                      GetDialogViewValue(w, kSwitchesAtStartBox) != 0,
                                      GetDialogViewValue(w, kSwitchesPlayingBox) != 0);
  gChaseSettings.rangeBars = uint16_t(std::clamp(GetDialogNumber(w, kRangeField), 0, 0xFFFF));
  gChaseSettings.pauseTicks = uint8_t(std::clamp(GetDialogNumber(w, kPauseField), 0, 0xFF));
  gChaseSettings.burstCount = uint8_t(std::clamp(GetDialogNumber(w, kBurstField), 0, 0xFF));
}

}  // namespace

uint16_t ChaseFilterFromBoxes(const uint8_t kinds[6], bool everyProgram, bool switchesAtStart,
                              bool switchesWhilePlaying) {
  uint16_t word = kAlwaysSetBit;
  bool anyKind = false;
  for (int i = 0; i < kKindBoxCount; ++i)
    if (kinds[i]) {
      word = uint16_t(word | (1u << (kFirstKindBit + i)));
      anyKind = true;
    }
  if (everyProgram) word |= kEveryProgramBit;
  if (switchesAtStart) word |= kSwitchesAtStartBit;
  if (switchesWhilePlaying) word |= kSwitchesPlayingBit;
  if (anyKind && (switchesAtStart || switchesWhilePlaying)) word |= kKindAndSwitchBit;
  return word;
}

OSStatus HandleChaseEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  ChaseDialog* d = static_cast<ChaseDialog*>(data);
  OSStatus result = HandleNibDialogEvent(callRef, event, &d->base, 1);
  if (result == paramErr) return eventNotHandledErr;
  if (result != eventNotHandledErr || GetEventClass(event) != kEventClassCommand) return result;
  UInt32 command = d->base.command.commandID;
  if (command == UInt32(kSwitchesAtStartBox) || command == UInt32(kSwitchesPlayingBox))
    EnableSwitchNote(d->base.window);
  if (command >= UInt32(kRangeField) && command <= UInt32(kBurstField))
    gDialogFocusItem = command;
  if (command >= 3 && command <= 18) return noErr;
  return eventNotHandledErr;
}

int32_t RunChaseDialog() {
  ChaseDialog d;
  OSStatus err = CreateNibDialog("chase", &d.base, HandleChaseEvent, kChaseHelpTopic);
  int32_t result = err;
  if (err == noErr) {
    NewNibDialogEventUPP(&d.base);
    WriteChaseFields(&d);
    gDialogFocusItem = kRangeField;
    ControlRef arrows = nullptr;
    if (FindDialogView(d.base.window, kArrows, &arrows) == noErr)
      SetDialogControlAction(&d.base, arrows, StepDialogArrowField);
    result = RunNibDialogModal(&d.base, kRangeField, TrackNibDialogCursor);
    if (result == 1) ReadChaseFields(&d);
  }
  DisposeNibDialog(&d.base);
  return result;
}
