#include "editors/note_drawing/note_boxes.h"

#include <algorithm>
#include <climits>

#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/track_selection.h"

Rect gNoteRect{};
NoteDrawProc gNoteDrawProc = DrawNoteBox;
uint8_t gGhostDrawing = 0;
int32_t gLoopDrawOffset = 0;
RGBColor gChannelColors[16] = {
    {0x0000, 0x0000, 0xA000}, {0xD000, 0x0000, 0x0000}, {0x3000, 0x8000, 0x3000}, {0x8000, 0x4000, 0x0000},
    {0x6000, 0x0000, 0x8000}, {0x0000, 0x7000, 0x7000}, {0xA000, 0x6000, 0x0000}, {0x4000, 0x4000, 0x4000},
    {0x0000, 0x4000, 0xD000}, {0xB000, 0x0000, 0x6000}, {0x5000, 0x7000, 0x0000}, {0x7000, 0x2000, 0x2000},
    {0x2000, 0x2000, 0x9000}, {0x0000, 0x6000, 0x4000}, {0x9000, 0x5000, 0x5000}, {0x3000, 0x3000, 0x3000}};
RGBColor gGhostColor{0xB000, 0xB000, 0xB000};
uint8_t gShowVelocity = 0;
uint8_t gShowSysExLabels = 1;

namespace {

constexpr int32_t kStemShift = 2;

bool IsEventSelected(const uint8_t* event) {
  return IsCurrentTrackSelected() && (event[kEventFlags] & kEventSelected);
}

}  // namespace

int16_t PitchRowY(int32_t pitch) {
  pitch = std::clamp<int32_t>(pitch, kLowestPitchRow, kHighestPitchRow);
  return ClampToQDRange(int32_t(gNoteRowPosition[pitch]) + gTimelineFrame.top);
}

bool AreNotesInOneColour() { return (gDrawPrefs & kDrawPrefsOneNoteColour) != 0; }

void SetOneColourFore(bool selected) { RGBForeColor(&gChannelColors[selected ? kSelectedNoteColour : kPlainNoteColour]); }

void ComputeNoteRect(const uint8_t* event) {
  int64_t start = int64_t(SeqEventTime(event)) + gLoopDrawOffset;
  gNoteRect.top = PitchRowY(event[kEventData1]);
  gNoteRect.bottom = ClampToQDRange(int32_t(gNoteRect.top) + gNoteMetric);
  gNoteRect.left = TickToClampedPixel(ClampToTickRange(start));
  gNoteRect.right = TickToClampedPixel(ClampToTickRange(start + GetNoteDuration(event)));
  if (gNoteRect.right - gNoteRect.left + 1 < kMinNoteWidth)
    gNoteRect.right = ClampToQDRange(gNoteRect.left + kMinNoteWidth - 1);
}

void DrawNoteBox(const uint8_t* event) {
  ComputeNoteRect(event);
  bool selected = IsEventSelected(event);
  if (AreNotesInOneColour() && IsColourScreen()) {
    SetOneColourFore(selected);
    PaintRect(&gNoteRect);
  } else if (selected) {
    EraseRect(&gNoteRect);
    FrameRect(&gNoteRect);
  } else {
    PaintRect(&gNoteRect);
  }
}

void DrawGhostNote(const uint8_t* event) {
  ComputeNoteRect(event);
  if (IsColourScreen()) {
    RGBForeColor(&gGhostColor);
    PaintRect(&gNoteRect);
  } else {
    Pattern gray;
    FillRect(&gNoteRect, GetQDGlobalsGray(&gray));
  }
  FrameRect(&gNoteRect);
}

int16_t VelocityStemHeight(int32_t velocity) { return int16_t((velocity & 0x7F) >> kStemShift); }

void DrawVelocityStem(const uint8_t* event) {
  Rect stem = gNoteRect;
  stem.top = ClampToQDRange(stem.top - VelocityStemHeight(event[kEventData2]));
  stem.right = ClampToQDRange(stem.left + 1);
  PaintRect(&stem);
}

int32_t DrawNoteInChannelColor(const uint8_t* event, int32_t lastChannel) {
  int32_t channel = EventChannel(event);
  if (!AreNotesInOneColour() && IsColourScreen() && !gGhostDrawing && channel != lastChannel) {
    RGBForeColor(&gChannelColors[channel]);
    lastChannel = channel;
  }
  if (gNoteDrawProc) gNoteDrawProc(event);
  return lastChannel;
}

void SetShowVelocity(bool show) {
  if (uint8_t(show) == gShowVelocity) return;
  gShowVelocity = uint8_t(show);
  InvalAppWindowPort(&gMainEditorRecord);
}

int16_t PitchAtY(int32_t y) {
  int16_t best = 0;
  int32_t bestTop = INT32_MIN;
  for (int16_t p = 0; p <= 127; ++p) {
    int32_t top = PitchRowY(p);
    if (top <= y && top > bestTop) {
      bestTop = top;
      best = p;
    }
  }
  return bestTop == INT32_MIN ? int16_t(127) : best;
}
