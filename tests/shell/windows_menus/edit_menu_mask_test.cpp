// The Edit menu's enable mask for the front window's kind and the selection state, and the
// menu helpers that enable items by masks and lists.
#include <gtest/gtest.h>

#include "shell/menus/edit_menu_state.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_items.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/menu_building.h"
#include "platform/memory/memory.h"
#include "song/model/clipboard_record.h"
#include "song/model/songs.h"
#include "tests/platform/windows/windows_test_support.h"

namespace {

using windows_test::PStr;

EditMenuInputs Doc(int16_t kind) {
  EditMenuInputs in;
  in.hasFrontDocWindow = true;
  in.hasAppWindow = true;
  in.kind = kind;
  in.canUndo = in.canRedo = true;
  in.hasTimeSelection = in.pasteFlag = in.hasClipboard = in.secondFlag = true;
  return in;
}

struct MaskCase {
  const char* what;
  EditMenuInputs in;
  uint32_t mask;
};

template <typename F>
EditMenuInputs With(EditMenuInputs in, F change) {
  change(in);
  return in;
}

TEST(EditMenuMask, FollowsTheWindowKindAndTheSelection) {
  const MaskCase cases[] = {
      {"notepad text: its own undo", With(Doc(kNotepadKind), [](auto& i) { i.notepadTextFocused = true; i.canUndo = false; }), 0x4000fb},
      {"track name entry: undo and redo follow the ring",
       With(Doc(kTrackWindowKind), [](auto& i) { i.trackTextEntry = true; i.canUndo = false; }), 0x4000fa},
      {"no document window", With(EditMenuInputs(), [](auto&) {}), 0xd9},
      {"a system window in front", With(Doc(kMainEditorWindowKind), [](auto& i) { i.windowKind = -1; }), 0xd9},
      {"marker list", Doc(kMarkerListKind), 0xc050db},
      {"marker list, nothing to undo, no second flag",
       With(Doc(kMarkerListKind), [](auto& i) { i.canUndo = i.canRedo = false; i.secondFlag = false; }), 0xc050d8},
      {"instrument window", Doc(kInstrumentWindowKindId), 0x4050db},
      {"mixer with an insert chain that answers",
       With(Doc(kMixerKind), [](auto& i) { i.canRedo = false; i.stripHasChain = i.firstInsertAnswers = true; }), 0x400081},
      {"mixer without a chain", Doc(kMixerKind), 0x3},
      {"plug-in chooser: undo and redo only", Doc(kPluginChooserKind), 0x3},
      {"not a window of the program's", With(Doc(0), [](auto& i) { i.hasAppWindow = false; i.canRedo = false; }), 0x1},
      {"main editor with a selection", Doc(kMainEditorWindowKind), 0xfdffff},
      {"main editor with nothing selected",
       With(Doc(kMainEditorWindowKind), [](auto& i) {
         i.canRedo = i.hasTimeSelection = i.pasteFlag = i.hasClipboard = i.secondFlag = false;
       }),
       0xe07a35},
      {"track window, one track", With(Doc(kTrackWindowKind), [](auto& i) { i.singleSelectedTrack = true; i.hasTimeSelection = false; }), 0xffffff},
      {"track window, no paste", With(Doc(kTrackWindowKind), [](auto& i) { i.pasteFlag = false; }), 0xfd7fff},
      {"kind 15 adds what its owner reports",
       With(Doc(15), [](auto& i) { i.canUndo = i.canRedo = i.hasClipboard = false; i.ownerAdds40 = true; }), 0xfcfefc},
      {"kind 15 without the owner's items", With(Doc(15), [](auto& i) { i.canUndo = i.canRedo = i.hasClipboard = false; }), 0xfcfebc},
  };
  for (const MaskCase& c : cases) EXPECT_EQ(c.mask, ComputeEditMenuMask(c.in)) << c.what;
}

class MenuHelpers : public windows_test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    menu_ = NewMenu(3001, PStr("Test"));
    for (int i = 0; i < 24; ++i) AppendMenuItemTextLiteral(menu_, PStr("x"));
  }
  void TearDown() override {
    DisposeMenu(menu_);
    gSectionMode = 0;
    WindowTest::TearDown();
  }
  MenuRef menu_ = nullptr;
};

TEST_F(MenuHelpers, AnEditMaskEnablesItemByBit) {
  EnableMenuItemsByMask(menu_, 0xc050db, 24);
  for (int n = 1; n <= 24; ++n) EXPECT_EQ(bool((0xc050db >> (n - 1)) & 1), IsMenuItemEnabled(menu_, n)) << n;
  MenuRef saved = gEditMenu;
  gEditMenu = menu_;
  ApplyEditMenuMask(0x3);
  gEditMenu = saved;
  EXPECT_TRUE(IsMenuItemEnabled(menu_, 2));
  EXPECT_FALSE(IsMenuItemEnabled(menu_, 3));
}

TEST_F(MenuHelpers, ListsEnableTheirItemsAndSectionModeDisablesThem) {
  const uint8_t items[] = {2, 5, 7};
  SetMenuItemsEnabled(items, 3, menu_, false);
  EXPECT_FALSE(IsMenuItemEnabled(menu_, 5));
  EXPECT_TRUE(IsMenuItemEnabled(menu_, 6));
  gSectionMode = 1;
  SetMenuItemsEnabledUnlessBusy(items, 3, menu_, true);
  EXPECT_FALSE(IsMenuItemEnabled(menu_, 7));
  gSectionMode = 0;
  SetMenuItemsEnabledUnlessBusy(items, 3, menu_, true);
  EXPECT_TRUE(IsMenuItemEnabled(menu_, 7));
}

TEST_F(MenuHelpers, LiteralItemsAndSuffixesKeepTheirText) {
  EXPECT_EQ(25, AppendMenuItemLiteral(menu_, PStr("Cut/Copy;(x")));
  Str255 text;
  GetMenuItemText(menu_, 25, text);
  EXPECT_EQ(std::string("Cut/Copy;(x"), std::string(reinterpret_cast<char*>(text + 1), text[0]));

  SetMenuItemText(menu_, 3, PStr("Repeat"));
  int16_t saved = 0;
  AppendMenuItemWithSuffix(&saved, menu_, PStr("Reverb"), 3);
  AppendMenuItemWithSuffix(&saved, menu_, PStr("Echo"), 3);
  GetMenuItemText(menu_, 3, text);
  EXPECT_EQ(std::string("Repeat Echo"), std::string(reinterpret_cast<char*>(text + 1), text[0]));
  EXPECT_EQ(6, saved);
}

// Paste and Merge follow the clipboard the program holds: a Cut or Copy makes one, and with
// it the two items come on.
TEST(EditMenuInputsTest, TheClipboardCountsWhileItExists) {
  Handle kept = gClipboard;
  gClipboard = Handle();
  EXPECT_FALSE(GatherEditMenuInputs().hasClipboard);
  gClipboard = NewHandleClear(kClipboardRecordSize);
  ASSERT_TRUE(gClipboard);
  EditMenuInputs in = GatherEditMenuInputs();
  EXPECT_TRUE(in.hasClipboard);
  in.hasFrontDocWindow = in.hasAppWindow = true;
  in.kind = kMainEditorWindowKind;
  in.trackQualifies = false;
  EXPECT_EQ(0x10040u, ComputeEditMenuMask(in) & 0x10040u);
  DisposeHandle(gClipboard);
  gClipboard = kept;
}

}  // namespace
