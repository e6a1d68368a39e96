// The layer's object table (private to platform/coremidi). Each object lives in one of a fixed
// number of slots; its reference carries the slot and a generation count, so a stale
// reference never finds a newer object. The routing fields of a slot (kind, driver, driver
// index) are atomics that the send path reads without a lock; everything else is guarded by
// MidiRegistryLock().
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/coremidi/midi_types.h"

enum MidiObjectKind : uint8_t {
  kMidiKindFree = 0,
  kMidiKindClient,
  kMidiKindInputPort,
  kMidiKindOutputPort,
  kMidiKindDevice,
  kMidiKindEntity,
  kMidiKindSource,
  kMidiKindDestination,
};

enum MidiDriverKind : uint8_t {
  kMidiDriverNone = 0,
  kMidiDriverVirtual,
  kMidiDriverSynth,
  kMidiDriverJack,
  kMidiDriverAlsa,
};

struct MidiRoute {
  MidiObjectKind kind = kMidiKindFree;
  MidiDriverKind driver = kMidiDriverNone;
  uint32_t index = 0;
};

struct MidiPropertyValue {
  enum Type : uint8_t { kInteger, kString, kData } type = kInteger;
  SInt32 integer = 0;
  std::string text;  // UTF-8
  std::vector<uint8_t> data;
};

struct MidiConnection {
  MIDIEndpointRef source = 0;
  void* refCon = nullptr;
};

struct MidiObject {
  MIDIObjectRef ref = 0;
  MidiObjectKind kind = kMidiKindFree;
  MidiDriverKind driver = kMidiDriverNone;
  uint32_t driverIndex = 0;
  MIDIObjectRef parent = 0;                 // entity of an endpoint, device of an entity
  std::vector<MIDIObjectRef> children;      // entities of a device, endpoints of an entity
  MIDIClientRef owner = 0;                  // client of a port or virtual endpoint
  std::string key;                          // what the unique id is made from
  std::string driverName;                   // the name the driver last gave it
  MIDIUniqueID uniqueID = 0;
  std::map<std::string, MidiPropertyValue> properties;
  MIDINotifyProc notifyProc = nullptr;      // client
  void* notifyRefCon = nullptr;
  std::vector<MIDIObjectRef> owned;         // client: its ports and virtual endpoints
  MIDIReadProc readProc = nullptr;          // input port, virtual destination
  void* readRefCon = nullptr;
  std::vector<MidiConnection> connections;  // input port
};

constexpr size_t kMaxMidiObjects = 4096;

std::mutex& MidiRegistryLock();

// Lock-free: the routing fields of a live object.
bool ReadMidiRoute(MIDIObjectRef ref, MidiRoute* route);

// The rest need MidiRegistryLock held.
MidiObject* FindMidiObjectLocked(MIDIObjectRef ref);
MidiObject* FindMidiObjectOfKindLocked(MIDIObjectRef ref, MidiObjectKind kind);
// A new object with a unique id made from key (clients and ports get none). Devices,
// sources and destinations join their lists. Null when every slot is taken.
MidiObject* CreateMidiObjectLocked(MidiObjectKind kind, MidiDriverKind driver, uint32_t driverIndex,
                                   const std::string& key);
// Removes the object from its lists, its parent and the connections that name it.
void DestroyMidiObjectLocked(MIDIObjectRef ref);
void SetMidiDriverIndexLocked(MidiObject* obj, uint32_t driverIndex);
OSStatus SetMidiUniqueIDLocked(MidiObject* obj, MIDIUniqueID id);
MidiObject* FindMidiObjectByUniqueIDLocked(MIDIUniqueID id);
MIDIObjectType MidiObjectTypeOf(MidiObjectKind kind);

void SetMidiStringPropertyLocked(MidiObject* obj, const std::string& name, const std::string& value);
void SetMidiIntegerPropertyLocked(MidiObject* obj, const std::string& name, SInt32 value);
std::string MidiObjectNameLocked(const MidiObject* obj);

// The lists, in the order the objects appeared.
std::vector<MIDIObjectRef>& MidiDevicesLocked();
std::vector<MIDIObjectRef>& MidiSourcesLocked();
std::vector<MIDIObjectRef>& MidiDestinationsLocked();
std::vector<MIDIObjectRef>& MidiClientsLocked();
// Every live object of a driver.
std::vector<MIDIObjectRef> MidiObjectsOfDriverLocked(MidiDriverKind driver);
// Destroys every object (no notifications).
void ClearMidiRegistryLocked();

// 32-bit FNV-1a of the key: the first candidate for a unique id.
MIDIUniqueID HashMidiKey(const std::string& key);

// What a driver reports of one endpoint; the keys are stable names the unique ids come from.
struct MidiEndpointSpec {
  std::string deviceKey, deviceName, manufacturer, model;
  std::string entityKey, entityName;
  std::string endpointKey, endpointName;
  bool isSource = false;
  bool offline = false;
  uint32_t driverIndex = 0;
};

// Makes the driver's objects match endpointSpecs: objects whose key is listed keep their reference and
// unique id (names and driver index updated), new ones are made, the rest removed. Queues the
// notifications (when notify) and answers whether anything was added or removed.
bool ReconcileMidiDriverLocked(MidiDriverKind driver, const std::vector<MidiEndpointSpec>& endpointSpecs, bool notify);
