// Packets from virtual sources to input ports, and from output ports to virtual destinations,
// through the layer's MIDI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/coremidi/core_midi.h"
#include "platform/coremidi/midi_server.h"
#include "platform/system/host_time.h"
#include "tests/platform/coremidi/midi_test_support.h"
#include "tests/test_support.h"

namespace {

using midi_test::PacketList;
using midi_test::Recorder;

class MidiDelivery : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MIDIClientCreate(CFSTR("Tests"), nullptr, nullptr, &client_), noErr);
  }
  void TearDown() override { ShutDownMidiServices(); }

  zarin_test::ScopedEnv drivers_{"ZARIN_MIDI_DRIVERS", "none"};
  MIDIClientRef client_ = 0;
  // Members, so that they outlive the layer's shut-down in TearDown.
  Recorder recorder_, gone_, fence_;
};

TEST_F(MidiDelivery, VirtualSourceReachesConnectedPortsWithStampsAndRefCons) {
  MIDIPortRef port = 0;
  MIDIEndpointRef source = 0;
  ASSERT_EQ(MIDIInputPortCreate(client_, CFSTR("In"), Recorder::Proc, &recorder_, &port), noErr);
  ASSERT_EQ(MIDISourceCreate(client_, CFSTR("Keys"), &source), noErr);
  int connection = 0;
  ASSERT_EQ(MIDIPortConnectSource(port, source, &connection), noErr);

  const uint64_t before = HostTimeNanos();
  PacketList list({{0, {0x90, 60, 100}}, {before + 5000000, {0x80, 60, 0, 0xF8}}});
  ASSERT_EQ(MIDIReceived(source, list.get()), noErr);
  ASSERT_TRUE(recorder_.WaitForBytes(7));

  auto packets = recorder_.Packets();
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_GE(packets[0].stamp, before);  // 0 becomes the time of receipt
  EXPECT_LE(packets[0].stamp, HostTimeNanos());
  EXPECT_EQ(packets[0].bytes, std::vector<Byte>({0x90, 60, 100}));
  EXPECT_EQ(packets[1].stamp, before + 5000000);
  EXPECT_EQ(packets[1].bytes, std::vector<Byte>({0x80, 60, 0, 0xF8}));
  EXPECT_EQ(packets[1].readRefCon, &recorder_);
  EXPECT_EQ(packets[1].connRefCon, &connection);
  EXPECT_NE(packets[1].thread, std::this_thread::get_id());
  EXPECT_EQ(recorder_.Calls(), 1);  // one list per MIDIReceived
}

TEST_F(MidiDelivery, DisconnectedPortHearsNothingMore) {
  MIDIPortRef goneIn = 0, fenceIn = 0;
  MIDIEndpointRef source = 0;
  ASSERT_EQ(MIDIInputPortCreate(client_, CFSTR("Gone"), Recorder::Proc, &gone_, &goneIn), noErr);
  ASSERT_EQ(MIDIInputPortCreate(client_, CFSTR("Fence"), Recorder::Proc, &fence_, &fenceIn), noErr);
  ASSERT_EQ(MIDISourceCreate(client_, CFSTR("Keys"), &source), noErr);
  ASSERT_EQ(MIDIPortConnectSource(goneIn, source, nullptr), noErr);
  ASSERT_EQ(MIDIPortConnectSource(fenceIn, source, nullptr), noErr);
  PacketList note({{0, {0x90, 64, 1}}});
  ASSERT_EQ(MIDIReceived(source, note.get()), noErr);
  ASSERT_TRUE(fence_.WaitForBytes(3));
  ASSERT_TRUE(gone_.WaitForBytes(3));

  ASSERT_EQ(MIDIPortDisconnectSource(goneIn, source), noErr);
  ASSERT_EQ(MIDIReceived(source, note.get()), noErr);
  // Deliveries keep their order, so once the fence has the second note the other port
  // would have had it too.
  ASSERT_TRUE(fence_.WaitForBytes(6));
  EXPECT_EQ(gone_.AllBytes().size(), 3u);
}

TEST_F(MidiDelivery, LongSystemExclusiveArrivesWholeInOneList) {
  MIDIPortRef port = 0;
  MIDIEndpointRef source = 0;
  ASSERT_EQ(MIDIInputPortCreate(client_, CFSTR("In"), Recorder::Proc, &recorder_, &port), noErr);
  ASSERT_EQ(MIDISourceCreate(client_, CFSTR("Librarian"), &source), noErr);
  ASSERT_EQ(MIDIPortConnectSource(port, source, nullptr), noErr);
  std::vector<Byte> sysex(1000);
  for (size_t i = 0; i < sysex.size(); ++i) sysex[i] = Byte(i % 128);
  sysex.front() = 0xF0;
  sysex.back() = 0xF7;
  std::vector<uint8_t> storage(MIDIPacketListSizeFor(ByteCount(sysex.size())));
  auto* list = reinterpret_cast<MIDIPacketList*>(storage.data());
  ASSERT_NE(MIDIPacketListAdd(list, ByteCount(storage.size()), MIDIPacketListInit(list), 77, ByteCount(sysex.size()),
                              sysex.data()),
            nullptr);
  ASSERT_EQ(MIDIReceived(source, list), noErr);
  ASSERT_TRUE(recorder_.WaitForBytes(sysex.size()));
  EXPECT_EQ(recorder_.AllBytes(), sysex);
  EXPECT_EQ(recorder_.Calls(), 1);
  for (const auto& p : recorder_.Packets()) EXPECT_EQ(p.stamp, 77u);
}

TEST_F(MidiDelivery, SendToVirtualDestinationKeepsPacketsAndStamps) {
  MIDIEndpointRef dest = 0;
  MIDIPortRef out = 0;
  ASSERT_EQ(MIDIDestinationCreate(client_, CFSTR("Capture"), Recorder::Proc, &recorder_, &dest), noErr);
  ASSERT_EQ(MIDIOutputPortCreate(client_, CFSTR("Out"), &out), noErr);
  const uint64_t later = HostTimeNanos() + 1000000000ull;
  PacketList list({{later, {0xB0, 7, 90}}, {later + 10, {0xC0, 5}}});
  ASSERT_EQ(MIDISend(out, dest, list.get()), noErr);
  ASSERT_TRUE(recorder_.WaitForBytes(5));  // at once, not at the stamp
  auto packets = recorder_.Packets();
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].stamp, later);
  EXPECT_EQ(packets[0].bytes, std::vector<Byte>({0xB0, 7, 90}));
  EXPECT_EQ(packets[1].stamp, later + 10);
  EXPECT_EQ(packets[1].bytes, std::vector<Byte>({0xC0, 5}));
  EXPECT_EQ(packets[0].readRefCon, &recorder_);
}

// A read procedure that never returns must not hang the shut-down (and with it the quit).
std::atomic<bool> gProcEntered{false};
std::atomic<bool> gProcReleased{false};

void StuckProc(const MIDIPacketList*, void*, void*) {
  gProcEntered.store(true);
  for (int i = 0; i < 20000 && !gProcReleased.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST_F(MidiDelivery, AReadProcedureThatNeverReturnsDoesNotHangTheShutDown) {
  MIDIPortRef port = 0;
  MIDIEndpointRef source = 0;
  ASSERT_EQ(MIDIInputPortCreate(client_, CFSTR("In"), StuckProc, nullptr, &port), noErr);
  ASSERT_EQ(MIDISourceCreate(client_, CFSTR("Keys"), &source), noErr);
  ASSERT_EQ(MIDIPortConnectSource(port, source, nullptr), noErr);
  PacketList list({{0, {0x90, 60, 100}}});
  ASSERT_EQ(MIDIReceived(source, list.get()), noErr);
  for (int i = 0; i < 5000 && !gProcEntered.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(gProcEntered.load());
  std::thread([] {  // lets the procedure go after a while, should the shut-down wait for it
    std::this_thread::sleep_for(std::chrono::seconds(10));
    gProcReleased.store(true);
  }).detach();

  ShutDownMidiServices();  // returns although the procedure is still inside
  EXPECT_FALSE(gProcReleased.load());
  gProcReleased.store(true);
  ShutDownMidiServices();  // the thread has gone now: the layer shuts down for good
  EXPECT_FALSE(MidiServicesRunning());
}

}  // namespace
