// Key codes: spelling pitches as keys and naming them.
#include <string>

#include "conductor_fixture.h"
#include "shell/dialogs/note_names.h"
#include "song/model/key_codes.h"

namespace {

class KeyTest : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    gKeySpellingFlags = 0;
    gTypedAccidental = 0;
  }
  void TearDown() override {
    gKeySpellingFlags = 0;
    gTypedAccidental = 0;
  }
  static std::string Text(const unsigned char* p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }
};

// Per pitch class: the major key's code, the minor key's code, and the tonic's name.
struct KeyCase {
  int32_t pitch;
  uint8_t major;
  uint8_t minor;
  const char* name;
};

const KeyCase kKeys[] = {
    {0, 0x00, 0xC9, "C"},  {1, 0x07, 0x84, "C#"}, {2, 0x02, 0xCB, "D"},  {3, 0x49, 0x86, "Eb"},
    {4, 0x04, 0x81, "E"},  {5, 0x4B, 0xC8, "F"},  {6, 0x06, 0x83, "F#"}, {7, 0x01, 0xCA, "G"},
    {8, 0x48, 0x85, "Ab"}, {9, 0x03, 0x80, "A"},  {10, 0x4A, 0x87, "Bb"}, {11, 0x05, 0x82, "B"},
};

TEST_F(KeyTest, SpellingTable) {
  for (const KeyCase& k : kKeys) {
    gKeySpellingFlags = 0;
    EXPECT_EQ(k.major, SpellPitchClass(k.pitch)) << k.pitch;
    EXPECT_EQ(k.major, SpellPitchClass(k.pitch - 24)) << k.pitch;
    EXPECT_EQ(k.name, Text(PitchName(k.pitch))) << k.pitch;
    gKeySpellingFlags = kKeySpellingMinor;
    EXPECT_EQ(k.minor, SpellPitchClass(k.pitch)) << k.pitch;
    EXPECT_EQ(k.name, Text(PitchName(k.pitch))) << "named as a major tonic " << k.pitch;
    EXPECT_EQ(kKeySpellingMinor, gKeySpellingFlags);
  }
}

TEST_F(KeyTest, TypedAccidentalsChooseTheSpelling) {
  gTypedAccidental = kTypedFlat;
  EXPECT_EQ(0x46, SpellPitchClass(6));
  EXPECT_EQ("Gb", Text(PitchName(6)));
  gTypedAccidental = kTypedSharp;
  EXPECT_EQ(0x0A, SpellPitchClass(10));
  EXPECT_EQ("A#", Text(PitchName(10)));
  gTypedAccidental = kTypedFlat | kTypedSharp;  // the sharp wins
  EXPECT_EQ(0x08, SpellPitchClass(8));
}

TEST_F(KeyTest, AccidentalCountsAndTheMinorFlag) {
  const int32_t counts[][2] = {{0x00, 0}, {0x07, 7}, {0x48, -4}, {0x4B, -1}, {0x89, -3}, {0x3F, 0}};
  for (const auto& c : counts) EXPECT_EQ(c[1], KeyAccidentals(uint8_t(c[0]))) << c[0];
  EXPECT_EQ(0x49, KeyCodeFromAccidentals(-3, false));
  EXPECT_EQ(0x82, KeyCodeFromAccidentals(2, true));
  EXPECT_EQ(0x00, KeyCodeFromAccidentals(9, false));
  gConductorState.key = 0x80;
  SetMinorFlagFromKey();
  EXPECT_EQ(kKeySpellingMinor, gKeySpellingFlags);
  gConductorState.key = 0x03;
  SetMinorFlagFromKey();
  EXPECT_EQ(0, gKeySpellingFlags);
}

TEST_F(KeyTest, NoteLettersInEveryStyle) {
  Str255 b;
  const struct {
    int32_t note, style;
    uint8_t key;
    const char* text;
  } cases[] = {{60, 0, 0, "C"},  {61, 0, 0, "C#"}, {61, 0, 0x49, "Db"}, {71, 0, 0x45, "Cb"},
               {60, 1, 0, "B#"}, {71, 2, 0, "Cb"}, {61, 4, 0, "B##"}, {63, 5, 0, "Fbb"},
               {64, 9, 0, "E"}};
  for (const auto& c : cases) {
    gConductorState.key = c.key;
    b[0] = 0;
    EXPECT_EQ(c.text, Text(AppendNoteLetters(b, c.note, c.style))) << c.note << " " << c.style;
  }
}

}  // namespace
