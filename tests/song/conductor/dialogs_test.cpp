// What the OK buttons of the time and key signature dialog and of the tempo dialog write.
#include "conductor_fixture.h"
#include "editors/scale_time/scale_time.h"
#include "platform/system/sys_beep.h"
#include "song/dialogs/meter_key_dialog.h"
#include "song/dialogs/tempo_dialog.h"
#include "song/model/key_codes.h"

namespace {

// Ten bars of 4/4 at 120 BPM.
class DialogTest : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    WriteU32BE(Song() + kSongEndTick, 19201);
    gKeySpellingFlags = 0;
    gTypedAccidental = 0;
    gSignatureDialogOptions = SignatureDialogOptions();
  }
  std::vector<std::pair<int32_t, int32_t>> Tempos() {
    std::vector<std::pair<int32_t, int32_t>> t;
    for (int32_t i = 0; i < Count(); ++i)
      if (ConductorKind(Record(i)) == kConductorTempo)
        t.push_back({ConductorTick(Record(i)), ConductorValue(Record(i))});
    return t;
  }
};

TEST_F(DialogTest, SettingATempoRestoresTheOneBehindTheRange) {
  SelectTicks(3841, 7681);
  TempoDialogFields f = GetTempoDialogDefaults();
  EXPECT_EQ(1200, f.tempo);
  EXPECT_EQ(3841, gConductorRange[0]);
  f.mode = kTempoModeSet;
  f.tempo = 100;  // below the limit
  ApplyTempoDialog(f);
  using P = std::pair<int32_t, int32_t>;
  EXPECT_EQ((std::vector<P>{{3841, 120}, {7681, 1200}}), Tempos());
  EXPECT_EQ(7682u, ReadU32BE(Song() + kSongConductorEnd));
  EXPECT_EQ(kTempoModeSet, gTempoDialogOptions & kTempoOptionModeMask);
}

TEST_F(DialogTest, AGradualChangeClimbsInSixteenthsAndEndsOnTheLastTick) {
  SelectTicks(3841, 7681);
  TempoDialogFields f = GetTempoDialogDefaults();
  f.mode = kTempoModeGradual;
  f.startTempo = 600;
  f.endTempo = 2400;
  ApplyTempoDialog(f);
  auto t = Tempos();
  ASSERT_EQ(34u, t.size());
  EXPECT_EQ(std::make_pair(3841, 600), t.front());
  EXPECT_EQ(std::make_pair(7680, 2400), t[32]);
  EXPECT_EQ(std::make_pair(7681, 1200), t[33]);
  for (size_t i = 1; i < 33; ++i) {
    EXPECT_EQ(t[i - 1].first + 120, i < 32 ? t[i].first : t[i - 1].first + 120) << i;
    EXPECT_GT(t[i].second, t[i - 1].second) << i;
  }
}

TEST_F(DialogTest, AGradualChangeOverALongRangeDoesNotOverflow) {
  WriteU32BE(Song() + kSongEndTick, 700001);
  SelectTicks(1, 600001);
  TempoDialogFields f = GetTempoDialogDefaults();
  f.mode = kTempoModeGradual;
  f.startTempo = 120;
  f.endTempo = 4500;
  ApplyTempoDialog(f);
  auto t = Tempos();
  ASSERT_GT(t.size(), 4000u);
  for (size_t i = 1; i + 1 < t.size(); ++i) {
    ASSERT_GE(t[i].second, t[i - 1].second) << i;
    ASSERT_LE(t[i].second, 4500) << i;
  }
  EXPECT_EQ(4500, t[t.size() - 2].second);
}

TEST_F(DialogTest, AGradualChangeAtTwoTicksPerQuarterStillAdvances) {
  gTicksPerQuarter = 2;  // a sixteenth of 0 ticks
  ApplyTimebase();
  WriteU32BE(Song() + kSongEndTick, 100);
  SelectTicks(1, 50);
  TempoDialogFields f = GetTempoDialogDefaults();
  f.mode = kTempoModeGradual;
  f.startTempo = 1000;
  f.endTempo = 1048;
  ApplyTempoDialog(f);
  auto t = Tempos();
  EXPECT_LE(t.size(), 50u);
  ASSERT_GE(t.size(), 2u);
  EXPECT_EQ(std::make_pair(49, 1048), t[t.size() - 2]);
  EXPECT_EQ(std::make_pair(50, 1200), t.back());
}

TEST_F(DialogTest, FitToTimeHandsTheDurationsToTheEditors) {
  SelectTicks(1001, 2001);
  TempoDialogFields f = GetTempoDialogDefaults();
  f.mode = kTempoModeFitToTime;
  f.showsDuration = false;
  f.time = 4000;  // the range's end at 4000 subframes: it lasts 1500 instead of 2500
  uint32_t fits = gLastTimeFit.count;
  ApplyTempoDialog(f);
  EXPECT_EQ(fits + 1, gLastTimeFit.count);
  EXPECT_EQ(2500u, gLastTimeFit.currentTime);
  EXPECT_EQ(1500u, gLastTimeFit.newTime);
}

TEST_F(DialogTest, AMeterChangeOverBarsRoundsTheRangeToWholeNewBars) {
  SignatureDialogFields f;
  f.fromBar = 3;
  f.toBar = 5;
  f.numerator = 3;
  f.denominator = 4;
  f.changeKey = true;
  f.keyPitch = 7;  // G major
  ASSERT_TRUE(ApplySignatureDialog(f));
  ASSERT_EQ(4, Count());
  // A key written at a tick goes in front of the meter already there.
  ConductorRecordView k0(Record(0)), m0(Record(1)), k1(Record(2)), m1(Record(3));
  EXPECT_EQ(3841, m0.Tick());
  EXPECT_EQ(3, m0.BeatsPerBar());
  EXPECT_EQ(1440, m0.TicksPerBar());
  EXPECT_EQ(kConductorKey, k0.Kind());
  EXPECT_EQ(1, k0.KeyCode());
  EXPECT_EQ(8161, m1.Tick());  // three bars of 3/4 cover the two bars of 4/4
  EXPECT_EQ(4, m1.BeatsPerBar());
  EXPECT_EQ(8161, k1.Tick());
  EXPECT_EQ(0, k1.KeyCode());
  EXPECT_EQ(kSignatureChangeMeter | kSignatureChangeKey, gSignatureDialogOptions.optionByte);
  EXPECT_TRUE(gSongModified);
}

TEST_F(DialogTest, GroupedBeatsAlternateBarByBar) {
  SignatureDialogFields f;
  f.fromBar = 1;
  f.toBar = 3;
  f.numerator = 5;
  f.denominator = 8;
  f.groupedBeats = true;
  f.groups[0] = 3;
  f.groups[1] = 2;
  ASSERT_TRUE(ApplySignatureDialog(f));
  EXPECT_EQ(3, Song()[kSongBeatsPerBar]);
  const int32_t ticks[] = {721, 1201, 1921, 2401, 3121, 3601, 4321, 4801};
  const int32_t beats[] = {2, 3, 2, 3, 2, 3, 2, 4};
  ASSERT_EQ(8, Count());
  for (int32_t i = 0; i < 8; ++i) {
    EXPECT_EQ(ticks[i], ConductorTick(Record(i))) << i;
    EXPECT_EQ(beats[i], ConductorRecordView(Record(i)).BeatsPerBar()) << i;
  }
  EXPECT_EQ(2, gSignatureDialogOptions.groupCount);
  // To the song's end, the groups stop at the song's end tick.
  f.toBar = 100;
  ASSERT_TRUE(ApplySignatureDialog(f));
  EXPECT_LT(Count(), 40);
  EXPECT_LE(ReadU32BE(Song() + kSongConductorEnd), 19201u + 721);
}

TEST_F(DialogTest, BeatGroupsAreBalancedAgainstTheNumerator) {
  SignatureDialogFields f;
  f.groupedBeats = true;
  f.numerator = 7;
  f.groups[0] = 2;
  f.groups[1] = 2;
  EXPECT_EQ(4, BalanceBeatGroups(&f));
  EXPECT_EQ(3, f.groups[2]);
  for (int32_t i = 0; i < kMaxBeatGroups; ++i) f.groups[i] = 1;
  f.numerator = 9;
  BalanceBeatGroups(&f);
  EXPECT_EQ(3, f.groups[kMaxBeatGroups - 1]);
  ResetSysBeepCountForTesting();
  f.numerator = 5;
  BalanceBeatGroups(&f);
  EXPECT_EQ(1u, GetSysBeepCount());
}

TEST_F(DialogTest, AToBarBeforeTheFromBarChangesNothing) {
  SignatureDialogFields f;
  f.fromBar = 5;
  f.toBar = 2;
  f.numerator = 7;
  EXPECT_FALSE(ApplySignatureDialog(f));
  EXPECT_EQ(0, Count());
  EXPECT_EQ(4, Song()[kSongBeatsPerBar]);
}

TEST_F(DialogTest, TheSignatureDialogOpensWithTheStateAtItsFirstBar) {
  MeterAt(3841, 6, 8);
  gConductorState.key = 0x83;
  SetKeySignatureAt(3841);
  SelectTicks(3841, 5000);
  SignatureDialogFields f = GetSignatureDialogDefaults();
  EXPECT_EQ(3, f.fromBar);
  EXPECT_EQ(4, f.toBar);
  EXPECT_EQ(6, f.numerator);
  EXPECT_EQ(8, f.denominator);
  EXPECT_EQ(6, f.keyPitch);  // F sharp minor
  EXPECT_EQ(kKeySpellingMinor, gKeySpellingFlags);
}

}  // namespace
