// Clients, ports, connections and virtual endpoints.
#include <algorithm>
#include <mutex>

#include "platform/coremidi/midi_notifications.h"
#include "platform/coremidi/midi_registry.h"
#include "platform/coremidi/midi_server.h"
#include "platform/coremidi/midi_services.h"

namespace {

std::string NameText(CFStringRef name) { return name != nullptr ? CFStringToUTF8(name) : std::string(); }

// Destroys a port or virtual endpoint of a client, with the notices a removal gives.
void DisposeOwnedLocked(MidiObject* obj) {
  if (obj->kind == kMidiKindSource || obj->kind == kMidiKindDestination) {
    QueueMidiObjectRemoved(0, kMIDIObjectType_Other, obj->ref, MidiObjectTypeOf(obj->kind));
    QueueMidiSetupChanged();
  }
  DestroyMidiObjectLocked(obj->ref);
}

MidiObject* ClientLocked(MIDIClientRef client) { return FindMidiObjectOfKindLocked(client, kMidiKindClient); }

OSStatus CreatePort(MIDIClientRef clientRef, CFStringRef name, MidiObjectKind kind, MIDIReadProc readProc, void* refCon,
                    MIDIPortRef* outPort) {
  if (outPort == nullptr) return paramErr;
  *outPort = 0;
  if (!EnsureMidiServices()) return kMIDIServerStartErr;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* client = ClientLocked(clientRef);
  if (client == nullptr) return kMIDIInvalidClient;
  MidiObject* port = CreateMidiObjectLocked(kind, kMidiDriverNone, 0, std::string());
  if (port == nullptr) return memFullErr;
  SetMidiStringPropertyLocked(port, "name", NameText(name));
  port->owner = clientRef;
  port->readProc = readProc;
  port->readRefCon = refCon;
  client->owned.push_back(port->ref);
  *outPort = port->ref;
  return noErr;
}

OSStatus CreateVirtual(MIDIClientRef clientRef, CFStringRef name, MidiObjectKind kind, MIDIReadProc readProc,
                       void* refCon, MIDIEndpointRef* outEndpoint) {
  if (outEndpoint == nullptr) return paramErr;
  *outEndpoint = 0;
  if (!EnsureMidiServices()) return kMIDIServerStartErr;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* client = ClientLocked(clientRef);
  if (client == nullptr) return kMIDIInvalidClient;
  std::string key = std::string(kind == kMidiKindSource ? "virtual-source:" : "virtual-destination:") +
                    MidiObjectNameLocked(client) + "/" + NameText(name);
  MidiObject* endpoint = CreateMidiObjectLocked(kind, kMidiDriverVirtual, 0, key);
  if (endpoint == nullptr) return memFullErr;
  SetMidiStringPropertyLocked(endpoint, "name", NameText(name));
  SetMidiIntegerPropertyLocked(endpoint, kind == kMidiKindSource ? "transmitChannels" : "receiveChannels", 0xFFFF);
  endpoint->owner = clientRef;
  endpoint->readProc = readProc;
  endpoint->readRefCon = refCon;
  client->owned.push_back(endpoint->ref);
  QueueMidiObjectAdded(0, kMIDIObjectType_Other, endpoint->ref, MidiObjectTypeOf(kind));
  QueueMidiSetupChanged();
  *outEndpoint = endpoint->ref;
  return noErr;
}

}  // namespace

OSStatus MIDIClientCreate(CFStringRef name, MIDINotifyProc notifyProc, void* notifyRefCon, MIDIClientRef* outClient) {
  if (outClient == nullptr) return paramErr;
  *outClient = 0;
  if (!EnsureMidiServices()) return kMIDIServerStartErr;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* client = CreateMidiObjectLocked(kMidiKindClient, kMidiDriverNone, 0, std::string());
  if (client == nullptr) return memFullErr;
  SetMidiStringPropertyLocked(client, "name", NameText(name));
  client->notifyProc = notifyProc;
  client->notifyRefCon = notifyRefCon;
  *outClient = client->ref;
  return noErr;
}

OSStatus MIDIClientDispose(MIDIClientRef clientRef) {
  if (!MidiServicesRunning()) return kMIDIInvalidClient;
  MidiDeliveryGuard quiet;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* client = ClientLocked(clientRef);
  if (client == nullptr) return kMIDIInvalidClient;
  std::vector<MIDIObjectRef> owned = client->owned;
  for (MIDIObjectRef ref : owned)
    if (MidiObject* obj = FindMidiObjectLocked(ref)) DisposeOwnedLocked(obj);
  DestroyMidiObjectLocked(clientRef);
  return noErr;
}

OSStatus MIDIInputPortCreate(MIDIClientRef client, CFStringRef portName, MIDIReadProc readProc, void* refCon,
                             MIDIPortRef* outPort) {
  if (readProc == nullptr) {
    if (outPort != nullptr) *outPort = 0;
    return paramErr;
  }
  return CreatePort(client, portName, kMidiKindInputPort, readProc, refCon, outPort);
}

OSStatus MIDIOutputPortCreate(MIDIClientRef client, CFStringRef portName, MIDIPortRef* outPort) {
  return CreatePort(client, portName, kMidiKindOutputPort, nullptr, nullptr, outPort);
}

OSStatus MIDIPortDispose(MIDIPortRef portRef) {
  if (!MidiServicesRunning()) return kMIDIInvalidPort;
  MidiDeliveryGuard quiet;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* port = FindMidiObjectLocked(portRef);
  if (port == nullptr || (port->kind != kMidiKindInputPort && port->kind != kMidiKindOutputPort))
    return kMIDIInvalidPort;
  DestroyMidiObjectLocked(portRef);
  return noErr;
}

OSStatus MIDIPortConnectSource(MIDIPortRef portRef, MIDIEndpointRef source, void* connRefCon) {
  if (!MidiServicesRunning()) return kMIDIInvalidPort;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* port = FindMidiObjectOfKindLocked(portRef, kMidiKindInputPort);
  if (port == nullptr) return kMIDIInvalidPort;
  MidiObject* endpoint = FindMidiObjectLocked(source);
  if (endpoint == nullptr) return kMIDIUnknownEndpoint;
  if (endpoint->kind != kMidiKindSource) return kMIDIWrongEndpointType;
  for (MidiConnection& c : port->connections) {
    if (c.source == source) {
      c.refCon = connRefCon;
      return noErr;
    }
  }
  port->connections.push_back({source, connRefCon});
  return noErr;
}

OSStatus MIDIPortDisconnectSource(MIDIPortRef portRef, MIDIEndpointRef source) {
  if (!MidiServicesRunning()) return kMIDIInvalidPort;
  MidiDeliveryGuard quiet;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* port = FindMidiObjectOfKindLocked(portRef, kMidiKindInputPort);
  if (port == nullptr) return kMIDIInvalidPort;
  auto& c = port->connections;
  auto it = std::find_if(c.begin(), c.end(), [source](const MidiConnection& m) { return m.source == source; });
  if (it == c.end()) return kMIDINoConnection;
  c.erase(it);
  return noErr;
}

OSStatus MIDISourceCreate(MIDIClientRef client, CFStringRef name, MIDIEndpointRef* outSrc) {
  return CreateVirtual(client, name, kMidiKindSource, nullptr, nullptr, outSrc);
}

OSStatus MIDIDestinationCreate(MIDIClientRef client, CFStringRef name, MIDIReadProc readProc, void* refCon,
                               MIDIEndpointRef* outDest) {
  if (readProc == nullptr) {
    if (outDest != nullptr) *outDest = 0;
    return paramErr;
  }
  return CreateVirtual(client, name, kMidiKindDestination, readProc, refCon, outDest);
}

OSStatus MIDIEndpointDispose(MIDIEndpointRef endpt) {
  if (!MidiServicesRunning()) return kMIDIUnknownEndpoint;
  MidiDeliveryGuard quiet;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  MidiObject* endpoint = FindMidiObjectLocked(endpt);
  if (endpoint == nullptr || (endpoint->kind != kMidiKindSource && endpoint->kind != kMidiKindDestination))
    return kMIDIUnknownEndpoint;
  if (endpoint->driver != kMidiDriverVirtual) return kMIDINotPermitted;
  DisposeOwnedLocked(endpoint);
  return noErr;
}
