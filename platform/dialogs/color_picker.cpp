// The colour picker dialog: its items, the number fields kept in step with the new colour,
// the run, and the scripted answers.
#include "platform/dialogs/color_picker.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/dialogs/dialog_resources.h"
#include "platform/dialogs/scripted_answers.h"
#include "platform/events/key_codes.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/system/sys_beep.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"

namespace {

constexpr SInt16 kPickerWidth = 420;
constexpr SInt16 kPickerHeight = 184;
constexpr SInt16 kMenuBarClearance = 40;
constexpr long kFieldCap = 99999;  // typed numbers stop growing here

struct PickerState {
  DialogRef dialog = nullptr;
  RGBColor original;
  RGBColor current;
};

PickerState* gPicker = nullptr;
ColorPickerShownProc gShownProc = nullptr;
void* gShownData = nullptr;

// ---- Colour models -------------------------------------------------------------------------

UInt16 Widen(long component8) { return UInt16(component8 * 257); }
long Narrow(UInt16 component16) { return (long(component16) * 255 + 32767) / 65535; }

// Hue in degrees 0..360, saturation and value 0..1.
struct Hsv {
  double h = 0, s = 0, v = 0;
};

Hsv ToHsv(const RGBColor& c) {
  double r = c.red / 65535.0, g = c.green / 65535.0, b = c.blue / 65535.0;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
  Hsv out;
  out.v = mx;
  if (mx <= 0 || d <= 0) return out;
  out.s = d / mx;
  double sector = mx == r ? (g - b) / d : mx == g ? (b - r) / d + 2 : (r - g) / d + 4;
  out.h = sector * 60;
  if (out.h < 0) out.h += 360;
  return out;
}

RGBColor FromHsv(const Hsv& c) {
  double h = std::fmod(c.h, 360.0) / 60, s = c.s, v = c.v;
  int sector = int(h);
  double f = h - sector, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  double rgb[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
  const double* x = rgb[sector % 6];
  auto wide = [](double u) { return UInt16(std::clamp(std::lround(u * 65535.0), 0L, 65535L)); };
  return RGBColor{wide(x[0]), wide(x[1]), wide(x[2])};
}

// The hue, saturation and value the fields show for a colour.
void ShownHsv(const RGBColor& c, long out[3]) {
  Hsv hsv = ToHsv(c);
  out[0] = std::lround(hsv.h) % 360;
  out[1] = std::lround(hsv.s * 100);
  out[2] = std::lround(hsv.v * 100);
}

// ---- Items ---------------------------------------------------------------------------------

constexpr SInt16 kRowTops[3] = {50, 76, 102};

Rect Row(int row, SInt16 left, SInt16 right) {
  return Rect{kRowTops[row], left, SInt16(kRowTops[row] + 16), right};
}

std::vector<DialogItemTemplate> ItemList(ConstStr255Param prompt) {
  std::string text = prompt ? std::string(reinterpret_cast<const char*>(prompt + 1), prompt[0]) : "";
  constexpr SInt16 kStatic = kStaticTextDialogItem + itemDisable;
  std::vector<DialogItemTemplate> items{
      MakeDialogItem(kButtonDialogItem, Rect{150, 332, 170, 406}, "OK"),
      MakeDialogItem(kButtonDialogItem, Rect{150, 244, 170, 318}, "Cancel"),
      MakeDialogItem(kStatic, Rect{10, 14, 42, 406}, text),
      MakeDialogItem(userItem, Rect{66, 14, 136, 94}),
      MakeDialogItem(userItem + itemDisable, Rect{66, 98, 136, 178}),
      MakeDialogItem(kEditTextDialogItem, Row(0, 248, 288)),
      MakeDialogItem(kEditTextDialogItem, Row(1, 248, 288)),
      MakeDialogItem(kEditTextDialogItem, Row(2, 248, 288)),
      MakeDialogItem(kEditTextDialogItem, Row(0, 374, 406)),
      MakeDialogItem(kEditTextDialogItem, Row(1, 374, 406)),
      MakeDialogItem(kEditTextDialogItem, Row(2, 374, 406)),
      MakeDialogItem(kStatic, Rect{48, 14, 64, 94}, "Original"),
      MakeDialogItem(kStatic, Rect{48, 98, 64, 178}, "New"),
      MakeDialogItem(kStatic, Row(0, 196, 244), "Red:"),
      MakeDialogItem(kStatic, Row(1, 196, 244), "Green:"),
      MakeDialogItem(kStatic, Row(2, 196, 244), "Blue:"),
      MakeDialogItem(kStatic, Row(0, 298, 370), "Hue:"),
      MakeDialogItem(kStatic, Row(1, 298, 370), "Saturation:"),
      MakeDialogItem(kStatic, Row(2, 298, 370), "Value:")};
  return items;
}

DialogItemHandle ItemHandle(DialogItemIndex item) {
  DialogItemHandle handle = nullptr;
  GetDialogItem(gPicker->dialog, item, nullptr, &handle, nullptr);
  return handle;
}

// The number typed in a field: its digits (anything else is passed over), held at most.
long FieldValue(DialogItemIndex item, long most) {
  Str255 text;
  GetDialogItemText(ItemHandle(item), text);
  long value = 0;
  for (int i = 1; i <= text[0]; ++i)
    if (text[i] >= '0' && text[i] <= '9') value = std::min(value * 10 + (text[i] - '0'), kFieldCap);
  return std::min(value, most);
}

void SetField(DialogItemIndex item, long value) {
  Str255 text;
  NumToString(value, text);
  SetDialogItemText(ItemHandle(item), text);
}

void ShowRgbFields() {
  SetField(kColorPickerRedItem, Narrow(gPicker->current.red));
  SetField(kColorPickerGreenItem, Narrow(gPicker->current.green));
  SetField(kColorPickerBlueItem, Narrow(gPicker->current.blue));
}

void ShowHsvFields() {
  long shown[3];
  ShownHsv(gPicker->current, shown);
  for (int i = 0; i < 3; ++i) SetField(DialogItemIndex(kColorPickerHueItem + i), shown[i]);
}

// The user-item procedure of both colours: painted and framed.
void DrawSwatch(DialogRef dialog, DialogItemIndex item) {
  if (!gPicker || dialog != gPicker->dialog) return;
  Rect box;
  GetDialogItem(dialog, item, nullptr, nullptr, &box);
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPort(GetDialogPort(dialog));
  RGBColor fore;
  GetForeColor(&fore);
  RGBForeColor(item == kColorPickerOriginalItem ? &gPicker->original : &gPicker->current);
  PaintRect(&box);
  ForeColor(blackColor);
  FrameRect(&box);
  RGBForeColor(&fore);
  SetPort(saved);
}

// ---- Edits ---------------------------------------------------------------------------------

// A red, green or blue field: its component changes when its number does (the others keep
// their full precision).
void TakeRgbField(DialogItemIndex item) {
  UInt16* component = item == kColorPickerRedItem     ? &gPicker->current.red
                      : item == kColorPickerGreenItem ? &gPicker->current.green
                                                      : &gPicker->current.blue;
  long typed = FieldValue(item, 255);
  if (typed == Narrow(*component)) return;
  *component = Widen(typed);
  ShowHsvFields();
  DrawSwatch(gPicker->dialog, kColorPickerNewItem);
}

// A hue, saturation or value field: the colour is made anew from the three when one of them
// differs from what the colour shows.
void TakeHsvField() {
  long typed[3] = {FieldValue(kColorPickerHueItem, 359), FieldValue(kColorPickerSaturationItem, 100),
                   FieldValue(kColorPickerValueItem, 100)};
  long shown[3];
  ShownHsv(gPicker->current, shown);
  if (std::equal(typed, typed + 3, shown)) return;
  gPicker->current = FromHsv(Hsv{double(typed[0]), typed[1] / 100.0, typed[2] / 100.0});
  ShowRgbFields();
  DrawSwatch(gPicker->dialog, kColorPickerNewItem);
}

void TakeOriginal() {
  gPicker->current = gPicker->original;
  ShowRgbFields();
  ShowHsvFields();
  DrawSwatch(gPicker->dialog, kColorPickerNewItem);
  DialogItemIndex focus = GetDialogKeyboardFocusItem(gPicker->dialog);
  if (focus) SelectDialogItemText(gPicker->dialog, focus, 0, 255);
}

void HandleHit(DialogItemIndex hit) {
  if (hit == kColorPickerOriginalItem) TakeOriginal();
  else if (hit >= kColorPickerRedItem && hit <= kColorPickerBlueItem) TakeRgbField(hit);
  else if (hit >= kColorPickerHueItem && hit <= kColorPickerValueItem) TakeHsvField();
}

// Typed characters other than digits are refused with a beep; control keys (editing, Tab,
// arrows) and command keys go on; Return, Escape and Command-period press their buttons.
Boolean PickerFilter(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
  if ((event->what == keyDown || event->what == autoKey) && !(event->modifiers & cmdKey)) {
    UInt8 ch = UInt8(event->message & charCodeMask);
    if (ch >= 0x20 && ch != kDeleteCharCode && (ch < '0' || ch > '9')) {
      SysBeep(1);
      event->what = nullEvent;
      return false;
    }
  }
  return StdFilterProc(dialog, event, itemHit);
}

// ---- The dialog ----------------------------------------------------------------------------

Rect PickerBounds(Point where) {
  if (where.h == 0 && where.v == 0) {
    Rect screen;
    GetPortBounds(GetScreenPort(), &screen);
    where.h = SInt16(screen.left + (screen.right - screen.left - kPickerWidth) / 2);
    where.v = SInt16(screen.top + (screen.bottom - screen.top - kPickerHeight) / 2);
    if (where.v < kMenuBarClearance) where.v = kMenuBarClearance;
  }
  return Rect{where.v, where.h, SInt16(where.v + kPickerHeight), SInt16(where.h + kPickerWidth)};
}

DialogRef MakePickerDialog(Point where, ConstStr255Param prompt) {
  Rect bounds = PickerBounds(where);
  return NewDialogFromItems(&bounds, reinterpret_cast<ConstStr255Param>("\017Choose a Colour"), true, movableDBoxProc,
                            reinterpret_cast<WindowRef>(-1), false, 0, ItemList(prompt));
}

void PrepareItems(DialogRef dialog) {
  for (DialogItemIndex item : {kColorPickerOriginalItem, kColorPickerNewItem}) {
    DialogItemType type = userItem;
    GetDialogItem(dialog, item, &type, nullptr, nullptr);
    SetDialogItem(dialog, item, type, UserItemHandle(DrawSwatch), nullptr);
  }
  SetDialogDefaultItem(dialog, kColorPickerOKItem);
  SetDialogCancelItem(dialog, kColorPickerCancelItem);
  ShowRgbFields();
  ShowHsvFields();
  SelectDialogItemText(dialog, kColorPickerRedItem, 0, 255);
}

bool RunPicker(PickerState* state) {
  for (;;) {
    DialogItemIndex hit = 0;
    ModalDialog(PickerFilter, &hit);
    if (!IsValidDialog(state->dialog) || hit == 0 || hit == kColorPickerCancelItem) return false;
    if (hit == kColorPickerOKItem) return true;
    HandleHit(hit);
  }
}

// ---- Scripted answers ----------------------------------------------------------------------

ScriptedAnswers gScript{"ZARIN_COLOR_REPLY", {}, 0};

// "rrggbb" as a colour; false for anything else.
bool ParseHexColor(const std::string& text, RGBColor* out) {
  if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
  unsigned long v = std::strtoul(text.c_str(), nullptr, 16);
  *out = RGBColor{Widen(long(v >> 16) & 0xFF), Widen(long(v >> 8) & 0xFF), Widen(long(v) & 0xFF)};
  return true;
}

}  // namespace

void SetColorPickerShownProc(ColorPickerShownProc proc, void* userData) {
  gShownProc = proc;
  gShownData = userData;
}

Boolean GetColor(Point where, ConstStr255Param prompt, const RGBColor* inColor, RGBColor* outColor) {
  if (!inColor || !outColor || gPicker) return false;  // one picker at a time
  std::string answer;
  if (NextScriptedAnswer(&gScript, &answer)) {
    RGBColor chosen;
    if (!ParseHexColor(answer, &chosen)) return false;
    *outColor = chosen;
    return true;
  }
  PickerState state;
  state.original = state.current = *inColor;
  state.dialog = MakePickerDialog(where, prompt);
  if (!state.dialog) return false;
  gPicker = &state;
  PrepareItems(state.dialog);
  DrawDialog(state.dialog);
  if (gShownProc) gShownProc(state.dialog, gShownData);
  bool confirmed = RunPicker(&state);
  if (IsValidDialog(state.dialog)) DisposeDialog(state.dialog);
  gPicker = nullptr;
  if (confirmed) *outColor = state.current;
  return confirmed;
}
