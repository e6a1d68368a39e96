#include "plugins/library/plugin_info_file.h"

#include <cstring>
#include <string>

#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/files/files.h"
#include "platform/files/host_files.h"
#include "platform/files/folders.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "platform/text/pascal_strings.h"
#include "platform/text/text_case.h"
#include "plugins/library/plugin_discovery.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"

namespace {

const unsigned char kInfoFileName[] = "\027RuvokTechHostPluginInfo";
constexpr uint32_t kInfoFileFormat = 1;
constexpr int32_t kInfoHeaderBytes = 8;
constexpr int32_t kInfoFileSetAsideMessage = 89;

FSSpec gPluginInfoFileSpec;
bool gHaveInfoFileSpec = false;

// Reads the data-fork form. noErr with the block (nil when empty or out of memory), or an
// error; *absent when the fork does not hold the current form; *damaged when its count does
// not fit its size.
OSErr ReadDataForkForm(const FSSpec* location, Handle* block, bool* absent, bool* damaged) {
  *block = Handle();
  *absent = true;
  *damaged = false;
  int16_t ref = 0;
  OSErr err = OpenDataFork(location, fsRdPerm, &ref);
  if (err != noErr) return err;
  int64_t size = 0;
  uint8_t header[kInfoHeaderBytes];
  uint32_t count = kInfoHeaderBytes;
  err = FetchForkSize(ref, &size);
  if (err == noErr && size >= kInfoHeaderBytes) err = ReadFork(ref, &count, header);
  if (err == noErr && size >= kInfoHeaderBytes && ReadU32BE(header) == kInfoFileFormat) {
    *absent = false;
    uint32_t n = ReadU32BE(header + 4);
    if (n % kPluginCacheRecordSize != 0 || int64_t(n) > size - kInfoHeaderBytes) {
      *damaged = true;
    } else if (n > 0) {
      *block = NewHandle(Size(n));
      if (*block) {
        count = n;
        err = ReadFork(ref, &count, **block);
        if (err != noErr || count != n) {
          DisposeHandle(*block);
          *block = Handle();
          if (err == noErr) err = eofErr;
        }
      }
    }
  }
  CloseFork(ref);
  return err;
}

// 96-byte records as 128-byte ones with an empty vendor prefix.
Handle ConvertOldRecords(Handle old, bool clearCounts) {
  int32_t n = GetHandleSize(old) / kOldPluginCacheRecordSize;
  Handle block = NewHandleClear(Size(n * kPluginCacheRecordSize));
  if (!block) return Handle();
  for (int32_t i = 0; i < n; ++i) {
    uint8_t* to = reinterpret_cast<uint8_t*>(*block) + i * kPluginCacheRecordSize;
    std::memcpy(to + 32, *old + i * kOldPluginCacheRecordSize, kOldPluginCacheRecordSize);
    if (clearCounts) {
      WriteU32BE(to + kCacheLoadCount, 0);
      WriteF64BE(to + kCacheFirstSeen, 0.0);
    }
  }
  return block;
}

bool IsUselessRecord(const uint8_t* record) {
  if (record[kCacheName] == 0) return true;
  const uint8_t* category = record + kCacheCategoryName;
  return ReadU16BE(record + kCacheInputs) == 0 && ReadU16BE(record + kCacheOutputs) == 0 &&
         category[0] > 0 && category[1] == '(';
}

void PurgeRecords(Handle block) {
  int32_t n = GetHandleSize(block) / kPluginCacheRecordSize;
  int32_t kept = 0;
  for (int32_t i = 0; i < n; ++i) {
    uint8_t* from = reinterpret_cast<uint8_t*>(*block) + i * kPluginCacheRecordSize;
    if (IsUselessRecord(from)) continue;
    if (kept != i)
      std::memmove(*block + kept * kPluginCacheRecordSize, from, kPluginCacheRecordSize);
    ++kept;
  }
  SetHandleSize(block, Size(kept * kPluginCacheRecordSize));
}

// The older forms through the resource chain (the file's own fork first).
Handle ReadResourceForms(const FSSpec* location, bool purge, OSErr* error) {
  int16_t ref = FSpOpenResFile(location, fsRdWrPerm);
  bool isNew = false;
  if (ref == -1) {
    FSpCreateResFile(location, kAppCreator, kPrefsFileType, 0);
    OSErr created = ResError();
    if (created == noErr || created == dupFNErr) {
      ref = FSpOpenResFile(location, fsRdWrPerm);
      isNew = true;
    }
  }
  if (ref == -1) {
    *error = ResError() != noErr ? ResError() : OSErr(fnfErr);
    return Handle();
  }
  Handle block = GetResource(kSettingsResType, kPluginCacheResId);
  if (block) {
    DetachResource(block);
    if (purge) PurgeRecords(block);
  } else if (Handle old = GetResource(kSettingsResType, kOldPluginCacheResId)) {
    block = ConvertOldRecords(old, isNew);
    ReleaseResource(old);
  }
  CloseResFileUseApp(ref);
  *error = noErr;
  return block;
}

// The data fork's bytes: format, count, records.
std::string CacheFileBytes(Handle cache) {
  uint32_t n = cache ? uint32_t(GetHandleSize(cache)) : 0;
  uint8_t header[kInfoHeaderBytes];
  WriteU32BE(header, kInfoFileFormat);
  WriteU32BE(header + 4, n);
  std::string bytes(reinterpret_cast<const char*>(header), kInfoHeaderBytes);
  if (n > 0) bytes.append(*cache, n);
  return bytes;
}

// The index of the record whose name equals key (length included), or -1.
int32_t FindRecordIndex(Handle cache, ConstStr255Param key) {
  if (!cache) return -1;
  int32_t n = GetHandleSize(cache) / kPluginCacheRecordSize;
  for (int32_t i = 0; i < n; ++i) {
    const uint8_t* name = reinterpret_cast<uint8_t*>(*cache) + i * kPluginCacheRecordSize + kCacheName;
    if (std::memcmp(name, key, size_t(key[0]) + 1) == 0) return i;
  }
  return -1;
}

PluginCacheRecord RecordAt(Handle cache, int32_t i) {
  PluginCacheRecord record;
  std::memcpy(record.bytes, *cache + i * kPluginCacheRecordSize, kPluginCacheRecordSize);
  return record;
}

void StoreRecord(Handle cache, int32_t i, const PluginCacheRecord& record) {
  std::memcpy(*cache + i * kPluginCacheRecordSize, record.bytes, kPluginCacheRecordSize);
}

void EntryKey(const PluginInfo* entry, Str255 key) {
  StripNamePrefix(entry->prefixLength, entry->name, key);
}

// The entry's values into its record (appended when there is none). False when memory is
// short.
bool StoreEntry(Handle* cache, const PluginInfo* entry) {
  Str255 key;
  EntryKey(entry, key);
  if (!*cache) *cache = NewHandle(0);
  if (!*cache) return false;
  int32_t i = FindRecordIndex(*cache, key);
  if (i < 0) {
    i = GetHandleSize(*cache) / kPluginCacheRecordSize;
    SetHandleSize(*cache, Size((i + 1) * kPluginCacheRecordSize));
    if (MemError() != noErr) return false;
    PluginCacheRecord empty;
    SetCacheRecordText(&empty, kCacheName, key);
    StoreRecord(*cache, i, empty);
  }
  PluginCacheRecord record = RecordAt(*cache, i);
  if (entry->prefixLength > 0 && entry->prefixLength - 1 < kPluginKeyMax) {
    Str255 prefix;
    prefix[0] = uint8_t(entry->prefixLength - 1);
    std::memcpy(prefix + 1, entry->name + 1, prefix[0]);
    SetCacheRecordText(&record, kCacheVendorPrefix, prefix);
  }
  SetCacheRecordU32(&record, kCacheLoadCount, entry->loadCount);
  SetCacheRecordU32(&record, kCacheUniqueId, entry->uniqueId);
  SetCacheRecordU16(&record, kCacheInputs, entry->inputCount);
  SetCacheRecordU16(&record, kCacheOutputs, entry->outputCount);
  SetCacheRecordU32(&record, kCacheFlags, entry->pluginFlags);
  SetCacheRecordU32(&record, kCacheVersion, entry->version);
  SetCacheRecordFirstSeen(&record, entry->firstSeen);
  Str255 category;
  GetCategoryName(entry->category, category);
  SetCacheRecordText(&record, kCacheCategoryName, category);
  StoreRecord(*cache, i, record);
  return true;
}

// The number of items of a string list, 0 when there is none.
int16_t CountIndStrings(int16_t listId) {
  Handle list = GetResource(FourCC("STR#"), listId);
  return list && GetHandleSize(list) >= 2 ? int16_t(ReadU16BE(*list)) : int16_t(0);
}

}  // namespace

uint32_t CacheRecordU32(const PluginCacheRecord& record, int32_t offset) {
  return ReadU32BE(record.bytes + offset);
}
void SetCacheRecordU32(PluginCacheRecord* record, int32_t offset, uint32_t value) {
  WriteU32BE(record->bytes + offset, value);
}
uint16_t CacheRecordU16(const PluginCacheRecord& record, int32_t offset) {
  return ReadU16BE(record.bytes + offset);
}
void SetCacheRecordU16(PluginCacheRecord* record, int32_t offset, uint16_t value) {
  WriteU16BE(record->bytes + offset, value);
}
double CacheRecordFirstSeen(const PluginCacheRecord& record) {
  return ReadF64BE(record.bytes + kCacheFirstSeen);
}
void SetCacheRecordFirstSeen(PluginCacheRecord* record, double seconds) {
  WriteF64BE(record->bytes + kCacheFirstSeen, seconds);
}
const uint8_t* CacheRecordText(const PluginCacheRecord& record, int32_t offset) {
  return record.bytes + offset;
}
void SetCacheRecordText(PluginCacheRecord* record, int32_t offset, const uint8_t* text) {
  uint8_t n = text[0] > kPluginKeyMax ? uint8_t(kPluginKeyMax) : text[0];
  std::memset(record->bytes + offset, 0, 32);
  record->bytes[offset] = n;
  std::memcpy(record->bytes + offset + 1, text + 1, n);
}

OSErr GetPluginInfoFileSpec(FSSpec* fileSpec) {
  if (!gHaveInfoFileSpec) {
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    OSErr err = FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID);
    if (err != noErr) return err;
    err = FSMakeFSSpec(vRefNum, dirID, kInfoFileName, &gPluginInfoFileSpec);
    if (err != noErr && err != fnfErr) return err;
    gHaveInfoFileSpec = true;
  }
  *fileSpec = gPluginInfoFileSpec;
  return noErr;
}

void ForgetPluginInfoFileSpec() { gHaveInfoFileSpec = false; }

Handle OpenPluginInfoFile(bool purge, OSErr* error) {
  FSSpec location;
  *error = GetPluginInfoFileSpec(&location);
  if (*error != noErr) return Handle();
  Handle block;
  bool absent = true;
  bool damaged = false;
  OSErr err = ReadDataForkForm(&location, &block, &absent, &damaged);
  if (damaged) SetDamagedFileAside(&location, kInfoFileSetAsideMessage);
  if (!absent && !damaged) {
    *error = err;
    return block;
  }
  block = ReadResourceForms(&location, purge, error);
  if (*error != noErr) return Handle();
  WritePluginInfoFile(block);
  return block;
}

OSErr WritePluginInfoFile(Handle cache) {
  FSSpec location;
  OSErr err = GetPluginInfoFileSpec(&location);
  if (err != noErr) return err;
  // Written aside and renamed into place, without the program's file stream: the idle pass
  // writes it while the stream may be reading a document.
  if (!SpecExists(&location)) {
    err = FSpCreate(&location, kAppCreator, kPluginInfoFileType, 0);
    if (err != noErr && err != dupFNErr) return err;
  }
  return HostWriteFileAtomically(SpecToPath(&location), CacheFileBytes(cache));
}

bool FindCachedPluginRecord(Handle cache, PluginInfo* entry, PluginCacheRecord* record) {
  *record = PluginCacheRecord();
  Str255 key;
  EntryKey(entry, key);
  int32_t i = key[0] > 0 ? FindRecordIndex(cache, key) : -1;
  if (i < 0) return false;
  *record = RecordAt(cache, i);
  entry->category = FindCategoryNumber(CacheRecordText(*record, kCacheCategoryName));
  entry->pluginFlags = CacheRecordU32(*record, kCacheFlags);
  return true;
}

OSErr AccessCachedPluginRecord(PluginInfo* entry, OSType operation, PluginCacheRecord* record,
                               Handle cache) {
  if (entry->name[0] == 0) return paramErr;
  bool own = !cache;
  OSErr err = noErr;
  if (own) cache = OpenPluginInfoFile(false, &err);
  if (operation == kCacheStore) {
    if (!StoreEntry(&cache, entry)) err = memFullErr;
    else if (own) err = WritePluginInfoFile(cache);
  } else {
    PluginCacheRecord scratch;
    FindCachedPluginRecord(cache, entry, record ? record : &scratch);
  }
  if (own && cache) DisposeHandle(cache);
  return err;
}

OSErr GetCachedPluginRecord(Handle cache, PluginInfo* entry, PluginCacheRecord* record) {
  return AccessCachedPluginRecord(entry, kCacheGet, record, cache);
}

void GetCategoryName(uint32_t n, Str255 text) {
  int16_t count = CountIndStrings(kPluginCategoryStrings);
  int16_t item = int16_t(n + 2);
  if (n >= uint32_t(count > 1 ? count - 1 : 1) || item > count) item = 2;
  GetIndString(text, kPluginCategoryStrings, item);
}

uint32_t FindCategoryNumber(ConstStr255Param text) {
  int16_t count = CountIndStrings(kPluginCategoryStrings);
  for (int16_t n = 0; n <= count - 2; ++n) {
    Str255 item;
    GetIndString(item, kPluginCategoryStrings, int16_t(n + 2));
    if (EqualString(item, text, false, true)) return uint32_t(n);
  }
  return 0;
}

void StripNamePrefix(uint8_t prefixLength, ConstStr255Param name, Str255 key) {
  uint8_t skip = prefixLength < name[0] ? prefixLength : name[0];
  uint8_t n = uint8_t(name[0] - skip);
  if (n > kPluginKeyMax) n = kPluginKeyMax;
  key[0] = n;
  std::memcpy(key + 1, name + 1 + skip, n);
}
