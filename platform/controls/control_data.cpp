// Set/GetControlData: the tagged data of each control kind.
#include <algorithm>
#include <cstring>

#include "platform/controls/control_internal.h"
#include "platform/menus/menus.h"
#include "platform/text/mac_roman.h"

namespace {

bool IsText(ControlRef c) { return c->kind == CtlKind::kEditText || c->kind == CtlKind::kStaticText; }

template <typename T>
OSErr Put(const T& value, Size bufferSize, void* buffer, Size* actualSize) {
  if (actualSize) *actualSize = Size(sizeof(T));
  if (!buffer) return noErr;
  if (bufferSize < Size(sizeof(T))) return errDataSizeMismatch;
  std::memcpy(buffer, &value, sizeof(T));
  return noErr;
}

template <typename T>
bool Take(Size size, const void* data, T* out) {
  if (size != Size(sizeof(T)) || !data) return false;
  std::memcpy(out, data, sizeof(T));
  return true;
}

std::string TextOf(ControlRef c) { return c->text; }

void SetText(ControlRef c, std::string text) {
  if (text.size() > kMaxControlText) text.resize(kMaxControlText);
  if (c->kind == CtlKind::kEditText) {
    EditTextSetText(c, text);
  } else {
    c->text = std::move(text);
  }
  RedrawControl(c);
}

// A kind's answer to one tag: kNotMine lets the common tags have a go.
constexpr OSErr kNotMine = 1;

OSErr SetTextData(ControlRef c, ControlDataTag tag, Size size, const void* data) {
  if (!IsText(c)) return kNotMine;
  switch (tag) {
    case kControlEditTextTextTag:
    case kControlEditTextPasswordTag:
      if (size < 0 || (size && !data)) return paramErr;
      SetText(c, std::string(static_cast<const char*>(data), size_t(size)));
      return noErr;
    case kControlEditTextCFStringTag: {
      CFStringRef s = nullptr;
      if (!Take(size, data, &s)) return errDataSizeMismatch;
      std::string mac;
      if (s) UTF8ToMacRoman(CFStringToUTF8(s), &mac);
      SetText(c, mac);
      return noErr;
    }
    default: break;
  }
  if (c->kind == CtlKind::kStaticText) {
    if (tag == kControlStaticTextTruncTag) {
      SInt16 trunc = 0;
      if (!Take(size, data, &trunc)) return errDataSizeMismatch;
      c->truncation = trunc;
      RedrawControl(c);
      return noErr;
    }
    if (tag == kControlStaticTextParamTextTag) {
      Boolean on = false;
      if (!Take(size, data, &on)) return errDataSizeMismatch;
      c->substituteParams = on;
      RedrawControl(c);
      return noErr;
    }
    return kNotMine;
  }
  switch (tag) {
    case kControlEditTextSelectionTag: {
      ControlEditTextSelectionRec sel;
      if (!Take(size, data, &sel)) return errDataSizeMismatch;
      EditTextSetSelection(c, sel.selStart, sel.selEnd);
      RedrawControl(c);
      return noErr;
    }
    case kControlEditTextKeyFilterTag:
      return Take(size, data, &c->keyFilter) ? OSErr(noErr) : OSErr(errDataSizeMismatch);
    case kControlEditTextLockedTag: {
      Boolean locked = false;
      if (!Take(size, data, &locked)) return errDataSizeMismatch;
      c->locked = locked;
      return noErr;
    }
    default: return kNotMine;
  }
}

OSErr GetTextData(ControlRef c, ControlDataTag tag, Size bufferSize, void* buffer, Size* actualSize) {
  if (!IsText(c)) return kNotMine;
  switch (tag) {
    case kControlEditTextTextTag:
    case kControlEditTextPasswordTag: {
      std::string text = TextOf(c);
      if (actualSize) *actualSize = Size(text.size());
      if (buffer && bufferSize > 0)
        std::memcpy(buffer, text.data(), std::min<size_t>(text.size(), size_t(bufferSize)));
      return noErr;
    }
    case kControlEditTextCFStringTag: {
      CFStringRef s = CFStringCreateWithUTF8(
          MacRomanToUTF8(reinterpret_cast<const unsigned char*>(c->text.data()), c->text.size()));
      OSErr err = Put(s, bufferSize, buffer, actualSize);
      if (err != noErr || !buffer) CFRelease(s);
      return err;
    }
    default: break;
  }
  if (c->kind == CtlKind::kStaticText) {
    if (tag == kControlStaticTextTruncTag) return Put(c->truncation, bufferSize, buffer, actualSize);
    if (tag == kControlStaticTextParamTextTag)
      return Put(Boolean(c->substituteParams), bufferSize, buffer, actualSize);
    return kNotMine;
  }
  switch (tag) {
    case kControlEditTextSelectionTag:
      return Put(ControlEditTextSelectionRec{c->selStart, c->selEnd}, bufferSize, buffer, actualSize);
    case kControlEditTextKeyFilterTag: return Put(c->keyFilter, bufferSize, buffer, actualSize);
    case kControlEditTextLockedTag: return Put(Boolean(c->locked), bufferSize, buffer, actualSize);
    default: return kNotMine;
  }
}

OSErr SetMenuData(ControlRef c, ControlDataTag tag, Size size, const void* data) {
  bool popup = c->kind == CtlKind::kPopupButton, bevel = c->kind == CtlKind::kBevelButton;
  if ((popup && tag == kControlPopupButtonMenuRefTag) || (bevel && tag == kControlBevelButtonMenuRefTag)) {
    MenuRef menu = nullptr;
    if (!Take(size, data, &menu)) return errDataSizeMismatch;
    SetControlPopupMenuHandle(c, menu);
    return noErr;
  }
  if (popup && tag == kControlPopupButtonMenuIDTag) {
    SInt16 id = 0;
    if (!Take(size, data, &id)) return errDataSizeMismatch;
    c->menuID = id;
    return noErr;
  }
  if (bevel && tag == kControlBevelButtonMenuValueTag) {
    SInt16 value = 0;
    if (!Take(size, data, &value)) return errDataSizeMismatch;
    return SetBevelButtonMenuValue(c, value);
  }
  if (bevel && tag == kControlBevelButtonTextAlignTag) {
    SInt16 just = 0;
    if (!Take(size, data, &just)) return errDataSizeMismatch;
    c->justification = just;
    RedrawControl(c);
    return noErr;
  }
  return kNotMine;
}

OSErr GetMenuData(ControlRef c, ControlDataTag tag, Size bufferSize, void* buffer, Size* actualSize) {
  bool popup = c->kind == CtlKind::kPopupButton, bevel = c->kind == CtlKind::kBevelButton;
  if ((popup && tag == kControlPopupButtonMenuRefTag) || (bevel && tag == kControlBevelButtonMenuRefTag))
    return Put(c->menu, bufferSize, buffer, actualSize);
  if (popup && tag == kControlPopupButtonMenuIDTag) return Put(c->menuID, bufferSize, buffer, actualSize);
  if (bevel && tag == kControlBevelButtonMenuValueTag) return Put(c->menuValue, bufferSize, buffer, actualSize);
  if (bevel && tag == kControlBevelButtonTextAlignTag) return Put(c->justification, bufferSize, buffer, actualSize);
  return kNotMine;
}

OSErr SetPaneProc(ControlRef c, ControlDataTag tag, Size size, const void* data) {
  if (c->kind != CtlKind::kUserPane) return kNotMine;
  UserPaneProcs& p = c->pane;
  bool ok = false;
  switch (tag) {
    case kControlUserPaneDrawProcTag: ok = Take(size, data, &p.draw); break;
    case kControlUserPaneHitTestProcTag: ok = Take(size, data, &p.hitTest); break;
    case kControlUserPaneTrackingProcTag: ok = Take(size, data, &p.tracking); break;
    case kControlUserPaneIdleProcTag: ok = Take(size, data, &p.idle); break;
    case kControlUserPaneKeyDownProcTag: ok = Take(size, data, &p.keyDown); break;
    case kControlUserPaneActivateProcTag: ok = Take(size, data, &p.activate); break;
    case kControlUserPaneFocusProcTag: ok = Take(size, data, &p.focus); break;
    default: return kNotMine;
  }
  if (!ok) return errDataSizeMismatch;
  if (tag == kControlUserPaneFocusProcTag) {
    if (p.focus) c->features |= kControlSupportsFocus; else c->features &= ~UInt32(kControlSupportsFocus);
  }
  if (tag == kControlUserPaneDrawProcTag) RedrawControl(c);
  return noErr;
}

OSErr GetPaneProc(ControlRef c, ControlDataTag tag, Size bufferSize, void* buffer, Size* actualSize) {
  if (c->kind != CtlKind::kUserPane) return kNotMine;
  const UserPaneProcs& p = c->pane;
  switch (tag) {
    case kControlUserPaneDrawProcTag: return Put(p.draw, bufferSize, buffer, actualSize);
    case kControlUserPaneHitTestProcTag: return Put(p.hitTest, bufferSize, buffer, actualSize);
    case kControlUserPaneTrackingProcTag: return Put(p.tracking, bufferSize, buffer, actualSize);
    case kControlUserPaneIdleProcTag: return Put(p.idle, bufferSize, buffer, actualSize);
    case kControlUserPaneKeyDownProcTag: return Put(p.keyDown, bufferSize, buffer, actualSize);
    case kControlUserPaneActivateProcTag: return Put(p.activate, bufferSize, buffer, actualSize);
    case kControlUserPaneFocusProcTag: return Put(p.focus, bufferSize, buffer, actualSize);
    default: return kNotMine;
  }
}

OSErr SetOtherData(ControlRef c, ControlDataTag tag, Size size, const void* data) {
  Boolean flag = false;
  switch (tag) {
    case kControlFontStyleTag: {
      ControlFontStyleRec style;
      if (!Take(size, data, &style)) return errDataSizeMismatch;
      return SetControlFontStyle(c, &style);
    }
    case kControlProgressBarIndeterminateTag:
      if (c->kind != CtlKind::kProgressBar) return errDataNotSupported;
      if (!Take(size, data, &flag)) return errDataSizeMismatch;
      c->indeterminate = flag;
      RedrawControl(c);
      return noErr;
    case kControlPushButtonDefaultTag:
    case kControlPushButtonCancelTag:
      if (c->kind != CtlKind::kPushButton) return errDataNotSupported;
      if (!Take(size, data, &flag)) return errDataSizeMismatch;
      (tag == kControlPushButtonDefaultTag ? c->isDefault : c->isCancel) = flag;
      RedrawControl(c);
      return noErr;
    case kControlLittleArrowsIncrementValueTag:
      if (c->kind != CtlKind::kLittleArrows) return errDataNotSupported;
      return Take(size, data, &c->increment) ? OSErr(noErr) : OSErr(errDataSizeMismatch);
    case kControlPictureHandleTag:
      if (c->kind != CtlKind::kPicture) return errDataNotSupported;
      if (!Take(size, data, &c->contentHandle)) return errDataSizeMismatch;
      RedrawControl(c);
      return noErr;
    case kControlIconResourceIDTag:
      if (c->kind != CtlKind::kIcon) return errDataNotSupported;
      if (!Take(size, data, &c->contentID)) return errDataSizeMismatch;
      RedrawControl(c);
      return noErr;
    default: return errDataNotSupported;
  }
}

OSErr GetOtherData(ControlRef c, ControlDataTag tag, Size bufferSize, void* buffer, Size* actualSize) {
  switch (tag) {
    case kControlFontStyleTag: return Put(c->fontStyle, bufferSize, buffer, actualSize);
    case kControlProgressBarIndeterminateTag:
      if (c->kind != CtlKind::kProgressBar) break;
      return Put(Boolean(c->indeterminate), bufferSize, buffer, actualSize);
    case kControlPushButtonDefaultTag:
    case kControlPushButtonCancelTag:
      if (c->kind != CtlKind::kPushButton) break;
      return Put(Boolean(tag == kControlPushButtonDefaultTag ? c->isDefault : c->isCancel),
                 bufferSize, buffer, actualSize);
    case kControlLittleArrowsIncrementValueTag:
      if (c->kind != CtlKind::kLittleArrows) break;
      return Put(c->increment, bufferSize, buffer, actualSize);
    case kControlPictureHandleTag:
      if (c->kind != CtlKind::kPicture) break;
      return Put(c->contentHandle, bufferSize, buffer, actualSize);
    case kControlIconResourceIDTag:
      if (c->kind != CtlKind::kIcon) break;
      return Put(c->contentID, bufferSize, buffer, actualSize);
    default: break;
  }
  return errDataNotSupported;
}

}  // namespace

OSErr SetControlData(ControlRef control, ControlPartCode, ControlDataTag tag, Size size,
                     const void* data) {
  if (!IsLiveControl(control)) return errUnknownControl;
  for (auto setter : {SetTextData, SetMenuData, SetPaneProc}) {
    OSErr err = setter(control, tag, size, data);
    if (err != kNotMine) return err;
  }
  return SetOtherData(control, tag, size, data);
}

OSErr GetControlData(ControlRef control, ControlPartCode, ControlDataTag tag, Size bufferSize,
                     void* buffer, Size* actualSize) {
  if (!IsLiveControl(control)) return errUnknownControl;
  for (auto getter : {GetTextData, GetMenuData, GetPaneProc}) {
    OSErr err = getter(control, tag, bufferSize, buffer, actualSize);
    if (err != kNotMine) return err;
  }
  return GetOtherData(control, tag, bufferSize, buffer, actualSize);
}

OSErr GetControlDataSize(ControlRef control, ControlPartCode part, ControlDataTag tag, Size* maxSize) {
  if (!maxSize) return paramErr;
  return GetControlData(control, part, tag, 0, nullptr, maxSize);
}
