// StandardAlert: an alert laid out from its texts and buttons, without resources.
#include <algorithm>
#include <cstring>

#include "platform/dialogs/alerts.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/windows.h"

namespace {

constexpr short kAlertWidth = 420;
constexpr short kMargin = 20;
constexpr short kIconSize = 32;
constexpr short kButtonHeight = 20;
constexpr short kButtonGap = 12;
constexpr short kMinButtonWidth = 70;

std::string Text(ConstStringPtr p, const char* standard) {
  if (p == reinterpret_cast<ConstStringPtr>(intptr_t(-1))) return standard;
  return p ? std::string(reinterpret_cast<const char*>(p + 1), p[0]) : std::string();
}

CFStringRef NewString(const std::string& mac) {
  Str255 p;
  p[0] = UInt8(std::min<size_t>(mac.size(), 255));
  std::memcpy(p + 1, mac.data(), p[0]);
  return CFStringCreateWithPascalString(nullptr, p, kCFStringEncodingMacRoman);
}

// Height of text wrapped to width in a theme font (at least one line).
short TextHeight(const std::string& text, ThemeFontID font, short width) {
  if (text.empty()) return 0;
  CFStringRef s = NewString(text);
  Point size{0, width};
  GetThemeTextDimensions(s, font, kThemeStateActive, true, &size, nullptr);
  CFRelease(s);
  return std::max<short>(size.v, 1);
}

short ButtonWidth(const std::string& title) {
  if (title.empty()) return 0;
  CFStringRef s = NewString(title);
  Point size{0, 0};
  GetThemeTextDimensions(s, kThemePushButtonFont, kThemeStateActive, false, &size, nullptr);
  CFRelease(s);
  return std::max<short>(kMinButtonWidth, short(size.h + 24));
}

DialogItemTemplate Item(SInt16 type, const Rect& r, const std::string& text) {
  DialogItemTemplate t;
  t.type = type;
  t.rect = r;
  t.text = text;
  return t;
}

void UseThemeFont(DialogRef dialog, DialogItemIndex item, ThemeFontID font) {
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(dialog, item, &control) != noErr) return;
  ControlFontStyleRec style;
  style.flags = kControlUseThemeFontIDMask;
  style.font = SInt16(font);
  SetControlFontStyle(control, &style);
}

AlertIcon IconFor(AlertType type) {
  switch (type) {
    case kAlertStopAlert: return AlertIcon::kStop;
    case kAlertNoteAlert: return AlertIcon::kNote;
    case kAlertCautionAlert: return AlertIcon::kCaution;
    default: return AlertIcon::kNone;
  }
}

}  // namespace

OSStatus GetStandardAlertDefaultParams(AlertStdAlertParamRec* param, UInt32) {
  if (!param) return paramErr;
  *param = AlertStdAlertParamRec{};
  return noErr;
}

OSErr StandardAlert(AlertType inAlertType, ConstStr255Param inError, ConstStr255Param inExplanation,
                    const AlertStdAlertParamRec* inAlertParam, DialogItemIndex* outItemHit) {
  AlertStdAlertParamRec param;
  if (inAlertParam) param = *inAlertParam;
  std::string titles[4] = {Text(param.defaultText, "OK"), Text(param.cancelText, "Cancel"),
                           Text(param.otherText, "Don\xD5t Save"), param.helpButton ? "?" : ""};
  std::string error = Text(inError, ""), explanation = Text(inExplanation, "");
  bool icon = IconFor(inAlertType) != AlertIcon::kNone;
  short textLeft = icon ? short(kMargin + kIconSize + 22) : kMargin;
  short textWidth = short(kAlertWidth - textLeft - kMargin);
  short errorHeight = TextHeight(error, kThemeEmphasizedSystemFont, textWidth);
  short explanationHeight = TextHeight(explanation, kThemeSmallSystemFont, textWidth);
  short y = kMargin;
  Rect errorRect{y, textLeft, short(y + errorHeight), short(textLeft + textWidth)};
  y = short(y + errorHeight + (explanation.empty() ? 0 : 8));
  Rect explanationRect{y, textLeft, short(y + explanationHeight), short(textLeft + textWidth)};
  y = short(std::max<int>(y + explanationHeight, kMargin + (icon ? kIconSize : 0)) + kMargin);

  // Items 1..3 are the buttons (absent ones stay as hidden, disabled user items), 4 help,
  // 5 and 6 the texts.
  std::vector<DialogItemTemplate> items;
  short right = short(kAlertWidth - kMargin);
  for (int i = 0; i < 2; ++i) {
    short w = ButtonWidth(titles[i]);
    Rect r{y, short(right - w), short(y + kButtonHeight), right};
    items.push_back(w ? Item(kButtonDialogItem, r, titles[i]) : Item(userItem + itemDisable, Rect{}, ""));
    if (w) right = short(right - w - kButtonGap);
  }
  short w = ButtonWidth(titles[2]);
  items.push_back(w ? Item(kButtonDialogItem, Rect{y, textLeft, short(y + kButtonHeight), short(textLeft + w)}, titles[2])
                    : Item(userItem + itemDisable, Rect{}, ""));
  items.push_back(param.helpButton ? Item(kButtonDialogItem, Rect{y, kMargin, short(y + kButtonHeight), short(kMargin + 24)}, "?")
                                   : Item(userItem + itemDisable, Rect{}, ""));
  items.push_back(Item(kStaticTextDialogItem + itemDisable, errorRect, error));
  items.push_back(Item(kStaticTextDialogItem + itemDisable, explanationRect, explanation));

  Rect bounds{0, 0, short(y + kButtonHeight + kMargin), kAlertWidth};
  WindowClass windowClass = param.movable ? kMovableModalWindowClass : kModalWindowClass;
  WindowRef window = nullptr;
  if (CreateNewWindow(windowClass, kWindowNoAttributes, &bounds, &window) != noErr) return memFullErr;
  DialogRef dialog = MakeDialog(window, true);
  if (!AddDialogItems(dialog, items, Point{0, 0})) {
    DisposeWindow(window);
    return memFullErr;
  }
  for (DialogItemIndex i = 1; i <= 4; ++i)
    if (items[size_t(i - 1)].type != kButtonDialogItem) HideDialogItem(dialog, i);
  UseThemeFont(dialog, 5, kThemeEmphasizedSystemFont);
  UseThemeFont(dialog, 6, kThemeSmallSystemFont);
  AddAlertIcon(dialog, IconFor(inAlertType), Rect{kMargin, kMargin, short(kMargin + kIconSize), short(kMargin + kIconSize)});
  RepositionWindow(window, nullptr, param.position == kWindowDefaultPosition || param.position == kWindowAlertPositionMainScreen
                                        ? kWindowAlertPositionOnMainScreen : kWindowCenterOnMainScreen);
  dialog->defaultItem = titles[0].empty() ? 0 : param.defaultButton;
  SetDialogCancelItem(dialog, param.cancelButton ? param.cancelButton
                                                 : (titles[1].empty() ? 0 : kAlertStdAlertCancelButton));
  FinishDialog(dialog, true);
  DialogItemIndex hit = 0;
  ModalDialog(param.filterProc, &hit);
  DisposeDialog(dialog);
  if (outItemHit) *outItemHit = hit;
  return noErr;
}
