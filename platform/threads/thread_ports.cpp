#include "platform/threads/thread_ports.h"

#include <atomic>
#include <mutex>

namespace {

// Names are kThreadPortBase + index into the table. Threads of this process that ever asked
// for a name stay listed; a thread id the system reuses keeps the name, which stays unique
// among the threads alive at any time.
constexpr uint32_t kThreadPortBase = 0x80000000u;
constexpr uint32_t kMaxThreadPorts = 1024;

struct ThreadPortTable {
  std::atomic<pthread_t> threads[kMaxThreadPorts];
  std::atomic<uint32_t> count{0};
  std::mutex addLock;
};

ThreadPortTable& Ports() {
  static ThreadPortTable* table = new ThreadPortTable;  // never destroyed: threads outlive exit
  return *table;
}

mach_port_t FindPort(pthread_t thread) {
  ThreadPortTable& table = Ports();
  uint32_t count = table.count.load(std::memory_order_acquire);
  for (uint32_t i = 0; i < count; ++i) {
    if (pthread_equal(table.threads[i].load(std::memory_order_relaxed), thread)) {
      return kThreadPortBase + i;
    }
  }
  return MACH_PORT_NULL;
}

thread_local mach_port_t tOwnPort = MACH_PORT_NULL;

}  // namespace

task_t mach_task_self() { return 0x103; }

mach_port_t pthread_mach_thread_np(pthread_t thread) {
  if (mach_port_t port = FindPort(thread)) return port;
  ThreadPortTable& table = Ports();
  std::lock_guard<std::mutex> hold(table.addLock);
  if (mach_port_t port = FindPort(thread)) return port;
  uint32_t index = table.count.load(std::memory_order_relaxed);
  if (index >= kMaxThreadPorts) return MACH_PORT_NULL;
  table.threads[index].store(thread, std::memory_order_relaxed);
  table.count.store(index + 1, std::memory_order_release);
  return kThreadPortBase + index;
}

thread_act_t mach_thread_self() {
  if (tOwnPort == MACH_PORT_NULL) tOwnPort = pthread_mach_thread_np(pthread_self());
  return tOwnPort;
}

Boolean PthreadOfThreadPort(thread_act_t port, pthread_t* thread) {
  if (port < kThreadPortBase || thread == nullptr) return false;
  uint32_t index = port - kThreadPortBase;
  if (index >= Ports().count.load(std::memory_order_acquire)) return false;
  *thread = Ports().threads[index].load(std::memory_order_relaxed);
  return true;
}
