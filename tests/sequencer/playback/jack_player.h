// A JACK client with one MIDI output port that plays the messages a test hands it, one per
// cycle: what a keyboard plugged into the sequencer's MIDI input would send.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class JackPlayer {
 public:
  JackPlayer();
  ~JackPlayer();
  // False when no JACK server runs.
  bool Open(const std::string& prefix);
  void Close();
  const std::string& Name() const { return name_; }
  // The display name of the port as a MIDI source of the sequencer's layer.
  std::string SourceName() const { return name_ + " out"; }
  // True once the sequencer's MIDI layer reads the output port.
  bool Connected(const std::string& layerName) const;
  // Sends a three-byte message in the next cycle; false while the one before is still waiting.
  bool Send(uint8_t status, uint8_t data1, uint8_t data2);
  // The same for a message of two bytes (a time-code quarter frame, a program change).
  bool SendTwo(uint8_t status, uint8_t data1);
  bool Idle() const { return s_->pending.load() == 0; }

 private:
  struct Shared {
    jack_client_t* client = nullptr;
    jack_port_t* out = nullptr;
    std::atomic<uint32_t> pending{0};  // bit 24 set: bytes 0..2 wait to be sent (bit 25: only 0..1)
  };
  static int Process(jack_nframes_t frames, void* arg);
  std::shared_ptr<Shared> s_;
  bool open_ = false;
  std::string name_;
};
