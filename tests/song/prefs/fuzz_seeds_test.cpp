// The seeds of the fuzz targets of the small readers (tests/fuzz/seeds), made by the
// program's own writers where there are writers: each made seed is read back by its reader,
// and so is every committed seed, so that the seeds stay files the readers take (but for the
// inputs that once broke a reader, named "refused_...", which it must refuse). With
// ZARIN_WRITE_FUZZ_SEEDS naming the seeds folder, the made seeds are written there.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files/aliases.h"
#include "platform/files/files.h"
#include "platform/files/sidecars.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_fork.h"
#include "shell/base/resource_files.h"
#include "song/conductor/tempo_tables.h"
#include "song/documents/import_files.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/name_lists.h"
#include "song/prefs/drum_map_files.h"
#include "song/prefs/general_settings.h"
#include "song/prefs/outputs_file.h"
#include "song/prefs/window_layout.h"
#include "tests/platform/files/files_test_support.h"
#include "tests/song/prefs/prefs_fixture.h"

namespace prefs_test {
namespace {

using Seeds = std::vector<std::pair<std::string, std::string>>;  // name, bytes

std::string Sized(const std::string& block) {
  uint8_t size[4];
  WriteU32BE(size, uint32_t(block.size()));
  return std::string(reinterpret_cast<char*>(size), 4) + block;
}

std::string HandleBytes(Handle h) { return std::string(HandleData(h), size_t(GetHandleSize(h))); }

std::string SeedsFolder(const char* target) {
  return zarin_test::FixturePath(std::string("../fuzz/seeds/") + target);
}

// The committed seeds of a target that its reader takes (refused false) or refuses.
std::vector<std::string> CommittedSeeds(const char* target, bool refused = false) {
  std::vector<std::string> seeds;
  std::string folder = SeedsFolder(target);
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name[0] != '.' && (name.rfind("refused_", 0) == 0) == refused)
        seeds.push_back(zarin_test::ReadWholeFile(folder + "/" + name));
    }
    closedir(d);
  }
  return seeds;
}

void WriteSeeds(const char* target, const Seeds& seeds) {
  const char* root = std::getenv("ZARIN_WRITE_FUZZ_SEEDS");
  if (!root || !*root) return;
  std::string folder = std::string(root) + "/" + target;
  mkdir(folder.c_str(), 0777);
  for (const auto& [name, bytes] : seeds) ASSERT_TRUE(zarin_test::WriteWholeFile(folder + "/" + name, bytes));
}

// Both of the committed seeds and the made ones, for the reader.
std::vector<std::string> AllSeeds(const char* target, const Seeds& made) {
  std::vector<std::string> all = CommittedSeeds(target);
  EXPECT_FALSE(all.empty()) << target << " has no committed seeds";
  for (const auto& seed : made) all.push_back(seed.second);
  return all;
}

class FuzzSeedsTest : public PrefsTest {
 protected:
  FSSpec FileWith(const std::string& name, const std::string& bytes, OSType type = 0) {
    std::string path = scratch_.File(name);
    EXPECT_TRUE(zarin_test::WriteWholeFile(path, bytes));
    FSSpec fileSpec;
    EXPECT_EQ(noErr, PathToSpec(path, &fileSpec));
    if (type) files_test::SetFileType(fileSpec, type);
    return fileSpec;
  }
};

TEST_F(FuzzSeedsTest, OutputsFiles) {
  Seeds made;
  for (int32_t count : {1, 3}) {
    MakeTable(count);
    for (int32_t i = 0; i < count; ++i) SetOutput(i, kDeviceKindMidiPort, uint8_t(4 + i), uint8_t(i));
    ASSERT_EQ(noErr, WriteOutputsFile());
    FSSpec fileSpec;
    GetOutputsFileSpec(&fileSpec);
    made.push_back({"table_of_" + std::to_string(count), zarin_test::ReadWholeFile(SpecToPath(&fileSpec))});
  }
  WriteSeeds("outputs_file", made);
  FSSpec fileSpec;
  GetOutputsFileSpec(&fileSpec);
  for (const std::string& seed : AllSeeds("outputs_file", made)) {
    ASSERT_TRUE(zarin_test::WriteWholeFile(SpecToPath(&fileSpec), seed));
    EXPECT_EQ(noErr, ReadOutputsFile(false));
  }
}

TEST_F(FuzzSeedsTest, PreferencesResourceForks) {
  AddUserResource();
  GeneralSettings general;
  general.resolution = 960;
  general.ticksPerBeat = 480;
  general.beatsPerBar = 6;
  ASSERT_EQ(noErr, WriteGeneralSettings(general));
  ASSERT_EQ(noErr, SaveWindowLayout());
  FSSpec prefs;
  PathToSpec(PrefsPath(), &prefs);
  std::string settings;
  ASSERT_EQ(noErr, ReadResourceForkBytes(&prefs, &settings));
  ASSERT_EQ(noErr, UsePrefsResFile());
  BuildTempoTables();
  WriteTempoTableResource(kTempoPeriodResType, GetTempoPeriodResourceId(), gTempoPeriodTable, false);
  UseAppResFile();
  std::string withTempo;
  ASSERT_EQ(noErr, ReadResourceForkBytes(&prefs, &withTempo));
  Seeds made = {{"settings_and_layout.rsrc", settings}, {"with_tempo_table.rsrc", withTempo}};
  WriteSeeds("prefs_resources", made);
  for (const std::string& seed : AllSeeds("prefs_resources", made)) {
    ResourceForkImage image;
    EXPECT_EQ(noErr, ParseResourceMap(seed, &image));
  }
}

TEST_F(FuzzSeedsTest, AliasRecords) {
  FSSpec from = FileWith("song.bysq", "");
  FSSpec target = FileWith("take.aif", "audio");
  AliasHandle relative, minimal;
  ASSERT_EQ(noErr, NewAlias(&from, &target, &relative));
  ASSERT_EQ(noErr, NewAliasMinimal(&target, &minimal));
  Seeds made = {{"relative.alias", HandleBytes(relative)}, {"minimal.alias", HandleBytes(minimal)}};
  DisposeHandle(relative);
  DisposeHandle(minimal);
  WriteSeeds("alias", made);
  for (const std::string& seed : AllSeeds("alias", made)) {
    Handle h;
    ASSERT_EQ(noErr, PtrToHand(seed.data(), &h, Size(seed.size())));
    Str63 name;
    EXPECT_EQ(noErr, GetAliasInfo(h, asiAliasName, name));
    DisposeHandle(h);
  }
}

// Name lists have no writer of their own yet: the names block is BuildNameList's, the event
// block a note and its end record.
TEST_F(FuzzSeedsTest, NameLists) {
  std::vector<std::string> list = {"Bass", "Lead", "Pad"};
  auto count = [](void* arg) { return int32_t(static_cast<std::vector<std::string>*>(arg)->size()); };
  auto string = [](int32_t i, StringPtr out, void* arg) {
    const std::string& name = (*static_cast<std::vector<std::string>*>(arg))[size_t(i)];
    out[0] = uint8_t(name.size());
    std::memcpy(out + 1, name.data(), name.size());
    return true;
  };
  Handle names = BuildNameList(count, string, &list);
  ASSERT_TRUE(names);
  std::string events(28, '\0');
  events[3] = 5;
  events[5] = char(0x90);
  events[6] = 60;
  events[7] = 100;
  events[11] = 1;
  events[13] = char(96);
  std::string old(20, '\0');  // one note of the older 10-byte form, then its end
  old[3] = 7;
  old[5] = char(0x91);
  old[6] = 62;
  old[7] = 90;
  old[9] = 48;
  // The fuzz target takes an input of even length as 'MPNM', odd as 'MPN2': the 'MPN2' ones
  // get a byte after their event block, which the reader leaves.
  std::string plain = Sized(HandleBytes(names));
  std::string current = std::string("\x03\x10", 2) + Sized(HandleBytes(names)) + Sized(events);
  std::string older = std::string("\x02\x00", 2) + Sized(HandleBytes(names)) + Sized(old);
  DisposeHandle(names);
  ASSERT_EQ(0u, plain.size() % 2);
  Seeds made = {{"names_only.mpnm", plain},
                {"current.mpn2", current + std::string(1 - current.size() % 2, '\0')},
                {"older.mpn2", older + std::string(1 - older.size() % 2, '\0')}};
  WriteSeeds("name_list", made);
  auto read = [this](const std::string& seed, NameListResult* result) {
    FSSpec fileSpec = FileWith("seed.names", seed, seed.size() % 2 ? kNameList2Type : kNameListType);
    return ImportNameList(&fileSpec, result);
  };
  for (const std::string& seed : AllSeeds("name_list", made)) {
    NameListResult result;
    EXPECT_EQ(noErr, read(seed, &result));
    DisposeHandle(result.names);
    if (result.events) DisposeHandle(result.events);
  }
  for (const std::string& seed : CommittedSeeds("name_list", true)) {
    NameListResult result;
    EXPECT_NE(noErr, read(seed, &result));
    EXPECT_FALSE(result.names);
  }
}

TEST_F(FuzzSeedsTest, DrumMaps) {
  std::string rows;
  for (int note = 35; note < 52; ++note) rows += std::string{char(note), char(9), char(note), char(100)};
  Seeds made = {{"kit.mdrm", Sized(rows)}, {"empty.mdrm", Sized("")}};
  WriteSeeds("drum_map", made);
  for (const std::string& seed : AllSeeds("drum_map", made)) {
    FSSpec fileSpec = FileWith("seed.mdrm", seed, kDrumMapType);
    Str63 name;
    OSErr err = noErr;
    Handle map = ImportDrumMapFile(&fileSpec, name, &err);
    EXPECT_EQ(noErr, err);
    if (map) DisposeHandle(map);
  }
}

}  // namespace
}  // namespace prefs_test
