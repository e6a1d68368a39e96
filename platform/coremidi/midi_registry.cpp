// The object table.
#include "platform/coremidi/midi_registry.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <unordered_map>

#include "platform/coremidi/midi_notifications.h"

namespace {

constexpr uint32_t kSlotBits = 12;
static_assert((size_t(1) << kSlotBits) == kMaxMidiObjects);
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;

struct Slot {
  std::atomic<uint32_t> ref{0};
  std::atomic<uint8_t> kind{0};
  std::atomic<uint8_t> driver{0};
  std::atomic<uint32_t> index{0};
  uint32_t generation = 0;  // guarded by the registry lock
};

struct Registry {
  std::mutex lock;
  Slot slots[kMaxMidiObjects];
  std::unique_ptr<MidiObject> objects[kMaxMidiObjects];
  std::deque<uint32_t> freeSlots;
  std::vector<MIDIObjectRef> devices, sources, destinations, clients;
  std::unordered_map<MIDIUniqueID, MIDIObjectRef> byUniqueID;

  Registry() {
    for (uint32_t i = 0; i < kMaxMidiObjects; ++i) freeSlots.push_back(i);
  }
};

// Never freed: the send path may read a slot while the layer shuts down.
Registry& R() {
  static Registry* registry = new Registry;
  return *registry;
}

std::vector<MIDIObjectRef>* ListFor(MidiObjectKind kind) {
  switch (kind) {
    case kMidiKindDevice: return &R().devices;
    case kMidiKindSource: return &R().sources;
    case kMidiKindDestination: return &R().destinations;
    case kMidiKindClient: return &R().clients;
    default: return nullptr;
  }
}

void Erase(std::vector<MIDIObjectRef>& list, MIDIObjectRef ref) {
  list.erase(std::remove(list.begin(), list.end(), ref), list.end());
}

MIDIUniqueID FreeUniqueID(MIDIUniqueID candidate) {
  while (candidate == 0 || R().byUniqueID.count(candidate) != 0) candidate = MIDIUniqueID(uint32_t(candidate) + 1);
  return candidate;
}

}  // namespace

std::mutex& MidiRegistryLock() { return R().lock; }

MIDIUniqueID HashMidiKey(const std::string& key) {
  uint32_t h = 2166136261u;
  for (unsigned char c : key) {
    h ^= c;
    h *= 16777619u;
  }
  return MIDIUniqueID(h);
}

bool ReadMidiRoute(MIDIObjectRef ref, MidiRoute* route) {
  if (ref == 0) return false;
  Slot& slot = R().slots[ref & kSlotMask];
  if (slot.ref.load(std::memory_order_acquire) != ref) return false;
  route->kind = MidiObjectKind(slot.kind.load(std::memory_order_relaxed));
  route->driver = MidiDriverKind(slot.driver.load(std::memory_order_relaxed));
  route->index = slot.index.load(std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_acquire);
  return slot.ref.load(std::memory_order_relaxed) == ref;
}

MidiObject* FindMidiObjectLocked(MIDIObjectRef ref) {
  if (ref == 0) return nullptr;
  MidiObject* obj = R().objects[ref & kSlotMask].get();
  return obj != nullptr && obj->ref == ref ? obj : nullptr;
}

MidiObject* FindMidiObjectOfKindLocked(MIDIObjectRef ref, MidiObjectKind kind) {
  MidiObject* obj = FindMidiObjectLocked(ref);
  return obj != nullptr && obj->kind == kind ? obj : nullptr;
}

MidiObject* CreateMidiObjectLocked(MidiObjectKind kind, MidiDriverKind driver, uint32_t driverIndex,
                                   const std::string& key) {
  Registry& r = R();
  if (r.freeSlots.empty()) return nullptr;
  uint32_t index = r.freeSlots.front();
  r.freeSlots.pop_front();
  Slot& slot = r.slots[index];
  slot.generation = (slot.generation + 1) & ((1u << (32 - kSlotBits)) - 1);
  if (slot.generation == 0) slot.generation = 1;
  auto obj = std::make_unique<MidiObject>();
  obj->ref = (slot.generation << kSlotBits) | index;
  obj->kind = kind;
  obj->driver = driver;
  obj->driverIndex = driverIndex;
  obj->key = key;
  if (kind != kMidiKindClient && kind != kMidiKindInputPort && kind != kMidiKindOutputPort) {
    obj->uniqueID = FreeUniqueID(HashMidiKey(key));
    r.byUniqueID[obj->uniqueID] = obj->ref;
  }
  slot.kind.store(kind, std::memory_order_relaxed);
  slot.driver.store(driver, std::memory_order_relaxed);
  slot.index.store(driverIndex, std::memory_order_relaxed);
  slot.ref.store(obj->ref, std::memory_order_release);
  if (auto* list = ListFor(kind)) list->push_back(obj->ref);
  MidiObject* raw = obj.get();
  r.objects[index] = std::move(obj);
  return raw;
}

void DestroyMidiObjectLocked(MIDIObjectRef ref) {
  Registry& r = R();
  MidiObject* obj = FindMidiObjectLocked(ref);
  if (obj == nullptr) return;
  uint32_t index = ref & kSlotMask;
  Slot& slot = r.slots[index];
  slot.ref.store(0, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  if (auto* list = ListFor(obj->kind)) Erase(*list, ref);
  if (obj->uniqueID != 0) r.byUniqueID.erase(obj->uniqueID);
  if (MidiObject* parent = FindMidiObjectLocked(obj->parent)) Erase(parent->children, ref);
  if (MidiObject* owner = FindMidiObjectLocked(obj->owner)) Erase(owner->owned, ref);
  if (obj->kind == kMidiKindSource) {
    for (auto& other : r.objects) {
      if (!other || other->kind != kMidiKindInputPort) continue;
      auto& c = other->connections;
      c.erase(std::remove_if(c.begin(), c.end(), [ref](const MidiConnection& m) { return m.source == ref; }), c.end());
    }
  }
  r.objects[index].reset();
  r.freeSlots.push_back(index);
}

void SetMidiDriverIndexLocked(MidiObject* obj, uint32_t driverIndex) {
  obj->driverIndex = driverIndex;
  R().slots[obj->ref & kSlotMask].index.store(driverIndex, std::memory_order_relaxed);
}

OSStatus SetMidiUniqueIDLocked(MidiObject* obj, MIDIUniqueID id) {
  if (obj->uniqueID == id) return noErr;
  if (id == 0 || R().byUniqueID.count(id) != 0) return kMIDIIDNotUnique;
  if (obj->uniqueID != 0) R().byUniqueID.erase(obj->uniqueID);
  obj->uniqueID = id;
  R().byUniqueID[id] = obj->ref;
  return noErr;
}

MidiObject* FindMidiObjectByUniqueIDLocked(MIDIUniqueID id) {
  auto it = R().byUniqueID.find(id);
  return it == R().byUniqueID.end() ? nullptr : FindMidiObjectLocked(it->second);
}

MIDIObjectType MidiObjectTypeOf(MidiObjectKind kind) {
  switch (kind) {
    case kMidiKindDevice: return kMIDIObjectType_Device;
    case kMidiKindEntity: return kMIDIObjectType_Entity;
    case kMidiKindSource: return kMIDIObjectType_Source;
    case kMidiKindDestination: return kMIDIObjectType_Destination;
    default: return kMIDIObjectType_Other;
  }
}

void SetMidiStringPropertyLocked(MidiObject* obj, const std::string& name, const std::string& value) {
  MidiPropertyValue& v = obj->properties[name];
  v.type = MidiPropertyValue::kString;
  v.text = value;
}

void SetMidiIntegerPropertyLocked(MidiObject* obj, const std::string& name, SInt32 value) {
  MidiPropertyValue& v = obj->properties[name];
  v.type = MidiPropertyValue::kInteger;
  v.integer = value;
}

std::string MidiObjectNameLocked(const MidiObject* obj) {
  auto it = obj->properties.find("name");
  return it != obj->properties.end() && it->second.type == MidiPropertyValue::kString ? it->second.text : std::string();
}

std::vector<MIDIObjectRef>& MidiDevicesLocked() { return R().devices; }
std::vector<MIDIObjectRef>& MidiSourcesLocked() { return R().sources; }
std::vector<MIDIObjectRef>& MidiDestinationsLocked() { return R().destinations; }
std::vector<MIDIObjectRef>& MidiClientsLocked() { return R().clients; }

std::vector<MIDIObjectRef> MidiObjectsOfDriverLocked(MidiDriverKind driver) {
  std::vector<MIDIObjectRef> refs;
  for (auto& obj : R().objects)
    if (obj && obj->driver == driver) refs.push_back(obj->ref);
  return refs;
}

void ClearMidiRegistryLocked() {
  for (auto& obj : R().objects)
    if (obj) DestroyMidiObjectLocked(obj->ref);
}

// ---- reconciling a driver's endpoints

namespace {

// Finds the driver's object of the kind with the key, or null.
MidiObject* FindByKey(MidiDriverKind driver, MidiObjectKind kind, const std::string& key) {
  for (auto& obj : R().objects)
    if (obj && obj->driver == driver && obj->kind == kind && obj->key == key) return obj.get();
  return nullptr;
}

// Follows a name change made by the driver; a name the user gave the object stays until the
// driver's own name changes.
void Rename(MidiObject* obj, const std::string& name, bool notify) {
  if (obj->driverName == name) return;
  obj->driverName = name;
  if (MidiObjectNameLocked(obj) == name) return;
  bool had = obj->properties.count("name") != 0;
  SetMidiStringPropertyLocked(obj, "name", name);
  if (had && notify) QueueMidiPropertyChanged(obj->ref, MidiObjectTypeOf(obj->kind), "name");
}

MidiObject* EnsureObject(MidiDriverKind driver, MidiObjectKind kind, const std::string& key, const std::string& name,
                         MidiObject* parent, uint32_t driverIndex, bool notify, bool* added) {
  MidiObject* obj = FindByKey(driver, kind, key);
  if (obj == nullptr) {
    obj = CreateMidiObjectLocked(kind, driver, driverIndex, key);
    if (obj == nullptr) return nullptr;
    SetMidiStringPropertyLocked(obj, "name", name);
    obj->driverName = name;
    if (kind == kMidiKindDestination) SetMidiIntegerPropertyLocked(obj, "receiveChannels", 0xFFFF);
    if (kind == kMidiKindSource) SetMidiIntegerPropertyLocked(obj, "transmitChannels", 0xFFFF);
    if (parent != nullptr) {
      obj->parent = parent->ref;
      parent->children.push_back(obj->ref);
    }
    if (notify)
      QueueMidiObjectAdded(parent ? parent->ref : 0, parent ? MidiObjectTypeOf(parent->kind) : kMIDIObjectType_Other,
                           obj->ref, MidiObjectTypeOf(kind));
    *added = true;
  } else {
    Rename(obj, name, notify);
    if (obj->driverIndex != driverIndex) SetMidiDriverIndexLocked(obj, driverIndex);
  }
  return obj;
}

void RemoveWithNotice(MidiObject* obj, bool notify) {
  if (notify) {
    MidiObject* parent = FindMidiObjectLocked(obj->parent);
    QueueMidiObjectRemoved(parent ? parent->ref : 0, parent ? MidiObjectTypeOf(parent->kind) : kMIDIObjectType_Other,
                           obj->ref, MidiObjectTypeOf(obj->kind));
  }
  DestroyMidiObjectLocked(obj->ref);
}

}  // namespace

bool ReconcileMidiDriverLocked(MidiDriverKind driver, const std::vector<MidiEndpointSpec>& endpointSpecs, bool notify) {
  bool changed = false;
  std::vector<MIDIObjectRef> keep;
  for (const MidiEndpointSpec& endpointSpec : endpointSpecs) {
    MidiObject* device = EnsureObject(driver, kMidiKindDevice, endpointSpec.deviceKey, endpointSpec.deviceName, nullptr, 0, notify, &changed);
    if (device == nullptr) continue;
    if (!endpointSpec.manufacturer.empty()) SetMidiStringPropertyLocked(device, "manufacturer", endpointSpec.manufacturer);
    if (!endpointSpec.model.empty()) SetMidiStringPropertyLocked(device, "model", endpointSpec.model);
    SetMidiIntegerPropertyLocked(device, "offline", endpointSpec.offline ? 1 : 0);
    MidiObject* entity = EnsureObject(driver, kMidiKindEntity, endpointSpec.entityKey, endpointSpec.entityName, device, 0, notify, &changed);
    if (entity == nullptr) continue;
    MidiObject* endpoint = EnsureObject(driver, endpointSpec.isSource ? kMidiKindSource : kMidiKindDestination, endpointSpec.endpointKey,
                                        endpointSpec.endpointName, entity, endpointSpec.driverIndex, notify, &changed);
    keep.push_back(device->ref);
    keep.push_back(entity->ref);
    if (endpoint != nullptr) keep.push_back(endpoint->ref);
  }
  std::sort(keep.begin(), keep.end());
  // Endpoints first, then entities, then devices, so each removal names a live parent.
  for (MidiObjectKind kind : {kMidiKindSource, kMidiKindDestination, kMidiKindEntity, kMidiKindDevice}) {
    for (MIDIObjectRef ref : MidiObjectsOfDriverLocked(driver)) {
      MidiObject* obj = FindMidiObjectLocked(ref);
      if (obj == nullptr || obj->kind != kind || std::binary_search(keep.begin(), keep.end(), ref)) continue;
      RemoveWithNotice(obj, notify);
      changed = true;
    }
  }
  if (changed && notify) QueueMidiSetupChanged();
  return changed;
}
