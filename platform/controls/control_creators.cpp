// Making controls: NewControl from a definition procedure, and the Create...Control calls.
#include <algorithm>

#include "platform/controls/control_internal.h"
#include "platform/text/mac_roman.h"

namespace {

std::string MacText(CFStringRef s) {
  std::string mac;
  if (s) UTF8ToMacRoman(CFStringToUTF8(s), &mac);
  return mac.substr(0, kMaxControlText);
}

void SetRange(ControlRef c, SInt32 value, SInt32 minimum, SInt32 maximum) {
  c->minimum = minimum;
  c->maximum = std::max(minimum, maximum);
  c->value = value;
  ClampValue(c);
}

OSStatus Made(ControlRef c, ControlRef* out) {
  if (!c) return paramErr;
  FinishNewControl(c);
  *out = c;
  return noErr;
}

ControlRef Start(WindowRef window, const Rect* bounds, CtlKind kind, SInt16 procID,
                 ControlRef* out) {
  if (!window || !bounds || !out) return nullptr;
  return MakeControl(window, kind, procID, *bounds, nullptr);
}

void SetUpPopup(ControlRef c, SInt16 titleStyle, SInt16 menuID, SInt16 titleWidth) {
  c->titleWidth = std::max<SInt16>(0, titleWidth);
  if (titleStyle) {
    c->fontStyle.flags |= kControlUseFaceMask;
    c->fontStyle.style = titleStyle;
  }
  c->value = 1;
  AttachMenuByID(c, menuID);
}

void SetUpBevel(ControlRef c, SInt16 menuID, UInt16 behaviorAndContent, SInt16 contentID) {
  c->behavior = UInt16(behaviorAndContent & 0xFF00);
  c->contentType = SInt16(behaviorAndContent & 0x00FF);
  c->contentID = contentID;
  c->menuOnRight = c->procID & kControlBevelButtonMenuOnRight;
  SetRange(c, 0, 0, 1);
  if (menuID > 0) AttachMenuByID(c, menuID);
}

// The settings a definition procedure takes from NewControl's value, minimum and maximum.
void SetUpFromProc(ControlRef c, SInt16 value, SInt16 minimum, SInt16 maximum) {
  switch (c->kind) {
    case CtlKind::kPopupButton: SetUpPopup(c, value, minimum, maximum); return;
    case CtlKind::kBevelButton: SetUpBevel(c, value, UInt16(minimum), maximum); return;
    case CtlKind::kUserPane:
      c->features |= UInt32(UInt16(value)) & (kControlSupportsEmbedding | kControlWantsIdle |
                                              kControlWantsActivate | kControlHandlesTracking);
      return;
    case CtlKind::kPicture:
    case CtlKind::kIcon:
      c->contentID = value;
      c->noTrack = c->procID & 1;
      return;
    case CtlKind::kStaticText:
    case CtlKind::kEditText:
      c->text = c->title;
      c->password = c->procID == kControlEditTextPasswordProc;
      if (c->kind == CtlKind::kEditText) EditTextSetText(c, c->title);
      return;
    default:
      SetRange(c, value, minimum, maximum);
      c->live = c->procID == kControlScrollBarLiveProc;
      c->autoToggle = c->procID == kControlCheckBoxAutoToggleProc ||
                      c->procID == kControlRadioButtonAutoToggleProc;
      return;
  }
}

}  // namespace

ControlRef NewControl(WindowRef window, const Rect* bounds, ConstStr255Param title,
                      Boolean visible, SInt16 initialValue, SInt16 minimumValue,
                      SInt16 maximumValue, SInt16 procID, SInt32 refCon) {
  CtlKind kind;
  if (!window || !bounds || !KindForProcID(procID, &kind)) return nullptr;
  ControlRef c = MakeControl(window, kind, procID, *bounds, nullptr);
  if (title) c->title.assign(reinterpret_cast<const char*>(title + 1), title[0]);
  c->refCon = reinterpret_cast<SRefCon>(intptr_t(refCon));
  c->visible = visible;
  SetUpFromProc(c, initialValue, minimumValue, maximumValue);
  FinishNewControl(c);
  return c;
}

OSStatus CreatePushButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                 ControlRef* outControl) {
  ControlRef c = Start(window, bounds, CtlKind::kPushButton, kControlPushButtonProc, outControl);
  if (c) c->title = MacText(title);
  return Made(c, outControl);
}

OSStatus CreateCheckBoxControl(WindowRef window, const Rect* bounds, CFStringRef title,
                               SInt32 initialValue, Boolean autoToggle, ControlRef* outControl) {
  ControlRef c = Start(window, bounds, CtlKind::kCheckBox, kControlCheckBoxProc, outControl);
  if (c) {
    c->title = MacText(title);
    SetRange(c, initialValue, 0, 2);
    c->autoToggle = autoToggle;
  }
  return Made(c, outControl);
}

OSStatus CreateRadioButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  SInt32 initialValue, Boolean autoToggle,
                                  ControlRef* outControl) {
  ControlRef c = Start(window, bounds, CtlKind::kRadioButton, kControlRadioButtonProc, outControl);
  if (c) {
    c->title = MacText(title);
    SetRange(c, initialValue, 0, 2);
    c->autoToggle = autoToggle;
  }
  return Made(c, outControl);
}

OSStatus CreateScrollBarControl(WindowRef window, const Rect* bounds, SInt32 value,
                                SInt32 minimum, SInt32 maximum, SInt32 viewSize,
                                Boolean liveTracking, ControlActionUPP liveTrackingProc,
                                ControlRef* outControl) {
  SInt16 proc = liveTracking ? kControlScrollBarLiveProc : kControlScrollBarProc;
  ControlRef c = Start(window, bounds, CtlKind::kScrollBar, proc, outControl);
  if (c) {
    SetRange(c, value, minimum, maximum);
    c->viewSize = std::max<SInt32>(0, viewSize);
    c->live = liveTracking;
    c->action = liveTrackingProc;
  }
  return Made(c, outControl);
}

OSStatus CreatePopupButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  SInt16 menuID, Boolean, SInt16 titleWidth,
                                  SInt16 titleJustification, Style titleStyle,
                                  ControlRef* outControl) {
  ControlRef c = Start(window, bounds, CtlKind::kPopupButton, kControlPopupButtonProc, outControl);
  if (c) {
    c->title = MacText(title);
    c->justification = titleJustification;
    SetUpPopup(c, titleStyle, menuID, titleWidth);
  }
  return Made(c, outControl);
}

OSStatus CreateLittleArrowsControl(WindowRef window, const Rect* bounds, SInt32 value,
                                   SInt32 minimum, SInt32 maximum, SInt32 increment,
                                   ControlRef* outControl) {
  ControlRef c = Start(window, bounds, CtlKind::kLittleArrows, kControlLittleArrowsProc, outControl);
  if (c) {
    SetRange(c, value, minimum, maximum);
    c->increment = increment;
  }
  return Made(c, outControl);
}

OSStatus CreateStaticTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                 const ControlFontStyleRec* style, ControlRef* outControl) {
  ControlRef c = Start(window, bounds, CtlKind::kStaticText, kControlStaticTextProc, outControl);
  if (c) {
    c->text = MacText(text);
    if (style) SetControlFontStyle(c, style);
  }
  return Made(c, outControl);
}

OSStatus CreateEditTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                               Boolean isPassword, Boolean, const ControlFontStyleRec* style,
                               ControlRef* outControl) {
  SInt16 proc = isPassword ? kControlEditTextPasswordProc : kControlEditTextProc;
  ControlRef c = Start(window, bounds, CtlKind::kEditText, proc, outControl);
  if (c) {
    c->password = isPassword;
    if (style) SetControlFontStyle(c, style);
    EditTextSetText(c, MacText(text));
  }
  return Made(c, outControl);
}

OSStatus CreateProgressBarControl(WindowRef window, const Rect* bounds, SInt32 value,
                                  SInt32 minimum, SInt32 maximum, Boolean indeterminate,
                                  ControlRef* outControl) {
  ControlRef c = Start(window, bounds, CtlKind::kProgressBar, kControlProgressBarProc, outControl);
  if (c) {
    SetRange(c, value, minimum, maximum);
    c->indeterminate = indeterminate;
  }
  return Made(c, outControl);
}

OSStatus CreateUserPaneControl(WindowRef window, const Rect* bounds, UInt32 features,
                               ControlRef* outControl) {
  ControlRef c = Start(window, bounds, CtlKind::kUserPane, kControlUserPaneProc, outControl);
  if (c)
    c->features |= features & (kControlSupportsEmbedding | kControlWantsIdle |
                               kControlWantsActivate | kControlHandlesTracking);
  return Made(c, outControl);
}

OSStatus CreateBevelButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  ControlBevelThickness thickness,
                                  ControlBevelButtonBehavior behavior,
                                  const ControlButtonContentInfo* content, SInt16 menuID,
                                  ControlBevelButtonMenuBehavior menuBehavior,
                                  ControlBevelButtonMenuPlacement menuPlacement,
                                  ControlRef* outControl) {
  SInt16 proc = SInt16(kControlBevelButtonSmallBevelProc + std::min<int>(thickness, 2) +
                       (menuPlacement == kControlBevelButtonMenuOnRightPlacement
                            ? kControlBevelButtonMenuOnRight : 0));
  ControlRef c = Start(window, bounds, CtlKind::kBevelButton, proc, outControl);
  if (c) {
    c->title = MacText(title);
    SetUpBevel(c, menuID, UInt16(behavior | menuBehavior), content ? content->resID : 0);
    if (content) {
      c->contentType = content->contentType;
      c->contentHandle = content->contentHandle;
    }
  }
  return Made(c, outControl);
}

OSStatus CreateGroupBoxControl(WindowRef window, const Rect* bounds, CFStringRef title,
                               Boolean primary, ControlRef* outControl) {
  SInt16 proc = primary ? kControlGroupBoxTextTitleProc : kControlGroupBoxSecondaryTextTitleProc;
  ControlRef c = Start(window, bounds, CtlKind::kGroupBox, proc, outControl);
  if (c) c->title = MacText(title);
  return Made(c, outControl);
}

OSStatus CreateSeparatorControl(WindowRef window, const Rect* bounds, ControlRef* outControl) {
  return Made(Start(window, bounds, CtlKind::kSeparator, kControlSeparatorLineProc, outControl),
              outControl);
}

OSStatus CreatePictureControl(WindowRef window, const Rect* bounds, SInt16 pictureID,
                              Boolean dontTrack, ControlRef* outControl) {
  SInt16 proc = dontTrack ? kControlPictureNoTrackProc : kControlPictureProc;
  ControlRef c = Start(window, bounds, CtlKind::kPicture, proc, outControl);
  if (c) {
    c->contentID = pictureID;
    c->noTrack = dontTrack;
  }
  return Made(c, outControl);
}

OSStatus CreateIconControl(WindowRef window, const Rect* bounds, SInt16 iconID,
                           Boolean dontTrack, ControlRef* outControl) {
  SInt16 proc = dontTrack ? kControlIconNoTrackProc : kControlIconProc;
  ControlRef c = Start(window, bounds, CtlKind::kIcon, proc, outControl);
  if (c) {
    c->contentID = iconID;
    c->noTrack = dontTrack;
  }
  return Made(c, outControl);
}
