// The time and key signature dialog and the tempo dialog driven by posted input: OK writes
// the typed meter, key and tempo into the conductor map, Cancel changes nothing.
#include <gtest/gtest.h>

#include "shell/base/position_formats.h"
#include "shell/dialogs/dialog_arrows.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/settings/meter_tempo_dialogs.h"
#include "song/dialogs/meter_key_dialog.h"
#include "song/dialogs/tempo_dialog.h"
#include "song/model/key_codes.h"
#include "tests/shell/dialogs/dialog_test_support.h"
#include "tests/song/conductor/conductor_fixture.h"

namespace {

using namespace classic_dialog_test;

// Ten bars of 4/4 at 120 beats per minute, with the dialog resources and a headless screen.
class ConductorDialogs : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    setenv("ZARIN_HEADLESS", "1", 1);
    InitWindows();
    ui_test::ResetInput();
    ResetDialogState();
    resources_ = std::make_unique<ui_test::ScopedResources>(zarin_test::ReadWholeFile(ZARIN_DIALOGS_SOURCE));
    WriteU32BE(Song() + kSongEndTick, 19201);
    gKeySpellingFlags = 0;
    gTypedAccidental = 0;
    gSignatureDialogOptions = SignatureDialogOptions();
    gTempoDialogOptions = 0;
  }
  void TearDown() override {
    resources_.reset();
    ui_test::ResetInput();
  }
  bool Run(bool (*dialog)(), std::vector<WhenDialogUp::Step> input) {
    WhenDialogUp up(std::move(input));
    ui_test::ModalGuard guard;
    bool ok = dialog();
    EXPECT_TRUE(up.ran());
    EXPECT_EQ(nullptr, gCurrentDialog);
    return ok;
  }
  ConductorState StateAt(int32_t tick) {
    GetConductorStateAt(tick);
    return gConductorState;
  }
  std::unique_ptr<ui_test::ScopedResources> resources_;
};

TEST_F(ConductorDialogs, TheSignatureDialogOpensWithTheMeterAndKeyInForce) {
  MeterAt(1, 3, 4);
  std::string numerator, denominator, key, from, to;
  Run(RunTimeSignatureDialog, {[&](DialogRef d) {
    numerator = ItemText(d, kSigNumeratorItem);
    denominator = ItemText(d, kSigDenominatorItem);
    key = ItemText(d, kSigKeyItem);
    from = ItemText(d, kSigFromBarItem);
    to = ItemText(d, kSigToBarItem);
    EXPECT_EQ(kSigKeyItem, GetDialogKeyboardFocusItem(d));
    ClickItem(d, 2);
  }});
  EXPECT_EQ("3", numerator);
  EXPECT_EQ("4", denominator);
  EXPECT_EQ("C", key);
  EXPECT_EQ("1", from);
  EXPECT_EQ("15", to);  // the whole song: 19200 ticks are 13 1/3 bars of 3/4
}

TEST_F(ConductorDialogs, OKWritesTheTypedMeterAndKeyCancelNothing) {
  int32_t records = Count();
  auto input = [](DialogItemIndex button) {
    return std::vector<WhenDialogUp::Step>{
        [](DialogRef d) { TypeInto(d, kSigNumeratorItem, "6"); },
        [](DialogRef d) { TypeInto(d, kSigDenominatorItem, "8"); },
        [](DialogRef d) { ClickItem(d, kSigKeyCheckItem); },
        [](DialogRef d) { TypeInto(d, kSigKeyItem, "Eb"); },
        [button](DialogRef d) { ClickItem(d, button); }};
  };
  EXPECT_FALSE(Run(RunTimeSignatureDialog, input(2)));
  EXPECT_EQ(records, Count());
  EXPECT_EQ(4, StateAt(1).beatsPerBar);
  EXPECT_EQ(0, StateAt(1).key);

  EXPECT_TRUE(Run(RunTimeSignatureDialog, input(1)));
  ConductorState s = StateAt(1);
  EXPECT_EQ(6, s.beatsPerBar);
  EXPECT_EQ(240, s.ticksPerBeat);
  EXPECT_EQ(1440, s.ticksPerBar);
  EXPECT_EQ(0x49, s.key);  // E flat major
  EXPECT_EQ(kSignatureChangeMeter | kSignatureChangeKey, gSignatureDialogOptions.optionByte);
}

TEST_F(ConductorDialogs, ABadKeyNameKeepsTheDialogOpen) {
  EXPECT_TRUE(Run(RunTimeSignatureDialog, {
      [](DialogRef d) { ClickItem(d, kSigKeyCheckItem); },
      [](DialogRef d) { TypeInto(d, kSigKeyItem, "X"); },
      [](DialogRef d) { ClickItem(d, 1); },  // refused: the key field is selected again
      [](DialogRef d) {
        EXPECT_EQ(kSigKeyItem, GetDialogKeyboardFocusItem(d));
        ui_test::PostText("a");
      },
      [](DialogRef d) { ClickItem(d, kSigModeButtonItem); },  // minor
      [](DialogRef d) { ClickItem(d, 1); }}));
  EXPECT_EQ(0x80, StateAt(1).key);  // A minor
}

TEST_F(ConductorDialogs, TheMeterArrowStepsTheDenominatorByPowersOfTwo) {
  EXPECT_TRUE(Run(RunTimeSignatureDialog, {
      [](DialogRef d) { TypeInto(d, kSigDenominatorItem, "4"); },  // the arrow now steps it
      [](DialogRef d) {
        Rect r = ItemRect(d, kSigMeterArrowItem);
        ui_test::PostClick(ui_test::Global(GetDialogWindow(d), Point{int16_t(r.top + 2), int16_t(r.left + 4)}));
      },
      [](DialogRef d) { ClickItem(d, 1); }}));
  EXPECT_EQ(120 * 4 / 2, StateAt(1).ticksPerBeat);  // 4/8
}

TEST_F(ConductorDialogs, GroupedBeatsAreBalancedAndWrittenBarByBar) {
  std::string second;
  EXPECT_TRUE(Run(RunTimeSignatureDialog,
                  {[](DialogRef d) { ClickItem(d, kSigGroupCheckItem); },
                   [](DialogRef d) { TypeInto(d, kSigFirstGroupItem, "3"); },
                   [&second](DialogRef d) {
                     second = ItemText(d, kSigFirstGroupItem + 1);
                     ClickItem(d, 1);
                   }}));
  EXPECT_EQ("1", second);  // the rest of the 4 beats went to the first empty group
  EXPECT_EQ(3, StateAt(1).beatsPerBar);
  EXPECT_EQ(1, StateAt(1442).beatsPerBar);  // the change at 1441 is in force after it
  EXPECT_EQ(3, StateAt(1922).beatsPerBar);
  EXPECT_EQ(2, gSignatureDialogOptions.groupCount);
}

TEST_F(ConductorDialogs, WheelStepsMoveTheFocusedField) {
  EXPECT_TRUE(Run(RunTimeSignatureDialog, {[](DialogRef d) { TypeInto(d, kSigNumeratorItem, "4"); },
                                           [](DialogRef) { QueueWheelSteps(3); },
                                           [](DialogRef) { QueueWheelSteps(-1); },
                                           [](DialogRef d) { ClickItem(d, 1); }}));
  EXPECT_EQ(6, StateAt(1).beatsPerBar);
  EXPECT_EQ(0, gPendingWheelSteps);
}

TEST_F(ConductorDialogs, TheTempoDialogSetsTheTypedTempo) {
  SelectTicks(3841, 7681);
  EXPECT_FALSE(Run(RunTempoDialog, {[](DialogRef d) { TypeInto(d, kTempoItem, "90"); },
                                     [](DialogRef d) { ClickItem(d, 2); }}));
  EXPECT_EQ(1200, int32_t(StateAt(4000).tempo));

  EXPECT_TRUE(Run(RunTempoDialog, {[](DialogRef d) { TypeInto(d, kTempoItem, "90.5"); },
                                    [](DialogRef d) { ClickItem(d, 1); }}));
  EXPECT_EQ(905, int32_t(StateAt(4000).tempo));
  EXPECT_EQ(1200, int32_t(StateAt(7700).tempo));  // the tempo behind the range comes back
  EXPECT_EQ(1200, int32_t(StateAt(100).tempo));
}

TEST_F(ConductorDialogs, TypingAStartTempoChoosesTheGradualMode) {
  SelectTicks(3841, 7681);
  EXPECT_TRUE(Run(RunTempoDialog, {[](DialogRef d) { TypeInto(d, kTempoStartItem, "60"); },
                                    [](DialogRef d) { TypeInto(d, kTempoEndItem, "240"); },
                                    [](DialogRef d) { ClickItem(d, 1); }}));
  EXPECT_EQ(kTempoModeGradual, gTempoDialogOptions & kTempoOptionModeMask);
  EXPECT_EQ(600, int32_t(StateAt(3842).tempo));
  EXPECT_EQ(2400, int32_t(StateAt(7680).tempo));
}

TEST(TempoTexts, TenthsAndTimeParts) {
  struct Case {
    int32_t tenths;
    const char* text;
  } cases[] = {{1200, "120.0"}, {45, "4.5"}, {0, "0.0"}, {-15, "-1.5"}};
  for (const Case& c : cases) {
    Str255 text;
    FormatTenths(c.tenths, text);
    EXPECT_EQ(c.text, ui_test::FromPString(text));
  }
  gSmpteRateCode = 3;  // 30 frames of 80 subframes
  int32_t parts[5];
  uint32_t t = ((3723u * 30u) + 29u) * 80u + 79u;  // 1:02:03, frame 29, subframe 79
  SplitSubframes(t, parts);
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 29, 79}), std::vector<int32_t>(parts, parts + 5));
  EXPECT_EQ(t, JoinSubframes(parts));
}

}  // namespace
