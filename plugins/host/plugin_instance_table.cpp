#include <atomic>
#include <new>

#include "plugins/host/plugin_instance.h"

namespace {

constexpr int32_t kInstanceSlots = kPluginInstanceSlots;
std::atomic<int32_t> gInstanceRecords{0};
int32_t gNextSlot = 0;

}  // namespace

// The engine reads slots without a lock: a record is published after it is filled and cleared
// before it is freed, and the main thread frees a record only with the engine stopped or idle.
std::atomic<PluginInstance*> gPluginInstanceSlots[kPluginInstanceSlots];

PluginInstance* NewPluginInstanceRecord() {
  for (int32_t tries = 0; tries < kInstanceSlots; ++tries) {
    int32_t slot = (gNextSlot + tries) % kInstanceSlots;
    if (gPluginInstanceSlots[slot].load(std::memory_order_acquire) != nullptr) continue;
    auto* record = new (std::nothrow) PluginInstance();
    if (record == nullptr) return nullptr;
    record->id = static_cast<uint32_t>(slot + 1);
    gPluginInstanceSlots[slot].store(record, std::memory_order_release);
    gNextSlot = (slot + 1) % kInstanceSlots;
    gInstanceRecords.fetch_add(1, std::memory_order_relaxed);
    return record;
  }
  return nullptr;
}

bool IsLivePluginInstance(const void* record) {
  if (record == nullptr) return false;
  for (int32_t slot = 0; slot < kInstanceSlots; ++slot)
    if (gPluginInstanceSlots[slot].load(std::memory_order_acquire) == record) return true;
  return false;
}

void FreePluginInstanceRecord(PluginInstance* record) {
  if (record == nullptr) return;
  uint32_t id = record->id;
  if (id >= 1 && id <= static_cast<uint32_t>(kInstanceSlots)) {
    PluginInstance* expected = record;
    gPluginInstanceSlots[id - 1].compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel);
  }
  gInstanceRecords.fetch_sub(1, std::memory_order_relaxed);
  delete record;
}


int32_t CountPluginInstanceRecords() { return gInstanceRecords.load(std::memory_order_relaxed); }
