#include "shell/app/app_events.h"

#include "media/import/media_file_changes.h"
#include "mixer/instrument_window/strip_drawing.h"
#include "editors/key_commands.h"
#include "editors/song_list_drawing.h"
#include "editors/main_editor_window.h"
#include "editors/track_window_drawing.h"
#include "mixer/window/mixer_drawing.h"
#include "performance/keyboard_capture.h"
#include "platform/controls/controls.h"
#include "platform/events/apple_events.h"
#include "platform/events/key_codes.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/ports.h"
#include "platform/resources/resource_manager.h"
#include "platform/dialogs/dialogs.h"
#include "platform/system/sys_beep.h"
#include "sequencer/clock/sequencer_clock.h"
#include "shell/app/app_entry.h"
#include "shell/app/command_events.h"
#include "shell/app/cursor_tracking.h"
#include "shell/app/idle_tasks.h"
#include "shell/app/power_notifications.h"
#include "shell/app/shutdown.h"
#include "shell/app/song_switch.h"
#include "shell/app/wheel_scrolling.h"
#include "shell/app/window_events.h"
#include "shell/base/app_state.h"
#include "shell/base/event_records.h"
#include "shell/base/idle_flag.h"
#include "shell/base/iteration_abort.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/event_dispatch_hooks.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/dialogs/nib_dialog_events.h"
#include "shell/dialogs/poll_events.h"
#include "shell/dialogs/progress_dialog.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/settings/about_window.h"
#include "shell/settings/preferences_dialog.h"
#include "shell/windows/info_panel.h"
#include "shell/windows/window_activation.h"
#include "shell/windows/window_clicks.h"
#include "shell/app/window_controls.h"
#include "shell/windows/window_sizing.h"
#include "song/model/song_context.h"
#include "song/undo/undo_ring.h"

namespace {

EventHandlerRef gAppHandlerRef = nullptr;

const EventTypeSpec kAppEventTypes[] = {
    {kEventClassApplication, kEventAppActivated}, {kEventClassApplication, kEventAppDeactivated},
    {kEventClassApplication, kEventAppQuit},      {kEventClassCommand, kEventCommandProcess},
    {kEventClassMouse, kEventMouseMoved},         {kEventClassMouse, kEventMouseWheelMoved},
    {kEventClassWindow, kEventWindowGetClickModality},
    {kEventClassMenu, kEventMenuOpening},         {kEventClassMenu, kEventMenuBeginTracking},
    {kEventClassMenu, kEventMenuEndTracking},     {kEventClassMenu, kEventMenuEnableItems},
    {kEventClassMenu, kEventMenuClosed},          {kEventClassFont, kEventFontSelection},
    // Keys that no window takes (no window has the focus) reach the application.
    {kEventClassKeyboard, kEventRawKeyDown},      {kEventClassKeyboard, kEventRawKeyRepeat},
};

const EventTypeSpec kWindowEventTypes[] = {
    {kEventClassWindow, kEventWindowDrawContent}, {kEventClassWindow, kEventWindowClickContentRgn},
    {kEventClassWindow, kEventWindowActivated},   {kEventClassWindow, kEventWindowDeactivated},
    {kEventClassWindow, kEventWindowClose},       {kEventClassWindow, kEventWindowClickResizeRgn},
    {kEventClassWindow, kEventWindowClickDragRgn}, {kEventClassWindow, kEventWindowBoundsChanged},
    {kEventClassWindow, kEventWindowZoom},        {kEventClassWindow, kEventWindowGetClickActivation},
    {kEventClassKeyboard, kEventRawKeyDown},      {kEventClassKeyboard, kEventRawKeyRepeat},
    {kEventClassKeyboard, kEventRawKeyUp},        {kEventClassKeyboard, kEventRawKeyModifiersChanged},
    {kEventClassWindow, 66},                      {kEventClassCommand, kEventCommandProcess},
};

void ServeSuspendResumeUnlessQuitting(EventRecord* event) {
  if (gQuitFlag == 0) HandleSuspendResume(event);
}

// 'wind' 8: while a dialog runs inside another, clicks in other windows are refused.
OSStatus AnswerClickModality(EventRef event) {
  if (GetEventKind(event) != kEventWindowGetClickModality || gDialogBusy <= 1) return kEventNotHandled;
  UInt32 modality = 0;
  SetEventParameter(event, kEventParamModalClickResult, typeModalClickResult, sizeof modality, &modality);
  return noErr;
}

// After each window event while the transport runs, so that the displays keep moving under
// heavy event traffic.
void RunIdleTasksWhilePlaying(uint8_t savedIdleFlag) {
  if (savedIdleFlag == 0 && gDialogBusy == 0 && !(gAppState[4] & kAppWord4Loading) && IsClockTaskPlaying())
    RunIdleTasks();
}

constexpr int16_t kKeyboardWindowItem = 3;

// The window-state bits of Windows-menu items 1 (info panel), 3 (on-screen keyboard) and 15
// (rhythm tool) in gAppState word 6.
uint16_t ShownBitForItem(int16_t item) {
  switch (item) {
    case 1: return kAppWord6InfoPanelShown;
    case kKeyboardWindowItem: return kAppWord6KeyboardShown;
    case 15: return kAppWord6RhythmToolShown;
    default: return 0;
  }
}

bool SongHeldByUndo() { return gCurrentSongHandle && IsSongHeldByUndo(gCurrentSongHandle); }

void ConvertToLastEvent(EventRef event) { ConvertEventRefToEventRecord(event, &gLastEvent); }

WindowRef EventWindow(EventRef event) {
  WindowRef window = nullptr;
  GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof window,
                    nullptr, &window);
  return window;
}

// The modifier keys changed: the cursor follows them at the mouse position.
OSStatus FollowModifierChange(EventRef event) {
  UInt32 modifiers = 0;
  if (GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr,
                        &modifiers) == noErr)
    gLastEvent.modifiers = EventModifiers(modifiers);
  AdjustCursorForWindow(false, nullptr);
  return kEventNotHandled;
}

// The key path shared by the window handler and keys that reach the application: nothing
// while a classic dialog runs (its modal loop takes the keys).
OSStatus HandleKeyboardEvent(EventRef event) {
  UInt32 kind = GetEventKind(event);
  if (gDialogBusy != 0) return kEventNotHandled;
  if (kind == kEventRawKeyModifiersChanged) return FollowModifierChange(event);
  if (kind == kEventRawKeyUp) return kEventNotHandled;
  UpdateMenuState();
  if (IsAppInBackground()) return noErr;
  if (IsDialogEvent(&gLastEvent)) {
    HandleDialogEvent(&gLastEvent);
    return noErr;
  }
  HandleKeyDown(&gLastEvent);
  return noErr;
}

OSStatus HandleAppMenuEvent(EventRef event) {
  switch (GetEventKind(event)) {
    case kEventMenuBeginTracking: gAppState[4] |= kAppWord4MenuTracking; return kEventNotHandled;
    case kEventMenuEndTracking: gAppState[4] &= ~kAppWord4MenuTracking; return kEventNotHandled;
    case kEventMenuOpening: return noErr;
    case kEventMenuClosed: return noErr;
    case kEventMenuEnableItems: UpdateMenuState(); return kEventNotHandled;
    default: return kEventNotHandled;
  }
}

// The kinds whose click also acts when it brought the window to the front.
bool HandlesBroughtForwardClick(int16_t kind) {
  switch (kind) {
    case kSongListKind:
    case kInfoPanelWindowKind:
    case kMainEditorWindowKind:
    case kTrackWindowKind:
    case kInstrumentWindowKindId:
    case kPluginChooserKind:
    case kMixerKind:
    case kJukeboxKind: return true;
    default: return false;
  }
}

// In the window's port with the point made local: a control takes its click, otherwise the
// kind's content handler (the main editor serves its activate and update events first when
// the click brought it forward).
int32_t RouteContentClick(AppWindow* record, EventRecord* event, bool wasFront) {
  WindowRef window = record->window;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(window);
  Point local = event->where;
  GlobalToLocal(&local);
  int32_t result = 1;
  ControlRef control = nullptr;
  if (ControlPartCode part = FindControl(local, window, &control); part != kControlNoPart && control) {
    HandleWindowControlClick(record, part, control, local, event);
  } else {
    if (record->kind == kMainEditorWindowKind && !wasFront) PollEvents(activMask | updateMask);
    result = RunWindowClickProc(record, local, event);
  }
  if (saved) SetPort(saved);
  return result;
}

}  // namespace

// --- installation -----------------------------------------------------------------------------

void InstallAppEventHandlers() {
  if (gAppHandlerRef) RemoveEventHandler(gAppHandlerRef);
  gAppHandlerRef = nullptr;
  InstallApplicationEventHandler(HandleApplicationEvent, GetEventTypeCount(kAppEventTypes),
                                 kAppEventTypes, nullptr, &gAppHandlerRef);
  InstallIdleTimer();
  for (AppWindow* w = gAppWindowList; w; w = w->next)
    if (WindowRef window = GetAppWindowRef(w)) InstallAppWindowHandlers(window);
}

void InstallAppWindowHandlers(WindowRef window) {
  EventTargetRef target = GetWindowEventTarget(window);
  InstallStandardEventHandler(target);
  InstallEventHandler(target, HandleWindowEvent, GetEventTypeCount(kWindowEventTypes),
                      kWindowEventTypes, nullptr, nullptr);
  if (FindAppWindow(window)) {
    Rect bounds;
    GetWindowPortBounds(window, &bounds);
    InvalWindowRect(window, &bounds);
  }
}

// --- the Carbon handlers ----------------------------------------------------------------------

OSStatus HandleApplicationEvent(EventHandlerCallRef, EventRef event, void*) {
  if (SongHeldByUndo()) return kEventNotHandled;
  UInt32 eventClass = GetEventClass(event);
  UInt32 kind = GetEventKind(event);
  switch (eventClass) {
    case kEventClassApplication:
      if (kind == kEventAppQuit) {
        if (gQuitFlag == 0) gQuitFlag = 2;
        return kEventNotHandled;
      }
      if (gAppState[0] & kAppWord0SuspendResume) {
        ConvertToLastEvent(event);
        HandleSuspendResume(&gLastEvent);
      }
      return kEventNotHandled;
    case kEventClassCommand:
      if (gAppState[4] & kAppWord4PassingOn) return kEventNotHandled;
      return HandleCommandEvent(event);
    case kEventClassMouse:
      if (kind == kEventMouseMoved) {
        if (!(gAppState[1] & kAppWord1DrawingSuppressed) && GetIdleFlag() == 0) {
          ConvertToLastEvent(event);
          RunIdleTasks();
          WindowRef over = nullptr;
          if (FindWindow(gLastEvent.where, &over) == inContent) AdjustCursorForWindow(false, nullptr);
        }
        return noErr;
      }
      if (kind == kEventMouseWheelMoved) return HandleWheelEvent(event);
      return kEventNotHandled;
    case kEventClassMenu:
      return HandleAppMenuEvent(event);
    case kEventClassWindow: return AnswerClickModality(event);
    case kEventClassFont:
      SetSongModified();
      return kEventNotHandled;
    case kEventClassKeyboard: {
      uint8_t saved = TakeIdleFlag();
      ConvertToLastEvent(event);
      OSStatus result = HandleKeyboardEvent(event);
      SetIdleFlag(saved);
      return result;
    }
    default:
      return kEventNotHandled;
  }
}

OSStatus HandleWindowEvent(EventHandlerCallRef, EventRef event, void*) {
  if (gAppState[4] & kAppWord4PassingOn) return kEventNotHandled;
  if (SongHeldByUndo()) return kEventNotHandled;
  uint8_t saved = TakeIdleFlag();
  UInt32 eventClass = GetEventClass(event);
  WindowRef window = eventClass == kEventClassKeyboard ? GetFrontDocWindow() : EventWindow(event);
  ConvertToLastEvent(event);
  OSStatus result = kEventNotHandled;
  GrafPtr savedPort = nullptr;
  GetPort(&savedPort);
  if (eventClass == kEventClassKeyboard) result = HandleKeyboardEvent(event);
  else if (eventClass == kEventClassCommand) result = HandleCommandEvent(event);
  else if (eventClass == kEventClassWindow) result = HandleWindowClassEvent(event, window);
  if (savedPort) SetPort(savedPort);
  SetIdleFlag(saved);
  RunIdleTasksWhilePlaying(saved);
  return result;
}

// --- the classic dispatcher -------------------------------------------------------------------

int32_t DispatchEventRecord(EventRecord* event) {
  switch (event->what) {
    case mouseDown: return HandleMouseDown(0, event, nullptr, 0);
    case mouseUp: HandleMouseUp(event); break;
    case keyDown:
    case autoKey: HandleKeyDown(event); break;
    case updateEvt: HandleUpdateEvent(event); break;
    case activateEvt: HandleActivateEvent(event); break;
    case osEvt: HandleSuspendResume(event); break;
    case kHighLevelEvent: HandleHighLevelEvent(event); break;
    default: break;
  }
  return 1;
}

int32_t HandleMouseDown(int32_t param, EventRecord* event, WindowRef window, int16_t part) {
  if (part == 0) part = FindWindow(event->where, &window);
  WindowRef front = GetFrontDocWindow();
  if (front && window != front && IsProgressDialogWindow(front)) {
    if (gCommandAlertPending == 0) SysBeep(5);
    return 1;
  }
  switch (part) {
    case inMenuBar: {
      CommitValueFieldEdit();
      UpdateMenuState();
      int32_t choice = MenuSelect(event->where);
      DispatchMenuChoice(choice);
      return 1;
    }
    case inContent: return HandleContentClick(param, event, window);
    case inDrag: DragAppWindow(event, window); return 1;
    case inGrow:
      if (AppWindow* record = FindAppWindow(window)) HandleGrowClick(event, record);
      return 1;
    case inGoAway:
      if (TrackGoAway(window, event->where)) CloseAppWindow(window);
      return 1;
    case inZoomIn:
    case inZoomOut:
      if (!TrackBox(window, event->where, part)) return 1;
      if (AppWindow* record = FindAppWindow(window)) ZoomAppWindow(record, part);
      else ZoomWindowIdeal(window, part, nullptr);
      return 1;
    default:
      return 1;  // the desk, system windows
  }
}

int32_t HandleContentClick(int32_t, EventRecord* event, WindowRef window) {
  AppWindow* record = FindAppWindow(window);
  if (!record) return 1;
  int16_t kind = record->kind;
  bool wasFront = window == GetFrontDocWindow();
  if (!wasFront && !IsClickThroughKind(kind)) {
    if (WindowRef front = GetFrontDocWindow()) DeactivateWindowByKind(nullptr, front);
    SelectWindow(window);
    ActivateWindowByKind(nullptr, window, true);
  }
  if (!wasFront && !HandlesBroughtForwardClick(kind)) return 1;
  return RouteContentClick(record, event, wasFront);
}

void HandleMouseUp(EventRecord*) {}

void HandleKeyDown(EventRecord* event) {
  if (event->what != autoKey) UpdateMenuState();
  uint8_t ch = uint8_t(event->message & charCodeMask);
  if (ch == kFunctionKeyCharCode) {
    HandleFunctionKey(uint8_t((event->message & keyCodeMask) >> 8));
    return;
  }
  int32_t choice = IsAppearanceThemeOn() ? int32_t(MenuEvent(event)) : MenuKey(ch);
  if ((choice >> 16) != 0) {
    CommitValueFieldEdit();
    DispatchMenuChoice(choice);
    return;
  }
  HandleKeyCommand(ch, event);
}

void HandleFunctionKey(uint8_t keyCode) {
  struct FunctionKey { uint8_t code; int16_t menu; int16_t item; };
  static constexpr FunctionKey kKeys[] = {
      {0x7A, kWindowMenuId, 1},   {0x78, kWindowMenuId, 4},   {0x63, kWindowMenuId, 5},
      {0x76, kWindowMenuId, 7},   {0x60, kOptionsMenuId, 1},  {0x61, kOptionsMenuId, 2},
      {0x62, kOptionsMenuId, 8},  {0x65, kOptionsMenuId, 10}, {0x67, kOptionsMenuId, 11},
      {0x6F, kOptionsMenuId, 14}, {0x69, kOptionsMenuId, 16}, {0x71, kOptionsMenuId, 18}};
  for (const FunctionKey& key : kKeys)
    if (key.code == keyCode) {
      DispatchMenuCommand(key.menu, key.item);
      return;
    }
}

void DispatchMenuChoice(int32_t menuResult) {
  gIterationAbort = 0;
  int16_t id = int16_t(menuResult >> 16);
  if (id != 0) DispatchMenuCommand(id, int16_t(menuResult & 0xFFFF));
  HiliteMenu(0);
}

void HandleUpdateEvent(EventRecord* event) {
  WindowRef window = WindowForEventMessage(event->message);
  if (!window) return;
  UseResFile(gAppResFile);
  GrafPtr savedPort = nullptr;
  GetPort(&savedPort);
  UpdateScreenBounds();
  SetPortWindowPort(window);
  // Every update is bracketed, so that the update region is emptied and nested loops do
  // not see the same update again.
  BeginUpdate(window);
  if (AppWindow* record = FindAppWindow(window)) {
    if (record->kind != kPluginWindowKind && record->kind != kSecondPluginWindowKind) {
      DrawWindowContent(window, record->kind);
      DrawControls(window);
    }
  }
  EndUpdate(window);
  if (savedPort) SetPort(savedPort);
}

int32_t DrawWindowContent(WindowRef, int16_t kind) {
  if ((gAppState[1] & kAppWord1DrawingSuppressed) && kind != kInfoPanelWindowKind) return 0;
  if (kind == kInfoPanelWindowKind) DrawInfoPanel();
  if (kind == kTrackWindowKind) DrawTrackWindow();
  if (kind == kSongListKind) DrawSongListWindow();
  if (kind == kMainEditorWindowKind) DrawMainEditorWindow();
  if (kind == kMixerKind) DrawMixerWindow();
  if (kind == kInstrumentWindowKindId) DrawInstrumentWindow();
  // Interim: the windows' owners do not draw yet; the content keeps the window's colour.
  return (kind == kRhythmToolKind || kind == kJukeboxKind || kind == kLoopWindowKind) ? 1 : 0;
}

void HandleActivateEvent(EventRecord* event) {
  WindowRef window = WindowForEventMessage(event->message);
  if (!window) return;
  if (event->modifiers & activeFlag) ActivateWindowByKind(event, window, true);
  else DeactivateWindowByKind(event, window);
}

void HandleSuspendResume(EventRecord* event) {
  if (event->what != osEvt || (event->message >> 24) != suspendResumeMessage) return;
  bool resume = (event->message & resumeFlag) != 0;
  gAppState[3] = resume ? 0 : 1;
  if (WindowRef front = GetFrontDocWindow()) {
    if (resume) ActivateWindowByKind(nullptr, front, true);
    else DeactivateWindowByKind(nullptr, front);
  }
  ApplyForegroundChange();
  if (resume) CheckMediaFilesUnchanged();
  else RecordMediaFileSizes();
}

void HandleHighLevelEvent(EventRecord* event) {
  OSErr err = AEProcessAppleEvent(event);
  if (err == noErr || gQuitFlag == 0) return;
  DeregisterActiveSystemPower();  // the same tail as the program's own end
  QuitApplication(1);
}

void HideAppWindow(WindowRef window, bool repeat) {
  for (int guard = 0; window && guard < 64; ++guard) {
    int16_t item = GetWindowMenuItem(window);
    if (item == kKeyboardWindowItem) SetKeyboardCapture(false);
    if (item != 0 && gWindowMenu) SetItemMark(gWindowMenu, MenuItemIndex(item), 0);
    HideWindow(window);
    gAppState[6] &= uint16_t(~ShownBitForItem(item));
    if (!repeat || !(gLastEvent.modifiers & optionKey)) return;
    WindowRef next = GetFrontDocWindow();
    if (next == window) return;
    window = next;
  }
}

void CloseAppWindow(WindowRef window) { HideAppWindow(window, true); }

int32_t HandleDialogEvent(EventRecord* event) {
  DialogRef dialog = nullptr;
  DialogItemIndex item = 0;
  if (!DialogSelect(event, &dialog, &item) || !dialog) return DispatchEventRecord(event);
  if (IsProgressDialogWindow(GetDialogWindow(dialog))) SetProgressStop(item);
  // Interim: the jukebox's items go to the jukebox, which is not built yet.
  return 1;
}

void InstallEventDispatchHooks() {
  gEventDispatchHooks.dispatchEventRecord = DispatchEventRecord;
  gEventDispatchHooks.serveSuspendResume = ServeSuspendResumeUnlessQuitting;
  gEventDispatchHooks.handleApplicationEvent = HandleApplicationEvent;
}
