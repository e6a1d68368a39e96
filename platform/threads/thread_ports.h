// Thread identities as kernel port names: each POSIX thread that asks gets one 32-bit name,
// the same from mach_thread_self() inside it and pthread_mach_thread_np() outside it.
#pragma once

#include <pthread.h>

#include "platform/memory/mac_types.h"
#include "platform/threads/mach_kernel.h"

// The calling thread's name. Cheap after the first call on a thread (no lock, no allocation).
thread_act_t mach_thread_self();
// The name of any thread of this process; MACH_PORT_NULL when the table of names is full.
mach_port_t pthread_mach_thread_np(pthread_t thread);
// The thread behind a name; false for a name this layer never issued.
Boolean PthreadOfThreadPort(thread_act_t port, pthread_t* thread);
