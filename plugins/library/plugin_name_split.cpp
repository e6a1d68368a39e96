#include "plugins/library/plugin_name_split.h"

void SplitPluginName(PluginInfo*, Str255 vendor, Str255 product) { vendor[0] = 0; product[0] = 0; }
