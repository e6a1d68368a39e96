// Shared set-up of the undo and song-copy tests: a fresh song database and undo ring per
// test, builders for songs with events, child sequences and racks, a deep image of a song
// (its block with handle ids masked, followed by the contents of every handle it owns), and
// the set of handles a song owns.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/engine/engine_track_commands.h"
#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_instances.h"
#include "shell/app/program_hooks.h"
#include "song/events/event_index.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/child_sequences.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_copies.h"
#include "song/undo/undo_ring.h"
#include "tests/test_support.h"

namespace undo_test {

constexpr int32_t kListFields[4] = {kSongConductorMap, kSongMarkerList, kSongWindowTable,
                                    kSongExtraBlock};

// An event list: (time, status, data1) records, long (14) or short (8) by the status kind,
// then the end record.
inline std::vector<uint8_t> Events(const std::vector<std::vector<uint32_t>>& records) {
  std::vector<uint8_t> bytes;
  for (const auto& r : records) {
    size_t at = bytes.size();
    uint8_t status = uint8_t(r[1]);
    if (GetEventLengthByKind(status) == kShortEventSize) {
      bytes.resize(at + kShortEventSize);
      FillShortEvent(&bytes[at], r[0], status, uint8_t(r[2]), 0);
    } else {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], r[0], status, uint8_t(r[2]), 64, 96);
    }
  }
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  return bytes;
}

// Gives the current track an event list holding exactly bytes.
inline void SetTrackEvents(const std::vector<uint8_t>& bytes) {
  ASSERT_EQ(noErr, EnsureTrackEventList());
  Handle list = GetCurrentTrackEventList();
  SetHandleSize(list, Size(bytes.size()));
  std::memcpy(HandleData(list), bytes.data(), bytes.size());
  WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(bytes.size()));
}

}  // namespace undo_test

// Bare instance records (no plug-in code behind them) stand for plug-ins here: the undo
// steps only link, count and bypass them.
inline int32_t GetPluginUseCount(uint32_t id) {
  PluginInstance* p = GetPluginInstance(id);
  return p ? p->useCount : 0;
}
inline bool IsPluginInstanceOpen(uint32_t id) { return GetPluginInstance(id) != nullptr; }
inline uint32_t GetPluginNext(uint32_t id) {
  PluginInstance* p = GetPluginInstance(id);
  return p ? p->next : 0;
}
inline uint8_t GetPluginBypass(uint32_t id) { return GetBypassState(GetPluginInstance(id)); }
inline int32_t CountOpenPluginInstances() { return CountPluginInstanceRecords(); }

namespace undo_test {

// A rack block whose live chain holds count new instances (the last one bypassed).
inline Handle NewRackWithPlugins(int count, std::vector<uint32_t>* instances = nullptr) {
  Handle rack = NewHandleClear(16);
  uint32_t head = 0;
  for (int i = 0; i < count; ++i) {
    PluginInstance* p = NewPluginInstanceRecord();
    if (instances) instances->push_back(p->id);
    AppendToChain(&head, p);
    if (i == count - 1) SetPluginBypass(p, 1, 2);
  }
  WriteU32BE(HandleData(rack) + kRackChainCell, head);
  return rack;
}

inline std::string Bytes(Handle h) {
  if (!h || !IsValidHandle(h)) return "-";
  return std::string(HandleData(h), size_t(GetHandleSize(h)));
}

inline std::string RackImage(Handle rack) {
  if (!IsInsertRack(rack)) return Bytes(rack);
  std::string image = Bytes(rack);
  image.replace(kRackChainCell, 4, 4, '\0');
  image[kRackFlags] &= char(~kRackFlagShared);
  // Live or listed, a rack stands for the same instances in the same order.
  uint32_t cell = ReadU32BE(HandleData(rack) + kRackChainCell);
  if (IsInsertRackShared(rack)) {
    Handle list(cell);
    uint32_t n = ReadU32BE(HandleData(list));
    for (uint32_t i = 0; i < n; ++i) {
      const char* e = HandleData(list) + kChainSnapshotHeader + kChainSnapshotEntry * i;
      image += "P" + std::to_string(ReadU32BE(e)) + "b" + std::to_string(int(e[12]));
    }
  } else {
    for (uint32_t p = cell; p; p = GetPluginNext(p))
      image += "P" + std::to_string(p) + "b" + std::to_string(int(GetPluginBypass(p)));
  }
  return image;
}

// The song block with every handle id masked, then the contents of each handle it owns,
// recursively through its child sequences.
inline std::string SongImage(Handle song) {
  if (!song || !IsValidHandle(song)) return "<none>";
  std::string block = Bytes(song);
  std::string owned;
  auto* p = reinterpret_cast<uint8_t*>(block.data());
  for (int32_t field : kListFields) {
    owned += "|L" + Bytes(Handle(ReadU32BE(p + field)));
    WriteU32BE(p + field, 0);
  }
  int32_t count = ReadU16BE(p + kSongTrackCount);
  size_t offset = kSongHeaderSize;
  for (int32_t i = 0; i < count && offset + kTrackEntrySize <= block.size(); ++i) {
    uint8_t* t = p + offset;
    for (int32_t field : kTrackHandleFields) {
      Handle h(ReadU32BE(t + field));
      owned += "|T" + std::to_string(field) + (field == kTrackInsertRack ? RackImage(h) : Bytes(h));
      WriteU32BE(t + field, 0);
    }
    for (int c = 0; c < t[kTrackChildCount]; ++c) {
      Handle child(ReadU32BE(t + kTrackChildTable + kChildCellSize * c));
      owned += "|C{" + SongImage(child) + "}";
      WriteU32BE(t + kTrackChildTable + kChildCellSize * c, 0);
    }
    offset += size_t(ReadI16BE(t + kTrackLength));
  }
  return block + owned;
}

// Every handle a song owns: its block, its lists, its tracks' handles (a shared rack's list
// too) and its children with all they own.
inline void CollectSongHandles(Handle song, std::vector<uint32_t>* out) {
  if (!song || !IsValidHandle(song)) return;
  out->push_back(song.id);
  const auto* p = reinterpret_cast<const uint8_t*>(HandleData(song));
  for (int32_t field : kListFields)
    if (uint32_t h = ReadU32BE(p + field)) out->push_back(h);
  int32_t count = ReadU16BE(p + kSongTrackCount);
  size_t offset = kSongHeaderSize;
  size_t size = size_t(GetHandleSize(song));
  for (int32_t i = 0; i < count && offset + kTrackEntrySize <= size; ++i) {
    const uint8_t* t = p + offset;
    for (int32_t field : kTrackHandleFields) {
      Handle h(ReadU32BE(t + field));
      if (!h) continue;
      out->push_back(h.id);
      if (field == kTrackInsertRack && IsInsertRackShared(h))
        out->push_back(ReadU32BE(HandleData(h) + kRackChainCell));
    }
    for (int c = 0; c < t[kTrackChildCount]; ++c)
      CollectSongHandles(Handle(ReadU32BE(t + kTrackChildTable + kChildCellSize * c)), out);
    p = reinterpret_cast<const uint8_t*>(HandleData(song));
    offset += size_t(ReadI16BE(p + offset + kTrackLength));
  }
}

// Equal images, or the first difference with its offset and a few bytes on either side.
inline ::testing::AssertionResult SameImage(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  auto hex = [at](const std::string& s) {
    std::string out;
    char buffer[4];
    for (size_t i = at < 8 ? 0 : at - 8; i < s.size() && i < at + 8; ++i) {
      std::snprintf(buffer, sizeof buffer, "%02x ", uint8_t(s[i]));
      out += buffer;
    }
    return out;
  };
  return ::testing::AssertionFailure() << "images differ at byte " << at << " (sizes "
                                       << expected.size() << ", " << actual.size()
                                       << ")\n expected: " << hex(expected)
                                       << "\n actual:   " << hex(actual);
}

// The handles two owners hold in common.
inline std::vector<uint32_t> Shared(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  std::vector<uint32_t> common;
  for (uint32_t x : a)
    for (uint32_t y : b)
      if (x == y) common.push_back(x);
  return common;
}

// No handle appears twice in one collection (within one owner nothing is shared either).
inline bool AllDistinct(const std::vector<uint32_t>& a) {
  for (size_t i = 0; i < a.size(); ++i)
    for (size_t j = i + 1; j < a.size(); ++j)
      if (a[i] == a[j]) return false;
  return true;
}

inline void SelectAllTracks() {
  SetTrackSelectionBounds(0, kMaxTrackNumbers - 1);
  std::memset(gTrackSelection + kSelectionMask, 0xFF, kSelectionMaskBytes);
}

// A 16-byte scope naming the given track numbers.
inline std::vector<uint8_t> Scope(const std::vector<int>& slots) {
  std::vector<uint8_t> scope(kTrackSelectionSize, 0);
  scope[kSelectionFirstSlot] = 0;
  scope[kSelectionLastSlot] = kMaxTrackNumbers - 1;
  for (int n : slots) scope[kSelectionMask + (n >> 3)] |= uint8_t(1 << (n & 7));
  return scope;
}

}  // namespace undo_test

class UndoFixture : public ::testing::Test {
 protected:
  virtual int32_t Levels() const { return kDefaultUndoLevels; }

  void SetUp() override {
    InstallProgramHooks();  // insert chains and clipboard copies of the plug-ins and editing
    DisposeUndoRing();
    gSectionMode = 0;
    gEngineBusyByte = 0;
    gClipboard = Handle();
    gClipboardPart2 = Handle();
    ResetSongDatabase();
    ASSERT_EQ(noErr, AllocateUndoRing(Levels()));
    undo_test::SelectAllTracks();
  }

  void TearDown() override {
    DisposeUndoRing();
    gUndoLevels = kDefaultUndoLevels;
    gSectionMode = 0;
    gEngineBusyByte = 0;
  }

  // Adds a song in slot with n tracks (a unique id), leaving it current.
  Handle AddSongInSlot(int32_t slot, int32_t tracks) {
    AssignUniqueSongId();
    gCurrentSongIndex = slot;
    EXPECT_EQ(noErr, AddSong(SongBlockSize(0)));
    EXPECT_EQ(noErr, CreateSongTracks(tracks, 1));
    RebuildTrackNumberMap();
    return gCurrentSongHandle;
  }

  // Song 1: two tracks with events. Song 0: tracks 0..2 with events; track 1 holds a full
  // copy of song 1 (cell 0) and a link to it (cell 1); track 2 has a rack with two plug-ins.
  void BuildSongs() {
    using undo_test::Events;
    song1_ = AddSongInSlot(1, 2);
    SetCurrentTrackIndex(0);
    undo_test::SetTrackEvents(Events({{10, 0x90, 60}, {200, 0xB0, 7}}));
    SetCurrentTrackIndex(1);
    undo_test::SetTrackEvents(Events({{30, 0x90, 64}}));
    SelectSongIndex(0);
    SelectSong(GetSongHandleAt(0));
    song0_ = gCurrentSongHandle;
    ASSERT_EQ(noErr, CreateSongTracks(3, 1));
    RebuildTrackNumberMap();
    for (int i = 0; i < 3; ++i) {
      SetCurrentTrackIndex(i);
      undo_test::SetTrackEvents(Events({{uint32_t(100 + i), 0x90, uint32_t(40 + i)},
                                        {uint32_t(300 + i), 0xE0, 1},
                                        {uint32_t(900 + i), 0x90, 50}}));
    }
    SetCurrentTrackIndex(1);
    ASSERT_EQ(0, SetChildCount(2));
    ASSERT_EQ(0, AttachSongAsChild(true, 1, 0));
    ASSERT_EQ(0, AttachSongAsChild(false, 1, 1));
    SetCurrentTrackIndex(2);
    Handle rack = undo_test::NewRackWithPlugins(2, &plugins_);
    WriteU32BE(gCurrentTrack + kTrackInsertRack, rack.id);
    SelectSongIndex(0);
    SelectSong(song0_);
    SetCurrentTrackIndex(0);
    DisposeAllEventIndexes();
  }

  Handle song0_;
  Handle song1_;
  std::vector<uint32_t> plugins_;
};

// With a resource file open for the texts a test needs.
class TextsFixture : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    CloseAllResFiles();
    FSSpec fileSpec;
    PathToSpec(folder_.File("texts.rsrc"), &fileSpec);
    FSpCreateResFile(&fileSpec, FourCC("test"), FourCC("rsrc"), -1);
    ASSERT_NE(-1, FSpOpenResFile(&fileSpec, fsRdWrPerm));
  }
  void TearDown() override {
    CloseAllResFiles();
    UndoFixture::TearDown();
  }
  // STR# id with the given items (item n + 1 is items[n]).
  void AddStrList(int16_t id, const std::vector<std::string>& items) {
    std::string bytes = {char(items.size() >> 8), char(items.size())};
    for (const std::string& item : items) bytes += char(item.size()) + item;
    Handle h = NewHandle(Size(bytes.size()));
    std::memcpy(*h, bytes.data(), bytes.size());
    static const unsigned char kNoName[] = "";
    AddResource(h, FourCC("STR#"), id, kNoName);
  }
  zarin_test::TempFolder folder_;
};
