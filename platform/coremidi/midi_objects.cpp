// The object graph and object properties.
#include <mutex>

#include "platform/coremidi/midi_notifications.h"
#include "platform/coremidi/midi_registry.h"
#include "platform/coremidi/midi_server.h"
#include "platform/coremidi/midi_services.h"

namespace {

bool Start() { return EnsureMidiServices(); }

bool IsPrivateLocked(const MidiObject* obj) {
  auto it = obj->properties.find("private");
  return it != obj->properties.end() && it->second.type == MidiPropertyValue::kInteger && it->second.integer != 0;
}

std::vector<MIDIObjectRef> PublicEndpointsLocked(const std::vector<MIDIObjectRef>& list) {
  std::vector<MIDIObjectRef> out;
  for (MIDIObjectRef ref : list) {
    MidiObject* obj = FindMidiObjectLocked(ref);
    if (obj != nullptr && !IsPrivateLocked(obj)) out.push_back(ref);
  }
  return out;
}

// Children of an object of the kind.
std::vector<MIDIObjectRef> ChildrenLocked(MIDIObjectRef parentRef, MidiObjectKind parentKind, MidiObjectKind kind) {
  std::vector<MIDIObjectRef> out;
  MidiObject* parent = FindMidiObjectOfKindLocked(parentRef, parentKind);
  if (parent == nullptr) return out;
  for (MIDIObjectRef ref : parent->children) {
    MidiObject* child = FindMidiObjectLocked(ref);
    if (child != nullptr && child->kind == kind) out.push_back(ref);
  }
  return out;
}

ItemCount CountOf(const std::vector<MIDIObjectRef>& list) { return ItemCount(list.size()); }
MIDIObjectRef At(const std::vector<MIDIObjectRef>& list, ItemCount index) { return index < list.size() ? list[index] : 0; }

// The property of the object, or of its entity and device for an endpoint or entity.
const MidiPropertyValue* LookUpLocked(const MidiObject* obj, const std::string& name) {
  for (int depth = 0; obj != nullptr && depth < 3; ++depth) {
    auto it = obj->properties.find(name);
    if (it != obj->properties.end()) return &it->second;
    obj = FindMidiObjectLocked(obj->parent);
  }
  return nullptr;
}

std::string DisplayNameLocked(const MidiObject* obj) {
  std::string own = MidiObjectNameLocked(obj);
  if (obj->kind != kMidiKindSource && obj->kind != kMidiKindDestination) return own;
  const MidiObject* entity = FindMidiObjectLocked(obj->parent);
  const MidiObject* device = entity != nullptr ? FindMidiObjectLocked(entity->parent) : nullptr;
  std::string deviceName = device != nullptr ? MidiObjectNameLocked(device) : std::string();
  if (deviceName.empty() || own.empty()) return own.empty() ? deviceName : own;
  if (own.compare(0, deviceName.size(), deviceName) == 0) return own;
  return deviceName + " " + own;
}

std::string Key(CFStringRef propertyID) { return CFStringToUTF8(propertyID); }

// The built-in synth's properties are fixed.
bool ReadOnlyLocked(const MidiObject* obj) { return obj->driver == kMidiDriverSynth; }

OSStatus StoreLocked(MIDIObjectRef ref, const std::string& name, const MidiPropertyValue& value) {
  MidiObject* obj = FindMidiObjectLocked(ref);
  if (obj == nullptr) return kMIDIObjectNotFound;
  if (ReadOnlyLocked(obj)) return kMIDINotPermitted;
  obj->properties[name] = value;
  QueueMidiPropertyChanged(ref, MidiObjectTypeOf(obj->kind), name);
  return noErr;
}

}  // namespace

ItemCount MIDIGetNumberOfDevices() {
  if (!Start()) return 0;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return CountOf(MidiDevicesLocked());
}

MIDIDeviceRef MIDIGetDevice(ItemCount deviceIndex0) {
  if (!Start()) return 0;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return At(MidiDevicesLocked(), deviceIndex0);
}

ItemCount MIDIDeviceGetNumberOfEntities(MIDIDeviceRef device) {
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return CountOf(ChildrenLocked(device, kMidiKindDevice, kMidiKindEntity));
}

MIDIEntityRef MIDIDeviceGetEntity(MIDIDeviceRef device, ItemCount entityIndex0) {
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return At(ChildrenLocked(device, kMidiKindDevice, kMidiKindEntity), entityIndex0);
}

ItemCount MIDIEntityGetNumberOfSources(MIDIEntityRef entity) {
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return CountOf(ChildrenLocked(entity, kMidiKindEntity, kMidiKindSource));
}

MIDIEndpointRef MIDIEntityGetSource(MIDIEntityRef entity, ItemCount sourceIndex0) {
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return At(ChildrenLocked(entity, kMidiKindEntity, kMidiKindSource), sourceIndex0);
}

ItemCount MIDIEntityGetNumberOfDestinations(MIDIEntityRef entity) {
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return CountOf(ChildrenLocked(entity, kMidiKindEntity, kMidiKindDestination));
}

MIDIEndpointRef MIDIEntityGetDestination(MIDIEntityRef entity, ItemCount destIndex0) {
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return At(ChildrenLocked(entity, kMidiKindEntity, kMidiKindDestination), destIndex0);
}

OSStatus MIDIEntityGetDevice(MIDIEntityRef inEntity, MIDIDeviceRef* outDevice) {
  if (outDevice == nullptr) return paramErr;
  *outDevice = 0;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* entity = FindMidiObjectOfKindLocked(inEntity, kMidiKindEntity);
  if (entity == nullptr) return kMIDIObjectNotFound;
  *outDevice = entity->parent;
  return noErr;
}

OSStatus MIDIEndpointGetEntity(MIDIEndpointRef inEndpoint, MIDIEntityRef* outEntity) {
  if (outEntity == nullptr) return paramErr;
  *outEntity = 0;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* endpoint = FindMidiObjectLocked(inEndpoint);
  if (endpoint == nullptr || (endpoint->kind != kMidiKindSource && endpoint->kind != kMidiKindDestination))
    return kMIDIUnknownEndpoint;
  if (endpoint->parent == 0) return kMIDIObjectNotFound;
  *outEntity = endpoint->parent;
  return noErr;
}

ItemCount MIDIGetNumberOfSources() {
  if (!Start()) return 0;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return CountOf(PublicEndpointsLocked(MidiSourcesLocked()));
}

MIDIEndpointRef MIDIGetSource(ItemCount sourceIndex0) {
  if (!Start()) return 0;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return At(PublicEndpointsLocked(MidiSourcesLocked()), sourceIndex0);
}

ItemCount MIDIGetNumberOfDestinations() {
  if (!Start()) return 0;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return CountOf(PublicEndpointsLocked(MidiDestinationsLocked()));
}

MIDIEndpointRef MIDIGetDestination(ItemCount destIndex0) {
  if (!Start()) return 0;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return At(PublicEndpointsLocked(MidiDestinationsLocked()), destIndex0);
}

OSStatus MIDIObjectFindByUniqueID(MIDIUniqueID inUniqueID, MIDIObjectRef* outObject, MIDIObjectType* outObjectType) {
  if (outObject != nullptr) *outObject = 0;
  if (outObjectType != nullptr) *outObjectType = kMIDIObjectType_Other;
  if (!Start()) return kMIDIServerStartErr;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* obj = inUniqueID != 0 ? FindMidiObjectByUniqueIDLocked(inUniqueID) : nullptr;
  if (obj == nullptr) return kMIDIObjectNotFound;
  if (outObject != nullptr) *outObject = obj->ref;
  if (outObjectType != nullptr) *outObjectType = MidiObjectTypeOf(obj->kind);
  return noErr;
}

// ---- properties

OSStatus MIDIObjectGetIntegerProperty(MIDIObjectRef ref, CFStringRef propertyID, SInt32* outValue) {
  if (outValue == nullptr || propertyID == nullptr) return paramErr;
  std::string name = Key(propertyID);
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* obj = FindMidiObjectLocked(ref);
  if (obj == nullptr) return kMIDIObjectNotFound;
  if (name == "uniqueID") {
    if (obj->uniqueID == 0) return kMIDIUnknownProperty;
    *outValue = obj->uniqueID;
    return noErr;
  }
  const MidiPropertyValue* value = LookUpLocked(obj, name);
  if (value == nullptr) return kMIDIUnknownProperty;
  if (value->type == MidiPropertyValue::kInteger) {
    *outValue = value->integer;
    return noErr;
  }
  if (value->type == MidiPropertyValue::kData && value->data.size() >= 4) {
    const uint8_t* d = value->data.data();
    *outValue = SInt32((uint32_t(d[0]) << 24) | (uint32_t(d[1]) << 16) | (uint32_t(d[2]) << 8) | d[3]);
    return noErr;
  }
  return kMIDIWrongPropertyType;
}

OSStatus MIDIObjectSetIntegerProperty(MIDIObjectRef ref, CFStringRef propertyID, SInt32 value) {
  if (propertyID == nullptr) return paramErr;
  std::string name = Key(propertyID);
  if (!MidiServicesRunning()) return kMIDIObjectNotFound;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  if (name == "uniqueID") {
    MidiObject* obj = FindMidiObjectLocked(ref);
    if (obj == nullptr) return kMIDIObjectNotFound;
    if (obj->uniqueID == 0 || ReadOnlyLocked(obj)) return kMIDINotPermitted;
    OSStatus err = SetMidiUniqueIDLocked(obj, value);
    if (err == noErr) QueueMidiPropertyChanged(ref, MidiObjectTypeOf(obj->kind), name);
    return err;
  }
  MidiPropertyValue v;
  v.type = MidiPropertyValue::kInteger;
  v.integer = value;
  return StoreLocked(ref, name, v);
}

OSStatus MIDIObjectGetStringProperty(MIDIObjectRef ref, CFStringRef propertyID, CFStringRef* str) {
  if (str == nullptr || propertyID == nullptr) return paramErr;
  *str = nullptr;
  std::string name = Key(propertyID);
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* obj = FindMidiObjectLocked(ref);
  if (obj == nullptr) return kMIDIObjectNotFound;
  const MidiPropertyValue* value = LookUpLocked(obj, name);
  if (value == nullptr && name == "displayName") {
    *str = CFStringCreateWithUTF8(DisplayNameLocked(obj));
    return noErr;
  }
  if (value == nullptr) return kMIDIUnknownProperty;
  if (value->type != MidiPropertyValue::kString) return kMIDIWrongPropertyType;
  *str = CFStringCreateWithUTF8(value->text);
  return *str != nullptr ? OSStatus(noErr) : kMIDIWrongPropertyType;
}

OSStatus MIDIObjectSetStringProperty(MIDIObjectRef ref, CFStringRef propertyID, CFStringRef str) {
  if (propertyID == nullptr || str == nullptr) return paramErr;
  if (!MidiServicesRunning()) return kMIDIObjectNotFound;
  MidiPropertyValue v;
  v.type = MidiPropertyValue::kString;
  v.text = CFStringToUTF8(str);
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return StoreLocked(ref, Key(propertyID), v);
}

OSStatus MIDIObjectGetDataProperty(MIDIObjectRef ref, CFStringRef propertyID, CFDataRef* outData) {
  if (outData == nullptr || propertyID == nullptr) return paramErr;
  *outData = nullptr;
  std::string name = Key(propertyID);
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* obj = FindMidiObjectLocked(ref);
  if (obj == nullptr) return kMIDIObjectNotFound;
  const MidiPropertyValue* value = LookUpLocked(obj, name);
  if (value == nullptr) return kMIDIUnknownProperty;
  if (value->type != MidiPropertyValue::kData) return kMIDIWrongPropertyType;
  *outData = CFDataCreate(kCFAllocatorDefault, value->data.data(), CFIndex(value->data.size()));
  return noErr;
}

OSStatus MIDIObjectSetDataProperty(MIDIObjectRef ref, CFStringRef propertyID, CFDataRef data) {
  if (propertyID == nullptr || data == nullptr) return paramErr;
  if (!MidiServicesRunning()) return kMIDIObjectNotFound;
  MidiPropertyValue v;
  v.type = MidiPropertyValue::kData;
  const UInt8* bytes = CFDataGetBytePtr(data);
  v.data.assign(bytes, bytes + CFDataGetLength(data));
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return StoreLocked(ref, Key(propertyID), v);
}

OSStatus MIDIObjectRemoveProperty(MIDIObjectRef ref, CFStringRef propertyID) {
  if (propertyID == nullptr) return paramErr;
  if (!MidiServicesRunning()) return kMIDIObjectNotFound;
  std::string name = Key(propertyID);
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* obj = FindMidiObjectLocked(ref);
  if (obj == nullptr) return kMIDIObjectNotFound;
  if (ReadOnlyLocked(obj) || name == "uniqueID") return kMIDINotPermitted;
  if (obj->properties.erase(name) == 0) return kMIDIUnknownProperty;
  QueueMidiPropertyChanged(ref, MidiObjectTypeOf(obj->kind), name);
  return noErr;
}
