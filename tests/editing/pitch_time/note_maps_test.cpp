// The note maps by themselves: each way of building one, with the cases where a note leaves
// the MIDI range and is folded back, and the fields that read a time or a length.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "editing/transforms/event_dialog_fields.h"
#include "editing/transforms/note_maps.h"
#include "platform/system/sys_beep.h"
#include "song/model/track_drum_map.h"

namespace {

struct MapCase {
  const char* name;
  void (*build)(uint8_t* map);
  int32_t note;
  int32_t expected;
};
void PrintTo(const MapCase& c, std::ostream* out) { *out << c.name; }

ScaleSteps Major(int32_t key = 0) { return LoadScaleSteps(3, key); }
ScaleSteps Minor(int32_t key = 0) { return LoadScaleSteps(2, key); }

const MapCase kMapCases[] = {
    {"one note: every note becomes middle C", [](uint8_t* m) { BuildNoteMap(m, kNoteMapOneNote, 60, 60, Major(), Major()); }, 17, 60},
    {"one note: also the highest", [](uint8_t* m) { BuildNoteMap(m, kNoteMapOneNote, 60, 60, Major(), Major()); }, 127, 60},
    {"chromatic inversion around 60: 64 to 56", [](uint8_t* m) { BuildInversionMap(m, 60, true, Major()); }, 64, 56},
    {"chromatic inversion around 60: 127 to -7, folded up to 5", [](uint8_t* m) { BuildInversionMap(m, 60, true, Major()); }, 127, 5},
    {"scale inversion around C: E (two steps up) to A (two steps down)", [](uint8_t* m) { BuildInversionMap(m, 60, false, Major()); }, 64, 57},
    {"up a semitone (argument -1): 127 to 128, folded down to 116", [](uint8_t* m) { BuildSemitoneShiftMap(m, -1); }, 127, 116},
    {"down a semitone: 0 to -1, folded up to 11", [](uint8_t* m) { BuildSemitoneShiftMap(m, 1); }, 0, 11},
    {"scale steps C to E in C major: D becomes F", [](uint8_t* m) { BuildNoteMap(m, kNoteMapScaleSteps, 60, 64, Major(), Major()); }, 62, 65},
    {"scale steps C to E in C major: B becomes D an octave up", [](uint8_t* m) { BuildNoteMap(m, kNoteMapScaleSteps, 60, 64, Major(), Major()); }, 71, 74},
    {"scale steps keep an off-scale note off the scale", [](uint8_t* m) { BuildNoteMap(m, kNoteMapScaleSteps, 60, 62, Major(), Major()); }, 61, 63},
    {"scale steps in D major (key 2): D to F#", [](uint8_t* m) { BuildNoteMap(m, kNoteMapScaleSteps, 62, 66, Major(2), Major(2)); }, 62, 66},
    {"scale to scale, major onto minor: E becomes Eb", [](uint8_t* m) { BuildScaleToScaleMap(m, Major(), Minor()); }, 64, 63},
    {"scale to scale, major onto minor: A becomes Ab", [](uint8_t* m) { BuildScaleToScaleMap(m, Major(), Minor()); }, 69, 68},
    {"scale to scale: an off-scale note takes the entry below", [](uint8_t* m) { BuildScaleToScaleMap(m, Major(), Minor()); }, 66, 65},
    {"scale to scale: keys 7 apart stay as they are (C to G above)", [](uint8_t* m) { BuildScaleToScaleMap(m, Major(0), Major(7)); }, 60, 67},
    {"scale to scale: keys 9 apart are taken as the nearer pair (C to A below)", [](uint8_t* m) { BuildScaleToScaleMap(m, Major(0), Major(9)); }, 60, 57},
    {"scale to scale, five steps onto seven: the nearest target note", [](uint8_t* m) { BuildScaleToScaleMap(m, LoadScaleSteps(9, 0), Minor()); }, 64, 63},
};

class NoteMapTest : public ::testing::TestWithParam<MapCase> {};

TEST_P(NoteMapTest, MapsTheNote) {
  uint8_t map[kNoteMapSize];
  for (int32_t k = 0; k < kNoteMapSize; ++k) map[k] = uint8_t(k);
  GetParam().build(map);
  EXPECT_EQ(GetParam().expected, map[GetParam().note]);
  for (int32_t k = 0; k < kNoteMapSize; ++k) EXPECT_LE(map[k], 127) << k;
}

INSTANTIATE_TEST_SUITE_P(Cases, NoteMapTest, ::testing::ValuesIn(kMapCases));

TEST(NoteMapKeep, ModeThreeLeavesTheMapAsItIs) {
  uint8_t map[kNoteMapSize];
  std::memset(map, 42, sizeof map);
  BuildNoteMap(map, kNoteMapKeep, 60, 72, Major(), Major());
  for (uint8_t v : map) EXPECT_EQ(42, v);
}

// Rows 1..3 hold notes 36, 38 and 42; the shift wraps within the three rows.
TEST(DrumRowShift, RowsWrapWithinTheMap) {
  uint8_t drumMap[kDrumMapMinimumSize] = {};
  drumMap[kDrumMapRowOfNote + 36] = 1;
  drumMap[kDrumMapRowOfNote + 38] = 2;
  drumMap[kDrumMapRowOfNote + 42] = 3;
  uint8_t map[kNoteMapSize];
  BuildDrumRowShiftMap(map, drumMap, 1);
  EXPECT_EQ(38, map[36]);
  EXPECT_EQ(36, map[42]) << "above the last row counts from the first";
  EXPECT_EQ(50, map[50]) << "a note without a row stays";
  BuildDrumRowShiftMap(map, drumMap, -1);
  EXPECT_EQ(42, map[36]) << "below the first row counts from the last";
}

TEST(LengthFields, ALengthAboveTheLimitIsStoredAs65535) {
  EventMeter meter{4, 480, 1920};
  ResetSysBeepCountForTesting();
  EXPECT_EQ(65535, ReadDurationTexts({"40.5", "", ""}, meter));
  EXPECT_EQ(1, GetSysBeepCount());
  EXPECT_EQ(34 * 1920, ReadDurationTexts({"40", "0", "0"}, meter)) << "the bar field is held at 65535 / 1920";
  EXPECT_EQ(2, GetSysBeepCount());
  EXPECT_EQ(1920 + 2 * 480 + 240, ReadDurationTexts({"1.625", "", ""}, meter));
  EXPECT_EQ(480 + 48, ReadDurationTexts({"0", "1.1", ""}, meter)) << "the fraction of a beat is truncated";
}

}  // namespace
