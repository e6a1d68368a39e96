// The menus the mixer window opens (its mouse handling decides when): the header's contextual
// menu with its routing submenus, the aux-bus send menu, the track output menu and the
// plug-in's contextual menu with the category colours. Each menu is built, run at the click
// and handed to a procedure that acts on the choice; the choice procedures take the item
// number, so they run without a window too.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/menus/menus.h"

struct PluginInstance;

enum : int16_t {
  kMixerHeaderMenuId = 196,
  kInputMapMenuId = 30001,     // the pairs of input channels; pair p's list is 30002 + p
  kPluginContextMenuId = 7502,
  kPluginColourMenuId = 7503,
  kSendTargetMenuId = 31923,
  kTrackOutputMenuId = 31923,
};

// The mixer selection a menu acts on (as the song keeps it): kind 1 or 3 a track (item = its
// number), 2 an aux bus (item = bus index + 1), 4 an instrument (item = its index).
struct MixerChannel {
  int32_t kind = 0;
  int32_t item = 0;
};

// --- the header's contextual menu (menu 196) ------------------------------------------------

enum : int16_t {
  kHeaderItemSources = 1,      // submenu 31924, the channel's destinations
  kHeaderItemTargets = 2,      // submenu 31925, its outputs
  kHeaderItemInputMap = 4,     // submenu 30001, the input channel map
  kHeaderItemExpanded = 6,     // checked while the mixer is expanded; toggles it
};

struct MixerHeaderMenus {
  MixerChannel channel;
  MenuRef menu = nullptr;
  MenuRef sources = nullptr;
  MenuRef targets = nullptr;
  MenuRef inputPairs = nullptr;
  MenuRef inputMaps[6] = {};
  int32_t pairCount = 0;
  // The map value of each item from 5 on of a pair's menu: a track's number + 1, or 0x80 |
  // (aux bus + 1) for the aux busses listed after the tracks.
  uint8_t mapValues[64] = {};
  int32_t mapValueCount = 0;
  Handle sourceItems;
  Handle targetItems;
};

// Builds menu 196 and its submenus for the channel; item 6 is checked while the mixer is
// collapsed (`expanded` false).
void BuildMixerHeaderMenus(MixerHeaderMenus* menus, MixerChannel channel, bool expanded);
// Acts on a choice (menu id and item): a destination's go-to, an input channel's map entry,
// or item 6. Answers true when the mixer's expanded flag is to be toggled.
bool HandleMixerHeaderChoice(MixerHeaderMenus* menus, int16_t menuId, int16_t item);
// Deletes and disposes every menu and the items handles.
void DisposeMixerHeaderMenus(MixerHeaderMenus* menus);
// The whole menu at a global point; true when the expanded flag is to be toggled.
bool RunMixerHeaderMenu(MixerChannel channel, bool expanded, Point where);

// --- the aux-bus send menu -----------------------------------------------------------------

// The target items of send `send` of aux bus `bus`: the device output (target 0), each aux
// bus, and "New Aux Buss" while fewer than 8 exist; the current target marked.
MenuRef BuildSendTargetMenu(int32_t bus, int32_t send);
// Stores the choice (item 1 the device output, item b + 1 bus b, the last item a new bus):
// noErr, or the error of growing the table (nothing stored).
OSErr HandleSendTargetChoice(int32_t bus, int32_t send, int16_t item);
OSErr RunSendTargetMenu(int32_t bus, int32_t send, Point where);

// --- the track output menu ----------------------------------------------------------------

enum : int16_t {
  kOutputItemDevice = 1,          // the output kind's name: the device output
  kOutputItemFirstInstrument = 2, // then one item per instrument
};
// The items for output bus `bus` of the current track's rack: device output, each instrument,
// "New Instrument...", a separator and the output-count item.
MenuRef BuildTrackOutputMenu(int32_t bus);
OSErr HandleTrackOutputChoice(int32_t bus, int16_t item);
OSErr RunTrackOutputMenu(int32_t bus, Point where);

// --- the plug-in's contextual menu (7502) and the category colours (7503) ---------------------

enum : int16_t {
  kPluginCommandRemove = 1,
  kPluginCommandClearAutomation = 2,
  kPluginCommandOptions = 3,
  kPluginCommandInformation = 4,
  kPluginCommandDisplayOption = 5,
  kPluginCommandShowInChooser = 6,
  kPluginItemColours = 7,
  kPluginCommandEditor = 8,    // opens the plug-in's editor (enabled when it has one)
};
MenuRef BuildPluginContextMenu(PluginInstance* plugin, bool expanded, MenuRef* colours);
// A choice of 7502 answers its item as the command; a colour of 7503 is stored in the plug-in
// and as its category's colour (SetCategoryColour, plugins/library/plugin_loading.h), the
// mixer is asked to redraw, and the answer is 0.
int16_t HandlePluginContextChoice(PluginInstance* plugin, int16_t menuId, int16_t item);
int16_t RunPluginContextMenu(PluginInstance* plugin, bool expanded, Point where);

// The plug-in information and MIDI filter dialogs: mixer/menus/plugin_dialogs.h.
