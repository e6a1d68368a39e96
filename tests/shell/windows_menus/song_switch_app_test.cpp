// After a headless start: a song switch sets the clock for the song that became current, a
// return to the foreground gives the clock its tempo and idle timer back, and the option
// toggles change what their readers read.
#include "platform/memory/byte_order.h"
#include "sequencer/clock/clock_timer.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/app/app_events.h"
#include "shell/app/shutdown.h"
#include "shell/app/song_switch.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/menus/option_toggles.h"
#include "song/documents/document_file.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "song/prefs/dialog_settings_hooks.h"
#include "song/prefs/startup_settings.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

class SongSwitch : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
  }
  void TearDown() override {
    SetSyncSource(kSyncSourceInternal);
    QuitApplication(0);
    AppTest::TearDown();
  }
  // Makes the song of slot n current (a new one-track song when the slot is empty), with
  // its tempo, and switches to it.
  static void SwitchTo(int32_t n, uint16_t tempo) {
    if (!GetSongHandleAt(n)) {
      gCurrentSongIndex = n;
      ASSERT_EQ(noErr, AddSong(SongBlockSize(0)));
      ASSERT_EQ(noErr, CreateSongTracks(1, 1));
    }
    SelectSongIndex(n);
    WriteU16BE(gCurrentSong + kSongTempo, tempo);
    RefreshAfterSongSwitch(0);
  }
  static void DocumentSyncSource(int16_t code) {
    WriteU16BE(gSongFileHeader + kFileHeaderSyncSource, uint16_t(code));
  }
  static uint32_t PeriodFor(uint16_t tempo) {
    ApplyTempo(tempo);
    return gTransportClock.periodMicroseconds;
  }
  static void SwitchForeground(bool foreground) {
    EventRecord event{};
    event.what = osEvt;
    event.message = (UInt32(suspendResumeMessage) << 24) | (foreground ? UInt32(resumeFlag) : 0u);
    DispatchEventRecord(&event);
  }
};

TEST_F(SongSwitch, TheClockTakesTheTempoAndSyncSourceOfTheSongThatBecameCurrent) {
  struct Step {
    int32_t slot;
    uint16_t tempo;
    int16_t source;
    uint16_t clockTempo;  // what the clock holds afterwards
  };
  // An external source keeps the tempo the clock had.
  const Step steps[] = {{0, 1200, kSyncSourceInternal, 1200},
                        {1, 905, kSyncSourceTimeCode, 1200},
                        {1, 905, kSyncSourceInternal, 905},
                        {0, 1200, kSyncSourceAudioClock, 1200},
                        {1, 905, kSyncSourceMidiClock, 1200}};
  for (const Step& s : steps) {
    DocumentSyncSource(s.source);
    SwitchTo(s.slot, s.tempo);
    EXPECT_EQ(s.slot, gCurrentSongIndex);
    EXPECT_EQ(s.source, GetSyncSource()) << s.slot;
    EXPECT_EQ(s.source == kSyncSourceTimeCode, (gTransportClock.playBits & kPlayBitTimeCode) != 0);
    EXPECT_EQ(s.clockTempo, gTransportClock.tempo) << s.slot << " " << s.source;
    uint32_t period = gTransportClock.periodMicroseconds;
    EXPECT_EQ(PeriodFor(s.clockTempo), period) << "the clock runs at the tempo it holds";
    EXPECT_EQ(gSongHandles, gTransportClock.songList);
    EXPECT_EQ(GetSongHandleAt(0), gTransportClock.firstSong);
  }
}

TEST_F(SongSwitch, ASyncSourceChosenSinceTheDocumentOpenedOutlastsASongSwitch) {
  DocumentSyncSource(kSyncSourceInternal);
  SwitchTo(1, 1000);
  SetSyncSource(kSyncSourceMidiClock);
  SwitchTo(0, 1100);
  EXPECT_EQ(kSyncSourceMidiClock, GetSyncSource());
  SetSyncSource(kSyncSourceExternalDevice);  // nothing to follow yet: internal for now
  SwitchTo(1, 1000);
  EXPECT_EQ(kSyncSourceInternal, GetSyncSource());
  EXPECT_EQ(kSyncSourceExternalDevice, ReadU16BE(gSongFileHeader + kFileHeaderSyncSource))
      << "the document keeps the source chosen";
}

// Each song brings its tempo factor (none kept: 100 %); a song without audio tracks does not
// follow the audio sample clock.
TEST_F(SongSwitch, TheSongThatBecameCurrentBringsItsTempoFactorAndASourceThatSuitsIt) {
  struct Step {
    int32_t slot;
    uint16_t factor, clockFactor;
  };
  DocumentSyncSource(kSyncSourceInternal);
  SwitchTo(1, 1000);
  WriteU16BE(gCurrentSong + kSongTempoFactor, 1024);
  SwitchTo(0, 1000);
  WriteU16BE(gCurrentSong + kSongTempoFactor, 0);
  for (const Step& s : {Step{1, 1024, 1024}, Step{0, 0, 2048}, Step{1, 1024, 1024}}) {
    SwitchTo(s.slot, 1000);
    EXPECT_EQ(s.clockFactor, gTransportClock.tempoScale) << "slot " << s.slot;
  }
  SetSyncSource(kSyncSourceSampleClock);
  SwitchTo(0, 1000);
  EXPECT_EQ(kSyncSourceInternal, GetSyncSource()) << "a song without audio follows the sample clock";
  gTransportClock.tempoScale = 2048;
}

TEST_F(SongSwitch, TheReturnToTheForegroundReappliesTheTempoAndTheIdleTimer) {
  gAppState[0] |= kAppWord0SuspendResume;
  gTransportClock.tempo = 1000;
  gTransportClock.tempoScale = 3072;  // 150 %
  uint32_t wanted = PeriodFor(uint16_t(GetScaledTempo()));
  ReinstallIdleClockTimer();
  ASSERT_EQ(1, gClockTimerInstalled);
  SwitchForeground(false);
  EXPECT_EQ(0, gClockTimerInstalled) << "the idle timer rests in the background";
  EXPECT_EQ(nullptr, gTransportClock.installedProc.load());
  ApplyTempo(3000);  // the period changed behind the program's back
  SwitchForeground(true);
  EXPECT_EQ(wanted, gTransportClock.periodMicroseconds);
  EXPECT_EQ(1, gClockTimerInstalled) << "and is back in the foreground";
  EXPECT_NE(nullptr, gTransportClock.installedProc.load());
  EXPECT_FALSE(IsAppInBackground());
  gTransportClock.tempoScale = 2048;
}

TEST_F(SongSwitch, TheSwitchCountsTheArmedTracksAndKeepsAStillArmedRecordTrack) {
  struct Case {
    uint8_t armed;     // bit i: track index i armed
    int8_t previous;   // record track number before the switch
    uint8_t count;
    int8_t record;
  };
  // Track index i carries number 10 + 2i, so numbers and indexes differ.
  const Case cases[] = {{0b0110, 14, 2, 14}, {0b0110, 10, 2, 12}, {0b0000, 16, 0, -1},
                        {0b1001, -1, 2, 10}, {0b1000, 16, 1, 16}};
  SwitchTo(1, 1100);
  ASSERT_EQ(noErr, CreateSongTracks(4, 1));
  for (const Case& c : cases) {
    for (int32_t i = 0; i < 4; ++i) {
      SetCurrentTrackIndex(i);
      gCurrentTrack[kTrackNumber] = uint8_t(10 + 2 * i);
      if (c.armed & (1 << i)) gCurrentTrack[kTrackModeFlags] |= kTrackModeArmed;
      else gCurrentTrack[kTrackModeFlags] &= uint8_t(~kTrackModeArmed);
    }
    gCurrentSong[kSongRecordTrack] = uint8_t(c.previous);
    gCurrentSong[kSongArmedCount] = 7;
    RefreshAfterSongSwitch(1);
    EXPECT_EQ(c.count, gCurrentSong[kSongArmedCount]) << int(c.armed);
    EXPECT_EQ(c.record, int8_t(gCurrentSong[kSongRecordTrack])) << int(c.armed);
  }
}

uint32_t ClockOptionBit() { return gClockOptionByte & 1; }
uint32_t SavedMidiPrefsBit() {
  PrefsSettings s{};
  CaptureDialogSettings(&s);
  return GetSetting(&s, kSetMidiPrefsByte) & kMidiPrefOptionToggled;
}
uint32_t ThruBit() { return gRealtimeProcessorSettings & 1; }

TEST_F(SongSwitch, EachOptionToggleChangesWhatItsReaderReads) {
  struct Toggle {
    int16_t item;
    uint32_t (*reader)();
  };
  const Toggle toggles[] = {{14, ClockOptionBit}, {15, SavedMidiPrefsBit}, {10, ThruBit}};
  for (const Toggle& t : toggles) {
    uint32_t before = t.reader();
    HandleOptionToggleItem(t.item);
    EXPECT_NE(before, t.reader()) << t.item;
    HandleOptionToggleItem(t.item);
    EXPECT_EQ(before, t.reader()) << t.item;
  }
  uint8_t others = gClockOptionByte & 0xFE;
  HandleOptionToggleItem(14);
  EXPECT_EQ(others, gClockOptionByte & 0xFE) << "only bit 0";
  HandleOptionToggleItem(14);
}

}  // namespace
}  // namespace app_test
