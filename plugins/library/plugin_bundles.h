// Plug-in bundles: what a VST folder holds. A bundle is a shared object ("Echo.so") or a
// folder named ".vst" that holds one ("Echo.vst/Echo.so"); a folder may also carry an "Info"
// text file of "key = value" lines (CFBundleName, CFBundleExecutable,
// CFBundleShortVersionString). Any other folder is a bundle without an executable, which
// discovery searches in turn. A bundle is known by a 32-bit id (0 is "none"); its code is
// loaded through platform/vst and stays loaded until unloaded as often as it was loaded.
#pragma once

#include <cstdint>
#include <string>

#include "platform/memory/mac_types.h"

// The bundle of a file or folder: its id with one reference, or 0 when path is neither a
// folder nor a shared object's file name (".so"). The same path gives the same bundle.
uint32_t CreatePluginBundle(const char* path);
// Drops one reference; the bundle is forgotten at 0 (its code must have been unloaded).
void ReleasePluginBundle(uint32_t bundle);
void RetainPluginBundle(uint32_t bundle);
int32_t GetPluginBundleRetainCount(uint32_t bundle);
// The bundle's own path, or "".
std::string GetPluginBundlePath(uint32_t bundle);
// The Info value of key, or "" (a shared object has no Info).
std::string GetPluginBundleInfoValue(uint32_t bundle, const char* key);
// Whether the bundle names an executable: a shared object, a ".vst" folder holding one, or a
// folder whose Info names one.
bool PluginBundleHasExecutable(uint32_t bundle);
// The executable's path, or "" when there is none.
std::string GetPluginBundleExecutablePath(uint32_t bundle);
// The bundles of a folder in name order (each with one reference, the caller releases
// them); sidecars, hidden items and plain files that are not shared objects are left out.
OSErr CreatePluginBundlesFromFolder(const std::string& folder, uint32_t* bundles, int32_t max,
                                    int32_t* count);

// Loads the executable (noErr, or the loader's error with its text in GetVstLoadMessage);
// a bundle loaded twice must be unloaded twice.
OSErr LoadPluginBundleExecutable(uint32_t bundle);
void UnloadPluginBundleExecutable(uint32_t bundle);
// The platform/vst module id of the loaded executable, 0 when not loaded.
uint32_t GetPluginBundleModule(uint32_t bundle);
// An exported function of the loaded executable, or null.
void* GetPluginBundleFunction(uint32_t bundle, const char* name);

// 0 when the executable is one this machine cannot run: an ELF image of another class, byte
// order or architecture (read from its header, the code is not loaded), or none at all;
// else 1 (a file that is no executable is left to the loader, which says why).
int16_t CheckNativeExecutable(uint32_t bundle);
// Whether a file name ends in tail (byte for byte).
bool NameEndsWith(const std::string& name, const char* tail);

// Version from the bundle's "CFBundleShortVersionString" (0 when it has none).
OSErr ReadBundleVersion(uint32_t bundle, uint32_t* version);
// A version text as major * 256 + minor * 16 + revision: leading non-digits skipped,
// "%d.%d.%d" read, a minor above 15 split into minor / 10 and minor % 10; 0 when a part does
// not fit its field.
uint32_t ParseBundleVersion(const char* text);
