// The song model's tables of calls into the sequencer and the audio engine: what the song
// model answers while an entry is not installed, and that the program installs them.
#include <gtest/gtest.h>

#include "shell/app/program_hooks.h"
#include "song/conductor/tempo_scaling.h"
#include "song/documents/document_hooks.h"
#include "song/model/audio_engine_hooks.h"
#include "song/model/transport_hooks.h"

namespace {

class HookTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedTransport_ = gSongTransportHooks;
    savedEngine_ = gSongAudioEngineHooks;
    gSongTransportHooks = {};
    gSongAudioEngineHooks = {};
  }
  void TearDown() override {
    gSongTransportHooks = savedTransport_;
    gSongAudioEngineHooks = savedEngine_;
  }
  SongTransportHooks savedTransport_{};
  SongAudioEngineHooks savedEngine_{};
};

TEST_F(HookTablesTest, WithoutAClockNothingPlaysTheLockIsFreeAndTemposAreUnscaled) {
  EXPECT_FALSE(IsClockPlayingSong(Handle(1)));
  EXPECT_FALSE(IsCurrentSongPlaying());
  EXPECT_EQ(0, TryLockClockForSong(3));
  EXPECT_EQ(-1, UnlockClockForSong(-1)) << "the code comes back";
  EXPECT_EQ(0u, GetSongPositionTick());
  EXPECT_EQ(kUnityTempoFactor, GetClockTempoFactor());
  EXPECT_EQ(1100, ScaleTempoValue(1100, 0));
}

TEST_F(HookTablesTest, WithoutAnEngineEditsAreAgreedToAndNothingIsWaitedFor) {
  EXPECT_TRUE(WaitForEngineToLeaveTrack(1000000000u));
  EXPECT_EQ(0, SendEngineTrackCommand(3, 1));
  EXPECT_EQ(0, GetAudioEnginePlayState());
  EXPECT_EQ(kNoEngineInstrument, GetEngineChannelInstrument(nullptr));
  EXPECT_TRUE(IsEngineChannelStopped(nullptr));
}

TEST_F(HookTablesTest, TheProgramInstallsTheClockAndEngineEntries) {
  InstallProgramHooks();
  EXPECT_NE(nullptr, gSongTransportHooks.tryLockClock);
  EXPECT_NE(nullptr, gSongTransportHooks.tempoFactor);
  EXPECT_NE(nullptr, gSongTransportHooks.resetAfterEdit);
  EXPECT_NE(nullptr, gSongAudioEngineHooks.waitForTrack);
  EXPECT_NE(nullptr, gSongAudioEngineHooks.stopEngine);
  // Opening stops playback, and a changed song or a missing file is asked about.
  EXPECT_NE(nullptr, gDocumentHooks.stopPlaybackForOpen);
  EXPECT_NE(nullptr, gDocumentHooks.askToSaveChanges);
  EXPECT_NE(nullptr, gDocumentHooks.askForMissingFile);
  EXPECT_NE(nullptr, gDocumentHooks.askAfterFailedFind);
}

}  // namespace
