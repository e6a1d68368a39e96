// The disk thread: the worker that executes stream reads and decodes (and recorded writes).
#pragma once

#include <cstdint>

// Starts the disk worker (ring of 512); on failure reports the error and halts the sequencer
// ticks. Then frees every read request of the pool (position mode 0x21) and clears each output
// device's channel list. Main thread.
int32_t StartDiskThread();
// The thread's entry: its scheduling (precedence 62, not time-shared), then the worker loop.
void* RunDiskThread(void* worker);
