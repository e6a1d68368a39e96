// The control record and the per-window control lists, shared by the Control Manager's
// sources. Not for use outside platform/controls.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls/control_creators.h"
#include "platform/controls/controls.h"
#include "platform/quickdraw/theme_text.h"

enum class CtlKind {
  kRoot,
  kPushButton,
  kCheckBox,
  kRadioButton,
  kScrollBar,
  kPopupButton,
  kLittleArrows,
  kStaticText,
  kEditText,
  kProgressBar,
  kUserPane,
  kBevelButton,
  kGroupBox,
  kSeparator,
  kPicture,
  kIcon,
};

constexpr UInt32 kControlMagic = 0x434E544C;  // 'CNTL'
// Longest text an edit or static text control holds (selections are 16-bit).
constexpr size_t kMaxControlText = 32767;

struct UserPaneProcs {
  ControlUserPaneDrawUPP draw = nullptr;
  ControlUserPaneHitTestUPP hitTest = nullptr;
  ControlUserPaneTrackingUPP tracking = nullptr;
  ControlUserPaneIdleUPP idle = nullptr;
  ControlUserPaneKeyDownUPP keyDown = nullptr;
  ControlUserPaneActivateUPP activate = nullptr;
  ControlUserPaneFocusUPP focus = nullptr;
};

struct OpaqueControlRef {
  UInt32 magic = kControlMagic;
  CtlKind kind = CtlKind::kUserPane;
  SInt16 procID = 0;
  WindowRef window = nullptr;
  ControlRef parent = nullptr;
  std::vector<ControlRef> children;
  EventTargetRef target = nullptr;

  Rect bounds;
  SInt32 value = 0;
  SInt32 minimum = 0;
  SInt32 maximum = 0;
  SInt32 viewSize = 0;
  std::string title;  // Mac Roman
  bool visible = true;   // own flag; shown when it and every embedder are
  bool active = true;    // own flag; active when it and every embedder are
  bool enabled = true;
  ControlPartCode hilite = 0;
  SRefCon refCon = nullptr;
  ControlActionUPP action = nullptr;
  ControlID id;
  UInt32 command = 0;
  UInt32 features = 0;
  ControlFontStyleRec fontStyle;
  ControlColorUPP colorProc = nullptr;
  bool autoToggle = false;
  bool live = false;
  int ghostThumb = -1;  // a non-live scroll bar's thumb position while it is dragged

  // Text of static and edit text (Mac Roman), selection, horizontal scroll and caret.
  std::string text;
  SInt16 selStart = 0;
  SInt16 selEnd = 0;
  SInt16 anchor = 0;
  SInt16 scrollX = 0;
  bool caretOn = true;
  UInt32 caretTick = 0;
  ControlFocusPart focusPart = kControlFocusNoPart;
  ControlKeyFilterUPP keyFilter = nullptr;
  bool password = false;
  bool locked = false;
  bool substituteParams = false;  // static text: ^0..^3 replaced by ParamText when drawn
  SInt16 truncation = -1;         // static text: -1 wraps, else a TruncCode
  SInt16 justification = teFlushDefault;

  bool indeterminate = false;  // progress bar
  int phase = 0;               // an indeterminate bar's stripes, moved by IdleControls

  // Pop-up and bevel button menus.
  // The Menu Manager's; a bevel button disposes only a menu it loaded itself (ownsMenu).
  MenuRef menu = nullptr;
  bool ownsMenu = false;
  SInt16 menuID = 0;
  SInt16 titleWidth = 0;
  SInt16 menuValue = 0;
  UInt16 behavior = 0;
  bool menuOnRight = false;
  SInt32 increment = 1;  // little arrows

  bool isDefault = false;
  bool isCancel = false;

  // Picture, icon and bevel content.
  SInt16 contentType = 0;
  SInt16 contentID = 0;
  Handle contentHandle;
  bool noTrack = false;

  UserPaneProcs pane;
  std::map<std::pair<OSType, OSType>, std::vector<UInt8>> properties;
};

// --- Records (control_records.cpp) ---------------------------------------------------------------
bool IsLiveControl(ControlRef control);
// The kind a procID names (false for an unknown one).
bool KindForProcID(SInt16 procID, CtlKind* kind);
// A new control record in the window, embedded in parent (null: the root, made when missing),
// with its event target. Does not draw.
ControlRef MakeControl(WindowRef window, CtlKind kind, SInt16 procID, const Rect& bounds,
                       ControlRef parent);
// Draws the control when it is shown (the end of every creator).
void FinishNewControl(ControlRef control);
// Controls of the window in drawing order (depth first, embedders first).
void CollectWindowControls(WindowRef window, std::vector<ControlRef>* out);
ControlRef WindowRootControl(WindowRef window);
// The window's focused control, or null; set by the focus code.
ControlRef WindowFocusControl(WindowRef window);
void SetWindowFocusControl(WindowRef window, ControlRef control);
bool IsEmbedder(ControlRef control);

// --- State (control_values.cpp) ---------------------------------------------------------------------
bool IsShown(ControlRef control);        // own flag and every embedder's
bool IsActiveNow(ControlRef control);    // own flag, enabled, hilite != 255, every embedder's
void ClampValue(ControlRef control);
// Redraws the control when it is shown (or invalidates it in a compositing window).
void RedrawControl(ControlRef control);
void SetValueQuietly(ControlRef control, SInt32 value);

// --- Drawing (control_drawing.cpp) ----------------------------------------------------------------
// Draws control and its children in the current port; with an area (a region in local
// coordinates), only those that meet it.
void DrawControlTree(ControlRef control, RgnHandle area);
// The rectangle a control draws in (an edit field's frame lies outside its bounds).
Rect ControlDrawBounds(ControlRef control);
// Erases the control's rectangle in its window (used when hiding and disposing).
void EraseControlArea(ControlRef control);

// --- Text (edit_text_fields.cpp) ----------------------------------------------------------------------
// Applies a key to an edit field; returns true when the key was taken.
bool EditTextKey(ControlRef control, SInt16 keyCode, SInt16 charCode, EventModifiers modifiers);
// Character offset nearest to the local h coordinate.
SInt16 EditTextOffsetAt(ControlRef control, SInt16 h);
void EditTextSetSelection(ControlRef control, SInt32 start, SInt32 end);
void EditTextSetText(ControlRef control, const std::string& text);
// Text as drawn (bullets for a password field).
std::string EditTextShownText(ControlRef control);
// Keeps the caret inside the visible part of the field.
void EditTextScrollToCaret(ControlRef control);
// Rectangle inside the frame where the text goes.
Rect EditTextInnerRect(ControlRef control);

// --- Text measuring (control_look.cpp) -----------------------------------------------------------
// Font number, size and style the control draws its text in.
void ControlTextFont(ControlRef control, SInt16* font, SInt16* size, Style* face);
// Width of the first count bytes of Mac Roman text (whole-pixel advances add up, so this is a
// sum over a per-character table and costs one pass however long the text).
int ControlTextWidth(ControlRef control, const std::string& text, size_t count);

// --- Menus (control_menus.cpp) ---------------------------------------------------------------------
// Gives a pop-up or bevel button the menu with the id: one already inserted, else the 'MENU'
// resource (-12345: none). A pop-up's range becomes 1..its item count.
void AttachMenuByID(ControlRef control, SInt16 menuID);
// A bevel button's menu that it loaded itself goes with it.
void DisposeOwnedControlMenu(ControlRef control);
// The control's menu while the Menu Manager still has it (a menu disposed elsewhere: null).
MenuRef LiveControlMenu(ControlRef control);

// --- Events (control_events.cpp) ------------------------------------------------------------------
EventTargetRef NewControlTarget(ControlRef control);
// Sends kEventControlHit and, for a control with a command id, its 'cmds' event.
void SendControlHit(ControlRef control, ControlPartCode part, EventModifiers modifiers);
OSStatus SendControlSetFocusPart(ControlRef control, ControlFocusPart part);
// Sends 'txfd' kEventTextDidChange after typing changed an edit field.
void SendControlTextChanged(ControlRef control);
// Sends the value-changed notification (kEventControlValueFieldChanged).
void SendControlValueChanged(ControlRef control);
// Installs the click, key and activation handling on a window that has the standard handler.
void AttachWindowControlHandlers(WindowRef window);
void DetachWindowControlHandlers(WindowRef window);

// --- Window access (control_windows.cpp) ------------------------------------------------------------
CGrafPtr ControlWindowPort(WindowRef window);
EventTargetRef ControlWindowTarget(WindowRef window);
bool ControlWindowShown(WindowRef window);
bool ControlWindowWantsStandardHandling(WindowRef window);
// Makes DisposeWindow dispose the window's controls (once, with the first root control).
void ListenForWindowDisposal();
