// The song list after a headless start: how many slots it shows, what a click on a row does,
// removing, stepping through and moving songs, and the link flags.
#include <string>
#include <vector>

#include "editors/song_list_drawing.h"
#include "editors/song_list_layout.h"
#include "editors/song_list_scroll.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/windows/windows.h"
#include "shell/app/shutdown.h"
#include "shell/app/song_child_drop.h"
#include "shell/app/song_list_window.h"
#include "shell/app/startup.h"
#include "shell/base/double_click.h"
#include "shell/base/error_report_hooks.h"
#include "shell/base/event_records.h"
#include "shell/base/untitled_name.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_sizing.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/linked_song_sync.h"
#include "song/model/song_list_slots.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/transport_hooks.h"
#include "song/model/utility_track_access.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

constexpr uint8_t kSelected = kSongOptionListSelected;

// The block of the song in a slot.
uint8_t* SongBytes(int32_t slot) { return reinterpret_cast<uint8_t*>(HandleData(GetSongHandleAt(slot))); }

class SongListTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
    gLastEvent = EventRecord{};
  }
  void TearDown() override {
    QuitApplication(0);
    AppTest::TearDown();
  }
  // A table of n slots with a song in each listed slot, named by its slot ("s3"); slot 0
  // keeps the start-up song, renamed.
  static void MakeSongs(int32_t n, const std::vector<int32_t>& slots) {
    ASSERT_EQ(noErr, SetSongSlotCount(n));
    for (int32_t slot : slots) {
      SelectSongIndex(slot);
      if (!gCurrentSong) ASSERT_EQ(noErr, MakeSongInEmptySlot());
      std::string name = "s" + std::to_string(slot);
      gCurrentSong[kSongName] = uint8_t(name.size());
      std::memcpy(gCurrentSong + kSongName + 1, name.data(), name.size());
    }
    SelectSongIndex(0);
  }
  static std::string NameAt(int32_t slot) {
    Handle h = GetSongHandleAt(slot);
    if (!h) return "-";
    const uint8_t* song = SongBytes(slot);
    return std::string(reinterpret_cast<const char*>(song + kSongName + 1), song[kSongName]);
  }
  // The names of the first n slots ("-" for an empty one).
  static std::vector<std::string> Order(int32_t n) {
    std::vector<std::string> out;
    for (int32_t slot = 0; slot < n; ++slot) out.push_back(NameAt(slot));
    return out;
  }
  static void Select(const std::vector<int32_t>& slots) {
    for (int32_t slot = 0; slot < gSongCount; ++slot) {
      Handle h = GetSongHandleAt(slot);
      if (h) SongBytes(slot)[kSongOptions] &= uint8_t(~kSelected);
    }
    for (int32_t slot : slots) SongBytes(slot)[kSongOptions] |= kSelected;
  }
  static Point RowPoint(int32_t row) {
    return Point{int16_t(kSongListTop + row * gSongListRowHeight + gSongListRowHeight / 2), 40};
  }
  static std::string TrackWindowTitle() {
    Str255 title;
    GetWTitle(gTrackWindowRecord.window, title);
    return std::string(reinterpret_cast<const char*>(title + 1), title[0]);
  }
  // A window tall enough for 20 rows, so that the slot limit and not the window stops the list.
  static void MakeListTall() {
    SizeWindow(gSongListRecord.window, 300, int16_t(kSongListTop + 20 * gSongListRowHeight), true);
  }
};

TEST_F(SongListTest, ShowsOneRowPerSlotUpToSixteen) {
  ASSERT_NE(gSongListRecord.window, nullptr);
  MakeListTall();
  struct Case {
    int32_t slots, shown;
  };
  for (const Case& c : {Case{4, 4}, Case{15, 15}, Case{16, 16}, Case{32, 16}, Case{40, 16}}) {
    SCOPED_TRACE(c.slots);
    ASSERT_EQ(noErr, SetSongSlotCount(c.slots));
    EXPECT_EQ(CountSongListSlots(), c.shown);
    EXPECT_EQ(FindSongListSlot(RowPoint(c.shown - 1)), c.shown - 1);
    EXPECT_EQ(FindSongListSlot(RowPoint(c.shown)), -1) << "no row below the last slot shown";
    SetSongListScroll(10);
    EXPECT_EQ(GetSongListScroll(), 0) << "all the rows fit: nothing to scroll";
  }
}

TEST_F(SongListTest, TheScrollPositionStaysWithinTheSlotsShown) {
  SizeWindow(gSongListRecord.window, 300, int16_t(kSongListTop + 5 * gSongListRowHeight), true);
  ASSERT_EQ(noErr, SetSongSlotCount(40));
  UpdateWindowScrollers(&gSongListRecord);
  SetSongListScroll(100);
  EXPECT_EQ(GetSongListScroll(), 16 - 5);
  EXPECT_EQ(FindSongListSlot(RowPoint(0)), 11);
  HandleSongListKey(22);  // a page up: four rows
  EXPECT_EQ(GetSongListScroll(), 7);
  HandleSongListKey(20);
  EXPECT_EQ(GetSongListScroll(), 6);
  SelectSongIndex(15);
  ScrollSongListToCurrent();
  EXPECT_EQ(GetSongListScroll(), 11);
}

TEST_F(SongListTest, ClickingAnEmptySlotMakesAOneTrackSongThereAndMakesItCurrent) {
  MakeListTall();
  MakeSongs(32, {0, 1});
  uint16_t firstId = ReadU16BE(SongBytes(0) + kSongId);
  gSongModified = 0;
  gCurrentLaneNumber = 3;
  gEditorPanes[0].lane = 7;
  EventRecord click{};
  click.what = mouseDown;
  ClickSongListWindow(&gSongListRecord, RowPoint(2), &click);
  ASSERT_EQ(gCurrentSongIndex, 2);
  EXPECT_EQ(gEditorPanes[0].lane, 3) << "the new song's first pane shows the current lane";
  ASSERT_NE(GetSongHandleAt(2), nullptr);
  EXPECT_EQ(gCurrentSongHandle, GetSongHandleAt(2));
  EXPECT_EQ(GetSongTrackCount(), 1);
  EXPECT_TRUE(gSongModified);
  EXPECT_NE(ReadU16BE(gCurrentSong + kSongId), firstId);
  EXPECT_FALSE(gCurrentSong[kSongFlags] & kSongFlagLinked);
  EXPECT_TRUE(gCurrentSong[kSongOptions] & kSelected) << "the clicked song is the one selected";
  const unsigned char* untitled = GetUntitledName();
  EXPECT_EQ(TrackWindowTitle(), "Song 3: " + std::string(reinterpret_cast<const char*>(untitled + 1), untitled[0]));
  EXPECT_EQ(Order(4), (std::vector<std::string>{"s0", "s1", "", "-"}));

  ClickSongListWindow(&gSongListRecord, RowPoint(1), &click);
  EXPECT_EQ(gCurrentSongIndex, 1);
  EXPECT_EQ(TrackWindowTitle(), "Song 2: s1");
  EXPECT_FALSE(SongBytes(2)[kSongOptions] & kSelected) << "a plain click selects only its song";
}

// Help tags: the header buttons, an empty row, another song's row, the current song's row.
TEST_F(SongListTest, HelpPartsNameWhatLiesUnderThePoint) {
  MakeListTall();
  MakeSongs(32, {0, 1});
  ASSERT_EQ(noErr, ActivateSongSlot(1));
  auto middle = [](int16_t button) {
    Rect r = GetSongListButtonRect(button);
    return Point{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)};
  };
  struct Case {
    Point where;
    int16_t part;
  };
  const Case kCases[] = {{middle(0), 0},  {middle(1), 1},  {middle(2), 2},     {RowPoint(0), 4},
                         {RowPoint(1), 5}, {RowPoint(2), 3}, {RowPoint(16), -1}, {Point{30, 250}, -1}};
  for (const Case& c : kCases) EXPECT_EQ(GetSongListHelpPart(c.where), c.part) << c.where.v << " " << c.where.h;
}

// A second click counts as a double click within the system's double-click time of the first.
TEST_F(SongListTest, ADoubleClickIsASecondClickWithinTheDoubleClickTime) {
  uint32_t previous = 0;
  struct Step {
    uint32_t when;
    bool twice;
  };
  const uint32_t limit = GetDblTime();
  const Step kSteps[] = {{1000, false}, {1000 + limit, true}, {1000 + 3 * limit, false}, {1001 + 4 * limit, false}};
  for (const Step& s : kSteps) {
    gLastEvent.when = s.when;
    EXPECT_EQ(IsDoubleClick(&previous), s.twice) << s.when;
    EXPECT_EQ(previous, s.when);
  }
}

TEST_F(SongListTest, ShiftAndCommandClicksExtendAndToggleTheSelection) {
  MakeSongs(32, {0, 1, 2, 3, 4});
  struct Step {
    int32_t slot;
    uint32_t modifiers;
    std::vector<int32_t> selected;
  };
  const Step kSteps[] = {{1, 0, {1}}, {4, shiftKey, {1, 2, 3, 4}}, {2, cmdKey, {1, 3, 4}}, {0, shiftKey, {0, 1, 2}}};
  for (const Step& s : kSteps) {
    SelectSongListRows(s.slot, s.modifiers);
    std::vector<int32_t> selected;
    for (int32_t slot = 0; slot < 5; ++slot)
      if (IsSongSlotSelected(slot)) selected.push_back(slot);
    EXPECT_EQ(selected, s.selected) << s.slot << " " << s.modifiers;
  }
}

TEST_F(SongListTest, RemovingSongsShrinksTheTableToThirtyTwoAtTheLeast) {
  struct Case {
    int32_t slots;
    std::vector<int32_t> songs, removed;
    int32_t count, current;
    std::vector<std::string> order;
  };
  const Case kCases[] = {
      {40, {0, 4, 5, 12}, {5, 12}, 32, 4, {"s0", "-", "-", "-", "s4", "-"}},
      {40, {0, 1, 2, 3}, {1, 2, 3}, 32, 0, {"s0", "-", "-", "-", "-", "-"}},
      {32, {0, 2, 3, 9}, {3}, 32, 2, {"s0", "-", "s2", "-", "-", "-"}},
      {32, {0, 3, 9}, {3}, 32, 0, {"s0", "-", "-", "-", "-", "-"}},  // no empty slot gets a song
      {16, {0, 2}, {2}, 16, 0, {"s0", "-", "-", "-", "-", "-"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.removed.front());
    MakeSongs(c.slots, c.songs);
    Select(c.removed);
    RemoveSelectedSongs();
    EXPECT_EQ(gSongCount, c.count);
    EXPECT_EQ(gCurrentSongIndex, c.current);
    EXPECT_EQ(Order(6), c.order);
    EXPECT_TRUE(IsSongSlotSelected(c.current));
    for (int32_t slot = 1; slot < gSongCount; ++slot) {  // clean for the next case
      SelectSongIndex(slot);
      if (gCurrentSong) DisposeSong();
    }
  }
}

TEST_F(SongListTest, RemovingTheFirstSongLeavesAFreshOneInSlotZero) {
  MakeSongs(40, {0, 1});
  Select({0});
  RemoveSelectedSongs();
  EXPECT_EQ(gSongCount, 32);
  EXPECT_EQ(gCurrentSongIndex, 0);
  EXPECT_EQ(Order(2), (std::vector<std::string>{"", "s1"}));
  EXPECT_TRUE(IsSongSlotSelected(0));
}

// A song the clock plays is not disposed under it: it stays in its slot, and when it was the
// only one selected the current song stays as it was.
TEST_F(SongListTest, RemovingLeavesTheSongTheClockPlays) {
  MakeSongs(32, {0, 1, 2, 3});
  static Handle playing;
  playing = GetSongHandleAt(2);
  SongTransportHooks saved = gSongTransportHooks;
  gSongTransportHooks.isClockPlayingSong = [](Handle song) { return song == playing; };
  ASSERT_EQ(noErr, ActivateSongSlot(3));
  Select({2});
  RemoveSelectedSongs();
  EXPECT_EQ(Order(4), (std::vector<std::string>{"s0", "s1", "s2", "s3"}));
  EXPECT_EQ(gCurrentSongIndex, 3);
  EXPECT_EQ(gCurrentSongHandle, GetSongHandleAt(3));
  Select({1, 2});
  RemoveSelectedSongs();
  EXPECT_EQ(Order(4), (std::vector<std::string>{"s0", "-", "s2", "s3"}));
  EXPECT_EQ(gCurrentSongIndex, 0);
  gSongTransportHooks = saved;
}

TEST_F(SongListTest, StepCurrentSongWrapsOverTheSlotsThatHoldSongs) {
  MakeSongs(32, {0, 3, 7, 15});
  struct Case {
    int32_t from;
    int16_t delta;
    int32_t to;
  };
  for (const Case& c : {Case{15, 1, 0}, Case{0, -1, 15}, Case{3, 1, 7}, Case{7, -1, 3}, Case{0, 1, 3}}) {
    ASSERT_EQ(noErr, ActivateSongSlot(c.from));
    StepCurrentSong(c.delta);
    EXPECT_EQ(gCurrentSongIndex, c.to) << c.from << " " << c.delta;
    EXPECT_EQ(gCurrentSongHandle, GetSongHandleAt(c.to));
  }
  SetSongSlotCount(5);  // fewer than 16 slots: the wrap is within them
  ASSERT_EQ(noErr, ActivateSongSlot(3));
  StepCurrentSong(1);
  EXPECT_EQ(gCurrentSongIndex, 0);
}

TEST_F(SongListTest, MovingSelectedSongsKeepsTheOrderOfBothGroups) {
  struct Case {
    int32_t slots;
    std::vector<int32_t> songs, selected;
    int32_t row;
    OSErr result;
    std::vector<std::string> order;
  };
  const Case kCases[] = {
      {32, {0, 1, 2, 3, 4}, {1, 3}, 0, noErr, {"s1", "s3", "s0", "s2", "s4", "-"}},
      {32, {0, 1, 2, 3, 4}, {0}, 3, noErr, {"s1", "s2", "s3", "s0", "s4", "-"}},
      {32, {0, 1, 2, 3, 4}, {0, 4}, 14, noErr, {"s1", "s2", "s3", "-", "-", "-"}},
      {4, {0, 1, 2, 3}, {0}, 5, noErr, {"s1", "s2", "s3", "-", "-", "s0"}},
      {16, {0, 1, 2}, {1, 2}, 15, memFullErr, {"s0", "s1", "s2", "-", "-", "-"}},
      {32, {0, 1, 2}, {1, 2}, 15, memFullErr, {"s0", "s1", "s2", "-", "-", "-"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.row);
    MakeSongs(c.slots, c.songs);
    Select(c.selected);
    EXPECT_EQ(MoveSelectedSongsToRow(c.row), c.result);
    EXPECT_EQ(Order(6), c.order);
    if (c.row == 14 && c.result == noErr) {
      EXPECT_EQ(NameAt(14), "s0");
      EXPECT_EQ(NameAt(15), "s4");
    }
    for (int32_t slot = 1; slot < gSongCount; ++slot) {
      SelectSongIndex(slot);
      if (gCurrentSong) DisposeSong();
    }
    ASSERT_EQ(noErr, SetSongSlotCount(32));
  }
}

TEST_F(SongListTest, MovingTheFirstSongAwayGivesSlotZeroAFreshSong) {
  MakeSongs(32, {0, 2});
  Select({0});
  ASSERT_EQ(noErr, MoveSelectedSongsToRow(2));
  EXPECT_EQ(Order(4), (std::vector<std::string>{"", "s2", "s0", "-"}));
}

TEST_F(SongListTest, SongsSharingAnIdAreMarkedLinked) {
  MakeSongs(32, {0, 1, 2});
  uint16_t id = ReadU16BE(SongBytes(1) + kSongId);
  WriteU16BE(SongBytes(2) + kSongId, id);
  ASSERT_EQ(noErr, ActivateSongSlot(2));
  EXPECT_TRUE(SongBytes(1)[kSongFlags] & kSongFlagLinked);
  EXPECT_TRUE(SongBytes(2)[kSongFlags] & kSongFlagLinked);
  EXPECT_FALSE(SongBytes(0)[kSongFlags] & kSongFlagLinked);
  WriteU16BE(SongBytes(2) + kSongId, uint16_t(id + 100));
  ASSERT_EQ(noErr, ActivateSongSlot(1));
  EXPECT_FALSE(SongBytes(1)[kSongFlags] & kSongFlagLinked);
}

}  // namespace
}  // namespace app_test

namespace app_test {
namespace {

// A song row dropped on the main editor: the pane's track takes the song as a child sequence
// with a reference as long as the song; in song mode 1 nothing changes.
TEST_F(SongListTest, ASongDroppedOnTheEditorBecomesAChildOfThePanesTrack) {
  ASSERT_GT(gEditorPaneCount, 0);
  ErrorReportHooks shown = gErrorReportHooks;
  static int alerts = 0;
  gErrorReportHooks.showCautionAlert = [](int16_t) -> int16_t { return int16_t(++alerts); };
  struct Case {
    uint8_t songMode;
    bool copy;
    OSErr result;
    const char* childName;
  };
  const Case kCases[] = {{0, false, noErr, "s1"}, {0, true, noErr, "Copy of s1"}, {1, false, 102, nullptr}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.copy ? "copy " : "link ") + std::to_string(c.songMode));
    ResetSongDatabase();  // no child of an earlier case is left
    MakeSongs(32, {0, 1});
    WriteU32BE(SongBytes(1) + kSongEndTick, 1921);
    ASSERT_EQ(noErr, ActivateSongSlot(0));
    gCurrentSong[kSongMode] = c.songMode;
    SelectEditorPane(0);
    uint32_t bytesBefore = ReadU32BE(gCurrentTrack + kTrackEventBytes);
    Point drop{int16_t(gEditorPanes[0].top + 4), int16_t(gTimelineFrame.originX + 40)};
    int32_t dropTick = XToTime(drop.h);
    EXPECT_EQ(AddSongAsChildOfTrack(1, drop, c.copy), c.result);
    SelectEditorPane(0);
    if (!c.childName) {
      EXPECT_EQ(gCurrentTrack[kTrackChildCount], 0);
      EXPECT_EQ(ReadU32BE(gCurrentTrack + kTrackEventBytes), bytesBefore) << "the track is left as it was";
      EXPECT_EQ(alerts, 1) << "the refusal is reported";
      continue;
    }
    ASSERT_EQ(gCurrentTrack[kTrackChildCount], 1);
    Handle child = TrackEntryView(gCurrentTrack).Child(0);
    ASSERT_TRUE(child);
    const uint8_t* head = reinterpret_cast<const uint8_t*>(HandleData(child));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(head + kSongName + 1), head[kSongName]), c.childName);
    EXPECT_EQ(bool(head[kSongFlags] & kSongFlagLinked), !c.copy);
    EXPECT_EQ(head[kSongChildX], (40 + 10) / 16);
    Handle events = TrackEntryView(gCurrentTrack).EventList();  // its only event: the reference
    ASSERT_TRUE(events);
    const uint8_t* e = reinterpret_cast<const uint8_t*>(HandleData(events));
    EXPECT_EQ(int32_t(ReadU32BE(e)), dropTick);
    EXPECT_EQ(GetEventLongDuration(e), 1920u) << "as long as the song: its end tick - 1";
  }
  gErrorReportHooks = shown;
}

}  // namespace
}  // namespace app_test

namespace app_test {
namespace {

// A section list of its own for the current track (no sections), marked by its first byte.
Handle GiveSectionList(uint8_t mark) {
  Handle h = NewHandleClear(16);
  HandleData(h)[0] = char(mark);
  TrackEntryView(gCurrentTrack).SetSectionList(h);
  return h;
}

// Edits made to a linked song while it played reach its twin: the twin's tracks become copies
// with their own handles, it keeps its section lists unless a track asks for the edited one.
TEST_F(SongListTest, ALinkedSongEditedWhilePlayingCarriesItsTracksToItsTwin) {
  for (bool takeSections : {false, true}) {
    SCOPED_TRACE(takeSections);
    ResetSongDatabase();
    MakeSongs(32, {0, 1});
    uint16_t id = ReadU16BE(SongBytes(0) + kSongId);
    SelectSongIndex(0);
    SetCurrentTrackIndex(0);
    Handle twinSections = GiveSectionList(0x11);
    SelectSongIndex(1);
    WriteU16BE(gCurrentSong + kSongId, id);
    ASSERT_EQ(noErr, AddTrackEntry(kTrackEntrySize));
    for (int32_t i = 0; i < 2; ++i) {
      SetCurrentTrackIndex(i);
      ASSERT_EQ(noErr, InsertShortEvent(0, uint32_t(100 + 50 * i), 0xB0, 7, uint8_t(90 + i)));
    }
    SetCurrentTrackIndex(0);
    Handle editedSections = GiveSectionList(0x22);
    if (takeSections) gCurrentTrack[kTrackModeFlags] |= kTrackModeTwinSections;
    WriteU16BE(gCurrentSong + kSongTempo, 1400);
    gCurrentSong[kSongFlags] |= kSongFlagLinked | kSongFlagEditedWhilePlaying;

    SyncSongEditedDuringPlayback();
    EXPECT_EQ(gCurrentSongHandle, GetSongHandleAt(1)) << "the edited song stays current";
    EXPECT_FALSE(gCurrentSong[kSongFlags] & kSongFlagEditedWhilePlaying);
    EXPECT_EQ(ReadU16BE(SongBytes(0) + kSongTempo), 1400);
    ASSERT_EQ(ReadU16BE(SongBytes(0) + kSongTrackCount), 2);
    for (int32_t i = 0; i < 2; ++i) {
      SelectSongIndex(1);
      SetCurrentTrackIndex(i);
      Handle editedEvents = TrackEntryView(gCurrentTrack).EventList();
      uint32_t bytes = ReadU32BE(gCurrentTrack + kTrackEventBytes);
      std::string editedList(HandleData(editedEvents), bytes);
      SelectSongIndex(0);
      SetCurrentTrackIndex(i);
      Handle twinEvents = TrackEntryView(gCurrentTrack).EventList();
      ASSERT_TRUE(twinEvents);
      EXPECT_NE(twinEvents, editedEvents) << "the twin holds its own copy";
      EXPECT_EQ(std::string(HandleData(twinEvents), bytes), editedList);
    }
    SelectSongIndex(0);
    SetCurrentTrackIndex(0);
    Handle sections = TrackEntryView(gCurrentTrack).SectionList();
    ASSERT_TRUE(sections);
    EXPECT_NE(sections, editedSections);
    EXPECT_EQ(uint8_t(HandleData(sections)[0]), takeSections ? 0x22 : 0x11);
    if (!takeSections) EXPECT_EQ(sections, twinSections);
    SelectSongIndex(1);
    SetCurrentTrackIndex(0);
    EXPECT_FALSE(gCurrentTrack[kTrackModeFlags] & kTrackModeTwinSections);
    EXPECT_EQ(TrackEntryView(gCurrentTrack).SectionList(), editedSections) << "the edited song keeps its own";
  }
}

// The list's own menu (a control-click on a row): its second item removes the selected songs.
TEST_F(SongListTest, TheListMenuRemovesTheSelectedSongs) {
  MakeSongs(32, {0, 1, 2, 3});
  Select({2});
  MenuRef menu = GetMenu(kSongListMenuId);
  ASSERT_TRUE(menu);
  EventRecord click{};
  click.what = mouseDown;
  click.modifiers = controlKey;
  click.where = Point{400, 500};
  Rect item;
  GetMenuItemBoundsAt(menu, click.where, 2, &item);
  windows_test::PostClickPath({Point{int16_t((item.top + item.bottom) / 2), int16_t((item.left + item.right) / 2)}});
  ClickSongListWindow(nullptr, Point{int16_t(kSongListTop + 2 * gSongListRowHeight + 2), 60}, &click);
  EXPECT_EQ(Order(4), (std::vector<std::string>{"s0", "s1", "-", "s3"}));
  EXPECT_EQ(gCurrentSongIndex, 1);
}

}  // namespace
}  // namespace app_test
