// Parameters and properties of open units: the control ports as parameters with their names,
// limits and flags; setting and reading values; the properties a host asks for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/text/cf_string.h"
#include "tests/platform/audiounit/audio_unit_test_support.h"

namespace {

AudioUnitParameterInfo InfoOf(AudioUnit unit, long id) {
  AudioUnitParameterInfo info{};
  uint32_t size = sizeof info;
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, AudioUnitElement(id),
                                 &info, &size),
            noErr);
  EXPECT_EQ(size, sizeof info);
  ReleaseParameterInfoName(&info);
  return info;
}

TEST(AudioUnitParameters, ControlPortsAreDescribed) {
  TestUnit delay(kDelayName);
  struct Case {
    const char* name;
    float min, max, def;
    uint32_t unit, flags;
  } cases[] = {
      {"Samples", 0, 10000, 0, kAudioUnitParameterUnit_Generic,
       kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable},
      {"Time", 0, 1000, 0, kAudioUnitParameterUnit_Milliseconds,
       kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable},
      {"Wet amount", 0, 10, 1, kAudioUnitParameterUnit_Generic,
       kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_DisplayLogarithmic},
      {"Mode", 0, 2, 0, kAudioUnitParameterUnit_Indexed,
       kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_ValuesHaveStrings},
      {"Enabled", 0, 1, 1, kAudioUnitParameterUnit_Boolean,
       kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable},
      {"Delay samples", 0, 384000, 0, kAudioUnitParameterUnit_Generic,
       kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_MeterReadOnly},
  };
  for (const Case& c : cases) {
    long id = ParameterNamed(delay.unit, c.name);
    ASSERT_GE(id, 0) << c.name;
    AudioUnitParameterInfo info = InfoOf(delay.unit, id);
    EXPECT_EQ(info.minValue, c.min) << c.name;
    EXPECT_EQ(info.maxValue, c.max) << c.name;
    EXPECT_EQ(info.defaultValue, c.def) << c.name;
    EXPECT_EQ(info.unit, c.unit) << c.name;
    EXPECT_EQ(info.flags, c.flags) << c.name;
    EXPECT_EQ(GetParam(delay.unit, id), c.def) << c.name;
  }
}

TEST(AudioUnitParameters, ValuesAreSetWithinTheirLimits) {
  TestUnit delay(kDelayName);
  long samples = ParameterNamed(delay.unit, "Samples");
  EXPECT_EQ(SetParam(delay.unit, samples, 37), noErr);
  EXPECT_EQ(GetParam(delay.unit, samples), 37.0f);
  EXPECT_EQ(SetParam(delay.unit, samples, 20000), noErr);
  EXPECT_EQ(GetParam(delay.unit, samples), 10000.0f);
  EXPECT_EQ(SetParam(delay.unit, samples, -3), noErr);
  EXPECT_EQ(GetParam(delay.unit, samples), 0.0f);
  EXPECT_EQ(SetParam(delay.unit, samples, NAN), paramErr);
  EXPECT_EQ(GetParam(delay.unit, samples), 0.0f);
  EXPECT_EQ(SetParam(delay.unit, ParameterNamed(delay.unit, "Delay samples"), 5), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(SetParam(delay.unit, 100000, 1), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitSetParameter(delay.unit, AudioUnitParameterID(samples), kAudioUnitScope_Input, 0, 1, 0),
            kAudioUnitErr_InvalidScope);
  AudioUnitParameterEvent events[2] = {};
  events[0].parameter = AudioUnitParameterID(samples);
  events[0].eventType = kParameterEvent_Immediate;
  events[0].eventValues.immediate.value = 12;
  events[1].parameter = AudioUnitParameterID(ParameterNamed(delay.unit, "Wet amount"));
  events[1].eventType = kParameterEvent_Ramped;
  events[1].eventValues.ramp = {0, 64, 1.0f, 0.5f};
  EXPECT_EQ(AudioUnitScheduleParameters(delay.unit, events, 2), noErr);
  EXPECT_EQ(GetParam(delay.unit, samples), 12.0f);
  EXPECT_EQ(GetParam(delay.unit, ParameterNamed(delay.unit, "Wet amount")), 0.5f);
}

TEST(AudioUnitParameters, IndexedParametersNameTheirValues) {
  TestUnit pulse(kPulseName);
  long shape = ParameterNamed(pulse.unit, "Shape");
  ASSERT_GE(shape, 0);
  CFArrayRef names = nullptr;
  uint32_t size = sizeof names;
  ASSERT_EQ(AudioUnitGetProperty(pulse.unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global,
                                 AudioUnitElement(shape), &names, &size),
            noErr);
  ASSERT_EQ(CFArrayGetCount(names), 3);
  const char* expected[] = {"Square", "Half", "Silent"};
  for (CFIndex i = 0; i < 3; ++i)
    EXPECT_EQ(CFStringToUTF8(static_cast<CFStringRef>(CFArrayGetValueAtIndex(names, i))), expected[i]);
  CFRelease(names);
  EXPECT_EQ(AudioUnitGetProperty(pulse.unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global,
                                 AudioUnitElement(ParameterNamed(pulse.unit, "Level")), &names, &size),
            kAudioUnitErr_InvalidProperty);
}

// A value named by scale points that do not make an indexed parameter: the names are the
// texts of those values, and texts give values back (names or numbers, within the range).
TEST(AudioUnitParameters, ScalePointsNameValuesAndTextsGiveValues) {
  TestUnit pulse(kPulseName);
  constexpr AudioUnitParameterID kBrightness = 5;
  AudioUnitParameterInfo info{};
  uint32_t size = sizeof info;
  ASSERT_EQ(AudioUnitGetProperty(pulse.unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, kBrightness,
                                 &info, &size),
            noErr);
  EXPECT_EQ(kAudioUnitParameterUnit_Generic, info.unit);
  EXPECT_TRUE(info.flags & kAudioUnitParameterFlag_ValuesHaveStrings);
  ASSERT_TRUE(info.flags & kAudioUnitParameterFlag_HasCFNameString) << "the name is longer than the C name holds";
  EXPECT_EQ("Brightness of the pulse before it reaches the output stage", CFStringToUTF8(info.cfNameString));
  EXPECT_EQ(51u, std::strlen(info.name));
  ReleaseParameterInfoName(&info);
  EXPECT_EQ(nullptr, info.cfNameString);

  struct {
    float value;
    OSStatus status;
    const char* text;
  } const kTexts[] = {{0.0f, noErr, "Dark"}, {1.0f, noErr, "Bright"}, {0.5f, kAudioUnitErr_InvalidPropertyValue, ""}};
  for (const auto& c : kTexts) {
    AudioUnitParameterStringFromValue request{kBrightness, &c.value, nullptr};
    size = sizeof request;
    EXPECT_EQ(c.status, AudioUnitGetProperty(pulse.unit, kAudioUnitProperty_ParameterStringFromValue,
                                             kAudioUnitScope_Global, 0, &request, &size)) << c.value;
    EXPECT_EQ(c.text, request.outString ? CFStringToUTF8(request.outString) : std::string()) << c.value;
    if (request.outString) CFRelease(request.outString);
  }

  struct {
    AudioUnitParameterID id;
    const char* text;
    OSStatus status;
    float value;
  } const kValues[] = {{kBrightness, "bright", noErr, 1.0f}, {kBrightness, " 0.25 ", noErr, 0.25f},
                       {kBrightness, "7", noErr, 1.0f},       {kBrightness, "dim", kAudioUnitErr_InvalidPropertyValue, 0},
                       {3, "Half", noErr, 1.0f},              {3, "2", noErr, 2.0f}};
  for (const auto& c : kValues) {
    CFStringRef text = CFStringCreateWithUTF8(c.text);
    AudioUnitParameterValueFromString request{c.id, text, -1.0f};
    size = sizeof request;
    EXPECT_EQ(c.status, AudioUnitGetProperty(pulse.unit, kAudioUnitProperty_ParameterValueFromString,
                                             kAudioUnitScope_Global, 0, &request, &size)) << c.text;
    if (c.status == noErr) EXPECT_EQ(c.value, request.outValue) << c.text;
    CFRelease(text);
  }
}

template <typename T>
T Get(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, OSStatus want = noErr) {
  T value{};
  uint32_t size = sizeof value;
  EXPECT_EQ(AudioUnitGetProperty(unit, id, scope, 0, &value, &size), want) << id;
  return value;
}

TEST(AudioUnitProperties, BusesAndFormatsFollowTheAudioPorts) {
  TestUnit delay(kDelayName), pulse(kPulseName);
  EXPECT_EQ(Get<uint32_t>(delay.unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input), 1u);
  EXPECT_EQ(Get<uint32_t>(pulse.unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input), 0u);
  EXPECT_EQ(Get<uint32_t>(pulse.unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Output), 1u);
  auto format = Get<AudioStreamBasicDescription>(delay.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output);
  EXPECT_EQ(format.mSampleRate, 48000.0);
  EXPECT_EQ(format.mFormatID, kAudioFormatLinearPCM);
  EXPECT_NE(format.mFormatFlags & kAudioFormatFlagIsNonInterleaved, 0u);
  EXPECT_NE(format.mFormatFlags & kAudioFormatFlagIsFloat, 0u);
  EXPECT_EQ(format.mChannelsPerFrame, 1u);
  EXPECT_EQ(format.mBytesPerFrame, 4u);
  auto channels = Get<AUChannelInfo>(delay.unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global);
  EXPECT_EQ(channels.inChannels, 1);
  EXPECT_EQ(channels.outChannels, 1);
  Get<AudioStreamBasicDescription>(pulse.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input,
                                   kAudioUnitErr_InvalidElement);
  AudioStreamBasicDescription bad = format;
  bad.mChannelsPerFrame = 2;
  EXPECT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &bad, sizeof bad),
            kAudioUnitErr_FormatNotSupported);
  bad = format;
  bad.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
  EXPECT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &bad, sizeof bad),
            kAudioUnitErr_FormatNotSupported);
  format.mSampleRate = 44100.0;
  EXPECT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &format,
                                 sizeof format),
            noErr);
  EXPECT_EQ(Get<Float64>(delay.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global), 44100.0);
  EXPECT_EQ(AudioUnitSetProperty(pulse.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &format, 16),
            kAudioUnitErr_InvalidElement);
}

TEST(AudioUnitProperties, SettingsAreKeptAndUnknownPropertiesRefused) {
  TestUnit delay(kDelayName);
  const AudioUnitPropertyID kept[] = {kAudioUnitProperty_BypassEffect, kAudioUnitProperty_OfflineRender,
                                      kAudioUnitProperty_RenderQuality};
  for (AudioUnitPropertyID id : kept) {
    uint32_t one = 1;
    EXPECT_EQ(AudioUnitSetProperty(delay.unit, id, kAudioUnitScope_Global, 0, &one, sizeof one), noErr) << id;
    EXPECT_EQ(Get<uint32_t>(delay.unit, id, kAudioUnitScope_Global), 1u) << id;
  }
  int tag = 0;
  HostCallbackInfo host;
  host.hostUserData = &tag;
  ASSERT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &host, sizeof host),
            noErr);
  EXPECT_EQ(Get<HostCallbackInfo>(delay.unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global).hostUserData, &tag);
  uint32_t size = 0;
  Boolean writable = true;
  EXPECT_EQ(AudioUnitGetPropertyInfo(delay.unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &size, &writable),
            noErr);
  EXPECT_EQ(size, 8u);
  EXPECT_FALSE(writable);
  Float64 seconds = 1;
  EXPECT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &seconds, 8),
            kAudioUnitErr_PropertyNotWritable);
  // The fast-dispatch procedures are known by their selectors only.
  EXPECT_EQ(AudioUnitGetPropertyInfo(delay.unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, 0, &size,
                                     &writable),
            kAudioUnitErr_InvalidElement);
  EXPECT_EQ(AudioUnitGetPropertyInfo(delay.unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                     kAudioUnitRenderSelect, &size, &writable),
            noErr);
  EXPECT_EQ(size, sizeof(void*));
  const AudioUnitPropertyID unknown[] = {kAudioUnitProperty_CocoaUI, kMusicDeviceProperty_InstrumentCount, 9999};
  for (AudioUnitPropertyID id : unknown)
    EXPECT_EQ(AudioUnitGetPropertyInfo(delay.unit, id, kAudioUnitScope_Global, 0, &size, &writable),
              kAudioUnitErr_InvalidProperty)
        << id;
  uint32_t frames = 0;
  EXPECT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames, 4),
            kAudioUnitErr_InvalidPropertyValue);
  Float64 rate = -1;
  EXPECT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, 8),
            kAudioUnitErr_InvalidPropertyValue);
  char small[2];
  size = sizeof small;
  EXPECT_EQ(AudioUnitGetProperty(delay.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, small, &size),
            paramErr);
}

// The latency comes from the plug-in's latency port, in seconds at the unit's rate, as soon
// as the unit is initialised.
TEST(AudioUnitProperties, LatencyComesFromTheLatencyPort) {
  TestUnit limiter("LSP LV2: LSP Limiter Mono");
  ASSERT_EQ(AudioUnitInitialize(limiter.unit), noErr);
  long port = ParameterNamed(limiter.unit, "Latency OUT");
  ASSERT_GE(port, 0);
  float frames = GetParam(limiter.unit, port);
  EXPECT_GT(frames, 0.0f);
  EXPECT_DOUBLE_EQ(Get<Float64>(limiter.unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global), frames / 48000.0);
}

}  // namespace
