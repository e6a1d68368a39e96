// Dialog records: making dialogs from resources and item lists, their items' controls,
// AppendDITL, ShortenDITL and disposal.
#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "platform/controls/cntl_resources.h"
#include "platform/controls/control_creators.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/resources/resource_manager.h"
#include "platform/windows/appearance.h"
#include "platform/windows/windows.h"

namespace {

constexpr OSType kDialogPropertyCreator = FourCC("zarn");
constexpr OSType kDialogItemProperty = FourCC("ditm");

std::unordered_set<DialogRef> gDialogs;
std::unordered_map<WindowRef, DialogRef> gByWindow;
OSErr gLastError = noErr;
SInt16 gDialogFont = 0;

void SubstituteParams(std::string* text) {
  std::string out;
  for (size_t i = 0; i < text->size(); ++i) {
    char c = (*text)[i];
    if (c == '^' && i + 1 < text->size() && (*text)[i + 1] >= '0' && (*text)[i + 1] <= '3') {
      ConstStringPtr p = GetParamText((*text)[i + 1] - '0');
      out.append(reinterpret_cast<const char*>(p + 1), p[0]);
      ++i;
    } else {
      out.push_back(c);
    }
  }
  *text = std::move(out);
}

void ForgetDialogOf(WindowRef window) {
  auto it = gByWindow.find(window);
  if (it == gByWindow.end()) return;
  DialogRef dialog = it->second;
  gByWindow.erase(it);
  gDialogs.erase(dialog);
  dialog->magic = 0;
  delete dialog;
}

void InstallDialogHooks() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  AddWindowDisposeHook(ForgetDialogOf);
  SetControlTextSubstitution(SubstituteParams);
}

// User items draw through their dialog's procedure.
void DrawUserItem(ControlRef control, SInt16) {
  struct { DialogRef dialog; DialogItemIndex item; } link{};
  if (GetControlProperty(control, kDialogPropertyCreator, kDialogItemProperty, sizeof link,
                         nullptr, &link) != noErr)
    return;
  DialogItemRecord* record = IsLiveDialog(link.dialog) ? DialogItemAt(link.dialog, link.item) : nullptr;
  if (record && record->userProc && !record->hidden) record->userProc(link.dialog, link.item);
}

void LinkUserPane(DialogRef dialog, ControlRef pane, DialogItemIndex item) {
  struct { DialogRef dialog; DialogItemIndex item; } link{dialog, item};
  SetControlProperty(pane, kDialogPropertyCreator, kDialogItemProperty, sizeof link, &link);
  ControlUserPaneDrawUPP draw = DrawUserItem;
  SetControlData(pane, kControlEntireControl, kControlUserPaneDrawProcTag, sizeof draw, &draw);
}

ControlFontStyleRec DialogTextStyle(DialogRef dialog) {
  ControlFontStyleRec style;
  style.flags = kControlUseFontMask | kControlUseSizeMask;
  style.font = dialog->fontNum;
  style.size = 12;
  return style;
}

CFStringRef NewMacRomanString(const std::string& text) {
  Str255 p;
  p[0] = UInt8(std::min<size_t>(text.size(), 255));
  std::memcpy(p + 1, text.data(), p[0]);
  return CFStringCreateWithPascalString(nullptr, p, kCFStringEncodingMacRoman);
}

ControlRef MakeTextControl(DialogRef dialog, const DialogItemTemplate& t, const Rect& r, bool edit) {
  ControlRef control = nullptr;
  ControlFontStyleRec style = DialogTextStyle(dialog);
  CFStringRef text = NewMacRomanString("");
  OSStatus err = edit ? CreateEditTextControl(dialog->window, &r, text, false, false, &style, &control)
                      : CreateStaticTextControl(dialog->window, &r, text, &style, &control);
  CFRelease(text);
  if (err != noErr) return nullptr;
  // Texts go in as bytes: an item's text may be longer than a Pascal string.
  SetControlData(control, kControlEntireControl, kControlEditTextTextTag, Size(t.text.size()), t.text.data());
  if (!edit) {
    Boolean substitute = true;
    SetControlData(control, kControlEntireControl, kControlStaticTextParamTextTag, sizeof substitute, &substitute);
  }
  return control;
}

ControlRef MakeItemControl(DialogRef dialog, const DialogItemTemplate& t, const Rect& r) {
  Str255 title;
  title[0] = UInt8(std::min<size_t>(t.text.size(), 255));
  std::memcpy(title + 1, t.text.data(), title[0]);
  ControlRef control = nullptr;
  switch (t.type & ~itemDisable) {
    case kButtonDialogItem: return NewControl(dialog->window, &r, title, true, 0, 0, 1, pushButProc, 0);
    case kCheckBoxDialogItem: return NewControl(dialog->window, &r, title, true, 0, 0, 1, checkBoxProc, 0);
    case kRadioButtonDialogItem: return NewControl(dialog->window, &r, title, true, 0, 0, 1, radioButProc, 0);
    case kResourceControlDialogItem:
      control = GetNewControl(t.resourceID, dialog->window);
      if (control) SetControlBounds(control, &r);
      return control;
    case kStaticTextDialogItem: return MakeTextControl(dialog, t, r, false);
    case kEditTextDialogItem: return MakeTextControl(dialog, t, r, true);
    case kIconDialogItem: CreateIconControl(dialog->window, &r, t.resourceID, false, &control); return control;
    case kPictureDialogItem: CreatePictureControl(dialog->window, &r, t.resourceID, false, &control); return control;
    case kUserDialogItem: CreateUserPaneControl(dialog->window, &r, 0, &control); return control;
    default: return nullptr;
  }
}

Handle FetchResource(ResType type, SInt16 id, OSErr* err) {
  Handle h = GetResource(type, id);
  if (!h) *err = ResError() != noErr ? ResError() : OSErr(dialogNotFoundErr);
  return h;
}

template <typename T, typename Parse>
bool ParseResource(Handle h, Parse parse, T* out) {
  return h && parse(reinterpret_cast<const UInt8*>(*h), size_t(GetHandleSize(h)), out);
}

DialogRef BuildDialog(const Rect& bounds, ConstStr255Param title, bool visible, SInt16 procID,
                      WindowRef behind, bool goAway, SRefCon refCon,
                      const std::vector<DialogItemTemplate>& items, UInt16 position) {
  WindowRef window = NewCWindow(nullptr, &bounds, title, false, procID, behind, goAway, refCon);
  if (!window) {
    SetLastDialogError(memFullErr);
    return nullptr;
  }
  DialogRef dialog = MakeDialog(window, false);
  if (!AddDialogItems(dialog, items, Point{0, 0})) {
    DisposeWindow(window);
    SetLastDialogError(dialogDamagedErr);
    return nullptr;
  }
  if (position == kDialogPositionAlertMainScreen)
    RepositionWindow(window, nullptr, kWindowAlertPositionOnMainScreen);
  else if (position == kDialogPositionCenterMainScreen)
    RepositionWindow(window, nullptr, kWindowCenterOnMainScreen);
  FinishDialog(dialog, visible);
  SetLastDialogError(noErr);
  return dialog;
}

}  // namespace

bool IsLiveDialog(DialogRef dialog) {
  return dialog && gDialogs.count(dialog) && dialog->magic == kDialogMagic;
}

Boolean IsValidDialog(DialogRef dialog) { return IsLiveDialog(dialog); }

void SetLastDialogError(OSErr err) { gLastError = err; }
OSErr GetDialogError() { return gLastError; }
void SetDialogFont(SInt16 fontNum) { gDialogFont = fontNum; }

DialogRef MakeDialog(WindowRef window, bool alert) {
  InstallDialogHooks();
  DialogRef dialog = new OpaqueDialogPtr;
  dialog->window = window;
  dialog->fontNum = gDialogFont;
  gDialogs.insert(dialog);
  gByWindow[window] = dialog;
  SetWindowKind(window, kDialogWindowKind);
  SetThemeWindowBackground(window, alert ? kThemeBrushAlertBackgroundActive
                                         : kThemeBrushDialogBackgroundActive, false);
  HIViewGetRoot(window);
  return dialog;
}

bool AddDialogItems(DialogRef dialog, const std::vector<DialogItemTemplate>& items, Point offset) {
  std::vector<DialogItemRecord> made;
  for (const DialogItemTemplate& t : items) {
    DialogItemRecord record;
    record.type = t.type;
    record.rect = t.rect;
    OffsetRect(&record.rect, offset.h, offset.v);
    record.resourceID = t.resourceID;
    if ((t.type & ~itemDisable) != helpItem) {
      record.control = MakeItemControl(dialog, t, record.rect);
      if (!record.control) {
        for (const DialogItemRecord& undo : made) DisposeControl(undo.control);
        return false;
      }
    }
    made.push_back(record);
  }
  for (DialogItemRecord& record : made) {
    dialog->items.push_back(record);
    if ((record.type & ~itemDisable) == userItem)
      LinkUserPane(dialog, record.control, DialogItemIndex(dialog->items.size()));
  }
  return true;
}

void FinishDialog(DialogRef dialog, bool visible) {
  SetDialogDefaultItem(dialog, dialog->defaultItem);
  for (size_t i = 0; i < dialog->items.size(); ++i) {
    if ((dialog->items[i].type & ~itemDisable) == editText) {
      SelectDialogItemText(dialog, DialogItemIndex(i + 1), 0, 32767);
      break;
    }
  }
  if (visible) {
    ShowWindow(dialog->window);
    SelectWindow(dialog->window);
  }
}

DialogItemRecord* DialogItemAt(DialogRef dialog, DialogItemIndex item) {
  if (!IsLiveDialog(dialog) || item < 1 || size_t(item) > dialog->items.size()) return nullptr;
  return &dialog->items[size_t(item - 1)];
}

void ReplaceWithUserPane(DialogRef dialog, DialogItemIndex item) {
  DialogItemRecord* record = DialogItemAt(dialog, item);
  if (!record) return;
  ControlRef pane = nullptr;
  if (CreateUserPaneControl(dialog->window, &record->rect, 0, &pane) != noErr) return;
  if (record->control) DisposeControl(record->control);
  record->control = pane;
  LinkUserPane(dialog, pane, item);
}

DialogItemIndex DialogItemOfControl(DialogRef dialog, ControlRef control) {
  if (!IsLiveDialog(dialog) || !control) return 0;
  for (size_t i = 0; i < dialog->items.size(); ++i)
    if (dialog->items[i].control == control) return DialogItemIndex(i + 1);
  return 0;
}

// --- Public ------------------------------------------------------------------------------------

DialogRef GetNewDialog(SInt16 dialogID, void*, WindowRef behind) {
  OSErr err = noErr;
  DialogTemplate t;
  Handle dlog = FetchResource(FourCC("DLOG"), dialogID, &err);
  if (!dlog) return SetLastDialogError(err), nullptr;
  if (!ParseResource(dlog, ParseDialogTemplate, &t)) return SetLastDialogError(dialogDamagedErr), nullptr;
  Handle ditl = FetchResource(FourCC("DITL"), t.itemsID, &err);
  if (!ditl) return SetLastDialogError(err), nullptr;
  std::vector<DialogItemTemplate> items;
  if (!ParseResource(ditl, ParseDialogItemList, &items)) return SetLastDialogError(dialogDamagedErr), nullptr;
  Str255 title;
  title[0] = UInt8(t.title.size());
  std::memcpy(title + 1, t.title.data(), t.title.size());
  return BuildDialog(t.bounds, title, t.visible, t.procID, behind, t.goAway,
                     reinterpret_cast<SRefCon>(intptr_t(t.refCon)), items, t.position);
}

DialogRef NewDialog(void*, const Rect* boundsRect, ConstStr255Param title, Boolean visible,
                    SInt16 procID, WindowRef behind, Boolean goAwayFlag, SRefCon refCon,
                    Handle items) {
  std::vector<DialogItemTemplate> list;
  if (!boundsRect || !ParseResource(items, ParseDialogItemList, &list))
    return SetLastDialogError(dialogDamagedErr), nullptr;
  return BuildDialog(*boundsRect, title, visible, procID, behind, goAwayFlag, refCon, list, 0);
}

DialogRef NewDialogFromItems(const Rect* boundsRect, ConstStr255Param title, Boolean visible, SInt16 procID,
                             WindowRef behind, Boolean goAwayFlag, SRefCon refCon,
                             const std::vector<DialogItemTemplate>& items) {
  if (!boundsRect || items.size() > kMaxDialogItems) return SetLastDialogError(dialogDamagedErr), nullptr;
  return BuildDialog(*boundsRect, title, visible, procID, behind, goAwayFlag, refCon, items, 0);
}

void DisposeDialog(DialogRef dialog) {
  if (!IsLiveDialog(dialog)) return;
  DisposeWindow(dialog->window);  // the dispose hook frees the record
}

WindowRef GetDialogWindow(DialogRef dialog) { return IsLiveDialog(dialog) ? dialog->window : nullptr; }

CGrafPtr GetDialogPort(DialogRef dialog) {
  return IsLiveDialog(dialog) ? GetWindowPort(dialog->window) : nullptr;
}

DialogRef GetDialogFromWindow(WindowRef window) {
  auto it = gByWindow.find(window);
  return it == gByWindow.end() ? nullptr : it->second;
}

DialogItemIndex CountDITL(DialogRef dialog) {
  return IsLiveDialog(dialog) ? DialogItemIndex(dialog->items.size()) : 0;
}

void AppendDITL(DialogRef dialog, Handle theHandle, DITLMethod method) {
  std::vector<DialogItemTemplate> items;
  if (!IsLiveDialog(dialog) || !ParseResource(theHandle, ParseDialogItemList, &items)) return;
  if (dialog->items.size() + items.size() > kMaxDialogItems) return;
  Rect port;
  GetWindowPortBounds(dialog->window, &port);
  Point offset{0, 0};
  if (method == appendDITLRight) offset.h = port.right;
  if (method == appendDITLBottom) offset.v = port.bottom;
  if (method < 0) {
    const DialogItemRecord* anchor = DialogItemAt(dialog, DialogItemIndex(-method));
    if (!anchor) return;
    offset = Point{anchor->rect.top, anchor->rect.left};
  }
  if (!AddDialogItems(dialog, items, offset)) return;
  Rect all = port;
  for (const DialogItemRecord& item : dialog->items) UnionRect(&all, &item.rect, &all);
  if (all.right > port.right || all.bottom > port.bottom)
    SizeWindow(dialog->window, SInt16(all.right - port.left), SInt16(all.bottom - port.top), true);
}

void ShortenDITL(DialogRef dialog, DialogItemIndex numberItems) {
  if (!IsLiveDialog(dialog) || numberItems <= 0) return;
  size_t remove = std::min(dialog->items.size(), size_t(numberItems));
  for (size_t i = 0; i < remove; ++i) {
    DialogItemRecord& last = dialog->items.back();
    if (last.control) DisposeControl(last.control);
    dialog->items.pop_back();
  }
  if (dialog->defaultItem > CountDITL(dialog)) dialog->defaultItem = 0;
  if (dialog->cancelItem > CountDITL(dialog)) dialog->cancelItem = 0;
}
