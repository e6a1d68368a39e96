// The host audio driver's devices on the null device and, when a server runs, on JACK: the
// device lists, names, rates and formats, the format applied to the devices, the record
// latency, and the chosen devices found again after a restart through the saved settings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/devices/coreaudio_settings.h"
#include "audio/engine/record_inputs.h"
#include "platform/coreaudio/core_audio.h"
#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "tests/test_support.h"

namespace {

std::string Text(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

void SetText(StringPtr target, const std::string& text) {
  target[0] = uint8_t(text.size());
  std::memcpy(target + 1, text.data(), text.size());
}

TEST(AudioRates, RangesOfferTheTableRatesInsideThemOrTheirOwnRates) {
  struct Case {
    std::vector<AudioValueRange> ranges;
    std::vector<float> offered;
  };
  const std::vector<Case> cases = {
      {{{8000, 96000}}, {32000, 44100, 48000, 88200, 96000}},  // the maximum is offered
      {{{48000, 96000}}, {48000, 88200, 96000}},               // nothing below the minimum
      {{{44100, 48000}}, {44100, 48000}},
      {{{50000, 80000}}, {}},
      {{{44100, 44100}, {48000, 48000}}, {44100, 48000}},      // discrete rates as they are
      {{{22050, 22050}}, {22050}},
      {{}, {}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    float out[16];
    uint16_t n = RatesFromRanges(cases[i].ranges.data(), uint32_t(cases[i].ranges.size()), out, 16);
    EXPECT_EQ(std::vector<float>(out, out + n), cases[i].offered) << "case " << i;
  }
}

TEST(AudioSettingsRecord, ImageRoundTripsAndOddSizesAreHandled) {
  CoreAudioSettings s;
  s.bufferFrames = 256;
  s.firstChannel = 2;
  s.secondChannel = 3;
  SetText(s.outputName, "Null Output");
  s.inputOff = 1;
  s.skipFrames = 4096;
  s.stopDelay = 30;
  s.audioMode = 2;
  uint8_t image[kCoreAudioSettingsSize];
  WriteCoreAudioSettingsImage(s, image);
  EXPECT_EQ(ReadU32BE(image), 256u);  // big-endian, buffer frames first

  CoreAudioSettings back;
  ASSERT_TRUE(ReadCoreAudioSettingsImage(image, kCoreAudioSettingsSize, &back));
  EXPECT_EQ(back.bufferFrames, 256u);
  EXPECT_EQ(back.firstChannel, 2);
  EXPECT_EQ(Text(back.outputName), "Null Output");
  EXPECT_EQ(back.inputOff, 1);
  EXPECT_EQ(back.skipFrames, 4096);
  EXPECT_EQ(back.stopDelay, 30);
  EXPECT_EQ(back.audioMode, 2);

  // Larger than the record: ignored. Shorter: fills the beginning, the rest stays.
  std::vector<uint8_t> large(kCoreAudioSettingsSize + 8, 0xFF);
  CoreAudioSettings kept;
  EXPECT_FALSE(ReadCoreAudioSettingsImage(large.data(), int32_t(large.size()), &kept));
  EXPECT_EQ(kept.bufferFrames, kDefaultBufferFrames);
  uint8_t shortImage[8] = {0, 0, 0, 0, 0, 0, 0, 7};  // buffer frames 0, input source 7
  ASSERT_TRUE(ReadCoreAudioSettingsImage(shortImage, 8, &back));
  EXPECT_EQ(back.bufferFrames, kDefaultBufferFrames);
  EXPECT_EQ(back.inputSource, 7u);
  EXPECT_EQ(Text(back.outputName), "Null Output");
  // Values outside their ranges are kept inside them.
  WriteI32BE(image + 284, 5000000);
  WriteI32BE(image + 288, -4);
  ASSERT_TRUE(ReadCoreAudioSettingsImage(image, kCoreAudioSettingsSize, &back));
  EXPECT_EQ(back.skipFrames, 100000);
  EXPECT_EQ(back.stopDelay, 0);
}

// A preferences folder of the test's own, the driver's device state cleared.
class CoreAudioDevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Restart();
    RegisterStandardFolder(kPreferencesFolderType, prefs_.path());
    null_ = GetNullAudioDevice();
    ASSERT_NE(null_, kAudioDeviceUnknown);
    gPreferredSampleRate = 0.0f;
    gAudioDriverState.store(kDriverNothingStarted);
  }
  void TearDown() override {
    Restart();
    RegisterStandardFolder(kPreferencesFolderType, "");
    Float64 rate = 44100.0;
    AudioDeviceSetProperty(null_, nullptr, 0, false, kAudioDevicePropertyNominalSampleRate, sizeof rate, &rate);
    gPreferredSampleRate = 0.0f;
  }
  // What a new run of the program starts from.
  void Restart() {
    CloseAllResFiles();
    gPrefsResFile = -1;
    ForgetPrefsFileSpec();
    gCoreAudioDevices = CoreAudioDevices();
    gCoreAudioSettings = CoreAudioSettings();
    gCoreAudioDriver.outputPair = 0;
  }
  AudioDeviceID Named(const std::string& name) {
    BuildAudioDeviceLists();
    for (AudioDeviceID device : gCoreAudioDevices.outputList) {
      Str255 text;
      GetDevicePascalString(device, 0, kSideOut, kAudioDevicePropertyDeviceNameCFString, 256, text);
      if (Text(text) == name) return device;
    }
    return kAudioDeviceUnknown;
  }
  int32_t InputIndexOf(AudioDeviceID device) {
    for (size_t i = 0; i < gCoreAudioDevices.inputList.size(); ++i) {
      if (gCoreAudioDevices.inputList[i] == device) return int32_t(i);
    }
    return -1;
  }
  UInt32 DeviceU32(AudioDeviceID device, Boolean isInput, AudioDevicePropertyID property) {
    UInt32 value = 0, size = sizeof value;
    AudioDeviceGetProperty(device, 0, isInput, property, &size, &value);
    return value;
  }
  zarin_test::TempFolder prefs_;
  AudioDeviceID null_ = kAudioDeviceUnknown;
};

TEST_F(CoreAudioDevicesTest, NullDeviceListsNamesRatesAndFormats) {
  BuildAudioDeviceLists();
  ASSERT_GE(InputIndexOf(null_), 0);
  EXPECT_NE(std::find(gCoreAudioDevices.outputList.begin(), gCoreAudioDevices.outputList.end(), null_),
            gCoreAudioDevices.outputList.end());
  EXPECT_EQ(CountInputDevices(), int32_t(gCoreAudioDevices.inputList.size()));
  EXPECT_TRUE(gCoreAudioDriver.flags & kDriverFlagInputAvailable);

  Str255 name;
  ASSERT_EQ(SelectAudioDeviceByIndex(InputIndexOf(null_), name, 3), 0);
  EXPECT_EQ(Text(name), "Null Output");
  EXPECT_EQ(gCoreAudioDevices.inputDevice, null_);
  EXPECT_EQ(gCoreAudioDevices.outputDevice, null_);  // the output device of the same name
  EXPECT_EQ(CountOutputPairs(), 1);
  EXPECT_EQ(CountInputChannels(), 2);
  EXPECT_FALSE(IsAggregateInputDevice());

  struct NameCase {
    int32_t pairOrChannel;
    int32_t mode;  // -1: an output pair
    std::string expected;
  };
  for (const NameCase& c : std::vector<NameCase>{{0, -1, "Null Out"},
                                                 {1, -1, "[Null Output]"},  // beyond the device
                                                 {0, 0, "Left In 1"},
                                                 {0, 1, "Left In 2"},
                                                 {0, 2, "Left In 1+2"}}) {
    if (c.mode < 0) GetOutputPairName(c.pairOrChannel, name);
    else GetInputPairName(c.pairOrChannel, c.mode, name);
    EXPECT_EQ(Text(name), c.expected) << c.pairOrChannel << " " << c.mode;
  }

  // The user's names win where the lists hold them; a list cut short is not read past.
  const uint8_t outs[] = {0, 1, 4, 'M', 'a', 'i', 'n'};
  const uint8_t ins[] = {0, 2, 3, 'G', 't', 'r', 3, 'V', 'o', 'x'};
  const uint8_t cut[] = {0, 3, 3, 'G', 't', 'r', 9, 'V'};
  PtrToHand(outs, &gCoreAudioDevices.userOutputNames, sizeof outs);
  PtrToHand(ins, &gCoreAudioDevices.userInputNames, sizeof ins);
  for (const NameCase& c : std::vector<NameCase>{{0, -1, "Main"},
                                                 {1, -1, "[Null Output]"},  // beyond the list
                                                 {0, 0, "Gtr"},
                                                 {0, 1, "Vox"},
                                                 {0, 2, "Gtr + Vox"},
                                                 {1, 2, "Right In 2+3"}}) {
    if (c.mode < 0) GetOutputPairName(c.pairOrChannel, name);
    else GetInputPairName(c.pairOrChannel, c.mode, name);
    EXPECT_EQ(Text(name), c.expected) << "user names " << c.pairOrChannel << " " << c.mode;
  }
  Handle cutShort;
  PtrToHand(cut, &cutShort, sizeof cut);
  EXPECT_TRUE(UserChannelName(cutShort, 0, name));
  EXPECT_FALSE(UserChannelName(cutShort, 1, name));
  EXPECT_FALSE(UserChannelName(cutShort, 2, name));
  DisposeHandle(cutShort);
  DisposeHandle(gCoreAudioDevices.userOutputNames);
  DisposeHandle(gCoreAudioDevices.userInputNames);
  gCoreAudioDevices.userOutputNames = gCoreAudioDevices.userInputNames = Handle();

  AudioRateRecord rates;
  GetSampleRates(&rates);
  ASSERT_EQ(rates.count, 4);
  EXPECT_EQ(ReadF32BE(*rates.rates), 44100.0f);
  EXPECT_EQ(ReadF32BE(*rates.rates + 12), 96000.0f);
  EXPECT_EQ(rates.highest, 96000.0f);
  DisposeHandle(rates.rates);
  // With input switched off the output device answers.
  gCoreAudioDevices.inputOff = 1;
  GetSampleRates(&rates);
  EXPECT_EQ(rates.count, 4);
  DisposeHandle(rates.rates);

  AudioFormatRecord formats;
  ASSERT_EQ(GetSampleFormats(&formats), 0);
  EXPECT_EQ(formats.count, 3);
  ASSERT_EQ(GetHandleSize(formats.formats), 6);
  EXPECT_EQ(ReadU16BE(*formats.formats + 4), 32);
  DisposeHandle(formats.formats);
}

TEST_F(CoreAudioDevicesTest, FormatIsAppliedToTheNullDevice) {
  BuildAudioDeviceLists();
  Str255 name;
  ASSERT_EQ(SelectAudioDeviceByIndex(InputIndexOf(null_), name, 3), 0);
  gPreferredSampleRate = 48000.0f;
  gAudioBufferFrames.store(256);
  ASSERT_EQ(ApplyDeviceFormat(1), 0);
  Float64 rate = 0;
  UInt32 size = sizeof rate;
  ASSERT_EQ(AudioDeviceGetProperty(null_, 0, false, kAudioDevicePropertyNominalSampleRate, &size, &rate), 0);
  EXPECT_EQ(rate, 48000.0);
  EXPECT_EQ(gCoreAudioDriver.sampleRate, 48000.0f);
  EXPECT_EQ(gCoreAudioDriver.sampleBits, 32);
  EXPECT_EQ(DeviceU32(null_, false, kAudioDevicePropertyBufferFrameSize), 256u);

  // A rate the device refuses: the device's rate becomes the preferred one.
  gPreferredSampleRate = 12345.0f;
  ASSERT_EQ(ApplyDeviceFormat(1), 0);
  EXPECT_EQ(gPreferredSampleRate, 48000.0f);
  EXPECT_EQ(gCoreAudioDriver.sampleRate, 48000.0f);

  gCoreAudioDevices.optionWord = kOptionRefuseFormatChange;
  EXPECT_EQ(ApplyDeviceFormat(1), kDeviceChangesRefused);
}

// The latency of a recorded take adds the output's and the input's latency, the buffer
// distance (assumed one buffer until both first times are known, then measured), and the
// input's own offset.
TEST_F(CoreAudioDevicesTest, RecordLatencyAddsBothSides) {
  BuildAudioDeviceLists();
  AudioDeviceID jack = Named("JACK (default)");
  AudioDeviceID device = jack != kAudioDeviceUnknown ? jack : null_;
  gCoreAudioDevices.inputDevice = device;
  gCoreAudioDevices.outputDevice = device;
  gCoreAudioDriver.sampleRate = 48000.0f;
  gAudioBufferFrames.store(256);
  gCoreAudioTiming.firstInputHostTime.store(0);
  gCoreAudioTiming.firstOutputHostTime.store(0);
  AudioInput input;
  input.latencyOffset = 10;
  int32_t sides = int32_t(DeviceU32(device, false, kAudioDevicePropertyLatency) +
                          DeviceU32(device, true, kAudioDevicePropertyLatency));
  EXPECT_EQ(GetIOLatency(&input), sides + 256 + 10);
  // Measured: 2 ms output lead and 1 ms from the input time to its cycle: 144 frames.
  gCoreAudioTiming.firstInputHostTime.store(5000000);
  gCoreAudioTiming.firstInputNow.store(6000000);
  gCoreAudioTiming.firstOutputHostTime.store(9000000);
  gCoreAudioTiming.firstOutputLead.store(2000000);
  EXPECT_EQ(GetIOLatency(&input), sides + 144 + 10);
  gCoreAudioTiming.firstInputHostTime.store(0);
  gCoreAudioTiming.firstOutputHostTime.store(0);
  if (jack == kAudioDeviceUnknown) GTEST_SKIP() << "no JACK server runs (tools/services start): null device only";
  EXPECT_GT(DeviceU32(device, true, kAudioDevicePropertyLatency), 0u);
}

// The chosen devices are saved with the settings and chosen again at the next start, on the
// null device and, when a server runs, on JACK; a saved device that is gone gives '!dev' and
// the default output device.
TEST_F(CoreAudioDevicesTest, SavedDevicesAreChosenAgainAtTheNextStart) {
  BuildAudioDeviceLists();
  std::vector<AudioDeviceID> candidates = {null_};
  AudioDeviceID jack = Named("JACK (default)");
  if (jack != kAudioDeviceUnknown) candidates.push_back(jack);
  for (AudioDeviceID device : candidates) {
    Restart();
    BuildAudioDeviceLists();
    Str255 name;
    ASSERT_EQ(SelectAudioDeviceByIndex(InputIndexOf(device), name, 3), 0);
    ASSERT_EQ(gCoreAudioDevices.outputDevice, device);
    gAudioBufferFrames.store(512);
    char startup[256] = {0};
    ASSERT_EQ(SaveCoreAudioDeviceChoice(startup), 0);
    EXPECT_EQ(Text(reinterpret_cast<StringPtr>(startup)), Text(name));

    Restart();
    gAudioBufferFrames.store(0);
    EXPECT_EQ(CoreAudioInit(startup), 0);
    EXPECT_EQ(gCoreAudioDevices.outputDevice, device) << Text(name);
    EXPECT_EQ(gCoreAudioDevices.inputDevice, device) << Text(name);
    EXPECT_EQ(gAudioBufferFrames.load(), 512);
  }

  // Start-up enters the driver in the engine's device list once.
  Restart();
  char startup[256] = {0};
  AudioDriverOps* before = gOutputDevices;
  gOutputDevices = nullptr;
  EXPECT_EQ(InstallAudioDrivers(startup), 1);
  EXPECT_EQ(InstallAudioDrivers(startup), 1);
  EXPECT_EQ(gOutputDevices, &gCoreAudioDriver);
  EXPECT_TRUE(gCoreAudioDriver.flags & kDriverFlagActive);
  gOutputDevices = before;
  gCoreAudioDriver.next = nullptr;

  // A device that is gone: the default output device instead.
  Restart();
  SetText(gCoreAudioSettings.outputName, "No Such Device");
  Str255 input;
  SetText(input, "No Such Device");
  EXPECT_EQ(SelectSavedAudioDevices(input), kAudioHardwareBadDeviceError);
  AudioDeviceID byDefault = kAudioDeviceUnknown;
  UInt32 size = sizeof byDefault;
  ASSERT_EQ(AudioHardwareGetProperty(kAudioHardwarePropertyDefaultOutputDevice, &size, &byDefault), 0);
  EXPECT_EQ(gCoreAudioDevices.outputDevice, byDefault);
  if (jack == kAudioDeviceUnknown) GTEST_SKIP() << "no JACK server runs (tools/services start): null device only";
}

}  // namespace
