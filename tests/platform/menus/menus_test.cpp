#include <string>
#include <vector>

#include "platform/events/key_codes.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/resources/resources.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/test_support.h"

namespace {

using namespace windows_test;

constexpr MenuID kFileID = 428, kEditID = 429, kRecentID = 92;

std::string Text(MenuRef menu, MenuItemIndex item) {
  Str255 s;
  GetMenuItemText(menu, item, s);
  return std::string(reinterpret_cast<char*>(s + 1), s[0]);
}

Point Center(const Rect& r) { return Point{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)}; }

// Where a bar menu opens and the centre of one of its items.
Point BarMenuTopLeft(MenuID id) {
  Rect title{};
  EXPECT_TRUE(GetMenuTitleRect(id, &title));
  return Point{GetMBarHeight(), title.left};
}

Point ItemCenter(MenuRef menu, Point topLeft, MenuItemIndex item) {
  Rect r;
  GetMenuItemBoundsAt(menu, topLeft, item, &r);
  return Center(r);
}

// Records the 'menu' events and HICommands that reach the application.
struct AppLog {
  std::vector<std::pair<UInt32, UInt32>> menuEvents;  // kind, context
  std::vector<HICommand> commands;
  static OSStatus Handle(EventHandlerCallRef, EventRef event, void* data) {
    auto* log = static_cast<AppLog*>(data);
    if (GetEventClass(event) == kEventClassMenu) {
      UInt32 context = 0;
      GetEventParameter(event, kEventParamMenuContext, typeUInt32, nullptr, sizeof context, nullptr, &context);
      log->menuEvents.emplace_back(GetEventKind(event), context);
      return eventNotHandledErr;
    }
    HICommand command;
    GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
    log->commands.push_back(command);
    return noErr;
  }
  bool SawMenuEvent(UInt32 kind, UInt32 contextBits) const {
    for (auto& e : menuEvents)
      if (e.first == kind && (e.second & contextBits) == contextBits) return true;
    return false;
  }
};

class MenuTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ClearMenuBar();
    file_ = NewMenu(kFileID, PStr("File"));
    AppendMenu(file_, PStr("New/N;Open\xC9/O;(Revert;-;Save/S;Save As\xC9"));
    SetMenuItemModifiers(file_, 6, kMenuShiftModifier);
    SetItemCmd(file_, 6, 'S');
    AppendMenuItemTextLiteral(file_, PStr("Recent"));
    SetMenuItemCommandID(file_, 5, FourCC("save"));
    edit_ = NewMenu(kEditID, PStr("Edit"));
    AppendMenu(edit_, PStr("Undo/Z;Cut/X"));
    SetMenuItemCommandID(edit_, 2, kHICommandCut);
    recent_ = NewMenu(kRecentID, PStr("Recent"));
    AppendMenu(recent_, PStr("Song A;Song B/B"));
    SetMenuItemCommandID(recent_, 2, FourCC("rcnB"));
    InsertMenu(file_, 0);
    InsertMenu(edit_, 0);
    InsertMenu(recent_, hierMenu);
    SetMenuItemHierarchicalID(file_, 7, kRecentID);
    DrawMenuBar();
  }
  void TearDown() override {
    ClearMenuBar();
    for (MenuRef m : {file_, edit_, recent_}) DisposeMenu(m);
    WindowTest::TearDown();
  }

  // Takes the press out of the queue, as the program's event loop did, and runs MenuSelect.
  SInt32 SelectAlong(std::vector<Point> path) {
    PostClickPath(path);
    EventRecord down;
    EXPECT_TRUE(GetNextEvent(mDownMask, &down));
    return MenuSelect(down.where);
  }

  MenuRef file_ = nullptr, edit_ = nullptr, recent_ = nullptr;
};

TEST_F(MenuTest, MetacharactersMakeItems) {
  ASSERT_EQ(CountMenuItems(file_), 7);
  EXPECT_EQ(Text(file_, 2), "Open\xC9");
  CharParameter key = 0;
  GetItemCmd(file_, 2, &key);
  EXPECT_EQ(key, 'O');
  EXPECT_FALSE(IsMenuItemEnabled(file_, 3)) << "'(' disables";
  EXPECT_EQ(Text(file_, 3), "Revert");
  EXPECT_FALSE(IsMenuItemEnabled(file_, 4)) << "a separator";

  MenuRef m = NewMenu(1, PStr("Marks"));
  AppendMenu(m, PStr("Bold<B;Checked!\x12;Icon^3\rSub/\x1B"));
  Style style = 0;
  GetItemStyle(m, 1, &style);
  EXPECT_EQ(style, bold);
  int16_t mark = 0;
  GetItemMark(m, 2, &mark);
  EXPECT_EQ(mark, checkMark);
  SInt16 icon = 0;
  GetItemIcon(m, 3, &icon);
  EXPECT_EQ(icon, 3);
  EXPECT_EQ(CountMenuItems(m), 4) << "return separates items too";
  InsertMenuItem(m, PStr("First"), 0);
  EXPECT_EQ(Text(m, 1), "First");
  AppendMenuItemTextLiteral(m, PStr("(Literal; kept/X"));
  EXPECT_EQ(Text(m, 6), "(Literal; kept/X");
  EXPECT_TRUE(IsMenuItemEnabled(m, 6));
  DisposeMenu(m);
  EXPECT_FALSE(IsValidMenu(m));
}

TEST_F(MenuTest, MenuSelectFollowsTheMouseToAnItem) {
  AppLog log;
  ScopedHandler h(GetApplicationEventTarget(), AppLog::Handle,
                  {{kEventClassMenu, kEventMenuBeginTracking}, {kEventClassMenu, kEventMenuEndTracking},
                   {kEventClassMenu, kEventMenuEnableItems}, {kEventClassMenu, kEventMenuOpening},
                   {kEventClassMenu, kEventMenuClosed}},
                  &log);
  Rect title;
  GetMenuTitleRect(kFileID, &title);
  Point top = BarMenuTopLeft(kFileID);
  Point open = ItemCenter(file_, top, 2);
  UInt32 under = ScreenPixel(open.h, open.v);

  EXPECT_EQ(SelectAlong({Center(title), ItemCenter(file_, top, 1), open}), SInt32((kFileID << 16) | 2));
  EXPECT_EQ(GetHilitedMenuID(), kFileID) << "the title stays hilited until HiliteMenu(0)";
  HiliteMenu(0);
  EXPECT_EQ(GetHilitedMenuID(), 0);
  EXPECT_EQ(ScreenPixel(open.h, open.v), under) << "the screen under the menu comes back";
  EXPECT_TRUE(log.SawMenuEvent(kEventMenuBeginTracking, kMenuContextMenuBarTracking));
  EXPECT_TRUE(log.SawMenuEvent(kEventMenuEnableItems, kMenuContextMenuBarTracking | kMenuContextPullDown));
  EXPECT_TRUE(log.SawMenuEvent(kEventMenuOpening, kMenuContextMenuBarTracking));
  EXPECT_TRUE(log.SawMenuEvent(kEventMenuClosed, 0));
  EXPECT_TRUE(log.SawMenuEvent(kEventMenuEndTracking, 0));

  struct Case {
    const char* what;
    std::vector<Point> path;
    SInt32 result;
  };
  Point editTop = BarMenuTopLeft(kEditID);
  const Case cases[] = {
      {"a disabled item", {Center(title), ItemCenter(file_, top, 3)}, 0},
      {"a separator", {Center(title), ItemCenter(file_, top, 4)}, 0},
      {"outside every menu", {Center(title), Point{600, 900}}, 0},
      {"across to the next title", {Center(title), Point{10, SInt16(editTop.h + 5)}, ItemCenter(edit_, editTop, 2)},
       SInt32((kEditID << 16) | 2)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SelectAlong(c.path), c.result) << c.what;
    HiliteMenu(0);
  }

  // A click on the title leaves the menu open; the next click chooses.
  Point item5 = ItemCenter(file_, top, 5);
  PostClickPath({Center(title)});
  PostClickPath({item5});
  EventRecord down;
  ASSERT_TRUE(GetNextEvent(mDownMask, &down));
  EXPECT_EQ(MenuSelect(down.where), SInt32((kFileID << 16) | 5));
  HiliteMenu(0);
  // Escape closes it.
  PostClickPath({Center(title)});
  PostHostKeyEvent(kEventRawKeyDown, kVK_Escape, 0, -1);
  ASSERT_TRUE(GetNextEvent(mDownMask, &down));
  EXPECT_EQ(MenuSelect(down.where), 0);
  EXPECT_EQ(GetHilitedMenuID(), 0);
}

TEST_F(MenuTest, SubmenusOpenBesideTheirItem) {
  Rect title;
  GetMenuTitleRect(kFileID, &title);
  Point top = BarMenuTopLeft(kFileID);
  Rect parentItem, parentMenu;
  GetMenuItemBoundsAt(file_, top, 7, &parentItem);
  GetMenuBoundsAt(file_, top, &parentMenu);
  Point subTop{SInt16(parentItem.top - 5), SInt16(parentMenu.right - 3)};
  Point songB = ItemCenter(recent_, subTop, 2);
  EXPECT_EQ(SelectAlong({Center(title), Center(parentItem), Point{songB.v, SInt16(parentMenu.right + 10)}, songB}),
            SInt32((kRecentID << 16) | 2));
  EXPECT_EQ(GetHilitedMenuID(), kFileID) << "a submenu choice hilites its bar title";
  HiliteMenu(0);
  EXPECT_EQ(SelectAlong({Center(title), Center(parentItem)}), 0) << "a submenu's parent is not a choice";
  ChangeMenuItemAttributes(file_, 7, kMenuItemAttrSubmenuParentChoosable, 0);
  EXPECT_EQ(SelectAlong({Center(title), Center(parentItem)}), SInt32((kFileID << 16) | 7));
  HiliteMenu(0);
}

TEST_F(MenuTest, ClicksAndCommandKeysReachTheCommandHandler) {
  AppLog log;
  ScopedHandler h(GetApplicationEventTarget(), AppLog::Handle,
                  {{kEventClassCommand, kEventCommandProcess}, {kEventClassMenu, kEventMenuEnableItems}}, &log);
  Rect title;
  GetMenuTitleRect(kEditID, &title);
  PostClickPath({Center(title), ItemCenter(edit_, BarMenuTopLeft(kEditID), 2)});
  DispatchQueuedEvents();
  ASSERT_EQ(log.commands.size(), 1u);
  EXPECT_EQ(log.commands[0].commandID, kHICommandCut);
  EXPECT_EQ(log.commands[0].menu.menuRef, edit_);
  EXPECT_EQ(log.commands[0].menu.menuItemIndex, 2);
  EXPECT_EQ(log.commands[0].attributes, kHICommandFromMenu);
  EXPECT_EQ(GetHilitedMenuID(), 0);

  log.menuEvents.clear();
  ASSERT_EQ(PostHostKeyEvent(kEventRawKeyDown, kVK_ANSI_S, cmdKey, -1), noErr);
  ASSERT_EQ(PostHostKeyEvent(kEventRawKeyUp, kVK_ANSI_S, cmdKey, -1), noErr);
  DispatchQueuedEvents();
  ASSERT_EQ(log.commands.size(), 2u);
  EXPECT_EQ(log.commands[1].commandID, FourCC("save"));
  EXPECT_EQ(log.commands[1].menu.menuItemIndex, 5);
  EXPECT_TRUE(log.SawMenuEvent(kEventMenuEnableItems, kMenuContextKeyMatching)) << "menus are brought up to date";

  ASSERT_EQ(PostHostKeyEvent(kEventRawKeyDown, kVK_ANSI_S, 0, -1), noErr);
  DispatchQueuedEvents();
  EXPECT_EQ(log.commands.size(), 2u) << "a plain key is no command";
}

TEST_F(MenuTest, CommandKeysMatchWithTheirModifiers) {
  struct Case {
    const char* what;
    UInt16 keyCode;
    UInt32 modifiers;
    UInt32 result;
  };
  const Case cases[] = {
      {"command-S", kVK_ANSI_S, cmdKey, (kFileID << 16) | 5},
      {"command-shift-S", kVK_ANSI_S, cmdKey | shiftKey, (kFileID << 16) | 6},
      {"command-option-S: no such item", kVK_ANSI_S, cmdKey | optionKey, 0},
      {"S alone", kVK_ANSI_S, 0, 0},
      {"command-Z in the second menu", kVK_ANSI_Z, cmdKey, (kEditID << 16) | 1},
      {"a submenu's key", kVK_ANSI_B, cmdKey, (UInt32(kRecentID) << 16) | 2},
      {"command-control-X (control changes the character)", kVK_ANSI_X, cmdKey | controlKey, 0},
  };
  for (const Case& c : cases) {
    EventRecord record;
    record.what = keyDown;
    record.modifiers = EventModifiers(c.modifiers);
    record.message = CharCodeForKeyCode(c.keyCode, c.modifiers) | (UInt32(c.keyCode) << 8);
    EXPECT_EQ(MenuEvent(&record), c.result) << c.what;
    HiliteMenu(0);
  }
  DisableMenuItem(file_, 5);
  EXPECT_EQ(MenuKey('s'), 0) << "a disabled item has no key";
  EnableMenuItem(file_, 5);
  EXPECT_EQ(MenuKey('s'), SInt32((kFileID << 16) | 5));
  EXPECT_EQ(GetHilitedMenuID(), kFileID);
  DisableMenuItem(file_, 0);
  EXPECT_EQ(MenuKey('s'), 0) << "nor an item of a disabled menu";
  EnableMenuItem(file_, 0);
  HiliteMenu(0);
}

TEST_F(MenuTest, MenuBarPixelsInASavedPNG) {
  Rect file, edit;
  GetMenuTitleRect(kFileID, &file);
  GetMenuTitleRect(kEditID, &edit);
  EXPECT_EQ(file.right, edit.left);
  HiliteMenu(kEditID);
  zarin_test::TempFolder folder;
  std::string path = folder.File("bar.png");
  ASSERT_EQ(SaveScreenToPNG(path.c_str()), noErr);
  Image image;
  ASSERT_TRUE(ReadPNG(path, &image));
  SInt16 barHeight = GetMBarHeight();
  EXPECT_EQ(image.at(1000, 5), kMenuBarPixel);
  EXPECT_EQ(image.at(1000, barHeight - 1), kMenuBarLinePixel);
  EXPECT_EQ(image.at(1000, barHeight), kDesktopPixel);
  int dark = 0, white = 0;
  for (int v = 0; v < barHeight - 1; ++v) {
    for (int h = file.left; h < file.right; ++h) dark += (image.at(h, v) & 0xFF) < 0x60;
    for (int h = edit.left; h < edit.right; ++h) white += image.at(h, v) == kHighlightTextPixel;
  }
  EXPECT_GT(dark, 15) << "the File title is written";
  EXPECT_EQ(image.at(edit.left + 2, 2), kHighlightPixel) << "the hilited title";
  EXPECT_GT(white, 15) << "in white";
  HiliteMenu(0);
}

TEST_F(MenuTest, PopUpAndContextualMenus) {
  MenuRef pop = NewMenu(300, PStr("Pop"));
  AppendMenu(pop, PStr("One;Two;Three;Four;Five"));
  Rect probe;
  GetMenuBoundsAt(pop, Point{300, 200}, &probe);
  Rect first, third;
  GetMenuItemBoundsAt(pop, Point{300, 200}, 1, &first);
  GetMenuItemBoundsAt(pop, Point{300, 200}, 3, &third);
  Point popTop{SInt16(300 - (third.top - probe.top)), 200};  // item 3 lies at (300, 200)

  PostClickPath({Point{305, 210}, ItemCenter(pop, popTop, 4)});
  EventRecord down;
  ASSERT_TRUE(GetNextEvent(mDownMask, &down));
  EXPECT_EQ(PopUpMenuSelect(pop, 300, 200, 3), SInt32((300 << 16) | 4));

  // A contextual menu after the click that asked for it: the next click chooses.
  Point at{400, 500};
  PostClickPath({ItemCenter(pop, at, 2)});
  UInt32 selection = 99;
  MenuID id = 0;
  MenuItemIndex item = 0;
  EXPECT_EQ(ContextualMenuSelect(pop, at, false, kCMHelpItemNoHelp, nullptr, nullptr, &selection, &id, &item), noErr);
  EXPECT_EQ(selection, kCMMenuItemSelected);
  EXPECT_EQ(id, 300);
  EXPECT_EQ(item, 2);
  PostClickPath({Point{50, 50}});
  EXPECT_EQ(ContextualMenuSelect(pop, at, false, kCMHelpItemNoHelp, nullptr, nullptr, &selection, &id, &item),
            userCanceledErr);
  EXPECT_EQ(selection, kCMNothingSelected);
  DisposeMenu(pop);
}

TEST_F(MenuTest, MenuCommandsAreFoundInSubmenusToo) {
  MenuRef found = nullptr;
  MenuItemIndex index = 0;
  EXPECT_EQ(GetIndMenuItemWithCommandID(nullptr, FourCC("rcnB"), 1, &found, &index), noErr);
  EXPECT_EQ(found, recent_);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(GetIndMenuItemWithCommandID(nullptr, FourCC("rcnB"), 2, &found, &index), menuItemNotFoundErr);
  DisableMenuCommand(nullptr, FourCC("save"));
  EXPECT_FALSE(IsMenuCommandEnabled(nullptr, FourCC("save")));
  EXPECT_FALSE(IsMenuItemEnabled(file_, 5));
  EnableMenuCommand(file_, FourCC("save"));
  EXPECT_TRUE(IsMenuCommandEnabled(file_, FourCC("save")));
  EXPECT_EQ(SetMenuCommandMark(nullptr, kHICommandCut, checkMark), noErr);
  int16_t mark = 0;
  GetItemMark(edit_, 2, &mark);
  EXPECT_EQ(mark, checkMark);
  EXPECT_EQ(SetMenuCommandMark(nullptr, FourCC("none"), checkMark), menuItemNotFoundErr);
}

// --- Resources ------------------------------------------------------------------------------------

struct ItemSpec {
  std::string text;
  UInt8 key = 0, mark = 0;
};

std::string MenuImage(MenuID id, const std::string& title, UInt32 enableFlags, const std::vector<ItemSpec>& items) {
  std::string data(14, '\0');
  auto* p = reinterpret_cast<UInt8*>(data.data());
  WriteI16BE(p, id);
  WriteU32BE(p + 10, enableFlags);
  data.push_back(char(title.size()));
  data += title;
  for (const ItemSpec& item : items) {
    data.push_back(char(item.text.size()));
    data += item.text;
    data += std::string{'\0', char(item.key), char(item.mark), '\0'};
  }
  data.push_back('\0');
  return data;
}

class MenuResources : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    ResourceForkImage image;
    auto add = [&](const char (&type)[5], short id, const std::string& name, const std::string& data) {
      ResourceRecord rec;
      rec.type = FourCC(type);
      rec.id = id;
      rec.hasName = !name.empty();
      rec.name = name;
      rec.data = data;
      image.resources.push_back(rec);
    };
    add("MENU", 500, "", MenuImage(500, "\x14", 0xFFFFFFFF, {{"About"}}));
    // Item 3 (a separator) is off in the enable flags; item 4 opens MENU 92.
    add("MENU", 501, "", MenuImage(501, "Tools", 0x37, {{"Split", 'T'}, {"Join", 'J'}, {"-"}, {"Styles", 0x1B, 92}}));
    std::string damaged = MenuImage(502, "Broken", 0xFFFFFFFF, {{"Item"}});
    damaged.resize(damaged.size() - 3);
    add("MENU", 502, "", damaged);
    std::string mbar(2, '\0');
    WriteU16BE(mbar.data(), 2);
    for (SInt16 id : {500, 501}) mbar += std::string{char(id >> 8), char(id & 0xFF)};
    add("MBAR", 128, "", mbar);
    std::string bad = mbar;
    bad[5] = char(0xF6);  // 502: damaged
    add("MBAR", 129, "", bad);
    add("MSTL", 1, "Ocean", "x");
    add("MSTL", 2, ".hidden", "x");
    add("MSTL", 3, "Amber", "x");
    path_ = folder_.File("Menus.rsrc");
    ASSERT_EQ(WriteDataForkResourceFile(path_, image), noErr);
    ASSERT_EQ(OpenResourceFileAtPath(path_, 1, true, &ref_), noErr);
  }
  void TearDown() override {
    CloseResFile(ref_);
    MenuTest::TearDown();
  }
  zarin_test::TempFolder folder_;
  std::string path_;
  SInt16 ref_ = -1;
};

TEST_F(MenuResources, MenuBarsAndMenusComeFromResources) {
  MenuBarHandle bar = GetNewMBar(128);
  ASSERT_TRUE(bar);
  SetMenuBar(bar);
  DisposeMenuBar(bar);
  MenuRef tools = GetMenuHandle(501);
  ASSERT_TRUE(tools);
  EXPECT_EQ(GetMenuHandle(kFileID), nullptr) << "the bar was replaced";
  EXPECT_EQ(GetMenu(501), tools) << "a loaded menu is answered again";
  ASSERT_EQ(CountMenuItems(tools), 4);
  EXPECT_EQ(Text(tools, 2), "Join");
  CharParameter key = 0;
  GetItemCmd(tools, 1, &key);
  EXPECT_EQ(key, 'T');
  EXPECT_TRUE(IsMenuItemEnabled(tools, 0));
  EXPECT_TRUE(IsMenuItemEnabled(tools, 2));
  EXPECT_FALSE(IsMenuItemEnabled(tools, 3));
  MenuID sub = 0;
  GetMenuItemHierarchicalID(tools, 4, &sub);
  EXPECT_EQ(sub, 92);
  MenuRef submenu = nullptr;
  GetMenuItemHierarchicalMenu(tools, 4, &submenu);
  EXPECT_EQ(submenu, recent_) << "found among the menus by id";

  EXPECT_EQ(GetMenu(502), nullptr) << "items running past the end";
  EXPECT_EQ(GetNewMBar(129), nullptr) << "a bar naming a damaged menu";
  EXPECT_EQ(GetNewMBar(999), nullptr);

  MenuBarHandle saved = GetMenuBar();
  ClearMenuBar();
  EXPECT_EQ(GetMenuHandle(501), nullptr);
  SetMenuBar(saved);
  EXPECT_EQ(GetMenuHandle(501), tools);
  DisposeMenuBar(saved);
  DeleteMenu(501);
  EXPECT_EQ(GetMenuHandle(501), nullptr);

  MenuRef styles = NewMenu(73, PStr("Styles"));
  AppendResMenu(styles, FourCC("MSTL"));
  ASSERT_EQ(CountMenuItems(styles), 2);
  EXPECT_EQ(Text(styles, 1), "Amber");
  EXPECT_EQ(Text(styles, 2), "Ocean");
  DisposeMenu(styles);
  DisposeMenu(tools);
  DisposeMenu(GetMenu(500));
}

}  // namespace
