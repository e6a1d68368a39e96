// What a file dialog lists for a folder: folders first, files filtered by type, where a
// file's type is its Finder type, or its extension's, or what the caller's procedure says.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/navigation/nav_folder_list.h"
#include "tests/test_support.h"

namespace {

constexpr OSType kMidi = FourCC("Midi");
constexpr OSType kSong = FourCC("BYSQ");

class NavFolderList : public ::testing::Test {
 protected:
  void SetUp() override {
    mkdir(folder.File("Beta").c_str(), 0755);
    mkdir(folder.File("alpha").c_str(), 0755);
    for (const char* name : {"song.mid", "Notes.txt", "take.bysq", ".hidden.mid", "Zed.MIDI"})
      zarin_test::WriteWholeFile(folder.File(name), "x");
    FSSpec doc;
    PathToSpec(folder.File("Doc"), &doc);
    ASSERT_EQ(FSpCreate(&doc, FourCC("V|ov"), kSong, 0), noErr);  // its type only in the Finder info
  }
  std::vector<std::string> Names(const NavListFilter& filter) {
    std::vector<NavEntry> entries;
    EXPECT_EQ(NavListFolder(folder.path(), filter, &entries), noErr);
    std::vector<std::string> names;
    for (const NavEntry& e : entries) names.push_back(e.diskName + (e.isFolder ? "/" : ""));
    return names;
  }
  zarin_test::TempFolder folder;
};

OSType SongByExtension(const FSSpec* fileSpec, OSType finderType, void*) {
  std::string name(reinterpret_cast<const char*>(fileSpec->name + 1), fileSpec->name[0]);
  return name.size() > 5 && name.substr(name.size() - 5) == ".bysq" ? kSong : finderType;
}

TEST_F(NavFolderList, FoldersFirstThenFilesOfTheListedTypes) {
  const OSType types[] = {kMidi, kSong};
  NavListFilter filter;
  filter.types = types;
  filter.typeCount = 2;
  EXPECT_EQ(Names(filter), (std::vector<std::string>{"alpha/", "Beta/", "Doc", "song.mid", "Zed.MIDI"}));
  filter.typeProc = SongByExtension;
  EXPECT_EQ(Names(filter),
            (std::vector<std::string>{"alpha/", "Beta/", "Doc", "song.mid", "take.bysq", "Zed.MIDI"}));
  NavListFilter any;
  EXPECT_EQ(Names(any).size(), 7u);
  NavListFilter folders;
  folders.foldersOnly = true;
  EXPECT_EQ(Names(folders), (std::vector<std::string>{"alpha/", "Beta/"}));
}

TEST_F(NavFolderList, EntriesNameTheirFilesAndAMissingFolderIsAnError) {
  std::vector<NavEntry> entries;
  NavListFilter any;
  ASSERT_EQ(NavListFolder(folder.path(), any, &entries), noErr);
  for (const NavEntry& e : entries) EXPECT_EQ(SpecToPath(&e.fileSpec), folder.File(e.diskName));
  EXPECT_NE(NavListFolder(folder.File("missing"), any, &entries), noErr);
  EXPECT_TRUE(entries.empty());
}

}  // namespace
