// The kernel vocabulary of the semaphore and thread-policy calls: result codes, port names and
// the time-out record. Ports here are small 32-bit names issued by this layer (0: none).
#pragma once

#include <cstdint>

using kern_return_t = int32_t;
using integer_t = int32_t;
using natural_t = uint32_t;
using boolean_t = int32_t;
using mach_port_t = uint32_t;
using task_t = mach_port_t;
using thread_act_t = mach_port_t;
using semaphore_t = mach_port_t;
using mach_msg_type_number_t = natural_t;

constexpr kern_return_t KERN_SUCCESS = 0;
constexpr kern_return_t KERN_INVALID_ARGUMENT = 4;
constexpr kern_return_t KERN_RESOURCE_SHORTAGE = 6;
constexpr kern_return_t KERN_ABORTED = 14;
constexpr kern_return_t KERN_TERMINATED = 37;
constexpr kern_return_t KERN_OPERATION_TIMED_OUT = 49;

constexpr mach_port_t MACH_PORT_NULL = 0;

// A relative time: whole seconds and nanoseconds (0..999,999,999).
struct mach_timespec_t {
  uint32_t tv_sec = 0;
  int32_t tv_nsec = 0;
};

// The one task: this process.
task_t mach_task_self();
