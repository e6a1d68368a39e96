// Helpers for tests that make JACK clients of their own with plain libjack.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/system/host_time.h"

namespace jack_test {

// Host time minus JACK time in nanoseconds, from the closest pair of a few readings.
inline int64_t HostMinusJackNanos() {
  int64_t best = 0;
  uint64_t bestSpan = UINT64_MAX;
  for (int i = 0; i < 7; ++i) {
    uint64_t before = HostTimeNanos();
    jack_time_t jack = jack_get_time();
    uint64_t after = HostTimeNanos();
    if (after - before < bestSpan) {
      bestSpan = after - before;
      best = int64_t((before + after) / 2) - int64_t(jack) * 1000;
    }
  }
  return best;
}

// Closes a client on a thread of its own, waiting at most 10 s (libjack's close can hang).
// keepAlive is what the client's callbacks use: the closing thread holds it until the close
// has ended, so callbacks of a close that outlasts the wait never see it freed. False when
// the close did not end in time.
inline bool CloseClientWithin(jack_client_t* client, std::shared_ptr<void> keepAlive = nullptr) {
  if (client == nullptr) return true;
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread([client, done, keepAlive] {
    jack_client_close(client);
    done->store(true);
  }).detach();
  for (int i = 0; i < 1000 && !done->load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done->load();
}

// Undoes every connection between a port of the named clients and a port of a client not
// named. Layers of other programs on the server connect to every MIDI port, and a client that
// runs slowly (a sanitizer build) or is stopped holds up each client it feeds; a layer leaves
// a connection that was undone alone.
inline void IsolateClients(jack_client_t* client, const std::vector<std::string>& names) {
  auto named = [&](const std::string& port) {
    for (const std::string& name : names)
      if (port.compare(0, name.size() + 1, name + ":") == 0) return true;
    return false;
  };
  for (const std::string& name : names) {
    const char** ports = jack_get_ports(client, ("^" + name + ":").c_str(), nullptr, 0);
    for (size_t i = 0; ports != nullptr && ports[i] != nullptr; ++i) {
      jack_port_t* port = jack_port_by_name(client, ports[i]);
      const char** others = port != nullptr ? jack_port_get_all_connections(client, port) : nullptr;
      const bool output = port != nullptr && (jack_port_flags(port) & JackPortIsOutput) != 0;
      for (size_t k = 0; others != nullptr && others[k] != nullptr; ++k) {
        if (named(others[k])) continue;
        if (output) jack_disconnect(client, ports[i], others[k]);
        else jack_disconnect(client, others[k], ports[i]);
      }
      if (others != nullptr) jack_free(others);
    }
    if (ports != nullptr) jack_free(ports);
  }
}

// How far a server's frame clock wanders against the host clock: the cycle start time JACK
// reports less the nominal time of the cycle's first frame (counted from the first cycle
// seen), its spread since Mark. A server kept from running on time (an overloaded machine)
// wanders, and frame times then do not match host times. Follow runs in the process callback.
class ClockWander {
 public:
  static constexpr double kDisturbedMicros = 500;  // a wander past this spoils a timing check

  void Follow(jack_client_t* client, jack_nframes_t start, jack_nframes_t sampleRate) {
    jack_nframes_t frame = 0;
    jack_time_t startUs = 0, nextUs = 0;
    float periodUs = 0;
    if (jack_get_cycle_times(client, &frame, &startUs, &nextUs, &periodUs) != 0 || frame != start) return;
    if (!haveFirst_) {
      firstFrame_ = start;
      haveFirst_ = true;
    }
    int64_t nominal = int64_t(uint64_t(start - firstFrame_) * 1000000000 / sampleRate);
    int64_t wander = int64_t(startUs) * 1000 - nominal;
    if (mark_.exchange(false)) {
      min_.store(wander);
      max_.store(wander);
    }
    if (wander < min_.load()) min_.store(wander);
    if (wander > max_.load()) max_.store(wander);
  }
  void Mark() { mark_.store(true); }
  double Micros() const { return double(max_.load() - min_.load()) / 1000; }

 private:
  jack_nframes_t firstFrame_ = 0;
  bool haveFirst_ = false;
  std::atomic<bool> mark_{false};
  std::atomic<int64_t> min_{0}, max_{0};
};

}  // namespace jack_test
