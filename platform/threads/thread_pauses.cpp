#include "platform/threads/thread_pauses.h"

#include <sched.h>
#include <unistd.h>

void PauseThreadMicros(uint32_t micros) { usleep(useconds_t(micros)); }

void YieldProcessor() { sched_yield(); }
