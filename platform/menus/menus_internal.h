// Shared insides of the Menu Manager: the menu record, the menu lists, layout and drawing on
// the screen. Not for use outside platform/menus.
#pragma once

#include <string>
#include <vector>

#include "platform/menus/menus.h"

struct MenuItemRecord {
  std::string text;  // Mac Roman
  bool enabled = true;
  int16_t mark = 0;  // the submenu id when cmdChar is hMenuCmd
  UInt8 cmdChar = 0;
  UInt8 modifiers = kMenuNoModifiers;
  Style style = 0;
  SInt16 icon = 0;
  MenuCommand command = 0;
  URefCon refCon = 0;
  MenuItemAttributes attributes = 0;
  MenuRef submenu = nullptr;  // given by reference (SetMenuItemHierarchicalMenu)
};

constexpr UInt32 kMenuMagic = 0x4D454E55;  // 'MENU'

struct OpaqueMenuRef {
  UInt32 magic = kMenuMagic;
  MenuID id = 0;
  std::string title;
  std::vector<MenuItemRecord> items;
  bool enabled = true;
  MenuAttributes attributes = 0;
  SInt16 fontID = 0;
  UInt16 fontSize = 0;
  SInt16 resourceID = 0;  // the 'MENU' it came from (GetMenu), 0 for none
  bool fromResource = false;
  EventTargetRef target = nullptr;
};

namespace menus_internal {

// --- Records (menus.cpp) ---
bool IsLiveMenu(MenuRef menu);
MenuItemRecord* ItemAt(MenuRef menu, MenuItemIndex item);
bool IsSeparator(const MenuItemRecord& item);
// Enabled, in an enabled menu, and not a separator.
bool IsItemChoosable(MenuRef menu, MenuItemIndex item);
// The submenu an item opens, or null.
MenuRef SubmenuOf(MenuRef menu, MenuItemIndex item);
// Every live menu, oldest first.
const std::vector<MenuRef>& AllMenus();
std::string FromPString(ConstStr255Param p);
void ToPString(const std::string& s, Str255 out);
// Parses AppendMenu's metacharacters into items inserted after afterItem.
void InsertItemsFromData(MenuRef menu, ConstStr255Param data, MenuItemIndex afterItem);

// --- The menu bar (menu_bar.cpp) ---
std::vector<MenuRef>& BarMenus();
std::vector<MenuRef>& HierMenus();
void ForgetMenuInLists(MenuRef menu);
// The bar menu whose title is at the global point, or null.
MenuRef BarMenuAt(Point globalPt);
Rect TitleRectOf(MenuRef menu);
// Installs the application-target handler for menu-bar clicks and command keys (once).
void EnsureMenuEventHandling();

// --- Layout and drawing (menu_drawing.cpp) ---
struct MenuLayout {
  Rect bounds;                // global, frame included
  std::vector<Rect> items;    // global, one per item
};
MenuLayout LayOutMenu(MenuRef menu, Point topLeft);
// Moves a layout so that it lies on the screen below the menu bar.
void KeepLayoutOnScreen(MenuLayout* layout);
// Draws the menu with item hilited (0: none) on the screen.
void DrawMenu(MenuRef menu, const MenuLayout& layout, MenuItemIndex hilited);
void DrawMenuItem(MenuRef menu, const MenuLayout& layout, MenuItemIndex item, bool hilited);
// Menu text in the theme's menu font (or the menu's own), Mac Roman with the mark glyphs.
std::u32string MenuText(const std::string& macRoman);
void MenuFontOf(MenuRef menu, SInt16* font, SInt16* size);

// Pixels of a screen rectangle, kept while a menu covers it.
struct SavedPixels {
  Rect rect;
  std::vector<uint32_t> pixels;
};
void SaveScreenPixels(const Rect& r, SavedPixels* saved);
void RestoreScreenPixels(const SavedPixels& saved);

// --- Events (menu_tracking.cpp) ---
// Sends a 'menu' event of the kind to the menu's target with the context; the status.
OSStatus SendMenuEvent(MenuRef menu, UInt32 kind, UInt32 context);
// Sends kEventMenuEnableItems for key matching to the bar's menus and their submenus.
void SendEnableItemsForKeyMatching();
// The HICommand of an item, sent to the keyboard focus (ProcessHICommand).
OSStatus SendMenuItemCommand(MenuRef menu, MenuItemIndex item);
// The menu of the last choice that MenuSelect or PopUpMenuSelect answered, or null.
MenuRef LastChosenMenu();
// The bar menu that holds the menu (itself, or a submenu's ancestor), or null.
MenuRef BarAncestorOf(MenuRef menu);

// Draws on the screen port with a clip rectangle; the caller's port comes back after.
class ScreenDrawing {
 public:
  explicit ScreenDrawing(const Rect& clip);
  ~ScreenDrawing();
  ScreenDrawing(const ScreenDrawing&) = delete;
  ScreenDrawing& operator=(const ScreenDrawing&) = delete;

 private:
  void* saved_ = nullptr;
  Handle savedClip_;
};

}  // namespace menus_internal
