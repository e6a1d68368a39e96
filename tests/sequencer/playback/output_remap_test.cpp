// A song whose track plays to a MIDI port that went away: the song switch asks the user to
// remap it, and after the choice of another port in the dialog the track plays there;
// Cancel leaves the track as it was. The ports are JACK clients made here; the dialog runs
// on a headless screen with posted clicks. Skipped when no JACK server runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/coremidi/midi_services.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_port_build.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/app/song_switch.h"
#include "song/dialogs/output_remap_dialog.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/midi_port_table.h"
#include "song/instruments/output_remap.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/sequencer/playback/jack_capture.h"
#include "tests/shell/dialogs/dialog_test_support.h"

namespace {

using classic_dialog_test::WhenDialogUp;

bool HasNoteOn(const std::vector<CapturedMidi>& events, uint8_t key) {
  return std::any_of(events.begin(), events.end(), [&](const CapturedMidi& m) {
    return m.size == 3 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[1] == key && m.bytes[2] > 0;
  });
}

class OutputRemap : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!capture.Open("remapcapturingclient-")) GTEST_SKIP() << "no JACK server runs (tools/services start starts one)";
    ASSERT_TRUE(gone.Open("xqzv-"));  // a name unlike the capture port's
    port = StartSequencerMidiOnJack(capture.Name());
    ASSERT_GE(port, 0) << "the capture port did not appear in the port table";
    gonePort = FindSequencerPort(gone.Name(), 10);
    ASSERT_GE(gonePort, 0) << "the second port did not appear in the port table";
    ASSERT_TRUE(WaitUntil(3, [&] { return capture.Connected(); }));
    capture.KeepOnlyOurLayer();
    setenv("ZARIN_HEADLESS", "1", 1);
    InitWindows();
    ui_test::ResetInput();
    ResetDialogState();
    resources_ = std::make_unique<ui_test::ScopedResources>(zarin_test::ReadWholeFile(ZARIN_DIALOGS_SOURCE));
  }
  void TearDown() override {
    resources_.reset();
    ui_test::ResetInput();
    StopSequencerMidi();
    ClearRemapTable();
    gTransportSong = Handle();
    gone.Close();
    capture.Close();
  }
  // A song that plays to the second port, which then goes away.
  void OpenSongOnVanishedPort() {
    std::vector<std::vector<SmfNote>> tracks{{{0, 0, 44, 90, 240}, {1920, 0, 45, 90, 240}}};
    ASSERT_TRUE(OpenSmfAsSong(MakeSmf(480, {{0, 500000}}, tracks), gonePort));
    gone.Close();
    Str255 name;
    ASSERT_TRUE(WaitUntil(10, [&] {
      BuildPortTable(true);
      return IsOutputMissing(kDeviceKindMidiPort, uint8_t(gonePort), name);
    })) << "the closed port is still present";
    ASSERT_TRUE(AnyOutputMissing());
    // The capture port is not what the dialog proposes: the user's choice is what moves the
    // track there.
    ASSERT_EQ(1, CollectMissingOutputs());
    EXPECT_FALSE(gRemapTable[0].newKind == kDeviceKindMidiPort && gRemapTable[0].newPort == port);
    ClearRemapTable();
  }
  // Clicks the row of the capture port among the replacements, then the button.
  std::vector<WhenDialogUp::Step> ChooseCaptureAnd(DialogItemIndex button) {
    int32_t row = -1;
    for (int32_t i = 0; i < CountReplacementChoices() && row < 0; ++i) {
      uint8_t kind = 0, p = 0;
      GetReplacementChoice(i, &kind, &p);
      if (kind == kDeviceKindMidiPort && p == port) row = i;
    }
    EXPECT_GE(row, 0) << "the capture port is not offered";
    return {[row](DialogRef d) {
              Rect list = classic_dialog_test::ItemRect(d, kRemapChoiceListItem);
              Point at{int16_t(list.top + row * kRemapRowHeight + kRemapRowHeight / 2), int16_t(list.left + 20)};
              ui_test::PostClick(ui_test::Global(GetDialogWindow(d), at));
            },
            [button](DialogRef d) { classic_dialog_test::ClickItem(d, button); }};
  }
  void SwitchWithAnswers(std::vector<WhenDialogUp::Step> steps) {
    WhenDialogUp up(std::move(steps));
    ui_test::ModalGuard guard;
    RefreshAfterSongSwitch(0);
    EXPECT_TRUE(up.ran()) << "the song switch did not ask to remap";
  }
  JackCapture capture, gone;
  int32_t port = -1, gonePort = -1;
  std::unique_ptr<ui_test::ScopedResources> resources_;
};

TEST_F(OutputRemap, TheChosenPortReplacesTheMissingOneAndTheTrackPlaysThere) {
  OpenSongOnVanishedPort();
  SwitchWithAnswers(ChooseCaptureAnd(kRemapOkItem));
  EXPECT_EQ(kDeviceKindMidiPort, gCurrentSong[kSongHeaderSize + kTrackType]);
  EXPECT_EQ(port, gCurrentSong[kSongHeaderSize + kTrackMidiOutput]) << "the track was not remapped";
  EXPECT_FALSE(AnyOutputMissing());
  size_t from = capture.Count();
  Play(1);
  EXPECT_TRUE(WaitUntil(3, [&] { return HasNoteOn(capture.Events(from), 44); }))
      << "the remapped track does not play on the chosen port";
  StopTransport(false);
  WaitForPassEnd(1);
}

TEST_F(OutputRemap, CancelLeavesTheTrackOnItsPort) {
  OpenSongOnVanishedPort();
  SwitchWithAnswers(ChooseCaptureAnd(kRemapCancelItem));
  EXPECT_EQ(gonePort, gCurrentSong[kSongHeaderSize + kTrackMidiOutput]);
  EXPECT_TRUE(AnyOutputMissing());
}

}  // namespace
