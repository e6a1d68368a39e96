// The table of open units: ids, lock-free lookup, the busy byte, opening and closing.
#include "platform/audiounit/audio_unit_instance.h"

#include <chrono>
#include <cstdio>

#include "platform/audiounit/audio_unit_component_table.h"
#include "platform/threads/word_waits.h"

namespace {

constexpr uint32_t kSlotCount = 1024;
constexpr uint32_t kSlotBits = 11;           // slot + 1 fits in 11 bits
constexpr uint64_t kBusyWaitNanos = 1000000000;  // a render lasts far less than this
constexpr auto kRetireAfter = std::chrono::seconds(2);

// A slot outlives the units it holds, so a thread that still has an old id finds a slot whose
// id no longer matches instead of freed memory.
struct AudioUnitSlot {
  std::atomic<AudioUnit> id{0};
  std::atomic<uint8_t> busy{0};
  std::atomic<AudioUnitInstance*> unit{nullptr};
  uint32_t generation = 0;
};

AudioUnitSlot gSlots[kSlotCount];

// Closed units are freed a while later, in case a thread still reads their control values.
struct RetiredUnit {
  AudioUnitInstance* unit;
  std::chrono::steady_clock::time_point when;
};
// Never destroyed, so the units still waiting stay reachable at exit.
std::vector<RetiredUnit>& gRetired = *new std::vector<RetiredUnit>();

void FreeRetiredUnits() {
  auto now = std::chrono::steady_clock::now();
  for (size_t i = 0; i < gRetired.size();) {
    if (now - gRetired[i].when >= kRetireAfter) {
      delete gRetired[i].unit;
      gRetired[i] = gRetired.back();
      gRetired.pop_back();
    } else {
      ++i;
    }
  }
}

AudioUnitSlot* SlotOf(AudioUnit unit) {
  uint32_t index = (unit & ((1u << kSlotBits) - 1));
  if (index == 0 || index > kSlotCount) return nullptr;
  AudioUnitSlot* slot = &gSlots[index - 1];
  return slot->id.load(std::memory_order_acquire) == unit ? slot : nullptr;
}

bool TakeBusy(AudioUnitSlot* slot) {
  uint8_t expected = 0;
  return slot->busy.compare_exchange_strong(expected, 1, std::memory_order_acquire);
}

OSStatus Refuse(const std::string& uri, const std::string& reason) {
  std::fprintf(stderr, "The LV2 plug-in %s cannot be used: %s\n", uri.c_str(), reason.c_str());
  return kAudioUnitErr_FailedInitialization;
}

}  // namespace

AudioUnitInstance* FindAudioUnit(AudioUnit unit) {
  AudioUnitSlot* slot = SlotOf(unit);
  return slot != nullptr ? slot->unit.load(std::memory_order_acquire) : nullptr;
}

AudioUnitInstance* TryAcquireAudioUnit(AudioUnit unit) {
  AudioUnitSlot* slot = SlotOf(unit);
  if (slot == nullptr || !TakeBusy(slot)) return nullptr;
  if (slot->id.load(std::memory_order_acquire) != unit) {  // closed meanwhile
    slot->busy.store(0, std::memory_order_release);
    return nullptr;
  }
  return slot->unit.load(std::memory_order_acquire);
}

AudioUnitInstance* AcquireAudioUnit(AudioUnit unit) {
  AudioUnitSlot* slot = SlotOf(unit);
  if (slot == nullptr) return nullptr;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::nanoseconds(kBusyWaitNanos);
  while (!TakeBusy(slot)) {
    if (std::chrono::steady_clock::now() >= deadline) return nullptr;
    WaitForByteClear(slot->busy, kBusyWaitNanos / 100);
  }
  if (slot->id.load(std::memory_order_acquire) != unit) {
    slot->busy.store(0, std::memory_order_release);
    return nullptr;
  }
  return slot->unit.load(std::memory_order_acquire);
}

void ReleaseAudioUnit(AudioUnit unit) {
  uint32_t index = unit & ((1u << kSlotBits) - 1);
  if (index == 0 || index > kSlotCount) return;
  gSlots[index - 1].busy.store(0, std::memory_order_release);
}

OSStatus OpenAudioUnitInstance(Component component, AudioUnit* unit) {
  *unit = 0;
  FreeRetiredUnits();
  const Lv2Component* c = Lv2ComponentFor(component);
  if (c == nullptr) return invalidComponentID;
  auto u = std::make_unique<AudioUnitInstance>();
  u->component = component;
  u->plugin = c->plugin;
  u->uri = c->uri;
  std::string reason;
  if (!lilv_plugin_verify(c->plugin)) return Refuse(c->uri, "its description is incomplete");
  if (!HostHasRequiredFeatures(c->plugin, &reason))
    return Refuse(c->uri, "it requires the feature " + reason + ", which this host does not provide");
  if (!ReadLv2Ports(u.get(), &reason)) return Refuse(c->uri, reason);
  for (uint32_t i = 0; i < kSlotCount; ++i) {
    AudioUnitSlot& slot = gSlots[i];
    if (slot.unit.load(std::memory_order_relaxed) != nullptr) continue;
    slot.generation = (slot.generation + 1) & ((1u << (32 - kSlotBits)) - 1);
    if (slot.generation == 0) slot.generation = 1;
    u->id = (slot.generation << kSlotBits) | (i + 1);
    LoadFactoryPresets(u.get());
    slot.unit.store(u.release(), std::memory_order_release);
    slot.id.store((slot.generation << kSlotBits) | (i + 1), std::memory_order_release);
    *unit = slot.id.load(std::memory_order_relaxed);
    return noErr;
  }
  return memFullErr;
}

bool CloseAudioUnitInstance(AudioUnit unit) {
  AudioUnitSlot* slot = SlotOf(unit);
  if (slot == nullptr) return false;
  AudioUnitInstance* u = slot->unit.load(std::memory_order_acquire);
  slot->id.store(0, std::memory_order_release);
  // The render of this unit, if one is under way, ends within the bound; a render that starts
  // later sees the id gone.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::nanoseconds(kBusyWaitNanos);
  while (!TakeBusy(slot) && std::chrono::steady_clock::now() < deadline)
    WaitForByteClear(slot->busy, kBusyWaitNanos / 100);
  FreeLv2(u, false);
  if (u->keptState != nullptr) lilv_state_free(u->keptState);
  u->keptState = nullptr;
  FreeFactoryPresets(u);
  slot->unit.store(nullptr, std::memory_order_release);
  slot->busy.store(0, std::memory_order_release);
  gRetired.push_back({u, std::chrono::steady_clock::now()});
  FreeRetiredUnits();
  return true;
}
