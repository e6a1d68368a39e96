// Shared insides of the Window Manager: the window record, the window list, frame metrics and
// the painting and activation passes. Not for use outside platform/windows.
#pragma once

#include <string>
#include <vector>

#include "platform/windows/windows.h"

// How a window's frame looks; fixed when the window is made.
enum class FrameStyle : UInt8 {
  kNone,          // no frame at all (help tags, overlays, custom pop-up windows)
  kPlain,         // a one-pixel border
  kModal,         // a thick border, no title bar (alerts, modal dialogs)
  kTitled,        // a title bar and a one-pixel border (documents, movable modals)
  kSmallTitled,   // a small title bar (floating and utility windows)
  kSideTitled,    // a small title bar down the left side
};

struct WindowProperty {
  PropertyCreator creator = 0;
  PropertyTag tag = 0;
  std::vector<UInt8> data;
};

constexpr UInt32 kWindowMagic = 0x57494E44;  // 'WIND'

struct OpaqueWindowPtr {
  UInt32 magic = kWindowMagic;
  CGrafPort port;
  WindowClass windowClass = kDocumentWindowClass;
  WindowAttributes attributes = 0;
  FrameStyle frame = FrameStyle::kTitled;
  Rect content;  // global
  bool visible = false;
  bool hilited = false;
  bool collapsed = false;
  bool hasProxy = false;
  bool moved = true;          // its visible content must be painted anew
  bool exposeUpdates = true;  // uncovered content goes into the update region
  bool inUpdate = false;
  SInt16 kind = kApplicationWindowKind;
  SRefCon refCon = nullptr;
  std::string title;  // Mac Roman
  RGBColor contentColor{0xFFFF, 0xFFFF, 0xFFFF};
  RgnHandle updateRgn;     // global
  RgnHandle visContent;    // global: the content showing on the screen
  RgnHandle visStructure;  // global: the whole window showing on the screen
  RgnHandle updateSnapshot;  // global: what BeginUpdate took
  EventTargetRef target = nullptr;
  EventRef pendingUpdate = nullptr;
  std::vector<EventRef> postedEvents;  // activate events still queued
  Rect standardState;
  bool hasStandardState = false;
  Rect userState;
  bool hasUserState = false;
  WindowPartCode pressedPart = 0;  // a box drawn pressed while it is tracked
  std::vector<WindowProperty> properties;
};

namespace windows_internal {

// --- The list (window_layers.cpp) ---
// Every window, front to back.
std::vector<WindowRef>& Windows();
bool IsLiveWindow(WindowRef window);
// Layer of a class: 0 documents, 1 floating, 2 modal, 3 utility, 4 help.
int LayerOf(WindowRef window);
// True for windows that take activation (documents and modal windows).
bool IsActivatable(WindowRef window);
bool IsFloatingKind(WindowRef window);
void InsertInLayer(WindowRef window, WindowRef behind);
// Works out the active window after any change of order or visibility: hilites, activate
// events, keyboard focus.
void UpdateActivation();
void ForgetWindow(WindowRef window);
// The window given the focus with SetUserFocusWindow, or null (the active window has it).
WindowRef ExplicitFocus();
// Queues a 'wind' event for the window and remembers it so that DisposeWindow can take it back.
void PostWindowEvent(WindowRef window, UInt32 kind);
void RemoveQueuedWindowEvents(WindowRef window);

// --- Geometry (window_geometry.cpp) ---
struct FrameMetrics {
  SInt16 title = 0;  // title bar thickness (top, or left for side titles)
  SInt16 border = 0;
  bool side = false;
};
FrameMetrics MetricsOf(WindowRef window);
FrameStyle FrameForClass(WindowClass windowClass);
// Structure bounds (global) of the window, collapsed or not.
Rect StructureOf(WindowRef window);
Rect TitleBarOf(WindowRef window);
// The rectangle of a box or region part (global); empty when the window has none.
Rect PartRectOf(WindowRef window, WindowPartCode part);
// The content bounds that give a structure bounds.
Rect ContentForStructure(WindowRef window, const Rect& structure);
// Moves and sizes the window and its port without any event; true when it changed.
bool PlaceWindow(WindowRef window, const Rect& content);
// Sends kEventWindowBoundsChanged (attributes kWindowBoundsChange...).
void SendBoundsChanged(WindowRef window, const Rect& previous, UInt32 attributes);
SInt16 MenuBarHeightNow();

// --- Painting (window_painting.cpp) ---
// Works out every window's visible regions, paints what was uncovered, the desktop and the
// frames, and sets the ports' visible regions.
void RefreshScreen();
// The frame of one window, clipped to what shows of it.
void PaintFrame(WindowRef window);
// Adds a global region to the update region (queuing the update event).
void AddToUpdate(WindowRef window, RgnHandle globalRgn);
void SetPortVisibleFromWindow(WindowRef window);
// Runs the menu bar draw hook.
void DrawMenuBarThroughHook();

// --- Events (window_events.cpp) ---
void SetUpWindowTarget(WindowRef window);
void EnsureWindowManager();

// Small helpers shared by the files.
struct PortSaver {
  CGrafPtr saved = nullptr;
  PortSaver();
  ~PortSaver();
  PortSaver(const PortSaver&) = delete;
  PortSaver& operator=(const PortSaver&) = delete;
};
Rect RgnBounds(RgnHandle rgn);
RGBColor RgbOf(UInt32 rgb);

}  // namespace windows_internal
