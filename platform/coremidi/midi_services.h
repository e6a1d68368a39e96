// MIDI services: clients, ports, the object graph (devices, entities, sources, destinations)
// with their properties, sending and receiving packet lists, and the notifications of set-up
// changes. Backed by the ALSA sequencer (when the system has one), a JACK server (when one
// runs), virtual endpoints that clients make, and the built-in General MIDI synth destination
// (always present).
//
// The layer starts on the first call of any function here and runs until
// ShutDownMidiServices. Every function may be called from any thread. MIDISend and
// MIDIFlushOutput never allocate and never wait on the main thread, so a real-time thread
// (the sequencer's clock) may call them: they are lock-free, except towards ALSA sequencer
// destinations, whose sends share a short lock with other sends only. MIDIReceived may wait up
// to 50 ms when the layer's input queue is full. Read procedures run on the layer's MIDI
// thread, one call at a time.
#pragma once

#include "platform/coremidi/midi_packets.h"
#include "platform/coremidi/midi_types.h"

// ---- clients and ports

OSStatus MIDIClientCreate(CFStringRef name, MIDINotifyProc notifyProc, void* notifyRefCon, MIDIClientRef* outClient);
// Disposes the client's ports and virtual endpoints too.
OSStatus MIDIClientDispose(MIDIClientRef client);
OSStatus MIDIInputPortCreate(MIDIClientRef client, CFStringRef portName, MIDIReadProc readProc, void* refCon,
                             MIDIPortRef* outPort);
OSStatus MIDIOutputPortCreate(MIDIClientRef client, CFStringRef portName, MIDIPortRef* outPort);
// After MIDIPortDispose or MIDIPortDisconnectSource returns, the port's read procedure is not
// called again for that source (unless called from inside a read procedure).
OSStatus MIDIPortDispose(MIDIPortRef port);
// Connecting a source twice only replaces its connection reference.
OSStatus MIDIPortConnectSource(MIDIPortRef port, MIDIEndpointRef source, void* connRefCon);
OSStatus MIDIPortDisconnectSource(MIDIPortRef port, MIDIEndpointRef source);

// ---- the object graph

ItemCount MIDIGetNumberOfDevices();
MIDIDeviceRef MIDIGetDevice(ItemCount deviceIndex0);
ItemCount MIDIDeviceGetNumberOfEntities(MIDIDeviceRef device);
MIDIEntityRef MIDIDeviceGetEntity(MIDIDeviceRef device, ItemCount entityIndex0);
ItemCount MIDIEntityGetNumberOfSources(MIDIEntityRef entity);
MIDIEndpointRef MIDIEntityGetSource(MIDIEntityRef entity, ItemCount sourceIndex0);
ItemCount MIDIEntityGetNumberOfDestinations(MIDIEntityRef entity);
MIDIEndpointRef MIDIEntityGetDestination(MIDIEntityRef entity, ItemCount destIndex0);
OSStatus MIDIEntityGetDevice(MIDIEntityRef inEntity, MIDIDeviceRef* outDevice);
// Virtual endpoints have no entity: kMIDIObjectNotFound with *outEntity = 0.
OSStatus MIDIEndpointGetEntity(MIDIEndpointRef inEndpoint, MIDIEntityRef* outEntity);

// Sources and destinations in a stable order (the built-in synth is destination 0); private
// virtual endpoints are left out. Out of range gives 0.
ItemCount MIDIGetNumberOfSources();
MIDIEndpointRef MIDIGetSource(ItemCount sourceIndex0);
ItemCount MIDIGetNumberOfDestinations();
MIDIEndpointRef MIDIGetDestination(ItemCount destIndex0);

// Unique ids are stable from run to run (derived from the driver and the names that the
// system gives the object), never 0, and never shared by two objects at once.
OSStatus MIDIObjectFindByUniqueID(MIDIUniqueID inUniqueID, MIDIObjectRef* outObject, MIDIObjectType* outObjectType);

// ---- properties
// An endpoint without a property of its own answers its entity's, then its device's.
// Setting a property (other than on the built-in synth) queues kMIDIMsgPropertyChanged.
// The display name, when not set, is made from the device's and the endpoint's names.
// kMIDIPropertyConnectionUniqueID may hold several ids: as data, big-endian SInt32s; the
// integer form answers the first.
OSStatus MIDIObjectGetIntegerProperty(MIDIObjectRef obj, CFStringRef propertyID, SInt32* outValue);
OSStatus MIDIObjectSetIntegerProperty(MIDIObjectRef obj, CFStringRef propertyID, SInt32 value);
// The string is the caller's to release.
OSStatus MIDIObjectGetStringProperty(MIDIObjectRef obj, CFStringRef propertyID, CFStringRef* str);
OSStatus MIDIObjectSetStringProperty(MIDIObjectRef obj, CFStringRef propertyID, CFStringRef str);
// The data is the caller's to release.
OSStatus MIDIObjectGetDataProperty(MIDIObjectRef obj, CFStringRef propertyID, CFDataRef* outData);
OSStatus MIDIObjectSetDataProperty(MIDIObjectRef obj, CFStringRef propertyID, CFDataRef data);
OSStatus MIDIObjectRemoveProperty(MIDIObjectRef obj, CFStringRef propertyID);

// ---- sending and receiving

// Sends through an output port. Each packet's time stamp says when its bytes are due (host
// time in nanoseconds; 0 or a past time = now): JACK places them at their frame (while
// output keeps coming, on a frame line that a server's overruns do not bend), the built-in
// synth at their sample, the ALSA sequencer schedules them on its queue; a virtual
// destination's read procedure gets them at once with their stamps.
OSStatus MIDISend(MIDIPortRef port, MIDIEndpointRef dest, const MIDIPacketList* pktlist);
// How far ahead of its due time a packet must be sent for every driver to place it exactly
// (JACK writes a cycle's events when the cycle starts: one cycle plus a margin for the
// sender's own lateness). 0 when no driver needs a lead.
UInt64 MIDIGetSendLeadNanos();
constexpr UInt64 kMidiSendLeadMarginNanos = 1500000;
// Drops what was sent to dest (0 = every destination) and is not yet due.
OSStatus MIDIFlushOutput(MIDIEndpointRef dest);

// Virtual endpoints, owned by a client. MIDIReceived hands packets from a virtual source to
// every input port connected to it (a stamp of 0 becomes the current host time).
OSStatus MIDISourceCreate(MIDIClientRef client, CFStringRef name, MIDIEndpointRef* outSrc);
OSStatus MIDIDestinationCreate(MIDIClientRef client, CFStringRef name, MIDIReadProc readProc, void* refCon,
                               MIDIEndpointRef* outDest);
OSStatus MIDIEndpointDispose(MIDIEndpointRef endpt);
OSStatus MIDIReceived(MIDIEndpointRef src, const MIDIPacketList* pktlist);

// ---- set-up changes

// Looks at the drivers again (opening JACK or the sequencer when they have appeared since)
// and reports what changed; a kMIDIMsgSetupChanged follows in any case.
OSStatus MIDIRestart();

// Notifications are queued and handed to the clients' notification procedures by this call,
// which the main event loop makes. Answers the number of notifications delivered.
ItemCount MIDIDeliverPendingNotifications();
// proc(refCon) is called, on any thread, when a notification has been queued, so that the
// event loop can wake and deliver it. Null turns the call off.
void MIDISetNotificationWakeProc(void (*proc)(void* refCon), void* refCon);

// ---- the layer itself

// Stops the drivers, disposes every client and object and frees the built-in synth. The next
// call of any function above starts the layer again.
void ShutDownMidiServices();
