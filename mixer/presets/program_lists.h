// A plug-in's program lists (plugins/host/plugin_preset_lists.h): building the factory and
// user lists when a plug-in is opened into a rack, applying preset k of the two lists taken
// together (factory slots first), and rebuilding the factory list when the plug-in's program
// names changed.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct PluginInstance;
struct PluginSettings;

// Flags of OpenInsertInstance.
enum : uint32_t {
  kProgramListsNamesOnly = 0x01,    // read program names only (and only for names-only plug-ins)
  kProgramListsRebuild = 0x02,      // drop the factory list first (as the option key does)
  kProgramListsDropUser = 0x04,     // ... and the user list with it
  kProgramListsApplyCurrent = 0x08, // make the plug-in's current program the current preset
  kProgramListsWithUser = 0x10,     // gather the user list (preset files)
};

// Builds the instance's factory list (programList) and, when asked, its user list
// (secondHandle). rack and settings may be null. noErr or memFullErr (reported).
OSErr OpenInsertInstance(PluginInstance* instance, Handle rack, const PluginSettings* settings,
                         uint32_t flags);
// The number of presets of both lists, and the factory part of it.
int32_t CountCombinedPresets(const PluginInstance* instance);
int32_t CountFactoryPresets(const PluginInstance* instance);
// The list and slot that preset k of both lists lies in; false outside them.
bool FindCombinedPreset(const PluginInstance* instance, int32_t k, Handle* list, int32_t* slot);
// Selects preset k: its name becomes the current program's, then the plug-in takes its bank
// file, chunk or values (see the list's flags). noErr, paramErr outside the lists, or the
// bank file's error (reported to the user with the file's name).
OSErr ApplyPluginPreset(PluginInstance* instance, int32_t k);
// For a names-only plug-in: the first and the last four program names are compared with the
// factory list, which is built again on the first difference. True when it was.
bool RefreshProgramNames(PluginInstance* instance);
// Whether the plug-in's entry reads its programs by name only.
bool IsNamesOnlyPlugin(const PluginInstance* instance);
// Installs the plug-in host's openInsertInstance: a plug-in just loaded gets its lists.
void InstallProgramListHooks();
