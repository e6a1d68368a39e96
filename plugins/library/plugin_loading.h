// Loading and unloading plug-in code: a VST bundle's executable is loaded for an entry of
// the table of plug-ins, an instance is opened into the caller's insert chain, what the
// plug-in says about itself (id, channel counts, vendor, category) is kept in the entry and
// the information file, and the code is unloaded again when the last instance is gone.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "plugins/library/plugin_table.h"

struct PluginInstance;

// Load flags.
enum : uint32_t {
  kLoadCheckLimit = 0x01,     // check the plug-in limit first
  kLoadNoInsert = 0x02,       // do not put the instance into the insert slot
  kLoadSilent = 0x04,         // show no error alert
  kLoadTrial = 0x08,          // reset the load count to 0 instead of counting
  kLoadTakenSlots = 0x10,     // instrument slots with their own flag 0x10 count as taken
};

// Results besides the File and Resource Manager's.
enum : OSErr {
  kPluginBehindInserts = 103,   // loaded, but an instrument was put behind other plug-ins
  kPluginOpenFailed = 77,       // the plug-in could not be opened
  kPluginNoCodeResource = -192,
  kPluginFragmentErr = -2802,   // the code could not be prepared
};

constexpr int32_t kPluginUnitLimit = 24;

// Loads entry index and opens an instance into the chain whose head chainHead points at.
// 0, 103, 77, -50 (limit reached), -192, -2802 or a file error.
OSErr LoadPlugin(int32_t index, double sampleRate, int16_t slot, uint32_t* chainHead,
                 uint32_t flags);
// The work of LoadPlugin (its only caller), with closing the resource map asked for or not.
OSErr LoadVstPlugin(int32_t index, double sampleRate, int16_t slot, uint32_t* chainHead,
                    bool closeResourceMap, uint32_t flags);
// Unloads the entry's code when its open count is 0.
void UnloadPluginBundle(PluginInfo* entry);
// Closes the entry's resource map and sets its reference to -1.
void ClosePluginResourceMap(PluginInfo* entry);
// Closes an instance of the entry through the instance layer (stopping the audio engine
// first when this is the entry's last instance and the engine runs); the close lowers the
// open count, and the code is unloaded when none is left open.
void ReleasePluginTableCode(int32_t index, uint32_t instance);
// The instance layer's last step for a closed instance that a load opened (countsOpen): its
// entry's open count goes down and the entry's code is unloaded once none is open.
void ReleaseInstanceCode(int32_t index);
// 0, or -50 after the limit alert when 24 or more plug-in units are in use.
OSErr CheckPluginLimit();
// Plug-ins in the insert racks of all tracks of the current song and of the auxiliary
// busses (racks whose inserts are off skipped), plus 3 for a chain with an initialised
// instrument.
int32_t CountPluginUnitsInUse();
// The code's entry point of a loaded entry, or null.
void* GetPluginMainEntry(const PluginInfo* entry);
// The colour of a plug-in category: byte `category` of the preferences' 'BMID' 192
// ("CatToColor", one byte per category, 64 of them); 0 without one.
constexpr int16_t kCategoryColourResId = 192;
constexpr int32_t kCategoryColourCount = 64;
uint8_t GetCategoryColour(uint32_t category);
// Stores colour as the colour of the plug-in's category: "CatToColor" is read from the
// preferences file (made cleared when missing), its byte [category] set when the category lies
// inside it, and written back. noErr or the resource error.
OSErr SetCategoryColour(const PluginInstance* plugin, uint8_t colour);
