// Playing songs through the MIDI layer into a JACK MIDI input port of a client made here with
// plain libjack, and measuring when each message arrived: the end-to-end tests and the
// playback timing benchmark share it. No test framework here.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/mac_types.h"
#include "tests/platform/coremidi/jack_test_support.h"

// The bytes kept of one event (system-exclusive packets are up to 240 bytes).
constexpr size_t kCapturedMidiBytes = 256;
struct CapturedMidi {
  uint64_t frame = 0;  // JACK frame time of the event
  uint64_t hostNanos = 0;  // the host time JACK gave that frame in the cycle it came in
  uint8_t bytes[kCapturedMidiBytes] = {};
  uint16_t size = 0;
};

// A JACK client with one MIDI input port that keeps every event with its frame, and counts
// cycles that started late or that the server reports as overrun (frame times are not to be
// trusted across them).
class JackCapture {
 public:
  explicit JackCapture(size_t capacity = 4096);
  ~JackCapture();
  // False when no JACK server runs.
  bool Open(const std::string& prefix);
  void Close();
  const std::string& Name() const { return name_; }
  uint32_t SampleRate() const { return s_->sampleRate; }
  uint32_t Period() const;
  // True once the sequencer's MIDI layer (SequencerJackClientName) is connected to the input
  // port.
  bool Connected() const;
  // Cuts the capture client, the sequencer's layer and the other clients named off from other
  // programs' clients (see jack_test::IsolateClients).
  void KeepOnlyOurLayer(const std::vector<std::string>& others = {});
  // Events kept so far (from index from on).
  std::vector<CapturedMidi> Events(size_t from = 0) const;
  size_t Count() const { return s_->count.load(std::memory_order_acquire); }
  int32_t Stalls() const { return s_->stalls.load(); }
  // How far the server's frame clock wandered against the host clock (the cycle start times
  // JACK reports, less the frames' nominal times) since MarkClock, in microseconds. A server
  // kept from running on time wanders; frame spacing cannot then be judged by host time.
  void MarkClock() { s_->wander.Mark(); }
  double ClockWanderMicros() const { return s_->wander.Micros(); }

 private:
  // What the process callback uses. Shared with the thread that closes the client, so that
  // a close that outlasts its wait never leaves the callback with freed memory.
  struct Shared {
    jack_client_t* client = nullptr;
    jack_port_t* in = nullptr;
    uint32_t sampleRate = 48000;
    std::unique_ptr<CapturedMidi[]> events;
    size_t capacity = 0;
    std::atomic<size_t> count{0};
    std::atomic<int32_t> stalls{0};
    uint64_t lastCycle = 0;
    int64_t hostMinusJack = 0;
    jack_test::ClockWander wander;
  };
  static int Process(jack_nframes_t frames, void* arg);
  static int OnXrun(void* arg);
  std::shared_ptr<Shared> s_;
  bool open_ = false;
  std::string name_;
};

// The sequencer's MIDI driver on JACK only (its client named for this process), with the
// clock on real time and tempo tables at 480 ticks per quarter. Answers the port-table index
// of the capture client's input port, or -1 when it did not appear within 10 s.
int32_t StartSequencerMidiOnJack(const std::string& captureName);
std::string SequencerJackClientName();  // the layer's JACK client
// The port-table index of the first MIDI destination whose name holds clientName, rebuilding
// the table until it appears; -1 when it did not within the time.
int32_t FindSequencerPort(const std::string& clientName, double seconds);
void StopSequencerMidi();

// A Standard MIDI File made in memory.
struct SmfNote {
  uint32_t tick;  // in the file's division
  uint8_t channel, key, velocity;
  uint32_t length;
};
struct SmfTempo {
  uint32_t tick;
  uint32_t microsecondsPerQuarter;
};
// A meter: beats a bar and the beat's note value (4: a quarter, 8: an eighth).
struct SmfMeter {
  uint8_t beats = 4, unit = 4;
};
// Format 1: a tempo track (in the meter), then one track per entry of tracks.
std::vector<uint8_t> MakeSmf(uint16_t division, const std::vector<SmfTempo>& tempos,
                             const std::vector<std::vector<SmfNote>>& tracks, SmfMeter meter = {});
// Imports the file as a new song (the current song); every track plays to the port.
// Answers the song, or a null handle.
Handle OpenSmfAsSong(const std::vector<uint8_t>& file, int32_t port);

// A message the song should send: the song tick it belongs to, and its key (note-on or
// note-off with channel and key).
struct ExpectedMidi {
  uint32_t tick;
  bool on;
  uint8_t channel, key;
};
// The note-ons and note-offs of the notes (file ticks at division 480 = song ticks - 1).
std::vector<ExpectedMidi> ExpectedFromNotes(const std::vector<std::vector<SmfNote>>& tracks);

// The captured note messages matched with the expected ones by key, in order.
struct TimingResult {
  bool complete = false;      // every expected message arrived, nothing else of those keys
  bool ordered = false;       // arrived in the order of their ticks (equal ticks: any order)
  size_t matched = 0, expected = 0, unexpected = 0;
  std::vector<double> errorsMicros;  // arrival - conductor time - median offset, in tick order
  std::vector<size_t> errorIndex;    // the expected message of each error
  // The same on the host clock (each frame's time as JACK reckoned it when the event came):
  // the sender's own timing, apart from a server that loses or gains frames.
  std::vector<double> hostErrorsMicros;
  double medianOffsetMicros = 0;
  double firstArrivalHostNanos = 0;  // host time of the first captured note (in its cycle)
  std::string firstProblem;
};
TimingResult CompareTiming(const JackCapture& capture, const std::vector<CapturedMidi>& events,
                           const std::vector<ExpectedMidi>& expected, Handle song);

// Microseconds of song time from tick 1 to tick, by the song's conductor map.
double ConductorMicros(Handle song, uint32_t tick);
// Waits until done() holds, delivering the MIDI layer's notifications meanwhile; false when
// the time ran out first.
template <typename Predicate>
bool WaitUntil(double seconds, Predicate done) {
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    MIDIDeliverPendingNotifications();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
// Runs the transport's idle tasks until the pass ends or the time runs out (bounded).
bool WaitForPassEnd(double seconds);
