#include "tests/song/instruments/instrument_fixture.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/app/program_hooks.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"

namespace instrument_test {

namespace {

void DisposeSongBlock(Handle song) {
  if (!song || !IsValidHandle(song)) return;
  uint8_t* p = reinterpret_cast<uint8_t*>(*song);
  int32_t tracks = SongHeaderView(p).TrackCount();
  int32_t offset = kSongHeaderSize;
  for (int32_t t = 0; t < tracks; ++t) {
    TrackEntryView view(p + offset);
    for (int32_t c = 0; c < view.ChildCount(); ++c) DisposeSongBlock(view.Child(c));
    p = reinterpret_cast<uint8_t*>(*song);
    offset += ReadU16BE(p + offset);
  }
  DisposeHandle(song);
}

}  // namespace

void InstrumentTableTest::SetUp() {
  InstallProgramHooks();  // the plug-ins dispose and copy the insert racks, walk the channels
  DisposeInstrumentTable();
  RebuildInstrumentState();  // no table: the lookup tables are freed
  liveHandlesAtStart_ = CountLiveHandles();
}

void InstrumentTableTest::CloseSongs() {
  for (Handle song : songs_) DisposeSongBlock(song);
  songs_.clear();
  if (gSongHandles) DisposeHandle(gSongHandles);
  gSongHandles = Handle();
  gSongCount = 0;
}

void InstrumentTableTest::TearDown() {
  CloseSongs();
  DisposeInstrumentTable();
  RebuildInstrumentState();
  EXPECT_EQ(CountLiveHandles(), liveHandlesAtStart_) << "handles leaked or freed twice";
}

void InstrumentTableTest::MakeTable(int32_t count) {
  ASSERT_EQ(CreateInstrumentTable(count, kDeviceKindMidiPort), noErr);
  for (int32_t i = 0; i < count; ++i) SetOutput(i, kDeviceKindMidiPort, uint8_t(i / 16), uint8_t(i % 16));
  RebuildInstrumentState();
}

void InstrumentTableTest::SetOutput(int32_t index, uint8_t kind, uint8_t port, uint8_t channel) {
  uint8_t* r = GetInstrumentRecord(index);
  r[kInstDeviceKinds] = kind;
  r[kInstPorts] = port;
  r[kInstChannels] = channel;
  ResolveInstrumentParts(r, 1);
}

Handle InstrumentTableTest::MakeSongBlock(const std::vector<TrackSpec>& tracks, bool link) {
  int32_t size = kSongHeaderSize;
  for (const TrackSpec& t : tracks) size += kTrackEntrySize + kChildCellSize * int32_t(t.children.size());
  Handle song = NewHandleClear(size);
  uint8_t* p = reinterpret_cast<uint8_t*>(*song);
  SongHeaderView header(p);
  header.SetTrackCount(uint16_t(tracks.size()));
  if (link) header.SetFlags(kSongFlagLinked);
  int32_t offset = kSongHeaderSize;
  for (const TrackSpec& t : tracks) {
    TrackEntryView view(p + offset);
    view.SetLength(uint16_t(kTrackEntrySize + kChildCellSize * t.children.size()));
    view.SetChildCount(uint8_t(t.children.size()));
    view.SetChannelCount(uint8_t(t.words.size()));
    view.SetFlags(t.playsThroughTable ? kTrackFlagPlaysInstrument : 0);
    for (size_t c = 0; c < t.words.size(); ++c) view.SetInstrument(int(c), t.words[c]);
    for (size_t c = 0; c < t.children.size(); ++c) view.SetChild(int(c), t.children[c]);
    offset += view.Length();
  }
  return song;
}

void InstrumentTableTest::OpenSongs(const std::vector<Handle>& songs) {
  CloseSongs();
  songs_ = songs;
  gSongHandles = NewHandleClear(4 * int32_t(songs.size()));
  for (size_t i = 0; i < songs.size(); ++i) WriteU32BE(*gSongHandles + 4 * i, songs[i].id);
  gSongCount = int32_t(songs.size());
}

uint16_t InstrumentTableTest::Word(Handle song, int32_t track, int32_t channel) const {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*song) + kSongHeaderSize;
  for (int32_t t = 0; t < track; ++t) p += ReadU16BE(p);
  return ReadU16BE(p + kTrackInstruments + 2 * channel);
}

bool InstrumentTableTest::PlaysThroughTable(Handle song, int32_t track) const {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*song) + kSongHeaderSize;
  for (int32_t t = 0; t < track; ++t) p += ReadU16BE(p);
  return (p[kTrackFlags] & kTrackFlagPlaysInstrument) != 0;
}

std::string InstrumentTableTest::Name(int32_t index) const {
  const uint8_t* r = GetInstrumentRecord(index);
  return std::string(reinterpret_cast<const char*>(r + kInstName + 1), r[kInstName]);
}

}  // namespace instrument_test
