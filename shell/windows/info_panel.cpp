#include "shell/windows/info_panel.h"

#include <algorithm>

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pictures.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "sequencer/midi/instrument_routing.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/base/app_strings.h"
#include "shell/base/pen_numbers.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/offscreen_images.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/scratch_pictures.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_display.h"
#include "shell/windows/counter_window.h"
#include "shell/windows/window_activation.h"
#include "shell/windows/window_appearance.h"
#include "song/events/utility_event_selection.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/output_kinds.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_template.h"

int16_t gInfoPanelLampPictures[kInfoPanelLampCount] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
int8_t gInfoPanelStyleByte = 0;

namespace {

constexpr int16_t kLabelTextSize = 10;
constexpr int16_t kLabelTextHeight = 10;
// The sequence text and the all-channels text of the general list (items 98 and 84).
constexpr int16_t kSequenceTrackText = 97;
constexpr int16_t kAllChannelsText = 83;
constexpr uint8_t kNoOutputKind = 11;
constexpr int16_t kChannelNumberOffset = 15;
// The indicators: the editor's mode bit 0 and the transport display word's bit 0x100.
constexpr uint8_t kEditorModeIndicator = 0x01;
constexpr uint16_t kDisplayIndicator = 0x100;
// The transport option byte: the sync lamps' bits, the mode lamps' bits, the counter rect bit.
constexpr uint8_t kSyncLampBits[2] = {0x01, 0x02};
constexpr uint8_t kModeLampBits[5] = {0x04, 0x08, 0x10, 0x20, 0x40};
constexpr uint8_t kOptionCounterRect = 0x80;
constexpr int16_t kCounterForeColour = 22;
constexpr int16_t kLampSize = 8;
// The lamps' places: indicators, sync lamps and mode lamps in columns right of the time well.
constexpr int16_t kLampPlaces[kInfoPanelLampCount][2] = {
    {8, 344}, {24, 344}, {8, 360}, {24, 360}, {8, 376}, {24, 376}, {8, 392}, {24, 392}, {44, 392}};

uint8_t gInfoPanelShownValue = 0;

bool HasCurrentTrack() { return gCurrentTrack && gCurrentTrack != gTrackTemplate; }

// The MIDI channel (0-based) of the track's first instrument part; 0 without an instrument.
int32_t GetTrackChannel(const uint8_t* track) {
  const uint8_t* record = GetInstrumentRecord(GetTrackInstrument(track, 0));
  return record ? record[kInstChannels] : 0;
}

// name "-" channel, for the kinds that have a channel.
void AppendOutputChannel(StringPtr out, uint8_t kind, int32_t channel) {
  if (kind == kNoOutputKind) return;
  AppendPChar(out, '-');
  if (channel > 15) {
    Str255 all;
    PLstrcpy(all, out);
    AppendPString(all, GetAppString(kAllChannelsText));
    PLstrcpy(out, all);
    return;
  }
  Str255 number;
  NumToString(channel + 1, number);
  AppendPString(out, number);
}

// The output's name alone (without the channel) in gStringBuffer; false when the label is not
// an output name (no track, a sequence, an instrument).
bool GetTrackOutputName(uint8_t* kind, int32_t* channel) {
  if (!HasCurrentTrack() || gCurrentTrack[kTrackChildCount] != 0 || TrackUsesInstrumentSlots(gCurrentTrack))
    return false;
  *kind = gCurrentTrack[kTrackType];
  *channel = GetTrackChannel(gCurrentTrack);
  GetOutputKindName(*kind, gCurrentTrack[kTrackMidiOutput]);
  return true;
}

void DrawLampAt(int32_t lamp, bool lit, bool codeLamp) {
  GetInfoPanelLampRect(lamp, &gScratchRect);
  if (lit && DrawPictureInScratchRect(gInfoPanelLampPictures[lamp])) return;
  if (codeLamp) {
    // The indicator drawn by code: a ring, filled red while lit.
    RGBColor red{0xE000, 0x1000, 0x1000}, ring{0x4000, 0x4000, 0x4000};
    RGBForeColor(lit ? &red : &ring);
    if (lit) PaintOval(&gScratchRect);
    RGBForeColor(&ring);
    FrameOval(&gScratchRect);
  } else if (lit) {
    ForeColor(blackColor);
    FrameRect(&gScratchRect);
    InsetRect(&gScratchRect, 2, 2);
    PaintRect(&gScratchRect);
  }
  ForeColor(blackColor);
}

// The style's panel picture at the panel's top left, in the current clip.
void DrawPanelPicture() {
  Rect frame;
  if (PicHandle pic = LoadPictureWithFrame(GetStyleWord(kStylePanelPicture), &frame)) {
    OffsetRect(&frame, int16_t(-frame.left), int16_t(-frame.top));
    DrawPicture(pic, &frame);
  }
}

void DrawCounterArea() {
  SaveClipRgn();
  SetScratchRectToCounterArea();
  ClipToScratchRect();
  ResetCounterCaches();
  DrawCounterDisplay(1);
  RestoreClipRgn();
}

bool SetPortToInfoPanel(GrafPtr* saved) {
  GetPort(saved);
  if (!GetAppWindowRef(&gInfoPanelRecord)) return false;
  SetPortToAppWindow(&gInfoPanelRecord);
  return true;
}

// The counter area drawn at once, then the whole panel marked for its update; the clip is the
// panel's again afterwards.
void RedrawCounterAreaAndRefresh() {
  GrafPtr saved = nullptr;
  if (SetPortToInfoPanel(&saved)) {
    BeginScreenDrawing();
    DrawCounterArea();
    EndScreenDrawing();
    InvalAppWindowPort(&gInfoPanelRecord);
    ClipToInfoPanel();
  }
  if (saved) SetPort(saved);
}

}  // namespace

void GetInfoPanelLampRect(int32_t lamp, Rect* rect) {
  lamp = std::clamp<int32_t>(lamp, 0, kInfoPanelLampCount - 1);
  int16_t top = kLampPlaces[lamp][0], left = kLampPlaces[lamp][1];
  *rect = Rect{top, left, int16_t(top + kLampSize), int16_t(left + kLampSize)};
}

void UnionRectIntoScratch(const Rect* a, const Rect* b) { UnionRect(a, b, &gScratchRect); }

void SetDefaultFontWithMaxSize(int16_t size) {
  TextFont(gDefaultFontId);
  TextSize(std::min(size, gDefaultFontSize > 0 ? gDefaultFontSize : size));
}

void DrawInfoText(ConstStr255Param text, int16_t height) {
  gScratchRect.top = int16_t(gScratchRect.top + 1);
  gScratchRect.bottom = int16_t(gScratchRect.bottom - 2);
  gScratchRect.right = int16_t(gScratchRect.right - 2);
  ClipToScratchRect();
  int16_t width = StringWidth(text);
  int16_t h = int16_t(gScratchRect.left + (gScratchRect.right - gScratchRect.left - width) / 2);
  int16_t v = int16_t(gScratchRect.top + (gScratchRect.bottom - gScratchRect.top + height) / 2);
  MoveTo(std::max(h, gScratchRect.left), v);
  DrawString(text);
}

StringPtr GetInfoPanelString(int16_t n) {
  gStringBuffer[0] = 0;
  return AppendIndString(kInfoPanelStrings, int16_t(n - 1));
}

StringPtr GetTrackOutputLabel() {
  gStringBuffer[0] = 0;
  if (!HasCurrentTrack()) return AppendIndString(kDeviceListStrings, 0);
  if (gCurrentTrack[kTrackChildCount] != 0) return GetAppString(kSequenceTrackText);
  if (TrackUsesInstrumentSlots(gCurrentTrack)) {
    if (const uint8_t* record = GetInstrumentRecord(GetTrackInstrument(gCurrentTrack, 0))) {
      PLstrcpy(gStringBuffer, record + kInstName);
      return gStringBuffer;
    }
  }
  uint8_t kind = 0;
  int32_t channel = 0;
  GetTrackOutputName(&kind, &channel);
  Str255 label;
  PLstrcpy(label, gStringBuffer);
  AppendOutputChannel(label, kind, channel);
  PLstrcpy(gStringBuffer, label);
  return gStringBuffer;
}

void DrawTrackOutputLabel(int16_t height) {
  uint8_t kind = 0;
  int32_t channel = 0;
  gScratchRect = kOutputLabelCell;
  EraseRect(&gScratchRect);
  if (gInfoPanelStyleByte < 0 || !GetTrackOutputName(&kind, &channel)) {
    DrawInfoText(GetTrackOutputLabel(), height);
    return;
  }
  Str255 name;
  PLstrcpy(name, gStringBuffer);
  DrawInfoText(name, height);
  if (kind == kNoOutputKind) return;
  MoveTo(int16_t(kOutputLabelCell.left + kChannelNumberOffset), int16_t(gScratchRect.bottom - 1));
  if (channel > 15) DrawString(GetAppString(kAllChannelsText));
  else DrawNumberRightAligned(channel + 1, 2);
}

void DrawInfoPanelLabels(int16_t height) {
  TextMode(srcOr);
  TextSize(kLabelTextSize);
  gScratchRect = kSyncLabelCell;
  EraseRect(&gScratchRect);
  DrawInfoText(GetInfoPanelString(int16_t(GetSyncSource() + 1)), height);
  int16_t mode = GetCounterMode();
  gScratchRect = kModeLabelCell;
  EraseRect(&gScratchRect);
  if (mode >= 0 && mode <= 2) DrawInfoText(GetInfoPanelString(int16_t(mode + kCounterModeStringBase)), height);
  TextFace(normal);
  ClipToInfoPanel();
}

void DrawInfoPanelLamps() {
  DrawLampAt(0, (gEditorModeByte & kEditorModeIndicator) != 0, true);
  DrawLampAt(1, (gDisplayWord & kDisplayIndicator) != 0, true);
}

void DrawSyncLamps() {
  for (int32_t i = 0; i < 2; ++i) DrawLampAt(2 + i, (gClockOptionByte & kSyncLampBits[i]) != 0, false);
}

void DrawModeLamps() {
  for (int32_t i = 0; i < 5; ++i) DrawLampAt(4 + i, (gClockOptionByte & kModeLampBits[i]) != 0, false);
}

void SetScratchRectToCounterArea() {
  if (gClockOptionByte & kOptionCounterRect) {
    GetStyleRect(kStyleCounterRect, &gScratchRect);
    return;
  }
  Rect first, last;
  GetCounterElementRect(0, &first);
  GetCounterElementRect(5, &last);
  UnionRectIntoScratch(&first, &last);
}

void DrawInfoPanelBackground() {
  ClipToInfoPanel();
  LoadAppWindowBounds(&gInfoPanelRecord);
  EraseRect(&gScratchRect);
  DrawPanelPicture();
  Rect frame;
  if (PicHandle second = LoadPictureWithFrame(GetStyleWord(kStyleSecondPicture), &frame)) {
    Rect first, last;
    GetCounterElementRect(0, &first);
    GetCounterElementRect(5, &last);
    UnionRectIntoScratch(&first, &last);
    ClipToScratchRect();
    DrawPicture(second, &frame);
    ClipToInfoPanel();
  }
}

void DrawInfoPanelContents() {
  ForeColor(blackColor);
  DrawInfoPanelLamps();
  SetDefaultFontWithMaxSize(kLabelTextSize);
  DrawTrackOutputLabel(kLabelTextHeight);
  ClipToInfoPanel();
  DrawInfoPanelLabels(kLabelTextHeight);
  DrawSyncLamps();
  DrawModeLamps();
  ResetCounterCaches();
  if (IsValueFieldActive() && gValueField.port == GetQDGlobalsThePort()) RedrawValueField();
  DrawCounterDisplay(1);
  ClipToInfoPanel();
  DrawCounterWindow();
}

void RestoreBackgroundInScratch() {
  SaveClipRgn();
  EraseRect(&gScratchRect);
  ClipToScratchRect();
  DrawPanelPicture();
  RestoreClipRgn();
}

void ClipToInfoPanel() {
  LoadAppWindowBounds(&gInfoPanelRecord);
  ClipToScratchRect();
}

void RedrawInfoPanel() {
  BeginScreenDrawing();
  DrawInfoPanelBackground();
  EndScreenDrawing();
}

void DrawInfoPanel() {
  GrafPtr saved = nullptr;
  Rect savedScratch = gScratchRect;
  if (SetPortToInfoPanel(&saved)) {
    RedrawInfoPanel();
    BeginScreenDrawing();
    DrawInfoPanelContents();
    EndScreenDrawing();
  }
  gScratchRect = savedScratch;
  if (saved) SetPort(saved);
}

bool UpdateInfoPanel() {
  if (gClockOptionByte == gInfoPanelShownValue) return false;
  gInfoPanelShownValue = gClockOptionByte;
  RedrawCounterAreaAndRefresh();
  return true;
}

void ActivateInfoPanel() { RedrawCounterAreaAndRefresh(); }

void RedrawCounterWindow() {
  // Only the counter flags decide: the application-state bit once read here is the high-level
  // event flag, which is clear nearly always and would freeze the counter.
  if (!(gCounterDisplayFlags & kCounterRedrawsWindow)) return;
  if (!IsAppWindowVisible(&gInfoPanelRecord)) return;
  GrafPtr saved = nullptr;
  if (SetPortToInfoPanel(&saved)) {
    SetForeColorIndex(kCounterForeColour);
    GrafPtr port = GetQDGlobalsThePort();
    LockPortBits(port);
    BeginScreenDrawing();
    DrawCounterDisplay(gSectionMode ? 0 : 1);
    EndScreenDrawing();
    UnlockPortBits(port);
  }
  if (saved) SetPort(saved);
}
