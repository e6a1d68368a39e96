// The general settings record: what each length of record gives, the records refused as
// damaged, and the write that keeps the bytes it does not own.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/resource_files.h"
#include "song/prefs/general_settings.h"
#include "tests/song/prefs/prefs_fixture.h"

namespace prefs_test {
namespace {

// A full record of the current layout with values no default has: 22050 Hz in both rate
// fields, 960 ticks per quarter, 6/8 at that resolution.
std::vector<uint8_t> FullRecord() {
  std::vector<uint8_t> r(kGeneralSettingsSize, 0);
  GeneralSettings s;
  s.outputPair = 3;
  std::memcpy(s.deviceType, "JACK", 4);
  s.textSize = 12;
  std::memcpy(s.fontName, "\006Monaco", 7);
  std::memcpy(s.deviceName, "\004Null", 5);
  s.sampleRate = 22050.0f;
  s.resolution = 960;
  s.ticksPerBeat = 480;
  s.beatsPerBar = 6;
  FillGeneralSettings(s, r.data());
  return r;
}

TEST(GeneralSettingsRecord, EachLengthReadsTheFieldsItHoldsAndDefaultsTheRest) {
  struct Case {
    int32_t length;
    float rate;
    int32_t resolution;
    uint16_t ticksPerBeat;
  };
  // The 32-bit float rate needs 396 bytes; without it the 16.16 rate is read.
  for (Case c : {Case{388, 22050.0f, 0, 0}, Case{392, 22050.0f, 0, 0}, Case{396, 22050.0f, 0, 0},
                 Case{398, 22050.0f, 960, 0}, Case{410, 22050.0f, 960, 0}, Case{411, 22050.0f, 960, 480},
                 Case{414, 22050.0f, 960, 480}}) {
    SCOPED_TRACE(c.length);
    std::vector<uint8_t> r = FullRecord();
    if (c.length < 396) WriteU32BE(r.data() + kGenFixedRate, 22050u << 16);
    GeneralSettings s;
    ASSERT_EQ(noErr, ParseGeneralSettings(r.data(), c.length, &s));
    EXPECT_EQ(3, s.outputPair);
    EXPECT_EQ(0, std::memcmp(s.deviceType, "JACK", 4));
    EXPECT_EQ(12, s.textSize);
    EXPECT_EQ(0, std::memcmp(s.fontName, "\006Monaco", 7));
    EXPECT_EQ(0, std::memcmp(s.deviceName, "\004Null", 5));
    EXPECT_EQ(c.rate, s.sampleRate);
    EXPECT_EQ(c.resolution, s.resolution);
    EXPECT_EQ(c.ticksPerBeat, s.ticksPerBeat);
    EXPECT_EQ(c.ticksPerBeat ? 6 : 0, s.beatsPerBar);
  }
}

TEST(GeneralSettingsRecord, TheRateFallsBackFromFloatToFixedToTheDefault) {
  std::vector<uint8_t> r = FullRecord();
  GeneralSettings s;
  WriteF32BE(r.data() + kGenFloatRate, -1.0f);
  WriteU32BE(r.data() + kGenFixedRate, 48000u << 16);
  ASSERT_EQ(noErr, ParseGeneralSettings(r.data(), kGeneralSettingsSize, &s));
  EXPECT_EQ(48000.0f, s.sampleRate);
  WriteU32BE(r.data() + kGenFixedRate, 0);
  ASSERT_EQ(noErr, ParseGeneralSettings(r.data(), kGeneralSettingsSize, &s));
  EXPECT_EQ(44100.0f, s.sampleRate);
}

TEST(GeneralSettingsRecord, ADamagedRecordIsRefusedAndChangesNothing) {
  struct Case {
    const char* what;
    int32_t length;
    int32_t offset;  // -1: no byte changed
    uint8_t byte;
  };
  for (Case c : {Case{"shorter than the base", 387, -1, 0}, Case{"longer than the record", 415, -1, 0},
                 Case{"font name of 64", 414, kGenFontName, 64}, Case{"device name of 200", 414, kGenDeviceName, 200},
                 Case{"negative text size", 414, kGenTextSize, 0x80}, Case{"resolution 7", 414, kGenResolution, 0},
                 Case{"meter of 0 beats", 414, kGenBeatsPerBar, 0}, Case{"meter of 65 beats", 414, kGenBeatsPerBar, 65}}) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> r = FullRecord();
    r.resize(size_t(std::max(c.length, kGeneralSettingsSize)));
    if (c.offset == kGenResolution) WriteU16BE(r.data() + kGenResolution, 7);
    else if (c.offset >= 0) r[size_t(c.offset)] = c.byte;
    GeneralSettings s;
    s.textSize = 99;
    EXPECT_EQ(kGeneralSettingsDamaged, ParseGeneralSettings(r.data(), c.length, &s));
    EXPECT_EQ(99, s.textSize);
    EXPECT_EQ(44100.0f, s.sampleRate);
  }
}

using GeneralSettingsFile = PrefsTest;

// An earlier, shorter record is brought to the full length; bytes nobody here names stay.
TEST_F(GeneralSettingsFile, WritingKeepsTheBytesItDoesNotOwnAndReadsBack) {
  ASSERT_EQ(noErr, UsePrefsResFile());
  Handle old = NewHandleClear(390);
  for (int32_t i = 0; i < 390; ++i) (*old)[i] = char(i * 7 + 1);
  (*old)[kGenFontName] = 3;
  (*old)[kGenDeviceName] = 3;
  WriteU16BE(*old + kGenTextSize, 9);
  ASSERT_EQ(noErr, WriteBMIDResource(&old, kGeneralSettingsId, nullptr, true));
  DisposeHandle(old);

  std::vector<uint8_t> full = FullRecord();
  GeneralSettings s;
  ASSERT_EQ(noErr, ParseGeneralSettings(full.data(), kGeneralSettingsSize, &s));
  s.editingOptions = 0x02;
  ASSERT_EQ(noErr, WriteGeneralSettings(s));

  GeneralSettings back;
  bool found = false;
  ASSERT_EQ(noErr, ReadGeneralSettings(&back, &found));
  ASSERT_TRUE(found);
  EXPECT_EQ(12, back.textSize);
  EXPECT_EQ(22050.0f, back.sampleRate);
  EXPECT_EQ(960, back.resolution);
  EXPECT_EQ(480, back.ticksPerBeat);
  EXPECT_EQ(6, back.beatsPerBar);
  EXPECT_EQ(0x02, back.editingOptions);
  ASSERT_EQ(noErr, UsePrefsResFile());
  Handle h = Get1Resource(kSettingsResType, kGeneralSettingsId);
  ASSERT_TRUE(h);
  ASSERT_EQ(kGeneralSettingsSize, GetHandleSize(h));
  for (int32_t i : {0, 1, 2, 3, 5, 6, 7, 100, 200, 300, 389}) EXPECT_EQ(char(i * 7 + 1), (*h)[i]) << i;
  ReleaseResource(h);
  UseAppResFile();
}

}  // namespace
}  // namespace prefs_test
