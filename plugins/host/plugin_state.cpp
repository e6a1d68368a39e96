#include "plugins/host/plugin_state.h"

int32_t SavePluginClassInfo(PluginInstance*, const void** data, bool) {
  *data = nullptr;
  return 0;
}
OSStatus RestorePluginClassInfo(PluginInstance*, const void*, int32_t, bool) { return -50; }
OSStatus RestorePluginState(PluginInstance*, const void*, int32_t, bool) { return -50; }
