// The layer's life and its MIDI thread (private to platform/coremidi). The MIDI thread calls
// the read procedures (everything received goes through one lock-free queue to it) and does
// the drivers' slow work that their real-time or notification threads ask for.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/coremidi/midi_types.h"

// Starts the layer when it is not running; false when it could not start.
bool EnsureMidiServices();
// Lock-free.
bool MidiServicesRunning();

// Wakes the MIDI thread (safe from a real-time thread: a semaphore post).
void WakeMidiServer();
// Asks the MIDI thread to run the driver's rescan soon (from any thread).
enum MidiServerRequest : uint32_t {
  kMidiRequestJackRescan = 1,
  kMidiRequestJackGone = 2,
  kMidiRequestAlsaRescan = 4,
  kMidiRequestSynthRate = 8,
};
void RequestMidiServerWork(uint32_t requests);
bool OnMidiServerThread();

// ---- input delivery

enum MidiDeliveryMode : uint8_t {
  kDeliverToConnections = 0,  // target: a source; every input port connected to it
  kDeliverToDestination = 1,  // target: a virtual destination; its read procedure
};

// A new batch number: the packets of one batch are handed to a read procedure in one list
// (the last packet of a batch is queued with endsBatch).
uint32_t NextMidiDeliveryBatch();
// Queues bytes (split into chunks that fit a queue entry). Lock-free; when the queue is full
// a caller that may wait retries for up to 50 ms, others give up at once; what did not fit is
// dropped and counted, and the answer is false.
bool QueueMidiDelivery(MIDIObjectRef target, MidiDeliveryMode mode, uint32_t batch, bool endsBatch,
                       MIDITimeStamp stamp, const Byte* bytes, size_t length, bool mayWait);
// Messages dropped because the queue was full, since the layer started.
uint64_t MidiDeliveryDropCount();

// Waits (at most a couple of seconds) until no read procedure is running, and keeps them
// from starting until the guard goes. Does not wait when made on the MIDI thread itself.
class MidiDeliveryGuard {
 public:
  MidiDeliveryGuard();
  ~MidiDeliveryGuard();
  MidiDeliveryGuard(const MidiDeliveryGuard&) = delete;
  MidiDeliveryGuard& operator=(const MidiDeliveryGuard&) = delete;

 private:
  bool held_ = false;
};
