// Control values, ranges, titles, hiliting, activation and visibility.
#include <algorithm>

#include "platform/controls/control_internal.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/text/mac_roman.h"

namespace {

SInt16 To16(SInt32 v) { return SInt16(std::clamp<SInt32>(v, -32768, 32767)); }

std::string FromPString(ConstStr255Param s) {
  return s ? std::string(reinterpret_cast<const char*>(s + 1), s[0]) : std::string();
}

void SetActiveTree(ControlRef control, bool active) {
  bool before = IsActiveNow(control);
  control->active = active;
  if (control->kind == CtlKind::kUserPane && control->pane.activate &&
      before != IsActiveNow(control))
    control->pane.activate(control, IsActiveNow(control));
}

}  // namespace

bool IsShown(ControlRef control) {
  for (ControlRef c = control; c; c = c->parent)
    if (!c->visible) return false;
  return true;
}

bool IsActiveNow(ControlRef control) {
  for (ControlRef c = control; c; c = c->parent)
    if (!c->active || !c->enabled || c->hilite == kControlInactivePart) return false;
  return true;
}

void ClampValue(ControlRef control) {
  control->value = std::clamp(control->value, control->minimum, control->maximum);
}

void RedrawControl(ControlRef control) {
  if (IsShown(control) && ControlWindowShown(control->window)) Draw1Control(control);
}

void SetValueQuietly(ControlRef control, SInt32 value) {
  control->value = value;
  ClampValue(control);
}

// --- Values --------------------------------------------------------------------------------------

SInt32 GetControl32BitValue(ControlRef control) {
  return IsLiveControl(control) ? control->value : 0;
}

void SetControl32BitValue(ControlRef control, SInt32 value) {
  if (!IsLiveControl(control)) return;
  SInt32 before = control->value;
  SetValueQuietly(control, value);
  if (control->value != before) {
    RedrawControl(control);
    SendControlValueChanged(control);
  }
}

SInt32 GetControl32BitMinimum(ControlRef control) {
  return IsLiveControl(control) ? control->minimum : 0;
}

void SetControl32BitMinimum(ControlRef control, SInt32 value) {
  if (!IsLiveControl(control)) return;
  control->minimum = value;
  if (control->maximum < value) control->maximum = value;
  ClampValue(control);
  RedrawControl(control);
}

SInt32 GetControl32BitMaximum(ControlRef control) {
  return IsLiveControl(control) ? control->maximum : 0;
}

void SetControl32BitMaximum(ControlRef control, SInt32 value) {
  if (!IsLiveControl(control)) return;
  control->maximum = value;
  if (control->minimum > value) control->minimum = value;
  ClampValue(control);
  RedrawControl(control);
}

SInt16 GetControlValue(ControlRef control) { return To16(GetControl32BitValue(control)); }
void SetControlValue(ControlRef control, SInt16 value) { SetControl32BitValue(control, value); }
SInt16 GetControlMinimum(ControlRef control) { return To16(GetControl32BitMinimum(control)); }
void SetControlMinimum(ControlRef control, SInt16 value) { SetControl32BitMinimum(control, value); }
SInt16 GetControlMaximum(ControlRef control) { return To16(GetControl32BitMaximum(control)); }
void SetControlMaximum(ControlRef control, SInt16 value) { SetControl32BitMaximum(control, value); }

SInt32 GetControlViewSize(ControlRef control) {
  return IsLiveControl(control) ? control->viewSize : 0;
}

void SetControlViewSize(ControlRef control, SInt32 viewSize) {
  if (!IsLiveControl(control)) return;
  control->viewSize = std::max<SInt32>(0, viewSize);
  RedrawControl(control);
}

// --- Title -----------------------------------------------------------------------------------------

void GetControlTitle(ControlRef control, Str255 title) {
  if (!title) return;
  title[0] = 0;
  if (!IsLiveControl(control)) return;
  size_t n = std::min<size_t>(control->title.size(), 255);
  title[0] = UInt8(n);
  std::copy_n(control->title.begin(), n, title + 1);
}

void SetControlTitle(ControlRef control, ConstStr255Param title) {
  if (!IsLiveControl(control)) return;
  control->title = FromPString(title);
  RedrawControl(control);
}

OSStatus SetControlTitleWithCFString(ControlRef control, CFStringRef title) {
  if (!IsLiveControl(control)) return errUnknownControl;
  Str255 text;
  text[0] = 0;
  if (title) CFStringGetPascalString(title, text, sizeof text, kCFStringEncodingMacRoman);
  SetControlTitle(control, text);
  return noErr;
}

OSStatus CopyControlTitleAsCFString(ControlRef control, CFStringRef* outTitle) {
  if (!IsLiveControl(control) || !outTitle) return errUnknownControl;
  *outTitle = CFStringCreateWithUTF8(
      MacRomanToUTF8(reinterpret_cast<const unsigned char*>(control->title.data()),
                     control->title.size()));
  return noErr;
}

// --- State ----------------------------------------------------------------------------------------

void HiliteControl(ControlRef control, ControlPartCode hiliteState) {
  if (!IsLiveControl(control) || control->hilite == hiliteState) return;
  control->hilite = hiliteState;
  RedrawControl(control);
}

ControlPartCode GetControlHilite(ControlRef control) {
  return IsLiveControl(control) ? control->hilite : 0;
}

OSErr ActivateControl(ControlRef control) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (control->active) return noErr;
  SetActiveTree(control, true);
  RedrawControl(control);
  return noErr;
}

OSErr DeactivateControl(ControlRef control) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (!control->active) return noErr;
  SetActiveTree(control, false);
  RedrawControl(control);
  return noErr;
}

Boolean IsControlActive(ControlRef control) {
  return IsLiveControl(control) && IsActiveNow(control);
}

Boolean IsControlHilited(ControlRef control) {
  return IsLiveControl(control) && control->hilite != 0 && control->hilite != kControlInactivePart;
}

OSStatus EnableControl(ControlRef control) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (!control->enabled) {
    control->enabled = true;
    RedrawControl(control);
  }
  return noErr;
}

OSStatus DisableControl(ControlRef control) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (control->enabled) {
    control->enabled = false;
    RedrawControl(control);
  }
  return noErr;
}

Boolean IsControlEnabled(ControlRef control) {
  return IsLiveControl(control) && control->enabled;
}

void SetControlVisibility(ControlRef control, Boolean visible, Boolean draw) {
  if (!IsLiveControl(control) || control->visible == visible) return;
  if (!visible) {
    bool wasShown = IsShown(control);
    for (ControlRef c = WindowFocusControl(control->window); c; c = c->parent) {
      if (c == control) {
        ClearKeyboardFocus(control->window);
        break;
      }
    }
    if (draw && wasShown) EraseControlArea(control);
    control->visible = false;
    return;
  }
  control->visible = true;
  if (draw) RedrawControl(control);
}

void ShowControl(ControlRef control) { SetControlVisibility(control, true, true); }
void HideControl(ControlRef control) { SetControlVisibility(control, false, true); }

Boolean IsControlVisible(ControlRef control) {
  return IsLiveControl(control) && IsShown(control);
}

OSStatus HIViewSetVisible(HIViewRef view, Boolean visible) {
  if (!IsLiveControl(view)) return errUnknownControl;
  SetControlVisibility(view, visible, true);
  return noErr;
}

Boolean HIViewIsVisible(HIViewRef view) { return IsControlVisible(view); }

OSStatus HIViewSetNeedsDisplay(HIViewRef view, Boolean needsDisplay) {
  if (!IsLiveControl(view)) return errUnknownControl;
  if (needsDisplay) RedrawControl(view);
  return noErr;
}

void SetControlAction(ControlRef control, ControlActionUPP actionProc) {
  if (IsLiveControl(control)) control->action = actionProc;
}

ControlActionUPP GetControlAction(ControlRef control) {
  return IsLiveControl(control) ? control->action : nullptr;
}

OSErr SetControlFontStyle(ControlRef control, const ControlFontStyleRec* style) {
  if (!IsLiveControl(control)) return errUnknownControl;
  control->fontStyle = style ? *style : ControlFontStyleRec{};
  if (control->fontStyle.flags & kControlUseJustMask)
    control->justification = control->fontStyle.just;
  RedrawControl(control);
  return noErr;
}

void SetControlColorProc(ControlRef control, ControlColorUPP proc) {
  if (IsLiveControl(control)) control->colorProc = proc;
}
