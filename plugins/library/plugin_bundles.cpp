#include "plugins/library/plugin_bundles.h"

uint32_t CreatePluginBundle(const char*) { return 0; }
void ReleasePluginBundle(uint32_t) {}
void RetainPluginBundle(uint32_t) {}
int32_t GetPluginBundleRetainCount(uint32_t) { return 0; }
std::string GetPluginBundlePath(uint32_t) { return {}; }
std::string GetPluginBundleInfoValue(uint32_t, const char*) { return {}; }
bool PluginBundleHasExecutable(uint32_t) { return false; }
std::string GetPluginBundleExecutablePath(uint32_t) { return {}; }
OSErr CreatePluginBundlesFromFolder(const std::string&, uint32_t*, int32_t, int32_t* count) { *count = 0; return noErr; }
OSErr LoadPluginBundleExecutable(uint32_t) { return -43; }
void UnloadPluginBundleExecutable(uint32_t) {}
uint32_t GetPluginBundleModule(uint32_t) { return 0; }
void* GetPluginBundleFunction(uint32_t, const char*) { return nullptr; }
int16_t CheckNativeExecutable(uint32_t) { return 0; }
OSErr ReadBundleVersion(uint32_t, uint32_t* version) { *version = 0; return noErr; }
uint32_t ParseBundleVersion(const char*) { return 0; }
