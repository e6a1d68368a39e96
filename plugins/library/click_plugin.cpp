#include "plugins/library/click_plugin.h"

uint8_t FindClickPlugin(bool) { return 0; }
uint8_t OpenClickPlugin(int32_t) { return 0; }
bool IsClickPluginName(ConstStr255Param) { return false; }
OSErr AddBundleToPluginTable(const FSSpec*, bool* added) { *added = false; return fnfErr; }
uint32_t* GetClickChainHead() { static uint32_t head = 0; return &head; }
