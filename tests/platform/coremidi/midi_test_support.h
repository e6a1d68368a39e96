// Helpers for the MIDI tests: a read procedure that records what it gets, packet lists built
// from byte vectors, endpoints found by name, and RMS over sample buffers.
#pragma once

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/coremidi/core_midi.h"

namespace midi_test {

// Set before main so that no JACK client of the tests starts a server.
inline const bool kNoJackAutostart = (setenv("JACK_NO_START_SERVER", "1", 1), true);

struct ReceivedPacket {
  MIDITimeStamp stamp = 0;
  std::vector<Byte> bytes;
  void* readRefCon = nullptr;
  void* connRefCon = nullptr;
  std::thread::id thread;
};

// Records every packet given to Proc (with this as the read reference).
class Recorder {
 public:
  static void Proc(const MIDIPacketList* list, void* readRefCon, void* connRefCon) {
    auto* self = static_cast<Recorder*>(readRefCon);
    std::lock_guard<std::mutex> guard(self->lock_);
    const MIDIPacket* p = &list->packet[0];
    for (UInt32 i = 0; i < list->numPackets; ++i) {
      self->packets_.push_back({p->timeStamp, std::vector<Byte>(p->data, p->data + p->length), readRefCon, connRefCon,
                                std::this_thread::get_id()});
      p = MIDIPacketNext(p);
    }
    self->calls_++;
    self->changed_.notify_all();
  }

  // Waits (at most 3 s) until bytes totalling at least n have arrived.
  bool WaitForBytes(size_t n) {
    std::unique_lock<std::mutex> guard(lock_);
    return changed_.wait_for(guard, std::chrono::seconds(3), [&] { return TotalLocked() >= n; });
  }

  std::vector<ReceivedPacket> Packets() {
    std::lock_guard<std::mutex> guard(lock_);
    return packets_;
  }

  std::vector<Byte> AllBytes() {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<Byte> all;
    for (auto& p : packets_) all.insert(all.end(), p.bytes.begin(), p.bytes.end());
    return all;
  }

  int Calls() {
    std::lock_guard<std::mutex> guard(lock_);
    return calls_;
  }

 private:
  size_t TotalLocked() const {
    size_t n = 0;
    for (auto& p : packets_) n += p.bytes.size();
    return n;
  }

  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<ReceivedPacket> packets_;
  int calls_ = 0;
};

// A packet list built with MIDIPacketListAdd (so entries with equal stamps may join).
class PacketList {
 public:
  explicit PacketList(const std::vector<std::pair<MIDITimeStamp, std::vector<Byte>>>& packets) {
    size_t size = 4;
    for (auto& p : packets) size += MIDIPacketSpan(ByteCount(p.second.size()));
    storage_.resize(size + 16);
    auto* list = reinterpret_cast<MIDIPacketList*>(storage_.data());
    MIDIPacket* cur = MIDIPacketListInit(list);
    for (auto& p : packets) {
      cur = MIDIPacketListAdd(list, ByteCount(storage_.size()), cur, p.first, ByteCount(p.second.size()), p.second.data());
    }
  }
  const MIDIPacketList* get() const { return reinterpret_cast<const MIDIPacketList*>(storage_.data()); }

 private:
  std::vector<uint8_t> storage_;
};

inline std::string StringProperty(MIDIObjectRef obj, CFStringRef property) {
  CFStringRef value = nullptr;
  if (MIDIObjectGetStringProperty(obj, property, &value) != noErr) return "<none>";
  std::string text = CFStringToUTF8(value);
  CFRelease(value);
  return text;
}

inline MIDIEndpointRef FindDestination(const std::string& displayName) {
  for (ItemCount i = 0; i < MIDIGetNumberOfDestinations(); ++i)
    if (StringProperty(MIDIGetDestination(i), kMIDIPropertyDisplayName) == displayName) return MIDIGetDestination(i);
  return 0;
}

inline MIDIEndpointRef FindSource(const std::string& displayName) {
  for (ItemCount i = 0; i < MIDIGetNumberOfSources(); ++i)
    if (StringProperty(MIDIGetSource(i), kMIDIPropertyDisplayName) == displayName) return MIDIGetSource(i);
  return 0;
}

inline double Rms(const std::vector<float>& samples, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double(samples[i]) * samples[i];
  return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

}  // namespace midi_test
