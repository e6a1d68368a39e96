// The Menu Manager: menus and their items, the menu bar drawn at the top of the screen,
// 'MENU' and 'MBAR' resources, tracking (menu bar, hierarchical, pop-up and contextual menus),
// command keys, menu commands and the 'menu' Carbon events.
//
// Menu references are in-memory objects and are never stored in records. Item numbers are
// 1-based; item 0 stands for the whole menu where a call says so (EnableMenuItem,
// DisableMenuItem, IsMenuItemEnabled).
//
// Tracking sends, through the menu's event target (whose parent is the application target):
// kEventMenuBeginTracking and kEventMenuEndTracking around it; for each menu that opens
// kEventMenuEnableItems and kEventMenuOpening before it is drawn and kEventMenuClosed after.
// Each carries the menu (kEventParamDirectObject, typeMenuRef) and the context
// (kEventParamMenuContext, 'mctx'): kMenuContextMenuBar / kMenuContextPullDown /
// kMenuContextSubmenu / kMenuContextPopUp for where the menu is, plus
// kMenuContextMenuBarTracking, kMenuContextPopUpTracking or kMenuContextKeyMatching for why.
// Key matching sends kEventMenuEnableItems with kMenuContextKeyMatching to the menus of the
// bar first.
//
// The Menu Manager also answers, on the application target and after the program's own
// handlers, a mouse-down in the menu bar (MenuSelect) and a key-down that matches a command
// key: a chosen item becomes a kEventCommandProcess event (ProcessHICommand) with the item's
// command id, menu and item, and the menu title is unhilited afterwards.
//
// Main thread only.
#pragma once

#include "platform/events/carbon_events.h"
#include "platform/events/classic_events.h"
#include "platform/events/toolbox_refs.h"
#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"
#include "platform/text/cf_string.h"

using MenuCommand = UInt32;
using MenuAttributes = UInt32;
using MenuItemAttributes = UInt32;
using MenuBarHandle = Handle;
using MenuTrackingMode = UInt32;
using URefCon = uintptr_t;
using CharParameter = SInt16;

// Menu id of hierarchical and pop-up menus in InsertMenu.
constexpr MenuID hierMenu = -1;
// Characters of the item record that mean something other than a command key.
enum : UInt8 {
  hMenuCmd = 0x1B,     // the item opens the submenu whose id is in the mark
  kNoMark = 0,
  checkMark = 0x12,
  diamondMark = 0x13,
  commandMark = 0x11,
  appleMark = 0x14,
};

// Modifiers a command key needs (SetMenuItemModifiers).
enum : UInt8 {
  kMenuNoModifiers = 0,
  kMenuShiftModifier = 1u << 0,
  kMenuOptionModifier = 1u << 1,
  kMenuControlModifier = 1u << 2,
  kMenuNoCommandModifier = 1u << 3,
};

enum : MenuItemAttributes {
  kMenuItemAttrDisabled = 1u << 0,
  kMenuItemAttrIconDisabled = 1u << 1,
  kMenuItemAttrSubmenuParentChoosable = 1u << 2,
  kMenuItemAttrDynamic = 1u << 3,
  kMenuItemAttrNotPreviousAlternate = 1u << 4,
  kMenuItemAttrHidden = 1u << 5,
  kMenuItemAttrSeparator = 1u << 6,
  kMenuItemAttrSectionHeader = 1u << 7,
  kMenuItemAttrIgnoreMeta = 1u << 8,
  kMenuItemAttrAutoRepeat = 1u << 9,
  kMenuItemAttrUseVirtualKey = 1u << 10,
};

enum : MenuAttributes {
  kMenuAttrExcludesMarkColumn = 1u << 0,
  kMenuAttrAutoDisable = 1u << 2,
};

// Menu contexts ('mctx').
enum : UInt32 {
  kMenuContextMenuBar = 1u << 0,
  kMenuContextPullDown = 1u << 8,
  kMenuContextSubmenu = 1u << 9,
  kMenuContextPopUp = 1u << 10,
  kMenuContextMenuBarTracking = 1u << 16,
  kMenuContextPopUpTracking = 1u << 17,
  kMenuContextKeyMatching = 1u << 18,
  kMenuContextMenuEnabling = 1u << 19,
  kMenuContextCommandIDSearch = 1u << 20,
};

// Contextual menus.
enum : UInt32 {
  kCMHelpItemNoHelp = 0,
  kCMHelpItemAppleGuide = 1,
  kCMHelpItemOtherHelp = 2,
  kCMHelpItemRemoveHelp = 3,
};
enum : UInt32 {
  kCMNothingSelected = 0,
  kCMMenuItemSelected = 1,
  kCMShowHelpSelected = 3,
};

enum : OSStatus {
  menuPropertyInvalidErr = -5603,
  menuPropertyNotFoundErr = -5604,
  menuNotFoundErr = -5620,
  menuUsesSystemDefErr = -5621,
  menuItemNotFoundErr = -5622,
  menuInvalidErr = -5623,
};

// --- Menus and items --------------------------------------------------------------------------

MenuRef NewMenu(MenuID menuID, ConstStr255Param title);
OSStatus CreateNewMenu(MenuID menuID, MenuAttributes attributes, MenuRef* outMenu);
// Removes the menu from the menu bar and menu lists and frees it.
void DisposeMenu(MenuRef menu);
MenuID GetMenuID(MenuRef menu);
void SetMenuID(MenuRef menu, MenuID menuID);
Boolean IsValidMenu(MenuRef menu);
void GetMenuTitle(MenuRef menu, Str255 title);
OSStatus SetMenuTitle(MenuRef menu, ConstStr255Param title);
OSStatus SetMenuTitleWithCFString(MenuRef menu, CFStringRef title);
// The font of the menu's items (0, 0: the theme's menu font).
OSStatus SetMenuFont(MenuRef menu, SInt16 inFontID, UInt16 inFontSize);
OSStatus GetMenuFont(MenuRef menu, SInt16* outFontID, UInt16* outFontSize);
EventTargetRef GetMenuEventTarget(MenuRef menu);
uint16_t CountMenuItems(MenuRef menu);

// Items with metacharacters: ';' or a return separates items; '^' icon number, '!' mark
// character, '<' style (B, I, U, O, S), '/' command key (0x1B: submenu), '(' disabled, and
// an item "-" is a separator line.
void AppendMenu(MenuRef menu, ConstStr255Param data);
void InsertMenuItem(MenuRef menu, ConstStr255Param itemString, MenuItemIndex afterItem);
// Adds an item at the end with its text taken literally (no metacharacters).
OSStatus AppendMenuItemTextLiteral(MenuRef menu, ConstStr255Param text);
OSStatus AppendMenuItemText(MenuRef menu, ConstStr255Param text);
// Inserts an item after item afterItem (0: at the top).
OSStatus InsertMenuItemTextLiteral(MenuRef menu, ConstStr255Param text, MenuItemIndex afterItem);
OSStatus InsertMenuItemText(MenuRef menu, ConstStr255Param text, MenuItemIndex afterItem);
OSStatus AppendMenuItemTextWithCFString(MenuRef menu, CFStringRef text, MenuItemAttributes attributes,
                                        MenuCommand commandID, MenuItemIndex* outNewItem);
// Appends the names of every resource of the type, sorted, except names that start with '.'
// or '%'.
void AppendResMenu(MenuRef menu, ResType theType);
void DeleteMenuItem(MenuRef menu, MenuItemIndex item);
OSStatus DeleteMenuItems(MenuRef menu, MenuItemIndex firstItem, ItemCount numItems);

void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 text);
void SetMenuItemText(MenuRef menu, MenuItemIndex item, ConstStr255Param text);
OSStatus SetMenuItemTextWithCFString(MenuRef menu, MenuItemIndex item, CFStringRef text);
OSStatus CopyMenuItemTextAsCFString(MenuRef menu, MenuItemIndex item, CFStringRef* outString);
// Item 0: the whole menu (its title is drawn dimmed and every item counts as disabled).
void EnableMenuItem(MenuRef menu, MenuItemIndex item);
void DisableMenuItem(MenuRef menu, MenuItemIndex item);
bool IsMenuItemEnabled(MenuRef menu, MenuItemIndex item);
void CheckMenuItem(MenuRef menu, MenuItemIndex item, bool checked);
void SetItemMark(MenuRef menu, MenuItemIndex item, int16_t markChar);
void GetItemMark(MenuRef menu, MenuItemIndex item, int16_t* markChar);
// The command key character (upper case for letters); hMenuCmd makes the item a submenu
// parent whose submenu id is the mark.
void SetItemCmd(MenuRef menu, MenuItemIndex item, CharParameter cmdChar);
void GetItemCmd(MenuRef menu, MenuItemIndex item, CharParameter* cmdChar);
OSStatus SetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8 modifiers);
OSStatus GetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8* modifiers);
void SetItemStyle(MenuRef menu, MenuItemIndex item, StyleParameter chStyle);
void GetItemStyle(MenuRef menu, MenuItemIndex item, Style* chStyle);
void SetItemIcon(MenuRef menu, MenuItemIndex item, SInt16 iconIndex);
void GetItemIcon(MenuRef menu, MenuItemIndex item, SInt16* iconIndex);
OSStatus SetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand commandID);
OSStatus GetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand* outCommandID);
OSStatus SetMenuItemRefCon(MenuRef menu, MenuItemIndex item, URefCon refCon);
OSStatus GetMenuItemRefCon(MenuRef menu, MenuItemIndex item, URefCon* outRefCon);
OSStatus ChangeMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes setThese,
                                  MenuItemAttributes clearThese);
OSStatus GetMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes* outAttributes);
// Submenus: by id (looked up among the inserted menus when the item opens) or by reference.
OSStatus SetMenuItemHierarchicalID(MenuRef menu, MenuItemIndex item, MenuID hierID);
OSStatus GetMenuItemHierarchicalID(MenuRef menu, MenuItemIndex item, MenuID* outHierID);
OSStatus SetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef hierMenuRef);
OSStatus GetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef* outHierMenu);

// --- Menu commands ------------------------------------------------------------------------------

// The index-th item (from 1) with the command id, searched in the menu and its submenus (menu
// null: the menu bar and the inserted menus). menuItemNotFoundErr when there is none.
OSStatus GetIndMenuItemWithCommandID(MenuRef menu, MenuCommand commandID, UInt32 itemIndex,
                                     MenuRef* outMenu, MenuItemIndex* outIndex);
void EnableMenuCommand(MenuRef menu, MenuCommand commandID);
void DisableMenuCommand(MenuRef menu, MenuCommand commandID);
Boolean IsMenuCommandEnabled(MenuRef menu, MenuCommand commandID);
OSStatus SetMenuCommandMark(MenuRef menu, MenuCommand commandID, UniChar mark);
OSStatus GetMenuCommandMark(MenuRef menu, MenuCommand commandID, UniChar* outMark);

// --- Resources and the menu bar -----------------------------------------------------------------

// A menu from 'MENU' resourceID: id, title, items (text, icon, command key, mark, style) and
// the enable flags (bit 0 the menu, bit n item n for n < 32). The same menu is answered until
// it is disposed. Null when the resource is missing or damaged (ResError: resNotFound, or
// mapReadErr for a resource whose items run past its end).
MenuRef GetMenu(SInt16 resourceID);
// A menu bar from 'MBAR' menuBarID: its menus are loaded (GetMenu) and listed in a new
// handle; null when the resource or one of its menus is missing.
MenuBarHandle GetNewMBar(SInt16 menuBarID);
// The current menu bar (its menus and the inserted hierarchical menus) as a new handle.
MenuBarHandle GetMenuBar();
// Makes the menus listed in the handle the menu bar (the screen changes at DrawMenuBar).
void SetMenuBar(MenuBarHandle menuList);
void DisposeMenuBar(MenuBarHandle menuList);
// Empties the menu bar and the hierarchical menu list.
void ClearMenuBar();
// beforeID: a menu of the bar to insert before (0 or not found: at the end); hierMenu (-1):
// the list of hierarchical and pop-up menus. Nothing when the menu is there already.
void InsertMenu(MenuRef menu, MenuID beforeID);
void DeleteMenu(MenuID menuID);
// A menu of the bar or of the hierarchical list, or null.
MenuRef GetMenuHandle(MenuID menuID);
MenuRef GetMenuRef(MenuID menuID);
// Draws the menu bar (InvalMenuBar too: the bar is drawn at once).
void DrawMenuBar();
void InvalMenuBar();
// Hilites the title of the menu (0: none).
void HiliteMenu(MenuID menuID);
MenuID GetHilitedMenuID();
// The bar's title rectangle of a menu (global), false when it is not in the bar.
Boolean GetMenuTitleRect(MenuID menuID, Rect* globalRect);

// --- Tracking -----------------------------------------------------------------------------------

// Follows the mouse from startPt (global, in the bar) through the bar's menus and their
// submenus until the button is released: the result is (menu id << 16) | item of an enabled
// item under the mouse, or 0. A release on the title that was pressed keeps the menu open
// until the next click (or Escape). The chosen menu's title stays hilited (HiliteMenu(0)).
SInt32 MenuSelect(Point startPt);
// The item whose command key is ch (Command held), or 0; hilites its menu's title.
SInt32 MenuKey(CharParameter ch);
// The item whose command key and modifiers match the key-down record, or 0.
UInt32 MenuEvent(const EventRecord* inEvent);
// The same for a Carbon key event, in startMenu (null: the menu bar) and its submenus.
Boolean IsMenuKeyEvent(MenuRef startMenu, EventRef event, UInt32 options, MenuRef* outMenu,
                       MenuItemIndex* outMenuItem);
// Shows the menu with item popUpItem at (top, left), global, follows the mouse until release
// (or, when the button is already up, until the next click), and answers (id << 16) | item
// or 0.
SInt32 PopUpMenuSelect(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem);

OSStatus InitContextualMenus();
// A secondary-button click, or a primary one with Control held.
Boolean IsShowContextualMenuClick(const EventRecord* inEvent);
Boolean IsShowContextualMenuEvent(EventRef inEvent);
// The menu at inGlobalLocation; the chosen menu id and item, or userCanceledErr when
// nothing was chosen.
OSStatus ContextualMenuSelect(MenuRef inMenu, Point inGlobalLocation, Boolean inReserved,
                              UInt32 inHelpType, ConstStr255Param inHelpItemString,
                              const void* inSelection, UInt32* outUserSelectionType,
                              MenuID* outMenuID, MenuItemIndex* outMenuItem);

// --- Layout (for tests and for the layers that draw next to menus) -----------------------------

// The rectangle (global) that the menu takes when opened at a point (a bar menu opens at
// (GetMBarHeight(), its title's left), a submenu at its parent item's top - 5 and its parent
// menu's right - 3); menus are kept on the screen.
void GetMenuBoundsAt(MenuRef menu, Point topLeft, Rect* globalBounds);
// The rectangle (global) of an item of the menu opened at a point (empty for a bad item).
void GetMenuItemBoundsAt(MenuRef menu, Point topLeft, MenuItemIndex item, Rect* globalBounds);
// Height of an item (separators are shorter).
SInt16 GetMenuItemHeight(MenuRef menu, MenuItemIndex item);
