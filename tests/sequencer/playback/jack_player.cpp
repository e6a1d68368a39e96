#include "tests/sequencer/playback/jack_player.h"

#include <jack/midiport.h>
#include <unistd.h>

#include "tests/platform/coremidi/jack_test_support.h"

namespace {

constexpr uint32_t kWaiting = 1u << 24;
constexpr uint32_t kTwoBytes = 1u << 25;
constexpr uint32_t kOneByte = 1u << 26;

}  // namespace

JackPlayer::JackPlayer() : s_(std::make_shared<Shared>()) {}

JackPlayer::~JackPlayer() { Close(); }

bool JackPlayer::Open(const std::string& prefix) {
  name_ = prefix + std::to_string(getpid());
  Shared& s = *s_;
  s.client = jack_client_open(name_.c_str(), JackNoStartServer, nullptr);
  if (s.client == nullptr) return false;
  open_ = true;
  s.out = jack_port_register(s.client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  jack_set_process_callback(s.client, Process, &s);
  return s.out != nullptr && jack_activate(s.client) == 0;
}

void JackPlayer::Close() {
  if (!open_) return;
  open_ = false;
  jack_test::CloseClientWithin(s_->client, s_);
}

bool JackPlayer::Connected(const std::string& layerName) const {
  if (!open_ || s_->out == nullptr) return false;
  const std::string ours = layerName + ":";
  const char** ports = jack_port_get_all_connections(s_->client, s_->out);
  bool found = false;
  for (size_t i = 0; ports != nullptr && ports[i] != nullptr; ++i)
    if (std::string(ports[i]).compare(0, ours.size(), ours) == 0) found = true;
  if (ports != nullptr) jack_free(ports);
  return found;
}

bool JackPlayer::Send(uint8_t status, uint8_t data1, uint8_t data2) {
  uint32_t expected = 0;
  uint32_t message = kWaiting | uint32_t(status) << 16 | uint32_t(data1) << 8 | data2;
  return s_->pending.compare_exchange_strong(expected, message);
}

bool JackPlayer::SendTwo(uint8_t status, uint8_t data1) {
  uint32_t expected = 0;
  uint32_t message = kWaiting | kTwoBytes | uint32_t(status) << 16 | uint32_t(data1) << 8;
  return s_->pending.compare_exchange_strong(expected, message);
}

bool JackPlayer::SendOne(uint8_t status) {
  uint32_t expected = 0;
  uint32_t message = kWaiting | kOneByte | uint32_t(status) << 16;
  return s_->pending.compare_exchange_strong(expected, message);
}

int JackPlayer::Process(jack_nframes_t frames, void* arg) {
  auto* s = static_cast<Shared*>(arg);
  void* buffer = jack_port_get_buffer(s->out, frames);
  jack_midi_clear_buffer(buffer);
  uint32_t message = s->pending.load();
  if (message == 0) return 0;
  const jack_midi_data_t bytes[3] = {jack_midi_data_t(message >> 16), jack_midi_data_t(message >> 8),
                                     jack_midi_data_t(message)};
  jack_midi_event_write(buffer, 0, bytes, (message & kOneByte) ? 1 : (message & kTwoBytes) ? 2 : 3);
  jack_nframes_t frame = jack_last_frame_time(s->client);
  s->sentFrame.store(frame);
  s->sentMicros.store(jack_frames_to_time(s->client, frame));
  s->pending.store(0);
  return 0;
}
