// What a strip sends when its values change: the level (audibility, the volume controller, a
// shown send), the control change with controller 7 shaped by the master factor, the filled
// system-exclusive template, nothing for strips that play through the engine (their values go
// into their rack's points); the master volume words; program changes; the reset commands and
// the sustain release.
#include <gtest/gtest.h>

#include <cstring>

#include "editors/automation/automation_points.h"
#include "mixer/outputs/instrument_values.h"
#include "mixer/outputs/midi_reset_menu.h"
#include "mixer/outputs/value_moves.h"
#include "mixer/outputs/value_templates.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/rack_automation_fields.h"
#include "tests/mixer/outputs/strip_output_fixture.h"

namespace strip_test {
namespace {

using Bytes = std::vector<uint8_t>;

// A template of the message with the value, channel and checksum at those positions (1-based).
Handle MakeTemplate(const Bytes& message, uint8_t lo, uint8_t hi, int32_t value, int32_t channel, int32_t check) {
  Handle h = NewHandleClear(Size(kTemplateMessage + message.size()));
  uint8_t* t = reinterpret_cast<uint8_t*>(*h);
  WriteU16BE(t + kTemplateLength, uint16_t(message.size()));
  t[kTemplateMinimum] = lo;
  t[kTemplateMaximum] = hi;
  WriteU32BE(t + kTemplateValuePosition, uint32_t(value));
  WriteU32BE(t + kTemplateChannelPosition, uint32_t(channel));
  WriteU32BE(t + kTemplateChecksumPosition, uint32_t(check));
  std::memcpy(t + kTemplateMessage, message.data(), message.size());
  return h;
}

TEST(ValueTemplates, TheChecksumCoversTheBytesBetweenTheCommandAndTheChecksum) {
  const Bytes reset{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
  EXPECT_EQ(TemplateChecksum(reset.data(), int32_t(reset.size())), 0x41);
  const Bytes whole{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x40, 0x00, 0x00, 0xF7};  // 0x80: & 127 = 0
  EXPECT_EQ(TemplateChecksum(whole.data(), int32_t(whole.size())), 0);
}

TEST(ValueTemplates, TheValueChannelAndChecksumAreFilledWherePositionsLieInTheMessage) {
  // A level message: value at 8, channel at 3, checksum at 10.
  const Bytes message{0xF0, 0x41, 0x00, 0x42, 0x12, 0x40, 0x10, 0x00, 0x00, 0xF7};
  struct Case {
    int32_t valuePos, channelPos, checkPos, value;
    Bytes expected;
  } cases[] = {
      {8, 3, 9, 127, {0xF0, 0x41, 0x05, 0x42, 0x12, 0x40, 0x10, 0x64, 0x4C, 0xF7}},  // 20 + 80
      {8, 3, 9, 0, {0xF0, 0x41, 0x05, 0x42, 0x12, 0x40, 0x10, 0x14, 0x1C, 0xF7}},
      {8, 3, 0, 64, {0xF0, 0x41, 0x05, 0x42, 0x12, 0x40, 0x10, 0x3C, 0x00, 0xF7}},  // no checksum
      {11, 0, -4, 64, message},                                                    // outside: nothing
  };
  for (const Case& c : cases) {
    Handle t = MakeTemplate(message, 20, 100, c.valuePos, c.channelPos, c.checkPos);
    Bytes out(64, 0xEE);
    int32_t n = FillValueTemplate(t, c.value, 5, out.data(), int32_t(out.size()));
    ASSERT_EQ(n, int32_t(message.size()));
    EXPECT_EQ(Bytes(out.begin(), out.begin() + n), c.expected) << "value at " << c.valuePos;
    EXPECT_EQ(out[size_t(n)], 0xEE) << "nothing written past the message";
    DisposeHandle(t);
  }
}

TEST(ValueTemplates, ATemplateShorterThanItsStatedMessageIsRefused) {
  Handle t = MakeTemplate({0xF0, 0x01, 0xF7}, 0, 127, 2, 0, 0);
  WriteU16BE(reinterpret_cast<uint8_t*>(*t) + kTemplateLength, 40);
  uint8_t out[64];
  EXPECT_EQ(FillValueTemplate(t, 10, 0, out, sizeof out), 0);
  Handle stub = NewHandleClear(12);
  EXPECT_EQ(FillValueTemplate(stub, 10, 0, out, sizeof out), 0);
  DisposeHandle(t);
  DisposeHandle(stub);
}

TEST(VolumeCurve, EachGainLeadsBackToItsVolume) {
  EXPECT_EQ(gVolumeCurve[0], 0);
  EXPECT_EQ(gVolumeCurve[127], 32768);
  for (int32_t v = 1; v < kVolumeCurveSize; ++v) {
    EXPECT_GT(gVolumeCurve[size_t(v)], gVolumeCurve[size_t(v - 1)]);
    EXPECT_EQ(LookupVolumeCurveIndex(gVolumeCurve[size_t(v)]), v);
  }
  EXPECT_EQ(LookupVolumeCurveIndex(0), 0);
  EXPECT_EQ(LookupVolumeCurveIndex(-5), 0);
  EXPECT_EQ(LookupVolumeCurveIndex(1), 1);
  EXPECT_EQ(LookupVolumeCurveIndex(32767), 127);
}

TEST_F(StripOutputTest, TheLevelSentFollowsAudibilityTheControllerAndTheShownSend) {
  uint8_t* r = Strip(1, 0, 0);
  gCurrentInstrument = 1;
  struct Case {
    bool audible;
    uint8_t controller;
    int16_t volume;  // stored raw, as a damaged document may hold it
    uint8_t part, sendFlags;
    uint16_t sendLevel;
    int32_t audibleOnly, plain;
  } cases[] = {
      {true, 7, 100, 0, 0, 0, 100, 100},   {false, 7, 100, 0, 0, 0, 0, 0},
      {true, 7, 300, 0, 0, 0, 127, 127},   {true, 11, 300, 0, 0, 0, 300, 300},
      {false, 11, 90, 0, 0, 0, 0, 90},     {true, 7, 100, 2, 0x10, 77, 77, 100},
      {true, 7, 100, 2, 0x00, 77, 0, 100}, {true, 7, 100, 9, 0x10, 77, 100, 100},  // no send 9
  };
  for (const Case& c : cases) {
    r[kInstFlags] = c.audible ? kInstFlagActive : 0;
    r[kInstVolumeController] = c.controller;
    WriteI16BE(r + kInstVolume, c.volume);
    gInstrumentWindowPart = c.part;
    WriteU16BE(r + kInstSends + kInstSendSize, c.sendLevel);
    r[kInstSends + kInstSendSize + 3] = c.sendFlags;
    EXPECT_EQ(GetCurrentInstrumentLevel(true), c.audibleOnly) << int(c.controller) << " part " << int(c.part);
    EXPECT_EQ(GetCurrentInstrumentLevel(false), c.plain) << int(c.controller) << " part " << int(c.part);
  }
  gInstrumentWindowPart = 0;
  gCurrentInstrument = GetMasterIndex();  // the master counts as controller 7
  GetMasterEntry()[kInstVolumeController] = 11;
  GetMasterEntry()[kInstFlags] = 0;
  EXPECT_EQ(GetCurrentInstrumentLevel(false), 0);
}

TEST_F(StripOutputTest, VolumeAndPanLeaveAsControlChangesVolumeShapedByTheMasterFactor) {
  Strip(2, 3, 9);
  SetStripVolumeAndSend(2, 100);
  SetStripPanAndSend(2, 20);
  gMidiVolumeFactor = 2048;
  SetStripVolumeAndSend(2, 100);
  SetStripPanAndSend(2, 100);
  ASSERT_EQ(gSent.size(), 4u);
  EXPECT_EQ(gSent[0].bytes, (Bytes{0xB3, 7, 100}));
  EXPECT_EQ(gSent[1].bytes, (Bytes{0xB3, 10, 20}));
  EXPECT_EQ(gSent[2].bytes, (Bytes{0xB3, 7, 50}));
  EXPECT_EQ(gSent[3].bytes, (Bytes{0xB3, 10, 100})) << "a pan is not scaled";
  EXPECT_EQ(gSent[0].port, 9);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(2)), 100);
  EXPECT_EQ(GetInstrumentRecord(2)[kInstPan], 100);
  EXPECT_EQ(gCurrentInstrument, 0) << "the current strip is kept";
}

TEST_F(StripOutputTest, AMutedStripSendsVolumeZeroAndOtherControllersGoUnshaped) {
  uint8_t* r = Strip(1, 0, 0);
  r[kInstFlags] = 0;
  SetStripVolumeAndSend(1, 90);
  r[kInstFlags] = kInstFlagActive;
  r[kInstVolumeController] = 11;
  gMidiVolumeFactor = 2048;
  SetStripVolumeAndSend(1, 90);
  ASSERT_EQ(gSent.size(), 2u);
  EXPECT_EQ(gSent[0].bytes, (Bytes{0xB0, 7, 0}));
  EXPECT_EQ(gSent[1].bytes, (Bytes{0xB0, 11, 90}));
}

TEST_F(StripOutputTest, AStripThatPlaysThroughThePlugInHostGetsNoControlChange) {
  uint8_t* r = Strip(1, 0, 0);
  r[kInstDeviceKinds] = kDeviceKindPlugin;
  SetStripVolumeAndSend(1, 90);
  SetStripPanAndSend(1, 10);
  EXPECT_TRUE(gSent.empty());
  EXPECT_EQ(GetInstrumentVolume(r), 90);
}

TEST_F(StripOutputTest, AVolumeTemplateSendsTheFilledMessageOnlyWhileOutputPartZeroIsInUse) {
  uint8_t* r = Strip(1, 6, 2);
  Handle t = MakeTemplate({0xF0, 0x41, 0x00, 0x42, 0x12, 0x40, 0x10, 0x00, 0x00, 0xF7}, 0, 127, 8, 3, 9);
  WriteU32BE(r + kInstVolumeAssignment, t.id);
  r[kInstMixerFlags] |= kVolumeThroughTemplate;
  SetStripVolumeAndSend(1, 127);
  ASSERT_EQ(gSent.size(), 1u);
  EXPECT_EQ(gSent[0].bytes, (Bytes{0xF0, 0x41, 0x06, 0x42, 0x12, 0x40, 0x10, 0x7F, 0x31, 0xF7}));
  r[kInstPartMask] = 0;
  SetStripVolumeAndSend(1, 50);
  EXPECT_EQ(gSent.size(), 1u) << "nothing at all without output part 0";
  SetStripPanAndSend(1, 50);
  EXPECT_EQ(gSent.size(), 2u) << "the pan has no template: a control change";
}

TEST_F(StripOutputTest, TheMasterVolumeSetsTheLevelAndGainWords) {
  struct Case {
    int32_t asked, stored, level, gain;
  } cases[] = {{127, 127, 4096, 4096}, {200, 127, 4096, 4096}, {0, 0, 0, 0},
               {64, 64, 2064, 1040},   {2, 2, 65, 1},          {-3, 0, 0, 0}};  // 2: 64.5 rounds up
  for (const Case& c : cases) {
    SetMasterVolumeFromWindow(c.asked);
    EXPECT_EQ(GetInstrumentVolume(GetMasterEntry()), c.stored) << c.asked;
    EXPECT_EQ(gMasterGain, c.level) << c.asked;
    EXPECT_EQ(gMasterCurveGain, c.gain) << c.asked;
    EXPECT_EQ(gMidiVolumeFactor, c.level) << c.asked;
  }
  SetMasterVolumeFromWindow(127);
}

TEST_F(StripOutputTest, SettingTheMasterVolumeResendsEveryMidiStripButPlugIns) {
  for (int32_t i = 0; i < 4; ++i) Strip(i, uint8_t(i), 0);
  GetInstrumentRecord(2)[kInstDeviceKinds] = kDeviceKindPlugin;
  gInstrumentWindowPart = 1;
  SetMasterVolumeFromWindow(127);
  ASSERT_EQ(gSent.size(), 6u);
  EXPECT_EQ(gSent[4].bytes, (Bytes{0xB3, 7, 127})) << "the strips' own volume, not the shown send";
  EXPECT_EQ(gSent[5].bytes, (Bytes{0xB3, 10, 64}));
  EXPECT_EQ(gInstrumentWindowPart, 1);
}

TEST_F(StripOutputTest, AProgramChosenFromOneIsStoredAndSentLessOne) {
  uint8_t* r = Strip(1, 4, 0);
  r[kInstOptions] |= kInstOptionProgramsFromOne;
  SendProgramChange(r, 5);
  r[kInstOptions] = 0;
  SendProgramChange(r, 5);
  ASSERT_EQ(gSent.size(), 2u);
  EXPECT_EQ(gSent[0].bytes, (Bytes{0xC4, 4}));
  EXPECT_EQ(gSent[1].bytes, (Bytes{0xC4, 5}));
  EXPECT_EQ(r[kInstProgram], 5);
  EXPECT_EQ(r[kInstTrackByte71], 5);
}

TEST_F(StripOutputTest, TheResetCommandsReachEveryOutput) {
  SetDriverProcById(kPluginInstrumentDriverProc, GetDriverProcById(kKeepProc));
  HandleMidiResetMenu(3);
  ASSERT_EQ(gSent.size(), 1u);
  EXPECT_EQ(gSent[0].bytes, (Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}));
  gSent.clear();
  HandleMidiResetMenu(11);
  ASSERT_EQ(gSent.size(), 16u);
  EXPECT_EQ(gSent[0].bytes, (Bytes{0xB0, 122, 127}));
  EXPECT_EQ(gSent[15].bytes, (Bytes{0xBF, 122, 127}));
  gSent.clear();
  for (int16_t separator : {2, 4, 6, 9, 12, 14, 19}) HandleMidiResetMenu(separator);
  EXPECT_TRUE(gSent.empty());
  SetDriverProcById(kPluginInstrumentDriverProc, nullptr);
  uint8_t record[16];
  const uint8_t message[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  ASSERT_EQ(BuildResetRecord(message, 6, record, sizeof record), 12);
  EXPECT_EQ(record[0], 0x80);
  EXPECT_EQ(record[1], 12);
  EXPECT_EQ(ReadU32BE(record + 2), 0u);
  EXPECT_EQ(BuildResetRecord(message, 6, record, 8), 0) << "no room";
}

TEST_F(StripOutputTest, APortChangeReleasesTheSustainOnEveryPartInUse) {
  uint8_t* r = Strip(1, 2, 5);
  r[kInstChannels + 2] = 9;
  r[kInstPorts + 2] = 6;
  WriteU32BE(r + kInstDriverProcs + 8, kKeepProc);
  r[kInstPartMask] = 0x05;
  ReleaseSustainOnParts(r);
  ASSERT_EQ(gSent.size(), 2u);
  EXPECT_EQ(gSent[0].bytes, (Bytes{0xB2, 64, 0}));
  EXPECT_EQ(gSent[0].port, 5);
  EXPECT_EQ(gSent[1].bytes, (Bytes{0xB9, 64, 0}));
  EXPECT_EQ(gSent[1].port, 6);
}

TEST_F(StripOutputTest, APlugInStripWritesItsValuesAsPointsOfItsRack) {
  uint8_t* r = Strip(1, 0, 0);
  r[kInstDeviceKinds] = kDeviceKindPlugin;
  OSErr err = noErr;
  Handle rack = EnsureInsertRack(r + kInstInsertRack, 44100.0f, false, &err);
  ASSERT_EQ(err, noErr);
  SetInstrumentVolume(r, 100);
  r[kInstPan] = 30;
  SetSendBus(r, 2, 5);
  WriteU16BE(r + kInstSends + 2 * kInstSendSize, 70);
  r[kInstSends + 2 * kInstSendSize + 2] = 90;
  gCurrentInstrument = 1;
  ASSERT_EQ(noErr, WriteStripValues(true, 1, -1));
  gInstrumentWindowPart = 3;
  ASSERT_EQ(noErr, WriteStripValues(true, 1, -1));
  Handle list = GetRackAutomationList(rack);
  ASSERT_EQ(PointListEndIndex(list), 4);
  struct Want {
    uint8_t kind;
    uint16_t level;
    int16_t pan, target;
  } want[] = {{kAutomationVolume, gVolumeCurve[100], 0, 0}, {kAutomationPan, 0, 30, 0},
              {kAutomationSendLevel, gVolumeCurve[70], 0, 5}, {kAutomationSendPan, 0, 90, 5}};
  for (const Want& w : want) {
    bool found = false;
    for (int32_t i = 0; i < 4; ++i) {
      AutomationView p{PointRecordAt(list, i)};
      if (p.Kind() != w.kind) continue;
      found = true;
      if (w.kind == kAutomationVolume || w.kind == kAutomationSendLevel) EXPECT_EQ(p.Value(), w.level);
      else EXPECT_EQ(p.Pan(), w.pan);
      EXPECT_EQ(p.Index(), w.target) << int(w.kind);
    }
    EXPECT_TRUE(found) << "kind " << int(w.kind);
  }
  EXPECT_TRUE(gSent.empty()) << "writing sends nothing";
}

}  // namespace
}  // namespace strip_test
