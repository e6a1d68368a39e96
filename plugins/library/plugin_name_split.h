// A plug-in's display name as vendor and product.
#pragma once

#include "platform/memory/mac_types.h"
#include "plugins/library/plugin_table.h"

// At the stored prefix when it is shorter than the name; else at the last ':', else '|',
// else '-' (the last only for kinds that load code); no separator: the vendor is empty. The
// product loses its leading spaces. A prefix length not shorter than the name is cleared.
void SplitPluginName(PluginInfo* entry, Str255 vendor, Str255 product);
