// A plug-in's display name as vendor and product, and the vendor a plug-in names itself.
#pragma once

#include <string>

#include "platform/memory/mac_types.h"
#include "plugins/library/plugin_table.h"

// At the stored prefix when it is shorter than the name; else at the last ':', else '|',
// else '-' (the last only for kinds that load code); no separator: the vendor is empty. The
// product loses its leading spaces. A prefix length not shorter than the name is cleared.
void SplitPluginName(PluginInfo* entry, Str255 vendor, Str255 product);
// Whether the Pascal string text contains word, ignoring case.
bool ContainsIgnoringCase(ConstStr255Param text, const char* word);
// text as a Pascal string of at most max characters.
void TextToPascal(const std::string& text, Str255 out, size_t max);
// A vendor part naming a bridge or a disabled plug-in is dropped from the name; a name
// without a vendor part then takes the plug-in's own vendor string (unless it is empty or
// begins with '-') as its prefix, cut to what fits beside the name: a name that leaves no
// room gets none.
void ApplyPluginVendor(PluginInfo* entry, const char* vendor);
