// Destination items: the places a strip or a track is connected to (tracks, aux busses,
// instruments, inserts, the click output, the jukebox), listed in run-time menus. Each such
// menu is built together with a handle of 76-byte records, one per item (item k is record
// k - 1), so that the chosen item can be acted on afterwards.
//
// Record layout (big-endian):
//   +0  name   length-prefixed, at most 63 characters (64 bytes)
//   +64 index  i32: a track number, an aux-bus number, an instrument-table index, an insert
//   +68 kind   i32: below
//   +72 extra  i32: an insert slot (-1 or 0 when unused)
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/menus/menus.h"

constexpr int32_t kDestinationItemSize = 76;
constexpr int32_t kDestItemName = 0;
constexpr int32_t kDestItemNameMax = 63;
constexpr int32_t kDestItemIndex = 64;
constexpr int32_t kDestItemKind = 68;
constexpr int32_t kDestItemExtra = 72;

enum : int32_t {
  kDestTrack = 1,             // a track (index = track number, low 8 bits)
  kDestAuxBus = 2,            // an aux bus (index below gAuxBusCount)
  kDestTrackInsert = 3,       // an insert of a track's rack
  kDestInstrument = 4,        // an instrument-table entry (instrument, bus or master)
  kDestClickOutput = 6,       // the click output
  kDestAuxBusRebased = 7,     // an aux bus given at or beyond gAuxBusCount, stored rebased
  kDestJukebox = 8,           // the jukebox playing through the strip
  kDestInstrumentInsert = 9,  // an insert of an instrument's rack
};

// The menus built at run time, deleted after use.
enum : int16_t {
  kBuiltMenuFirstId = 31923,
  kDestinationSourcesMenuId = 31924,  // what uses the strip
  kDestinationTargetsMenuId = 31925,  // where the strip goes
  kShowStripsMenuId = 31926,          // showing and hiding strips
};

// The labels' texts: item kind + 20 names the kind, 24 the instrument, 30..35 the strip menu.
constexpr int16_t kDestinationTextList = 138;

// --- the record --------------------------------------------------------------------------

// Number of records in the handle (0 for none).
int32_t CountDestinationItems(Handle items);
// Record of menu item `item` (1-based), or null outside the handle. The address is good until
// the handle next grows.
uint8_t* GetDestinationItem(Handle items, int32_t item);
int32_t GetDestinationKind(const uint8_t* record);
int32_t GetDestinationIndex(const uint8_t* record);
int32_t GetDestinationExtra(const uint8_t* record);

// --- building ------------------------------------------------------------------------------

// The menu text of an item into out: STR# 138 item (kind + 20), for an instrument insert
// ":" and item 24, then index + 1, ":" and the name. A kind-2 index at or beyond
// gAuxBusCount is labelled as kind 7, rebased; a track number is taken modulo 256.
void BuildDestinationLabel(StringPtr out, int32_t kind, int32_t index, ConstStr255Param name);
// Grows items (made with NewHandle when null) by one record filled from the arguments (name
// cut at 63 characters) and appends its label to menu (when not null). When the handle cannot
// grow nothing is stored or appended. Returns the handle (null only when none could be made).
Handle AppendDestinationItem(Handle items, MenuRef menu, int32_t kind, int32_t index,
                             ConstStr255Param name, int32_t extra);

// --- acting on a choice -------------------------------------------------------------------

// Runs the go-to action of menu item `item` (1-based); a null handle or an item outside it
// does nothing.
void GoToDestinationItem(Handle items, int32_t item);

// The windows a go-to action shows, filled by their owners (an empty entry does nothing).
struct DestinationRoutes {
  // The mixer selection becomes (kind 1 track number, 2 aux bus index + 1, 4 instrument
  // index, as the song keeps it) and insert slot `slot` of its rack the selected plug-in
  // (-1 leaves the plug-ins' selection).
  void (*setMixerSelection)(int32_t kind, int32_t item, int32_t slot);
  // The instrument window makes entry `index` current, selects it alone, unhides it and
  // scrolls it into view.
  void (*showInstrumentStrip)(int32_t index);
  // The instrument window clears its strip selection and redraws (a go-to left it).
  void (*clearStripSelection)();
  // The track list is refreshed.
  void (*refreshTrackList)();
  void (*openClickSettingsWindow)();
  void (*showJukeboxWindow)();
  // The instrument-table entry the jukebox plays through, -1 none.
  int32_t (*findJukeboxInstrument)();
};
extern DestinationRoutes gDestinationRoutes;

// Gives the plug-in host (gPluginHostHooks.buildDestinationLabel) the items' labels.
void InstallDestinationHooks();

// --- the instrument window's go-to menus -------------------------------------------------

// Submenu 31924, what uses entry `index` of the instrument table: for an instrument the
// tracks that play it, its plug-in device's items and the inserts of its rack; for an aux bus
// the instruments whose sends feed it (and the sends); the jukebox when it plays through the
// entry. Appends to menu and returns the items handle (null when nothing was added).
Handle AppendStripSourceItems(MenuRef menu, int32_t index);
// Submenu 31925, where entry `index` goes: for an instrument the aux busses it sends to (with
// a non-zero level) and their strips and its plug-in device's items; for an aux bus or the
// master each instrument feeding it.
Handle AppendStripTargetItems(MenuRef menu, int32_t index);
// Submenu 31926, showing strips: a new menu with the five items, enabled as the strips are
// (item 5, hiding the selected strips, only when entry `index` is an instrument).
MenuRef NewShowStripsMenu(int32_t index);
// Acts on item 1..5 of submenu 31926, then rebuilds the instrument state and sizes the
// instrument window to its content.
void HandleShowStripsChoice(int32_t item);
