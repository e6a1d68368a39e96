// Note names: spelling with octave numbers, parsing names and numbers, and the middle-C
// preference.
#include <gtest/gtest.h>

#include <string>

#include "sequencer/midi/coremidi_driver.h"
#include "shell/dialogs/note_names.h"
#include "song/conductor/conductor_map.h"
#include "song/model/key_codes.h"
#include "tests/platform/controls/ui_test_support.h"

namespace {

class NoteNames : public ::testing::Test {
 protected:
  void SetUp() override {
    savedPrefs_ = gMidiPrefs;
    gMidiPrefs &= uint16_t(~kMidiPrefMiddleCOctave4);
    gConductorState.key = 0;
    gTypedAccidental = 0;
  }
  void TearDown() override { gMidiPrefs = savedPrefs_; }
  void SetMiddleCOctave4(bool on) {
    if (on)
      gMidiPrefs |= kMidiPrefMiddleCOctave4;
    else
      gMidiPrefs &= uint16_t(~kMidiPrefMiddleCOctave4);
  }
  uint16_t savedPrefs_ = 0;
};

TEST_F(NoteNames, SpellsNotesWithOctaves) {
  struct Case {
    bool octave4;
    uint8_t key;
    int32_t note;
    int32_t style;
    const char* name;
  } cases[] = {
      {false, 0, 0, kSpellByKey, "C-2"},     {false, 0, 60, kSpellByKey, "C3"},
      {false, 0, 127, kSpellByKey, "G8"},    {false, 0, 61, kSpellByKey, "C#3"},
      {false, 0x49, 61, kSpellByKey, "Db3"},  // E flat major spells black keys flat
      {false, 0x45, 71, kSpellByKey, "Cb3"},  // a flat key of place 5 writes B as Cb
      {false, 0x44, 64, kSpellByKey, "Fb3"},  // and of place 4 or less E as Fb
      {false, 0x4B, 71, kSpellByKey, "B3"},
      {false, 0, 60, kSpellSharp, "B#3"},    {false, 0, 59, kSpellFlat, "Cb2"},
      {false, 0, 62, kSpellDoubleSharp, "C##3"}, {false, 0, 62, kSpellDoubleFlat, "Ebb3"},
      {false, 0, 12, kSpellByKey, "C-1"},    {false, 0, 23, kSpellByKey, "B-1"},
      {true, 0, 0, kSpellByKey, "C-1"},      {true, 0, 60, kSpellByKey, "C4"},
      {true, 0, 127, kSpellByKey, "G9"},
      {false, 0, -5, kSpellByKey, "C-2"},    {false, 0, 300, kSpellByKey, "G8"},  // held at the ends
      {false, 0, 60, 9, "C3"},               // an unknown style counts as 0
  };
  for (const Case& c : cases) {
    SetMiddleCOctave4(c.octave4);
    gConductorState.key = c.key;
    EXPECT_EQ(c.name, ui_test::FromPString(MakeNoteName(nullptr, c.note, c.style))) << c.note << " style " << c.style;
  }
}

TEST_F(NoteNames, ParsesNamesAndNumbers) {
  struct Case {
    bool octave4;
    const char* text;
    int32_t note;
    int32_t kind;
    uint8_t typed;
  } cases[] = {
      {false, "0", 0, kSpellByKey, 0},         {false, "60", 60, kSpellByKey, 0},
      {false, "127", 127, kSpellByKey, 0},     {false, "C3", 60, kSpellByKey, 0},
      {false, "c3", 60, kSpellByKey, 0},       {false, "C-2", 0, kSpellByKey, 0},
      {false, "G8", 127, kSpellByKey, 0},      {false, "C#-1", 13, kSpellSharp, kTypedSharp},
      {false, "Cb3", 71, kSpellFlat, kTypedFlat},  // the pitch class wraps, the octave stays
      {false, "B#3", 60, kSpellSharp, kTypedSharp},
      {false, "Ebb3", 62, kSpellDoubleFlat, kTypedFlat},
      {false, "F##3", 67, kSpellDoubleSharp, kTypedSharp},
      {false, "A", 33, kSpellByKey, 0},        // no octave: octave 0
      {false, "G#8", 116, kSpellSharp, kTypedSharp},  // above 127: folded down by octaves
      {false, "D-7", 2, kSpellByKey, 0},       // below 0: folded up
      {true, "C4", 60, kSpellByKey, 0},        {true, "C3", 48, kSpellByKey, 0},
      {true, "C#-1", 1, kSpellSharp, kTypedSharp},
      {false, "", kNoNote, kSpellByKey, 0},    {false, "H3", kNoNote, kSpellByKey, 0},
      {false, "#3", kNoNote, kSpellByKey, 0},  {false, "-5", kNoNote, kSpellByKey, 0},
      {false, " C3", kNoNote, kSpellByKey, 0},
  };
  for (const Case& c : cases) {
    SetMiddleCOctave4(c.octave4);
    gTypedAccidental = 0;
    int32_t kind = -1;
    ui_test::PStr text(c.text);
    EXPECT_EQ(c.note, ParseNoteOrNumber(text, &kind)) << c.text;
    EXPECT_EQ(c.kind, kind) << c.text;
    EXPECT_EQ(c.typed, gTypedAccidental) << c.text;
  }
}

TEST_F(NoteNames, EveryNoteReadsBackAsWritten) {
  for (bool octave4 : {false, true}) {
    SetMiddleCOctave4(octave4);
    for (uint8_t key : {uint8_t(0), uint8_t(0x49), uint8_t(0x45), uint8_t(0x44), uint8_t(5)}) {
      gConductorState.key = key;
      for (int32_t style : {int32_t(kSpellByKey), int32_t(3)}) {
        for (int32_t note = 0; note < 128; ++note) {
          Str255 name;
          MakeNoteName(name, note, style);
          EXPECT_EQ(note, ParseNoteOrNumber(name, nullptr))
              << ui_test::FromPString(name) << " key " << int(key) << " style " << style << " octave4 " << octave4;
        }
      }
    }
  }
}

}  // namespace
