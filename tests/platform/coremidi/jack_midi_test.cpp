// JACK MIDI through the server the test command starts (jackd on its dummy backend): a client
// made here with plain libjack captures what the layer sends and plays into the layer.
// Skipped when no JACK server runs.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "platform/coremidi/core_midi.h"
#include "platform/coremidi/midi_drivers.h"
#include "platform/system/host_time.h"
#include "tests/platform/coremidi/jack_test_support.h"
#include "tests/platform/coremidi/midi_test_support.h"
#include "tests/test_support.h"

namespace {

using midi_test::PacketList;
using midi_test::ReceivedPacket;
using midi_test::Recorder;

struct CapturedEvent {
  jack_nframes_t frame;
  jack_nframes_t expected;  // the frame of its note's stamp, by JACK's clock in the cycle it came in
  Byte bytes[3];
  size_t size;
};

// A JACK client with a MIDI input (records events with their frame) or a MIDI output (plays a
// note-on when asked, remembering its frame). Two clients, not one with both ports: the layer
// connects to both ports, and a loop through one client would delay one direction by a
// period.
struct CaptureClient : std::enable_shared_from_this<CaptureClient> {
  jack_client_t* client = nullptr;
  jack_client_t* self = nullptr;  // for the process callback, which may run until the close ends
  jack_nframes_t sampleRate = 48000;
  jack_port_t* in = nullptr;
  jack_port_t* out = nullptr;
  std::string name;
  CapturedEvent events[64];
  std::atomic<int> count{0};
  // Host time stamps by note number of the notes sent to the input, and host minus JACK time.
  std::atomic<MIDITimeStamp> stampOfNote[128] = {};
  std::atomic<int64_t> clockOffset{0};
  std::atomic<bool> playRequested{false};
  std::atomic<Byte> playNote{64};
  std::atomic<bool> played{false};
  jack_time_t playedTime = 0;  // JACK time of the played note's frame, taken in its cycle
  // Cycles that began well after they should have, and cycles the server reports as overrun
  // (an overloaded machine, or a non-real-time server falling behind): frame times are not to
  // be trusted across them, and events may be lost in them.
  std::atomic<int> stalls{0};
  uint64_t lastCycle = 0;
  jack_test::ClockWander wander;

  static int Process(jack_nframes_t frames, void* arg) {
    auto* c = static_cast<CaptureClient*>(arg);
    jack_nframes_t start = jack_last_frame_time(c->self);
    uint64_t now = HostTimeNanos();
    uint64_t period = uint64_t(frames) * 1000000000 / c->sampleRate;
    if (c->lastCycle != 0 && now - c->lastCycle > 3 * period) c->stalls.fetch_add(1);
    c->lastCycle = now;
    c->wander.Follow(c->self, start, c->sampleRate);
    void* inBuffer = c->in != nullptr ? jack_port_get_buffer(c->in, frames) : nullptr;
    for (uint32_t i = 0; inBuffer != nullptr && i < jack_midi_get_event_count(inBuffer); ++i) {
      jack_midi_event_t ev;
      int n = c->count.load();
      if (jack_midi_event_get(&ev, inBuffer, i) != 0 || n >= 64) continue;
      c->events[n].frame = start + ev.time;
      c->events[n].size = std::min<size_t>(ev.size, 3);
      std::copy(ev.buffer, ev.buffer + c->events[n].size, c->events[n].bytes);
      MIDITimeStamp stamp = ev.size >= 2 ? c->stampOfNote[ev.buffer[1] & 127].load() : 0;
      c->events[n].expected = jack_time_to_frames(c->self, jack_time_t((int64_t(stamp) - c->clockOffset.load()) / 1000));
      c->count.store(n + 1);
    }
    if (c->out == nullptr) return 0;
    void* outBuffer = jack_port_get_buffer(c->out, frames);
    jack_midi_clear_buffer(outBuffer);
    if (c->playRequested.exchange(false)) {
      const Byte noteOn[3] = {0x91, c->playNote.load(), 99};
      jack_midi_event_write(outBuffer, 17, noteOn, 3);
      c->playedTime = jack_frames_to_time(c->self, start + 17);
      c->played.store(true);
    }
    return 0;
  }

  static int OnXrun(void* arg) {
    static_cast<CaptureClient*>(arg)->stalls.fetch_add(1);
    return 0;
  }

  // The index of the first captured event from index from with these bytes, or -1.
  int Find(int from, const std::vector<Byte>& bytes) const {
    for (int i = from; i < count.load(); ++i)
      if (std::vector<Byte>(events[i].bytes, events[i].bytes + events[i].size) == bytes) return i;
    return -1;
  }

  bool Open(const char* prefix, bool input) {
    name = prefix + std::to_string(getpid());
    client = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
    if (client == nullptr) return false;
    self = client;
    sampleRate = jack_get_sample_rate(client);
    jack_port_t*& port = input ? in : out;
    port = jack_port_register(client, input ? "in" : "out", JACK_DEFAULT_MIDI_TYPE,
                              input ? JackPortIsInput : JackPortIsOutput, 0);
    jack_set_process_callback(client, Process, this);
    jack_set_xrun_callback(client, OnXrun, this);
    return port != nullptr && jack_activate(client) == 0;
  }

  // The closing thread keeps this alive until the close ends (the callbacks use it).
  void Close() {
    jack_test::CloseClientWithin(client, shared_from_this());
    client = nullptr;
  }

  // Host time minus JACK time in nanoseconds, the way the layer measures it.
  static int64_t ClockOffset() { return jack_test::HostMinusJackNanos(); }
};

template <typename Predicate>
bool WaitUntil(Predicate done) {
  for (int i = 0; i < 300; ++i) {
    if (done()) return true;
    MIDIDeliverPendingNotifications();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

void NoteAdded(const MIDINotification* message, void* refCon) {
  if (message->messageID == kMIDIMsgObjectAdded) static_cast<std::atomic<int>*>(refCon)->fetch_add(1);
}

class JackMidi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MIDIClientCreate(CFSTR("Tests"), NoteAdded, &added_, &client_), noErr);
    if (!capture_->Open("midicap-", true)) GTEST_SKIP() << "no JACK server runs (tools/services start starts one)";
    ASSERT_TRUE(player_->Open("midiplay-", false));
    ASSERT_EQ(MIDIOutputPortCreate(client_, CFSTR("Out"), &out_), noErr);
    ASSERT_EQ(MIDIInputPortCreate(client_, CFSTR("In"), Recorder::Proc, &recorder_, &in_), noErr);
    // The layer learns of the new clients from JACK and reports them.
    ASSERT_TRUE(WaitUntil([&] {
      return midi_test::FindDestination(capture_->name + " in") != 0 && midi_test::FindSource(player_->name + " out") != 0;
    }));
    MIDIDeliverPendingNotifications();
    EXPECT_GE(added_.load(), 6);  // two devices, two entities, two endpoints
    dest_ = midi_test::FindDestination(capture_->name + " in");
    source_ = midi_test::FindSource(player_->name + " out");
    // Connected to our layer's ports, and to no other program's layer.
    const std::string toCapture = layerName_ + ":to " + capture_->name + "/in";
    const std::string fromPlayer = layerName_ + ":from " + player_->name + "/out";
    ASSERT_TRUE(WaitUntil([&] {
      return jack_port_connected_to(capture_->in, toCapture.c_str()) && jack_port_connected_to(player_->out, fromPlayer.c_str());
    }));
    Isolate();
  }
  // Programs that started since connect to our clients too; cut them off again.
  void Isolate() { jack_test::IsolateClients(capture_->client, {layerName_, capture_->name, player_->name}); }
  void TearDown() override { ShutDownMidiServices(); }
  ~JackMidi() override {
    capture_->Close();
    player_->Close();
  }

  zarin_test::ScopedEnv drivers_{"ZARIN_MIDI_DRIVERS", "jack"};
  const std::string layerName_ = "Zarin-test-" + std::to_string(getpid());
  zarin_test::ScopedEnv clientName_{"ZARIN_JACK_CLIENT_NAME", layerName_};
  std::atomic<int> added_{0};
  Recorder recorder_;
  std::shared_ptr<CaptureClient> capture_ = std::make_shared<CaptureClient>();
  std::shared_ptr<CaptureClient> player_ = std::make_shared<CaptureClient>();
  MIDIClientRef client_ = 0;
  MIDIPortRef out_ = 0, in_ = 0;
  MIDIEndpointRef dest_ = 0, source_ = 0;
};

// Timing is checked on an attempt during which the server ran on time; on an attempt with an
// overrun (an overloaded machine) events may be late or lost, and another attempt is made. The tolerance is one period (when JACK runs the clients of a cycle
// in another order, an event is taken a period later), and a little for the jitter of JACK's
// clock.
constexpr int kAttempts = 10;
constexpr double kTolerancePeriods = 1.05;

// After an overrun the layer keeps its frame line (messages wait the time the server lost)
// while output goes on; a pause this long makes it lay a new one on the server's timing.
void PauseOutput() { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }

TEST_F(JackMidi, FutureStampedNotesArriveAtTheirFrames) {
  const double tolerance = kTolerancePeriods * jack_get_buffer_size(capture_->client);
  capture_->clockOffset.store(CaptureClient::ClockOffset());
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Isolate();
    const int first = capture_->count.load();
    const int stalls = capture_->stalls.load();
    capture_->wander.Mark();
    const Byte on = Byte(60 + 2 * attempt), off = Byte(on + 1);
    const std::vector<Byte> bytes[2] = {{0x90, on, 100}, {0x80, off, 0}};
    const uint64_t now = HostTimeNanos();
    capture_->stampOfNote[on].store(now + 20000000);
    capture_->stampOfNote[off].store(now + 35000000);
    PacketList list({{now + 20000000, bytes[0]}, {now + 35000000, bytes[1]}});
    ASSERT_EQ(MIDISend(out_, dest_, list.get()), noErr);
    bool arrived = WaitUntil([&] { return capture_->Find(first, bytes[1]) >= 0; });
    if (capture_->stalls.load() != stalls) {  // overrun: events may be late or lost
      std::printf("attempt %d: the server overran (arrived %d)\n", attempt + 1, int(arrived));
      PauseOutput();
      continue;
    }

    ASSERT_TRUE(arrived);
    const int at[2] = {capture_->Find(first, bytes[0]), capture_->Find(first, bytes[1])};
    ASSERT_GE(at[0], 0) << "the note-on is missing";
    EXPECT_LT(at[0], at[1]) << "the notes came out of order";
    // A server that ran late: its frames are off the host clock the stamps are on.
    if (capture_->wander.Micros() > jack_test::ClockWander::kDisturbedMicros) {
      PauseOutput();
      continue;
    }
    for (int i = 0; i < 2; ++i) {
      const CapturedEvent& ev = capture_->events[at[i]];
      int64_t error = int32_t(ev.frame - ev.expected);
      EXPECT_LE(std::abs(double(error)), tolerance) << "event " << i << " is " << error << " frames off";
    }
    return;
  }
  GTEST_SKIP() << "the JACK server overran in every attempt (machine overloaded)";
}

TEST_F(JackMidi, MessagesSentAfterTheirTimeGoOutAtOnceAndAreCountedLate) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Isolate();
    const uint64_t late = JackMidiLateCount();
    const int stalls = capture_->stalls.load();
    const int first = capture_->count.load();
    const uint64_t now = HostTimeNanos();
    const std::vector<Byte> past = {0x92, Byte(20 + 2 * attempt), 1}, ahead = {0x92, Byte(21 + 2 * attempt), 1};
    // Due 10 s ago (further back than a server recovering from a stall lags behind the host
    // clock, so no cycle of it can still hold that time), then 30 ms ahead (beyond the
    // output's lead: on time).
    PacketList list({{now - 10000000000ull, past}, {now + 30000000, ahead}});
    ASSERT_EQ(MIDISend(out_, dest_, list.get()), noErr);
    bool arrived = WaitUntil([&] { return capture_->Find(first, ahead) >= 0; });
    // An overrun may lose messages, and a server that stalled for 30 ms makes both late.
    if (capture_->stalls.load() != stalls) {
      std::printf("attempt %d: the server overran (arrived %d)\n", attempt + 1, int(arrived));
      PauseOutput();
      continue;
    }

    ASSERT_TRUE(arrived) << capture_->count.load() - first << " messages came, " << JackMidiDropCount() << " dropped, "
                         << JackMidiLateCount() - late << " late";
    const int at = capture_->Find(first, past);
    ASSERT_GE(at, 0) << "the late message was dropped";
    EXPECT_LT(at, capture_->Find(first, ahead));
    EXPECT_EQ(JackMidiLateCount() - late, 1u);
    return;
  }
  GTEST_SKIP() << "the JACK server overran in every attempt (machine overloaded)";
}

TEST_F(JackMidi, InputIsStampedWithTheHostTimeOfItsFrame) {
  int connection = 0;
  ASSERT_EQ(MIDIPortConnectSource(in_, source_, &connection), noErr);
  const double tolerance =
      kTolerancePeriods * jack_get_buffer_size(player_->client) * 1e9 / jack_get_sample_rate(player_->client);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Isolate();
    const int stalls = player_->stalls.load();
    const Byte note = Byte(64 + attempt);
    const std::vector<Byte> want = {0x91, note, 99};
    player_->playNote.store(note);
    player_->played.store(false);
    player_->playRequested.store(true);
    auto find = [&] {
      for (const ReceivedPacket& p : recorder_.Packets())
        if (p.bytes == want) return p;
      return ReceivedPacket{};
    };
    bool arrived = WaitUntil([&] { return !find().bytes.empty(); });
    if (player_->stalls.load() != stalls) {  // overrun: the note may be late or lost
      std::printf("attempt %d: the server overran (arrived %d)\n", attempt + 1, int(arrived));
      PauseOutput();
      continue;
    }

    ASSERT_TRUE(arrived);
    ASSERT_TRUE(player_->played.load());
    ReceivedPacket got = find();
    EXPECT_EQ(got.connRefCon, &connection);
    const int64_t expected = int64_t(player_->playedTime) * 1000 + CaptureClient::ClockOffset();
    EXPECT_LE(std::abs(double(int64_t(got.stamp) - expected)), tolerance)
        << "stamp " << got.stamp << ", frame time " << expected;
    return;
  }
  GTEST_SKIP() << "the JACK server overran in every attempt (machine overloaded)";
}

TEST_F(JackMidi, EndpointIDsAreTheSameAfterARestart) {
  SInt32 destID = 0, sourceID = 0;
  ASSERT_EQ(MIDIObjectGetIntegerProperty(dest_, kMIDIPropertyUniqueID, &destID), noErr);
  ASSERT_EQ(MIDIObjectGetIntegerProperty(source_, kMIDIPropertyUniqueID, &sourceID), noErr);
  EXPECT_EQ(midi_test::StringProperty(dest_, kMIDIPropertyName), "in");
  MIDIEntityRef entity = 0;
  MIDIDeviceRef device = 0;
  ASSERT_EQ(MIDIEndpointGetEntity(dest_, &entity), noErr);
  ASSERT_EQ(MIDIEntityGetDevice(entity, &device), noErr);
  EXPECT_EQ(midi_test::StringProperty(device, kMIDIPropertyName), capture_->name);

  ShutDownMidiServices();
  MIDIEndpointRef dest = midi_test::FindDestination(capture_->name + " in");
  MIDIEndpointRef source = midi_test::FindSource(player_->name + " out");
  ASSERT_NE(dest, 0u);
  SInt32 again = 0;
  ASSERT_EQ(MIDIObjectGetIntegerProperty(dest, kMIDIPropertyUniqueID, &again), noErr);
  EXPECT_EQ(again, destID);
  ASSERT_EQ(MIDIObjectGetIntegerProperty(source, kMIDIPropertyUniqueID, &again), noErr);
  EXPECT_EQ(again, sourceID);
}

TEST_F(JackMidi, ClosedClientsEndpointsAreRemoved) {
  capture_->Close();
  EXPECT_TRUE(WaitUntil([&] { return midi_test::FindDestination(capture_->name + " in") == 0; }));
  EXPECT_NE(midi_test::FindSource(player_->name + " out"), 0u);  // the other client stays
}

}  // namespace
