// The timebase: derived lengths, meters from numerator and denominator, and a resolution
// change that rescales every open song.
#include <cstring>
#include <iterator>
#include <vector>

#include "conductor_fixture.h"
#include "platform/system/sys_beep.h"
#include "song/conductor/conductor_document_header.h"
#include "song/events/event_lists.h"
#include "song/events/play_range.h"
#include "song/events/seq_event.h"
#include "song/model/songs.h"

namespace {

TEST_F(ConductorTest, DerivedLengthsAt384TicksPerQuarter) {
  gTicksPerQuarter = 384;
  ApplyTimebase();
  EXPECT_EQ(1536, gWholeNoteTicks);
  EXPECT_EQ(128, gTripletEighthTicks);
  EXPECT_EQ(16, gMidiClockTicks);
  EXPECT_EQ(96, gSixteenthNoteTicks);
  EXPECT_EQ(192, gEighthNoteTicks);
  const int32_t values[kNoteValueCount] = {1536, 1152, 1024, 768, 576, 512, 384, 288, 256,
                                           192,  144,  128,  96,  72,  64,  48,  32,  24};
  for (int32_t i = 0; i < kNoteValueCount; ++i) EXPECT_EQ(values[i], gNoteValueTicks[i]) << i;
  EXPECT_EQ(12, ResolutionCode());
  gTicksPerQuarter = 96;
  EXPECT_EQ(9, ResolutionCode());
  gTicksPerQuarter = 48;
  EXPECT_EQ(8, ResolutionCode());
  gTicksPerQuarter = 24;
  EXPECT_EQ(7, ResolutionCode());
}

TEST_F(ConductorTest, TimeSignaturesFromNumeratorAndDenominator) {
  struct Case {
    int32_t numerator, denominator, shift, beats, ticksPerBeat, beeps;
  };
  const Case cases[] = {{6, 8, 3, 6, 240, 0},  {4, 4, 2, 4, 480, 0},   {3, 3, 1, 3, 960, 0},
                        {7, 0, 0, 7, 1920, 0}, {0, 4, 2, 1, 480, 1},   {65, 4, 2, 64, 480, 1},
                        {5, 128, 6, 5, 30, 1}, {12, -3, 0, 12, 1920, 0}};
  for (const Case& c : cases) {
    ResetSysBeepCountForTesting();
    EXPECT_EQ(c.shift, SetTimeSignature(c.numerator, c.denominator)) << c.numerator << "/" << c.denominator;
    EXPECT_EQ(c.beats, gConductorState.beatsPerBar);
    EXPECT_EQ(c.ticksPerBeat, gConductorState.ticksPerBeat);
    EXPECT_EQ(c.beats * c.ticksPerBeat, gConductorState.ticksPerBar);
    EXPECT_EQ(uint32_t(c.beeps), GetSysBeepCount());
  }
  const int32_t logs[][2] = {{-1, 0}, {0, 0}, {1, 0}, {2, 1}, {3, 1}, {8, 3}, {64, 6}, {65, 6}};
  for (const auto& l : logs) EXPECT_EQ(l[1], Log2Floor(l[0])) << l[0];
}

TEST_F(ConductorTest, RescalingTicks) {
  gResolutionBeforeChange = 480;
  gTicksPerQuarter = 960;
  int32_t t = 481;
  RescaleTick1Based(&t);
  EXPECT_EQ(961, t);
  t = 1;
  RescaleTick1Based(&t);
  EXPECT_EQ(1, t);
  EXPECT_EQ(-960, RescaleTicks(-480));
  gTicksPerQuarter = 100;
  EXPECT_EQ(21, RescaleTicks(100));  // 20.83, rounded
  uint16_t v = 65000;
  gTicksPerQuarter = 960;
  RescaleTicksInPlace(&v);
  EXPECT_EQ(0xFFFF, v);
  gResolutionBeforeChange = 0;  // never divides by zero
  EXPECT_EQ(77, RescaleTicks(77));
}

class ResolutionTest : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    // Song 0: a meter, a tempo, two markers, events and positions.
    MeterAt(3841, 3, 4);
    TempoAt(1001, 600);
    Add("ext", 2001, 1, 480);
    Add("plain", 961, 0, 0);
    std::vector<uint8_t> bytes(4 * kLongEventSize + kEndRecordSize, 0);
    FillLongEvent(&bytes[0], 1, 0x90, 60, 100, 240);
    FillLongEvent(&bytes[14], 481, 0x90, 62, 100, 240);
    FillLongEvent(&bytes[28], 961, 0x90, 64, 100, 480);
    FillLongEvent(&bytes[42], 1441, 0x20, 7, 100, 0);
    ASSERT_EQ(noErr, EnsureTrackEventList());
    Handle list(ReadU32BE(gCurrentTrack + kTrackEventList));
    SetHandleSize(list, Size(bytes.size()));
    std::memcpy(HandleData(list), bytes.data(), bytes.size());
    WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(bytes.size()));
    WriteU32BE(gCurrentTrack + kTrackTickLength, 3841);
    WriteU32BE(Song() + kSongEndTick, 7681);
    WriteU32BE(Song() + kSongConductorEnd, 3842);
    WriteU32BE(Song() + kSongLocators, 481);
    SelectTicks(481, 3841);
    for (int32_t t : kProbe) before_.push_back(TickToTime(t));
    // Song 1: a tempo change and a marker.
    gCurrentSongIndex = 1;
    ASSERT_EQ(noErr, AddSong(SongBlockSize(0)));
    TempoAt(1921, 2400);
    Add("second", 1921, 1, 0);
    SelectSongIndex(0);
    SelectSong(GetSongHandleAt(0));
  }
  void Add(const char* name, uint32_t tick, uint8_t kind, uint16_t length) {
    uint8_t p[32];
    p[0] = uint8_t(std::strlen(name));
    std::memcpy(p + 1, name, p[0]);
    ASSERT_EQ(noErr, StoreMarker(p, tick, kind, 0, 0, 0, nullptr, length));
  }
  static constexpr int32_t kProbe[] = {1, 481, 1001, 2001, 3841, 5000};
  std::vector<uint32_t> before_;
};

TEST_F(ResolutionTest, EveryOpenSongIsRescaled) {
  ChangeResolutionTo(960);
  ASSERT_EQ(960, gTicksPerQuarter);
  EXPECT_EQ(960, gDocumentResolution);
  // Song 0.
  EXPECT_EQ(960, ReadU16BE(Song() + kSongResolution));
  EXPECT_EQ(960, ReadU16BE(Song() + kSongTicksPerBeat));
  ASSERT_EQ(2, Count());
  EXPECT_EQ(2001, ConductorTick(Record(0)));
  EXPECT_EQ(kConductorTempo, ConductorKind(Record(0)));
  ConductorRecordView meter(Record(1));
  EXPECT_EQ(7681, meter.Tick());
  EXPECT_EQ(960, meter.TicksPerBeat());
  EXPECT_EQ(2880, meter.TicksPerBar());
  EXPECT_EQ(15361u, ReadU32BE(Song() + kSongEndTick));
  EXPECT_EQ(7683u, ReadU32BE(Song() + kSongConductorEnd));
  EXPECT_EQ(961u, ReadU32BE(Song() + kSongLocators));
  EXPECT_EQ(0u, ReadU32BE(Song() + kSongLocators + kSongLocatorSize));
  ASSERT_EQ(2, CountMarkers());
  EXPECT_EQ(1921u, MarkerTick(GetMarkerAt(0)));
  EXPECT_EQ(4001u, MarkerTick(GetMarkerAt(1)));
  EXPECT_EQ(960, MarkerLength(GetMarkerAt(1)));
  EXPECT_EQ(7681u, ReadU32BE(gCurrentTrack + kTrackTickLength));
  const uint8_t* e = reinterpret_cast<uint8_t*>(HandleData(Handle(ReadU32BE(gCurrentTrack + kTrackEventList))));
  const uint32_t times[] = {1, 961, 1921, 2881};
  const uint16_t lengths[] = {480, 480, 960, 0};
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(times[i], SeqEventTime(e + i * kLongEventSize)) << i;
    EXPECT_EQ(lengths[i], GetNoteDuration(e + i * kLongEventSize)) << i;
  }
  EXPECT_EQ(0u, SeqEventTime(e + 4 * kLongEventSize));
  // The time selection follows, and every tick keeps its real time.
  EXPECT_EQ(961u, gTimeSelection.start.tick);
  EXPECT_EQ(7681u, gTimeSelection.end.tick);
  for (size_t i = 0; i < std::size(kProbe); ++i) {
    int32_t t = kProbe[i];
    RescaleTick1Based(&t);
    EXPECT_EQ(before_[i], TickToTime(t)) << kProbe[i];
  }
  // Song 1.
  SelectSongIndex(1);
  SelectSong(GetSongHandleAt(1));
  EXPECT_EQ(960, ReadU16BE(Song() + kSongResolution));
  ASSERT_EQ(1, Count());
  EXPECT_EQ(3841, ConductorTick(Record(0)));
  EXPECT_EQ(3841u, MarkerTick(GetMarkerAt(0)));
}

TEST_F(ResolutionTest, LinkedSongsAndAnUnchangedResolutionAreLeftAlone) {
  ChangeResolutionTo(480);
  EXPECT_EQ(7681u, ReadU32BE(Song() + kSongEndTick));
  ChangeResolutionTo(0);
  EXPECT_EQ(480, gTicksPerQuarter);
  SelectSongIndex(1);
  SelectSong(GetSongHandleAt(1));
  Song()[kSongFlags] |= kSongFlagLinked;
  SelectSongIndex(0);
  SelectSong(GetSongHandleAt(0));
  ChangeResolutionTo(240);
  EXPECT_EQ(240, ReadU16BE(Song() + kSongResolution));
  SelectSongIndex(1);
  SelectSong(GetSongHandleAt(1));
  EXPECT_EQ(480, ReadU16BE(Song() + kSongResolution));
  EXPECT_EQ(1921, ConductorTick(Record(0)));
}

TEST_F(ResolutionTest, ADocumentOfAnotherResolutionIsAdapted) {
  // The songs were read at 480 but the program runs at 960.
  gTicksPerQuarter = 960;
  gDocumentResolution = 480;
  gDocumentRememberedPositions[0] = 481;
  gDocumentRememberedPositions[1] = 0;
  ApplyTimebase();
  bool changed = false;
  AdaptSongFileResolution(&changed);
  EXPECT_TRUE(changed);
  EXPECT_EQ(960, gDocumentResolution);
  EXPECT_EQ(961, gDocumentRememberedPositions[0]);
  EXPECT_EQ(0, gDocumentRememberedPositions[1]);
  EXPECT_EQ(960, ReadU16BE(Song() + kSongResolution));
  EXPECT_EQ(7681, ConductorTick(Record(1)));
}

}  // namespace
