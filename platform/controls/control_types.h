// The Control Manager's types and constants: definition procedure numbers, part codes,
// control kinds, data tags, font styles and the procedure types controls call back.
//
// Controls are in-memory objects named by ControlRef (a machine pointer); they are never
// stored in records or files.
#pragma once

#include "platform/events/carbon_events.h"
#include "platform/events/classic_events.h"
#include "platform/quickdraw/quickdraw_types.h"

using ControlPartCode = SInt16;
using ControlFocusPart = SInt16;
using ControlVariant = SInt16;
using HIViewRef = ControlRef;
using ControlKeyFilterResult = SInt16;

// --- Definition procedures (the procID of NewControl and of 'CNTL' resources) ----------------
// The low 4 bits of a procID are its variant; the procID's value less the variant names the
// definition. useWFont (8) on the classic button procs draws the title in the window's font.
enum : SInt16 {
  pushButProc = 0,
  checkBoxProc = 1,
  radioButProc = 2,
  useWFont = 8,
  scrollBarProc = 16,
  kControlBevelButtonSmallBevelProc = 32,
  kControlBevelButtonNormalBevelProc = 33,
  kControlBevelButtonLargeBevelProc = 34,
  kControlProgressBarProc = 80,
  kControlLittleArrowsProc = 96,
  kControlSeparatorLineProc = 144,
  kControlGroupBoxTextTitleProc = 160,
  kControlGroupBoxSecondaryTextTitleProc = 164,
  kControlUserPaneProc = 256,
  kControlEditTextProc = 272,
  kControlEditTextPasswordProc = 274,
  kControlStaticTextProc = 288,
  kControlPictureProc = 304,
  kControlPictureNoTrackProc = 305,
  kControlIconProc = 320,
  kControlIconNoTrackProc = 321,
  kControlPushButtonProc = 368,
  kControlCheckBoxProc = 369,
  kControlRadioButtonProc = 370,
  kControlCheckBoxAutoToggleProc = 371,
  kControlRadioButtonAutoToggleProc = 372,
  kControlScrollBarProc = 384,
  kControlScrollBarLiveProc = 386,
  kControlPopupButtonProc = 400,
  popupMenuProc = 1008,
};

// Bevel button variant bit: the menu arrow sits at the right edge.
enum : SInt16 { kControlBevelButtonMenuOnRight = 4 };
// Pop-up variant bit (popupMenuProc + popupFixedWidth): keep the width given.
enum : SInt16 { popupFixedWidth = 1, popupUseWFont = 8 };

// --- Part codes -------------------------------------------------------------------------------
enum : ControlPartCode {
  kControlNoPart = 0,
  kControlLabelPart = 1,
  kControlMenuPart = 2,
  kControlEditTextPart = 5,
  kControlPicturePart = 6,
  kControlIconPart = 7,
  kControlButtonPart = 10,
  kControlCheckBoxPart = 11,
  kControlRadioButtonPart = 11,
  kControlUpButtonPart = 20,
  kControlDownButtonPart = 21,
  kControlPageUpPart = 22,
  kControlPageDownPart = 23,
  kControlIndicatorPart = 129,
  kControlDisabledPart = 254,
  kControlInactivePart = 255,
  inButton = 10,
  inCheckBox = 11,
  inUpButton = 20,
  inDownButton = 21,
  inPageUp = 22,
  inPageDown = 23,
  inThumb = 129,
};

enum : ControlFocusPart {
  kControlFocusNoPart = 0,
  kControlFocusNextPart = -1,
  kControlFocusPrevPart = -2,
};

// Check box and radio button values.
enum : SInt32 {
  kControlCheckBoxUncheckedValue = 0,
  kControlCheckBoxCheckedValue = 1,
  kControlCheckBoxMixedValue = 2,
  kControlRadioButtonUncheckedValue = 0,
  kControlRadioButtonCheckedValue = 1,
  kControlRadioButtonMixedValue = 2,
};

// --- Kinds ------------------------------------------------------------------------------------
struct ControlKind {
  OSType signature = 0;
  OSType kind = 0;
};

enum : OSType {
  kControlKindSignatureApple = FourCC("appl"),
  kControlKindPushButton = FourCC("push"),
  kControlKindCheckBox = FourCC("cbox"),
  kControlKindRadioButton = FourCC("rdbt"),
  kControlKindScrollBar = FourCC("sbar"),
  kControlKindPopupButton = FourCC("popb"),
  kControlKindLittleArrows = FourCC("larr"),
  kControlKindStaticText = FourCC("stxt"),
  kControlKindEditText = FourCC("etxt"),
  kControlKindProgressBar = FourCC("prgb"),
  kControlKindUserPane = FourCC("upan"),
  kControlKindBevelButton = FourCC("bevl"),
  kControlKindGroupBox = FourCC("grpb"),
  kControlKindSeparator = FourCC("sepa"),
  kControlKindPicture = FourCC("pict"),
  kControlKindIcon = FourCC("icon"),
  kControlKindRoot = FourCC("root"),
};

// --- Ids --------------------------------------------------------------------------------------
struct ControlID {
  OSType signature = 0;
  SInt32 id = 0;
};
using HIViewID = ControlID;

// The window's content view: the root control answers to this id.
constexpr HIViewID kHIViewWindowContentID{FourCC("wind"), 1};

// --- Features (GetControlFeatures) --------------------------------------------------------------
enum : UInt32 {
  kControlSupportsGhosting = 1u << 0,
  kControlSupportsEmbedding = 1u << 1,
  kControlSupportsFocus = 1u << 2,
  kControlWantsIdle = 1u << 3,
  kControlWantsActivate = 1u << 4,
  kControlHandlesTracking = 1u << 5,
  kControlSupportsDataAccess = 1u << 6,
  kControlGetsFocusOnClick = 1u << 8,
  kControlSupportsLiveFeedback = 1u << 10,
  kControlHasRadioBehavior = 1u << 11,
  kControlAutoToggles = 1u << 14,
};

// --- Data tags (Set/GetControlData) -----------------------------------------------------------
using ControlDataTag = OSType;
enum : ControlDataTag {
  kControlEntireControl = 0,  // the part argument of Set/GetControlData
};
enum : ControlDataTag {
  kControlFontStyleTag = FourCC("font"),            // ControlFontStyleRec
  kControlEditTextTextTag = FourCC("text"),         // Mac Roman bytes
  kControlEditTextCFStringTag = FourCC("cfst"),     // CFStringRef (Get: retained copy)
  kControlEditTextSelectionTag = FourCC("sele"),    // ControlEditTextSelectionRec
  kControlEditTextKeyFilterTag = FourCC("fltr"),    // ControlKeyFilterUPP
  kControlEditTextPasswordTag = FourCC("pass"),     // the clear text of a password field
  kControlEditTextLockedTag = FourCC("lock"),       // Boolean: not editable
  kControlStaticTextTextTag = FourCC("text"),
  kControlStaticTextCFStringTag = FourCC("cfst"),
  kControlStaticTextTruncTag = FourCC("trun"),      // TruncCode, -1: wrap
  kControlStaticTextParamTextTag = FourCC("zpar"),  // Boolean: substitute ^0..^3 when drawn
  kControlProgressBarIndeterminateTag = FourCC("inde"),  // Boolean
  kControlPopupButtonMenuHandleTag = FourCC("mhan"),     // MenuRef
  kControlPopupButtonMenuRefTag = FourCC("mhan"),
  kControlPopupButtonMenuIDTag = FourCC("mnid"),         // SInt16
  kControlBevelButtonMenuRefTag = FourCC("mhnd"),        // MenuRef
  kControlBevelButtonMenuHandleTag = FourCC("mhnd"),
  kControlBevelButtonMenuValueTag = FourCC("mval"),      // SInt16: item last chosen
  kControlBevelButtonTextAlignTag = FourCC("tali"),      // SInt16 justification
  kControlLittleArrowsIncrementValueTag = FourCC("incr"),  // SInt32 step of the arrows
  kControlPushButtonDefaultTag = FourCC("dflt"),         // Boolean
  kControlPushButtonCancelTag = FourCC("cncl"),          // Boolean
  kControlUserPaneDrawProcTag = FourCC("draw"),          // ControlUserPaneDrawUPP
  kControlUserPaneHitTestProcTag = FourCC("hitt"),       // ControlUserPaneHitTestUPP
  kControlUserPaneTrackingProcTag = FourCC("trak"),      // ControlUserPaneTrackingUPP
  kControlUserPaneIdleProcTag = FourCC("idle"),          // ControlUserPaneIdleUPP
  kControlUserPaneKeyDownProcTag = FourCC("keyd"),       // ControlUserPaneKeyDownUPP
  kControlUserPaneActivateProcTag = FourCC("actv"),      // ControlUserPaneActivateUPP
  kControlUserPaneFocusProcTag = FourCC("foci"),         // ControlUserPaneFocusUPP
  kControlPictureHandleTag = FourCC("pich"),             // PicHandle
  kControlIconResourceIDTag = FourCC("ires"),            // SInt16 'cicn' id
};

struct ControlEditTextSelectionRec {
  SInt16 selStart = 0;
  SInt16 selEnd = 0;
};

// --- Font style -------------------------------------------------------------------------------
enum : SInt16 {
  kControlUseFontMask = 0x0001,
  kControlUseFaceMask = 0x0002,
  kControlUseSizeMask = 0x0004,
  kControlUseForeColorMask = 0x0008,
  kControlUseBackColorMask = 0x0010,
  kControlUseModeMask = 0x0020,
  kControlUseJustMask = 0x0040,
  kControlUseThemeFontIDMask = 0x0080,  // font is a ThemeFontID
  kControlUseAllMask = 0x00FF,
  kControlAddFontSizeMask = 0x0100,     // size is added to the default size
};

struct ControlFontStyleRec {
  SInt16 flags = 0;
  SInt16 font = 0;
  SInt16 size = 0;
  SInt16 style = 0;
  SInt16 mode = 0;
  SInt16 just = 0;
  RGBColor foreColor;
  RGBColor backColor;
};

// --- Callbacks --------------------------------------------------------------------------------
using ControlActionProcPtr = void (*)(ControlRef control, ControlPartCode partCode);
using ControlActionUPP = ControlActionProcPtr;
inline ControlActionUPP NewControlActionUPP(ControlActionProcPtr proc) { return proc; }
inline void DisposeControlActionUPP(ControlActionUPP) {}
// The action argument of TrackControl and HandleControlClick that means "the control's own
// action procedure" (SetControlAction).
inline ControlActionUPP ControlOwnActionUPP() { return reinterpret_cast<ControlActionUPP>(-1); }

enum : ControlKeyFilterResult {
  kControlKeyFilterBlockKey = 0,
  kControlKeyFilterPassKey = 1,
};
using ControlKeyFilterProcPtr = ControlKeyFilterResult (*)(ControlRef control, SInt16* keyCode,
                                                           SInt16* charCode,
                                                           EventModifiers* modifiers);
using ControlKeyFilterUPP = ControlKeyFilterProcPtr;
inline ControlKeyFilterUPP NewControlKeyFilterUPP(ControlKeyFilterProcPtr proc) { return proc; }
inline void DisposeControlKeyFilterUPP(ControlKeyFilterUPP) {}

using ControlUserPaneDrawProcPtr = void (*)(ControlRef control, SInt16 part);
using ControlUserPaneHitTestProcPtr = ControlPartCode (*)(ControlRef control, Point where);
using ControlUserPaneTrackingProcPtr = ControlPartCode (*)(ControlRef control, Point startPt,
                                                           ControlActionUPP actionProc);
using ControlUserPaneIdleProcPtr = void (*)(ControlRef control);
using ControlUserPaneKeyDownProcPtr = ControlPartCode (*)(ControlRef control, SInt16 keyCode,
                                                          SInt16 charCode, SInt16 modifiers);
using ControlUserPaneActivateProcPtr = void (*)(ControlRef control, Boolean activating);
using ControlUserPaneFocusProcPtr = ControlPartCode (*)(ControlRef control,
                                                        ControlFocusPart action);
using ControlUserPaneDrawUPP = ControlUserPaneDrawProcPtr;
using ControlUserPaneHitTestUPP = ControlUserPaneHitTestProcPtr;
using ControlUserPaneTrackingUPP = ControlUserPaneTrackingProcPtr;
using ControlUserPaneIdleUPP = ControlUserPaneIdleProcPtr;
using ControlUserPaneKeyDownUPP = ControlUserPaneKeyDownProcPtr;
using ControlUserPaneActivateUPP = ControlUserPaneActivateProcPtr;
using ControlUserPaneFocusUPP = ControlUserPaneFocusProcPtr;
inline ControlUserPaneDrawUPP NewControlUserPaneDrawUPP(ControlUserPaneDrawProcPtr p) { return p; }
inline void DisposeControlUserPaneDrawUPP(ControlUserPaneDrawUPP) {}

// Colour procedure (SetControlColorProc): asked for the background before a control draws.
// Returns noErr when it set the port's colours, anything else to keep the standard look.
using ControlColorProcPtr = OSStatus (*)(ControlRef control, SInt16 message, SInt16 drawDepth,
                                         Boolean isColorDevice);
using ControlColorUPP = ControlColorProcPtr;
inline ControlColorUPP NewControlColorUPP(ControlColorProcPtr proc) { return proc; }
inline void DisposeControlColorUPP(ControlColorUPP) {}
enum : SInt16 { kControlMsgApplyTextColor = 30, kControlMsgSetUpBackground = 23 };

// --- Result codes -----------------------------------------------------------------------------
enum : OSStatus {
  errMessageNotSupported = -30580,
  errDataNotSupported = -30581,
  errControlDoesntSupportFocus = -30582,
  errUnknownControl = -30584,
  errCouldntSetFocus = -30585,
  errNoRootControl = -30586,
  errRootAlreadyExists = -30587,
  errInvalidPartCode = -30588,
  errControlsAlreadyExist = -30589,
  errControlIsNotEmbedder = -30590,
  errDataSizeMismatch = -30591,
  errControlHiddenOrDisabled = -30592,
  errCantEmbedIntoSelf = -30594,
  errCantEmbedRoot = -30595,
  errItemNotControl = -30596,
  errControlPropertyInvalid = -5603,
  errControlPropertyNotFound = -5604,
  controlHandleInvalidErr = -30599,
};
