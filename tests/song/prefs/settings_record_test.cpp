// The settings record: the writer and the reader agree field by field with the format's own
// width list, and the reader's version gates, upgrades and defaults.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "platform/memory/byte_order.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/prefs/preferences_reader.h"
#include "song/prefs/startup_settings.h"
#include "song/undo/undo_ring.h"
#include "tests/song/prefs/prefs_fixture.h"

namespace prefs_test {
namespace {

using SettingsRecordTest = PrefsTest;

// Offsets of each field by the format's width list.
std::vector<int32_t> FieldOffsets(const std::vector<int32_t>& widths) {
  std::vector<int32_t> offsets;
  int32_t at = 0;
  for (int32_t w : widths) {
    offsets.push_back(at);
    at += w;
  }
  return offsets;
}

void PutValue(std::string* bytes, int32_t width, uint32_t value, int32_t index) {
  for (int32_t k = 0; k < width; ++k) {
    uint8_t b = width <= 4 ? uint8_t(value >> (8 * (width - 1 - k))) : DistinctByte(index, k);
    bytes->push_back(char(b));
  }
}

// The first file version that holds each field, as the format adds them.
uint16_t PresentFrom(int32_t index) {
  static const std::map<int32_t, uint16_t> kAdded = {
      {78, 905}, {79, 905}, {80, 912}, {81, 915}, {82, 915}, {83, 915}, {84, 915},
      {85, 917}, {86, 917}, {87, 918}, {88, 918}, {89, 918}, {90, 918}, {91, 918},
      {92, 919}, {93, 919}, {94, 919}, {95, 920}, {96, 920}, {97, 925}, {98, 926},
      {99, 927}, {100, 928}, {101, 930}, {102, 931}};
  auto it = kAdded.find(index);
  return it == kAdded.end() ? 0 : it->second;
}

// A file of a version from the format's width list: distinct values, with overrides.
std::string BuildRecordFile(uint16_t version, const std::map<int32_t, uint32_t>& overrides,
                            uint8_t mode = 1, uint8_t second = 1) {
  std::vector<int32_t> widths = WriterFieldWidths();
  std::string bytes;
  bytes.push_back(char(version >> 8));
  bytes.push_back(char(version));
  bytes.push_back(char(mode));
  bytes.push_back(char(second));
  for (size_t i = 0; i < widths.size(); ++i) {
    if (version < PresentFrom(int32_t(i))) continue;
    auto it = overrides.find(int32_t(i));
    uint32_t value = it != overrides.end() ? it->second : DistinctValue(int32_t(i), widths[i]);
    PutValue(&bytes, widths[i], value, int32_t(i));
  }
  if (version >= 929) {
    // The smallest sections: a layout block without panes, the drawing block, no
    // instrument table and an empty assignment table.
    bytes += std::string("\x00\x00\x02\x60", 4) + std::string(608 + 96, '\0');
    bytes += std::string(8, '\0');
  }
  return bytes;
}

TEST_F(SettingsRecordTest, FieldTableIsTheFormatsWidthList) {
  std::vector<int32_t> widths = WriterFieldWidths();
  ASSERT_EQ(widths.size(), size_t(kSettingsFieldCount));
  std::vector<int32_t> offsets = FieldOffsets(widths);
  EXPECT_EQ(offsets.back() + widths.back(), kSettingsRecordSize);
  for (int32_t i = 0; i < kSettingsFieldCount; ++i) {
    EXPECT_EQ(GetSettingsField(i).width, widths[size_t(i)]) << "field " << i;
    EXPECT_EQ(GetSettingsField(i).offset, offsets[size_t(i)]) << "field " << i;
  }
}

// The writer's bytes are the width list's, and a file built from the width list alone reads
// back into every field, including the named ones the program acts on.
TEST_F(SettingsRecordTest, WriterAndReaderAgreeFieldByField) {
  FillProgramState();
  std::string written = WriteImage();
  std::string built = BuildRecordFile(kPrefsVersion, {}, 2, 7).substr(0, 4 + kSettingsRecordSize);
  ASSERT_GT(written.size(), built.size());
  for (size_t i = 0; i < built.size(); ++i)
    ASSERT_EQ(uint8_t(written[i]), uint8_t(built[i])) << "the writer's record differs from the format at byte " << i;

  ResetProgramState();
  PreferencesData data;
  ASSERT_EQ(ReadImage(built + written.substr(built.size()), &data), noErr);
  ASSERT_TRUE(data.hasSections);
  std::vector<int32_t> widths = WriterFieldWidths();
  for (int32_t i = 0; i < kSettingsFieldCount; ++i) {
    if (widths[size_t(i)] <= 4) {
      EXPECT_EQ(GetSetting(&data.settings, i), DistinctValue(i, widths[size_t(i)])) << "field " << i;
      continue;
    }
    for (int32_t k = 0; k < widths[size_t(i)]; ++k)
      EXPECT_EQ(GetSettingBytes(&data.settings, i)[k], DistinctByte(i, k)) << "field " << i;
  }
  EXPECT_EQ(data.settings.mode, 2);
  EXPECT_EQ(data.settings.second, 7);
  TakePreferencesData(&data);
  EXPECT_EQ(gUndoLevels, 777);  // the undo level count sits in field 98
  EXPECT_EQ(gRealtimeProcessorSettings, DistinctValue(kSetRealtimeByte, 1));
  DisposePreferencesData(&data);
}

TEST_F(SettingsRecordTest, AlwaysZeroByteIsWrittenAsZero) {
  FillProgramState();
  SetSetting(&gPrefsSettings, kSetAlwaysZero, 0x5A);
  std::string written = WriteImage();
  EXPECT_EQ(uint8_t(written[4 + GetSettingsField(kSetAlwaysZero).offset]), 0);
}

struct RuleCase {
  const char* name;
  uint16_t version;
  std::map<int32_t, uint32_t> stored;
  std::map<int32_t, uint32_t> expected;
};

class SettingsRuleTest : public PrefsTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(SettingsRuleTest, ReadsAsTheFormatSays) {
  const RuleCase& c = GetParam();
  PreferencesData data;
  ASSERT_EQ(ReadImage(BuildRecordFile(c.version, c.stored), &data), noErr);
  for (const auto& [index, value] : c.expected)
    EXPECT_EQ(GetSetting(&data.settings, index), value) << c.name << ", field " << index;
  DisposePreferencesData(&data);
}

constexpr int32_t kStep6 = kSetBlock903First;

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsRuleTest,
    ::testing::Values(
        RuleCase{"902 skips the twelve bytes", 902, {{kStep6, 5}, {kStep6 + 1, 6}, {kStep6 + 4, 7}},
                 {{kStep6, 0}, {kStep6 + 1, 0}, {kStep6 + 4, 0}, {kSetHighlightColour, DistinctValue(77, 4)}}},
        RuleCase{"903 reads them", 903, {{kStep6, 5}, {kStep6 + 1, 6}, {kStep6 + 4, 7}},
                 {{kStep6, 5}, {kStep6 + 1, 6}, {kStep6 + 4, 7}}},
        RuleCase{"above 47 reads as 1", 932, {{kSetLimitedValue, 48}}, {{kSetLimitedValue, 1}}},
        RuleCase{"47 stays", 932, {{kSetLimitedValue, 47}}, {{kSetLimitedValue, 47}}},
        RuleCase{"zero counts and sizes", 932,
                 {{kSetCount, 0}, {kSetBufferA, 0}, {kSetBufferB, 0}, {kSetSizeWord, 0}, {kSetSizeLong, 5},
                  {kSetPairByte, 0}, {kSetPairLong, 9}},
                 {{kSetCount, 6}, {kSetBufferA, 0xF000}, {kSetBufferB, 0x20000}, {kSetSizeWord, 4},
                  {kSetSizeLong, 0x2000}, {kSetPairByte, 1}, {kSetPairLong, 1}}},
        RuleCase{"toggle inverted below 916", 915, {{kSetToggle, 0}}, {{kSetToggle, 1}}},
        RuleCase{"toggle kept from 916", 916, {{kSetToggle, 0}}, {{kSetToggle, 0}}},
        RuleCase{"display flags without 0x10", 932, {{kSetDisplayFlags, 0x0100}}, {{kSetDisplayFlags, 0x011C}}},
        RuleCase{"below 789 the second word gets 0x400", 788, {{kSetDisplayFlags2, 0x0003}},
                 {{kSetDisplayFlags2, 0x0403}, {kSetMidiInputFlags, 0x0403}}},
        RuleCase{"below 913 the display setting is 138", 912, {{kSetDisplaySetting, 77}}, {{kSetDisplaySetting, 138}}},
        RuleCase{"a zero display setting takes bit 12", 932, {{kSetDisplaySetting, 0}, {kSetPrefWordHigh, 0x10}},
                 {{kSetDisplaySetting, 129}}},
        RuleCase{"MIDI input flags from 919", 919, {{kSetMidiInputFlags, 0xABCD0123}}, {{kSetMidiInputFlags, 0xABCD0123}}},
        RuleCase{"undo levels 0 and too many", 932, {{kSetUndoLevels, 0}}, {{kSetUndoLevels, uint32_t(kDefaultUndoLevels)}}},
        RuleCase{"undo levels clamped", 932, {{kSetUndoLevels, 5000000}}, {{kSetUndoLevels, kMaxUndoLevels}}},
        RuleCase{"below 928 the audio byte is 1", 927, {}, {{kSetAudioSettingsByte, 1}}},
        RuleCase{"from 928 it is read", 928, {{kSetAudioSettingsByte, 0}}, {{kSetAudioSettingsByte, 0}}}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return "case" + std::to_string(info.index); });

TEST_F(SettingsRecordTest, ModeByteOfOlderFiles) {
  struct Case {
    uint16_t version;
    uint8_t mode, second, expectMode, expectSecond;
  };
  for (const Case& c : {Case{921, 0, 0, 0, 0}, Case{921, 3, 0, 2, 0}, Case{921, 3, 1, 1, 0},
                        Case{922, 3, 0, 3, 0}, Case{922, 2, 9, 2, 9}}) {
    PreferencesData data;
    ASSERT_EQ(ReadImage(BuildRecordFile(c.version, {}, c.mode, c.second), &data), noErr);
    EXPECT_EQ(data.settings.mode, c.expectMode) << c.version << " " << int(c.mode) << " " << int(c.second);
    EXPECT_EQ(data.settings.second, c.expectSecond) << c.version;
  }
}

TEST_F(SettingsRecordTest, VersionsOutsideTheRangeAreNotTaken) {
  PreferencesData data;
  EXPECT_EQ(ReadImage(BuildRecordFile(584, {}), &data), kPrefsUnusedErr);
  EXPECT_EQ(ReadImage("", &data), kPrefsUnusedErr);
  EXPECT_EQ(ReadImage(BuildRecordFile(933, {}), &data), kPrefsDamagedErr);
  PrefsSettings defaults;
  SetDefaultSettings(&defaults);
  EXPECT_EQ(std::memcmp(data.settings.record, defaults.record, kSettingsRecordSize), 0);
}

}  // namespace
}  // namespace prefs_test
