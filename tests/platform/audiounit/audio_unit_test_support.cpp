// Helpers for the component layer's tests.
#include "tests/platform/audiounit/audio_unit_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Before the LV2 world is first loaded: the installed plug-ins and the test bundle only.
const bool gPathSet = [] {
  std::string path = std::string("/usr/lib/lv2:") + ZARIN_LV2_FIXTURES;
  setenv("LV2_PATH", path.c_str(), 1);
  return true;
}();

struct Feed {
  const std::vector<float>* input;
  size_t position;
};

OSStatus FeedInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, uint32_t, uint32_t frames,
                   AudioBufferList* data) {
  auto* feed = static_cast<Feed*>(refCon);
  auto* out = static_cast<float*>(data->mBuffers[0].mData);
  for (uint32_t i = 0; i < frames; ++i) {
    size_t at = feed->position + i;
    out[i] = at < feed->input->size() ? (*feed->input)[at] : 0.0f;
  }
  for (UInt32 b = 1; b < data->mNumberBuffers; ++b) std::memset(data->mBuffers[b].mData, 0, frames * sizeof(float));
  return noErr;
}

}  // namespace

std::string ComponentName(Component component) {
  unsigned char name[256];
  if (GetComponentInfo(component, nullptr, name) != noErr) return std::string();
  return std::string(reinterpret_cast<char*>(name + 1), name[0]);
}

Component FindComponentNamed(const std::string& name) {
  for (Component c = FindNextComponent(0, nullptr); c != 0; c = FindNextComponent(c, nullptr))
    if (ComponentName(c) == name) return c;
  return 0;
}

TestUnit::TestUnit(const std::string& name, double rate, uint32_t maxFrames) {
  Component c = FindComponentNamed(name);
  EXPECT_NE(c, 0u) << name;
  EXPECT_EQ(OpenAComponent(c, &unit), noErr) << name;
  EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof rate), noErr);
  EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames,
                                 sizeof maxFrames),
            noErr);
}

TestUnit::~TestUnit() {
  if (unit != 0) CloseComponent(unit);
}

long ParameterNamed(AudioUnit unit, const std::string& name) {
  uint32_t size = 0;
  if (AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, nullptr) != noErr)
    return -1;
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(), &size) != noErr)
    return -1;
  for (AudioUnitParameterID id : ids) {
    AudioUnitParameterInfo info;
    uint32_t infoSize = sizeof info;
    if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &infoSize) != noErr)
      continue;
    bool found = name == info.name;
    ReleaseParameterInfoName(&info);
    if (found) return long(id);
  }
  return -1;
}

float GetParam(AudioUnit unit, long id) {
  AudioUnitParameterValue v = -12345.0f;
  EXPECT_EQ(AudioUnitGetParameter(unit, AudioUnitParameterID(id), kAudioUnitScope_Global, 0, &v), noErr);
  return v;
}

OSStatus SetParam(AudioUnit unit, long id, float value) {
  return AudioUnitSetParameter(unit, AudioUnitParameterID(id), kAudioUnitScope_Global, 0, value, 0);
}

std::vector<float> RenderMono(AudioUnit unit, const std::vector<float>& input, uint32_t frames, uint32_t blockFrames) {
  Feed feed{&input, 0};
  uint32_t inputs = 0, outputs = 0, size = sizeof(uint32_t);
  AudioUnitGetProperty(unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &inputs, &size);
  if (inputs > 0) {
    AURenderCallbackStruct callback{FeedInput, &feed};
    EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                                   sizeof callback),
              noErr);
  }
  AudioStreamBasicDescription format;
  size = sizeof format;
  AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, &size);
  outputs = format.mChannelsPerFrame;
  std::vector<std::vector<float>> channels(outputs, std::vector<float>(blockFrames));
  std::vector<uint8_t> listBytes(AudioBufferListSize(outputs));
  auto* list = reinterpret_cast<AudioBufferList*>(listBytes.data());
  std::vector<float> result;
  AudioTimeStamp stamp;
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  while (result.size() < frames) {
    uint32_t n = std::min<uint32_t>(blockFrames, uint32_t(frames - result.size()));
    list->mNumberBuffers = outputs;
    for (uint32_t c = 0; c < outputs; ++c) list->mBuffers[c] = {1, n * 4, channels[c].data()};
    AudioUnitRenderActionFlags flags = 0;
    stamp.mSampleTime = double(result.size());
    EXPECT_EQ(AudioUnitRender(unit, &flags, &stamp, 0, n, list), noErr);
    result.insert(result.end(), channels[0].begin(), channels[0].begin() + n);
    feed.position += n;
  }
  return result;
}

std::vector<float> Ramp(uint32_t frames, float step) {
  std::vector<float> ramp(frames);
  for (uint32_t i = 0; i < frames; ++i) ramp[i] = float(i + 1) * step;
  return ramp;
}
