// Adding plug-ins to the table and finding their files.
#pragma once

#include <cstdint>

#include "platform/files/file_types.h"
#include "platform/memory/mac_types.h"
#include "plugins/library/plugin_table.h"

// Appends one entry: alias (resource-file plug-ins) or a template (bundles and components);
// the cached record (by name) fills in what the plug-in told the program before. 0, -4 for
// kind 3, or the memory error (the alias is disposed of). *index gets the new index.
OSErr AddPluginTableEntry(const FSSpec* location, Handle alias, const PluginInfo* pluginTemplate,
                          uint8_t kind, Handle cache, int32_t* index = nullptr);
// The entry whose file is the same as location's (resolved alias or bundle path), or -1.
int32_t FindPluginBySpec(const FSSpec* location);
// The entry's file: from its alias (entries without a main entry also through
// ResolveAliasFile; a folder gives -50) or its bundle path.
OSErr ResolvePluginFile(const PluginInfo* entry, FSSpec* location);
// Whether the cached record makes a VST entry an instrument: cached flag 0x40, or no inputs
// with outputs.
bool CachedRecordIsInstrument(uint32_t cachedFlags, uint16_t inputs, uint16_t outputs);
