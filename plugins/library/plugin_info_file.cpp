#include "plugins/library/plugin_info_file.h"

uint32_t CacheRecordU32(const PluginCacheRecord&, int32_t) { return 0; }
void SetCacheRecordU32(PluginCacheRecord*, int32_t, uint32_t) {}
uint16_t CacheRecordU16(const PluginCacheRecord&, int32_t) { return 0; }
void SetCacheRecordU16(PluginCacheRecord*, int32_t, uint16_t) {}
double CacheRecordFirstSeen(const PluginCacheRecord&) { return 0.0; }
void SetCacheRecordFirstSeen(PluginCacheRecord*, double) {}
const uint8_t* CacheRecordText(const PluginCacheRecord& record, int32_t offset) { return record.bytes + offset; }
void SetCacheRecordText(PluginCacheRecord*, int32_t, const uint8_t*) {}
OSErr GetPluginInfoFileSpec(FSSpec*) { return fnfErr; }
void ForgetPluginInfoFileSpec() {}
Handle OpenPluginInfoFile(bool, OSErr* error) { *error = fnfErr; return Handle(); }
OSErr WritePluginInfoFile(Handle) { return noErr; }
bool FindCachedPluginRecord(Handle, PluginInfo*, PluginCacheRecord* record) { *record = {}; return false; }
OSErr AccessCachedPluginRecord(PluginInfo*, OSType, PluginCacheRecord* record, Handle) { if (record) *record = {}; return noErr; }
OSErr GetCachedPluginRecord(Handle, PluginInfo*, PluginCacheRecord* record) { *record = {}; return noErr; }
void GetCategoryName(uint32_t, Str255 text) { text[0] = 0; }
uint32_t FindCategoryNumber(ConstStr255Param) { return 0; }
void StripNamePrefix(uint8_t, ConstStr255Param, Str255 key) { key[0] = 0; }
