#include "tests/sequencer/midi/midi_fixture.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/midi_port_build.h"
#include "sequencer/midi/midi_port_layout.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/midi_port_table.h"
#include "song/model/song_layout.h"

std::vector<Captured> gCaptured;

namespace {

int32_t CaptureMessage(uint8_t* record, int32_t port) {
  gCaptured.push_back({uint8_t(port), std::vector<uint8_t>(record + 6, record + record[1])});
  return 0;
}

void KeepReceived(const MIDIPacketList* list, void* refCon, void*) {
  auto* test = static_cast<MidiTest*>(refCon);
  const MIDIPacket* p = &list->packet[0];
  for (UInt32 i = 0; i < list->numPackets; ++i, p = MIDIPacketNext(p)) test->Keep(p->timeStamp, p->data, p->length);
}

}  // namespace

void MidiTest::Keep(uint64_t stamp, const uint8_t* data, size_t n) {
  std::lock_guard<std::mutex> guard(mutex);
  received.push_back({stamp, std::vector<uint8_t>(data, data + n)});
}

void MidiTest::SetUp() {
  setenv("ZARIN_MIDI_DRIVERS", "virtual", 1);
  ClockTest::SetUp();
  OSStatus s = MidiInit();
  ASSERT_TRUE(s == noErr || s == -1) << s;
  SetDriverProcById(kCaptureProc, CaptureMessage);
  gCaptured.clear();
}

void MidiTest::TearDown() {
  SetDriverProcById(kCaptureProc, nullptr);
  if (destination) MIDIEndpointDispose(destination);
  MidiShutDown();
  DisposeDefaultInputProcessor();
  ClearHostTimeBase();
  ClockTest::TearDown();
}

int32_t MidiTest::MakeDestination(const char* name) {
  CFStringRef text = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
  EXPECT_EQ(noErr, MIDIDestinationCreate(gMidiDriver.client, text, KeepReceived, this, &destination));
  CFRelease(text);
  BuildPortTable(true);
  uint32_t uid = GetEndpointUniqueID(destination);
  for (int32_t i = 0; i < gPortCount; ++i)
    if (ReadU32BE(*gPortTable + i * kPortEntrySize + kPortUniqueId) == uid) return i;
  ADD_FAILURE() << "destination not in the port table";
  return -1;
}

std::vector<Received> MidiTest::WaitForReceived(size_t n) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(mutex);
      if (received.size() >= n || std::chrono::steady_clock::now() > until) return received;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void RouteSongTracks(Handle song, uint32_t proc, uint8_t port) {
  uint8_t* s = reinterpret_cast<uint8_t*>(*song);
  uint8_t* e = s + kSongHeaderSize;
  for (uint16_t t = 0; t < ReadU16BE(s + kSongTrackCount); ++t) {
    WriteU32BE(e + kTrackDriverProc, proc);
    e[kTrackMidiOutput] = port;
    e += ReadU16BE(e + kTrackLength);
  }
}
