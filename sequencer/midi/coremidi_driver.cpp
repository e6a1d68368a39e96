#include "sequencer/midi/coremidi_driver.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/cf_data.h"
#include "platform/text/cf_base.h"
#include "platform/text/cf_string.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/midi_port_build.h"
#include "sequencer/midi/midi_setup_file.h"
#include "sequencer/midi/mmc_sender.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/midi/processor_routing.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/base/app_strings.h"

MidiDriverState gMidiDriver;
uint16_t gMidiPrefs = kMidiPrefHostTimeStamps;

namespace {

constexpr uint16_t kBitSetupChanged = 1u << kMIDIMsgSetupChanged;
constexpr uint16_t kBitObjectAdded = 1u << kMIDIMsgObjectAdded;

bool IsPresentSource(MIDIEndpointRef e) {
  for (ItemCount i = 0; i < MIDIGetNumberOfSources(); ++i)
    if (MIDIGetSource(i) == e) return true;
  return false;
}

bool SyncIsAnInput() {
  if (!gMidiDriver.syncInput.endpoint) return true;
  for (const MidiEndpointEntry& in : gMidiDriver.inputs)
    if (in.endpoint == gMidiDriver.syncInput.endpoint) return true;
  return false;
}

}  // namespace

MIDIEndpointRef FindEndpointByUniqueID(uint32_t uniqueId, MIDIObjectType wanted) {
  if (!uniqueId) return 0;
  MIDIObjectRef object = 0;
  MIDIObjectType type = kMIDIObjectType_Other;
  if (MIDIObjectFindByUniqueID(MIDIUniqueID(uniqueId), &object, &type) != noErr) return 0;
  if (type != wanted) return 0;
  if (wanted == kMIDIObjectType_Source && !IsPresentSource(object)) return 0;
  return object;
}

uint32_t GetEndpointUniqueID(MIDIEndpointRef endpoint) {
  SInt32 id = 0;
  if (MIDIObjectGetIntegerProperty(endpoint, kMIDIPropertyUniqueID, &id) != noErr) return 0;
  return uint32_t(id);
}

namespace {

constexpr int16_t kUnnamedPortStringId = 131;  // 'STR ': the name of a port with none
constexpr int16_t kNoPortStringIndex = 110;    // general text: the "no port" id

std::string ObjectName(MIDIObjectRef object, bool displayFirst) {
  CFStringRef name = nullptr;
  if (displayFirst && MIDIObjectGetStringProperty(object, kMIDIPropertyDisplayName, &name) != noErr)
    name = nullptr;
  if (!name && MIDIObjectGetStringProperty(object, kMIDIPropertyName, &name) != noErr) name = nullptr;
  if (!name) return {};
  std::string text = CFStringToUTF8(name);
  CFRelease(name);
  return text;
}

// Drivers give many ports one of these names; the entity or device then names it better.
bool IsGenericPortName(const std::string& name) {
  return name.empty() || name == "Port 1" || name == "New Port";
}

// The first object an endpoint's connection list names that is present (an external device).
MIDIObjectRef ConnectedObject(MIDIEndpointRef endpoint) {
  CFDataRef data = nullptr;
  if (MIDIObjectGetDataProperty(endpoint, kMIDIPropertyConnectionUniqueID, &data) != noErr || !data)
    return 0;
  MIDIObjectRef found = 0;
  const UInt8* bytes = CFDataGetBytePtr(data);
  for (CFIndex at = 0; bytes && at + 4 <= CFDataGetLength(data) && !found; at += 4) {
    MIDIObjectType type;
    MIDIUniqueID id = MIDIUniqueID(ReadU32BE(bytes + at));
    if (id != 0 && MIDIObjectFindByUniqueID(id, &found, &type) != noErr) found = 0;
  }
  CFRelease(data);
  return found;
}

std::string EntityOrDeviceName(MIDIEndpointRef endpoint) {
  MIDIEntityRef entity = 0;
  if (MIDIEndpointGetEntity(endpoint, &entity) != noErr || !entity) return {};
  std::string name = ObjectName(entity, false);
  if (!IsGenericPortName(name)) return name;
  MIDIDeviceRef device = 0;
  if (MIDIEntityGetDevice(entity, &device) != noErr || !device) return name;
  std::string deviceName = ObjectName(device, false);
  return deviceName.empty() ? name : deviceName;
}

void StorePortName(const std::string& text, uint8_t* buffer, int32_t size) {
  size_t n = std::min<size_t>({text.size(), size_t(size - 1), 255});
  buffer[0] = uint8_t(n);
  std::memcpy(buffer + 1, text.data(), n);
}

std::string UnnamedPortName() {
  StringHandle h = GetString(kUnnamedPortStringId);
  if (!h || GetHandleSize(Handle(h)) < 1) return {};
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(Handle(h)));
  size_t n = std::min<size_t>(p[0], size_t(GetHandleSize(Handle(h)) - 1));
  return std::string(reinterpret_cast<const char*>(p + 1), n);
}

}  // namespace

void GetEndpointDisplayName(MIDIEndpointRef endpoint, uint8_t* buffer, int32_t size,
                            bool followConnection) {
  if (!buffer || size <= 0) return;
  buffer[0] = 0;
  MIDIObjectRef named = endpoint;
  if (followConnection)
    if (MIDIObjectRef connected = ConnectedObject(endpoint)) named = connected;
  std::string text = ObjectName(named, true);
  if (IsGenericPortName(text) && named == endpoint) {
    std::string better = EntityOrDeviceName(endpoint);
    if (!better.empty()) text = better;
  }
  if (text.empty()) text = UnnamedPortName();
  StorePortName(text, buffer, size);
}

void GetEndpointNameByUniqueID(uint32_t uniqueId, uint8_t* buffer, int32_t size) {
  if (!buffer || size <= 0) return;
  buffer[0] = 0;
  if (uniqueId == 0xFFFFFFFFu) {
    ConstStr255Param none = GetAppString(kNoPortStringIndex);
    StorePortName(std::string(reinterpret_cast<const char*>(none + 1), none[0]), buffer, size);
    return;
  }
  MIDIEndpointRef endpoint = FindEndpointByUniqueID(uniqueId, kMIDIObjectType_Destination);
  if (!endpoint) endpoint = FindEndpointByUniqueID(uniqueId, kMIDIObjectType_Source);
  if (endpoint) GetEndpointDisplayName(endpoint, buffer, size);
}

uint32_t FindDestinationUniqueIDByName(const uint8_t* name) {
  if (!name || name[0] == 0) return 0;
  ItemCount count = MIDIGetNumberOfDestinations();
  for (ItemCount i = 0; i < count; ++i) {
    MIDIEndpointRef endpoint = MIDIGetDestination(i);
    uint8_t shown[256];
    GetEndpointDisplayName(endpoint, shown, sizeof shown);
    if (shown[0] >= name[0] && std::memcmp(shown + 1, name + 1, name[0]) == 0)
      return GetEndpointUniqueID(endpoint);
  }
  return 0;
}

void CountMidiEndpoints() {
  gMidiDriver.sourceCount = int32_t(MIDIGetNumberOfSources());
  gMidiDriver.destinationCount = int32_t(MIDIGetNumberOfDestinations());
  if (gMidiDriver.destinationCount >= 2) gMidiPrefs |= kMidiPrefManyDestinations;
}

void ResolveMidiEndpoints() {
  for (MidiEndpointEntry& in : gMidiDriver.inputs)
    in.endpoint = FindEndpointByUniqueID(in.uniqueId, kMIDIObjectType_Source);
  gMidiDriver.syncInput.endpoint = FindEndpointByUniqueID(gMidiDriver.syncInput.uniqueId, kMIDIObjectType_Source);
  for (MidiEndpointEntry& out : gMidiDriver.syncOutputs)
    out.endpoint = FindEndpointByUniqueID(out.uniqueId, kMIDIObjectType_Destination);
}

void SetMidiInput(int32_t n, uint32_t uniqueId) {
  if (n < 0 || n >= kMidiInputCount) return;
  MidiEndpointEntry& in = gMidiDriver.inputs[n];
  in.uniqueId = uniqueId;
  in.endpoint = FindEndpointByUniqueID(uniqueId, kMIDIObjectType_Source);
  std::memset(gMidiDriver.names[n], 0, kMidiNameSize);
  if (in.endpoint) GetEndpointDisplayName(in.endpoint, gMidiDriver.names[n], kMidiNameSize);
}

OSStatus ConnectMidiSources() {
  if (!gMidiDriver.inputPort) return kMIDIInvalidPort;
  if (gMidiDriver.connected) return noErr;
  OSStatus result = noErr;
  for (MidiEndpointEntry& in : gMidiDriver.inputs) {
    if (!in.endpoint) continue;
    in.flags = in.endpoint == gMidiDriver.syncInput.endpoint ? (kInputOrdinary | kInputSync) : kInputOrdinary;
    OSStatus s = MIDIPortConnectSource(gMidiDriver.inputPort, in.endpoint, &in);
    if (s != noErr) result = s;
  }
  if (!SyncIsAnInput()) {
    gMidiDriver.syncInput.flags = kInputSync;
    OSStatus s = MIDIPortConnectSource(gMidiDriver.inputPort, gMidiDriver.syncInput.endpoint, &gMidiDriver.syncInput);
    if (s != noErr) result = s;
  }
  gMidiDriver.connected = true;
  return result;
}

void DisconnectMidiSources() {
  if (!gMidiDriver.connected) return;
  for (MidiEndpointEntry& in : gMidiDriver.inputs)
    if (in.endpoint) MIDIPortDisconnectSource(gMidiDriver.inputPort, in.endpoint);
  if (!SyncIsAnInput()) MIDIPortDisconnectSource(gMidiDriver.inputPort, gMidiDriver.syncInput.endpoint);
  gMidiDriver.connected = false;
}

OSStatus MidiSetupClient() {
  OSStatus s = MIDIClientCreate(CFSTR("Zarin"), HandleMidiNotification, &gMidiDriver, &gMidiDriver.client);
  if (s != noErr) return s;
  s = MIDIOutputPortCreate(gMidiDriver.client, CFSTR("NormOut"), &gMidiDriver.outputPort);
  if (s != noErr) return s;
  s = MIDIInputPortCreate(gMidiDriver.client, CFSTR("NormIn"), MidiReadProc, &gMidiDriver, &gMidiDriver.inputPort);
  if (s != noErr) return s;
  gMidiOutputPort = gMidiDriver.outputPort;
  return noErr;
}

OSStatus MidiInit() {
  OSStatus s = MidiSetupClient();
  if (s != noErr) return s;
  InstallMidiOutputProcs();
  InstallSyncOutputs();
  CreateDefaultInputProcessor();
  BindProcessorsToTracks();
  CountMidiEndpoints();
  BuildPortTable(false);
  if (gMidiDriver.sourceCount == 0 && gMidiDriver.destinationCount == 0) return noErr;
  LoadMidiSetup();
  ResolveMidiEndpoints();
  if (FindMovedSources()) ResolveMidiEndpoints();
  bool any = std::any_of(std::begin(gMidiDriver.inputs), std::end(gMidiDriver.inputs),
                         [](const MidiEndpointEntry& e) { return e.endpoint != 0; });
  if (!any) return -1;
  return ConnectMidiSources();
}

void MidiShutDown() {
  DisconnectMidiSources();
  if (gMidiDriver.client) MIDIClientDispose(gMidiDriver.client);
  gMidiDriver.client = gMidiDriver.outputPort = gMidiDriver.inputPort = 0;
  gMidiOutputPort = 0;
  SetDriverProcById(kMidiPortDriverProc, nullptr);
}

void HandleMidiNotification(const MIDINotification* message, void*) {
  if (!message || message->messageID < 0 || message->messageID > 15) return;
  gMidiDriver.notificationBits.fetch_or(uint16_t(1u << message->messageID));
  if (message->messageID == kMIDIMsgObjectRemoved) {
    auto* n = reinterpret_cast<const MIDIObjectAddRemoveNotification*>(message);
    if (n->childType != kMIDIObjectType_Source) return;
    for (MidiEndpointEntry& in : gMidiDriver.inputs)
      if (in.endpoint == n->child) in.endpoint = 0;
    if (gMidiDriver.syncInput.endpoint == n->child) gMidiDriver.syncInput.endpoint = 0;
  } else if (message->messageID == kMIDIMsgPropertyChanged) {
    auto* n = reinterpret_cast<const MIDIObjectPropertyChangeNotification*>(message);
    uint32_t id = GetEndpointUniqueID(n->object);
    for (const MidiEndpointEntry& in : gMidiDriver.inputs)
      if (id && in.uniqueId == id) gMidiDriver.notificationBits.fetch_or(kBitObjectAdded);
  }
}

void ApplyMidiSetupChanges() {
  uint16_t bits = gMidiDriver.notificationBits.exchange(0);
  if (!(bits & (kBitSetupChanged | kBitObjectAdded))) return;
  CountMidiEndpoints();
  BuildPortTable(true);
  if (gMidiDriver.connected) {
    DisconnectMidiSources();
    ResolveMidiEndpoints();
    ConnectMidiSources();
  }
}

int32_t SendToSyncOutputs(uint8_t* record, int32_t) {
  for (const MidiEndpointEntry& out : gMidiDriver.syncOutputs)
    if (out.endpoint) MidiSendPacket(record, out.endpoint);
  return 0;
}

namespace {

// The pre-filter of the sync input for the sync source: the time-code receiver for the
// time-code sources, the MIDI clock receiver for source 3; in the audio-clock mode without
// time code the clock sends no MIDI clock.
void ChooseSyncPreFilter() {
  const uint8_t playBits = gTransportClock.playBits;
  bool on = (gMidiInputOptions & kInputTempoTapped) || !(playBits & kPlayBitSyncPreFilterOff);
  bool timeCode = (playBits & kPlayBitTimeCode) != 0;
  MidiPreFilter filter = IsNotRealTimeStatus;
  if (timeCode) filter = ReceiveMtcMessage;
  else if (on && gAudioClockMode) gTransportClock.midiClockSend = kNoDriverProc;
  else if (on && gClockSyncSource == kSyncSourceMidiClock)
    filter = ReceiveMidiClockMessage;
  gSyncPreFilter.store(filter);
}

}  // namespace

void InstallSyncOutputs() {
  SetDriverProcById(kSyncOutputsDriverProc, SendToSyncOutputs);
  gTransportClock.midiClockSend = kSyncOutputsDriverProc;
  gMmcOutputSend = kSyncOutputsDriverProc;
  gMmcEnabled = 1;
  ChooseSyncPreFilter();
}
