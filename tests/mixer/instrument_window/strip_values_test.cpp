// The strips' values: mute and solo with the audible flag derived from them, a fader move
// carried along a link chain, a shift-drag over the selected strips, and the texts of the
// value fields.
#include <gtest/gtest.h>

#include <string>

#include "mixer/instrument_window/strip_drawing.h"
#include "mixer/instrument_window/strip_values.h"
#include "mixer/outputs/instrument_values.h"
#include "song/instruments/instrument_volumes.h"
#include "tests/mixer/instrument_window/strip_fixture.h"

namespace {

using strip_test::StripTest;

std::string Audible() {
  std::string out;
  for (int32_t i = 0; i < gInstrumentCount; ++i) out += IsStripAudible(i) ? '1' : '0';
  return out;
}

void Click(int32_t strip, void (*action)()) {
  gCurrentInstrument = strip;
  action();
}

TEST_F(StripTest, MuteAndSoloDecideWhichStripsAreAudible) {
  MakeWindow(4, 0, 1000);
  EXPECT_EQ(Audible(), "1111");
  Click(1, ToggleCurrentStripMute);
  EXPECT_EQ(Audible(), "1011");
  EXPECT_TRUE(IsStripMuted(1));
  Click(2, ToggleCurrentStripSolo);
  EXPECT_EQ(Audible(), "0010") << "while a strip is soloed only soloed strips sound";
  Click(3, ToggleCurrentStripMute);
  EXPECT_TRUE(IsStripSoloed(3)) << "the mute lamp takes the strip into the solo while another is soloed";
  EXPECT_FALSE(IsStripMuted(3));
  EXPECT_EQ(Audible(), "0011");
  ClearAllStripSolos();
  EXPECT_EQ(Audible(), "1011") << "without solos the muted strip stays silent";
  Click(1, ToggleCurrentStripMute);
  EXPECT_EQ(Audible(), "1111");
}

TEST_F(StripTest, AFaderMoveCarriesItsLinkChainAlong) {
  MakeWindow(4, 0, 1000);
  for (int32_t i = 0; i < 4; ++i) SetInstrumentVolume(GetInstrumentRecord(i), 60 + 10 * i);
  for (int32_t i : {0, 1, 3}) SetInstrumentLinkGroup(GetInstrumentRecord(i), 5);
  RebuildLinkGroups();
  for (int32_t i = 0; i < 4; ++i) GetInstrumentRecord(i)[kInstOptions] &= uint8_t(~kInstOptionTakesLinkedValue);
  GetInstrumentRecord(3)[kInstFlags] |= kInstFlagAlternate;  // follows the other way
  gCurrentInstrument = 1;
  SetLinkedStripVolume(80);  // +10
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(1)), 80);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(0)), 70);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(2)), 80) << "not in the chain";
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(3)), 80) << "the alternate strip moves down";
  GetInstrumentRecord(0)[kInstOptions] |= kInstOptionTakesLinkedValue;
  gCurrentInstrument = 3;
  SetLinkedStripVolume(127);  // +47; instrument 1 (not alternate like 3) moves down, 0 takes 127
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(0)), 127);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(1)), 33);
  EXPECT_EQ(gCurrentInstrument, 3);
}

TEST_F(StripTest, AShiftDragMovesEverySelectedStripEachClampedByItsOwnSetter) {
  MakeWindow(4, 0, 1000);
  int32_t volumes[] = {10, 120, 50, 70};
  for (int32_t i = 0; i < 4; ++i) SetInstrumentVolume(GetInstrumentRecord(i), volumes[i]);
  for (int32_t i : {0, 1, 2}) SetStripSelected(i, true);
  gCurrentInstrument = 2;
  MoveSelectedStripVolumes(10);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(0)), 20);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(1)), 127);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(2)), 60);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(3)), 70) << "not selected";
  MoveSelectedStripVolumes(-30);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(0)), 0);
}

std::string FieldText(int16_t element) {
  Str255 text;
  GetStripFieldText(element, text);
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

TEST_F(StripTest, TheValueFieldsShowTheStripsValues) {
  MakeWindow(2, 0, 1000);
  gCurrentInstrument = 1;
  uint8_t* r = GetInstrumentRecord(1);
  r[kInstProgram] = uint8_t(-1);
  EXPECT_EQ(FieldText(kStripProgram), "--");
  r[kInstProgram] = 9;
  EXPECT_EQ(FieldText(kStripProgram), "9");
  r[kInstOptions] |= kInstOptionProgramsFromOne;
  EXPECT_EQ(FieldText(kStripProgram), "10");
  r[kInstChannels + 1] = 7;  // another part's channel is not shown
  EXPECT_EQ(FieldText(kStripChannel), "2");
  SetInstrumentVolume(r, 99);
  r[kInstPan] = 30;
  EXPECT_EQ(FieldText(kStripVolumeValue), "99");
  EXPECT_EQ(FieldText(kStripPanValue), "30");
}

TEST_F(StripTest, ABusStripsProgramFieldNamesItsPlugInNotAProgram) {
  MakeWindow(2, 1, 1000);
  for (int32_t bus : {2, 3}) {  // the aux bus and the master
    gCurrentInstrument = bus;
    GetInstrumentRecord(bus)[kInstProgram] = 9;
    EXPECT_EQ(FieldText(kStripProgram), "--") << bus;
  }
}

}  // namespace
