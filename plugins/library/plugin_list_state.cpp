#include "plugins/library/plugin_list_state.h"

#include "plugins/host/plugin_host_hooks.h"

uint8_t gPluginMenusStale = 0;

void MarkPluginListChanged() {
  gPluginMenusStale = 1;
  RequestPluginWindowRefresh(kRefreshPluginChooser);
}
