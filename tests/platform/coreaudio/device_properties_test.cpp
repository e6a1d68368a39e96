#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/text/cf_string.h"
#include "tests/platform/coreaudio/audio_test_support.h"
#include "tests/test_support.h"

namespace {

using namespace audio_test;

class DevicePropertiesTest : public AudioTest {};

OSStatus NoopProc(AudioDeviceID, const AudioTimeStamp*, const AudioBufferList*, const AudioTimeStamp*,
                  AudioBufferList*, const AudioTimeStamp*, void*) {
  return 0;
}

TEST_F(DevicePropertiesTest, NullDeviceIsListedLastWithStableIdAndName) {
  std::vector<AudioDeviceID> devices = DeviceList();
  ASSERT_FALSE(devices.empty());
  EXPECT_EQ(devices.back(), null_);
  EXPECT_EQ(FindDeviceNamed(kNullDeviceName), null_);
  EXPECT_EQ(GetText(null_, 0, false, kAudioDevicePropertyDeviceUID), "null:output");

  AudioHardwareUnload();  // a restart of the layer keeps the ids
  EXPECT_EQ(GetNullAudioDevice(), null_);
  EXPECT_EQ(DeviceList(), devices);

  // A short buffer gets whole entries only.
  UInt32 size = sizeof(AudioDeviceID) + 2;
  AudioDeviceID first[2] = {0, 0};
  ASSERT_EQ(AudioHardwareGetProperty(kAudioHardwarePropertyDevices, &size, first), 0);
  EXPECT_EQ(size, sizeof(AudioDeviceID));
  EXPECT_EQ(first[0], devices[0]);
}

TEST_F(DevicePropertiesTest, DefaultDevicesFollowTheEnvironmentChoice) {
  zarin_test::ScopedEnv choice("ZARIN_AUDIO_DEVICE", kNullDeviceName);
  for (AudioHardwarePropertyID property :
       {kAudioHardwarePropertyDefaultOutputDevice, kAudioHardwarePropertyDefaultInputDevice}) {
    AudioDeviceID device = 0;
    UInt32 size = sizeof device;
    ASSERT_EQ(AudioHardwareGetProperty(property, &size, &device), 0);
    EXPECT_EQ(device, null_);
    UInt32 tooSmall = 2;
    EXPECT_EQ(AudioHardwareGetProperty(property, &tooSmall, &device), kAudioHardwareBadPropertySizeError);
  }
  EXPECT_EQ(AudioHardwareSetProperty(kAudioHardwarePropertyDefaultOutputDevice, sizeof null_, &null_),
            kAudioHardwareIllegalOperationError);

  void* runLoop = &choice;
  ASSERT_EQ(AudioHardwareSetProperty(kAudioHardwarePropertyRunLoop, sizeof runLoop, &runLoop), 0);
  void* back = nullptr;
  UInt32 size = sizeof back;
  ASSERT_EQ(AudioHardwareGetProperty(kAudioHardwarePropertyRunLoop, &size, &back), 0);
  EXPECT_EQ(back, runLoop);
}

TEST_F(DevicePropertiesTest, NamesChannelsAndStreams) {
  EXPECT_EQ(GetText(null_, 0, false, kAudioDevicePropertyDeviceNameCFString), kNullDeviceName);
  struct Case {
    UInt32 channel;
    Boolean isInput;
    AudioDevicePropertyID property;
    OSStatus result;
    const char* text;
  };
  const Case cases[] = {
      {1, false, kAudioDevicePropertyChannelNameCFString, 0, "Left"},
      {2, false, kAudioDevicePropertyChannelNameCFString, 0, "Right"},
      {2, true, kAudioDevicePropertyChannelNameCFString, 0, "Right In"},
      {3, false, kAudioDevicePropertyChannelNameCFString, kAudioHardwareUnknownPropertyError, ""},
      {0, false, kAudioDevicePropertyChannelNameCFString, kAudioHardwareUnknownPropertyError, ""},
      {1, false, kAudioDevicePropertyChannelCategoryNameCFString, 0, "Null Out"},
      {2, true, kAudioDevicePropertyChannelCategoryNameCFString, 0, "Null In"},
  };
  for (const Case& c : cases) {
    OSStatus err = 1;
    EXPECT_EQ(GetText(null_, c.channel, c.isInput, c.property, &err), c.text) << c.channel;
    EXPECT_EQ(err, c.result) << c.channel;
  }
  EXPECT_EQ(CountChannels(null_, false), 2u);
  EXPECT_EQ(CountChannels(null_, true), 2u);
  EXPECT_EQ(GetU32(null_, false, kAudioDevicePropertyTransportType), kAudioDeviceTransportTypeVirtual);
  EXPECT_EQ(GetU32(null_, false, kAudioDevicePropertyDeviceIsAlive), 1u);
  EXPECT_EQ(GetU32(null_, false, kAudioDevicePropertyDeviceIsRunning), 0u);
  EXPECT_EQ(GetU32(null_, false, kAudioDevicePropertyLatency), 0u);

  OSStatus err = 0;
  GetU32(null_, false, FourCC("zzzz"), &err);
  EXPECT_EQ(err, kAudioHardwareUnknownPropertyError);
  GetU32(12345, false, kAudioDevicePropertyDeviceIsRunning, &err);
  EXPECT_EQ(err, kAudioHardwareBadDeviceError);

  AudioBufferList list;
  UInt32 size = sizeof list;
  ASSERT_EQ(AudioDeviceGetProperty(null_, 0, false, kAudioDevicePropertyStreamConfiguration, &size, &list), 0);
  EXPECT_EQ(list.mNumberBuffers, 1u);
  EXPECT_EQ(list.mBuffers[0].mNumberChannels, 2u);
  EXPECT_EQ(list.mBuffers[0].mDataByteSize, 512u * 2 * 4);
}

TEST_F(DevicePropertiesTest, BufferSizesAcceptTheRangeAndRefuseTheRest) {
  AudioValueRange range;
  UInt32 size = sizeof range;
  ASSERT_EQ(AudioDeviceGetProperty(null_, 0, false, kAudioDevicePropertyBufferFrameSizeRange, &size, &range), 0);
  EXPECT_EQ(range.mMinimum, 32.0);
  EXPECT_EQ(range.mMaximum, 4096.0);
  struct Case {
    UInt32 frames;
    OSStatus result;
    UInt32 after;
  };
  const Case cases[] = {{32, 0, 32},
                        {4096, 0, 4096},
                        {31, kAudioHardwareIllegalOperationError, 4096},
                        {4097, kAudioHardwareIllegalOperationError, 4096},
                        {0, kAudioHardwareIllegalOperationError, 4096},
                        {1000, 0, 1000}};
  for (const Case& c : cases) {
    EXPECT_EQ(SetU32(null_, false, kAudioDevicePropertyBufferFrameSize, c.frames), c.result) << c.frames;
    EXPECT_EQ(GetU32(null_, true, kAudioDevicePropertyBufferFrameSize), c.after) << c.frames;
  }
  UInt16 half = 64;
  EXPECT_EQ(AudioDeviceSetProperty(null_, nullptr, 0, false, kAudioDevicePropertyBufferFrameSize, sizeof half, &half),
            kAudioHardwareBadPropertySizeError);
  UInt32 frames = 0;
  UInt32 small = 2;
  EXPECT_EQ(AudioDeviceGetProperty(null_, 0, false, kAudioDevicePropertyBufferFrameSize, &small, &frames),
            kAudioHardwareBadPropertySizeError);
}

TEST_F(DevicePropertiesTest, RatesAndFormats) {
  UInt32 size = 0;
  Boolean writable = false;
  ASSERT_EQ(AudioDeviceGetPropertyInfo(null_, 0, false, kAudioDevicePropertyAvailableNominalSampleRates, &size,
                                       &writable),
            0);
  EXPECT_FALSE(writable);
  ASSERT_EQ(size, 4 * sizeof(AudioValueRange));
  AudioValueRange ranges[4];
  ASSERT_EQ(AudioDeviceGetProperty(null_, 0, false, kAudioDevicePropertyAvailableNominalSampleRates, &size, ranges), 0);
  const Float64 expected[] = {44100, 48000, 88200, 96000};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ranges[i].mMinimum, expected[i]);
    EXPECT_EQ(ranges[i].mMaximum, expected[i]);
  }
  AudioStreamBasicDescription formats[4];
  size = sizeof formats;
  ASSERT_EQ(AudioDeviceGetProperty(null_, 0, true, kAudioDevicePropertyStreamFormats, &size, formats), 0);
  ASSERT_EQ(size, sizeof formats);
  EXPECT_EQ(formats[3].mSampleRate, 96000.0);
  EXPECT_EQ(formats[3].mChannelsPerFrame, 2u);

  struct Case {
    const char* what;
    Float64 rate;
    UInt32 channels;
    bool integer;
    OSStatus result;
    Float64 after;
  };
  const Case cases[] = {
      {"supported rate", 48000, 2, false, 0, 48000},
      {"unsupported rate", 22050, 2, false, kAudioDeviceUnsupportedFormatError, 48000},
      {"wrong channel count", 96000, 1, false, kAudioDeviceUnsupportedFormatError, 48000},
      {"integer samples", 96000, 2, true, kAudioDeviceUnsupportedFormatError, 48000},
      {"another rate", 88200, 2, false, 0, 88200},
  };
  for (const Case& c : cases) {
    AudioStreamBasicDescription format = MakeFloatStreamDescription(c.rate, c.channels);
    if (c.integer) format.mFormatFlags = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked;
    EXPECT_EQ(
        AudioDeviceSetProperty(null_, nullptr, 0, false, kAudioDevicePropertyStreamFormat, sizeof format, &format),
        c.result)
        << c.what;
    AudioStreamBasicDescription now;
    size = sizeof now;
    ASSERT_EQ(AudioDeviceGetProperty(null_, 0, false, kAudioDevicePropertyStreamFormat, &size, &now), 0);
    EXPECT_EQ(now.mSampleRate, c.after) << c.what;
    EXPECT_EQ(GetF64(null_, kAudioDevicePropertyNominalSampleRate), c.after) << c.what;
    EXPECT_TRUE(IsDeviceFloatFormat(now));
  }
  EXPECT_EQ(SetF64(null_, kAudioDevicePropertyNominalSampleRate, 44100.5), kAudioDeviceUnsupportedFormatError);
  EXPECT_EQ(SetU32(null_, false, kAudioDevicePropertyLatency, 5), kAudioHardwareIllegalOperationError);
}

TEST_F(DevicePropertiesTest, DataAndClockSources) {
  struct Case {
    Boolean isInput;
    AudioDevicePropertyID list;
    AudioDevicePropertyID name;
    AudioDevicePropertyID current;
    std::vector<std::pair<UInt32, std::string>> expected;
  };
  const Case cases[] = {
      {true, kAudioDevicePropertyDataSources, kAudioDevicePropertyDataSourceNameForIDCFString,
       kAudioDevicePropertyDataSource,
       {{kNullDeviceSourceSilence, "Silence"}, {kNullDeviceSourceLoopback, "Loopback"}}},
      {false, kAudioDevicePropertyClockSources, kAudioDevicePropertyClockSourceNameForIDCFString,
       kAudioDevicePropertyClockSource, {{kNullDeviceClockInternal, "Internal Clock"}}},
  };
  for (const Case& c : cases) {
    UInt32 ids[4] = {};
    UInt32 size = sizeof ids;
    ASSERT_EQ(AudioDeviceGetProperty(null_, 0, c.isInput, c.list, &size, ids), 0);
    ASSERT_EQ(size, c.expected.size() * sizeof(UInt32));
    for (size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(ids[i], c.expected[i].first);
      CFStringRef name = nullptr;
      AudioValueTranslation translation{&ids[i], sizeof(UInt32), &name, sizeof name};
      size = sizeof translation;
      ASSERT_EQ(AudioDeviceGetProperty(null_, 0, c.isInput, c.name, &size, &translation), 0);
      EXPECT_EQ(CFStringToUTF8(name), c.expected[i].second);
      CFRelease(name);
    }
    UInt32 last = c.expected.back().first;
    EXPECT_EQ(SetU32(null_, c.isInput, c.current, last), 0);
    EXPECT_EQ(GetU32(null_, c.isInput, c.current), last);
    EXPECT_EQ(SetU32(null_, c.isInput, c.current, FourCC("none")), kAudioHardwareIllegalOperationError);
  }
  OSStatus err = 0;
  GetU32(null_, false, kAudioDevicePropertyDataSource, &err);  // the output side has none
  EXPECT_EQ(err, kAudioHardwareUnknownPropertyError);
}

TEST_F(DevicePropertiesTest, StreamUsageBelongsToEachProcedure) {
  ASSERT_EQ(AudioDeviceAddIOProc(null_, NoopProc, nullptr), 0);
  UInt32 size = 0;
  ASSERT_EQ(AudioDeviceGetPropertyInfo(null_, 0, true, kAudioDevicePropertyIOProcStreamUsage, &size, nullptr), 0);
  ASSERT_EQ(size, AudioStreamUsageSize(1));
  AudioHardwareIOProcStreamUsage usage;
  usage.mIOProc = reinterpret_cast<void*>(NoopProc);
  ASSERT_EQ(AudioDeviceGetProperty(null_, 0, true, kAudioDevicePropertyIOProcStreamUsage, &size, &usage), 0);
  EXPECT_EQ(usage.mNumberStreams, 1u);
  EXPECT_EQ(usage.mStreamIsOn[0], 1u);
  usage.mStreamIsOn[0] = 0;
  ASSERT_EQ(AudioDeviceSetProperty(null_, nullptr, 0, true, kAudioDevicePropertyIOProcStreamUsage, size, &usage), 0);
  usage.mStreamIsOn[0] = 7;
  ASSERT_EQ(AudioDeviceGetProperty(null_, 0, true, kAudioDevicePropertyIOProcStreamUsage, &size, &usage), 0);
  EXPECT_EQ(usage.mStreamIsOn[0], 0u);
  ASSERT_EQ(AudioDeviceGetProperty(null_, 0, false, kAudioDevicePropertyIOProcStreamUsage, &size, &usage), 0);
  EXPECT_EQ(usage.mStreamIsOn[0], 1u);  // the output side is separate

  usage.mIOProc = nullptr;  // not installed
  EXPECT_EQ(AudioDeviceGetProperty(null_, 0, true, kAudioDevicePropertyIOProcStreamUsage, &size, &usage),
            kAudioHardwareIllegalOperationError);
  usage.mIOProc = reinterpret_cast<void*>(NoopProc);
  usage.mNumberStreams = 2;  // more streams than the side has
  EXPECT_EQ(AudioDeviceSetProperty(null_, nullptr, 0, true, kAudioDevicePropertyIOProcStreamUsage, size, &usage),
            kAudioHardwareBadPropertySizeError);
}

std::atomic<int> gRateNotices{0};
std::atomic<int> gFrameNotices{0};

OSStatus CountChanges(AudioDeviceID, UInt32 channel, Boolean isInput, AudioDevicePropertyID property, void*) {
  if (channel != 0 || !isInput) return 0;
  if (property == kAudioDevicePropertyNominalSampleRate) ++gRateNotices;
  if (property == kAudioDevicePropertyBufferFrameSize) ++gFrameNotices;
  return 0;
}

TEST_F(DevicePropertiesTest, ChangesAreNotifiedOnceEach) {
  ASSERT_EQ(AudioDeviceAddPropertyListener(null_, kAudioPropertyWildcardChannel, true, kAudioPropertyWildcardPropertyID,
                                           CountChanges, nullptr),
            0);
  EXPECT_EQ(SetF64(null_, kAudioDevicePropertyNominalSampleRate, 96000.0), 0);
  EXPECT_EQ(SetF64(null_, kAudioDevicePropertyNominalSampleRate, 96000.0), 0);  // no change, no notice
  EXPECT_EQ(SetU32(null_, false, kAudioDevicePropertyBufferFrameSize, 128), 0);
  ASSERT_TRUE(AudioHardwareFlushNotifications(2000));
  EXPECT_EQ(gRateNotices.load(), 1);
  EXPECT_EQ(gFrameNotices.load(), 1);

  ASSERT_EQ(AudioDeviceRemovePropertyListener(null_, kAudioPropertyWildcardChannel, true,
                                              kAudioPropertyWildcardPropertyID, CountChanges),
            0);
  EXPECT_EQ(SetF64(null_, kAudioDevicePropertyNominalSampleRate, 48000.0), 0);
  ASSERT_TRUE(AudioHardwareFlushNotifications(2000));
  EXPECT_EQ(gRateNotices.load(), 1);
  EXPECT_EQ(AudioDeviceRemovePropertyListener(null_, kAudioPropertyWildcardChannel, true,
                                              kAudioPropertyWildcardPropertyID, CountChanges),
            kAudioHardwareIllegalOperationError);
}

}  // namespace
