// MIDI output through the real driver procedure into a virtual destination, the output lock,
// and the port table's names and ids.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <thread>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/midi_port_build.h"
#include "sequencer/midi/midi_port_layout.h"
#include "sequencer/midi/quicktime_music_output.h"
#include "song/events/seq_event.h"
#include "song/instruments/midi_port_table.h"
#include "tests/sequencer/midi/midi_fixture.h"

namespace {

TEST_F(MidiTest, TrackEventsReachTheDestinationOnTheirChannel) {
  int32_t port = MakeDestination("Capture");
  ASSERT_GE(port, 0);
  TestTrack track;
  track.events = {{10, 0xC3, 5, 0x80, 0}, {20, 0xB3, 7, 90, 0}, {40, 0x93, 60, 100, 120}, {100, 0x93, 64, 80, 30}};
  Handle song = MakeSong({track}, {});
  RouteSongTracks(song, kMidiPortDriverProc, uint8_t(port));
  Play(song, 400);
  std::vector<Received> got = WaitForReceived(6);
  ASSERT_EQ(got.size(), 6u);
  // Program (two bytes), controller, two note-ons and their ends, all on channel 4.
  std::vector<std::vector<uint8_t>> want = {{0xC3, 5}, {0xB3, 7, 90}, {0x93, 60, 100}, {0x93, 64, 80}};
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i].bytes, want[i]) << i;
  for (size_t i = 4; i < 6; ++i) {
    ASSERT_EQ(got[i].bytes.size(), 3u);
    EXPECT_EQ(got[i].bytes[0] & 0x0F, 3);
    EXPECT_TRUE((got[i].bytes[0] & 0xF0) == 0x80 || got[i].bytes[2] == 0);
  }
  EXPECT_EQ(got[4].bytes[1], 64);  // the shorter note ends first
  EXPECT_EQ(got[5].bytes[1], 60);
  EXPECT_TRUE(*gPortTable && ((*gPortTable)[port * kPortEntrySize + kPortFlags] & kPortFlagUsed));
}

TEST_F(MidiTest, BadPortsAndEmptyProceduresSendNothing) {
  int32_t port = MakeDestination("Capture");
  MidiMessage m;
  BuildMidiMessage(&m, 0x90, 60, 100, kOriginOutput);
  EXPECT_NE(noErr, SendToPortIndex(m.Record(), gPortCount));
  EXPECT_NE(noErr, SendToPortIndex(m.Record(), -1));
  EXPECT_EQ(0, SendMidiMessage(kNoDriverProc, 0x90, 60, 100, uint8_t(port), 0));
  EXPECT_EQ(noErr, SendToPortIndex(m.Record(), port));
  EXPECT_EQ(WaitForReceived(1).size(), 1u);
}

TEST(MidiOutputLock, TheHolderTakesItAgainAndOthersWait) {
  ASSERT_TRUE(LockMidiOutput());
  ASSERT_TRUE(LockMidiOutput());  // re-entrant
  UnlockMidiOutput();
  bool other = true;
  std::thread t([&] { other = LockMidiOutput(); if (other) UnlockMidiOutput(); });
  t.join();
  EXPECT_FALSE(other);  // still held once: the other thread gives up after its bound
  UnlockMidiOutput();
  std::thread u([&] { other = LockMidiOutput(); if (other) UnlockMidiOutput(); });
  u.join();
  EXPECT_TRUE(other);
}

TEST(MidiMessages, LengthFollowsTheDataBytes) {
  struct Case { uint8_t status, d1, d2, length; } cases[] = {
      {0x90, 60, 100, 9}, {0xC0, 5, 0x80, 8}, {0xF8, 0x80, 0x80, 7}, {0xE0, 0, 64, 9}};
  for (const Case& c : cases) {
    MidiMessage m;
    BuildMidiMessage(&m, c.status, c.d1, c.d2, kOriginOutput);
    EXPECT_EQ(m.length, c.length) << int(c.status);
  }
}

TEST(PortNames, BracketsNeverPassTheNameField) {
  uint8_t field[kPortNameSize + 2];
  std::memset(field, 0xAA, sizeof field);
  field[0] = 31;
  std::memset(field + 1, 'x', 31);
  BracketName(field, kPortNameSize);
  EXPECT_LE(field[0], 31);
  EXPECT_EQ(field[1], '[');
  EXPECT_EQ(field[field[0]], ']');
  EXPECT_EQ(field[kPortNameSize], 0xAA);  // the byte after the field is untouched
  uint8_t again = field[0];
  BracketName(field, kPortNameSize);
  EXPECT_EQ(field[0], again);  // already bracketed
}

TEST_F(MidiTest, PortsKeepTheirIdsAndLongNamesAreCut) {
  int32_t port = MakeDestination("A destination whose name runs well past thirty-one characters");
  ASSERT_GE(port, 0);
  uint8_t* e = reinterpret_cast<uint8_t*>(*gPortTable) + port * kPortEntrySize;
  EXPECT_EQ(e[kPortName], 31);
  uint16_t id = ReadU16BE(e + kPortId);
  EXPECT_NE(id, 0);
  uint16_t mask = ReadU16BE(e + kPortChannelMask);
  EXPECT_EQ(mask, 0xFFFF);
  MIDIEndpointDispose(destination);
  destination = 0;
  BuildPortTable(true);
  e = reinterpret_cast<uint8_t*>(*gPortTable) + port * kPortEntrySize;
  EXPECT_EQ(ReadU32BE(e + kPortEndpoint), 0u);
  EXPECT_EQ(e[kPortName + 1], '[');
  EXPECT_LE(e[kPortName], 31);
  EXPECT_EQ(ReadU16BE(e + kPortChannelMask), mask);  // the name did not spill over
  EXPECT_EQ(ReadU16BE(e + kPortId), id);
}

TEST_F(MidiTest, PortIdsAreNeverZeroAndNeverShared) {
  // Unique ids whose low 16 bits are 0, a large one whose low 16 bits are 5, and 5 itself.
  const SInt32 uniqueIds[] = {0x00010000, 0x00020000, 0x12340005, 5};
  std::vector<MIDIEndpointRef> made;
  for (SInt32 uid : uniqueIds) {
    MIDIEndpointRef dest = 0;
    ASSERT_EQ(noErr, MIDIDestinationCreate(gMidiDriver.client, CFSTR("Numbered"),
                                            [](const MIDIPacketList*, void*, void*) {}, nullptr, &dest));
    ASSERT_EQ(noErr, MIDIObjectSetIntegerProperty(dest, kMIDIPropertyUniqueID, uid)) << uid;
    made.push_back(dest);
  }
  BuildPortTable(true);
  std::vector<uint16_t> ids;
  for (int32_t i = 0; i < gPortCount; ++i) {
    const uint8_t* e = reinterpret_cast<const uint8_t*>(*gPortTable) + i * kPortEntrySize;
    uint16_t id = ReadU16BE(e + kPortId);
    EXPECT_NE(id, 0) << "entry " << i;
    EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 0) << "entry " << i;
    ids.push_back(id);
  }
  EXPECT_GE(ids.size(), std::size(uniqueIds));
  for (MIDIEndpointRef dest : made) MIDIEndpointDispose(dest);
}

}  // namespace

namespace {

TEST_F(MidiTest, ASetUpChangeRebuildsThePortTable) {
  MIDIDeliverPendingNotifications();
  gMidiDriver.notificationBits = 0;
  MIDIEndpointRef added = 0;
  ASSERT_EQ(noErr, MIDIDestinationCreate(gMidiDriver.client, CFSTR("Plugged In"),
                                          [](const MIDIPacketList*, void*, void*) {}, nullptr, &added));
  MIDIDeliverPendingNotifications();
  EXPECT_NE(gMidiDriver.notificationBits.load() & (1u << kMIDIMsgSetupChanged), 0u);
  ApplyMidiSetupChanges();
  EXPECT_EQ(gMidiDriver.notificationBits.load(), 0u);
  uint32_t uid = GetEndpointUniqueID(added);
  bool found = false;
  for (int32_t i = 0; i < gPortCount; ++i) {
    const uint8_t* e = reinterpret_cast<const uint8_t*>(*gPortTable) + i * kPortEntrySize;
    found |= ReadU32BE(e + kPortUniqueId) == uid && ReadU32BE(e + kPortEndpoint) == added;
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(gMidiDriver.presentPorts, CountPresentPorts());
  MIDIEndpointDispose(added);
}

}  // namespace

namespace {

TEST(QuickTimeMusic, BendValues) {
  EXPECT_EQ(QuickTimeBendValue(0, 64, 2), 0);
  EXPECT_EQ(QuickTimeBendValue(127, 127, 2), 512);   // two semitones up in 8.8
  EXPECT_EQ(QuickTimeBendValue(0, 0, 12), -3072);    // an octave down
}

TEST_F(MidiTest, QuickTimeMusicPlaysOnNoteChannels) {
  MidiMessage m;
  BuildMidiMessage(&m, 0x90, 60, 100, kOriginOutput);
  QuickTimeMusicSend(m.Record(), 0);
  EXPECT_EQ(gQuickTimeMusicPorts[0].result, -50);  // nothing open yet
  ASSERT_EQ(OpenQuickTimeMusicPorts(), 0);
  struct Case { uint8_t status, d1, d2; } cases[] = {
      {0x90, 60, 100}, {0xB0, 7, 100}, {0xB0, 10, 127}, {0xB0, 64, 90}, {0xE0, 0, 96},
      {0xD0, 40, 0x80}, {0xC0, 5, 0x80}, {0x80, 60, 0}};
  for (const Case& c : cases) {
    BuildMidiMessage(&m, c.status, c.d1, c.d2, kOriginOutput);
    EXPECT_EQ(InvokeSendCallback(kQuickTimeMusicDriverProc, m.Record(), 0), 0);
    EXPECT_EQ(gQuickTimeMusicPorts[0].result, 0) << int(c.status) << " " << int(c.d1);
  }
  // Bank select is kept for the next program; on channel 10 the bank is the drum kits.
  BuildMidiMessage(&m, 0xB1, 0, 3, kOriginOutput);
  QuickTimeMusicSend(m.Record(), 0);
  EXPECT_EQ(gQuickTimeMusicPorts[1].bank, 3 << 14);
  BuildMidiMessage(&m, 0xB9, 0, 3, kOriginOutput);
  QuickTimeMusicSend(m.Record(), 0);
  EXPECT_EQ(gQuickTimeMusicPorts[9].bank, 16384);
  CloseQuickTimeMusicPorts();
}

}  // namespace
