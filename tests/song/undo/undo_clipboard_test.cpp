// Undo steps of the clipboard commands: the busy byte, and the clipboard pair restored.
#include "song/undo/clipboard_hooks.h"
#include "song/undo/undo_clipboard.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_steps.h"
#include "undo_fixture.h"

using undo_test::Events;
using undo_test::SongImage;

namespace {

class UndoClipboardTest : public UndoFixture {
 protected:
  void TearDown() override {
    DisposeUndoRing();
    DisposeSnapshotSong(&gClipboardPart2);
    if (gClipboard) DisposeHandle(gClipboard);
    gClipboard = Handle();
    UndoFixture::TearDown();
  }

  // A clipboard song part: lists and one track with events.
  Handle NewClipboardSong(uint32_t time) {
    Handle h = NewSpareSong();
    PushSongContext();
    SelectSong(h);
    NewSongLists();
    gCurrentTrackNumber = 0;
    AddTrackEntry(kTrackEntrySize);
    gCurrentTrack[kTrackNumber] = 0;
    undo_test::SetTrackEvents(Events({{time, 0x90, 60}}));
    PopSongContext();
    return h;
  }
};

TEST_F(UndoClipboardTest, WithoutAClipboardTheBusyByteIsClearedAgain) {
  EXPECT_EQ(0, KeepClipboardInUndo());
  EXPECT_FALSE(IsUndoBusy());
  // Later steps open records of their own again.
  auto edit = [](void*) -> int32_t { return 0; };
  RunUndoableEdit(edit);
  SetCurrentUndoKind(2);
  RunUndoableEdit(edit);
  SetCurrentUndoKind(2);
  int steps = 0;
  while (CanUndo()) {
    UndoLastEdit();
    ++steps;
  }
  EXPECT_EQ(2, steps);
}

int32_t ReplaceClipboard(void* arg) {
  auto* replacement = static_cast<Handle*>(arg);
  DisposeHandle(gClipboard);
  gClipboard = NewHandleClear(kClipboardRecordSize);
  HandleData(gClipboard)[1] = 42;
  DisposeSnapshotSong(&gClipboardPart2);
  gClipboardPart2 = *replacement;
  SetCurrentUndoKind(4);
  return 0;
}

TEST_F(UndoClipboardTest, TheClipboardPairIsExchangedByUndoAndRedo) {
  gClipboard = NewHandleClear(kClipboardRecordSize);
  HandleData(gClipboard)[1] = 7;
  gClipboardPart2 = NewClipboardSong(100);
  std::string clip = undo_test::Bytes(gClipboard);
  std::string part = SongImage(gClipboardPart2);
  Handle replacement = NewClipboardSong(200);
  std::string newPart = SongImage(replacement);
  EXPECT_EQ(1, CallWithoutUndoBusy(ReplaceClipboard, &replacement));
  EXPECT_FALSE(IsUndoBusy());
  std::vector<uint32_t> live, kept;
  undo_test::CollectSongHandles(gClipboardPart2, &live);
  live.push_back(gClipboard.id);
  undo_test::CollectSongHandles(GetCurrentUndoRecord()->clipboardPart2, &kept);
  kept.push_back(GetCurrentUndoRecord()->clipboard.id);
  EXPECT_TRUE(undo_test::Shared(live, kept).empty());
  ASSERT_TRUE(CanUndo());
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(clip, undo_test::Bytes(gClipboard));
  EXPECT_TRUE(undo_test::SameImage(part, SongImage(gClipboardPart2)));
  ASSERT_EQ(noErr, RedoEdit());
  EXPECT_EQ(42, HandleData(gClipboard)[1]);
  EXPECT_TRUE(undo_test::SameImage(newPart, SongImage(gClipboardPart2)));
}

TEST_F(UndoClipboardTest, TheEditThatFollowsFillsTheSameRecord) {
  BuildSongs();
  gClipboard = NewHandleClear(kClipboardRecordSize);
  std::string before = SongImage(song0_);
  auto cut = [](void*) -> int32_t {
    auto edit = [](void*) -> int32_t {
      SelectTrackWithNumber(0);
      return InsertShortEvent(0, 480, 0xB0, 7, 100);
    };
    RunUndoableEdit(edit);
    SetCurrentUndoKind(4);
    return 0;
  };
  CallWithoutUndoBusy(cut);
  uint32_t head = gUndoRing->head;
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(undo_test::SameImage(before, SongImage(song0_)));
  EXPECT_FALSE(CanUndo());  // one record held both
  EXPECT_EQ(head, gUndoRing->head);
}

// Without the editing's copy no clipboard is kept, and the loss is said on stderr.
TEST(UndoClipboardHooksTest, CopyNotInstalledKeepsNothingAndSaysSo) {
  UndoClipboardHooks installed = gUndoClipboardHooks;
  gUndoClipboardHooks = UndoClipboardHooks{};
  Handle clipboard = NewHandleClear(kClipboardRecordSize);
  OSErr err = memFullErr;
  testing::internal::CaptureStderr();
  Handle copy = DuplicateClipboardForUndo(clipboard, &err);
  std::string said = testing::internal::GetCapturedStderr();
  gUndoClipboardHooks = installed;
  EXPECT_FALSE(copy);
  EXPECT_EQ(noErr, err);
  EXPECT_NE(std::string::npos, said.find("clipboard not kept"));
  DisposeHandle(clipboard);
}

}  // namespace
