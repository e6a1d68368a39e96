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
  // The same for a real-time byte (a MIDI clock, start or stop).
  bool SendOne(uint8_t status);
  bool Idle() const { return s_->pending.load() == 0; }
  // The JACK frame at which the last message went out (the start of its cycle), and that
  // frame's time on the server's clock in microseconds (the dummy server's cycles wander
  // from the nominal rate, so the time of a frame is the server's, not frame / rate).
  uint64_t LastSentFrame() const { return s_->sentFrame.load(); }
  uint64_t LastSentMicros() const { return s_->sentMicros.load(); }

 private:
  struct Shared {
    jack_client_t* client = nullptr;
    jack_port_t* out = nullptr;
    std::atomic<uint32_t> pending{0};
    std::atomic<uint64_t> sentFrame{0};
    std::atomic<uint64_t> sentMicros{0};  // bit 24 set: bytes 0..2 wait to be sent (bit 25: only 0..1, bit 26: only 0)
  };
  static int Process(jack_nframes_t frames, void* arg);
  std::shared_ptr<Shared> s_;
  bool open_ = false;
  std::string name_;
};
