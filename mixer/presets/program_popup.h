// The program pop-up of a plug-in row in the mixer: saving the current program or the bank
// as a file, then the factory programs and the user presets (after a separator). Choosing a
// program applies it, marks the song modified and redraws the mixer, the editor and the
// track windows; choosing a save item writes the file and makes it the current preset.
#pragma once

#include <cstdint>

#include "platform/events/toolbox_refs.h"
#include "platform/memory/mac_types.h"

struct PluginInstance;

// Pop-up items before the programs.
enum : int16_t {
  kProgramItemSaveProgram = 1,
  kProgramItemSaveBank = 2,
  kProgramItemHeading = 3,  // a disabled heading over the programs
  kProgramItemsBefore = 3,
};

// Runs the pop-up with its top left at `where` (global coordinates, fitted to the screen)
// for the instance's row. True when a program was chosen or a file saved.
bool RunProgramPopup(PluginInstance* instance, Point where);
// The pop-up's menu (id 31923, for the caller to dispose of): the save items (disabled for
// names-only plug-ins; saving a bank also for components), a disabled heading, the programs,
// a disabled separator item before the first user preset; the current preset marked.
MenuRef NewProgramMenu(PluginInstance* instance);
// What the pop-up does with a chosen item (the item number as the menu gives it).
bool DoProgramPopupItem(PluginInstance* instance, int16_t item);
