#include "plugins/library/plugin_table_entries.h"

OSErr AddPluginTableEntry(const FSSpec*, Handle, const PluginInfo*, uint8_t kind, Handle, int32_t* index) {
  if (index) *index = -1;
  return kind == kPluginKindOldCode ? OSErr(-4) : OSErr(memFullErr);
}
int32_t FindPluginBySpec(const FSSpec*) { return -1; }
OSErr ResolvePluginFile(const PluginInfo*, FSSpec*) { return fnfErr; }
bool CachedRecordIsInstrument(uint32_t flags, uint16_t inputs, uint16_t outputs) {
  return (flags & kPluginFlagInstrument) != 0 || (inputs == 0 && outputs != 0);
}
