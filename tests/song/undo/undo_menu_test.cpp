// The Edit menu's Undo and Redo texts. (Kept apart from the event-list fixtures: the menu
// header brings the event-record types in.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "shell/base/undo_edit_menu.h"
#include "song/model/song_database.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_menu.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"
#include "tests/test_support.h"

namespace {

class UndoMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DisposeUndoRing();
    ResetSongDatabase();
    ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
    CloseAllResFiles();
    FSSpec fileSpec;
    PathToSpec(folder_.File("texts.rsrc"), &fileSpec);
    FSpCreateResFile(&fileSpec, FourCC("test"), FourCC("rsrc"), -1);
    ASSERT_NE(-1, FSpOpenResFile(&fileSpec, fsRdWrPerm));
    AddStrList(kUndoMenuTextList, {"Undo ", "Redo "});
    AddStrList(kUndoKindTextList, {"Edit", "Typing", "Insert"});
    gEditMenu = NewMenu(130, reinterpret_cast<const unsigned char*>("\004Edit"));
    AppendMenuItemTextLiteral(gEditMenu, reinterpret_cast<const unsigned char*>("\001x"));
    AppendMenuItemTextLiteral(gEditMenu, reinterpret_cast<const unsigned char*>("\001y"));
  }
  void TearDown() override {
    DisposeMenu(gEditMenu);
    gEditMenu = nullptr;
    CloseAllResFiles();
    DisposeUndoRing();
  }
  void AddStrList(int16_t id, const std::vector<std::string>& items) {
    std::string bytes = {char(items.size() >> 8), char(items.size())};
    for (const std::string& item : items) bytes += char(item.size()) + item;
    Handle h = NewHandle(Size(bytes.size()));
    std::memcpy(*h, bytes.data(), bytes.size());
    static const unsigned char kNoName[] = "";
    AddResource(h, FourCC("STR#"), id, kNoName);
  }
  std::string Item(MenuItemIndex n) {
    Str255 text;
    GetMenuItemText(gEditMenu, n, text);
    return std::string(reinterpret_cast<char*>(text + 1), text[0]);
  }
  zarin_test::TempFolder folder_;
};

TEST_F(UndoMenuTest, TheItemsNameTheStepsUndoAndRedoWouldTake) {
  ResetUndoMenuTexts();
  EXPECT_EQ("Undo ", Item(kEditUndoItem));
  EXPECT_EQ("Redo ", Item(kEditRedoItem));
  auto edit = [](void*) -> int32_t { return 0; };
  RunUndoableEdit(edit);
  SetCurrentUndoKind(2);
  EXPECT_EQ("Undo Insert", Item(kEditUndoItem));
  RunUndoableEdit(edit);
  SetCurrentUndoKind(1);
  EXPECT_EQ("Undo Typing", Item(kEditUndoItem));
  UndoLastEdit();
  EXPECT_EQ("Undo Insert", Item(kEditUndoItem));
  EXPECT_EQ("Redo Typing", Item(kEditRedoItem));
  UndoLastEdit();
  EXPECT_EQ("Undo ", Item(kEditUndoItem));
  ResetUndoHistory();
  EXPECT_EQ("Redo ", Item(kEditRedoItem));
}

}  // namespace
