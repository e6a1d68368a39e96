// The plug-in information file: what the program learned about each plug-in when it last
// loaded or examined it (vendor prefix, category, id, channel counts, flags, version, load
// count, first-seen time), kept between runs so that the table of plug-ins is complete
// without loading every plug-in.
//
// "RuvokTechHostPluginInfo" in the Preferences folder, creator 'V|ov', type 'CATS'. Its data
// fork, big-endian: u32 format 1, u32 byte count N (a multiple of 128, at most the bytes
// that follow), N bytes of 128-byte records (PluginCacheRecord below). Older forms in its
// resource fork ('BMID' 148 of 128-byte records, 'BMID' 136 of 96-byte records without the
// vendor prefix) are read once and converted. A data fork whose count does not fit its size
// is damaged: it is set aside (".damaged" added to its name) with a note, and the scan goes
// on without cached values.
//
// In memory the records are one handle of back-to-back 128-byte records (the cache).
#pragma once

#include <cstdint>

#include "platform/files/file_types.h"
#include "platform/memory/mac_types.h"
#include "plugins/library/plugin_table.h"

constexpr OSType kPluginInfoFileType = FourCC("CATS");
constexpr int32_t kPluginCacheRecordSize = 128;
constexpr int32_t kOldPluginCacheRecordSize = 96;
constexpr int16_t kPluginCacheResId = 148;
constexpr int16_t kOldPluginCacheResId = 136;
constexpr int32_t kPluginKeyMax = 31;

// PluginCacheRecord, 128 bytes, big-endian.
enum : int32_t {
  kCacheVendorPrefix = 0,   // Str31, without the '-'
  kCacheName = 32,          // Str31, the key: the name without its vendor prefix
  kCacheCategoryName = 64,  // Str31, the text of the category
  kCacheFlags = 96,         // u32 plug-in flags
  kCacheUniqueId = 100,     // u32
  kCacheInputs = 104,       // u16
  kCacheOutputs = 106,      // u16
  kCacheVersion = 108,      // u32
  kCacheReserved = 112,     // u32, 0
  kCacheLoadCount = 116,    // u32
  kCacheFirstSeen = 120,    // f64, seconds since 2001
};

// The operations of AccessCachedPluginRecord.
constexpr OSType kCacheGet = 'G';
constexpr OSType kCacheStore = 'S';

struct PluginCacheRecord {
  uint8_t bytes[kPluginCacheRecordSize] = {};
};

// Field access of a record.
uint32_t CacheRecordU32(const PluginCacheRecord& record, int32_t offset);
void SetCacheRecordU32(PluginCacheRecord* record, int32_t offset, uint32_t value);
uint16_t CacheRecordU16(const PluginCacheRecord& record, int32_t offset);
void SetCacheRecordU16(PluginCacheRecord* record, int32_t offset, uint16_t value);
double CacheRecordFirstSeen(const PluginCacheRecord& record);
void SetCacheRecordFirstSeen(PluginCacheRecord* record, double seconds);
// The Str31 at offset (kCacheVendorPrefix, kCacheName, kCacheCategoryName).
const uint8_t* CacheRecordText(const PluginCacheRecord& record, int32_t offset);
void SetCacheRecordText(PluginCacheRecord* record, int32_t offset, const uint8_t* text);

// The file's specification (computed on first use, kept for the run).
OSErr GetPluginInfoFileSpec(FSSpec* fileSpec);
// Forgets the kept specification (tests that move the Preferences folder).
void ForgetPluginInfoFileSpec();
// Reads the cache, creating or converting the file as needed; purge drops useless records
// while converting. Nil when there is none or it could not be read (*error says why).
Handle OpenPluginInfoFile(bool purge, OSErr* error);
// Writes the cache to the data fork; the OR of the write and close errors, or the creation
// or open error.
OSErr WritePluginInfoFile(Handle cache);

// The record of an entry (by its name without prefix): true and the record, the entry's
// category and plug-in flags taken from it; false and a zeroed record when there is none.
bool FindCachedPluginRecord(Handle cache, PluginInfo* entry, PluginCacheRecord* record);
// 'G' (get, as FindCachedPluginRecord) or 'S' (store the entry's values). Without a cache
// the file is opened, worked on, written back after a store, and let go. An entry with an
// empty name is neither stored nor fetched (paramErr).
OSErr AccessCachedPluginRecord(PluginInfo* entry, OSType operation, PluginCacheRecord* record,
                               Handle cache);
// 'G' through the given cache, or through the file when cache is nil.
OSErr GetCachedPluginRecord(Handle cache, PluginInfo* entry, PluginCacheRecord* record);

// Category n's text (item n + 2 of the category names; out of range gives item 2).
void GetCategoryName(uint32_t n, Str255 text);
// The first category whose text equals text ignoring case, else 0.
uint32_t FindCategoryNumber(ConstStr255Param text);
// The key of a name: the characters after the prefix, at most 31.
void StripNamePrefix(uint8_t prefixLength, ConstStr255Param name, Str255 key);
