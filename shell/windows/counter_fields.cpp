#include "shell/windows/counter_fields.h"

#include <algorithm>

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/ports.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/base/modifier_keys.h"
#include "shell/dialogs/poll_events.h"
#include "shell/dialogs/value_drag.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_display.h"
#include "shell/windows/window_appearance.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/song_start_offset.h"
#include "song/conductor/tempo_tables.h"
#include "song/model/editor_hooks.h"
#include "song/model/songs.h"

namespace {

// A length-prefixed literal ("\003abc").
ConstStr255Param P(const char* text) { return reinterpret_cast<ConstStr255Param>(text); }

constexpr EventMask kUpdateAndActivate = 0x140;
constexpr int16_t kFieldForeColour = 22;
constexpr int32_t kMaxBar = 9999, kMaxHours = 99, kMaxMinutesSeconds = 59;
constexpr int16_t kFieldTop = 20, kFieldBottom = 3;
constexpr uint16_t kDefaultFramesPerSecond = 30;
constexpr uint8_t kDropFrameRateCode = 2, kFirstFrameOfDroppedMinute = 2;

bool SetPortToInfoPanelWindow(GrafPtr* saved) {
  GetPort(saved);
  if (!GetAppWindowRef(&gInfoPanelRecord)) return false;
  SetPortToAppWindow(&gInfoPanelRecord);
  return true;
}

// The locate point split into bar, beat and tick (bar and beat from 0); the meter there is
// left in gConductorState.
void SplitLocateTick(int32_t* bar, int32_t* beat, int32_t* tick) {
  TickToBarBeatTick(int32_t(std::min<uint32_t>(gLocatePoint.tick, INT32_MAX)), bar, beat, tick);
}

// After a Tab commit (the field's Tab bit clear) the next field opens, the previous one with
// Shift.
void ChainAfterTab(ValueAfterProc next, ValueAfterProc previous) {
  if (gValueField.flags & kValueFieldTabBit) return;
  gValueField.flags |= kValueFieldTabBit;
  gValueField.afterProc = IsShiftModifierDown() ? previous : next;
}

void FinishCounterCommit() {
  gCounterDisplayFlags |= kCounterShowsReadouts;
  RedrawAppWindow(&gInfoPanelRecord);
}

void LocateFromField(int32_t bar, int32_t beat, int32_t tick) {
  GrafPtr saved = nullptr;
  SetPortToInfoPanelWindow(&saved);
  gCounterShownPosition = kCounterValueUnshown;
  ShowPositionInEditor(bar, beat, tick);
  if (saved) SetPort(saved);
}

uint16_t FramesPerSecond() {
  uint16_t fps = gTransportClock.framesPerSecond;
  return fps == 0 ? kDefaultFramesPerSecond : fps;
}

// The time read-out's rectangle with its field band (top 20 and bottom 3 above its bottom),
// and the width of one ":00".
void TimeFieldBand(Rect* r, int16_t* cell) {
  SetCounterFont();
  GetStyleRect(kStyleTimeRect, r);
  r->top = int16_t(r->bottom - kFieldTop);
  r->bottom = int16_t(r->bottom - kFieldBottom);
  *cell = MeasurePString(P("\003:00"));
}

// Field n of the time read-out (0 hours .. 3 frames): hours from the left edge to the right
// edge less ":00:00:00", then one ":00" each.
void SetTimeFieldRect(int32_t n) {
  Rect r;
  int16_t cell = 0;
  TimeFieldBand(&r, &cell);
  int16_t hoursRight = int16_t(r.right - 3 * cell);
  gScratchRect = r;
  if (n == 0) {
    gScratchRect.right = hoursRight;
    return;
  }
  gScratchRect.left = int16_t(hoursRight + (n - 1) * cell);
  gScratchRect.right = int16_t(gScratchRect.left + cell);
}

void CommitHours(int32_t v) { CommitTimeCounterField(v, 0); }
void CommitMinutes(int32_t v) { CommitTimeCounterField(v, 1); }
void CommitSeconds(int32_t v) { CommitTimeCounterField(v, 2); }
void CommitFrames(int32_t v) { CommitTimeCounterField(v, 3); }

// The typed time in subframes. The hours count in full (the record keeps 5 bits of them, which
// would take 40 typed hours for 8), and the frames 0 and 1 that drop-frame leaves out of a
// minute are taken as its first frame, 2, rather than reaching back into the minute before.
uint32_t TypedTimeSubframes(TimeCodeRecord record) {
  bool dropped = gSmpteRateCode == kDropFrameRateCode && record.minutes % 10 != 0 && record.seconds == 0;
  if (dropped && record.frames < kFirstFrameOfDroppedMinute) record.frames = kFirstFrameOfDroppedMinute;
  uint64_t hours = record.hours;
  record.hours = 0;
  TimeCodeRecord oneHour;
  oneHour.hours = 1;
  uint64_t total = TimecodeToSubframes(record) + hours * TimecodeToSubframes(oneHour);
  return uint32_t(std::min<uint64_t>(total, UINT32_MAX));
}

constexpr ValueAfterProc kTimeFieldOpeners[4] = {EditTimeHoursField, EditTimeMinutesField, EditTimeSecondsField,
                                                 EditTimeFramesField};

}  // namespace

void EditCounterField(CounterRectProc rectProc, ValueChangeProc changeProc, int32_t minimum, int32_t maximum,
                      int32_t value, int32_t maxTextLength) {
  if (gSectionMode) return;
  PollEvents(kUpdateAndActivate);
  GrafPtr saved = nullptr;
  if (!SetPortToInfoPanelWindow(&saved)) return;
  SetCounterFont();
  rectProc();
  gScratchRect.top = int16_t(gScratchRect.top - 3);
  gScratchRect.bottom = int16_t(gScratchRect.bottom + 1);
  gScratchRect.right = int16_t(gScratchRect.right - 3);
  BackColor(whiteColor);  // the typed number stands out of the read-out's well
  SetForeColorIndex(kFieldForeColour);
  TrackValueDragDefault(changeProc, minimum, std::max(minimum, maximum), std::clamp(value, minimum, std::max(minimum, maximum)),
                        maxTextLength);
  gCounterDisplayFlags &= uint16_t(~kCounterShowsReadouts);
}

void EditCounterBarField() {
  int32_t bar = 0, beat = 0, tick = 0;
  SplitLocateTick(&bar, &beat, &tick);
  EditCounterField(SetCounterBarFieldRect, CommitCounterBarField, 1, kMaxBar, bar + 1, 4);
}

void EditCounterBeatField() {
  int32_t bar = 0, beat = 0, tick = 0;
  SplitLocateTick(&bar, &beat, &tick);
  EditCounterField(SetCounterBeatFieldRect, CommitCounterBeatField, 1, std::max(gConductorState.beatsPerBar, 1),
                   beat + 1, 2);
}

void EditCounterTickField() {
  int32_t bar = 0, beat = 0, tick = 0;
  SplitLocateTick(&bar, &beat, &tick);
  EditCounterField(SetCounterTickFieldRect, CommitCounterTickField, 0, std::max(gConductorState.ticksPerBar, 0), tick,
                   3);
}

void EditCounterBarFieldAtBarStart() {
  int32_t bar = gTransportClock.bar > 0 ? int32_t(gTransportClock.bar) - 1 : 0;
  SetLocatePoint(uint32_t(std::max(BarToTick(bar), 1)));
  EditCounterBarField();
}

void SetTimeHoursFieldRect() { SetTimeFieldRect(0); }
void SetTimeMinutesFieldRect() { SetTimeFieldRect(1); }
void SetTimeSecondsFieldRect() { SetTimeFieldRect(2); }
void SetTimeFramesFieldRect() { SetTimeFieldRect(3); }

void EditTimeHoursField() {
  EditCounterField(SetTimeHoursFieldRect, CommitHours, 0, kMaxHours, gTransportClock.timeCode[0], 2);
}
void EditTimeMinutesField() {
  EditCounterField(SetTimeMinutesFieldRect, CommitMinutes, 0, kMaxMinutesSeconds, gTransportClock.timeCode[1], 2);
}
void EditTimeSecondsField() {
  EditCounterField(SetTimeSecondsFieldRect, CommitSeconds, 0, kMaxMinutesSeconds, gTransportClock.timeCode[2], 2);
}
void EditTimeFramesField() {
  EditCounterField(SetTimeFramesFieldRect, CommitFrames, 0, FramesPerSecond() - 1, gTransportClock.timeCode[3], 2);
}

void ClickTimeCounter() {
  constexpr CounterRectProc kRects[4] = {SetTimeHoursFieldRect, SetTimeMinutesFieldRect, SetTimeSecondsFieldRect,
                                         SetTimeFramesFieldRect};
  for (int32_t i = 0; i < 4; ++i) {
    kRects[i]();
    if (IsMouseInScratchRect()) {
      kTimeFieldOpeners[i]();
      return;
    }
  }
}

void CommitCounterBarField(int32_t value) {
  int32_t bar = 0, beat = 0, tick = 0;
  SplitLocateTick(&bar, &beat, &tick);
  LocateFromField(value - 1, beat, tick);
  ChainAfterTab(EditCounterBeatField, EditCounterTickField);
  FinishCounterCommit();
}

void CommitCounterBeatField(int32_t value) {
  int32_t bar = 0, beat = 0, tick = 0;
  SplitLocateTick(&bar, &beat, &tick);
  LocateFromField(bar, value - 1, tick);
  ChainAfterTab(EditCounterTickField, EditCounterBarField);
  FinishCounterCommit();
}

void CommitCounterTickField(int32_t value) {
  int32_t bar = 0, beat = 0, tick = 0;
  SplitLocateTick(&bar, &beat, &tick);
  LocateFromField(bar, beat, value);
  ChainAfterTab(EditCounterBarField, EditCounterBeatField);
  FinishCounterCommit();
}

void CommitTimeCounterField(int32_t value, int32_t fieldByte) {
  fieldByte = std::clamp<int32_t>(fieldByte, 0, 3);
  const uint8_t* tc = gTransportClock.timeCode;
  TimeCodeRecord record;
  record.hours = tc[0], record.minutes = tc[1], record.seconds = tc[2], record.frames = tc[3];
  record.subframes = 0;
  uint8_t typed = uint8_t(value & 0xFF);
  if (fieldByte == 0) record.hours = typed;
  else if (fieldByte == 1) record.minutes = typed;
  else if (fieldByte == 2) record.seconds = typed;
  else record.frames = typed;
  int32_t tick = CounterTimeTick(TypedTimeSubframes(record));
  GrafPtr saved = nullptr;
  SetPortToInfoPanelWindow(&saved);
  gCounterShownPosition = kCounterValueUnshown;
  if (!RunWindowKeyActions(uint32_t(tick), kAllWindowKinds)) {
    SetLocatePoint(uint32_t(tick));
    StoreClockLocatePosition(gLocatePoint.tick);
  }
  if (saved) SetPort(saved);
  ChainAfterTab(kTimeFieldOpeners[(fieldByte + 1) % 4], kTimeFieldOpeners[(fieldByte + 3) % 4]);
  FinishCounterCommit();
}

int32_t CounterPositionTick(int32_t bar, int32_t beat, int32_t tick) {
  bar = std::clamp<int32_t>(bar, 0, kMaxBar - 1);
  int32_t start = BarToTick(bar);  // leaves the bar's meter in gConductorState
  beat = std::clamp<int32_t>(beat, 0, std::max(gConductorState.beatsPerBar - 1, 0));
  int64_t offset = int64_t(beat) * gConductorState.ticksPerBeat + std::max(tick, 0);
  int64_t barTicks = std::max<int64_t>(gConductorState.ticksPerBar, 1);
  offset = std::min<int64_t>(offset, barTicks - 1);
  return int32_t(std::min<int64_t>(int64_t(start) + offset, INT32_MAX));
}

int32_t CounterTimeTick(uint32_t subframes) {
  uint32_t time = subframes > gSongStartOffset ? subframes - gSongStartOffset : 0;
  // TimeToTick counts from the song's tick 1 already: one tick more would land past a bar line
  // typed as its time, and Play would leave out the notes on it.
  return std::max(TimeToTick(int32_t(std::min<uint32_t>(time, INT32_MAX))), 1);
}

void ShowPositionInEditor(int32_t bar, int32_t beat, int32_t tick) {
  int32_t position = std::max(CounterPositionTick(bar, beat, tick), 1);
  if (RunWindowKeyActions(uint32_t(position), kAllWindowKinds)) return;
  SetLocatePoint(uint32_t(position));
  StoreClockLocatePosition(gLocatePoint.tick);
}
