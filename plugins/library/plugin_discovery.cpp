#include "plugins/library/plugin_discovery.h"

OSErr ScanAllPlugins(bool) { return noErr; }
OSErr ScanAudioUnits(FoundPlugin*, bool) { return noErr; }
int32_t ScanComponentType(bool, FoundPlugin*, uint8_t, OSType, OSType) { return 0; }
OSErr ScanVstFolders(bool, FoundPlugin*, int16_t) { return fnfErr; }
std::vector<std::string> GetVstFolders(int16_t) { return {}; }
OSErr EnumerateBundlesInFolder(bool, FoundPlugin*, const std::string&, ConstStr255Param) { return noErr; }
OSErr RegisterPluginBundle(uint32_t, bool, FoundPlugin*, ConstStr255Param) { return kNotPluginBundleErr; }
OSErr WalkPluginFolder(FoundPlugin*, int16_t, int32_t, int32_t, int32_t, const int16_t*) { return noErr; }
void RecordFoundPlugin(FoundPlugin* found) { found->result = noErr; }
OSErr ShowScanProgress(bool, ConstStr255Param) { return noErr; }
OSErr CheckScanCancel() { return noErr; }
void ResetScanProgressCount() {}
