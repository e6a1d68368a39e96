// What every JACK client of ours needs to end safely: a gate that lets a process callback
// know whether it may still touch our state, a wait for the cycle under way, and a close
// that cannot hang the program.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>

// The callback serves only while `active` names its client. `cycle` is odd while a callback
// is inside its cycle. Both are sequentially consistent: whatever is taken away after the
// gate closes is either seen gone by a cycle or waited for.
struct JackCycleGate {
  std::atomic<jack_client_t*> active{nullptr};
  std::atomic<uint64_t> cycle{0};
};

// Marks a callback inside its cycle for as long as it lives.
class JackCycleScope {
 public:
  explicit JackCycleScope(JackCycleGate& gate) : gate_(gate) { gate_.cycle.fetch_add(1); }
  ~JackCycleScope() { gate_.cycle.fetch_add(1); }
  JackCycleScope(const JackCycleScope&) = delete;
  JackCycleScope& operator=(const JackCycleScope&) = delete;

 private:
  JackCycleGate& gate_;
};

// Waits until no process callback is inside a cycle that began before now: one that begins
// later sees what was taken away before the call. Waits at most two seconds; false (with a
// line on the console naming `who`) when a cycle ran on past that.
bool AwaitJackCycleEnd(JackCycleGate& gate, const char* who);

// Deactivates and closes the client on a thread of its own and waits at most two seconds:
// libjack's close can hang for good when its notification thread is stopped while holding a
// lock, and a quit must not hang with it. A close that does not finish is left behind; false
// then.
bool CloseJackClientWithin(jack_client_t* client, const char* who);

// The end of a client whose callback serves through the gate: the gate closes, the cycle
// under way is waited for, and the client is closed as above. False when the close did not
// finish in time.
bool CloseGatedJackClient(JackCycleGate& gate, jack_client_t* client, const char* who);

// Waits at most that long for closes left behind by CloseJackClientWithin to finish; false
// when one still hangs (a new client must not be opened then: it would wait on the lock the
// hanging close holds).
bool WaitForPendingJackCloses(int milliseconds);
