#include "shell/windows/app_windows.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/nib/nib_windows.h"
#include "platform/quickdraw/text.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "plugins/plugin_host_commands.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/window_sizing.h"
#include "song/prefs/window_layout.h"

uint32_t gPendingWindowRefresh = 0;
AppWindow* gAppWindowList = nullptr;
AppWindow* gPopUpPortWindow = nullptr;
AppWindow gSongListRecord, gInfoPanelRecord, gMainEditorRecord, gTrackWindowRecord,
    gInstrumentWindowRecord, gEventListRecord, gConductorListRecord, gRemoteControlRecord,
    gNotepadRecord, gMarkerListRecord, gMovieWindowRecord, gPluginChooserRecord, gMixerRecord,
    gRhythmToolRecord, gDialogWindowRecord, gJukeboxRecord, gKeyboardWindowRecord,
    gLoopWindowRecord, gPopUpPortRecord;

namespace {

AppWindow* gAppWindowTail = nullptr;
AppWindow* gKindSlots[kLastWindowKind + 1] = {};

// Window-menu item of each kind 0..25 (0: not in the menu).
constexpr int16_t kWindowMenuItems[kLastWindowKind + 1] = {
    0, 0, 5, 1, 7, 6, 10, 8, 9, 13, 16, 11, 0, 17, 18, 0, 0, 0, 0, 0, 15, 0, 2, 3, 0, 14};

bool HasSlot(int16_t kind) {
  return (kind >= kSongListKind && kind <= kMixerKind) ||
         (kind >= kRhythmToolKind && kind <= kKeyboardWindowKind) || kind == kLoopWindowKind;
}

constexpr WindowAttributes kDocumentAttributes = 0x1200001f;
constexpr WindowAttributes kFloatingAttributes = 0x2b;
constexpr int32_t kWindTitleOffset = 18;

void PrepareWindowPort(AppWindow* record) {
  if (!record->window) return;
  SetPortWindowPort(record->window);
  RestoreDefaultTextFont();
  TextMode(srcOr);
  record->vScrollBar = nullptr;
  record->hScrollBar = nullptr;
}

void Register(AppWindow** slot, AppWindow* record, WindowRef window, int16_t kind, uint8_t flag) {
  if (slot) *slot = record;
  record->window = window;
  AddAppWindowToList(record);
  record->listedFlag = flag;
  record->kind = kind;
  PrepareWindowPort(record);
}

}  // namespace

AppWindow** GetWindowSlot(int16_t kind) { return HasSlot(kind) ? &gKindSlots[kind] : nullptr; }

AppWindow* GetWindowForKind(int16_t kind) { return HasSlot(kind) ? gKindSlots[kind] : nullptr; }

int16_t GetAppWindowKind(const AppWindow* w) { return w ? w->kind : 0; }

WindowRef GetAppWindowRef(const AppWindow* w) {
  if (!w) return nullptr;
  if (w->window) return w->window;
  return w->dialog ? GetDialogWindow(w->dialog) : nullptr;
}

AppWindow* FindAppWindow(WindowRef window) {
  if (!window) return nullptr;
  for (AppWindow* w = gAppWindowList; w; w = w->next)
    if (GetAppWindowRef(w) == window) return w;
  return nullptr;
}

WindowRef GetFrontDocWindow() {
  return (gAppState[0] & kAppWord0FloatingWindows) ? FrontNonFloatingWindow() : FrontWindow();
}

AppWindow* GetFrontAppWindow() { return FindAppWindow(GetFrontDocWindow()); }

bool IsAppWindowVisible(const AppWindow* w) {
  WindowRef window = GetAppWindowRef(w);
  return window && IsWindowVisible(window);
}

int16_t GetWindowMenuItem(WindowRef window) {
  int16_t pluginIndex = GetPluginEditorWindowIndex(window);
  if (pluginIndex >= 0) return int16_t(kFirstPluginWindowItem + pluginIndex);
  int16_t kind = GetAppWindowKind(FindAppWindow(window));
  return (kind >= 0 && kind <= kLastWindowKind) ? kWindowMenuItems[kind] : 0;
}

void AddAppWindowToList(AppWindow* w) {
  for (AppWindow* p = gAppWindowList; p; p = p->next)
    if (p == w) return;  // already listed: a record is never chained twice
  w->next = nullptr;
  if (!gAppWindowList) gAppWindowList = w;
  else gAppWindowTail->next = w;
  gAppWindowTail = w;
}

bool GetWindResourceBounds(int16_t windResId, Rect* bounds) {
  Handle res = GetResource(FourCC("WIND"), windResId);
  if (!res || GetHandleSize(res) < 8) return false;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*res);
  *bounds = Rect{ReadI16BE(p), ReadI16BE(p + 2), ReadI16BE(p + 4), ReadI16BE(p + 6)};
  return true;
}

void CreateAppWindow(AppWindow** slot, int16_t windResId, AppWindow* record, int16_t kind,
                     uint8_t listedFlag, int16_t style) {
  WindowRef window = nullptr;
  if (style == 0 || !(gAppState[0] & kAppWord0FloatingWindows)) {
    Handle res = GetResource(FourCC("WIND"), windResId);
    Rect bounds{};
    GetWindResourceBounds(windResId, &bounds);
    CreateNewWindow(kDocumentWindowClass, kDocumentAttributes, &bounds, &window);
    if (window && res && GetHandleSize(res) > kWindTitleOffset) {
      const uint8_t* p = reinterpret_cast<const uint8_t*>(*res);
      Size size = GetHandleSize(res);
      if (kWindTitleOffset + 1 + p[kWindTitleOffset] <= size) SetWTitle(window, p + kWindTitleOffset);
    }
  } else {
    Rect bounds{60, 291, 131, 497};
    if (style == 1) {
      CreateNewWindow(kFloatingWindowClass, kFloatingAttributes, &bounds, &window);
    } else {
      WindowDefSpec def;
      def.defType = kWindowDefProcID;
      def.procID = 3;
      CreateCustomWindow(&def, kFloatingWindowClass, 0, &bounds, &window);
    }
  }
  Register(slot, record, window, kind, listedFlag);
}

OSErr CreateDialogAppWindow(AppWindow** slot, AppWindow* record, int16_t dlogId, int16_t kind) {
  DialogRef dialog = GetNewDialog(dlogId, nullptr, kFirstWindowOfClass);
  if (!dialog) return resNotFound;
  if (slot) *slot = record;
  record->dialog = dialog;
  AddAppWindowToList(record);
  record->kind = kind;
  ChangeWindowAttributes(GetDialogWindow(dialog), 0x10000000, 0);
  return noErr;
}

OSStatus CreateNibAppWindow(const char* nibName, AppWindow** slot, AppWindow* record,
                            EventHandlerProcPtr handler, int16_t kind, const char* windowName) {
  static const EventTypeSpec kNibWindowEvents[] = {
      {kEventClassCommand, kEventCommandProcess}, {kEventClassWindow, kEventWindowClose},
      {kEventClassWindow, kEventWindowActivated}, {kEventClassWindow, kEventWindowDeactivated},
      {kEventClassKeyboard, kEventRawKeyDown},    {kEventClassKeyboard, kEventRawKeyRepeat}};
  if (slot) *slot = record;
  record->window = nullptr;
  CFStringRef nib = CFStringCreateWithCString(nullptr, nibName, kCFStringEncodingUTF8);
  CFStringRef name = CFStringCreateWithCString(nullptr, windowName ? windowName : nibName, kCFStringEncodingUTF8);
  IBNibRef ref = nullptr;
  OSStatus err = CreateNibReference(nib, &ref);
  if (err == noErr) err = CreateWindowFromNib(ref, name, &record->window);
  if (err == noErr && handler)
    err = InstallEventHandler(GetWindowEventTarget(record->window), handler, GetEventTypeCount(kNibWindowEvents),
                              kNibWindowEvents, record, nullptr);
  if (ref) DisposeNibReference(ref);
  CFRelease(nib);
  CFRelease(name);
  if (err != noErr) {
    if (record->window) DisposeWindow(record->window);
    record->window = nullptr;
    return err;
  }
  record->kind = kind;
  AddAppWindowToList(record);  // found by the dispatch like every other window
  return noErr;
}

void CreatePlaceholderAppWindow(AppWindow** slot, AppWindow* record, int16_t kind,
                                const char* title, const Rect& bounds) {
  WindowRef window = nullptr;
  CreateNewWindow(kDocumentWindowClass, kDocumentAttributes, &bounds, &window);
  if (window) {
    Str255 text;
    CopyCStringToPascal(title, text);
    SetWTitle(window, text);
  }
  Register(slot, record, window, kind, 1);
}

void DisposeAllAppWindows() {
  // A value field being typed into lives in one of these windows: it goes with them, never
  // committed into a port that is gone.
  gValueField = ValueFieldState();
  for (AppWindow* w = gAppWindowList; w;) {
    AppWindow* next = w->next;
    if (w->dialog) DisposeDialog(w->dialog);
    else if (w->window) DisposeWindow(w->window);
    *w = AppWindow();
    w = next;
  }
  gAppWindowList = gAppWindowTail = nullptr;
  for (AppWindow*& slot : gKindSlots) slot = nullptr;
  gPopUpPortWindow = nullptr;
  // The track window's bars went with it.
  gTrackVScroll = gTrackHScroll = nullptr;
  for (ControlRef& button : gTrackButtons) button = nullptr;
}

void RecordWindowLayoutFromWindows(bool withShownState) {
  for (int16_t kind = 1; kind <= kLayoutWindowKinds; ++kind) {
    WindowRef window = GetAppWindowRef(GetWindowForKind(kind));
    if (!window) continue;
    Rect frame;
    GetWindowBounds(window, kWindowContentRgn, &frame);
    gWindowLayout.frame[kind] = frame;
    if (withShownState) SetWindowKindOpen(kind, IsWindowVisible(window));
  }
}

void ApplyWindowLayoutToWindows() {
  for (int16_t kind = 1; kind <= kLayoutWindowKinds; ++kind) {
    AppWindow* record = GetWindowForKind(kind);
    WindowRef window = GetAppWindowRef(record);
    if (!window) continue;
    const Rect& frame = gWindowLayout.frame[kind];
    if (frame.bottom > frame.top && frame.right > frame.left) {
      MoveWindow(window, frame.left, frame.top, false);
      SizeWindow(window, int16_t(frame.right - frame.left), int16_t(frame.bottom - frame.top), true);
    }
    bool open = IsWindowKindOpen(kind) && !IsWindowKindHiddenByDisplay(kind);
    if (open) ShowWindow(window);
    else HideWindow(window);
  }
}
