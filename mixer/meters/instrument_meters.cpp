#include "mixer/meters/instrument_meters.h"

#include <algorithm>
#include <atomic>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "mixer/meters/engine_values.h"
#include "mixer/outputs/engine_strip_levels.h"
#include "mixer/outputs/instrument_values.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pictures.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/output_activity.h"
#include "sequencer/clock/sequencer_clock.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"

InstrumentMeterPlaces gInstrumentMeterPlaces;
PicHandle gMeterPicture = nullptr;

namespace {

constexpr int32_t kStripSlots = kMaxInstruments + kMaxAuxBuses + 1;
constexpr uint32_t kMeterIntervalTicks = 2;

bool gMeterActive[kStripSlots] = {};
uint32_t gNextMeterTime = 0;

int32_t PeakOffset(int32_t side) { return side == 0 ? kInstPeakLeft : kInstPeakRight; }
int32_t ShownOffset(int32_t side) { return side == 0 ? kInstShownLeft : kInstShownRight; }
int32_t StripCount() { return gInstrumentCount + gAuxBusCount + 1; }

// The master merges the strips' peaks by sum for these device kinds, by maximum for others;
// plug-in and ReWire strips are left out.
bool MergesBySum(uint8_t kind) {
  return kind == 127 || (kind >= 13 && kind <= 17) || kind == 19 || kind == 23 || kind == 24;
}

struct MasterMerge {
  int32_t peak[2] = {-1, -1};
};

void MergeIntoMaster(MasterMerge* merge, const uint8_t* record, const int16_t peaks[2]) {
  uint8_t kind = record[kInstDeviceKinds];
  if (kind == kDeviceKindPlugin || kind == kDeviceKindReWire) return;
  for (int32_t side = 0; side < 2; ++side) {
    if (peaks[side] < 0) continue;
    int32_t& m = merge->peak[side];
    m = MergesBySum(kind) ? std::min<int32_t>(std::max(m, 0) + peaks[side], kMeterFullScale) : std::max<int32_t>(m, peaks[side]);
  }
}

int16_t FallToward(int32_t shown, int32_t peak) {
  if (peak >= shown) return int16_t(peak);
  return int16_t(std::max({peak, shown - kMeterFallStep, 0}));
}

void DrawStripMeters(int32_t index, const uint8_t* record) {
  Rect meter;
  if (!gInstrumentMeterPlaces.meterRect || !gInstrumentMeterPlaces.meterRect(index, &meter)) return;
  DrawInstrumentMeters(record, &meter, StripMetersHaveTwoBars(record));
}

// One strip's update; answers true when its shown levels changed.
bool UpdateStrip(int32_t index, uint8_t* record, MasterMerge* merge) {
  int16_t peaks[2] = {GetMeterPeak(record, 0), GetMeterPeak(record, 1)};
  int16_t shown[2] = {GetShownLevel(record, 0), GetShownLevel(record, 1)};
  for (int32_t side = 0; side < 2; ++side) WriteI16BE(record + PeakOffset(side), -1);
  if (merge) MergeIntoMaster(merge, record, peaks);
  bool same = peaks[0] == shown[0] && peaks[1] == shown[1];
  if (same || (!gMeterActive[index] && peaks[0] < 0 && peaks[1] < 0)) return false;
  for (int32_t side = 0; side < 2; ++side) {
    shown[side] = FallToward(shown[side], peaks[side]);
    WriteI16BE(record + ShownOffset(side), shown[side]);
  }
  DrawStripMeters(index, record);
  gMeterActive[index] = shown[0] > 0 || shown[1] > 0;
  return true;
}

void RedrawClip(int32_t index, const uint8_t* record) {
  Rect clip;
  if (gInstrumentMeterPlaces.clipRect && gInstrumentMeterPlaces.clipRect(index, &clip)) DrawClipIndicator(record, &clip);
}

struct EngineFeed {
  uint8_t* record;
  uint32_t now;
};

void FeedFromChannel(EngineChannel* channel, void* arg) {
  auto* feed = static_cast<EngineFeed*>(arg);
  FeedMeterFromEngine(feed->record, channel, feed->now, true);
  ParkEngineValues(feed->record, channel);
}

// The MIDI activity of a strip without an engine channel: its own, or of the port its first
// output part plays through (ports taken once a pass into ports).
int32_t StripActivity(int32_t index, const uint8_t* record, const uint8_t* ports) {
  int32_t own = TakeInstrumentActivity(index);
  uint8_t kind = record[kInstDeviceKinds];
  if (kind < kMidiDeviceKinds && (record[kInstPartMask] & 1)) own = std::max<int32_t>(own, ports[record[kInstPorts]]);
  return own;
}

void FeedAllStrips(uint32_t now) {
  uint8_t ports[kActivityPorts];
  for (int32_t p = 0; p < kActivityPorts; ++p) ports[p] = TakePortActivity(uint8_t(p));
  for (int32_t i = 0; i < StripCount(); ++i) {
    uint8_t* record = GetInstrumentRecord(i);
    if (!record) continue;
    EngineFeed feed{record, now};
    if (ForEachStripChannel(i, FeedFromChannel, &feed) == 0) FeedMeterFromMidi(record, StripActivity(i, record, ports));
  }
}

}  // namespace

int16_t AddPeak(int16_t field, int32_t peak) {
  if (peak < 0) return field;
  int32_t sum = std::max<int32_t>(field, 0) + peak;
  return int16_t(std::min<int32_t>(sum, kMeterFullScale));
}

int16_t GetMeterPeak(const uint8_t* record, int32_t side) { return ReadI16BE(record + PeakOffset(side)); }
int16_t GetShownLevel(const uint8_t* record, int32_t side) { return ReadI16BE(record + ShownOffset(side)); }
bool IsMeterActive(int32_t index) { return index >= 0 && index < kStripSlots && gMeterActive[index]; }

void ResetInstrumentMeters() {
  for (int32_t i = 0; i < StripCount(); ++i) {
    uint8_t* record = GetInstrumentRecord(i);
    if (!record) continue;
    WriteI16BE(record + kInstPeakLeft, -1);
    WriteI16BE(record + kInstPeakRight, -1);
    WriteI16BE(record + kInstShownLeft, 0);
    WriteI16BE(record + kInstShownRight, 0);
    WriteU32BE(record + kInstMeterHold, 0);
    record[kInstMeterClip] = 0;
  }
  std::fill(std::begin(gMeterActive), std::end(gMeterActive), false);
  gNextMeterTime = 0;
}

void FeedMeterFromEngine(uint8_t* record, EngineChannel* channel, uint32_t now, bool withClip) {
  if (!record || !channel) return;
  if (withClip) {
    uint8_t clip = std::atomic_ref<uint8_t>(channel->clipped).exchange(0) ? 1 : 0;
    if (clip != record[kInstMeterClip] && (clip || now > ReadU32BE(record + kInstMeterHold))) {
      record[kInstMeterClip] = clip;
      WriteU32BE(record + kInstMeterHold, now + kClipHoldTicks);
      RedrawClip(GetStripIndex(record), record);
    }
  }
  int32_t left = std::atomic_ref<int32_t>(channel->peakLeft).exchange(-1);
  int32_t right = std::atomic_ref<int32_t>(channel->peakRight).exchange(-1);
  WriteI16BE(record + kInstPeakLeft, AddPeak(GetMeterPeak(record, 0), std::min<int32_t>(left, kMeterFullScale)));
  WriteI16BE(record + kInstPeakRight, AddPeak(GetMeterPeak(record, 1), std::min<int32_t>(right, kMeterFullScale)));
}

void FeedMeterFromMidi(uint8_t* record, int32_t activity) {
  if (!record || activity <= 0) return;
  activity = std::min(activity, 127);
  int32_t level = record[kInstVolumeController] == 7
                      ? activity * std::clamp<int32_t>(GetInstrumentVolume(record), 0, 127) * 32767 / 16129
                      : activity * 32767 / 127;
  level = std::clamp(ScaleVolumeForDevice(level, record[kInstDeviceKinds]), 0, int32_t(kMeterFullScale));
  bool none = GetMeterPeak(record, 0) < 0;
  for (int32_t side = 0; side < 2; ++side) {
    int16_t v = none ? int16_t(level) : AddPeak(GetMeterPeak(record, side), level);
    WriteI16BE(record + PeakOffset(side), v);
  }
}

int32_t UpdateInstrumentMeters() {
  MasterMerge merge;
  int32_t changed = 0;
  int32_t master = GetMasterIndex();
  for (int32_t i = 0; i < master && i < kStripSlots; ++i)
    if (uint8_t* record = GetInstrumentRecord(i)) changed += UpdateStrip(i, record, &merge) ? 1 : 0;
  uint8_t* masterRecord = GetMasterEntry();
  if (!masterRecord || master >= kStripSlots) return changed;
  for (int32_t side = 0; side < 2; ++side) {
    int16_t own = GetMeterPeak(masterRecord, side);
    if (merge.peak[side] > own) WriteI16BE(masterRecord + PeakOffset(side), int16_t(merge.peak[side]));
  }
  return changed + (UpdateStrip(master, masterRecord, nullptr) ? 1 : 0);
}

int32_t MeterBarPosition(int32_t level) { return level < 1 ? 0 : LookupVolumeCurveIndex(level); }

int16_t MeterLitTop(const Rect* meter, int32_t level) {
  int32_t h = meter->bottom - meter->top;
  return int16_t(meter->top + h - h * MeterBarPosition(level) / 127);
}

bool StripMetersHaveTwoBars(const uint8_t* record) { return GetInstrumentDevice(record) != 0; }

void DrawInstrumentMeters(const uint8_t* record, const Rect* meter, bool twoBars) {
  int16_t left = GetShownLevel(record, 0), right = GetShownLevel(record, 1);
  Rect bars[2] = {*meter, *meter};
  int16_t levels[2] = {std::max(left, right), 0};
  int32_t count = 1;
  if (twoBars) {
    int16_t middle = int16_t(meter->left + (meter->right - meter->left) / 2);
    bars[0].right = middle;
    bars[1].left = middle;
    levels[0] = left;
    levels[1] = right;
    count = 2;
  }
  RgnHandle saved = NewRgn();
  GetClip(saved);
  for (int32_t b = 0; b < count; ++b) {
    Rect unlit = bars[b], lit = bars[b];
    unlit.bottom = lit.top = MeterLitTop(&bars[b], levels[b]);
    if (gInstrumentMeterPlaces.redrawBackground) gInstrumentMeterPlaces.redrawBackground(&unlit);
    else EraseRect(&unlit);
    if (lit.top >= lit.bottom) continue;
    if (gMeterPicture) {
      ClipRect(&lit);
      DrawPicture(gMeterPicture, &bars[b]);
      SetClip(saved);
    } else {
      PaintRect(&lit);
    }
  }
  DisposeRgn(saved);
}

void DrawClipIndicator(const uint8_t* record, const Rect* clip) {
  uint8_t* r = const_cast<uint8_t*>(record);
  if (gAudioEnginePlayState == 0 && !IsClockTaskPlaying()) {
    r[kInstMeterClip] = 0;
    WriteU32BE(r + kInstMeterHold, 0);
  }
  if (record[kInstMeterClip]) {
    PaintRect(clip);
  } else {
    EraseRect(clip);
    FrameRect(clip);
  }
}

void InstrumentMeterTimer() {
  uint32_t now = TickCount();
  if (gNextMeterTime != 0 && now < gNextMeterTime) return;
  FeedAllStrips(now);
  gNextMeterTime = now + kMeterIntervalTicks;
  UpdateInstrumentMeters();
  ApplyParkedValues();
}
