// Thread scheduling policies over POSIX scheduling. Fixed precedence and time-constraint threads
// run under SCHED_FIFO when the system allows it; when it does not (no privilege, no rtprio
// limit, or real-time scheduling switched off), they stay under normal scheduling and one note
// goes to the console for the whole program. The calls still succeed then: the program runs,
// only with weaker timing.
#pragma once

#include <pthread.h>

#include "platform/memory/mac_types.h"
#include "platform/threads/mach_kernel.h"
#include "platform/threads/thread_ports.h"

using thread_policy_flavor_t = natural_t;
using thread_policy_t = integer_t*;

constexpr thread_policy_flavor_t THREAD_EXTENDED_POLICY = 1;
constexpr thread_policy_flavor_t THREAD_TIME_CONSTRAINT_POLICY = 2;
constexpr thread_policy_flavor_t THREAD_PRECEDENCE_POLICY = 3;

// One word: non-zero asks for ordinary time sharing (normal scheduling).
struct thread_extended_policy_data_t {
  boolean_t timeshare;
};
// Host-clock units (nanoseconds here). computation must be non-zero and at most constraint.
struct thread_time_constraint_policy_data_t {
  uint32_t period;
  uint32_t computation;
  uint32_t constraint;
  boolean_t preemptible;
};
// One word: the importance; above 0 it asks for a fixed real-time priority.
struct thread_precedence_policy_data_t {
  integer_t importance;
};

constexpr mach_msg_type_number_t THREAD_EXTENDED_POLICY_COUNT = 1;
constexpr mach_msg_type_number_t THREAD_TIME_CONSTRAINT_POLICY_COUNT = 4;
constexpr mach_msg_type_number_t THREAD_PRECEDENCE_POLICY_COUNT = 1;

// SCHED_FIFO priorities of this program's real-time threads, highest first: Time Manager tasks,
// time-constraint threads, then fixed precedence (importance 63 -> 70, 62 -> 69, 60 -> 67).
constexpr int kTimerTaskFifoPriority = 80;
constexpr int kTimeConstraintFifoPriority = 75;
int FifoPriorityForImportance(integer_t importance);

// Sets a flavour's policy on a thread named by mach_thread_self / pthread_mach_thread_np.
// KERN_INVALID_ARGUMENT for an unknown thread or flavour, a null record, a count below the
// flavour's, or a time constraint whose computation is 0 or exceeds its constraint.
kern_return_t thread_policy_set(thread_act_t thread, thread_policy_flavor_t flavor,
                                thread_policy_t policyInfo, mach_msg_type_number_t count);

// The POSIX level under it. SetThreadFifoPriority returns true when SCHED_FIFO was granted.
Boolean SetThreadFifoPriority(pthread_t thread, int priority);
void SetThreadNormalScheduling(pthread_t thread);

// Real-time scheduling is tried unless ZARIN_NO_REALTIME is set in the environment (any value
// but "0"); tests and tools may switch it.
void SetRealtimeSchedulingEnabled(Boolean enabled);
Boolean RealtimeSchedulingEnabled();

// What the system answered to this program's real-time requests so far.
enum RealtimeGrant : int { kRealtimeUntried = 0, kRealtimeGranted = 1, kRealtimeRefused = 2 };
RealtimeGrant RealtimeSchedulingGrant();
