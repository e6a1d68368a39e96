#include "mixer/window/mixer_drawing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mixer/knobs/knob_geometry.h"
#include "mixer/window/mixer_header.h"
#include "mixer/window/mixer_rows.h"
#include "mixer/window/mixer_selection.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/text/pascal_strings.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "song/instruments/rack_sharing.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_parameters.h"
#include "shell/base/app_strings.h"
#include "shell/base/pen_numbers.h"
#include "shell/drawing/bitmap_resources.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/track_text.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_sizing.h"

uint8_t gRackPower = 1;
int16_t gMixerRedrawFirst = 32767;
int16_t gMixerRedrawLast = -1;

namespace {

constexpr int16_t kLinkBitmap = 336;
constexpr int16_t kAddBitmap = 337;
constexpr int16_t kPageLeftBitmap = 143;
constexpr int16_t kPageRightBitmap = 144;
constexpr int16_t kHeaderBandPicture = 5120;
constexpr int16_t kBottomBarPicture = 5122;
constexpr int16_t kClosingLeftPicture = 5123;
constexpr int16_t kClosingRightPicture = 5124;
constexpr int16_t kLeftFramePicture = 5125;
constexpr int16_t kRightFramePicture = 5126;
constexpr int16_t kRowColourPictures = 5127;  // + 8 x colour
constexpr int16_t kRowColourWidth = 492;
constexpr int16_t kRowColourHeight = 82;
// The plug-in colours of the colour menu (1 grey .. 8 brown), as pale fills for rows whose
// colour picture is missing.
constexpr RGBColor kRowColours[9] = {
    {0xFFFF, 0xFFFF, 0xFFFF}, {0xD8D8, 0xD8D8, 0xD8D8}, {0xB8B8, 0xCCCC, 0xF0F0},
    {0xBCBC, 0xE4E4, 0xBCBC}, {0xF0F0, 0xB8B8, 0xB8B8}, {0xF8F8, 0xD4D4, 0xA8A8},
    {0xD8D8, 0xC0C0, 0xECEC}, {0xB0B0, 0xE0E0, 0xDCDC}, {0xD8D8, 0xC4C4, 0xACAC}};
constexpr uint8_t kBullet = 0xA5;
constexpr int16_t kBooleanUnit = 2;
constexpr float kKnobScale = float(kParameterKnobMaximum);

// A picture resource into the rectangle; nothing when it is missing.
void DrawPictureIn(int16_t id, const Rect& r) {
  if (PicHandle pic = GetPicture(id)) DrawPicture(pic, &r);
}

void DrawTextIn(ConstStr255Param text, const Rect& r, int16_t align) {
  Str255 cut;
  TruncatePStringToWidth(text, cut, int16_t(r.right - r.left), kTruncateWithEllipsis);
  int16_t width = StringWidth(cut);
  int16_t h = align == 2 ? int16_t((r.left + r.right - width) / 2) : r.left;
  MoveTo(h, int16_t(r.bottom - 2));
  DrawString(cut);
}

void CToPString(const char* text, Str255 out) { CopyCStringToPascal(text, out); }

// --- rack faders ----------------------------------------------------------------------------

void DrawOneFader(const MixerRows& rows, int32_t fader, bool expanded) {
  double values[3];
  ReadRackFaders(rows.count > 0 ? rows.plugins[0] : nullptr, values);
  Rect column = RackFaderColumn(expanded, fader);
  EraseRect(&column);
  int16_t centre = int16_t((column.left + column.right) / 2);
  Rect empty = RackFaderThumb(expanded, fader, 0, 1);
  Rect full = RackFaderThumb(expanded, fader, 1, 1);
  MoveTo(centre, int16_t(full.top + kRackFaderThumbHeight / 2));
  LineTo(centre, int16_t(empty.top + kRackFaderThumbHeight / 2));
  Rect thumb = RackFaderThumb(expanded, fader, values[fader], kRackFaderMaxima[fader]);
  EraseRect(&thumb);
  FrameRect(&thumb);
  MoveTo(int16_t(thumb.left + 3), int16_t((thumb.top + thumb.bottom) / 2));
  LineTo(int16_t(thumb.right - 4), int16_t((thumb.top + thumb.bottom) / 2));
  gStringBuffer[0] = 0;
  AppendIndString(kMixerStrList, int16_t(kFaderLabelItem + fader));
  Rect label = column;
  label.top = int16_t(column.top + 1);
  label.bottom = int16_t(column.top + 12);
  DrawTextIn(gStringBuffer, label, 2);
}

void DrawLinkSwitch(const MixerRows& rows, bool expanded) {
  Rect sw = RackLinkSwitchRect(expanded);
  int16_t middle = int16_t((sw.top + sw.bottom) / 2);
  int16_t from = int16_t(RackFaderColumn(expanded, 1).bottom + 2);
  int16_t x1 = int16_t(12 + kRackFaderWidth + kRackFaderWidth / 2);
  int16_t x2 = int16_t(x1 + kRackFaderWidth);
  MoveTo(x1, from);
  LineTo(x1, middle);
  LineTo(int16_t(sw.left - 2), middle);
  MoveTo(x2, from);
  LineTo(x2, middle);
  LineTo(int16_t(sw.right + 1), middle);
  EraseRect(&sw);
  FrameRect(&sw);
  PluginInstance* first = rows.count > 0 ? rows.plugins[0] : nullptr;
  if (first && (GetPluginMixerFlags(first) & kMixerFlagLink)) {
    if (DrawBitmapResource(nullptr, sw.left, sw.top, 0, kLinkBitmap) == 0) {
      Rect inner = sw;
      InsetRect(&inner, 2, 2);
      PaintRect(&inner);
    }
  }
}

void DrawRackFaders(const MixerRows& rows, bool expanded) {
  for (int32_t i = 0; i < 3; ++i) DrawOneFader(rows, i, expanded);
  DrawLinkSwitch(rows, expanded);
}

// --- one row ---------------------------------------------------------------------------------

void DrawRowFrames(int16_t top, int16_t height) {
  for (int16_t v = top; v < top + height; v += 82) {
    DrawPictureIn(kLeftFramePicture, Rect{v, int16_t(3 * kRackFaderWidth + 15), int16_t(v + 82), int16_t(3 * kRackFaderWidth + 39)});
    DrawPictureIn(kRightFramePicture, Rect{v, int16_t(3 * kRackFaderWidth + 531), int16_t(v + 82), int16_t(3 * kRackFaderWidth + 555)});
  }
}

void DrawBypass(PluginInstance* plugin, bool expanded, int16_t top) {
  Rect box = MixerBypassRect(expanded, top);
  EraseRect(&box);
  FrameRect(&box);
  if (GetBypassState(plugin)) {
    Rect inner = box;
    InsetRect(&inner, 2, 2);
    PaintRect(&inner);
  }
}

void AppendBullets(Str255 text, int32_t count) {
  for (int32_t i = 0; i < count && text[0] < 250; ++i) text[++text[0]] = kBullet;
}

void DrawRowName(PluginInstance* plugin, bool expanded, int16_t top) {
  Rect r = MixerNameRect(expanded, top);
  EraseRect(&r);
  Str255 name;
  GetPluginInstanceName(plugin, name);
  Str255 line;
  line[0] = 0;
  AppendBullets(line, int32_t(std::min<uint32_t>(plugin->inputChannels, 32)));
  line[++line[0]] = ' ';
  int16_t inWidth = StringWidth(line);
  MoveTo(r.left, int16_t(r.bottom - 2));
  DrawString(line);
  TextFace(bold);
  Str255 cut;
  TruncatePStringToWidth(name, cut, int16_t(std::max(10, r.right - r.left - inWidth - 60)), kTruncateWithEllipsis);
  DrawString(cut);
  TextFace(normal);
  line[0] = 0;
  line[++line[0]] = ' ';
  if (plugin->outputChannels >= 9) {
    char text[32];
    std::snprintf(text, sizeof text, "%u outs", plugin->outputChannels);
    Str255 outs;
    CToPString(text, outs);
    std::memcpy(line + 2, outs + 1, outs[0]);
    line[0] = uint8_t(1 + outs[0]);
  } else {
    AppendBullets(line, int32_t(plugin->outputChannels));
  }
  DrawString(line);
}

void DrawRowLines(PluginInstance* plugin, const MixerRowShape& shape, bool expanded, int16_t top) {
  if (RowHasProgramLine(shape)) {
    Rect r = MixerProgramRect(expanded, top);
    EraseRect(&r);
    FrameRect(&r);
    Str255 name;
    // The program the pop-up chose; an Audio Unit reports its own preset's name.
    if (plugin->name[0] > 0) CopyPString(plugin->name, name, 31);
    else CopyPString(plugin->currentPresetName, name, 63);
    Rect text = r;
    InsetRect(&text, 3, 0);
    DrawTextIn(name, text, 0);
  }
  if (RowHasSoundBankLine(shape)) {
    Rect r = MixerSoundBankRect(shape, expanded, top);
    EraseRect(&r);
    gStringBuffer[0] = 0;
    if (!expanded) GetAppString(90);
    if (plugin->soundBank[6] > 0) {
      Str255 file;
      std::memcpy(file, plugin->soundBank + 6, std::min<size_t>(plugin->soundBank[6] + 1, 64));
      AppendPString(gStringBuffer, file);
    } else {
      Str255 none;
      CopyPString(gStringBuffer, none, 255);
      GetAppString(22);
      Str255 word;
      CopyPString(gStringBuffer, word, 255);
      CopyPString(none, gStringBuffer, 255);
      AppendPString(gStringBuffer, word);
    }
    DrawTextIn(gStringBuffer, r, 0);
  }
}

void DrawRowButtons(PluginInstance* plugin, bool expanded, int16_t top) {
  if (plugin->receivesMidi) {
    Rect options = MixerOptionsButtonRect(expanded, top);
    EraseRect(&options);
    FrameOval(&options);
    MoveTo(int16_t(options.left + 4), int16_t((options.top + options.bottom) / 2));
    LineTo(int16_t(options.right - 5), int16_t((options.top + options.bottom) / 2));
  }
  Rect editor = MixerEditorButtonRect(expanded, top);
  EraseRect(&editor);
  FrameRoundRect(&editor, 6, 6);
  gStringBuffer[0] = 0;
  AppendIndString(kMixerStrList, kEditorButtonItem);
  DrawTextIn(gStringBuffer, editor, 2);
  if (!expanded) return;
  Rect remove = MixerRemoveButtonRect(true, top);
  EraseRect(&remove);
  FrameRect(&remove);
  MoveTo(int16_t(remove.left + 4), int16_t(remove.top + 4));
  LineTo(int16_t(remove.right - 5), int16_t(remove.bottom - 5));
  MoveTo(int16_t(remove.right - 5), int16_t(remove.top + 4));
  LineTo(int16_t(remove.left + 4), int16_t(remove.bottom - 5));
}

// A page arrow's bitmap, or a plain triangle when the bitmap is missing.
void DrawPageArrow(const Rect& r, bool right, int16_t id) {
  if (DrawBitmapResource(nullptr, r.left, r.top, 0, id) != 0) return;
  int16_t middle = int16_t((r.top + r.bottom) / 2);
  for (int16_t i = 0; i < 5; ++i) {
    int16_t h = right ? int16_t(r.left + 3 + i) : int16_t(r.right - 4 - i);
    MoveTo(h, int16_t(middle - 4 + i));
    LineTo(h, int16_t(middle + 4 - i));
  }
}

void DrawPageArrows(PluginInstance* plugin, const MixerRowShape& shape, bool expanded, int16_t top) {
  int32_t shown = MixerVisibleKnobs(shape, expanded);
  if (shape.firstVisible > 0) DrawPageArrow(MixerPageArrowRect(expanded, top, false), false, kPageLeftBitmap);
  if (shape.firstVisible + shown < int32_t(plugin->parameterCount))
    DrawPageArrow(MixerPageArrowRect(expanded, top, true), true, kPageRightBitmap);
}

// The mixer's font, looked up once by name; 0 when it is missing (the small system font).
int16_t MixerFont() {
  static bool looked = false;
  static int16_t font = 0;
  if (!looked) {
    GetFNum(reinterpret_cast<ConstStr255Param>("\x0b" "Copperplate"), &font);
    looked = true;
  }
  return font;
}

// An expanded row drawn without parameters: the name in the mixer's font, cut before the
// colour's edge, then the input and output counts in boxes of their own.
void DrawLargeRowName(PluginInstance* plugin, int16_t top) {
  Rect r = MixerNameRect(true, top);
  EraseRect(&r);
  Str255 name;
  GetPluginInstanceName(plugin, name);
  int16_t font = MixerFont();
  TextFont(font);
  TextSize(11);
  int16_t end = int16_t(MixerRowsLeft(true) + (plugin->colourIndex == 2 ? 369 : 445) - 90);
  Rect nameRect{r.top, r.left, r.bottom, std::min(end, r.right)};
  DrawTextIn(name, nameRect, 0);
  char text[32];
  std::snprintf(text, sizeof text, "%u in", plugin->inputChannels);
  Str255 s;
  CopyCStringToPascal(text, s);
  DrawTextIn(s, Rect{r.top, nameRect.right, r.bottom, int16_t(nameRect.right + 44)}, 0);
  std::snprintf(text, sizeof text, "%u out", plugin->outputChannels);
  CopyCStringToPascal(text, s);
  DrawTextIn(s, Rect{r.top, int16_t(nameRect.right + 46), r.bottom, int16_t(nameRect.right + 90)}, 0);
  TextFont(0);
  TextSize(0);
}

// An expanded row without parameters shows its colour: the colour's picture, or, when that
// is missing, the box filled with the colour.
void DrawRowColour(const PluginInstance* plugin, const MixerRowShape& shape, int16_t top) {
  int32_t colour = plugin->colourIndex == 0 ? 1 : plugin->colourIndex;
  int16_t left = MixerRowsLeft(true);
  Rect box{top, left, int16_t(top + kRowColourHeight), int16_t(left + kRowColourWidth)};
  int32_t picture = colour == 2 && !RowHasSoundBankLine(shape) ? 9 : colour;
  if (PicHandle pic = GetPicture(int16_t(kRowColourPictures + 8 * picture))) {
    DrawPicture(pic, &box);
    return;
  }
  RGBColor saved;
  GetForeColor(&saved);
  RGBForeColor(&kRowColours[colour < 9 ? colour : 1]);
  PaintRect(&box);
  RGBForeColor(&saved);
}

void DrawRow(const MixerRows& rows, int32_t row, bool inWindow) {
  bool expanded = gMixerExpanded != 0;
  PluginInstance* plugin = rows.plugins[row];
  const MixerRowShape& shape = rows.shapes[row];
  int16_t top = MixerRowTopOf(rows, row);
  int16_t height = rows.heights[row];
  Rect area{top, MixerRowsLeft(expanded), int16_t(top + height), kMixerWidth};
  EraseRect(&area);
  if (expanded) DrawRowFrames(top, height);
  if (expanded && shape.withoutParameters) DrawRowColour(plugin, shape, top);
  MoveTo(area.left, int16_t(area.bottom - 1));
  LineTo(int16_t(area.right - 1), int16_t(area.bottom - 1));
  if (GetPluginMixerFlags(plugin) & kMixerFlagSelected) {
    Rect mark{int16_t(top + 1), int16_t(area.left + 1), int16_t(top + height - 2), int16_t(area.left + 3)};
    PaintRect(&mark);
  }
  DrawBypass(plugin, expanded, top);
  if (expanded && shape.withoutParameters) DrawLargeRowName(plugin, top);
  else DrawRowName(plugin, expanded, top);
  DrawRowLines(plugin, shape, expanded, top);
  DrawRowButtons(plugin, expanded, top);
  int32_t shown = MixerVisibleKnobs(shape, expanded);
  for (int32_t k = 0; k < shown; ++k) DrawMixerKnobCell(plugin, row, k, rows);
  DrawPageArrows(plugin, shape, expanded, top);
  (void)inWindow;
}

// --- the rack ---------------------------------------------------------------------------------

void DrawBottom(const MixerRows& rows, bool inWindow) {
  int16_t bottom = MixerRowsBottom(rows);
  int16_t w = kRackFaderWidth;
  if (inWindow) {
    DrawPictureIn(kClosingLeftPicture, Rect{bottom, int16_t(3 * w + 15), int16_t(bottom + 82), int16_t(3 * w + 39)});
    DrawPictureIn(kClosingRightPicture, Rect{bottom, int16_t(3 * w + 531), int16_t(bottom + 82), int16_t(3 * w + 555)});
  }
  int16_t bar = int16_t(bottom + MixerBaseRowHeight(true));
  DrawPictureIn(kBottomBarPicture, Rect{bar, int16_t(3 * w + 29), int16_t(bar + 22), int16_t(3 * w + 541)});
  if (!inWindow) return;
  Rect add = MixerAddButtonRect(bottom);
  if (DrawBitmapResource(nullptr, add.left, add.top, 0, kAddBitmap) == 0) {
    FrameRect(&add);
    MoveTo(int16_t(add.left + 2), int16_t(add.top + 4));
    LineTo(int16_t(add.right - 3), int16_t(add.top + 4));
    MoveTo(int16_t(add.left + 4), int16_t(add.top + 2));
    LineTo(int16_t(add.left + 4), int16_t(add.bottom - 3));
  }
}

void DrawHint(const MixerRows& rows) {
  gStringBuffer[0] = 0;
  int32_t kind = GetMixerSelectionKind();
  AppendIndString(kMixerStrList, int16_t(kind == kMixerSelectsTrack && !rows.rack ? kNoRackHintItem : kLockedHintItem));
  TextSize(24);
  Rect r{int16_t(MixerHeaderHeight(false) + 10), MixerRowsLeft(false), int16_t(MixerHeaderHeight(false) + 44), kMixerWidth};
  DrawTextIn(gStringBuffer, r, 2);
  TextSize(0);
}

void DrawPowerSwitch() {
  Rect r = RackPowerSwitchRect();
  EraseRect(&r);
  FrameOval(&r);
  if (gRackPower) {
    Rect inner = r;
    InsetRect(&inner, 3, 3);
    PaintOval(&inner);
  }
}

}  // namespace

void DrawMixerKnobCell(PluginInstance* plugin, int32_t row, int32_t k, const MixerRows& rows) {
  bool expanded = gMixerExpanded != 0;
  const MixerRowShape& shape = rows.shapes[row];
  int16_t top = MixerRowTopOf(rows, row);
  int32_t index = shape.firstVisible + k;
  Rect cell = MixerKnobCell(shape, expanded, top, k);
  EraseRect(&cell);
  char text[72] = {};
  Str255 s;
  GetParameterName(plugin, index, text, int32_t(sizeof text));
  CToPString(text, s);
  Rect nameRect{cell.top, cell.left, int16_t(cell.top + 11), int16_t(cell.left + 56)};
  TextSize(9);
  DrawTextIn(s, nameRect, 2);
  Rect knob = MixerKnobRect(shape, expanded, top, k);
  float value = GetPluginParameterChecked(plugin, index);
  ParameterDescription info;
  bool boolean = GetParameterInfo(plugin, index, &info) == noErr && info.unit == kBooleanUnit;
  if (boolean) {
    Rect lamp = knob;
    InsetRect(&lamp, 6, 6);
    FrameRect(&lamp);
    if (value > 0.5f) PaintRect(&lamp);
  } else {
    FrameOval(&knob);
    SetScratchRectFrom(&knob);
    DrawKnobPointer(int32_t(value * kKnobScale + 0.5f), int32_t(kKnobScale));
  }
  text[0] = 0;
  GetParameterValueText(plugin, index, text, int32_t(sizeof text), nullptr);
  CToPString(text, s);
  Rect valueRect = MixerValueTextRect(knob);
  valueRect.top = int16_t(knob.bottom);
  valueRect.bottom = int16_t(knob.bottom + 11);
  DrawTextIn(s, valueRect, 2);
  GetParameterLabel(plugin, index, text, int32_t(sizeof text));
  CToPString(text, s);
  valueRect.top = int16_t(knob.bottom + 9);
  valueRect.bottom = int16_t(knob.bottom + 20);
  DrawTextIn(s, valueRect, 2);
  TextSize(0);
}

void DrawMixerRack(bool inWindow) {
  MixerRows rows;
  CollectMixerRows(&rows);
  bool expanded = gMixerExpanded != 0;
  DrawMixerHeader(rows, expanded);
  DrawPowerSwitch();
  DrawRackFaders(rows, expanded);
  if (expanded) DrawPictureIn(kHeaderBandPicture, Rect{MixerHeaderHeight(false), MixerRowsLeft(true), MixerHeaderHeight(true), int16_t(MixerRowsLeft(true) + 540)});
  if (!rows.rack || rows.locked) {
    if (!expanded) DrawHint(rows);
    return;
  }
  for (int32_t i = 0; i < rows.count; ++i) DrawRow(rows, i, inWindow);
  if (expanded) DrawBottom(rows, inWindow);
}

void DrawMixerWindow() {
  AppWindow* w = GetWindowForKind(kMixerKind);
  if (!w || !w->window) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortToAppWindow(w);
  ForeColor(blackColor);
  BackColor(whiteColor);
  Rect all;
  GetWindowPortBounds(w->window, &all);
  EraseRect(&all);
  DrawMixerRack(true);
  if (saved) SetPort(saved);
}

void RedrawMixerParameters(int32_t row) {
  AppWindow* w = GetWindowForKind(kMixerKind);
  if (!IsAppWindowVisible(w)) return;
  MixerRows rows;
  CollectMixerRows(&rows);
  if (row < 0 || row >= rows.count) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortToAppWindow(w);
  int32_t shown = MixerVisibleKnobs(rows.shapes[row], gMixerExpanded != 0);
  for (int32_t k = 0; k < shown; ++k) DrawMixerKnobCell(rows.plugins[row], row, k, rows);
  if (saved) SetPort(saved);
}

void RedrawRackFader(int32_t fader) {
  AppWindow* w = GetWindowForKind(kMixerKind);
  if (!IsAppWindowVisible(w) || fader < 0 || fader > 2) return;
  MixerRows rows;
  CollectMixerRows(&rows);
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortToAppWindow(w);
  DrawOneFader(rows, fader, gMixerExpanded != 0);
  if (saved) SetPort(saved);
}

void ResetMixerRedrawRange() {
  gMixerRedrawFirst = 32767;
  gMixerRedrawLast = -1;
}

// The rows whose plug-ins the plug-in callbacks marked as changed (change flags 0x11) join
// the redraw range.
static void WidenMixerRedrawRange() {
  MixerRows rows;
  CollectMixerRows(&rows);
  if (!rows.rack || rows.locked) return;
  for (int32_t i = 0; i < rows.count; ++i) {
    if (!(rows.plugins[i]->changeFlags & 0x11)) continue;
    gMixerRedrawFirst = int16_t(std::min<int32_t>(gMixerRedrawFirst, i));
    gMixerRedrawLast = int16_t(std::max<int32_t>(gMixerRedrawLast, i));
  }
}

void RedrawMixerRange() {
  WidenMixerRedrawRange();
  for (int32_t row = gMixerRedrawFirst; row <= gMixerRedrawLast; ++row) RedrawMixerParameters(row);
  ResetMixerRedrawRange();
}

// Sizing a window makes its port current: the caller's port is kept.
static void SizeMixerWindow(AppWindow* w, int16_t height) {
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetAppWindowSize(w, kMixerWidth, height);
  if (saved) SetPort(saved);
}

void UpdateMixerInsertArea() {
  AppWindow* w = GetWindowForKind(kMixerKind);
  if (!w || !w->window) return;
  MixerRows rows;
  CollectMixerRows(&rows);
  SizeMixerWindow(w, MixerWindowHeight(rows.heights, rows.count, gMixerExpanded != 0));
  RedrawAppWindow(w);
}

// The window follows its rows when the chain changed outside the mixer (a song opened or
// switched, a plug-in placed from elsewhere).
static void FollowRowsHeight(const MixerRows& rows) {
  AppWindow* w = GetWindowForKind(kMixerKind);
  if (!w || !w->window) return;
  Rect bounds;
  GetWindowPortBounds(w->window, &bounds);
  int16_t wanted = MixerWindowHeight(rows.heights, rows.count, gMixerExpanded != 0);
  if (bounds.bottom - bounds.top == wanted && bounds.right - bounds.left == kMixerWidth) return;
  SizeMixerWindow(w, wanted);
  RedrawAppWindow(w);
}

void MixerRefreshIdle() {
  MixerRows rows;
  CollectMixerRows(&rows);
  FollowRowsHeight(rows);
  if (!rows.rack || rows.locked) return;
  for (int32_t i = 0; i < rows.count; ++i) {
    PluginInstance* p = rows.plugins[i];
    uint8_t flags = p->changeFlags;
    if (flags == 0) continue;
    p->changeFlags = 0;
    if (flags & 0x11) RedrawMixerParameters(i);
    if (flags & 0x08) RedrawRackFader(2);
    if (flags & 0x04) RedrawRackFader(1);
    if (flags & 0x02) RedrawRackFader(0);
  }
}

void GetRackInsertName(int32_t n, Str255 name) {
  name[0] = 0;
  Handle rack = GetTrackInsertRack();
  if (!IsInsertRack(rack) || (GetRackFlags(rack) & kRackFlagInsertsOff)) return;
  if (PluginInstance* p = GetChainPlugin(GetRackChainHead(rack), n)) GetPluginInstanceName(p, name);
}
