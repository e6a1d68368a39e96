#include "platform/threads/thread_policy.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kEnabledUnread = -1;

std::atomic<int> gRealtimeEnabled{kEnabledUnread};
std::atomic<int> gRealtimeGrant{kRealtimeUntried};
std::atomic<bool> gFallbackNoted{false};

void NoteFallbackOnce(const char* reason) {
  if (gFallbackNoted.exchange(true)) return;
  std::fprintf(stderr,
               "zarin: real-time scheduling is not available (%s); timer, engine and disk threads "
               "run under normal scheduling\n",
               reason);
}

kern_return_t SetExtendedPolicy(pthread_t thread, const integer_t* info,
                                mach_msg_type_number_t count) {
  if (count < THREAD_EXTENDED_POLICY_COUNT) return KERN_INVALID_ARGUMENT;
  if (info[0] != 0) SetThreadNormalScheduling(thread);
  return KERN_SUCCESS;
}

kern_return_t SetPrecedencePolicy(pthread_t thread, const integer_t* info,
                                  mach_msg_type_number_t count) {
  if (count < THREAD_PRECEDENCE_POLICY_COUNT) return KERN_INVALID_ARGUMENT;
  if (info[0] <= 0) {
    SetThreadNormalScheduling(thread);
  } else {
    SetThreadFifoPriority(thread, FifoPriorityForImportance(info[0]));
  }
  return KERN_SUCCESS;
}

kern_return_t SetTimeConstraintPolicy(pthread_t thread, const integer_t* info,
                                      mach_msg_type_number_t count) {
  if (count < THREAD_TIME_CONSTRAINT_POLICY_COUNT) return KERN_INVALID_ARGUMENT;
  uint32_t computation = uint32_t(info[1]);
  uint32_t constraint = uint32_t(info[2]);
  if (computation == 0 || computation > constraint) return KERN_INVALID_ARGUMENT;
  SetThreadFifoPriority(thread, kTimeConstraintFifoPriority);
  return KERN_SUCCESS;
}

}  // namespace

int FifoPriorityForImportance(integer_t importance) { return std::clamp(importance, 1, 63) + 7; }

kern_return_t thread_policy_set(thread_act_t thread, thread_policy_flavor_t flavor,
                                thread_policy_t policyInfo, mach_msg_type_number_t count) {
  pthread_t target;
  if (policyInfo == nullptr || !PthreadOfThreadPort(thread, &target)) return KERN_INVALID_ARGUMENT;
  switch (flavor) {
    case THREAD_EXTENDED_POLICY:
      return SetExtendedPolicy(target, policyInfo, count);
    case THREAD_PRECEDENCE_POLICY:
      return SetPrecedencePolicy(target, policyInfo, count);
    case THREAD_TIME_CONSTRAINT_POLICY:
      return SetTimeConstraintPolicy(target, policyInfo, count);
    default:
      return KERN_INVALID_ARGUMENT;
  }
}

Boolean SetThreadFifoPriority(pthread_t thread, int priority) {
  if (!RealtimeSchedulingEnabled()) {
    NoteFallbackOnce("switched off");
    return false;
  }
  sched_param param{};
  param.sched_priority =
      std::clamp(priority, sched_get_priority_min(SCHED_FIFO), sched_get_priority_max(SCHED_FIFO));
  int error = pthread_setschedparam(thread, SCHED_FIFO, &param);
  if (error == 0) {
    gRealtimeGrant.store(kRealtimeGranted, std::memory_order_relaxed);
    return true;
  }
  gRealtimeGrant.store(kRealtimeRefused, std::memory_order_relaxed);
  NoteFallbackOnce(std::strerror(error));
  return false;
}

void SetThreadNormalScheduling(pthread_t thread) {
  sched_param param{};
  param.sched_priority = 0;
  pthread_setschedparam(thread, SCHED_OTHER, &param);
}

void SetRealtimeSchedulingEnabled(Boolean enabled) {
  gRealtimeEnabled.store(enabled ? 1 : 0, std::memory_order_relaxed);
}

Boolean RealtimeSchedulingEnabled() {
  int enabled = gRealtimeEnabled.load(std::memory_order_relaxed);
  if (enabled == kEnabledUnread) {
    const char* off = std::getenv("ZARIN_NO_REALTIME");
    enabled = (off == nullptr || std::strcmp(off, "0") == 0) ? 1 : 0;
    int expected = kEnabledUnread;
    gRealtimeEnabled.compare_exchange_strong(expected, enabled, std::memory_order_relaxed);
    enabled = gRealtimeEnabled.load(std::memory_order_relaxed);
  }
  return enabled != 0;
}

RealtimeGrant RealtimeSchedulingGrant() {
  return RealtimeGrant(gRealtimeGrant.load(std::memory_order_relaxed));
}
