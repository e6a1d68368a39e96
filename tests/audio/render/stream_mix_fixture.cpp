#include "tests/audio/render/stream_mix_fixture.h"

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_run_state.h"
#include "platform/memory/memory.h"

namespace stream_mix_test {

TestChannel::TestChannel(int16_t outputWidth, int32_t frameChannels, int32_t frames) : channel(new EngineChannel()) {
  channel->outputWidth = outputWidth;
  channel->frameChannels = frameChannels;
  channel->framesPerBlock = int16_t(frames);
  channel->gainLeft = channel->gainRight = 32768;
  channel->volume = 32768;
  AllocateChannelBlocks(channel, frames);
}

TestChannel::~TestChannel() {
  DisposeChannelBlocks(channel);
  if (channel->automation) DisposeHandle(channel->automation);
  delete channel;
}

float TestChannel::Out(uint32_t s, int32_t f, int32_t side) const { return channel->mixBuffer[s][2 * f + side]; }
int32_t TestChannel::Out16(uint32_t s, int32_t f, int32_t side) const { return int32_t(Out(s, f, side) * 32768.0f); }

std::vector<int16_t> Ramp16(int32_t frames, int32_t channels, int32_t step) {
  std::vector<int16_t> v;
  for (int32_t f = 0; f < frames; ++f)
    for (int32_t c = 0; c < channels; ++c) v.push_back(int16_t((c == 0 ? 1 : -1) * step * (f + 1)));
  return v;
}

std::vector<int8_t> Ramp8(int32_t frames, int32_t channels, int32_t step) {
  std::vector<int8_t> v;
  for (int32_t f = 0; f < frames; ++f)
    for (int32_t c = 0; c < channels; ++c) v.push_back(int8_t((c == 0 ? 1 : -1) * step * (f + 1)));
  return v;
}

std::vector<float> RampFloat(int32_t frames, int32_t channels, float step) {
  std::vector<float> v;
  for (int32_t f = 0; f < frames; ++f)
    for (int32_t c = 0; c < channels; ++c) v.push_back((c == 0 ? 1.0f : -1.0f) * step * float(f + 1));
  return v;
}

Handle MakeAutomation(const std::vector<TestRecord>& records) {
  Handle list = nullptr;
  int32_t offset = -1;
  if (records.empty()) return nullptr;
  for (const TestRecord& r : records) {
    uint8_t* at = nullptr;
    if (InsertAutomationRecord(&list, &at, &offset) != noErr) return list;
    FillAutomationRecord(at, r.time, r.level, r.pan, r.kind);
    AutomationView v{at};
    v.SetIndex(r.index);
    v.SetFlags(r.flags);
  }
  return list;
}

AuxBuses::AuxBuses(int32_t count, int16_t outputWidth) {
  for (int32_t i = 0; i < count; ++i) buses.push_back(new TestChannel(outputWidth, 2));
  for (int32_t i = 0; i + 1 < count; ++i) buses[size_t(i)]->channel->next = buses[size_t(i) + 1]->channel;
  gAuxBusChannels = count ? buses[0]->channel : nullptr;
}

AuxBuses::~AuxBuses() {
  gAuxBusChannels = nullptr;
  for (TestChannel* b : buses) {
    b->channel->next = nullptr;
    delete b;
  }
}

}  // namespace stream_mix_test
