// The plug-in pop-up of an insert slot (a mixer rack, an instrument, a track): the slot's
// commands, then every plug-in of the slot's class from the table of plug-ins; choosing one
// places it in the slot's rack.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/menus/menus.h"
#include "plugins/library/plugin_table.h"

enum : int16_t {
  kInsertMenuId = 31924,
  kInsertRecentMenuId = 31926,
  kInsertFirstCategoryMenuId = 23671,  // the category submenus, in name order
  kInsertCommandList = 214,   // the command items' texts
  kInsertItemEdit = 2,        // opens the slot plug-in's editor
  kInsertItemRemove = 3,      // removes the slot's plug-in
  kInsertItemRecent = 4,      // the recent plug-ins (submenu 31926)
  kInsertFirstPluginItem = 6, // after the commands and a separator
};

// Plug-in classes of the menus: 0 instruments, 1 effects, 2 all.
enum : int32_t { kPluginClassInstrument = 0, kPluginClassEffect = 1, kPluginClassAll = 2 };
// Class 2 takes all; an entry without an id yet that needs its code loaded is taken by every
// class; class 0 takes instruments (entry flag 0x20), class 1 effects and instruments with
// audio inputs.
bool IsPluginOfClass(int32_t pluginClass, const PluginInfo* entry);

// The pop-up for insert slot `slot` (from 0; at or past the chain's end: a new slot) of the
// rack: items 1..3 the commands (edit and remove enabled when the slot holds a plug-in), 4
// the recent plug-ins, a separator, then one submenu per category (by name) and the
// plug-ins of the class without a category; each plug-in item has its table index as its
// reference value, the one in the slot checked.
MenuRef BuildInsertMenu(Handle rack, int32_t slot, int32_t pluginClass);
// Disposes the menu with its submenus.
void DisposeInsertMenu(MenuRef menu);
// Acts on item `item` of the built menu or of one of its submenus (the menu chosen in):
// remove the slot's plug-in, or place the chosen plug-in in the slot (a plug-in in a slot is
// replaced, a new slot appends): the playback state is reset first. noErr, the load's error,
// or paramErr for an item outside the menu.
OSErr HandleInsertMenuChoice(MenuRef menu, Handle rack, int32_t slot, int16_t item);
// Builds the menu, runs it at the global point and acts on the choice; noErr when nothing
// was chosen.
OSErr RunInsertMenu(Handle rack, int32_t slot, int32_t pluginClass, Point where);
