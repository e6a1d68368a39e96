// The MIDI driver: the client ("Zarin") with one output port ("NormOut") and one input port
// ("NormIn"), the connection of up to eight input sources and one sync source, the four sync
// outputs, endpoint lookups and names, and the handling of set-up notifications.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/coremidi/midi_types.h"
#include "song/instruments/driver_procs.h"

constexpr int32_t kMidiInputCount = 8;
constexpr int32_t kMidiSyncOutputCount = 4;
constexpr int32_t kMidiNameSize = 32;  // length byte + up to 31 characters

// Connection flags of an input entry (its address is the connection reference).
constexpr uint32_t kInputOrdinary = 0x01;
constexpr uint32_t kInputSync = 0x02;

struct MidiEndpointEntry {
  uint32_t uniqueId = 0;
  MIDIEndpointRef endpoint = 0;
  uint32_t flags = 0;
};

struct MidiDriverState {
  MIDIClientRef client = 0;
  MIDIPortRef outputPort = 0;
  MIDIPortRef inputPort = 0;
  int32_t sourceCount = 0;
  int32_t destinationCount = 0;
  int32_t presentPorts = 0;
  MidiEndpointEntry inputs[kMidiInputCount];
  MidiEndpointEntry syncInput;
  MidiEndpointEntry syncOutputs[kMidiSyncOutputCount];
  std::atomic<uint16_t> notificationBits{0};  // bit n: notification n arrived
  uint8_t names[kMidiInputCount][kMidiNameSize] = {};
  bool connected = false;
};

extern MidiDriverState gMidiDriver;
// Bit 0 of the MIDI preferences: two or more destinations; bit 3: stamp input by host time.
extern uint16_t gMidiPrefs;
constexpr uint16_t kMidiPrefManyDestinations = 0x0001;
constexpr uint16_t kMidiPrefHostTimeStamps = 0x0008;
constexpr uint16_t kMidiPrefOptionToggled = 0x0020;  // the Options menu's item 15

// Creates the client and its two ports.
OSStatus MidiSetupClient();
// Start-up: the client, the output procedures, endpoint counts, the saved inputs resolved,
// the sources connected and the port table built. -1 when no input source is present.
OSStatus MidiInit();
// Disconnects and disposes the client.
void MidiShutDown();

void CountMidiEndpoints();
// Looks every input, the sync input and the sync outputs up again by unique ID.
void ResolveMidiEndpoints();
// Chooses input n (0..7) by a source's unique ID (0 clears it); keeps the source's name.
void SetMidiInput(int32_t n, uint32_t uniqueId);
// Connects the inputs and the sync source to the input port; the last error.
OSStatus ConnectMidiSources();
void DisconnectMidiSources();

// The endpoint of a source or destination with this unique ID (0 when absent).
MIDIEndpointRef FindEndpointByUniqueID(uint32_t uniqueId, MIDIObjectType wanted);
uint32_t GetEndpointUniqueID(MIDIEndpointRef endpoint);
// The endpoint's name as a length-prefixed string that never exceeds size bytes: the display
// name, else the name; an empty or generic one ("Port 1", "New Port") gives way to the
// entity's name, then the device's; still empty, 'STR ' 131. With followConnection the
// external device the endpoint is connected to names it.
void GetEndpointDisplayName(MIDIEndpointRef endpoint, uint8_t* buffer, int32_t size,
                            bool followConnection = false);
// The name of the source or destination with this unique ID; empty when there is none;
// 0xFFFFFFFF (no port) gives general text 110.
void GetEndpointNameByUniqueID(uint32_t uniqueId, uint8_t* buffer, int32_t size);
// The unique ID of the first destination whose name, cut to the length of name (a
// length-prefixed string, as tracks keep at most 15 characters of it), equals name; 0 when
// none does or the name is empty.
uint32_t FindDestinationUniqueIDByName(const uint8_t* name);

// The notification procedure given to the client.
void HandleMidiNotification(const MIDINotification* message, void* refCon);
// From the idle task: after a set-up change, recount and rebuild the port table.
void ApplyMidiSetupChanges();

// Sends a driver record to every sync output that has a destination.
int32_t SendToSyncOutputs(uint8_t* record, int32_t arg);
// Makes SendToSyncOutputs the clock's MIDI clock output and the MMC output (which it switches
// on), and chooses the sync input's pre-filter for the sync source: the MIDI clock receiver
// for source 3. Start-up, the MIDI set-up and every change of the sync source call it.
void InstallSyncOutputs();
