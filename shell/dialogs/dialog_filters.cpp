// The hooks of the shared modal filter: keys, wheel steps, arrow buttons and click-report
// items for dialogs, letter shortcuts for alerts, and notes from the MIDI input.
#include "platform/quickdraw/quickdraw.h"
#include "platform/system/host_time.h"
#include "platform/windows/windows.h"
#include "sequencer/midi/realtime_processors.h"
#include "shell/base/app_state.h"
#include "shell/base/event_records.h"
#include "shell/base/idle_flag.h"
#include "shell/dialogs/dialog_arrows.h"
#include "shell/dialogs/dialog_text.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/dialogs/event_dispatch_hooks.h"
#include "shell/dialogs/note_names.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"

namespace {

constexpr uint8_t kTabChar = 9;
constexpr uint8_t kEscapeChar = 27;
constexpr uint8_t kEnterChar = 3;
constexpr uint8_t kReturnChar = 13;
constexpr ControlPartCode kFlashPart = 10;
constexpr int16_t kCaptureItem = 3;
constexpr int16_t kCaptureNoteItem = 4;

bool IsKeyEvent(const EventRecord& e) { return e.what == keyDown || e.what == autoKey; }

bool ItemExists(DialogRef dialog, int16_t item) {
  return dialog && item >= 1 && item <= CountDITL(dialog);
}

void FlashItem(DialogRef dialog, int16_t item) {
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, item, &control) != noErr || !control) return;
  HiliteControl(control, kFlashPart);
  Delay(4, nullptr);
  HiliteControl(control, 0);
}

bool ReportFlashed(DialogRef dialog, int16_t item) {
  if (!ItemExists(dialog, item)) return false;
  FlashItem(dialog, item);
  ReportFilterItem(item);
  return true;
}

// The button whose title begins with the (upper-cased) character, or 0.
int16_t ButtonForLetter(DialogRef dialog, uint8_t c) {
  c = UppercaseChar(c);
  for (int16_t item = 1; item <= CountDITL(dialog); ++item) {
    DialogItemType type = 0;
    DialogItemHandle handle = nullptr;
    Rect box;
    GetDialogItem(dialog, item, &type, &handle, &box);
    if ((type & ~itemDisable) != kButtonDialogItem || !handle) continue;
    Str255 title;
    GetDialogItemText(handle, title);
    if (title[0] && UppercaseChar(title[1]) == c) return item;
  }
  return 0;
}

// The main dispatcher for an event that belongs to no dialog; nothing when not installed.
void DispatchToProgram(EventRecord* e) {
  if (gEventDispatchHooks.dispatchEventRecord) gEventDispatchHooks.dispatchEventRecord(e);
}

// Another window's update while the dialog runs: a stacked dialog is redrawn here, any other
// window by the program's own update handler, so that windows behind the dialog are drawn.
void UpdateOtherWindow(EventRecord* e) {
  WindowRef window = GetWindowFromEventMessage(e->message);
  if (!window || !gFilterDialog || window == GetDialogWindow(gFilterDialog)) return;
  if (DialogRef stacked = FindDialogForWindow(window)) {
    BeginUpdate(window);
    DrawDialog(stacked);
    EndUpdate(window);
    return;
  }
  if (!(gAppState[1] & kAppWord1DrawingSuppressed)) DispatchToProgram(e);
}

// A click in this dialog's title bar drags it within the screens.
bool DragDialogByTitle(const EventRecord& e) {
  WindowRef window = nullptr;
  if (FindWindow(e.where, &window) != inDrag || window != GetDialogWindow(gFilterDialog)) return false;
  UpdateScreenBounds();
  Rect limits = gDesktopBounds;
  DragWindow(window, e.where, &limits);
  ReportFilterItem(0);
  return true;
}

// A key while keys are captured: the first starts the capture, a later one reports item 3.
bool CaptureKey() {
  if (!(gDialogKeyFlags & kDialogCaptureRunning)) {
    gDialogKeyFlags |= kDialogCaptureRunning;
    gDialogCaptureStart = MicrosecondsNow();
    return false;
  }
  ReportFilterItem(int16_t(kCaptureItem + gDialogIdBase));
  return true;
}

bool FilterKey(const EventRecord& e, bool letterShortcuts) {
  uint8_t c = uint8_t(e.message & charCodeMask);
  DialogRef dialog = gFilterDialog;
  if (gDialogKeyFlags & kDialogKeyCapture) return CaptureKey();
  if (gDialogKeyFlags & kDialogKeysHandled) {
    if (c == kTabChar && (gDialogKeyFlags & kDialogTabPassed)) {
      gDialogKeyFlags &= uint16_t(~kDialogTabPassed);
      return ReportFlashed(dialog, 3);
    }
    if (c == kEscapeChar) return ReportFlashed(dialog, gDialogEscapeItem);
    if (c == kEnterChar || c == kReturnChar) return ReportFlashed(dialog, 1);
    if (letterShortcuts && !(e.modifiers & cmdKey)) {
      if (int16_t item = ButtonForLetter(dialog, c)) return ReportFlashed(dialog, item);
    }
  } else if (c == kTabChar) {
    gDialogKeyFlags |= kDialogTabPassed;
    return false;
  }
  // An active number field takes the key for the focused item.
  if (gDialogFocusItem && IsValueFieldActive() && HandleValueFieldKey(c)) {
    ReportFilterItem(int16_t(gDialogFocusItem + gDialogIdBase));
    return true;
  }
  return false;
}

// A click in the upper or lower 18 pixels of an arrow button reports it.
bool ClickArrowButton() {
  for (int i = 0; i < gArrowButtons.count; ++i) {
    int16_t item = gArrowButtons.items[i];
    LoadDialogItemRect(item);
    Rect whole = gScratchRect;
    LoadItemUpperArrowRect();
    bool upper = PtInRect(gLastMousePoint, &gScratchRect);
    gScratchRect = whole;
    LoadItemLowerArrowRect();
    bool lower = PtInRect(gLastMousePoint, &gScratchRect);
    if (!upper && !lower) continue;
    gRepeatUp = upper ? 1 : 0;
    ReportFilterItem(int16_t(item + gDialogIdBase));
    return true;
  }
  return false;
}

bool ClickReportItem() {
  for (int i = 0; i < gClickReportItems.count; ++i) {
    int16_t item = gClickReportItems.items[i];
    LoadDialogItemRect(item);
    if (PtInRect(gLastMousePoint, &gScratchRect)) {
      ReportFilterItem(int16_t(item + gDialogIdBase));
      return true;
    }
  }
  return false;
}

// Pending wheel steps ask the arrow button (or, with several, the focused field) to step;
// a dialog with nothing to step drops them.
bool ReportWheelSteps() {
  if (gPendingWheelSteps == 0) return false;
  gRepeatUp = gPendingWheelSteps > 0 ? 1 : 0;
  if (gArrowButtons.count == 1) {
    ReportFilterItem(int16_t(gArrowButtons.items[0] + gDialogIdBase));
    return true;
  }
  if (gArrowButtons.count == 0 || gDialogFocusItem == 0) {
    gPendingWheelSteps = 0;
    return false;
  }
  ReportFilterItem(int16_t(-int32_t(gDialogFocusItem)));
  SelectDialogItemAllText(int16_t(gDialogFocusItem));
  return true;
}

}  // namespace

bool FilterDialogKeys(bool letterShortcuts) {
  if (!gFilterEvent) return false;
  gLastEvent = *gFilterEvent;
  const EventRecord& e = *gFilterEvent;
  if (e.what == osEvt) {
    if ((gAppState[0] & kAppWord0SuspendResume) && gEventDispatchHooks.serveSuspendResume)
      gEventDispatchHooks.serveSuspendResume(gFilterEvent);
    return false;
  }
  if (e.what == updateEvt) {
    UpdateOtherWindow(gFilterEvent);
    return false;
  }
  if (IsKeyEvent(e)) return FilterKey(e, letterShortcuts);
  return false;
}

bool SharedModalFilter() {
  bool handled = FilterDialogKeys(false);
  if (!gFilterEvent || !gFilterDialog) return handled;
  const EventRecord& e = *gFilterEvent;
  if (e.what == kHighLevelEvent && (gAppState[4] & kAppWord4HighLevelEvents)) DispatchToProgram(gFilterEvent);
  if (e.what != mouseDown) return ReportWheelSteps() || handled;
  if (IsValueFieldActive()) CommitValueFieldEdit();
  Point local = e.where;
  QDGlobalToLocalPoint(GetDialogPort(gFilterDialog), &local);
  gLastMousePoint = local;
  if (ClickArrowButton()) return true;
  if (handled) return true;
  return ClickReportItem() || DragDialogByTitle(e);
}

bool AlertFilterHook() {
  uint8_t idle = TakeIdleFlag();
  if (gFilterEvent && gFilterDialog && gFilterEvent->what == updateEvt &&
      GetWindowFromEventMessage(gFilterEvent->message) == GetDialogWindow(gFilterDialog))
    SetDialogDefaultItem(gFilterDialog, 1);
  bool handled = FilterDialogKeys(true);
  SetIdleFlag(idle);
  return handled;
}

bool FilterNoteInputEvent() {
  bool handled = SharedModalFilter();
  if (handled) return true;
  if (!(gDialogKeyFlags & kDialogKeyCapture)) {
    uint8_t note = 0, velocity = 0;
    uint32_t tick = 0;
    if (gDialogFocusItem && ReadProcessorNote(nullptr, &note, &velocity, &tick)) {
      SetDialogItemNoteName(note, int16_t(gDialogFocusItem));
      SelectDialogItemAllText(int16_t(gDialogFocusItem));
    }
    return false;
  }
  if (gDialogKeyFlags & kDialogCaptureNote) {
    gDialogKeyFlags &= uint16_t(~kDialogCaptureNote);
    ReportFilterItem(int16_t(kCaptureNoteItem + gDialogIdBase));
    return true;
  }
  return false;
}
