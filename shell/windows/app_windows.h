// The program's window records: one static AppWindow per window, a slot per window kind,
// and one list through which the event dispatch, the menus and the idle work find them.
#pragma once

#include <cstdint>

#include "platform/dialogs/dialogs.h"
#include "platform/events/carbon_events.h"
#include "platform/windows/windows.h"

// Window kinds.
enum : int16_t {
  kPopUpPortKind = 0,
  kSongListKind = 2,
  kInfoPanelWindowKind = 3,
  kMainEditorWindowKind = 4,
  kTrackWindowKind = 5,
  kInstrumentWindowKindId = 6,
  kEventListKind = 7,
  kConductorListKind = 8,
  kRemoteControlKind = 9,
  kNotepadKind = 10,
  kMarkerListKind = 11,
  kMovieWindowKind = 12,
  kPluginChooserKind = 13,
  kMixerKind = 14,
  kPluginWindowKind = 15,        // plug-in windows that the program keeps a slot for
  kSecondPluginWindowKind = 16,
  kRhythmToolKind = 20,
  kDialogAppWindowKind = 21,
  kJukeboxKind = 22,
  kKeyboardWindowKind = 23,
  kLoopWindowKind = 25,
  kLastWindowKind = 25,
};

// Bit k asks the idle pass for a redraw of the window of kind k (bit 24: the on-screen
// keyboard, kind 23).
extern uint32_t gPendingWindowRefresh;
constexpr int16_t kKeyboardRefreshBit = 24;

// In memory only: never written to a file.
struct AppWindow {
  WindowRef window = nullptr;
  DialogRef dialog = nullptr;
  ControlRef vScrollBar = nullptr;
  ControlRef hScrollBar = nullptr;
  AppWindow* next = nullptr;
  int16_t kind = 0;
  uint8_t zoomed = 0;
  uint8_t listedFlag = 0;
};

extern AppWindow* gAppWindowList;
extern AppWindow* gPopUpPortWindow;
// The records, one per window the program makes.
extern AppWindow gSongListRecord, gInfoPanelRecord, gMainEditorRecord, gTrackWindowRecord,
    gInstrumentWindowRecord, gEventListRecord, gConductorListRecord, gRemoteControlRecord,
    gNotepadRecord, gMarkerListRecord, gMovieWindowRecord, gPluginChooserRecord, gMixerRecord,
    gRhythmToolRecord, gDialogWindowRecord, gJukeboxRecord, gKeyboardWindowRecord,
    gLoopWindowRecord, gPopUpPortRecord;

// The slot of a kind (kinds 2-14, 20-23 and 25), null for every other kind.
AppWindow** GetWindowSlot(int16_t kind);
AppWindow* GetWindowForKind(int16_t kind);
int16_t GetAppWindowKind(const AppWindow* w);
WindowRef GetAppWindowRef(const AppWindow* w);
// The record whose window is window; null for null, an empty list or no match.
AppWindow* FindAppWindow(WindowRef window);
WindowRef GetFrontDocWindow();
AppWindow* GetFrontAppWindow();
bool IsAppWindowVisible(const AppWindow* w);
// The Window-menu item that shows the window, 0 when it has none.
int16_t GetWindowMenuItem(WindowRef window);
void AddAppWindowToList(AppWindow* w);
// Makes the window of a kind from its 'WIND' resource (style 0), as a floating window
// (style 1) or as the custom floating pop-up port window (style 2); a failure leaves the
// record's window null.
void CreateAppWindow(AppWindow** slot, int16_t windResId, AppWindow* record, int16_t kind,
                     uint8_t listedFlag, int16_t style);
// The bounds rectangle of 'WIND' windResId; false, *bounds untouched, when it is missing or short.
bool GetWindResourceBounds(int16_t windResId, Rect* bounds);
// A dialog window from a 'DLOG'; the slot stays untouched on failure.
OSErr CreateDialogAppWindow(AppWindow** slot, AppWindow* record, int16_t dlogId, int16_t kind);
// A window from nib nibName (its window windowName, or the nib's own name when null); the
// handler gets the window's commands, close, activation and raw keys. The slot points at the
// record first; on failure the record's window stays null and the error is returned.
OSStatus CreateNibAppWindow(const char* nibName, AppWindow** slot, AppWindow* record,
                            EventHandlerProcPtr handler, int16_t kind, const char* windowName = nullptr);
// A record for a window whose maker does not exist yet: an empty document window with title.
void CreatePlaceholderAppWindow(AppWindow** slot, AppWindow* record, int16_t kind,
                                const char* title, const Rect& bounds);
// Disposes every window and empties the list and the slots (tests, and a second start).
void DisposeAllAppWindows();

// The window layout kept by the preferences: the frames and shown state of the kinds 1..24
// are taken from the windows before it is saved, and given to them after it was read.
void RecordWindowLayoutFromWindows(bool withShownState);
void ApplyWindowLayoutToWindows();
