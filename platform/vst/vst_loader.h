// Loading the code of VST 2 plug-ins: a Linux shared object is opened with the dynamic loader,
// known afterwards by a 32-bit module id (0 is "none"), and its entry point is looked up by
// name. A module stays loaded until it is unloaded as often as it was loaded.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/vst/vst_interface.h"

enum : OSErr {
  kVstNotSharedObject = -2804,  // the file is not a shared object the loader can open
  kVstNoEntryPoint = -2805,     // the shared object exports no entry point
};

// Opens the shared object at path; noErr and its module id, or kVstNotSharedObject (the
// loader's message in GetVstLoadMessage) with 0 in *module.
OSErr LoadVstModule(const char* path, uint32_t* module);
// Drops one load of the module; the code is unmapped at the last.
void UnloadVstModule(uint32_t module);
// The address of an exported symbol, or null.
void* FindVstModuleSymbol(uint32_t module, const char* name);
// The plug-in's entry: "VSTPluginMain", else "main"; null when it exports neither.
VstPluginMainProc FindVstEntryPoint(uint32_t module);
// The loader's last message (for a failed load), "" when none.
const char* GetVstLoadMessage();
// Calls the entry with the host's callback; the effect, or null when the entry returned
// nothing or a record without the effect magic.
AEffect* CallVstEntryPoint(VstPluginMainProc entry, AudioMasterCallback host);
