#include "plugins/library/recent_plugins.h"

OSErr RememberRecentPlugin(int32_t) { return kChooserSettingsNotLoaded; }
OSErr SaveRecentPlugins() { return noErr; }
void RemoveRecentPlugin(int32_t) {}
void AddRecentPluginItems(MenuRef, uint32_t, bool) {}
int32_t CountRecentPlugins() { return 0; }
RecentPlugin GetRecentPlugin(int32_t) { return {}; }
void LoadRecentPlugins() {}
void ResetRecentPlugins() {}
