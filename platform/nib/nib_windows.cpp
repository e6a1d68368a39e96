// Nib references: finding and reading nib texts, and making windows and views from them.
#include "platform/nib/nib_windows.h"

#include <algorithm>

#include "platform/controls/control_creators.h"
#include "platform/controls/controls.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/mac_roman.h"
#include "platform/windows/appearance.h"
#include "platform/windows/windows.h"

struct OpaqueIBNibRef {
  NibDocument document;
};

namespace {

NibParseError gLastParseError;

struct CFText {
  explicit CFText(const std::string& utf8) : ref(CFStringCreateWithUTF8(utf8)) {}
  ~CFText() { CFRelease(ref); }
  CFText(const CFText&) = delete;
  CFText& operator=(const CFText&) = delete;
  CFStringRef ref;
};

SInt32 MaximumOf(const NibView& v) {
  if (v.hasMaximum) return v.maximum;
  return v.kind == "progressBar" ? 100 : std::max(v.value, v.minimum);
}

OSStatus CreateKind(WindowRef w, const NibView& v, const Rect& r, ControlRef* c) {
  CFText title(v.title), text(v.text);
  SInt32 max = MaximumOf(v);
  const std::string& k = v.kind;
  if (k == "pushButton") return CreatePushButtonControl(w, &r, title.ref, c);
  if (k == "checkBox") return CreateCheckBoxControl(w, &r, title.ref, v.value, !v.manual, c);
  if (k == "radioButton") return CreateRadioButtonControl(w, &r, title.ref, v.value, !v.manual, c);
  if (k == "scrollBar")
    return CreateScrollBarControl(w, &r, v.value, v.minimum, max, v.viewSize, v.live, nullptr, c);
  if (k == "popupButton")
    return CreatePopupButtonControl(w, &r, title.ref, v.menuID ? v.menuID : SInt16(-12345), false,
                                    v.titleWidth, v.justification, normal, c);
  if (k == "littleArrows") return CreateLittleArrowsControl(w, &r, v.value, v.minimum, max, v.increment, c);
  if (k == "staticText") return CreateStaticTextControl(w, &r, text.ref, nullptr, c);
  if (k == "editText") return CreateEditTextControl(w, &r, text.ref, v.password, false, nullptr, c);
  if (k == "progressBar") return CreateProgressBarControl(w, &r, v.value, v.minimum, max, v.indeterminate, c);
  if (k == "userPane") return CreateUserPaneControl(w, &r, kControlSupportsEmbedding, c);
  if (k == "bevelButton")
    return CreateBevelButtonControl(w, &r, title.ref, kControlBevelButtonNormalBevel,
                                    kControlBehaviorPushbutton, nullptr, v.menuID,
                                    kControlBehaviorSingleValueMenu, kControlBevelButtonMenuOnBottom, c);
  if (k == "groupBox") return CreateGroupBoxControl(w, &r, title.ref, true, c);
  if (k == "separator") return CreateSeparatorControl(w, &r, c);
  if (k == "picture") return CreatePictureControl(w, &r, v.resourceID, true, c);
  if (k == "icon") return CreateIconControl(w, &r, v.resourceID, true, c);
  return paramErr;
}

void ApplySettings(ControlRef c, const NibView& v) {
  SetControlID(c, &v.id);
  SetControlCommandID(c, v.command);
  ControlFontStyleRec style;
  if (v.themeFont >= 0) {
    style.flags |= kControlUseThemeFontIDMask;
    style.font = v.themeFont;
  }
  if (v.justification != teFlushDefault) {
    style.flags |= kControlUseJustMask;
    style.just = v.justification;
  }
  if (style.flags) SetControlFontStyle(c, &style);
  if (v.kind == "popupButton" && v.value > 0) SetControl32BitValue(c, v.value);
  if (v.isDefault || v.isCancel) {
    Boolean on = true;
    SetControlData(c, kControlEntireControl,
                   v.isDefault ? kControlPushButtonDefaultTag : kControlPushButtonCancelTag, sizeof on, &on);
  }
  if (v.disabled) DeactivateControl(c);
  if (v.hidden) SetControlVisibility(c, false, false);
}

OSStatus MakeViews(WindowRef w, const std::vector<NibView>& views, ControlRef parent, Point origin) {
  for (const NibView& v : views) {
    Rect r{SInt16(origin.v + v.top), SInt16(origin.h + v.left), SInt16(origin.v + v.top + v.height),
           SInt16(origin.h + v.left + v.width)};
    ControlRef c = nullptr;
    OSStatus err = CreateKind(w, v, r, &c);
    if (err != noErr) return err;
    if (parent && (err = EmbedControl(c, parent)) != noErr) return err;
    ApplySettings(c, v);
    if ((err = MakeViews(w, v.children, c, Point{r.top, r.left})) != noErr) return err;
  }
  return noErr;
}

bool IsDialogClass(UInt32 windowClass) {
  return windowClass == kModalWindowClass || windowClass == kMovableModalWindowClass ||
         windowClass == kAlertWindowClass || windowClass == kMovableAlertWindowClass ||
         windowClass == kSheetWindowClass;
}

}  // namespace

OSStatus CreateNibReferenceFromText(std::string_view text, IBNibRef* outNibRef) {
  if (!outNibRef) return paramErr;
  *outNibRef = nullptr;
  IBNibRef nib = new OpaqueIBNibRef;
  if (!ParseNibText(text, &nib->document, &gLastParseError)) {
    delete nib;
    return kIBCarbonRuntimeNibDamaged;
  }
  *outNibRef = nib;
  return noErr;
}

OSStatus CreateNibReference(CFStringRef inNibName, IBNibRef* outNibRef) {
  if (!inNibName || !outNibRef) return paramErr;
  *outNibRef = nullptr;
  Str255 name;
  if (!UTF8ToPString(CFStringToUTF8(inNibName), name, 255)) return kIBCarbonRuntimeCantFindNibFile;
  Handle h = GetNamedResource(kNibResourceType, name);
  if (!h) return kIBCarbonRuntimeCantFindNibFile;
  std::string text(*h, size_t(GetHandleSize(h)));
  return CreateNibReferenceFromText(text, outNibRef);
}

void DisposeNibReference(IBNibRef inNibRef) { delete inNibRef; }

NibParseError GetLastNibParseError() { return gLastParseError; }

OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef* outWindow) {
  if (!inNibRef || !inName || !outWindow) return paramErr;
  *outWindow = nullptr;
  std::string name = CFStringToUTF8(inName);
  const auto& windows = inNibRef->document.windows;
  auto it = std::find_if(windows.begin(), windows.end(), [&](const NibWindow& w) { return w.name == name; });
  if (it == windows.end()) return kIBCarbonRuntimeCantFindObject;
  const NibWindow& desc = *it;
  Rect content{desc.top, desc.left, SInt16(desc.top + desc.height), SInt16(desc.left + desc.width)};
  WindowRef window = nullptr;
  OSStatus err = CreateNewWindow(desc.windowClass, desc.attributes, &content, &window);
  if (err != noErr) return err;
  CFText title(desc.title);
  SetWindowTitleWithCFString(window, title.ref);
  if (IsDialogClass(desc.windowClass))
    SetThemeWindowBackground(window, kThemeBrushDialogBackgroundActive, false);
  HIViewGetRoot(window);
  if ((err = MakeViews(window, desc.views, nullptr, Point{0, 0})) != noErr) {
    DisposeWindow(window);
    return err;
  }
  if (desc.visible) ShowWindow(window);
  *outWindow = window;
  return noErr;
}
