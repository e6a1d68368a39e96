// The strips' meters: the shown level falls by at most 1536 an update and rises at once, peaks
// from the engine and from played notes add up without wrapping, the clip indicator holds for
// 240 ticks, the master takes the strips' peaks by sum or maximum by device kind, the bars'
// lit part follows the curve, and the values the engine parked come back to the strips.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "audio/engine/engine_channels.h"
#include "mixer/meters/engine_values.h"
#include "mixer/meters/instrument_meters.h"
#include "mixer/outputs/instrument_values.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/quickdraw.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"

namespace {

class InstrumentMeterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(noErr, CreateInstrumentTable(3, kDeviceKindMidiPort));
    ResetInstrumentMeters();
    gMidiVolumeFactor = 4096;
  }
  void TearDown() override {
    DisposeInstrumentTable();
    gInstrumentMeterPlaces = InstrumentMeterPlaces();
    gMidiVolumeFactor = 4096;
  }
  static void SetPeaks(int32_t i, int16_t left, int16_t right) {
    WriteI16BE(GetInstrumentRecord(i) + kInstPeakLeft, left);
    WriteI16BE(GetInstrumentRecord(i) + kInstPeakRight, right);
  }
  static int16_t Shown(int32_t i, int32_t side) { return GetShownLevel(GetInstrumentRecord(i), side); }
};

TEST_F(InstrumentMeterTest, AFullScalePeakFallsBy1536AnUpdateAndTheMeterGoesQuiet) {
  SetPeaks(0, kMeterFullScale, 3000);
  UpdateInstrumentMeters();
  EXPECT_EQ(Shown(0, 0), kMeterFullScale);
  EXPECT_EQ(Shown(0, 1), 3000);
  EXPECT_TRUE(IsMeterActive(0));
  EXPECT_LT(GetMeterPeak(GetInstrumentRecord(0), 0), 0) << "the peak is taken";
  int updates = 0;
  while (Shown(0, 0) > 0 && updates < 100) {
    int16_t before = Shown(0, 0);
    UpdateInstrumentMeters();
    ++updates;
    EXPECT_EQ(Shown(0, 0), std::max(0, before - kMeterFallStep));
  }
  EXPECT_EQ(updates, 22);
  EXPECT_EQ(Shown(0, 1), 0);
  EXPECT_FALSE(IsMeterActive(0));
  EXPECT_EQ(UpdateInstrumentMeters(), 0) << "a quiet meter is left alone";
}

TEST_F(InstrumentMeterTest, ALouderPeakShowsAtOnce) {
  SetPeaks(1, 2000, 2000);
  UpdateInstrumentMeters();
  SetPeaks(1, 20000, 1000);
  UpdateInstrumentMeters();
  EXPECT_EQ(Shown(1, 0), 20000);
  EXPECT_EQ(Shown(1, 1), 1000) << "a lower peak is not held below the fall";
}

TEST_F(InstrumentMeterTest, EnginePeaksAddUpWithoutWrappingAndAreTakenFromTheChannel) {
  auto channel = std::make_unique<EngineChannel>();
  uint8_t* r = GetInstrumentRecord(0);
  for (int32_t pass = 0; pass < 2; ++pass) {
    channel->peakLeft = 30000;
    channel->peakRight = 100;
    FeedMeterFromEngine(r, channel.get(), 10, false);
  }
  EXPECT_EQ(GetMeterPeak(r, 0), kMeterFullScale) << "a sum past full scale would read as no peak";
  EXPECT_EQ(GetMeterPeak(r, 1), 200);
  EXPECT_EQ(channel->peakLeft, -1);
  EXPECT_EQ(channel->peakRight, -1);
  FeedMeterFromEngine(r, channel.get(), 11, false);
  EXPECT_EQ(GetMeterPeak(r, 1), 200) << "no peak since: nothing added";
}

TEST_F(InstrumentMeterTest, AClipLightsTheIndicatorForAtLeast240Ticks) {
  auto channel = std::make_unique<EngineChannel>();
  uint8_t* r = GetInstrumentRecord(0);
  channel->clipped = 1;
  FeedMeterFromEngine(r, channel.get(), 1000, true);
  EXPECT_EQ(r[kInstMeterClip], 1);
  EXPECT_EQ(ReadU32BE(r + kInstMeterHold), 1240u);
  EXPECT_EQ(channel->clipped, 0) << "the flag is taken";
  FeedMeterFromEngine(r, channel.get(), 1239, true);
  EXPECT_EQ(r[kInstMeterClip], 1);
  FeedMeterFromEngine(r, channel.get(), 1241, true);
  EXPECT_EQ(r[kInstMeterClip], 0);
}

TEST_F(InstrumentMeterTest, NoteActivityIsScaledByTheVolumeAndTheMasterFactor) {
  uint8_t* r = GetInstrumentRecord(2);
  struct Case {
    uint8_t controller;
    int16_t volume;
    int16_t factor;
    int32_t activity, peak;
  } cases[] = {{7, 127, 4096, 127, 32767}, {7, 64, 4096, 127, 16512}, {11, 64, 4096, 127, 32767},
               {7, 127, 2048, 127, 16383}, {7, 127, 4096, 0, -1},     {7, 127, 4096, 300, 32767}};
  for (const Case& c : cases) {
    SetPeaks(2, -1, -1);
    r[kInstVolumeController] = c.controller;
    SetInstrumentVolume(r, c.volume);
    gMidiVolumeFactor = c.factor;
    FeedMeterFromMidi(r, c.activity);
    EXPECT_EQ(GetMeterPeak(r, 0), c.peak) << int(c.controller) << " " << c.volume << " " << c.factor;
    EXPECT_EQ(GetMeterPeak(r, 1), c.peak);
  }
  FeedMeterFromMidi(r, 127);
  EXPECT_EQ(GetMeterPeak(r, 0), kMeterFullScale) << "added and held at full scale";
}

TEST_F(InstrumentMeterTest, TheMasterMergesByMaximumOrByKindBySum) {
  struct Case {
    uint8_t kind;
    int16_t master;
  } cases[] = {{kDeviceKindMidiPort, 20000}, {kDeviceKindAudio, kMeterFullScale}, {kDeviceKindPlugin, -1}};
  for (const Case& c : cases) {
    ResetInstrumentMeters();
    for (int32_t i = 0; i < 2; ++i) {
      GetInstrumentRecord(i)[kInstDeviceKinds] = c.kind;
      SetPeaks(i, 20000, 15000);
    }
    UpdateInstrumentMeters();
    int32_t expectedRight = c.kind == kDeviceKindAudio ? 30000 : c.kind == kDeviceKindPlugin ? 0 : 15000;
    EXPECT_EQ(Shown(GetMasterIndex(), 0), std::max<int16_t>(c.master, 0)) << int(c.kind);
    EXPECT_EQ(Shown(GetMasterIndex(), 1), expectedRight) << int(c.kind);
  }
}

TEST_F(InstrumentMeterTest, ASixteenCharacterNameSurvivesTheMeters) {
  uint8_t* r = GetInstrumentRecord(1);
  const char name[] = "\x10" "ABCDEFGHIJKLMNOP";
  std::memcpy(r + kInstName, name, 17);
  for (int i = 0; i < 30; ++i) {
    SetPeaks(1, int16_t(i % 2 ? 30000 : -1), 500);
    UpdateInstrumentMeters();
  }
  EXPECT_EQ(0, std::memcmp(r + kInstName, name, 17));
}

TEST_F(InstrumentMeterTest, TheLitPartOfABarFollowsTheCurve) {
  Rect meter{10, 0, 137, 8};  // 127 high
  EXPECT_EQ(MeterLitTop(&meter, 0), 137);
  EXPECT_EQ(MeterLitTop(&meter, -4), 137);
  EXPECT_EQ(MeterLitTop(&meter, kMeterFullScale), 10);
  EXPECT_EQ(MeterLitTop(&meter, gVolumeCurve[64]), 137 - 64);
  EXPECT_EQ(MeterLitTop(&meter, gVolumeCurve[64] + 1), 137 - 65);
}

TEST_F(InstrumentMeterTest, TwoBarsShowTheirOwnSidesWhereTheWindowPlacesThem) {
  GWorldPtr world = nullptr;
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  GetGWorld(&savedPort, &savedDevice);
  Rect bounds{0, 0, 140, 20};
  ASSERT_EQ(noErr, NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0));
  SetGWorld(world, nullptr);
  ClipRect(&bounds);
  BackColor(whiteColor);
  ForeColor(blackColor);
  EraseRect(&bounds);
  auto dark = [](int16_t h, int16_t v) {
    RGBColor c;
    GetCPixel(h, v, &c);
    return (PixelFromRGB(c) & 0xFFFFFF) != 0xFFFFFF;
  };
  gInstrumentMeterPlaces.meterRect = [](int32_t index, Rect* r) {
    *r = Rect{10, 0, 137, 8};
    return index == 0;
  };
  SetPeaks(0, kMeterFullScale, int16_t(gVolumeCurve[64]));
  SetPeaks(1, kMeterFullScale, kMeterFullScale);
  UpdateInstrumentMeters();
  // One bar: strip 0 has no engine channel, so the louder side fills the whole width.
  EXPECT_TRUE(dark(1, 12));
  EXPECT_TRUE(dark(6, 12));
  EXPECT_FALSE(dark(12, 12)) << "strip 1 is not shown";
  Rect meter{10, 0, 137, 8};
  EraseRect(&bounds);
  DrawInstrumentMeters(GetInstrumentRecord(0), &meter, true);
  EXPECT_TRUE(dark(1, 12));
  EXPECT_FALSE(dark(6, 12)) << "the right bar is lit from 64 down only";
  EXPECT_TRUE(dark(6, 137 - 60));
  SetGWorld(savedPort, savedDevice);
  DisposeGWorld(world);
}

TEST_F(InstrumentMeterTest, ParkedValuesComeBackToTheStripsAndTheirLinkedTakers) {
  uint8_t* r = GetInstrumentRecord(0);
  uint8_t* linked = GetInstrumentRecord(2);
  r[kInstLinkNext] = 3;
  linked[kInstLinkPrevious] = 1;
  linked[kInstOptions] |= kInstOptionTakesLinkedValue;
  r[kInstPanControlValue] = uint8_t(kParkedPanValid | 30);
  r[kInstFixedVolume] = 50;
  r[kInstOptions] |= kInstOptionFixedVolume;
  r[kInstMixerFlags] |= kProgramArrived;
  r[kInstTrackByte71] = 12;
  ApplyParkedValues();
  EXPECT_EQ(r[kInstPan], 30);
  EXPECT_EQ(r[kInstPanControlValue], 0);
  EXPECT_EQ(GetInstrumentVolume(r), 50);
  EXPECT_EQ(GetInstrumentVolume(linked), 50);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(1)), 127);
  EXPECT_FALSE(r[kInstOptions] & kInstOptionFixedVolume);
  EXPECT_EQ(r[kInstProgram], 12);
  EXPECT_FALSE(r[kInstMixerFlags] & kProgramArrived);

  auto channel = std::make_unique<EngineChannel>();
  channel->automation = Handle(1);
  channel->volume = int32_t(gVolumeCurve[90]);
  channel->pan = 200;
  ParkEngineValues(r, channel.get());
  EXPECT_EQ(r[kInstPanControlValue], kParkedPanValid | 127) << "capped at 127";
  EXPECT_EQ(r[kInstFixedVolume], 90);

  SetSendBus(r, 1, 2);
  channel->sendGains[0] = ChannelSend{1, 0, 10, int32_t(gVolumeCurve[20]), 0, 0, 0};
  channel->sendGains[1] = ChannelSend{2, 0, 40, int32_t(gVolumeCurve[70]), 0, 0, 1};
  ParkEngineValues(r, channel.get());
  EXPECT_EQ(ReadU16BE(r + kInstSends + kInstSendSize), 70) << "the moved send of bus 2 is send 2";
  EXPECT_EQ(r[kInstSends + kInstSendSize + 2], 40);
  EXPECT_EQ(ReadU16BE(r + kInstSends), 0) << "an unmoved send is left";
  EXPECT_EQ(channel->sendGains[1].changed, 0);
  channel->automation = Handle();
  r[kInstPanControlValue] = 0;
  r[kInstOptions] = 0;
  ParkEngineValues(r, channel.get());
  EXPECT_EQ(r[kInstPanControlValue], 0) << "a channel without automation parks nothing";
}

}  // namespace
