// The plug-in information file: its byte layout, damaged and older files, the record keys,
// and the vendor and name rules that decide what a record holds.
#include <cstring>

#include "platform/files/file_locations.h"
#include "platform/files/host_files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_name_split.h"
#include "plugins/library/plugin_table_entries.h"
#include "plugins/library/recent_plugins.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "tests/plugins/library/plugin_library_fixture.h"

namespace {

using PluginInfoFileTest = PluginLibraryTest;

void SetName(PluginInfo* entry, const std::string& name, uint8_t prefixLength = 0) {
  entry->name[0] = uint8_t(name.size());
  std::memcpy(entry->name + 1, name.data(), name.size());
  entry->prefixLength = prefixLength;
}

std::string Text(const uint8_t* pascal) {
  return std::string(reinterpret_cast<const char*>(pascal + 1), pascal[0]);
}

std::string Header(uint32_t format, uint32_t count) {
  uint8_t bytes[8];
  WriteU32BE(bytes, format);
  WriteU32BE(bytes + 4, count);
  return std::string(reinterpret_cast<char*>(bytes), 8);
}

TEST_F(PluginInfoFileTest, ARecordIsStoredBigEndianAndReadBack) {
  PluginInfo entry;
  entry.kind = kPluginKindVstBundle;
  SetName(&entry, "Maker-Product", 6);
  entry.category = 2;
  entry.pluginFlags = 0x00204010;
  entry.uniqueId = FourCC("AbCd");
  entry.inputCount = 3;
  entry.outputCount = 0x0102;
  entry.version = 0x125;
  entry.loadCount = 7;
  entry.firstSeen = 123456.5;
  ASSERT_EQ(noErr, AccessCachedPluginRecord(&entry, kCacheStore, nullptr, Handle()));

  std::string file = zarin_test::ReadWholeFile(InfoFilePath());
  ASSERT_EQ(8u + 128u, file.size());
  EXPECT_EQ(Header(1, 128), file.substr(0, 8));
  const uint8_t* r = reinterpret_cast<const uint8_t*>(file.data()) + 8;
  EXPECT_EQ("Maker", Text(r + kCacheVendorPrefix));
  EXPECT_EQ("Product", Text(r + kCacheName));
  Str255 category;
  GetCategoryName(2, category);
  EXPECT_EQ(Text(category), Text(r + kCacheCategoryName));
  EXPECT_EQ(0x00204010u, ReadU32BE(r + kCacheFlags));
  EXPECT_EQ(FourCC("AbCd"), ReadU32BE(r + kCacheUniqueId));
  EXPECT_EQ(3, ReadU16BE(r + kCacheInputs));
  EXPECT_EQ(0x0102, ReadU16BE(r + kCacheOutputs));
  EXPECT_EQ(0x125u, ReadU32BE(r + kCacheVersion));
  EXPECT_EQ(0u, ReadU32BE(r + kCacheReserved));
  EXPECT_EQ(7u, ReadU32BE(r + kCacheLoadCount));
  EXPECT_EQ(123456.5, ReadF64BE(r + kCacheFirstSeen));

  // Read back through another entry of the same name without the prefix.
  PluginInfo again;
  SetName(&again, "Product");
  PluginCacheRecord record;
  ASSERT_EQ(noErr, AccessCachedPluginRecord(&again, kCacheGet, &record, Handle()));
  EXPECT_EQ(2u, again.category);
  EXPECT_EQ(0x00204010u, again.pluginFlags);
  EXPECT_EQ(7u, CacheRecordU32(record, kCacheLoadCount));
}

TEST_F(PluginInfoFileTest, RecordKeysFollowTheNameWithoutPrefixAndItsFirst31Characters) {
  std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde";  // 31 characters
  PluginInfo first;
  SetName(&first, longName + "-one");
  first.uniqueId = 1;
  PluginInfo second;
  SetName(&second, longName + "-two");
  second.uniqueId = 2;
  Handle cache = NewHandle(0);
  AccessCachedPluginRecord(&first, kCacheStore, nullptr, cache);
  AccessCachedPluginRecord(&second, kCacheStore, nullptr, cache);
  EXPECT_EQ(128, GetHandleSize(cache));  // one shared record

  // A plug-in whose name gains a vendor prefix keeps its record.
  PluginInfo plain;
  SetName(&plain, "Delay");
  plain.uniqueId = 5;
  AccessCachedPluginRecord(&plain, kCacheStore, nullptr, cache);
  PluginInfo prefixed;
  SetName(&prefixed, "Acme-Delay", 5);
  prefixed.uniqueId = 6;
  AccessCachedPluginRecord(&prefixed, kCacheStore, nullptr, cache);
  EXPECT_EQ(256, GetHandleSize(cache));
  PluginCacheRecord record;
  PluginInfo lookup;
  SetName(&lookup, "Delay");
  ASSERT_TRUE(FindCachedPluginRecord(cache, &lookup, &record));
  EXPECT_EQ(6u, CacheRecordU32(record, kCacheUniqueId));
  EXPECT_EQ("Acme", Text(CacheRecordText(record, kCacheVendorPrefix)));

  // A category name no longer known reads back as category 0; an empty name is never stored.
  PluginCacheRecord odd = record;
  SetCacheRecordText(&odd, kCacheCategoryName, reinterpret_cast<const uint8_t*>("\007Vintage"));
  std::memcpy(*cache + 128, odd.bytes, 128);
  lookup.category = 9;
  ASSERT_TRUE(FindCachedPluginRecord(cache, &lookup, &record));
  EXPECT_EQ(0u, lookup.category);
  PluginInfo nameless;
  EXPECT_EQ(paramErr, AccessCachedPluginRecord(&nameless, kCacheStore, nullptr, cache));
  EXPECT_EQ(256, GetHandleSize(cache));
  DisposeHandle(cache);
}

struct DamagedCase {
  const char* what;
  uint32_t count;
  int32_t recordBytes;
};

// A count that does not fit the file: the file is set aside and a new, empty one is made;
// nothing is allocated from the count, nothing crashes, the table can be filled anyway.
TEST_F(PluginInfoFileTest, ADamagedFileIsSetAsideAndAnEmptyOneTakesItsPlace) {
  const DamagedCase kCases[] = {
      {"not a multiple of 128", 100, 128},
      {"more than the file holds", 256, 128},
      {"a huge count", 0xFFFFFF80u, 128},
      {"a negative count", 0x80000000u, 0},
  };
  for (const DamagedCase& c : kCases) {
    SCOPED_TRACE(c.what);
    std::string damaged = Header(1, c.count) + std::string(size_t(c.recordBytes), 'x');
    ASSERT_TRUE(zarin_test::WriteWholeFile(InfoFilePath(), damaged));
    OSErr err = noErr;
    Handle cache = OpenPluginInfoFile(false, &err);
    EXPECT_EQ(noErr, err);
    EXPECT_EQ(0, cache ? GetHandleSize(cache) : 0);
    if (cache) DisposeHandle(cache);
    EXPECT_EQ(damaged, zarin_test::ReadWholeFile(InfoFilePath() + ".damaged"));
    EXPECT_EQ(Header(1, 0), zarin_test::ReadWholeFile(InfoFilePath()));
    PluginInfo entry;
    SetName(&entry, "After");
    EXPECT_EQ(noErr, AddPluginTableEntry(nullptr, Handle(), &entry, kPluginKindVstBundle, Handle()));
  }
}

// Records in the older resource forms are taken over once into the data fork.
TEST_F(PluginInfoFileTest, OlderResourceFormsAreConverted) {
  FSSpec location;
  PathToSpec(InfoFilePath(), &location);
  FSpCreateResFile(&location, kAppCreator, kPrefsFileType, 0);
  ASSERT_EQ(noErr, ResError());
  int16_t ref = FSpOpenResFile(&location, fsRdWrPerm);
  ASSERT_NE(-1, ref);
  Handle old = NewHandleClear(2 * kOldPluginCacheRecordSize);
  uint8_t* r = reinterpret_cast<uint8_t*>(*old);
  std::memcpy(r, "\004Echo", 5);  // the name at 0 (32 in the new form)
  WriteU32BE(r + kCacheUniqueId - 32, FourCC("Echo"));
  WriteU32BE(r + kCacheLoadCount - 32, 4);
  WriteF64BE(r + kCacheFirstSeen - 32, 99.0);
  std::memcpy(r + 96, "\004Wahh", 5);
  AddResource(old, kSettingsResType, kOldPluginCacheResId, reinterpret_cast<const uint8_t*>(""));
  CloseResFileUseApp(ref);

  OSErr err = noErr;
  Handle cache = OpenPluginInfoFile(false, &err);
  ASSERT_EQ(noErr, err);
  ASSERT_TRUE(cache);
  ASSERT_EQ(2 * 128, GetHandleSize(cache));
  PluginCacheRecord record;
  std::memcpy(record.bytes, *cache, 128);
  EXPECT_EQ(0, record.bytes[kCacheVendorPrefix]);
  EXPECT_EQ("Echo", Text(CacheRecordText(record, kCacheName)));
  EXPECT_EQ(FourCC("Echo"), CacheRecordU32(record, kCacheUniqueId));
  EXPECT_EQ(4u, CacheRecordU32(record, kCacheLoadCount));  // the file was not new
  EXPECT_EQ(99.0, CacheRecordFirstSeen(record));
  DisposeHandle(cache);
  std::string file = zarin_test::ReadWholeFile(InfoFilePath());
  EXPECT_EQ(Header(1, 256), file.substr(0, 8));
  EXPECT_EQ(8u + 256u, file.size());
}

TEST_F(PluginInfoFileTest, APurgeDropsEmptyAndUselessRecordsOfTheResourceForm) {
  FSSpec location;
  PathToSpec(InfoFilePath(), &location);
  FSpCreateResFile(&location, kAppCreator, kPrefsFileType, 0);
  int16_t ref = FSpOpenResFile(&location, fsRdWrPerm);
  ASSERT_NE(-1, ref);
  Handle records = NewHandleClear(3 * 128);
  uint8_t* r = reinterpret_cast<uint8_t*>(*records);
  std::memcpy(r + kCacheName, "\004Keep", 5);
  WriteU16BE(r + kCacheOutputs, 2);
  std::memcpy(r + 128 + kCacheName, "\007Useless", 8);
  std::memcpy(r + 128 + kCacheCategoryName, "\011(Unknown)", 10);
  // the third has an empty name
  AddResource(records, kSettingsResType, kPluginCacheResId, reinterpret_cast<const uint8_t*>(""));
  CloseResFileUseApp(ref);
  OSErr err = noErr;
  Handle cache = OpenPluginInfoFile(true, &err);
  ASSERT_TRUE(cache);
  ASSERT_EQ(128, GetHandleSize(cache));
  EXPECT_EQ(0, std::memcmp(*cache + kCacheName, "\004Keep", 5));
  DisposeHandle(cache);
}

// A new entry takes what its cached record says: vendor prefix, id, flags, channel counts.
TEST_F(PluginInfoFileTest, ANewEntryTakesItsCachedRecord) {
  PluginInfo learnt;
  learnt.kind = kPluginKindVstBundle;
  SetName(&learnt, "Acme-Synth", 5);
  learnt.pluginFlags = kPluginFlagVendorPrefix;
  learnt.uniqueId = FourCC("AcSy");
  learnt.outputCount = 2;
  learnt.loadCount = 3;
  learnt.firstSeen = 42.0;
  Handle cache = NewHandle(0);
  AccessCachedPluginRecord(&learnt, kCacheStore, nullptr, cache);

  PluginInfo found;
  SetName(&found, "Synth");
  std::strcpy(found.path, "/nowhere/Synth.so");
  int32_t index = -1;
  ASSERT_EQ(noErr, AddPluginTableEntry(nullptr, Handle(), &found, kPluginKindVstBundle, cache, &index));
  PluginInfo* entry = PluginInfoAt(index);
  EXPECT_EQ("Acme-Synth", EntryName(entry));
  EXPECT_EQ(5, entry->prefixLength);
  EXPECT_EQ(FourCC("AcSy"), entry->uniqueId);
  EXPECT_EQ(3u, entry->loadCount);
  EXPECT_EQ(42.0, entry->firstSeen);
  EXPECT_EQ(0, entry->inputCount);
  EXPECT_NE(0, entry->entryFlags & kPluginEntryInstrument);
  EXPECT_NE(0, entry->entryFlags & kPluginEntryUsable);

  // Never seen before: first seen now, and its record is written at once.
  PluginInfo fresh;
  SetName(&fresh, "Fresh");
  ASSERT_EQ(noErr, AddPluginTableEntry(nullptr, Handle(), &fresh, kPluginKindVstBundle, cache, &index));
  EXPECT_GT(PluginInfoAt(index)->firstSeen, 700000000.0);  // after 2023
  EXPECT_EQ(256, GetHandleSize(cache));
  EXPECT_EQ(-4, AddPluginTableEntry(nullptr, Handle(), &fresh, kPluginKindOldCode, cache));
  DisposeHandle(cache);
}

struct SplitCase {
  const char* name;
  uint8_t kind;
  uint8_t prefixLength;
  const char* vendor;
  const char* product;
};

TEST(PluginNames, SplitIntoVendorAndProduct) {
  const SplitCase kCases[] = {
      {"Acme: Big - Delay", kPluginKindVstBundle, 0, "Acme", "Big - Delay"},
      {"Acme|Delay", kPluginKindVstBundle, 0, "Acme", "Delay"},
      {"lsp-plugins-comp-delay", kPluginKindVstBundle, 12, "lsp-plugins", "comp-delay"},
      {"Kars-vst", kPluginKindVstBundle, 0, "Kars", "vst"},
      {"Only-Hyphen", kPluginKindAuEffect, 0, "", "Only-Hyphen"},
      {"Plain", kPluginKindVstBundle, 0, "", "Plain"},
      {"Short", kPluginKindVstBundle, 9, "", "Short"},  // a prefix not shorter than the name
  };
  for (const SplitCase& c : kCases) {
    SCOPED_TRACE(c.name);
    PluginInfo entry;
    entry.kind = c.kind;
    SetName(&entry, c.name, c.prefixLength);
    Str255 vendor;
    Str255 product;
    SplitPluginName(&entry, vendor, product);
    EXPECT_EQ(c.vendor, Text(vendor));
    EXPECT_EQ(c.product, Text(product));
  }
}

struct VendorCase {
  const char* name;
  const char* vendor;
  const char* result;
  uint8_t prefixLength;
};

TEST(PluginNames, TheVendorAPluginNamesAndTheRoomForIt) {
  const std::string n55(55, 'n');
  const std::string n56(56, 'n');
  const std::string n57(57, 'n');
  const VendorCase kCases[] = {
      {"Bridge Co: Delay", "Real Maker", "Real Maker-Delay", 11},
      {"Disabled: Delay", "", "Delay", 0},
      {"Delay", "-odd", "Delay", 0},
      {"Acme: Delay", "Other", "Acme: Delay", 0},
      {"Delay", "Maker", "Maker-Delay", 6},
  };
  for (const VendorCase& c : kCases) {
    SCOPED_TRACE(c.name);
    PluginInfo entry;
    entry.kind = kPluginKindVstBundle;
    SetName(&entry, c.name);
    ApplyPluginVendor(&entry, c.vendor);
    EXPECT_EQ(c.result, PluginLibraryTest::EntryName(&entry));
    EXPECT_EQ(c.prefixLength, entry.prefixLength);
  }
  // The room beside a long name: one character, then none at all.
  PluginInfo entry;
  entry.kind = kPluginKindVstBundle;
  SetName(&entry, n55);
  ApplyPluginVendor(&entry, "Maker");
  EXPECT_EQ("M-" + n55, PluginLibraryTest::EntryName(&entry));
  for (const std::string* name : {&n56, &n57}) {
    SetName(&entry, *name);
    entry.pluginFlags = 0;
    ApplyPluginVendor(&entry, "Maker");
    EXPECT_EQ(*name, PluginLibraryTest::EntryName(&entry));
    EXPECT_EQ(0, entry.prefixLength);
    EXPECT_EQ(0u, entry.pluginFlags & kPluginFlagVendorPrefix);
  }
}

TEST_F(PluginInfoFileTest, TheRecentListMovesToTheFrontAndKeepsTwenty) {
  EXPECT_EQ(kChooserSettingsNotLoaded, RememberRecentPlugin(0));
  ASSERT_EQ(noErr, OpenPrefsResFile(fsRdWrPerm));
  for (uint32_t i = 0; i < 22; ++i) {
    PluginInfo entry;
    SetName(&entry, "P" + std::to_string(i));
    entry.uniqueId = 100 + i;
    entry.kind = kPluginKindVstBundle;
    AppendPluginInfo(entry);
  }
  LoadRecentPlugins();
  for (int32_t i = 0; i < 21; ++i) ASSERT_EQ(noErr, RememberRecentPlugin(i));
  EXPECT_EQ(20, CountRecentPlugins());
  EXPECT_EQ(20u, GetRecentPlugin(0).index);
  EXPECT_EQ(1u, GetRecentPlugin(19).index);  // plug-in 0 went
  ASSERT_EQ(noErr, RememberRecentPlugin(5));
  EXPECT_EQ(20, CountRecentPlugins());
  EXPECT_EQ(5u, GetRecentPlugin(0).index);
  EXPECT_EQ(20u, GetRecentPlugin(1).index);
  // Read back from the preferences, matched to the table by id and kind.
  LoadRecentPlugins();
  ASSERT_EQ(20, CountRecentPlugins());
  EXPECT_EQ(5u, GetRecentPlugin(0).index);
  EXPECT_EQ(105u, GetRecentPlugin(0).uniqueId);
  // A removal is kept in the preferences at once.
  RemoveRecentPlugin(0);
  LoadRecentPlugins();
  ASSERT_EQ(19, CountRecentPlugins());
  EXPECT_EQ(20u, GetRecentPlugin(0).index);
  CloseResFileUseApp(gPrefsResFile);
  gPrefsResFile = -1;
}

}  // namespace
