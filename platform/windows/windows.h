// The Window Manager: windows on the one screen, their layers, frames, ports, update regions,
// activation, tracking of drags, grows and boxes, and their Carbon event targets.
//
// Every window draws through its own port, which shares the screen's pixels: the port's
// rectangle is the content area, its origin the content's top left corner, and its visible
// region the content less the windows in front of it (and less the menu bar). Frames are
// drawn by the Window Manager in the look of appearance.h.
//
// Layers, front to back: utility and help windows; alert and modal windows (and sheets);
// floating and toolbar windows; document and plain windows. A window is created invisible,
// at the front of its layer. The active window is the front visible window of the document or
// modal layers (FrontNonFloatingWindow); it is hilited, has the keyboard focus unless another
// window was given it, and gets a 'wind' activated event when it becomes active (the one it
// replaces gets a deactivated event first). Floating windows are hilited while visible and
// never take activation from the document: a click in one leaves the front document active.
//
// Update regions are kept in global coordinates. Whenever a window's update region becomes
// non-empty while it is visible, one 'wind' kEventWindowUpdate is queued for it (until that
// event leaves the queue, further invalidation only grows the region). BeginUpdate limits the
// port to the update region and empties it; EndUpdate restores the port. Content that the
// Window Manager uncovers is erased with the window's content colour and invalidated.
//
// Events: each window has an event target whose parent is the application target. The Window
// Manager routes queued events (SetEventRouter): mouse events to the window under the mouse
// (with 'wind' and 'wpar' parameters added; none and inDesk/inMenuBar elsewhere), 'wind'
// events to their window. Its standard window handler (installed with
// InstallStandardEventHandler, or at creation with kWindowStandardHandlerAttribute) turns a
// mouse-down into the click events (click activation, then drag, resize, close, zoom,
// collapse, content) and does their default work: DragWindow, ResizeWindow, TrackGoAway and
// kEventWindowClose (default: DisposeWindow), TrackBox and kEventWindowZoom (default:
// ZoomWindowIdeal). kEventWindowUpdate is always answered: BeginUpdate, kEventWindowDrawContent
// to the window, EndUpdate.
//
// Main thread only.
#pragma once

#include "platform/events/carbon_events.h"
#include "platform/events/classic_events.h"
#include "platform/events/toolbox_refs.h"
#include "platform/quickdraw/quickdraw_types.h"
#include "platform/text/cf_string.h"

using WindowClass = UInt32;
using WindowAttributes = UInt32;
using WindowPartCode = SInt16;
using WindowRegionCode = UInt16;
using WindowPositionMethod = UInt32;
using PropertyCreator = OSType;
using PropertyTag = OSType;

enum : WindowClass {
  kAlertWindowClass = 1,
  kMovableAlertWindowClass = 2,
  kModalWindowClass = 3,
  kMovableModalWindowClass = 4,
  kFloatingWindowClass = 5,
  kDocumentWindowClass = 6,
  kUtilityWindowClass = 8,
  kHelpWindowClass = 10,
  kSheetWindowClass = 11,
  kToolbarWindowClass = 12,
  kPlainWindowClass = 13,
  kOverlayWindowClass = 14,
  kSheetAlertWindowClass = 15,
  kAltPlainWindowClass = 16,
  kDrawerWindowClass = 20,
  kAllWindowClasses = 0xFFFFFFFF,
};

enum : WindowAttributes {
  kWindowNoAttributes = 0,
  kWindowCloseBoxAttribute = 1u << 0,
  kWindowHorizontalZoomAttribute = 1u << 1,
  kWindowVerticalZoomAttribute = 1u << 2,
  kWindowFullZoomAttribute = kWindowHorizontalZoomAttribute | kWindowVerticalZoomAttribute,
  kWindowCollapseBoxAttribute = 1u << 3,
  kWindowResizableAttribute = 1u << 4,
  kWindowSideTitlebarAttribute = 1u << 5,
  kWindowToolbarButtonAttribute = 1u << 6,
  kWindowNoUpdatesAttribute = 1u << 16,
  kWindowNoActivatesAttribute = 1u << 17,
  kWindowCompositingAttribute = 1u << 19,
  kWindowNoShadowAttribute = 1u << 21,
  kWindowHideOnSuspendAttribute = 1u << 24,
  kWindowStandardHandlerAttribute = 1u << 25,
  kWindowInWindowMenuAttribute = 1u << 27,
  kWindowLiveResizeAttribute = 1u << 28,
  kWindowStandardDocumentAttributes = kWindowCloseBoxAttribute | kWindowFullZoomAttribute |
                                      kWindowCollapseBoxAttribute | kWindowResizableAttribute,
  kWindowStandardFloatingAttributes = kWindowCloseBoxAttribute | kWindowCollapseBoxAttribute,
};

// FindWindow parts.
enum : WindowPartCode {
  inDesk = 0,
  inNoWindow = 0,
  inMenuBar = 1,
  inSysWindow = 2,
  inContent = 3,
  inDrag = 4,
  inGrow = 5,
  inGoAway = 6,
  inZoomIn = 7,
  inZoomOut = 8,
  inCollapseBox = 11,
  inProxyIcon = 12,
  inToolbarButton = 13,
  inStructure = 15,
};

// Regions of GetWindowBounds / GetWindowRegion.
enum : WindowRegionCode {
  kWindowTitleBarRgn = 0,
  kWindowTitleTextRgn = 1,
  kWindowCloseBoxRgn = 2,
  kWindowZoomBoxRgn = 3,
  kWindowDragRgn = 5,
  kWindowGrowRgn = 6,
  kWindowCollapseBoxRgn = 7,
  kWindowTitleProxyIconRgn = 8,
  kWindowStructureRgn = 32,
  kWindowContentRgn = 33,
  kWindowUpdateRgn = 34,
  kWindowOpaqueRgn = 35,
  kWindowGlobalPortRgn = 40,
};

// Window kinds (GetWindowKind): the program sets its own; dialogs are kDialogWindowKind.
enum : SInt16 { kDialogWindowKind = 2, kApplicationWindowKind = 8 };

// RepositionWindow methods.
enum : WindowPositionMethod {
  kWindowCenterOnMainScreen = 1,
  kWindowCenterOnParentWindow = 2,
  kWindowCenterOnParentWindowScreen = 3,
  kWindowCascadeOnMainScreen = 4,
  kWindowCascadeOnParentWindow = 5,
  kWindowCascadeOnParentWindowScreen = 6,
  kWindowCascadeStartAtParentWindowScreen = 10,
  kWindowAlertPositionOnMainScreen = 7,
  kWindowAlertPositionOnParentWindow = 8,
  kWindowAlertPositionOnParentWindowScreen = 9,
};

// Custom windows: a definition named by a classic procedure id (kWindowDefProcID); the other
// forms are accepted and drawn as plain windows.
enum : UInt32 { kWindowDefProcPtr = 1, kWindowDefObjectClass = 2, kWindowDefProcID = 2 };
struct WindowDefSpec {
  UInt32 defType = kWindowDefProcID;
  SInt16 procID = 0;
  void* defProc = nullptr;
};

// Classic window definition ids ('WIND' resources, NewCWindow): documentProc 0, dBoxProc 1,
// plainDBox 2, altDBoxProc 3, noGrowDocProc 4, movableDBoxProc 5, zoomDocProc 8,
// zoomNoGrow 12; the appearance-era ids 1024-1087 (document, dialog, floating, side
// floating families); 1984-1999 floating windows.
enum : SInt16 {
  documentProc = 0,
  dBoxProc = 1,
  plainDBox = 2,
  altDBoxProc = 3,
  noGrowDocProc = 4,
  movableDBoxProc = 5,
  zoomDocProc = 8,
  zoomNoGrow = 12,
  floatProc = 1985,
  floatGrowProc = 1987,
  floatZoomProc = 1989,
  floatZoomGrowProc = 1991,
  floatSideProc = 1993,
};

// Parameters of the window events that this layer sends.
enum : EventParamName {
  kEventParamAttributes = FourCC("attr"),        // typeUInt32 (bounds changed)
  kEventParamOriginalBounds = FourCC("obnd"),    // typeQDRectangle
  kEventParamPreviousBounds = FourCC("prbd"),    // typeQDRectangle
  kEventParamDimensions = FourCC("dims"),        // typeQDPoint (zoom: ideal size)
};
enum : UInt32 {
  kWindowBoundsChangeUserDrag = 1u << 0,
  kWindowBoundsChangeUserResize = 1u << 1,
  kWindowBoundsChangeSizeChanged = 1u << 2,
  kWindowBoundsChangeOriginChanged = 1u << 3,
  kWindowBoundsChangeZoom = 1u << 4,
};
enum : UInt32 {
  kEventWindowShown = 24,
  kEventWindowHidden = 25,
};

// Click activation answers ('clac'): bit 1 activates the window, bit 0 lets the click go on.
enum : UInt32 {
  kDoNotActivateAndIgnoreClick = 0,
  kDoNotActivateAndHandleClick = 1,
  kActivateAndIgnoreClick = 2,
  kActivateAndHandleClick = 3,
};
// Click modality answers ('wmcr' bits) of kEventWindowGetClickModality.
enum : UInt32 {
  kHIModalClickIsModal = 1u << 0,
  kHIModalClickAllowEvent = 1u << 1,
  kHIModalClickAnnounce = 1u << 2,
  kHIModalClickRaiseWindow = 1u << 3,
};

inline const WindowRef kFirstWindowOfClass = reinterpret_cast<WindowRef>(intptr_t(-1));
inline const WindowRef kLastWindowOfClass = nullptr;
inline const WindowRef kUserFocusAuto = reinterpret_cast<WindowRef>(intptr_t(-1));

// Result codes.
enum : OSStatus {
  errInvalidWindowPtr = -5600,
  errInvalidWindowRef = -5600,
  errUnsupportedWindowAttributesForClass = -5601,
  errWindowDoesNotHaveProxy = -5602,
  errInvalidWindowProperty = -5603,
  errWindowPropertyNotFound = -5604,
  errUnrecognizedWindowClass = -5605,
  errCorruptWindowDescription = -5606,
  errWindowNotFound = -5610,
};

// --- Set-up ---------------------------------------------------------------------------------

// Prepares the Window Manager: the screen, the event router, the GetMouse conversion, the
// modal loop hooks and, when the screen shows in a host window, the host event pump. Calls
// after the first only install the hooks again (tests reset them). Creating a window does it.
void InitWindows();
// The routine the menu layer gives for drawing the menu bar when the whole screen is redrawn.
void SetMenuBarDrawHook(void (*draw)());

// --- Creation -------------------------------------------------------------------------------

// A new invisible window of the class with its content at bounds (global coordinates).
// errUnrecognizedWindowClass for an unknown class; paramErr for a null pointer.
OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect* contentBounds, WindowRef* outWindow);
// A window with a custom definition (its procedure id picks the frame), of the class given.
OSStatus CreateCustomWindow(const WindowDefSpec* def, WindowClass windowClass,
                            WindowAttributes attributes, const Rect* contentBounds,
                            WindowRef* outWindow);
// A window from a classic procedure id; behind: kFirstWindowOfClass (-1) for the front of
// its layer, null for the back, or the window to go behind. storage is not used.
WindowRef NewCWindow(void* storage, const Rect* boundsRect, ConstStr255Param title,
                     Boolean visible, SInt16 procID, WindowRef behind, Boolean goAwayFlag,
                     SRefCon refCon);
WindowRef NewWindow(void* storage, const Rect* boundsRect, ConstStr255Param title,
                    Boolean visible, SInt16 procID, WindowRef behind, Boolean goAwayFlag,
                    SRefCon refCon);
// A window from 'WIND' windowID (bounds, procID, visible, goAway, refCon, title); null when
// the resource is missing or shorter than its fields.
WindowRef GetNewCWindow(SInt16 windowID, void* storage, WindowRef behind);
WindowRef GetNewWindow(SInt16 windowID, void* storage, WindowRef behind);
// Hides the window, removes its queued events, calls the dispose hooks, frees it.
void DisposeWindow(WindowRef window);
// Called at the start of every DisposeWindow (controls and dialogs free their parts).
using WindowDisposeHookProcPtr = void (*)(WindowRef window);
void AddWindowDisposeHook(WindowDisposeHookProcPtr hook);
// True for a window that exists (not disposed).
Boolean IsValidWindowPtr(WindowRef window);

// --- Order and visibility -------------------------------------------------------------------

void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
void ShowHide(WindowRef window, Boolean showFlag);
Boolean IsWindowVisible(WindowRef window);
// Brings the window to the front of its layer and activates it (documents and modal windows).
void SelectWindow(WindowRef window);
void BringToFront(WindowRef window);
// Puts the window behind behindWindow (null: at the back of its layer).
void SendBehind(WindowRef window, WindowRef behindWindow);
// The front visible window of all (floating windows included).
WindowRef FrontWindow();
// The front visible window of the document and modal layers (the active window), or null.
WindowRef FrontNonFloatingWindow();
WindowRef ActiveNonFloatingWindow();
// Windows in order, front to back, visible or not; null after the last.
WindowRef GetWindowList();
WindowRef GetNextWindow(WindowRef window);
WindowRef GetFrontWindowOfClass(WindowClass windowClass, Boolean mustBeVisible);
WindowRef GetNextWindowOfClass(WindowRef window, WindowClass windowClass, Boolean mustBeVisible);
Boolean IsWindowActive(WindowRef window);
void HiliteWindow(WindowRef window, Boolean fHilite);
Boolean IsWindowHilited(WindowRef window);
// Window shade: a collapsed window shows its title bar only.
OSStatus CollapseWindow(WindowRef window, Boolean collapse);
Boolean IsWindowCollapsed(WindowRef window);
Boolean IsWindowCollapsable(WindowRef window);

// --- Finding and tracking -------------------------------------------------------------------

// The part of the screen at a global point and the window there (null for the desk and the
// menu bar).
WindowPartCode FindWindow(Point thePoint, WindowRef* window);
// Follows the mouse until it is released, moving an outline of the window, then moves the
// window (MoveWindow). The mouse is kept inside dragBounds (null: the screen below the menu
// bar). Selects the window first unless the command key is down.
void DragWindow(WindowRef window, Point startPt, const Rect* boundsRect);
// Follows the mouse with an outline of the new size. sizeRect: left/top are the least
// width/height, right/bottom the greatest. Returns the new size (height << 16 | width), or 0
// when it did not change. The window is not resized.
SInt32 GrowWindow(WindowRef window, Point startPt, const Rect* sizeRect);
// GrowWindow, then SizeWindow; newContentRect (may be null) gets the new content bounds.
// True when the size changed.
Boolean ResizeWindow(WindowRef window, Point startPt, const Rect* sizeConstraints,
                     Rect* newContentRect);
// Follows the mouse while the button is down, showing the box pressed while the mouse is in
// it; true when it was released inside.
Boolean TrackGoAway(WindowRef window, Point thePt);
Boolean TrackBox(WindowRef window, Point thePt, WindowPartCode partCode);
// Follows the mouse with a grey outline of the region (global coordinates when the screen
// port is current, else the current port's). Returns the offset (v << 16 | h, each i16), or
// 0x80008000 when the mouse was released outside slopRect. axis: 0 both, 1 horizontal only,
// 2 vertical only.
SInt32 DragGrayRgn(RgnHandle theRgn, Point startPt, const Rect* limitRect, const Rect* slopRect,
                   SInt16 axis, void* actionProc);

// --- Geometry -------------------------------------------------------------------------------

// Moves the content's top left corner to (hGlobal, vGlobal); with front the window is also
// selected. A window that does not move sends no event.
void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front);
// Sizes the content (each side at least 0). With fUpdate the new content is invalidated;
// without, only what the Window Manager uncovered is.
void SizeWindow(WindowRef window, SInt16 w, SInt16 h, Boolean fUpdate);
// Bounds of a region in global coordinates; paramErr for a region without bounds.
OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect* globalBounds);
// Sets the content (kWindowContentRgn) or structure (kWindowStructureRgn) bounds.
OSStatus SetWindowBounds(WindowRef window, WindowRegionCode regionCode, const Rect* globalBounds);
// The region in global coordinates (kWindowUpdateRgn: the update region).
OSStatus GetWindowRegion(WindowRef window, WindowRegionCode regionCode, RgnHandle ioWinRgn);
Rect* GetWindowPortBounds(WindowRef window, Rect* bounds);
OSStatus RepositionWindow(WindowRef window, WindowRef parentWindow, WindowPositionMethod method);
// The rectangle of the screen (global) to which windows are kept: below the menu bar.
void GetWindowPositioningBounds(Rect* bounds);

// Standard and user states: the zoom box switches between them.
OSStatus GetWindowStandardState(WindowRef window, Rect* rect);
OSStatus SetWindowStandardState(WindowRef window, const Rect* rect);
OSStatus GetWindowUserState(WindowRef window, Rect* rect);
OSStatus SetWindowUserState(WindowRef window, const Rect* rect);
// The standard state is the one set with SetWindowStandardState, else the ideal size (or the
// screen) placed at the window's top left and kept on the screen. ioIdealSize may be null;
// outIdealStandardState (may be null) gets that rectangle.
Boolean IsWindowInStandardState(WindowRef window, Point* ioIdealSize, Rect* outIdealStandardState);
// inZoomOut: the user state is remembered and the window takes its standard state; inZoomIn:
// back to the user state. Sends kEventWindowBoundsChanged.
OSStatus ZoomWindowIdeal(WindowRef window, WindowPartCode partCode, Point* ioIdealSize);
void ZoomWindow(WindowRef window, WindowPartCode partCode, Boolean front);

// --- Ports and drawing ----------------------------------------------------------------------

CGrafPtr GetWindowPort(WindowRef window);
void SetPortWindowPort(WindowRef window);
// The window of a window's port, or null for any other port.
WindowRef GetWindowFromPort(CGrafPtr port);
// Local (port) coordinates.
OSStatus InvalWindowRect(WindowRef window, const Rect* bounds);
OSStatus InvalWindowRgn(WindowRef window, RgnHandle region);
OSStatus ValidWindowRect(WindowRef window, const Rect* bounds);
OSStatus ValidWindowRgn(WindowRef window, RgnHandle region);
void BeginUpdate(WindowRef window);
void EndUpdate(WindowRef window);
// The grow box at the bottom right of the content (15 x 15, with the scroll bar lines), in
// the window's port; nothing for a window that cannot be resized.
void DrawGrowIcon(WindowRef window);
// The colour the Window Manager erases uncovered content with (white unless set).
OSStatus SetWindowContentColor(WindowRef window, const RGBColor* color);
OSStatus GetWindowContentColor(WindowRef window, RGBColor* color);
// Draws the desktop, the menu bar and every frame again and invalidates every visible
// window's content (after the host window was exposed, say).
void RedrawScreen();
// After the screen changed size (ResizeScreen): every visible window is moved, and cut when
// it is larger than the screen, so that it stays on the screen (a bounds-changed event tells
// its owner), then the screen is drawn again.
void KeepWindowsOnResizedScreen();
// Draws the frame of the window again (title, boxes, hilite).
void DrawWindowFrame(WindowRef window);

// --- Attributes and data --------------------------------------------------------------------

void SetWTitle(WindowRef window, ConstStr255Param title);
void GetWTitle(WindowRef window, Str255 title);
OSStatus SetWindowTitleWithCFString(WindowRef window, CFStringRef title);
OSStatus CopyWindowTitleAsCFString(WindowRef window, CFStringRef* title);
void SetWRefCon(WindowRef window, SRefCon data);
SRefCon GetWRefCon(WindowRef window);
SInt16 GetWindowKind(WindowRef window);
void SetWindowKind(WindowRef window, SInt16 kind);
OSStatus GetWindowClass(WindowRef window, WindowClass* outClass);
// Moves the window to the layer of the new class (its frame stays as it was made).
OSStatus HIWindowChangeClass(WindowRef window, WindowClass newClass);
OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes);
OSStatus ChangeWindowAttributes(WindowRef window, WindowAttributes setThese,
                                WindowAttributes clearThese);
// A proxy icon (a small document icon left of the title; FindWindow answers inProxyIcon).
OSStatus SetWindowProxyCreatorAndType(WindowRef window, OSType fileCreator, OSType fileType,
                                      SInt16 vRefNum);
OSStatus RemoveWindowProxy(WindowRef window);
// Named data of a window (copied in and out), for the layers above.
OSStatus SetWindowProperty(WindowRef window, PropertyCreator creator, PropertyTag tag,
                           ByteCount size, const void* buffer);
OSStatus GetWindowProperty(WindowRef window, PropertyCreator creator, PropertyTag tag,
                           ByteCount bufferSize, ByteCount* actualSize, void* buffer);
OSStatus GetWindowPropertySize(WindowRef window, PropertyCreator creator, PropertyTag tag,
                               ByteCount* size);
OSStatus RemoveWindowProperty(WindowRef window, PropertyCreator creator, PropertyTag tag);

// --- Events and focus -----------------------------------------------------------------------

EventTargetRef GetWindowEventTarget(WindowRef window);
// The window whose target gets keyboard events; kUserFocusAuto (or null) goes back to the
// active window.
OSStatus SetUserFocusWindow(WindowRef window);
WindowRef GetUserFocusWindow();
// The window of a classic update or activate record's message.
WindowRef GetWindowFromEventMessage(UInt32 message);
