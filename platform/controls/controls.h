// The Control Manager: buttons, check boxes, radio buttons, scroll bars, pop-up buttons,
// little arrows, static and edit text, progress bars, user panes, bevel buttons, group boxes,
// separators, pictures and icons, living in windows, drawn in one look and tracked from the
// event queue.
//
// Coordinates: every control's rectangle is in its window's port (local) coordinates,
// embedded controls included. HIView calls that speak of view coordinates convert through
// the views' rectangles.
//
// Each window that has controls has a root control (GetRootControl, HIViewGetRoot), made with
// the window's first control; controls embed in it or in other embedders (group boxes, user
// panes, bevel buttons). Each control has an event target whose parent is its embedder's
// target, up to the window's target; the target's standard handler tracks clicks
// (kEventControlClick), turns hits into commands (kEventControlHit with a command id sends a
// 'cmds' event from the control), takes the focus (kEventControlSetFocusPart) and draws
// (kEventControlDraw).
//
// Windows: in every window with controls the Control Manager draws them after the window's
// kEventWindowDrawContent and activates or deactivates the root with the window. In windows
// with the standard handler (kWindowStandardHandlerAttribute) or compositing it also answers
// content clicks (kEventWindowClickContentRgn becomes the control's kEventControlClick) and
// keys: Tab and Shift-Tab move the focus, Return and Enter press the default push button
// (kControlPushButtonDefaultTag), Escape and Command-period the cancel button, other keys go
// to the focused control.
//
// Tracking reads the mouse from the event queue through the shared tracking step
// (platform/windows/mouse_tracking.h): the moves and the release that follow the click are
// taken in order, and while the button is held with nothing queued the action procedure is
// called every 1/60 s; a release already seen ends the tracking at once. Main thread only.
#pragma once

#include <string>

#include "platform/controls/control_types.h"
#include "platform/text/cf_string.h"

// --- Life ---------------------------------------------------------------------------------------

// A control of definition procID in window (embedded in the window's root control, which is
// made when missing). The title is Mac Roman. Drawn at once when visible (and the window is).
// Null for an unknown procID or a null window.
ControlRef NewControl(WindowRef window, const Rect* bounds, ConstStr255Param title,
                      Boolean visible, SInt16 initialValue, SInt16 minimumValue,
                      SInt16 maximumValue, SInt16 procID, SInt32 refCon);
// A control from 'CNTL' resource id (see cntl_resources.h for the layout); null when the
// resource is missing or malformed (ResError, or paramErr for a bad record).
ControlRef GetNewControl(SInt16 resourceID, WindowRef window);
// Removes the control and everything embedded in it (erasing it from the window when shown).
void DisposeControl(ControlRef control);
// Disposes every control of the window, the root control included.
void KillControls(WindowRef window);
// True while control names a live control.
Boolean IsValidControlHandle(ControlRef control);

// --- Embedding and the root --------------------------------------------------------------------

OSErr CreateRootControl(WindowRef window, ControlRef* outControl);
OSErr GetRootControl(WindowRef window, ControlRef* outControl);
// The root view, made when the window has none.
HIViewRef HIViewGetRoot(WindowRef window);
// Moves control into container (an embedder of the same window, or the root).
OSErr EmbedControl(ControlRef control, ControlRef container);
OSErr GetSuperControl(ControlRef control, ControlRef* parent);
OSErr CountSubControls(ControlRef control, UInt16* numChildren);
// Child index counts from 1.
OSErr GetIndexedSubControl(ControlRef control, UInt16 index, ControlRef* outSubControl);
WindowRef GetControlOwner(ControlRef control);
// Every control of the window in drawing order (embedders before their children).
ItemCount CountWindowControls(WindowRef window);
ControlRef GetIndexedWindowControl(WindowRef window, ItemCount index);  // from 1

// --- Identity -----------------------------------------------------------------------------------

OSStatus GetControlKind(ControlRef control, ControlKind* outKind);
SInt16 GetControlProcID(ControlRef control);
OSErr GetControlFeatures(ControlRef control, UInt32* outFeatures);
// The reference holds a number (a 'CNTL' refCon) or a pointer (a record, a procedure).
SRefCon GetControlReference(ControlRef control);
void SetControlReference(ControlRef control, SRefCon data);
OSStatus GetControlID(ControlRef control, ControlID* outID);
OSStatus SetControlID(ControlRef control, const ControlID* inID);
// The first control of the window with the id (depth first from the root).
OSStatus GetControlByID(WindowRef window, const ControlID* inID, ControlRef* outControl);
// The first view at or below start with the id; the content view id finds the root.
OSStatus HIViewFindByID(HIViewRef start, HIViewID inID, HIViewRef* outView);
OSStatus GetControlCommandID(ControlRef control, UInt32* outCommandID);
OSStatus SetControlCommandID(ControlRef control, UInt32 inCommandID);
EventTargetRef GetControlEventTarget(ControlRef control);
// Properties: tagged bytes kept with the control.
OSStatus SetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 size,
                            const void* data);
OSStatus GetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 bufferSize,
                            UInt32* actualSize, void* buffer);
OSStatus GetControlPropertySize(ControlRef control, OSType creator, OSType tag, UInt32* size);
OSStatus RemoveControlProperty(ControlRef control, OSType creator, OSType tag);

// --- Values -------------------------------------------------------------------------------------
// Values are kept as 32-bit numbers; the 16-bit calls clamp to the 16-bit range. Setting a
// value clamps it to minimum..maximum; a new minimum above the maximum raises the maximum to
// it (and a new maximum below the minimum lowers the minimum), so either order of setting a
// range gives the range. A change redraws the control.

SInt16 GetControlValue(ControlRef control);
void SetControlValue(ControlRef control, SInt16 value);
SInt16 GetControlMinimum(ControlRef control);
void SetControlMinimum(ControlRef control, SInt16 value);
SInt16 GetControlMaximum(ControlRef control);
void SetControlMaximum(ControlRef control, SInt16 value);
SInt32 GetControl32BitValue(ControlRef control);
void SetControl32BitValue(ControlRef control, SInt32 value);
SInt32 GetControl32BitMinimum(ControlRef control);
void SetControl32BitMinimum(ControlRef control, SInt32 value);
SInt32 GetControl32BitMaximum(ControlRef control);
void SetControl32BitMaximum(ControlRef control, SInt32 value);
// A scroll bar's view size gives its thumb a proportional length (0: a square thumb).
SInt32 GetControlViewSize(ControlRef control);
void SetControlViewSize(ControlRef control, SInt32 viewSize);

// --- Title --------------------------------------------------------------------------------------
void GetControlTitle(ControlRef control, Str255 title);
void SetControlTitle(ControlRef control, ConstStr255Param title);
OSStatus SetControlTitleWithCFString(ControlRef control, CFStringRef title);
OSStatus CopyControlTitleAsCFString(ControlRef control, CFStringRef* outTitle);

// --- State --------------------------------------------------------------------------------------
// hiliteState 0: normal; 1..253: that part drawn pressed; 254 disabled; 255 inactive.
void HiliteControl(ControlRef control, ControlPartCode hiliteState);
ControlPartCode GetControlHilite(ControlRef control);
// Activation reaches the embedded controls (an embedded control is active only while every
// embedder above it is).
OSErr ActivateControl(ControlRef control);
OSErr DeactivateControl(ControlRef control);
Boolean IsControlActive(ControlRef control);
Boolean IsControlHilited(ControlRef control);
OSStatus EnableControl(ControlRef control);
OSStatus DisableControl(ControlRef control);
Boolean IsControlEnabled(ControlRef control);
// Showing and hiding reach the embedded controls the same way.
void ShowControl(ControlRef control);
void HideControl(ControlRef control);
void SetControlVisibility(ControlRef control, Boolean visible, Boolean draw);
Boolean IsControlVisible(ControlRef control);
OSStatus HIViewSetVisible(HIViewRef view, Boolean visible);
Boolean HIViewIsVisible(HIViewRef view);

// --- Geometry -----------------------------------------------------------------------------------
Rect* GetControlBounds(ControlRef control, Rect* bounds);
// Moves and resizes; embedded controls move with their embedder.
void SetControlBounds(ControlRef control, const Rect* bounds);
void MoveControl(ControlRef control, SInt16 h, SInt16 v);
void SizeControl(ControlRef control, SInt16 w, SInt16 h);
// Converts a point from one view's coordinates (origin at the view's top left) to another's;
// a null view means the window's port.
OSStatus HIViewConvertPoint(Point* ioPoint, HIViewRef sourceView, HIViewRef destView);

// --- Drawing ------------------------------------------------------------------------------------
// Draws in the window's port (which becomes current for the call and is restored after), the
// port's pen, colours and text state kept.
void Draw1Control(ControlRef control);
void DrawControls(WindowRef window);
// Draws the controls that meet the region (null: all).
void UpdateControls(WindowRef window, RgnHandle updateRegion);
// Draws the control now (when the window is visible) -- the compositing form.
OSStatus HIViewSetNeedsDisplay(HIViewRef view, Boolean needsDisplay);
// Draws the control into the current port (an offscreen, say) at its rectangle.
void DrawControlInCurrentPort(ControlRef control);
OSErr SetControlFontStyle(ControlRef control, const ControlFontStyleRec* style);
void SetControlColorProc(ControlRef control, ControlColorUPP proc);
// Blinks the caret of the focused edit field, moves indeterminate progress bars and calls
// user panes' idle procedures. (While an edit field of the keyboard-focus window has the
// focus, an event-loop timer blinks its caret in any loop as well.)
void IdleControls(WindowRef window);
// Static text controls with kControlStaticTextParamTextTag set pass their text through this
// procedure before drawing (the Dialog Manager installs its ^0..^3 substitution).
using ControlTextSubstitutionProc = void (*)(std::string* text);
void SetControlTextSubstitution(ControlTextSubstitutionProc proc);

// --- Hit testing and tracking ---------------------------------------------------------------------
// The part of a visible, active control under the local point (0 when none or inactive).
ControlPartCode TestControl(ControlRef control, Point testPoint);
// The frontmost visible control of the window under the local point and its part; the part is
// 0 (and the control still found) for an inactive control.
ControlPartCode FindControl(Point testPoint, WindowRef window, ControlRef* theControl);
// The deepest visible control under the point whatever its state; part 0 when it is inactive.
ControlRef FindControlUnderMouse(Point inWhere, WindowRef inWindow, ControlPartCode* outPart);
// Follows the mouse from startPoint (local) until the release, drawing the pressed part while
// the mouse is inside it, and calling actionProc (ControlOwnActionUPP(): the control's own;
// null: none) as the classic calls do: with the part again and again for arrows and pages,
// with kControlIndicatorPart after each value change while a live scroll bar's thumb moves.
// Returns the part when released inside it, else 0. Auto-toggling check boxes and radio
// buttons, pop-up buttons (their menu) and edit text (selection) change their values here.
ControlPartCode TrackControl(ControlRef control, Point startPoint, ControlActionUPP actionProc);
// TrackControl with the modifiers: Shift extends an edit-text selection. Also takes the
// keyboard focus for controls that take it on a click.
ControlPartCode HandleControlClick(ControlRef control, Point where, EventModifiers modifiers,
                                   ControlActionUPP actionProc);
void SetControlAction(ControlRef control, ControlActionUPP actionProc);
ControlActionUPP GetControlAction(ControlRef control);
// Sets the cursor for a control under the mouse: edit text sets the I-beam (then *cursorWasSet).
OSStatus HandleControlSetCursor(ControlRef control, Point localPoint, EventModifiers modifiers,
                                Boolean* cursorWasSet);

// --- Keyboard focus ---------------------------------------------------------------------------------
// part kControlFocusNoPart clears the focus; errControlDoesntSupportFocus for a control that
// takes none. The controls concerned receive kEventControlSetFocusPart.
OSErr SetKeyboardFocus(WindowRef window, ControlRef control, ControlFocusPart part);
OSErr GetKeyboardFocus(WindowRef window, ControlRef* control);
OSErr ClearKeyboardFocus(WindowRef window);
// The next (previous) visible, active control that takes the focus, wrapping around.
OSErr AdvanceKeyboardFocus(WindowRef window);
OSErr ReverseKeyboardFocus(WindowRef window);
// A key for the control (normally the focused one): edit text edits, little arrows and
// scroll bars step through their action procedure. Returns the part that took the key.
ControlPartCode HandleControlKey(ControlRef control, SInt16 keyCode, SInt16 charCode,
                                 EventModifiers modifiers);

// --- Data -----------------------------------------------------------------------------------------
// See the tags in control_types.h. errDataNotSupported for a tag the control does not know,
// errDataSizeMismatch for a size that does not fit the tag.
OSErr SetControlData(ControlRef control, ControlPartCode part, ControlDataTag tag, Size size,
                     const void* data);
OSErr GetControlData(ControlRef control, ControlPartCode part, ControlDataTag tag,
                     Size bufferSize, void* buffer, Size* actualSize);
OSErr GetControlDataSize(ControlRef control, ControlPartCode part, ControlDataTag tag,
                         Size* maxSize);
// The menu of a pop-up or bevel button control (null when it has none).
MenuRef GetControlPopupMenuHandle(ControlRef control);
void SetControlPopupMenuHandle(ControlRef control, MenuRef menu);
OSErr GetBevelButtonMenuValue(ControlRef control, SInt16* outValue);
OSErr SetBevelButtonMenuValue(ControlRef control, SInt16 value);
OSErr GetBevelButtonMenuHandle(ControlRef control, MenuRef* outMenu);
