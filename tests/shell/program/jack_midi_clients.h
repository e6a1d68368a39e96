// Two small JACK clients of the test's own, with plain libjack, that stand for the MIDI devices
// around the program: a capture client whose input port keeps every MIDI event with its frame
// time, and a keyboard client whose output port plays what the test hands it.
#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace program_test {

struct CapturedEvent {
  uint64_t frame = 0;  // JACK frame time
  uint8_t bytes[3] = {};
  uint8_t size = 0;
};

class MidiCapture {
 public:
  MidiCapture();
  ~MidiCapture();
  // A client named prefix + this process's id with one MIDI input port "in"; false when no
  // JACK server runs.
  bool Open(const std::string& prefix);
  const std::string& Name() const { return name_; }
  uint32_t SampleRate() const;
  // True when a port of the named client feeds the input port.
  bool FedBy(const std::string& client) const;
  // Undoes every connection of the port but those with the named client (other programs of
  // ours on the server connect to every MIDI port).
  void KeepOnly(const std::string& client);
  std::vector<CapturedEvent> Events() const;

 private:
  struct Shared;
  static int Process(jack_nframes_t frames, void* arg);
  std::shared_ptr<Shared> s_;
  std::string name_;
};

class MidiKeyboard {
 public:
  MidiKeyboard();
  ~MidiKeyboard();
  // A client named prefix + this process's id with one MIDI output port "out".
  bool Open(const std::string& prefix);
  const std::string& Name() const { return name_; }
  bool Feeds(const std::string& client) const;
  void KeepOnly(const std::string& client);
  // A three-byte message, written in the next cycle.
  void Send(uint8_t status, uint8_t data1, uint8_t data2);

 private:
  struct Shared;
  static int Process(jack_nframes_t frames, void* arg);
  std::shared_ptr<Shared> s_;
  std::string name_;
};

}  // namespace program_test
