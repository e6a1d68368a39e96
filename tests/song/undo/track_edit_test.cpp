// The track-edit brackets against a busy engine, the play cursor after an edit, taking a
// matching event out for step entry, and the playback reset after an edit.
#include <chrono>
#include <thread>

#include "sequencer/transport/transport_position.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/app/program_hooks.h"
#include "song/documents/playback_reset.h"
#include "song/events/step_entry_events.h"
#include "song/events/time_selection.h"
#include "song/model/song_copies.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/transport_hooks.h"
#include "undo_fixture.h"

using undo_test::Events;

namespace {

class TrackEditTest : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    InstallProgramHooks();
    savedLimit_ = gTrackEditWaitLimit;
    SetCurrentTrackIndex(0);
    undo_test::SetTrackEvents(Events({{100, 0x90, 60}, {480, 0xB0, 7}, {960, 0x90, 62}}));
  }
  void TearDown() override {
    gTrackEditWaitLimit = savedLimit_;
    std::memset(gTransportPositionBlock, 0, sizeof gTransportPositionBlock);
    gTransportFlagWord = 0;
    UndoFixture::TearDown();
  }
  uint32_t savedLimit_ = 0;
};

TEST_F(TrackEditTest, TheWaitForABusyEngineEndsAfterItsLimit) {
  gSectionMode = 1;
  gEngineBusyByte = 1;
  gTrackEditWaitLimit = 30000;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(kEngineNoAnswerText, BeginTrackEdit());
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(30));
  EXPECT_LT(waited, std::chrono::seconds(5));
  EXPECT_TRUE(gCurrentTrack[kTrackPlayFlags] & kTrackPlayFlagEditing);
}

TEST_F(TrackEditTest, TheWaitEndsWhenTheEngineLeavesTheTrack) {
  gSectionMode = 1;
  gEngineBusyByte = 1;
  gCurrentTrack[kTrackPlayFlags] |= kTrackPlayFlagEngine;
  std::thread engine([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    gEngineBusyByte = 0;
  });
  EXPECT_EQ(noErr, BeginTrackEdit());
  engine.join();
  EXPECT_TRUE(gCurrentTrack[kTrackPlayFlags] & kTrackPlayFlagEditing);
  EXPECT_FALSE(gCurrentTrack[kTrackPlayFlags] & kTrackPlayFlagEngine);
}

TEST_F(TrackEditTest, OutsideSectionModeTheTrackIsNotMarked) {
  gEngineBusyByte = 1;  // never waited for outside section mode
  gCurrentTrack[kTrackPlayFlags] |= kTrackPlayFlagEditing;
  EXPECT_EQ(noErr, BeginTrackEdit());
  EXPECT_FALSE(gCurrentTrack[kTrackPlayFlags] & kTrackPlayFlagEditing);
}

TEST_F(TrackEditTest, TheEndRelocatesThePlayCursorAtTheSongPosition) {
  const struct {
    uint32_t position;
    uint32_t cursor;  // offset + 1, 0 none
  } cases[] = {{1, 1}, {480, 15}, {500, 23}, {960, 23}, {961, 0}};
  for (const auto& c : cases) {
    WriteU32BE(gTransportPositionBlock, c.position);
    WriteU32BE(gCurrentTrack + kTrackPlayCursorStart, 0);
    gCurrentTrack[kTrackPlayFlags] = 0;
    EndTrackEdit();
    EXPECT_EQ(c.cursor, ReadU32BE(gCurrentTrack + kTrackPlayCursorStart)) << c.position;
    uint8_t atEnd = kTrackPlayFlagAtEnd | kTrackPlayFlagEngine;
    EXPECT_EQ(c.cursor == 0 ? atEnd : 0, gCurrentTrack[kTrackPlayFlags] & atEnd) << c.position;
  }
}

TEST_F(TrackEditTest, TheEndMarksAnEditedLinkChild) {
  gCurrentSong[kSongFlags] |= kSongFlagEditedWhilePlaying;
  EndTrackEdit();  // a top-level song: the bit is cleared
  EXPECT_FALSE(gCurrentSong[kSongFlags] & kSongFlagEditedWhilePlaying);
  gCurrentSong[kSongFlags] |= kSongFlagLinked;
  gCurrentChildIndex = 0;
  EndTrackEdit();
  EXPECT_TRUE(gCurrentSong[kSongFlags] & kSongFlagEditedWhilePlaying);
  gCurrentChildIndex = -1;
  gCurrentSong[kSongFlags] = 0;
}

TEST_F(TrackEditTest, InSectionModeEveryOtherLinkToTheSongIsMarkedToo) {
  BuildSongs();
  SelectSong(song0_);
  SetCurrentTrackIndex(1);
  ASSERT_EQ(0, SetChildCount(3));
  ASSERT_EQ(0, AttachSongAsChild(false, 1, 2));  // a second link to song 1
  gSectionMode = 1;
  gSectionModeSong = song0_;
  uint8_t follow = gFollowSongLinks;
  gFollowSongLinks = 0;
  SelectSong(song0_);
  SetCurrentTrackIndex(1);
  ASSERT_TRUE(SelectChildSequence(1));
  Handle first = gCurrentSongHandle;
  SetCurrentTrackIndex(1);
  EXPECT_EQ(noErr, BeginTrackEdit());
  EXPECT_TRUE(gCurrentTrack[kTrackPlayFlags] & kTrackPlayFlagEditing);
  EXPECT_EQ(ReadU16BE(HandleData(song1_) + kSongId), ReadU16BE(HandleData(first) + kSongId));
  SelectSong(song0_);
  SetCurrentTrackIndex(1);
  ASSERT_TRUE(SelectChildSequence(2));
  SetCurrentTrackIndex(1);
  EXPECT_TRUE(gCurrentTrack[kTrackPlayFlags] & kTrackPlayFlagEditing);
  SetCurrentTrackIndex(0);
  EXPECT_FALSE(gCurrentTrack[kTrackPlayFlags] & kTrackPlayFlagEditing);
  gFollowSongLinks = follow;
  gSectionModeSong = Handle();
}

TEST_F(TrackEditTest, RemovingAMatchingEventTakesOutExactlyThatRecord) {
  undo_test::SetTrackEvents(Events({{100, 0x90, 60}, {480, 0xB0, 7}, {960, 0x90, 62}}));
  Handle list = GetCurrentTrackEventList();
  std::vector<uint8_t> after =
      Events({{100, 0x90, 60}, {960, 0x90, 62}});
  uint8_t event[kLongEventSize] = {};
  FillShortEvent(event, 480, 0xB0, 7, 0);
  gTimeSelection.start.tick = 1;
  EXPECT_EQ(1, RemoveMatchingEvent(event));
  EXPECT_EQ(std::string(after.begin(), after.end()), undo_test::Bytes(list));
  EXPECT_EQ(uint32_t(after.size()), ReadU32BE(gCurrentTrack + kTrackEventBytes));
  // No match: nothing changes.
  EXPECT_EQ(0, RemoveMatchingEvent(event));
  EXPECT_EQ(std::string(after.begin(), after.end()), undo_test::Bytes(list));
}

TEST_F(TrackEditTest, ARecordOfStoredLengthIsNeverComparedInAFourteenByteBuffer) {
  std::vector<uint8_t> bytes(40, 0);
  FillVariableEvent(bytes.data(), 50, 26);
  Handle list = GetCurrentTrackEventList();
  SetHandleSize(list, Size(bytes.size()));
  std::memcpy(HandleData(list), bytes.data(), bytes.size());
  uint8_t event[kLongEventSize];
  std::memcpy(event, bytes.data(), kLongEventSize);
  gTimeSelection.start.tick = 1;
  EXPECT_EQ(0, RemoveMatchingEvent(event));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), undo_test::Bytes(list));
}

TEST_F(TrackEditTest, ThePositionIsPutBackOnlyWhenItWasKept) {
  const struct {
    uint8_t sectionMode;
    uint32_t flagsAfter;
  } cases[] = {{0, kTransportFlagPlayPending}, {1, kTransportFlagSectionReset}};
  for (const auto& c : cases) {
    gSectionMode = c.sectionMode;
    gTransportFlagWord = kTransportFlagPlayPending;
    WriteU32BE(gTransportPositionBlock, 777);
    ResetPlaybackState(0);
    EXPECT_EQ(777u, GetSongPositionTick()) << int(c.sectionMode);
    EXPECT_EQ(c.flagsAfter, gTransportFlagWord) << int(c.sectionMode);
  }
}

}  // namespace
