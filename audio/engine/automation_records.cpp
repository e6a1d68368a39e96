#include "audio/engine/automation_records.h"

#include <algorithm>
#include <cstring>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/render/channel_render.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/system/host_time.h"
#include "platform/threads/thread_pauses.h"

uint32_t AutomationView::Time() const { return ReadU32BE(p); }
uint32_t AutomationView::Value32() const { return ReadU32BE(p + 4); }
uint16_t AutomationView::Value() const { return ReadU16BE(p + 8); }
int16_t AutomationView::Pan() const { return ReadI16BE(p + 10); }
uint8_t AutomationView::Kind() const { return p[12]; }
uint8_t AutomationView::Flags() const { return p[13]; }
int16_t AutomationView::Index() const { return ReadI16BE(p + 14); }
int32_t AutomationView::PluginIndex() const { return ReadI32BE(p + 8); }
void AutomationView::SetTime(uint32_t v) { WriteU32BE(p, v); }
void AutomationView::SetValue32(uint32_t v) { WriteU32BE(p + 4, v); }
void AutomationView::SetValue(uint16_t v) { WriteU16BE(p + 8, v); }
void AutomationView::SetPan(int16_t v) { WriteI16BE(p + 10, v); }
void AutomationView::SetKind(uint8_t v) { p[12] = v; }
void AutomationView::SetFlags(uint8_t v) { p[13] = v; }
void AutomationView::SetIndex(int16_t v) { WriteI16BE(p + 14, v); }
void AutomationView::SetPluginIndex(int32_t v) { WriteI32BE(p + 8, v); }

namespace {

int32_t CountRecords(Handle list) { return list ? int32_t(GetHandleSize(list) / kAutomationRecordSize) : 0; }

uint8_t* RecordAt(Handle list, int32_t i) { return reinterpret_cast<uint8_t*>(*list) + size_t(i) * kAutomationRecordSize; }

OSErr NewAutomationList(Handle* list) {
  Handle h = NewHandleClear(kAutomationRecordSize);
  if (!h) return memFullErr;
  AutomationView{reinterpret_cast<uint8_t*>(*h)}.SetTime(kAutomationEndTime);
  *list = h;
  return noErr;
}

float Value32AsFloat(uint32_t bits) {
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// The latest point of each (chain position, parameter), found walking back from the last
// record passed, applied from the last kept to the first.
void ApplyParameterPoints(Handle list, int32_t passed, EngineChannel* channel) {
  constexpr int32_t kMaxKept = 64;
  uint8_t* kept[kMaxKept];
  int32_t count = 0;
  for (int32_t i = passed - 1; i >= 0 && count < kMaxKept; --i) {
    AutomationView r{RecordAt(list, i)};
    if (r.Kind() != kAutomationParameter || (r.Flags() & kAutomationSkipped)) continue;
    bool seen = std::any_of(kept, kept + count, [&](uint8_t* k) {
      return AutomationView{k}.PluginIndex() == r.PluginIndex() && AutomationView{k}.Index() == r.Index();
    });
    if (!seen) kept[count++] = r.p;
  }
  for (int32_t k = count - 1; k >= 0; --k) {
    AutomationView r{kept[k]};
    void* plugin = FindChainPlugin(channel, r.PluginIndex());
    ApplyAutomationToPlugin(plugin, channel->renderState, r.Index(), Value32AsFloat(r.Value32()), false);
  }
}

}  // namespace

uint8_t* FindAutomationRecord(Handle list, uint64_t position) {
  int32_t count = CountRecords(list);
  if (count == 0) return nullptr;
  if (position > 0xFFFFFFFFull) return RecordAt(list, count - 1);
  int32_t low = 0, high = count;  // the first record with time >= position lies in [low, high]
  while (low < high) {
    int32_t mid = low + (high - low) / 2;
    if (AutomationView{RecordAt(list, mid)}.Time() < position) low = mid + 1;
    else high = mid;
  }
  return RecordAt(list, low < count ? low : count - 1);
}

OSErr InsertAutomationRecord(Handle* list, uint8_t** record, int32_t* offset) {
  if (!*list) {
    OSErr err = NewAutomationList(list);
    if (err != noErr) return err;
  }
  Size size = GetHandleSize(*list);
  Size last = std::max<Size>(0, size - kAutomationRecordSize);  // before the end record
  Size at = *offset < 0 ? last : std::min<Size>(*offset, last);
  at -= at % kAutomationRecordSize;
  SetHandleSize(*list, size + kAutomationRecordSize);
  if (MemError() != noErr) return MemError();
  uint8_t* base = reinterpret_cast<uint8_t*>(**list);
  std::memmove(base + at + kAutomationRecordSize, base + at, size_t(size - at));
  std::memset(base + at, 0, kAutomationRecordSize);
  *record = base + at;
  *offset = int32_t(at + kAutomationRecordSize);
  return noErr;
}

void FillAutomationRecord(uint8_t* record, uint32_t time, uint16_t value, int16_t pan, uint8_t kind) {
  AutomationView r{record};
  r.SetTime(time);
  r.SetValue(value);
  r.SetPan(pan);
  r.SetKind(kind);
}

OSErr AddAutomationRecord(Handle* list, int32_t* offset, uint32_t time, uint16_t value, int16_t pan, uint8_t kind) {
  uint8_t* record = nullptr;
  OSErr err = InsertAutomationRecord(list, &record, offset);
  if (err == noErr) FillAutomationRecord(record, time, value, pan, kind);
  return err;
}

uint8_t* ChaseAutomationState(Handle list, uint64_t position, int32_t* volume, int32_t* pan, int32_t sendLevels[8],
                              int32_t sendPans[8], EngineChannel* channel) {
  for (int32_t s = 0; s < kAutomationSends; ++s) sendLevels[s] = sendPans[s] = -1;
  int32_t count = CountRecords(list);
  if (count == 0) return nullptr;
  uint64_t at = position > 0xFFFFFFFEull ? 0xFFFFFFFEull : position;
  int32_t i = 0;
  for (; i < count; ++i) {
    AutomationView r{RecordAt(list, i)};
    if (r.Time() > at || r.Time() == kAutomationEndTime) break;
    if (r.Flags() & kAutomationSkipped) continue;
    int16_t send = r.Index();
    bool sendOk = send >= 0 && send < kAutomationSends;
    switch (r.Kind()) {
      case kAutomationVolume: *volume = r.Value(); break;
      case kAutomationPan: *pan = r.Pan(); break;
      case kAutomationSendLevel: if (sendOk) sendLevels[send] = r.Value(); break;
      case kAutomationSendPan: if (sendOk) sendPans[send] = r.Pan(); break;
      default: break;
    }
  }
  if (channel && channel->renderState) ApplyParameterPoints(list, i, channel);
  return RecordAt(list, i < count ? i : count - 1);
}

bool TakeAutomationLock(EngineChannel* channel) {
  constexpr uint32_t kPollMicros = 10;
  uint64_t deadline = HostTimeNanos() + uint64_t(kAutomationLockWaitMicros) * 1000;
  for (;;) {
    uint32_t expected = 0;
    if (channel->automationLock.compare_exchange_strong(expected, 1)) return true;
    if (HostTimeNanos() >= deadline) return false;
    PauseThreadMicros(kPollMicros);
  }
}

void ReleaseAutomationLock(EngineChannel* channel) { channel->automationLock.store(0); }

namespace {

// The timed parameter events of one plug-in for the block, handed over at 32 events, when the
// target changes and at the block's end. Lives on the engine thread's stack.
constexpr uint32_t kRampListEvents = 32;
constexpr uint32_t kImmediateEvent = 1;
struct RampEvent {
  uint32_t scope, element, parameter, eventType;
  uint32_t bufferOffset;
  float value;
  uint32_t unused[2];
};
static_assert(sizeof(RampEvent) == 32);
struct RampList {
  uint32_t count = 0;
  RampEvent events[kRampListEvents];
  void* plugin = nullptr;
  ChannelRenderState* chain = nullptr;
};

// A plug-in that does not take scheduled events gets the values set one by one.
void FlushRampList(RampList* list) {
  if (list->count == 0) return;
  uint32_t count = list->count;
  if (SchedulePluginParameterRamps(list->plugin, reinterpret_cast<Ptr>(list)) != 0) {
    for (uint32_t i = 0; i < count; ++i)
      ApplyAutomationToPlugin(list->plugin, list->chain, int32_t(list->events[i].parameter), list->events[i].value,
                              false);
  }
  list->count = 0;
}

void QueueRampEvent(RampList* list, void* plugin, ChannelRenderState* chain, int32_t parameter, float value,
                    uint32_t offset) {
  if (list->plugin != plugin || list->count == kRampListEvents) FlushRampList(list);
  list->plugin = plugin;
  list->chain = chain;
  RampEvent& e = list->events[list->count++];
  e = RampEvent{};
  e.parameter = uint32_t(parameter);
  e.eventType = kImmediateEvent;
  e.bufferOffset = offset;
  e.value = value;
}

}  // namespace

void PlayAutomationToPlugins(EngineChannel* channel, int32_t frames) {
  uint8_t* cursor = channel->pluginAutomationCursor;
  if (cursor == nullptr || frames <= 0) return;
  uint64_t start = uint64_t(std::max<int64_t>(channel->pluginAutomationPosition, 0));
  uint64_t end = start + uint64_t(frames);
  RampList list;
  for (AutomationView r{cursor}; r.Time() < kAutomationEndOfPoints && r.Time() < end; r.p += kAutomationRecordSize) {
    if (r.Kind() == kAutomationParameter && !(r.Flags() & kAutomationSkipped)) {
      void* plugin = FindChainPlugin(channel, r.PluginIndex());
      float value = Value32AsFloat(r.Value32());
      if (plugin != nullptr && r.Index() >= 0) {
        uint32_t offset = r.Time() > start ? uint32_t(r.Time() - start) : 0;
        QueueRampEvent(&list, plugin, channel->renderState, r.Index(), value, offset);
      } else {
        ApplyAutomationToPlugin(plugin, channel->renderState, r.Index(), value, false);
      }
    }
    cursor = r.p + kAutomationRecordSize;
  }
  FlushRampList(&list);
  channel->pluginAutomationCursor = cursor;
  channel->pluginAutomationPosition += frames;
}

void ApplyAutomationToPlugin(void* plugin, ChannelRenderState* chain, int32_t parameter, float x, bool noParameters) {
  if (parameter >= 0) {
    if (!noParameters) SetPluginParameterChecked(plugin, parameter, x);
    return;
  }
  if (chain == nullptr) return;
  float inputGain, wetGain;
  uint16_t dryLevel;
  GetPluginGains(chain, &inputGain, &wetGain, &dryLevel);
  switch (parameter) {
    case -4: inputGain = x * (1.0f / 32768.0f); break;
    // Unity is 32768.0 for the wet gain and 256 for the dry level, so 1.0 plays both at unity.
    case -3: wetGain = x * 32768.0f; break;
    case -2: dryLevel = uint16_t(std::clamp(x * 256.0f, 0.0f, 65535.0f)); break;
    case -1: chain->bypass = x >= 0.5f ? 1 : 0; return;
    default: return;
  }
  SetPluginGains(chain, inputGain, wetGain, dryLevel);
}
