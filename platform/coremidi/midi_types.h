// MIDI services: the types every part of the layer and its callers share. Objects (clients,
// ports, devices, entities, endpoints) are 32-bit references issued by the layer (0 = none),
// safe to keep in records; a reference is never reused while the layer runs.
#pragma once

#include "platform/memory/mac_types.h"
#include "platform/text/cf_data.h"
#include "platform/text/cf_string.h"

using Byte = UInt8;
using MIDIObjectRef = UInt32;
using MIDIClientRef = MIDIObjectRef;
using MIDIPortRef = MIDIObjectRef;
using MIDIDeviceRef = MIDIObjectRef;
using MIDIEntityRef = MIDIObjectRef;
using MIDIEndpointRef = MIDIObjectRef;
// Host time in nanoseconds (HostTimeNanos); 0 in a sent packet means "now".
using MIDITimeStamp = UInt64;
using MIDIUniqueID = SInt32;

using MIDIObjectType = SInt32;
enum : MIDIObjectType {
  kMIDIObjectType_Other = -1,
  kMIDIObjectType_Device = 0,
  kMIDIObjectType_Entity = 1,
  kMIDIObjectType_Source = 2,
  kMIDIObjectType_Destination = 3,
};

enum : OSStatus {
  kMIDIInvalidClient = -10830,
  kMIDIInvalidPort = -10831,
  kMIDIWrongEndpointType = -10832,
  kMIDINoConnection = -10833,
  kMIDIUnknownEndpoint = -10834,
  kMIDIUnknownProperty = -10835,
  kMIDIWrongPropertyType = -10836,
  kMIDINoCurrentSetup = -10837,
  kMIDIMessageSendErr = -10838,
  kMIDIServerStartErr = -10839,
  kMIDISetupFormatErr = -10840,
  kMIDIWrongThread = -10841,
  kMIDIObjectNotFound = -10842,
  kMIDIIDNotUnique = -10843,
  kMIDINotPermitted = -10844,
};

// Notifications, delivered on the thread that calls MIDIDeliverPendingNotifications.
using MIDINotificationMessageID = SInt32;
enum : MIDINotificationMessageID {
  kMIDIMsgSetupChanged = 1,
  kMIDIMsgObjectAdded = 2,
  kMIDIMsgObjectRemoved = 3,
  kMIDIMsgPropertyChanged = 4,
};

struct MIDINotification {
  MIDINotificationMessageID messageID;
  UInt32 messageSize;
};

// kMIDIMsgObjectAdded / kMIDIMsgObjectRemoved. A removed child is no longer valid.
struct MIDIObjectAddRemoveNotification {
  MIDINotificationMessageID messageID;
  UInt32 messageSize;
  MIDIObjectRef parent;
  MIDIObjectType parentType;
  MIDIObjectRef child;
  MIDIObjectType childType;
};

// kMIDIMsgPropertyChanged; propertyName lives for the duration of the call.
struct MIDIObjectPropertyChangeNotification {
  MIDINotificationMessageID messageID;
  UInt32 messageSize;
  MIDIObjectRef object;
  MIDIObjectType objectType;
  CFStringRef propertyName;
};

struct MIDIPacketList;
using MIDINotifyProc = void (*)(const MIDINotification* message, void* refCon);
// Called on the layer's MIDI thread (never a real-time thread), one call at a time.
using MIDIReadProc = void (*)(const MIDIPacketList* pktlist, void* readProcRefCon, void* srcConnRefCon);

// Property names (CFSTR constants: the same object for the same text).
#define kMIDIPropertyName CFSTR("name")
#define kMIDIPropertyManufacturer CFSTR("manufacturer")
#define kMIDIPropertyModel CFSTR("model")
#define kMIDIPropertyDisplayName CFSTR("displayName")
#define kMIDIPropertyUniqueID CFSTR("uniqueID")
#define kMIDIPropertyDeviceID CFSTR("deviceID")
#define kMIDIPropertyReceiveChannels CFSTR("receiveChannels")
#define kMIDIPropertyTransmitChannels CFSTR("transmitChannels")
#define kMIDIPropertyConnectionUniqueID CFSTR("connUniqueID")
#define kMIDIPropertyOffline CFSTR("offline")
#define kMIDIPropertyPrivate CFSTR("private")
#define kMIDIPropertyDriverOwner CFSTR("driver")
#define kMIDIPropertySupportsGeneralMIDI CFSTR("supportsGeneralMIDI")
#define kMIDIPropertyAdvanceScheduleTimeMuSec CFSTR("advanceScheduleTimeMuSec")
#define kMIDIPropertyIsEmbeddedEntity CFSTR("embedded")
