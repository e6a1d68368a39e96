#include "editing/transforms/event_dialog_fields.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/system/sys_beep.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/base/app_strings.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "song/conductor/conductor_map.h"
#include "song/model/song_context.h"

namespace {

constexpr int32_t kMaxBars = 9999;
constexpr int32_t kMaxDuration = 65535;

int32_t Number(const char* text) { return int32_t(std::clamp<long long>(std::atoll(text), INT32_MIN, INT32_MAX)); }
bool HasPoint(const char* text) { return std::strchr(text, '.') != nullptr; }

}  // namespace

EventMeter GetEventMeter(uint32_t tick) {
  EventMeter m;
  if (gCurrentSong) {
    GetConductorStateAt(int32_t(std::max<uint32_t>(tick, 1)));
    m.beatsPerBar = std::max(1, gConductorState.beatsPerBar);
    m.ticksPerBeat = std::max(1, gConductorState.ticksPerBeat);
  }
  m.ticksPerBar = m.beatsPerBar * m.ticksPerBeat;
  return m;
}

int32_t ClampFieldValue(int32_t value, int32_t min, int32_t max) {
  if (value >= min && value <= max) return value;
  SysBeep(5);
  return value < min ? min : max;
}

int32_t ReadTimeTexts(const BarBeatTickText& text, const EventMeter& meter) {
  int32_t bar = 0, beat = 0, tick = 0;
  if (HasPoint(text.bars)) {
    double v = std::atof(text.bars);
    bar = int32_t(v);
    double beats = (v - bar) * meter.beatsPerBar + 1;
    beat = int32_t(beats);
    tick = int32_t((beats - beat) * meter.ticksPerBeat + 0.5);
  } else if (HasPoint(text.beats)) {
    bar = Number(text.bars);
    double v = std::atof(text.beats);
    beat = int32_t(v);
    tick = int32_t((v - beat) * meter.ticksPerBeat + 0.5);
  } else {
    bar = Number(text.bars);
    beat = Number(text.beats);
    tick = Number(text.ticks);
  }
  bar = ClampFieldValue(bar, 1, kMaxBars);
  beat = ClampFieldValue(beat, 1, meter.beatsPerBar);
  tick = ClampFieldValue(tick, 0, meter.ticksPerBeat);
  return std::max(1, BarBeatTickToTick(bar - 1, beat - 1, tick));
}

int32_t ReadDurationTexts(const BarBeatTickText& text, const EventMeter& meter) {
  int64_t bars = 0, beats = 0, ticks = 0;
  if (HasPoint(text.bars)) {
    double v = std::atof(text.bars);
    bars = int64_t(v);
    double b = (v - double(bars)) * meter.beatsPerBar;
    beats = int64_t(b);
    ticks = int64_t((b - double(beats)) * meter.ticksPerBeat);
  } else if (HasPoint(text.beats)) {
    bars = Number(text.bars);
    double v = std::atof(text.beats);
    beats = int64_t(v);
    ticks = int64_t((v - double(beats)) * meter.ticksPerBeat);
  } else {
    bars = ClampFieldValue(Number(text.bars), 0, kMaxDuration / meter.ticksPerBar);
    beats = ClampFieldValue(Number(text.beats), 0, meter.beatsPerBar);
    ticks = ClampFieldValue(Number(text.ticks), 0, meter.ticksPerBeat);
  }
  int64_t total = bars * meter.ticksPerBar + beats * meter.ticksPerBeat + ticks;
  return ClampFieldValue(int32_t(std::clamp<int64_t>(total, INT32_MIN, INT32_MAX)), 0, kMaxDuration);
}

BarBeatTickText ReadBarBeatTickFields(WindowRef window, int32_t first, char buffers[3][256]) {
  for (int32_t i = 0; i < 3; ++i) {
    buffers[i][0] = 0;
    if (GetDialogText(window, first + i) != noErr) continue;
    std::memcpy(buffers[i], gStringBuffer + 1, gStringBuffer[0]);
    buffers[i][gStringBuffer[0]] = 0;
  }
  return {buffers[0], buffers[1], buffers[2]};
}

void WriteTimeFields(void* dialog, uint32_t tick, int32_t first) {
  auto* d = static_cast<NibDialog*>(dialog);
  int32_t bar = 0, beat = 0, inBeat = 0;
  TickToBarBeatTick(int32_t(std::max<uint32_t>(tick, 1)), &bar, &beat, &inBeat);
  SetDialogFieldNumber(d, bar + 1, first);
  SetDialogFieldNumber(d, beat + 1, first + 1);
  SetDialogFieldNumber(d, inBeat, first + 2);
}

void WriteDurationFields(void* dialog, int32_t duration, const EventMeter& meter, int32_t first) {
  auto* d = static_cast<NibDialog*>(dialog);
  SetDialogFieldNumber(d, duration / meter.ticksPerBar, first);
  SetDialogFieldNumber(d, duration % meter.ticksPerBar / meter.ticksPerBeat, first + 1);
  SetDialogFieldNumber(d, duration % meter.ticksPerBeat, first + 2);
}
