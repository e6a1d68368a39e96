#include "tests/shell/program/jack_midi_clients.h"

#include <jack/midiport.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "tests/platform/coremidi/jack_test_support.h"

namespace program_test {

namespace {

constexpr size_t kCaptureCapacity = 4096;
constexpr size_t kSendCapacity = 256;

// True when a port of client is connected to port.
bool ConnectedTo(jack_client_t* client, jack_port_t* port, const std::string& other) {
  if (!client || !port) return false;
  const std::string prefix = other + ":";
  const char** ports = jack_port_get_all_connections(client, port);
  bool found = false;
  for (size_t i = 0; ports && ports[i]; ++i)
    if (std::string(ports[i]).compare(0, prefix.size(), prefix) == 0) found = true;
  if (ports) jack_free(ports);
  return found;
}

// A client of the name with one MIDI port, running the callback; null when no JACK server
// runs (or the port could not be made).
jack_client_t* OpenMidiClient(const std::string& name, bool output, JackProcessCallback process, void* arg,
                              jack_port_t** port) {
  jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
  if (!client) return nullptr;
  *port = jack_port_register(client, output ? "out" : "in", JACK_DEFAULT_MIDI_TYPE,
                             output ? JackPortIsOutput : JackPortIsInput, 0);
  jack_set_process_callback(client, process, arg);
  if (*port && jack_activate(client) == 0) return client;
  jack_test::CloseClientWithin(client);
  return nullptr;
}

// Undoes every connection of port but those with a port of the other client.
void KeepOnlyConnectionsWith(jack_client_t* client, jack_port_t* port, const std::string& other) {
  if (!client || !port) return;
  const std::string prefix = other + ":";
  const char** ports = jack_port_get_all_connections(client, port);
  const bool output = (jack_port_flags(port) & JackPortIsOutput) != 0;
  for (size_t i = 0; ports && ports[i]; ++i) {
    if (std::string(ports[i]).compare(0, prefix.size(), prefix) == 0) continue;
    if (output) jack_disconnect(client, jack_port_name(port), ports[i]);
    else jack_disconnect(client, ports[i], jack_port_name(port));
  }
  if (ports) jack_free(ports);
}

}  // namespace

struct MidiCapture::Shared {
  jack_client_t* client = nullptr;
  jack_port_t* in = nullptr;
  std::array<CapturedEvent, kCaptureCapacity> events;
  std::atomic<size_t> count{0};
};

MidiCapture::MidiCapture() : s_(std::make_shared<Shared>()) {}

MidiCapture::~MidiCapture() {
  if (s_->client) jack_test::CloseClientWithin(s_->client, s_);
}

bool MidiCapture::Open(const std::string& prefix) {
  name_ = prefix + std::to_string(getpid());
  s_->client = OpenMidiClient(name_, false, Process, s_.get(), &s_->in);
  return s_->client != nullptr;
}

int MidiCapture::Process(jack_nframes_t frames, void* arg) {
  Shared& s = *static_cast<Shared*>(arg);
  void* buffer = jack_port_get_buffer(s.in, frames);
  jack_nframes_t start = jack_last_frame_time(s.client);
  for (uint32_t i = 0, n = jack_midi_get_event_count(buffer); i < n; ++i) {
    jack_midi_event_t e;
    size_t at = s.count.load(std::memory_order_relaxed);
    if (jack_midi_event_get(&e, buffer, i) != 0 || at >= kCaptureCapacity) continue;
    CapturedEvent& out = s.events[at];
    out.frame = uint64_t(start) + e.time;
    out.size = uint8_t(std::min<size_t>(e.size, 3));
    std::memcpy(out.bytes, e.buffer, out.size);
    s.count.store(at + 1, std::memory_order_release);
  }
  return 0;
}

uint32_t MidiCapture::SampleRate() const { return s_->client ? jack_get_sample_rate(s_->client) : 48000; }

bool MidiCapture::FedBy(const std::string& client) const { return ConnectedTo(s_->client, s_->in, client); }

void MidiCapture::KeepOnly(const std::string& client) { KeepOnlyConnectionsWith(s_->client, s_->in, client); }

std::vector<CapturedEvent> MidiCapture::Events() const {
  size_t n = s_->count.load(std::memory_order_acquire);
  return std::vector<CapturedEvent>(s_->events.begin(), s_->events.begin() + long(n));
}

struct MidiKeyboard::Shared {
  jack_client_t* client = nullptr;
  jack_port_t* out = nullptr;
  std::array<std::array<uint8_t, 3>, kSendCapacity> queue;
  std::atomic<size_t> written{0}, sent{0};
};

MidiKeyboard::MidiKeyboard() : s_(std::make_shared<Shared>()) {}

MidiKeyboard::~MidiKeyboard() {
  if (s_->client) jack_test::CloseClientWithin(s_->client, s_);
}

bool MidiKeyboard::Open(const std::string& prefix) {
  name_ = prefix + std::to_string(getpid());
  s_->client = OpenMidiClient(name_, true, Process, s_.get(), &s_->out);
  return s_->client != nullptr;
}

int MidiKeyboard::Process(jack_nframes_t frames, void* arg) {
  Shared& s = *static_cast<Shared*>(arg);
  void* buffer = jack_port_get_buffer(s.out, frames);
  jack_midi_clear_buffer(buffer);
  size_t sent = s.sent.load(std::memory_order_relaxed);
  size_t written = s.written.load(std::memory_order_acquire);
  for (; sent < written; ++sent) jack_midi_event_write(buffer, 0, s.queue[sent % kSendCapacity].data(), 3);
  s.sent.store(sent, std::memory_order_release);
  return 0;
}

bool MidiKeyboard::Feeds(const std::string& client) const { return ConnectedTo(s_->client, s_->out, client); }

void MidiKeyboard::KeepOnly(const std::string& client) { KeepOnlyConnectionsWith(s_->client, s_->out, client); }

void MidiKeyboard::Send(uint8_t status, uint8_t data1, uint8_t data2) {
  size_t at = s_->written.load(std::memory_order_relaxed);
  if (at - s_->sent.load(std::memory_order_acquire) >= kSendCapacity) return;
  s_->queue[at % kSendCapacity] = {status, data1, data2};
  s_->written.store(at + 1, std::memory_order_release);
}

}  // namespace program_test
