// The window layout: 'BMID' 193 saved and restored, the placement rules, and the layout
// block's forms as files carry them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "shell/base/file_access.h"
#include "shell/base/resource_files.h"
#include "song/documents/document_input.h"
#include "song/model/window_redraw.h"
#include "song/prefs/preferences_writer.h"
#include "song/prefs/startup_settings.h"
#include "song/prefs/window_layout.h"
#include "tests/song/prefs/prefs_fixture.h"

namespace prefs_test {
namespace {

Rect R(int top, int left, int bottom, int right) {
  return Rect{int16_t(top), int16_t(left), int16_t(bottom), int16_t(right)};
}

class WindowLayoutTest : public PrefsTest {
 protected:
  void SetUp() override {
    PrefsTest::SetUp();
    gWindowLayout.screen = R(0, 0, 900, 1400);
    for (int16_t k = 1; k <= kLayoutWindowKinds; ++k) gWindowLayout.frame[k] = R(100, 100, 300, 400);
  }

  // Stores a 'BMID' 193 image in the preferences resource file.
  void StoreImage(Handle image) {
    ASSERT_EQ(UsePrefsResFile(), noErr);
    static const unsigned char kName[] = "\007Windows";
    AddResource(image, FourCC("BMID"), kWindowLayoutResId, kName);
    WriteResource(image);
    UseAppResFile();
  }

  // Reads a layout section from bytes.
  OSErr ReadSection(const std::string& bytes, Handle* block, Handle* panes) {
    std::string path = scratch_.File("layout");
    zarin_test::WriteWholeFile(path, bytes);
    FSSpec fileSpec;
    PathToSpec(path, &fileSpec);
    int16_t refNum = 0;
    EXPECT_EQ(OpenDataFork(&fileSpec, fsRdPerm, &refNum), noErr);
    BeginDocumentInput(refNum);
    OSErr err = ReadLayoutSection(block, panes);
    CloseFork(refNum);
    gStreamRefNum = 0;
    return err;
  }
};

std::string Sized(const std::string& body) {
  std::string out(4, '\0');
  WriteU32BE(out.data(), uint32_t(body.size()));
  return out + body;
}

TEST_F(WindowLayoutTest, SavedAndRestoredThroughTheResource) {
  for (int16_t k = 1; k <= kLayoutWindowKinds; ++k) {
    gWindowLayout.frame[k] = R(100 + k, 10 * k, 400 + 2 * k, 700 + 10 * k);
    SetWindowKindOpen(k, k % 3 != 0);
  }
  SetWindowKindOpen(kMainWindowKind, true);
  gWindowLayout.instrumentScroll = -7;
  for (int32_t i = 0; i < kInstrumentWindowSettingsSize; ++i) gWindowLayout.instrumentSettings[i] = uint8_t(i + 1);
  for (int32_t i = 0; i < kViewValueCount; ++i) gWindowLayout.viewValues[i] = uint16_t(1000 + i);
  WindowLayoutState saved = gWindowLayout;
  ASSERT_EQ(SaveWindowLayout(), noErr);

  for (int16_t k = 1; k <= kLayoutWindowKinds; ++k) gWindowLayout.frame[k] = saved.frame[k];
  gWindowLayout.frame[7] = R(300, 300, 500, 600);
  gWindowLayout.openBits = 0;
  gWindowLayout.instrumentScroll = 0;
  std::memset(gWindowLayout.viewValues, 0, sizeof gWindowLayout.viewValues);
  RestoreWindowLayout(0, 0);
  EXPECT_EQ(gWindowLayout.openBits, saved.openBits);
  EXPECT_EQ(gWindowLayout.frame[7], saved.frame[7]);
  EXPECT_EQ(gWindowLayout.instrumentScroll, -7);
  for (int32_t i = 0; i < kViewValueCount; ++i) EXPECT_EQ(gWindowLayout.viewValues[i], 1000 + i);
  // 24 bytes of the instrument window's settings are saved, 64 restored.
  EXPECT_EQ(gWindowLayout.instrumentSettings[23], 24);
  EXPECT_EQ(gWindowLayout.instrumentSettings[24], 0);
}

TEST_F(WindowLayoutTest, CountLimitsTheKindsRestored) {
  for (uint16_t count : {uint16_t(30), uint16_t(10)}) {
    for (int16_t k = 1; k <= kLayoutWindowKinds; ++k) gWindowLayout.frame[k] = R(100, 100, 300, 400);
    Handle image = NewHandleClear(kWindowLayoutResSize);
    uint8_t* p = reinterpret_cast<uint8_t*>(*image);
    WriteU16BE(p, kWindowLayoutResVersion);
    WriteU16BE(p + 4, count);
    WriteU32BE(p + 8, 0xFFFFFF);
    for (int16_t k = 1; k <= kLayoutWindowKinds; ++k) {
      WriteI16BE(p + 80 + 8 * (k - 1), 200);
      WriteI16BE(p + 82 + 8 * (k - 1), 250);
      WriteI16BE(p + 84 + 8 * (k - 1), 420);
      WriteI16BE(p + 86 + 8 * (k - 1), 650);
    }
    ASSERT_EQ(ApplyWindowLayoutResource(image), noErr);
    DisposeHandle(image);
    int restored = 0;
    for (int16_t k = 1; k <= kLayoutWindowKinds; ++k)
      if (gWindowLayout.frame[k] != R(100, 100, 300, 400)) ++restored;
    // Kinds 3 and 5 keep their size rules but still move.
    EXPECT_EQ(restored, count > 24 ? 24 : count) << "count " << count;
  }
}

TEST_F(WindowLayoutTest, ShortResourceIsRefused) {
  Handle image = NewHandleClear(kWindowLayoutResSize - 1);
  EXPECT_EQ(ApplyWindowLayoutResource(image), paramErr);
  DisposeHandle(image);
}

struct PlacementCase {
  const char* what;
  int16_t kind;
  Rect current, stored, expected;
  WindowPlacement result;
  bool preferenceBit2 = false;
};

TEST_F(WindowLayoutTest, PlacementRules) {
  const PlacementCase kCases[] = {
      {"same rectangle: untouched", 7, R(100, 100, 300, 400), R(100, 100, 300, 400), R(100, 100, 300, 400),
       kPlaceUnchanged},
      {"grows: sized first", 7, R(100, 100, 300, 400), R(50, 60, 400, 600), R(50, 60, 400, 600), kPlaceSizedThenMoved},
      {"shrinks: moved first", 7, R(100, 100, 300, 400), R(120, 130, 220, 330), R(120, 130, 220, 330),
       kPlaceMovedThenSized},
      {"below the minimum size", 7, R(100, 100, 300, 400), R(100, 100, 110, 120), R(100, 100, 177, 195),
       kPlaceMovedThenSized},
      {"main window keeps its size", kMainWindowKind, R(100, 100, 300, 400), R(50, 60, 600, 900), R(50, 60, 250, 360),
       kPlaceMovedThenSized},
      {"transport keeps its width only with bit 2", kTransportWindowKind, R(100, 100, 300, 400),
       R(50, 60, 600, 900), R(50, 60, 153, 360), kPlaceMovedThenSized, true},
      {"transport takes the stored width", kTransportWindowKind, R(100, 100, 300, 400), R(50, 60, 600, 900),
       R(50, 60, 153, 900), kPlaceSizedThenMoved},
      {"main editor off the left edge", kMainEditorKind, R(100, 100, 300, 400), R(100, -40, 300, 260),
       R(100, 1, 300, 301), kPlaceMovedThenSized},
      {"kept on the screen", 7, R(100, 100, 300, 400), R(800, 1300, 1000, 1600), R(700, 1100, 900, 1400),
       kPlaceMovedThenSized},
      {"below the menu bar", 7, R(100, 100, 300, 400), R(-50, 100, 150, 400), R(22, 100, 222, 400),
       kPlaceMovedThenSized},
  };
  for (const PlacementCase& c : kCases) {
    gWindowLayout.frame[c.kind] = c.current;
    gWindowLayout.preferenceBit2 = c.preferenceBit2;
    uint32_t redraws = gRedrawRequests[c.kind];
    EXPECT_EQ(PlaceWindowFromRect(c.kind, c.stored), c.result) << c.what;
    EXPECT_EQ(gWindowLayout.frame[c.kind], c.expected) << c.what;
    EXPECT_EQ(gRedrawRequests[c.kind] - redraws, c.result == kPlaceUnchanged ? 0u : 1u) << c.what;
  }
}

TEST_F(WindowLayoutTest, BlockForms) {
  std::string oldest(160, '\0');
  WriteI16BE(oldest.data(), 11);   // kind 1's top
  oldest[128] = 0x51;              // first 16-byte block
  oldest[144] = 0x61;              // second 16-byte block
  Handle block, panes;
  ASSERT_EQ(ReadSection(Sized(oldest), &block, &panes), noErr);
  ASSERT_EQ(GetHandleSize(block), kLayoutBlockSize);
  EXPECT_FALSE(panes);
  EXPECT_EQ(GetLayoutRect(reinterpret_cast<uint8_t*>(*block), 1).top, 11);
  EXPECT_EQ(uint8_t((*block)[kLayoutInstrumentSettings]), 0x51);
  EXPECT_EQ(uint8_t((*block)[kLayoutDisplayBlock]), 0x61);
  DisposeHandle(block);

  std::string form600(600, '\0');
  WriteU32BE(form600.data() + kLayoutPanePresence600, 0x1234);
  std::string paneBytes(kPaneTableSize, 'p');
  ASSERT_EQ(ReadSection(Sized(form600) + Sized(paneBytes), &block, &panes), noErr);
  EXPECT_EQ(GetHandleSize(block), kLayoutBlockSize);
  EXPECT_EQ(ReadU32BE(*block + kLayoutPanePresence600), 0u) << "no file handle word is kept";
  EXPECT_EQ(ReadU32BE(*block + kLayoutPaneTable), 0u);
  ASSERT_TRUE(panes);
  EXPECT_EQ(std::string(*panes, kPaneTableSize), paneBytes);
  DisposeHandle(block);
  DisposeHandle(panes);

  std::string form608(608, '\0');
  WriteU32BE(form608.data() + kLayoutPaneTableAlternate, 7);  // the alternate word counts too
  ASSERT_EQ(ReadSection(Sized(form608) + Sized(paneBytes), &block, &panes), noErr);
  EXPECT_TRUE(panes);
  DisposeHandle(block);
  DisposeHandle(panes);
}

TEST_F(WindowLayoutTest, MalformedBlocksAreRefusedWithoutLeaks) {
  std::string form608(608, '\0');
  WriteU32BE(form608.data() + kLayoutPaneTable, 1);
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case kCases[] = {
      {"601 bytes", Sized(std::string(601, '\0'))},
      {"584 bytes", Sized(std::string(584, '\0'))},
      {"607 bytes", Sized(std::string(607, '\0'))},
      {"more than the file holds", std::string("\x00\x00\x02\x60", 4) + std::string(100, '\0')},
      {"pane table of another size", Sized(form608) + Sized(std::string(100, 'p'))},
      {"pane table missing", Sized(form608)},
  };
  uint32_t handles = CountLiveHandles();
  for (const Case& c : kCases) {
    Handle block, panes;
    EXPECT_NE(ReadSection(c.bytes, &block, &panes), noErr) << c.what;
    EXPECT_FALSE(block) << c.what;
    EXPECT_FALSE(panes) << c.what;
    EXPECT_EQ(CountLiveHandles(), handles) << c.what;
  }
}

TEST_F(WindowLayoutTest, BlockCarriesTheLayoutBothWays) {
  for (int16_t k = 1; k <= kLayoutWindowKinds; ++k) gWindowLayout.frame[k] = R(50 + k, 60 + k, 400 + k, 500 + k);
  gWindowLayout.openBits = 0x00F0F0F5;
  gWindowLayout.currentView = 9;
  Handle block = BuildLayoutBlock();
  WindowLayoutState built = gWindowLayout;
  for (int16_t k = 1; k <= kLayoutWindowKinds; ++k) gWindowLayout.frame[k] = R(100, 100, 300, 400);
  gWindowLayout.openBits = 0;
  gWindowLayout.currentView = 0;
  ApplyLayoutBlock(block);
  DisposeHandle(block);
  EXPECT_EQ(gWindowLayout.openBits, built.openBits);
  EXPECT_EQ(gWindowLayout.currentView, 9);
  gWindowLayout.displayOptions = 0x400;  // the instrument window is hidden by the display
  block = BuildLayoutBlock();
  ApplyLayoutBlock(block);
  DisposeHandle(block);
  EXPECT_FALSE(IsWindowKindOpen(kInstrumentWindowKind));
  EXPECT_EQ(gWindowLayout.openBits, built.openBits & ~(1u << (kInstrumentWindowKind - 1)));
  gWindowLayout.openBits = built.openBits;
  for (int16_t k = 1; k <= kLayoutWindowKinds; ++k) {
    if (k == kMainWindowKind || k == kTransportWindowKind || !IsWindowKindOpen(k)) continue;
    EXPECT_EQ(gWindowLayout.frame[k], built.frame[k]) << "kind " << k;
  }
}

// The song list's settings survive a restart through the preferences' layout block; a
// document's block (zero there) does not reset them, and bytes out of range fall back.
TEST_F(WindowLayoutTest, SongListSettingsRideInThePreferencesBlock) {
  const SongListSettings set{kSongListChainLoop, 137, kSongListShowTotal, kSongListRemaining};
  gWindowLayout.songList = set;
  ASSERT_EQ(WritePreferencesFile(3), noErr);
  gWindowLayout.songList = SongListSettings();
  Handle layout;
  OSErr status = -1;
  ASSERT_EQ(ReadPreferencesData(&layout, &status), 1);
  ASSERT_TRUE(layout);
  ApplyLayoutBlock(layout);
  EXPECT_EQ(gWindowLayout.songList.playMode, kSongListSingle) << "only the preferences take them";
  TakeSongListSettingsFromLayout(layout);
  DisposeHandle(layout);
  EXPECT_EQ(gWindowLayout.songList.playMode, set.playMode);
  EXPECT_EQ(gWindowLayout.songList.pause, set.pause);
  EXPECT_EQ(gWindowLayout.songList.flags, set.flags);
  EXPECT_EQ(gWindowLayout.songList.timeMode, set.timeMode);

  Handle document = NewHandleClear(kLayoutBlockSize);  // a document's block: zeros there
  ApplyLayoutBlock(document);
  EXPECT_EQ(gWindowLayout.songList.pause, set.pause);
  struct Case { uint8_t bytes[4]; SongListSettings want; } cases[] = {
      {{3, 201, 0xFE, 3}, {kSongListSingle, kSongListMaxPause, 0, kSongListNoTime}},
      {{0xFF, 255, 0xFF, 0xFF}, {kSongListSingle, kSongListMaxPause, kSongListShowTotal, kSongListNoTime}},
      {{kSongListChainOnce, 200, 1, kSongListDurations}, {kSongListChainOnce, 200, 1, kSongListDurations}},
  };
  for (const Case& c : cases) {
    std::memcpy(*document + kLayoutSongListSettings, c.bytes, 4);
    TakeSongListSettingsFromLayout(document);
    EXPECT_EQ(gWindowLayout.songList.playMode, c.want.playMode) << int(c.bytes[0]);
    EXPECT_EQ(gWindowLayout.songList.pause, c.want.pause) << int(c.bytes[1]);
    EXPECT_EQ(gWindowLayout.songList.flags, c.want.flags) << int(c.bytes[2]);
    EXPECT_EQ(gWindowLayout.songList.timeMode, c.want.timeMode) << int(c.bytes[3]);
  }
  DisposeHandle(document);
}

}  // namespace
}  // namespace prefs_test
