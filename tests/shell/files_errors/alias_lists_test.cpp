#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/resources/resources.h"
#include "platform/system/sys_beep.h"
#include "platform/text/mac_roman.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "shell/menus/alias_lists.h"
#include "shell/menus/menu_state.h"
#include "song/documents/recent_file_hooks.h"
#include "tests/test_support.h"

namespace {

class AliasListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseAllResFiles();
    gPrefsResFile = -1;
    RegisterStandardFolder(kPreferencesFolderType, prefs_.path());
    ForgetPrefsFileSpec();
    list_ = {3, 6000, Handle(), nullptr};
  }
  void TearDown() override {
    for (int32_t i = 0; list_.entries && i < list_.count; ++i) RemoveAliasListEntry(&list_, i);
    if (list_.entries) DisposeHandle(list_.entries);
    CloseAllResFiles();
    gPrefsResFile = -1;
    RegisterStandardFolder(kPreferencesFolderType, "");
    ForgetPrefsFileSpec();
  }
  FSSpec Make(const std::string& name) {
    zarin_test::WriteWholeFile(files_.File(name), "data");
    FSSpec fileSpec;
    EXPECT_EQ(PathToSpec(files_.File(name), &fileSpec), noErr);
    return fileSpec;
  }
  void Add(const std::string& name) {
    FSSpec fileSpec = Make(name);
    AddFileToAliasList(&list_, &fileSpec, Handle());
  }
  // The names of the list's entries, resolving each.
  std::vector<std::string> Names(AliasList* list) {
    std::vector<std::string> names;
    for (int32_t i = 0; list->entries && i < list->count; ++i) {
      OSErr err;
      const FSSpec* fileSpec = ResolveAliasListEntry(AliasListEntryAt(list, i), &err, nullptr);
      if (fileSpec) names.push_back(PStringToUTF8(fileSpec->name));
    }
    return names;
  }
  zarin_test::TempFolder prefs_;
  zarin_test::TempFolder files_;
  AliasList list_;
};

TEST_F(AliasListTest, MostRecentFirstAndFullListDropsTheLast) {
  Add("a");
  Add("b");
  Add("c");
  EXPECT_EQ(Names(&list_), (std::vector<std::string>{"c", "b", "a"}));
  Handle aliasOfB = AliasListEntryAt(&list_, 1)->alias;
  Add("b");  // already listed: moves to the front, keeps its alias
  EXPECT_EQ(Names(&list_), (std::vector<std::string>{"b", "c", "a"}));
  EXPECT_EQ(AliasListEntryAt(&list_, 0)->alias, aliasOfB);
  Add("d");
  EXPECT_EQ(Names(&list_), (std::vector<std::string>{"d", "b", "c"}));
}

TEST_F(AliasListTest, SavedAndLoadedInOrderDroppingLostFiles) {
  Add("a");
  Add("b");
  Add("c");
  SaveAliasList(&list_);
  for (int32_t i = 0; i < list_.count; ++i) EXPECT_FALSE(AliasListEntryAt(&list_, i)->alias);
  CloseAllResFiles();
  gPrefsResFile = -1;
  std::remove(files_.File("b").c_str());
  AliasList loaded = {3, 6000, Handle(), nullptr};
  LoadAliasList(&loaded);
  EXPECT_EQ(Names(&loaded), (std::vector<std::string>{"c", "a"}));
  for (int32_t i = 0; i < loaded.count; ++i) RemoveAliasListEntry(&loaded, i);
  DisposeHandle(loaded.entries);
}

TEST_F(AliasListTest, SavingAnEmptiedListRemovesItsResources) {
  Add("a");
  SaveAliasList(&list_);
  RemoveAliasListEntry(&list_, 0);
  SaveAliasList(&list_);
  UsePrefsResFile();
  EXPECT_FALSE(Get1Resource(FourCC("BMID"), 6000));
  UseAppResFile();
}

TEST_F(AliasListTest, EveryListIsSavedAtQuitEvenWithNoRecentSong) {
  // A user who never opened a song still keeps the jukebox and import lists.
  ASSERT_FALSE(gSongFileList.entries);
  FSSpec tune = Make("tune"), take = Make("take");
  AddFileToAliasList(&gJukeboxFileList, &tune, Handle());
  AddFileToAliasList(&gImportFileList, &take, Handle());
  SaveAllAliasLists();
  UsePrefsResFile();
  EXPECT_TRUE(Get1Resource(FourCC("BMID"), int16_t(gJukeboxFileList.resourceBase)));
  EXPECT_TRUE(Get1Resource(FourCC("BMID"), int16_t(gImportFileList.resourceBase)));
  EXPECT_FALSE(Get1Resource(FourCC("BMID"), int16_t(gSongFileList.resourceBase)));
  UseAppResFile();
  for (AliasList* list : {&gJukeboxFileList, &gImportFileList}) {
    for (int32_t i = 0; i < list->count; ++i) RemoveAliasListEntry(list, i);
    DisposeHandle(list->entries);
    list->entries = Handle();
  }
}

TEST_F(AliasListTest, MenuShowsOnlyResolvableFilesWithoutGaps) {
  Add("a");
  Add("b");
  Add("c");
  std::remove(files_.File("b").c_str());
  InvalidateAliasList(&list_);
  static const unsigned char kTitle[] = "\006Recent";
  MenuRef menu = NewMenu(92, kTitle);
  for (int i = 0; i < 4; ++i) AppendMenuItemTextLiteral(menu, kTitle);
  BuildRecentFileMenu(&list_, menu, kRecentMenuFixedItems);
  ASSERT_EQ(CountMenuItems(menu), 6);
  Str255 text;
  GetMenuItemText(menu, 5, text);
  EXPECT_EQ(PStringToUTF8(text), "c");
  GetMenuItemText(menu, 6, text);
  EXPECT_EQ(PStringToUTF8(text), "a");
  EXPECT_EQ(Names(&list_), (std::vector<std::string>{"c", "a"}));
  DisposeMenu(menu);
}

// A document opened and a file imported show in their submenus the next time the File
// menu's state is brought up to date (before the menu opens).
TEST_F(AliasListTest, OpenedAndImportedFilesFillTheirMenus) {
  InstallRecentFileHooks();
  static const unsigned char kTitle[] = "\006Recent";
  const struct {
    MenuID id;
    void (*remember)(const FSSpec*);
    const char* name;
  } cases[] = {{kRecentSongsMenuId, RememberSongFile, "song"}, {kRecentImportsMenuId, RememberImportFile, "tune.mid"}};
  for (const auto& c : cases) {
    MenuRef menu = NewMenu(c.id, kTitle);
    for (int i = 0; i < kRecentMenuFixedItems; ++i) AppendMenuItemTextLiteral(menu, kTitle);
    InsertMenu(menu, hierMenu);
    FSSpec fileSpec = Make(c.name);
    c.remember(&fileSpec);
    UpdateFileMenuState();
    ASSERT_EQ(CountMenuItems(menu), kRecentMenuFixedItems + 1) << c.name;
    Str255 text;
    GetMenuItemText(menu, kRecentMenuFixedItems + 1, text);
    EXPECT_EQ(PStringToUTF8(text), c.name);
    DeleteMenu(c.id);
    DisposeMenu(menu);
  }
  for (AliasList* list : {&gSongFileList, &gImportFileList})
    for (int32_t i = list->count - 1; i >= 0; --i) RemoveAliasListEntry(list, i);
}

TEST_F(AliasListTest, ChoosingAVanishedFileRemovesItAndBeeps) {
  Add("a");
  Add("b");
  std::remove(files_.File("b").c_str());
  uint32_t beeps = GetSysBeepCount();
  HandleRecentFileMenu(&list_, 5, 2, false);  // entry 0, "b"
  EXPECT_EQ(GetSysBeepCount(), beeps + 1);
  EXPECT_EQ(Names(&list_), (std::vector<std::string>{"a"}));
}

}  // namespace
