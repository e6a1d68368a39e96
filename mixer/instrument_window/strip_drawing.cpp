#include "mixer/instrument_window/strip_drawing.h"

#include <algorithm>
#include <bit>

#include "mixer/instrument_window/strip_geometry.h"
#include "mixer/instrument_window/strip_values.h"
#include "mixer/instrument_window/window_options.h"
#include "mixer/knobs/knob_geometry.h"
#include "mixer/meters/instrument_meters.h"
#include "mixer/outputs/instrument_values.h"
#include "platform/quickdraw/colors.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "platform/system/host_time.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "shell/base/app_strings.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/instrument_strip_layout.h"
#include "shell/windows/window_appearance.h"
#include "shell/windows/window_sizing.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/midi_port_table.h"
#include "song/instruments/output_kinds.h"

uint32_t gInstrumentWindowDrawTick = 0;

namespace {

constexpr int16_t kInstrumentTextList = 138;
constexpr int16_t kSeparatorColour = 21;
constexpr RGBColor kStripColour{0xD8D8, 0xD8D8, 0xD8D8};
constexpr RGBColor kBusStripColour{0xC8C8, 0xCCCC, 0xD8D8};
constexpr RGBColor kTrackColour{0x5555, 0x5555, 0x5555};
constexpr RGBColor kThumbColour{0x9999, 0x9999, 0x9999};
constexpr RGBColor kThumbPressedColour{0x6666, 0x6666, 0x6666};
constexpr RGBColor kLampLit[2] = {{0xE6E6, 0x3333, 0x2222}, {0xF0F0, 0xC8C8, 0x1E1E}};
constexpr RGBColor kBlack{0, 0, 0};
constexpr Pattern kBlackPattern{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
// The element labels of the label column: element, STR# 138 item.
constexpr int16_t kLabels[][2] = {{kStripOutput, 1}, {kStripChannel, 2}, {kStripPatchList, 14}, {kStripProgram, 3},
                                  {kStripPanValue, 4}, {kStripVolumeValue, 5}};
constexpr int16_t kTextFields[] = {kStripOutput, kStripChannel, kStripPatchList, kStripProgram, kStripPanValue,
                                   kStripVolumeValue};

AppWindow* Window() { return GetWindowForKind(kInstrumentWindowKindId); }

void StrText(int16_t item, Str255 text) {
  gStringBuffer[0] = 0;
  AppendIndString(kInstrumentTextList, int16_t(item - 1));
  PLstrcpy(text, gStringBuffer);
}

void NumberText(int32_t n, Str255 text) { NumToString(n, text); }

void EmptyText(Str255 text) {
  text[0] = 2;
  text[1] = text[2] = '-';
}

bool PlaysThroughPlugin(const uint8_t* r) { return r[kInstDeviceKinds] == kDeviceKindPlugin; }

// Text size 10, or 9 when the font is taller than 12 pixels; the line height at least 12.
void ChooseFont() {
  TextSize(10);
  FontInfo info{};
  GetFontInfo(&info);
  if (info.ascent + info.descent > 12) {
    TextSize(9);
    GetFontInfo(&info);
  }
  int16_t height = int16_t(info.ascent + info.descent + info.leading);
  gStripLineHeight = info.ascent + info.descent < 12 ? int16_t(12) : height;
}

void DrawCentred(ConstStr255Param text, const Rect& r) {
  int16_t width = StringWidth(text);
  MoveTo(int16_t((r.left + r.right - width) / 2), int16_t(r.bottom - 2));
  DrawString(text);
}

void OutputText(const uint8_t* r, Str255 text) {
  const uint8_t mask = r[kInstPartMask];
  if (std::popcount(mask) > 1) return StrText(11, text);
  if (!(mask & (1u << gCurrentInstrumentPart))) return StrText(mask == 0 ? 13 : 12, text);
  const uint8_t kind = r[kInstDeviceKinds + gCurrentInstrumentPart], port = r[kInstPorts + gCurrentInstrumentPart];
  if (kind == kDeviceKindMidiPort) GetPortEntryName(port, text);
  else PLstrcpy(text, GetOutputKindName(kind, port));
  if (text[0] == 0) EmptyText(text);
}

void ProgramText(const uint8_t* r, Str255 text) {
  if (int32_t send = ShownSendOf(gCurrentInstrument); send >= 0) {
    gStringBuffer[0] = 0;
    bool pre = (r[kInstSends + kInstSendSize * send + 3] & kSendPostFader) != 0;
    AppendIndString(kSendPlacementList, pre ? 2 : 1);
    PLstrcpy(text, gStringBuffer);
    return;
  }
  // Busses and the master have no program: their field names the first plug-in of the rack.
  if (PlaysThroughPlugin(r) || gCurrentInstrument >= gInstrumentCount) {
    text[0] = 0;
    Handle rack = InstrumentView(const_cast<uint8_t*>(r)).InsertRack();
    PluginInstance* plugin = rack ? GetChainPlugin(GetRackChainHead(rack), 0) : nullptr;
    if (plugin) GetPluginInstanceName(plugin, text);
    if (text[0] == 0) EmptyText(text);
    return;
  }
  int32_t program = int8_t(r[kInstProgram]);
  if (program < 0) return EmptyText(text);
  NumberText(program + ((r[kInstOptions] & kInstOptionProgramsFromOne) ? 1 : 0), text);
}

void FillStripBackground(const Rect& r, int32_t index) {
  RGBForeColor(index >= gInstrumentCount ? &kBusStripColour : &kStripColour);
  PaintRect(&r);
  RGBForeColor(&kBlack);
}

void DrawStripBody() {
  StripRect();
  Rect r = gScratchRect;
  FillStripBackground(r, gCurrentInstrument);
  SetForeColorIndex(kSeparatorColour);
  MoveTo(int16_t(r.right - 1), r.top);
  LineTo(int16_t(r.right - 1), int16_t(r.bottom - 1));
  RGBForeColor(&kBlack);
}

void DrawLamp(int16_t element, bool lit) {
  ElementRect(element);
  Rect oval = gScratchRect;
  oval.left = int16_t(oval.left + 2);
  oval.right = int16_t(oval.left + 7);
  if (lit) {
    RGBForeColor(&kLampLit[element == kStripSoloLamp ? 1 : 0]);
    FillOval(&oval, &kBlackPattern);
    RGBForeColor(&kBlack);
  } else {
    EraseOval(&oval);
  }
  FrameOval(&oval);
}

void DrawFaderTrack() {
  ElementRect(kStripFaderTrack);
  const Rect& t = gScratchRect;
  int16_t x = int16_t((t.left + t.right) / 2);
  RGBForeColor(&kTrackColour);
  MoveTo(x, int16_t(t.top + kFaderThumbHeight / 2));
  LineTo(x, int16_t(t.bottom - 1 + kFaderThumbHeight / 2));
  RGBForeColor(&kBlack);
}

void DrawKnob() {
  ElementRect(kStripPanKnob);
  Rect knob = gScratchRect;
  EraseOval(&knob);
  FrameOval(&knob);
  DrawKnobPointer(GetCurrentStripPan(), 127);
}

void DrawStripMeters() {
  const uint8_t* r = CurrentInstrumentRecord();
  ElementRect(kStripMeter);
  Rect meter = gScratchRect;
  DrawInstrumentMeters(r, &meter, StripMetersHaveTwoBars(r));
  ElementRect(kStripClip);
  Rect clip = gScratchRect;
  DrawClipIndicator(r, &clip);
}

// The link group number of a linked strip, framed.
void DrawLinkGroup(const uint8_t* r) {
  if (r[kInstLinkGroup] == 0) return;
  ElementRect(kStripLinkGroup);
  Rect box = gScratchRect;
  FrameRect(&box);
  Str255 text;
  NumberText(r[kInstLinkGroup], text);
  DrawCentred(text, box);
}

// A value whose changes are sent to the output carries a small square in the 8 pixels at the
// right of its field, where a click turns the sending on and off.
void DrawSendFlagMark(const uint8_t* r, int16_t element, const Rect& field) {
  uint8_t flag = element == kStripPanValue ? kSendPanChanges : element == kStripVolumeValue ? kSendVolumeChanges : 0;
  if (!flag || IsSendShown() || !(r[kInstMixerFlags] & flag)) return;
  int16_t middle = int16_t((field.top + field.bottom) / 2);
  Rect mark{int16_t(middle - 2), int16_t(field.right - 6), int16_t(middle + 2), int16_t(field.right - 2)};
  PaintRect(&mark);
}

void DrawElement(int16_t element) {
  const uint8_t* r = CurrentInstrumentRecord();
  if (!r) return;
  switch (element) {
    case kStripPanKnob:
    case kStripKnobArea:
      if (!IsMasterStrip(gCurrentInstrument)) DrawKnob();
      return;
    case kStripMuteLamp: DrawLamp(element, !IsStripAudible(gCurrentInstrument)); return;
    case kStripSoloLamp: DrawLamp(element, IsStripSoloed(gCurrentInstrument)); return;
    case kStripFaderTrack:
      DrawFaderTrack();
      DrawStripFaderThumb(false);
      return;
    case kStripMeter:
    case kStripClip:
      DrawStripMeters();
      return;
    case kStripLinkGroup: DrawLinkGroup(r); return;
    default: break;
  }
  ElementRect(element);
  Rect field = gScratchRect;
  Str255 text;
  GetStripFieldText(element, text);
  if (text[0]) DrawCentred(text, field);
  DrawSendFlagMark(r, element, field);
}

// The instrument elements a strip shows: the master has no knob and no pan, busses no
// output, channel, patch list or program of their own.
bool StripHasElement(int32_t index, int16_t element) {
  if (index < gInstrumentCount) return true;
  switch (element) {
    case kStripOutput: case kStripChannel: case kStripPatchList: return false;
    case kStripPanValue: case kStripPanKnob: return !IsMasterStrip(index);
    default: return true;
  }
}

void DrawStripContents() {
  for (int16_t element : kTextFields)
    if (StripHasElement(gCurrentInstrument, element)) DrawElement(element);
  if (StripHasElement(gCurrentInstrument, kStripPanKnob)) DrawElement(kStripPanKnob);
  if (!IsMasterStrip(gCurrentInstrument)) {
    DrawElement(kStripMuteLamp);
    DrawElement(kStripSoloLamp);
  }
  DrawElement(kStripFaderTrack);
  DrawElement(kStripMeter);
  if (gCurrentInstrument < gInstrumentCount) DrawElement(kStripLinkGroup);
}

void DrawLabelColumn() {
  Str255 text;
  StrText(10, text);
  Rect title{GetStripNameTop(), 0, int16_t(GetStripNameTop() + kStripNameRowHeight), kStripColumnLeft};
  DrawCentred(text, title);
  for (const auto& [element, item] : kLabels) {
    StrText(item, text);
    MoveTo(6, int16_t(gStripTop + gStripElementRects[element].bottom - 2));
    DrawString(text);
  }
  StrText(17, text);
  MoveTo(6, 14);
  DrawString(text);
}

void DrawSeparatorAfter(int32_t lastIndex) {
  int16_t x = GetStripLeft(lastIndex);
  if (x < 0) return;
  x = int16_t(x + gInstrumentStripWidth);
  SetForeColorIndex(kSeparatorColour);
  MoveTo(x, gStripTop);
  LineTo(x, int16_t(gStripTop + gInstrumentStripHeight - 1));
  RGBForeColor(&kBlack);
}

void DrawStripName() {
  const uint8_t* r = CurrentInstrumentRecord();
  StripNameRect();
  Rect box = gScratchRect;
  Str255 name;
  if (!r) name[0] = 0;
  else if (IsMasterStrip(gCurrentInstrument)) StrText(10, name);
  else PLstrcpy(name, r + kInstName);
  bool selected = r && (r[kInstFlags] & kInstFlagSelected);
  if (selected) {
    SetHiliteBackColor();
    EraseRect(&box);
  }
  TextFace(r && PlaysThroughPlugin(r) ? bold : normal);
  if (StringWidth(name) <= box.right - box.left) DrawCentred(name, box);
  else DrawPStringRightAligned(name, false, gStripLineHeight);
  TextFace(normal);
  if (selected) {
    BackColor(whiteColor);
    ForeColor(blackColor);
  }
}

// Runs fn with gCurrentInstrument on every shown strip (instruments in table order, then the
// busses and the master) and restores it.
template <typename Fn>
void ForEachShownStrip(Fn fn) {
  int32_t saved = gCurrentInstrument;
  for (int32_t i = 0; i <= GetMasterIndex(); ++i) {
    if (!IsStripShown(i)) continue;
    gCurrentInstrument = i;
    fn();
  }
  gCurrentInstrument = saved;
}

// The port of the shown window, clipped to it; false when the window is not shown.
bool FocusInstrumentWindow() {
  AppWindow* w = Window();
  if (!IsAppWindowVisible(w)) return false;
  FocusAppWindow(w);
  if (gFaderTravel <= 0) LayoutInstrumentStrip();
  return true;
}

}  // namespace

void FillStripBackgroundRect(const Rect* r) { FillStripBackground(*r, gCurrentInstrument); }

void GetStripFieldText(int16_t element, Str255 text) {
  text[0] = 0;
  const uint8_t* r = CurrentInstrumentRecord();
  if (!r) return;
  switch (element) {
    case kStripOutput: return OutputText(r, text);
    case kStripChannel: return NumberText(r[kInstChannels] + 1, text);
    case kStripPatchList: return EmptyText(text);  // no instrument definitions are loaded
    case kStripProgram: return ProgramText(r, text);
    case kStripPanValue: return NumberText(GetCurrentStripPan(), text);
    case kStripVolumeValue: return NumberText(GetCurrentStripVolume(), text);
    default: return;
  }
}

void DrawInstrumentWindow() {
  if (!FocusInstrumentWindow()) return;
  ChooseFont();
  TextMode(srcOr);
  Rect bounds{};
  GetWindowPortBounds(GetAppWindowRef(Window()), &bounds);
  BackColor(whiteColor);
  EraseRect(&bounds);
  int32_t saved = gCurrentInstrument;
  gCurrentInstrument = GetMasterIndex();
  DrawLabelColumn();
  ForEachShownStrip([] { DrawStripBody(); });
  int32_t lastShown = -1;
  for (int32_t i = 0; i < gInstrumentCount; ++i)
    if (IsStripShown(i) && (lastShown < 0 || GetStripLeft(i) > GetStripLeft(lastShown))) lastShown = i;
  if (lastShown >= 0) DrawSeparatorAfter(lastShown);
  if (gAuxBusCount > 0) DrawSeparatorAfter(gInstrumentCount + gAuxBusCount - 1);
  DrawSendButton();
  ForEachShownStrip([] { DrawStripName(); });
  ForEachShownStrip([] { DrawStripContents(); });
  gCurrentInstrument = saved;
  gInstrumentWindowDrawTick = TickCount();
}

void RedrawStripElement(int16_t element) {
  if (!IsStripShown(gCurrentInstrument) || !StripHasElement(gCurrentInstrument, element)) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  if (!FocusInstrumentWindow()) return;
  ChooseFont();
  TextMode(srcOr);
  ElementRect(element == kStripFaderTrack ? kStripFaderTrack : element);
  Rect r = gScratchRect;
  if (element == kStripFaderTrack) {
    r.bottom = int16_t(r.bottom + kFaderThumbHeight);
  }
  FillStripBackground(r, gCurrentInstrument);
  DrawElement(element);
  if (saved) SetPort(saved);
}

void RedrawStripNames() {
  GrafPtr saved = nullptr;
  GetPort(&saved);
  if (!FocusInstrumentWindow()) return;
  ChooseFont();
  Rect bounds{};
  GetWindowPortBounds(GetAppWindowRef(Window()), &bounds);
  Rect row{GetStripNameTop(), kStripColumnLeft, int16_t(GetStripNameTop() + 2 * kStripNameRowHeight), bounds.right};
  BackColor(whiteColor);
  EraseRect(&row);
  TextMode(srcOr);
  ForEachShownStrip([] { DrawStripName(); });
  if (saved) SetPort(saved);
}

bool IsSendButtonShown() { return !(gInstrumentWindowOptionWord & kHideSendButton); }

void DrawSendButton() {
  if (!IsSendButtonShown()) return;
  const int32_t saved = gCurrentInstrument;
  gCurrentInstrument = GetMasterIndex();
  ElementRect(kStripSendButton);
  Rect button = gScratchRect;
  EraseRect(&button);
  FrameRect(&button);
  InsetRect(&button, 2, 2);
  FrameRect(&button);
  gCurrentInstrument = saved;
}

void DrawStripFaderThumb(bool pressed) {
  Rect thumb = FaderThumbRect(GetCurrentStripVolume());
  CIconHandle icon = pressed && gFaderThumbPressedIcon ? gFaderThumbPressedIcon : gFaderThumbIcon;
  if (icon) return PlotCIcon(&thumb, icon);
  RGBForeColor(pressed ? &kThumbPressedColour : &kThumbColour);
  PaintRect(&thumb);
  RGBForeColor(&kBlack);
  FrameRect(&thumb);
  int16_t middle = int16_t((thumb.top + thumb.bottom) / 2);
  MoveTo(int16_t(thumb.left + 2), middle);
  LineTo(int16_t(thumb.right - 3), middle);
}

void MoveStripFaderThumb(int32_t oldVolume, int32_t newVolume) {
  if (!IsStripShown(gCurrentInstrument)) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  if (!FocusInstrumentWindow()) return;
  Rect before = FaderThumbRect(oldVolume), after = FaderThumbRect(newVolume), both{};
  UnionRect(&before, &after, &both);
  FillStripBackground(both, gCurrentInstrument);
  SetScratchRectFrom(&both);
  ClipToScratchRect();
  DrawFaderTrack();
  DrawStripFaderThumb(false);
  ClipToPortBounds();
  if (saved) SetPort(saved);
}
