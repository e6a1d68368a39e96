// Deleting and pasting instruments with every reference renumbered, the controller lookup
// tables and the MIDI sends.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "audio/engine/engine_run_state.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/instrument_midi_options.h"
#include "song/instruments/instrument_table.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_layout.h"
#include "tests/song/instruments/instrument_fixture.h"

namespace instrument_test {
namespace {

constexpr uint16_t kNone = 0xFFFF;

void Select(const std::set<int32_t>& indexes) {
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* r = GetInstrumentRecord(i);
    r[kInstFlags] = uint8_t(indexes.count(i) ? r[kInstFlags] | kInstFlagSelected : r[kInstFlags] & ~kInstFlagSelected);
  }
}

struct DeleteCase {
  const char* what;
  std::set<int32_t> deleted;
  int32_t matchFor3;               // an instrument given instrument 3's output, -1 none
  bool othersWithoutOutput;        // every instrument but the deleted ones has part 0 off
  bool playsThroughTable;
  std::vector<uint16_t> before, after;
  bool playsAfter;
};

const DeleteCase kDeleteCases[] = {
    {"deleted word takes the best match, renumbered", {3}, 5, false, true, {0x0300}, {0x0400}, true},
    {"words around the deletion", {3}, -1, false, true, {0x0207, 0x0600, kNone, 0x0000}, {0x0207, 0x0500, kNone, 0x0000}, true},
    {"two deletions before a word", {1, 3}, 5, false, true, {0x0100, 0x0300, 0x0700}, {0x0000, 0x0300, 0x0500}, true},
    {"a track with its own output is left alone", {3}, 5, false, false, {0x0700, 0x0300}, {0x0700, 0x0300}, false},
    {"no survivor matches: the track leaves the table", {3}, -1, true, true, {0x0300, 0x0600}, {0x0300, 0x0500}, false},
    {"a word beyond the table stays beyond it", {0}, -1, false, true, {0x1400}, {0x1300}, true},
};

TEST_F(InstrumentTableTest, DeletionRenumbersTrackWords) {
  for (const DeleteCase& k : kDeleteCases) {
    SCOPED_TRACE(k.what);
    MakeTable(8);
    if (k.matchFor3 >= 0) SetOutput(k.matchFor3, kDeviceKindMidiPort, 0, 3);
    if (k.othersWithoutOutput)
      for (int32_t i = 0; i < 8; ++i)
        if (!k.deleted.count(i)) ResolveInstrumentParts(GetInstrumentRecord(i), 0);
    TrackSpec track;
    track.words = k.before;
    track.playsThroughTable = k.playsThroughTable;
    Handle song = MakeSongBlock({track});
    OpenSongs({song});
    Select(k.deleted);
    DeleteFlaggedInstrumentsAndRebuild(7);
    EXPECT_EQ(gInstrumentCount, 8 - int32_t(k.deleted.size()));
    for (size_t c = 0; c < k.after.size(); ++c) EXPECT_EQ(Word(song, 0, int32_t(c)), k.after[c]) << "channel " << c;
    EXPECT_EQ(PlaysThroughTable(song, 0), k.playsAfter);
    CloseSongs();
  }
}

TEST_F(InstrumentTableTest, DeletionReachesChildSequencesButNotLinks) {
  MakeTable(6);
  TrackSpec childTrack;
  childTrack.words = {0x0500};
  Handle child = MakeSongBlock({childTrack});
  Handle link = MakeSongBlock({childTrack}, true);
  TrackSpec parent;
  parent.words = {0x0400};
  parent.children = {child, link};
  Handle song = MakeSongBlock({parent});
  TrackSpec second;
  second.words = {0x0200, 0x0500};
  Handle other = MakeSongBlock({second, second});
  OpenSongs({song, other});
  Select({1});
  DeleteFlaggedInstrumentsAndRebuild(7);
  EXPECT_EQ(Word(song, 0, 0), 0x0300);
  EXPECT_EQ(Word(child, 0, 0), 0x0400);
  EXPECT_EQ(Word(link, 0, 0), 0x0500);  // a link stands for an open song, renumbered there
  EXPECT_EQ(Word(other, 1, 0), 0x0100);
  EXPECT_EQ(Word(other, 1, 1), 0x0400);
}

TEST_F(InstrumentTableTest, DeletionMapsEngineChannels) {
  MakeTable(8);
  std::vector<EngineChannel> channels(6);
  const uint16_t before[] = {kNoEngineInstrument, 0, 1, 3, 4, 6};
  const uint16_t after[] = {kNoEngineInstrument, 0, 0, 1, 2, 4};
  for (size_t i = 0; i < channels.size(); ++i) {
    channels[i].instrument = before[i];
    channels[i].next = i + 1 < channels.size() ? &channels[i + 1] : nullptr;
  }
  gEngineChannels = &channels[0];
  Select({0, 3});
  DeleteFlaggedInstrumentsAndRebuild(7);
  gEngineChannels = nullptr;
  for (size_t i = 0; i < channels.size(); ++i) EXPECT_EQ(channels[i].instrument, after[i]) << "channel " << i;
}

TEST_F(InstrumentTableTest, ProcessorsAreHeldAndClampedAroundADeletion) {
  MakeTable(6);
  RealtimeProcessor processors[2];
  processors[0].next = &processors[1];
  processors[0].flags = 0x5A03;
  processors[0].instrument = 0x0502;
  processors[1].instrument = 0x0100;
  gRealtimeProcessors = &processors[0];
  Select({1, 2});
  DeleteFlaggedInstrumentsAndRebuild(7);
  gRealtimeProcessors = nullptr;
  EXPECT_EQ(processors[0].instrument, 0x0300);  // past the new count: the last instrument
  EXPECT_EQ(processors[1].instrument, 0x0100);
  EXPECT_EQ(processors[0].flags, 0x5A00);       // the taken flags are given back, run bits reset
  EXPECT_EQ(processors[1].flags, 0x5A00);
}

TEST_F(InstrumentTableTest, TheLastInstrumentIsNeverDeleted) {
  MakeTable(1);
  Select({0});
  DeleteFlaggedInstrumentsAndRebuild(7);
  EXPECT_EQ(gInstrumentCount, 1);
  ASSERT_EQ(RecountInstrumentTable(), noErr);
  EXPECT_EQ(gInstrumentCount, 1);
  EXPECT_EQ(gAuxBusCount, 0);

  // With every instrument selected, the last one stays and every word lands on it.
  MakeTable(3);
  ASSERT_EQ(SetAuxBusCount(1, 19, 0, false), noErr);
  std::string lastName = Name(2);
  TrackSpec track;
  track.words = {0x0000, 0x0100, 0x0200};
  Handle song = MakeSongBlock({track});
  OpenSongs({song});
  Select({0, 1, 2});
  DeleteFlaggedInstrumentsAndRebuild(7);
  EXPECT_EQ(gInstrumentCount, 1);
  EXPECT_EQ(gAuxBusCount, 1);
  EXPECT_EQ(Name(0), lastName);
  EXPECT_EQ(Name(GetMasterIndex()), "Master");
  EXPECT_TRUE(GetInstrumentRecord(1)[kInstFlags] & kInstFlagAuxBus);
  for (int32_t c = 0; c < 3; ++c) EXPECT_EQ(Word(song, 0, c), 0x0000);
  EXPECT_TRUE(PlaysThroughTable(song, 0));
  EXPECT_EQ(GetHandleSize(gInstrumentTable), 3 * 256);
}

TEST_F(InstrumentTableTest, PluginAndMidiDeletions) {
  MakeTable(5);
  SetOutput(1, kDeviceKindPlugin, 2, 0);
  SetOutput(2, kDeviceKindPlugin, 3, 0);
  SetOutput(3, 19, 0, 0);
  DeletePluginInstrumentsOfDevice(3);
  EXPECT_EQ(gInstrumentCount, 4);
  EXPECT_EQ(InstrumentView(GetInstrumentRecord(1)).Port(0), 2);
  DeleteMidiInstruments();  // keeps the plug-in and the audio instrument
  ASSERT_EQ(gInstrumentCount, 2);
  EXPECT_EQ(InstrumentView(GetInstrumentRecord(0)).DeviceKind(0), kDeviceKindPlugin);
  EXPECT_EQ(InstrumentView(GetInstrumentRecord(1)).DeviceKind(0), 19);
}

// A clipboard table: `count` instruments named C0.., the selected ones flagged, then a master.
Handle MakeClipboardTable(int32_t count, const std::set<int32_t>& selected) {
  Handle clip = NewHandleClear((count + 1) * kInstrumentSize);
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* r = reinterpret_cast<uint8_t*>(*clip) + i * kInstrumentSize;
    InitInstrumentRecord(r, uint8_t(i), kDeviceKindMidiPort, 0, nullptr, 0);
    r[kInstName] = 2;
    r[kInstName + 1] = 'C';
    r[kInstName + 2] = uint8_t('0' + i);
    if (selected.count(i)) r[kInstFlags] |= kInstFlagSelected;
  }
  return clip;
}

TEST_F(InstrumentTableTest, PasteInsertsAtThePointAndShiftsReferences) {
  MakeTable(6);
  ASSERT_EQ(SetAuxBusCount(1, 19, 0, false), noErr);
  TrackSpec track;
  track.words = {0x0100, 0x0200, 0x0500, kNone};
  Handle song = MakeSongBlock({track});
  OpenSongs({song});
  Handle clip = MakeClipboardTable(4, {0, 2, 3});
  Handle rack = NewHandleClear(16);
  WriteU32BE(*clip + 2 * kInstrumentSize + kInstInsertRack, rack.id);
  gInstrumentInsertionPoint = 2;
  ASSERT_EQ(PasteInstrumentsFrom(clip), noErr);
  ASSERT_EQ(gInstrumentCount, 9);
  EXPECT_EQ(gAuxBusCount, 1);
  EXPECT_EQ(Name(2), "C0");
  EXPECT_EQ(Name(3), "C2");
  EXPECT_EQ(Name(4), "C3");
  EXPECT_EQ(Name(GetMasterIndex()), "Master");
  EXPECT_TRUE(GetInstrumentRecord(gInstrumentCount)[kInstFlags] & kInstFlagAuxBus);
  EXPECT_EQ(Word(song, 0, 0), 0x0100);
  EXPECT_EQ(Word(song, 0, 1), 0x0500);
  EXPECT_EQ(Word(song, 0, 2), 0x0800);
  EXPECT_EQ(Word(song, 0, 3), kNone);
  // The pasted record owns a rack of its own; the clipboard keeps its rack.
  Handle pastedRack = InstrumentView(GetInstrumentRecord(3)).InsertRack();
  EXPECT_TRUE(pastedRack);
  EXPECT_NE(pastedRack, rack);
  DisposeHandle(rack);
  DisposeHandle(clip);
}

TEST_F(InstrumentTableTest, PasteStopsAtTheFullTable) {
  MakeTable(253);
  Handle clip = MakeClipboardTable(5, {0, 1, 4});
  gInstrumentInsertionPoint = 2;
  ASSERT_EQ(PasteInstrumentsFrom(clip), noErr);
  EXPECT_EQ(gInstrumentCount, kMaxInstruments);
  EXPECT_EQ(Name(2), "C0");
  DisposeHandle(clip);
}

TEST_F(InstrumentTableTest, PasteDeletesTheSelectionFirstAndReadsTheClipboard) {
  MakeTable(4);
  Select({0});
  Handle clip = MakeClipboardTable(2, {1});
  gClipboard = NewHandleClear(kClipboardRecordSize);
  (*gClipboard)[kClipboardKind] = kClipboardKindInstruments;
  WriteU32BE(*gClipboard + kClipboardRackTable, clip.id);
  gInstrumentInsertionPoint = 2;  // removing the first record resets the point to 0
  ASSERT_EQ(PasteInstruments(), noErr);
  EXPECT_EQ(gInstrumentCount, 4);
  EXPECT_EQ(Name(0), "C1");
  Select({});
  gInstrumentInsertionPoint = 10;  // clamped to the count
  ASSERT_EQ(PasteInstruments(), noErr);
  EXPECT_EQ(gInstrumentCount, 5);
  EXPECT_EQ(Name(4), "C1");
  (*gClipboard)[kClipboardKind] = 1;  // not instrument data: nothing happens
  EXPECT_EQ(PasteInstruments(), noErr);
  EXPECT_EQ(gInstrumentCount, 5);
  DisposeHandle(gClipboard);
  gClipboard = Handle();
  DisposeHandle(clip);
}

TEST_F(InstrumentTableTest, ControllerLookupTables) {
  MakeTable(6);
  SetOutput(0, kDeviceKindMidiPort, 1, 2);
  SetOutput(1, kDeviceKindMidiPort, 1, 2);   // same output: the lower index wins
  SetOutput(2, kDeviceKindMidiPort, 1, 20);  // channel from a file: masked to 4
  GetInstrumentRecord(2)[kInstVolumeController] = 135;  // masked to 7
  SetOutput(3, 19, 1, 5);                    // an audio-driver instrument: not a MIDI output
  SetOutput(4, 2, 7, 9);
  GetInstrumentRecord(4)[kInstPanController] = 91;
  SetOutput(5, 30, 0, 0);                    // kinds from 25 on have no tables
  RebuildInstrumentState();
  EXPECT_EQ(LookupControllerInstrument(kDeviceKindMidiPort, 7, 1, 2), 0);
  EXPECT_EQ(LookupControllerInstrument(kDeviceKindMidiPort, 10, 1, 2), 0);
  EXPECT_EQ(LookupControllerInstrument(kDeviceKindMidiPort, 7, 1, 4), 2);
  EXPECT_EQ(LookupControllerInstrument(kDeviceKindMidiPort, 10, 1, 4), 2);
  EXPECT_EQ(LookupControllerInstrument(19, 7, 1, 5), -1);
  EXPECT_EQ(LookupControllerInstrument(2, 91, 7, 9), 4);
  EXPECT_EQ(LookupControllerInstrument(2, 10, 7, 9), -1);
  EXPECT_EQ(LookupControllerInstrument(2, 7, 6, 9), -1);
  EXPECT_EQ(LookupControllerInstrument(kDeviceKindMidiPort, 7, 0, 3), -1);  // 3 moved to kind 19
  EXPECT_EQ(LookupControllerInstrument(40, 7, 0, 0), -1);
  // Renumbering shows in the rebuilt tables.
  Select({0});
  DeleteFlaggedInstrumentsAndRebuild(7);
  EXPECT_EQ(LookupControllerInstrument(kDeviceKindMidiPort, 7, 1, 2), 0);
  EXPECT_EQ(LookupControllerInstrument(kDeviceKindMidiPort, 7, 1, 4), 1);
}

std::vector<std::vector<uint8_t>> gSent;

int32_t Capture(uint8_t* record, int32_t arg) {
  std::vector<uint8_t> bytes(record, record + record[1]);
  bytes.push_back(uint8_t(arg));
  gSent.push_back(bytes);
  return 0;
}

TEST_F(InstrumentTableTest, MidiSendsToInstruments) {
  MakeTable(3);
  SetOutput(2, kDeviceKindMidiPort, 5, 9);
  SetDriverProcById(kMidiPortDriverProc, Capture);
  SetDriverProcById(kPluginInstrumentDriverProc, Capture);
  gSent.clear();
  SendInstrumentController(2, 200, 7);
  SendInstrumentController(2, 64, 10);
  gMidiVolumeFactor = 2048;
  SendInstrumentController(2, 100, 7);
  gMidiVolumeFactor = 4096;
  ASSERT_EQ(gSent.size(), 3u);
  EXPECT_EQ(gSent[0], (std::vector<uint8_t>{0x80, 9, 0, 0, 0, 0, 0xB9, 7, 127, 5}));
  EXPECT_EQ(gSent[1], (std::vector<uint8_t>{0x80, 9, 0, 0, 0, 0, 0xB9, 10, 64, 5}));
  EXPECT_EQ(gSent[2][8], 50);
  gSent.clear();
  SendAllNotesOff();
  ASSERT_EQ(gSent.size(), 16u);  // controller 123 on every channel, to the plug-in instruments
  for (int32_t c = 0; c < 16; ++c)
    EXPECT_EQ(gSent[size_t(c)], (std::vector<uint8_t>{0x80, 9, 0, 0, 0, 0, uint8_t(0xB0 | c), 123, 0, 0}));
  SetDriverProcById(kMidiPortDriverProc, nullptr);
  SetDriverProcById(kPluginInstrumentDriverProc, nullptr);
}

}  // namespace
}  // namespace instrument_test

namespace instrument_test {
namespace {

// Instruments taking new places: the tracks' words follow them (their channel bytes kept),
// and so does a song's mixer selection of an instrument, which a reorder once left behind.
TEST_F(InstrumentTableTest, ANewOrderCarriesTrackWordsAndTheMixerSelectionAlong) {
  MakeTable(4);
  TrackSpec track;
  track.words = {0x0105, 0x0300, kNone};
  Handle song = MakeSongBlock({track});
  Handle other = MakeSongBlock({track});
  OpenSongs({song, other});
  WriteU16BE(reinterpret_cast<uint8_t*>(*song) + kSongSelectionKind, 4);
  WriteU16BE(reinterpret_cast<uint8_t*>(*song) + kSongMixerItem, 1);
  WriteU16BE(reinterpret_cast<uint8_t*>(*other) + kSongSelectionKind, 1);  // a track: left alone
  WriteU16BE(reinterpret_cast<uint8_t*>(*other) + kSongMixerItem, 1);
  const int32_t newIndex[] = {0, 3, 1, 2};  // instrument 1 moved to the end
  RenumberInstrumentReferencesForOrder(newIndex, 4);
  EXPECT_EQ(Word(song, 0, 0), 0x0305);
  EXPECT_EQ(Word(song, 0, 1), 0x0200);
  EXPECT_EQ(Word(song, 0, 2), kNone);
  EXPECT_EQ(ReadU16BE(reinterpret_cast<uint8_t*>(*song) + kSongMixerItem), 3);
  EXPECT_EQ(ReadU16BE(reinterpret_cast<uint8_t*>(*other) + kSongMixerItem), 1);
  CloseSongs();
}

}  // namespace
}  // namespace instrument_test
