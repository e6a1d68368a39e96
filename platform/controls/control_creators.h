// The Create...Control calls: one per kind, each making a visible control embedded in the
// window's root control. Titles and texts are CFStrings (null: empty). Each returns noErr
// with *outControl, or paramErr (null window, bounds or out pointer).
#pragma once

#include "platform/controls/control_types.h"
#include "platform/text/cf_string.h"

// Bevel button content and behaviour.
enum : SInt16 {
  kControlContentTextOnly = 0,
  kControlContentCIconRes = 2,
  kControlContentPictRes = 3,
  kControlContentCIconHandle = 130,
  kControlContentPictHandle = 131,
};
struct ControlButtonContentInfo {
  SInt16 contentType = kControlContentTextOnly;
  SInt16 resID = 0;         // for the resource forms
  Handle contentHandle;     // for the handle forms (CIconHandle, PicHandle)
};
using ControlButtonContentInfoPtr = ControlButtonContentInfo*;

using ControlBevelThickness = UInt16;
enum : ControlBevelThickness {
  kControlBevelButtonSmallBevel = 0,
  kControlBevelButtonNormalBevel = 1,
  kControlBevelButtonLargeBevel = 2,
};
using ControlBevelButtonBehavior = UInt16;
enum : ControlBevelButtonBehavior {
  kControlBehaviorPushbutton = 0,
  kControlBehaviorToggles = 0x0100,
  kControlBehaviorSticky = 0x0200,
  kControlBehaviorOffsetContents = 0x8000,
};
using ControlBevelButtonMenuBehavior = UInt16;
enum : ControlBevelButtonMenuBehavior {
  kControlBehaviorSingleValueMenu = 0,
  kControlBehaviorMultiValueMenu = 0x4000,
};
using ControlBevelButtonMenuPlacement = UInt16;
enum : ControlBevelButtonMenuPlacement {
  kControlBevelButtonMenuOnBottom = 0,
  kControlBevelButtonMenuOnRightPlacement = 1,
};

OSStatus CreatePushButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                 ControlRef* outControl);
OSStatus CreateCheckBoxControl(WindowRef window, const Rect* bounds, CFStringRef title,
                               SInt32 initialValue, Boolean autoToggle, ControlRef* outControl);
OSStatus CreateRadioButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  SInt32 initialValue, Boolean autoToggle,
                                  ControlRef* outControl);
OSStatus CreateScrollBarControl(WindowRef window, const Rect* bounds, SInt32 value,
                                SInt32 minimum, SInt32 maximum, SInt32 viewSize,
                                Boolean liveTracking, ControlActionUPP liveTrackingProc,
                                ControlRef* outControl);
// menuID names a 'MENU' resource (or a menu already made with that id; -12345: none). A
// title width of 0 draws no title.
OSStatus CreatePopupButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  SInt16 menuID, Boolean variableWidth, SInt16 titleWidth,
                                  SInt16 titleJustification, Style titleStyle,
                                  ControlRef* outControl);
OSStatus CreateLittleArrowsControl(WindowRef window, const Rect* bounds, SInt32 value,
                                   SInt32 minimum, SInt32 maximum, SInt32 increment,
                                   ControlRef* outControl);
OSStatus CreateStaticTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                 const ControlFontStyleRec* style, ControlRef* outControl);
OSStatus CreateEditTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                               Boolean isPassword, Boolean useInlineInput,
                               const ControlFontStyleRec* style, ControlRef* outControl);
OSStatus CreateProgressBarControl(WindowRef window, const Rect* bounds, SInt32 value,
                                  SInt32 minimum, SInt32 maximum, Boolean indeterminate,
                                  ControlRef* outControl);
OSStatus CreateUserPaneControl(WindowRef window, const Rect* bounds, UInt32 features,
                               ControlRef* outControl);
OSStatus CreateBevelButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  ControlBevelThickness thickness,
                                  ControlBevelButtonBehavior behavior,
                                  const ControlButtonContentInfo* content, SInt16 menuID,
                                  ControlBevelButtonMenuBehavior menuBehavior,
                                  ControlBevelButtonMenuPlacement menuPlacement,
                                  ControlRef* outControl);
OSStatus CreateGroupBoxControl(WindowRef window, const Rect* bounds, CFStringRef title,
                               Boolean primary, ControlRef* outControl);
OSStatus CreateSeparatorControl(WindowRef window, const Rect* bounds, ControlRef* outControl);
// A 'PICT' (by resource id) or 'cicn' shown in the rectangle.
OSStatus CreatePictureControl(WindowRef window, const Rect* bounds, SInt16 pictureID,
                              Boolean dontTrack, ControlRef* outControl);
OSStatus CreateIconControl(WindowRef window, const Rect* bounds, SInt16 iconID,
                           Boolean dontTrack, ControlRef* outControl);
