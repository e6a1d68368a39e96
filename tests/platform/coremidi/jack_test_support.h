// Helpers for tests that make JACK clients of their own with plain libjack.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

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

// Closes a client on a thread of its own, waiting at most 2 s (libjack's close can hang).
inline void CloseClientWithin(jack_client_t* client) {
  if (client == nullptr) return;
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread([client, done] {
    jack_client_close(client);
    done->store(true);
  }).detach();
  for (int i = 0; i < 200 && !done->load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace jack_test
