#include "platform/jack/jack_client_lifetime.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

bool AwaitJackCycleEnd(JackCycleGate& gate, const char* who) {
  const uint64_t now = gate.cycle.load();
  if ((now & 1) == 0) return true;
  for (int i = 0; i < 2000; ++i) {
    if (gate.cycle.load() != now) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::fprintf(stderr, "%s: a process cycle has run for over 2 s\n", who);
  return false;
}

namespace {
// Closes handed to a thread of their own that have not finished. libjack holds its global
// lock while one hangs, so an open made meanwhile would wait on that lock for good.
std::atomic<int> gPendingCloses{0};
}  // namespace

bool WaitForPendingJackCloses(int milliseconds) {
  for (int waited = 0; gPendingCloses.load() > 0; ++waited) {
    if (waited >= milliseconds) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

bool CloseJackClientWithin(jack_client_t* client, const char* who) {
  struct Closing {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
  };
  auto closing = std::make_shared<Closing>();
  gPendingCloses.fetch_add(1);
  std::thread([client, closing] {
    jack_client_close(client);
    gPendingCloses.fetch_sub(1);
    std::lock_guard<std::mutex> guard(closing->lock);
    closing->finished = true;
    closing->done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> guard(closing->lock);
  if (closing->done.wait_for(guard, std::chrono::seconds(2), [&] { return closing->finished; })) return true;
  std::fprintf(stderr, "%s: the JACK client did not close within 2 s; going on without it\n", who);
  return false;
}

bool CloseGatedJackClient(JackCycleGate& gate, jack_client_t* client, const char* who) {
  gate.active.store(nullptr);
  AwaitJackCycleEnd(gate, who);
  return CloseJackClientWithin(client, who);
}
