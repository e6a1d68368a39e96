#include "sequencer/midi/midi_port_build.h"

#include <algorithm>
#include <cstring>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/system/quickdraw_random.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_port_layout.h"
#include "song/instruments/midi_port_table.h"

namespace {

uint8_t* EntryAt(Handle table, int32_t i) { return reinterpret_cast<uint8_t*>(*table) + i * kPortEntrySize; }

bool IdInUse(Handle table, int32_t count, uint16_t id, int32_t except) {
  for (int32_t i = 0; i < count; ++i)
    if (i != except && ReadU16BE(EntryAt(table, i) + kPortId) == id) return true;
  return false;
}

// The device's id when it fits a positive 16-bit number, else its low 16 bits; redrawn while
// it is 0 or another entry has it.
uint16_t NewPortId(Handle table, int32_t count, uint32_t uniqueId, int32_t self) {
  uint16_t id = uint16_t(uniqueId & 0xFFFF);
  if (int32_t(uniqueId) > 0 && int32_t(uniqueId) <= 0x7FFF) id = uint16_t(uniqueId);
  while (id == 0 || IdInUse(table, count, id, self)) id = uint16_t(Random());
  return id;
}

void FillEntry(uint8_t* e, MIDIEndpointRef dest, int32_t index) {
  std::memset(e, 0, kPortEntrySize);
  WriteU16BE(e + kPortState, kPortStateFound);
  e[kPortDestIndex] = uint8_t(index);
  e[kPortKind] = kPortKindDestination;
  GetEndpointDisplayName(dest, e + kPortName, kPortNameSize);
  SInt32 mask = 0xFFFF;
  if (MIDIObjectGetIntegerProperty(dest, kMIDIPropertyReceiveChannels, &mask) != noErr || mask == 0) mask = 0xFFFF;
  WriteU16BE(e + kPortChannelMask, uint16_t(mask));
  WriteU32BE(e + kPortUniqueId, GetEndpointUniqueID(dest));
  WriteU32BE(e + kPortEndpoint, dest);
}

int32_t FindByUniqueId(Handle table, int32_t count, uint32_t id) {
  for (int32_t i = 0; i < count; ++i)
    if (ReadU32BE(EntryAt(table, i) + kPortUniqueId) == id) return i;
  return -1;
}

}  // namespace

void BracketName(uint8_t* name, int32_t size) {
  if (size < 3 || (name[0] > 0 && name[1] == '[')) return;
  int32_t n = std::min<int32_t>(name[0], size - 3);  // room for both brackets and the length
  std::memmove(name + 2, name + 1, size_t(n));
  name[1] = '[';
  name[n + 2] = ']';
  name[0] = uint8_t(n + 2);
}

int32_t CountPresentPorts() {
  if (!gPortTable) return 0;
  int32_t n = 0;
  for (int32_t i = 0; i < gPortCount; ++i)
    if (ReadU32BE(EntryAt(gPortTable, i) + kPortEndpoint)) ++n;
  return n;
}

void BuildPortTable(bool /*refresh*/) {
  SInt32 seed = GetQDGlobalsRandomSeed();
  if (!gPortTable) {
    gPortTable = NewHandleClear(kMaxPorts * kPortEntrySize);
    if (!gPortTable) return;
    gPortCount = 0;
  }
  if (GetHandleSize(gPortTable) < kMaxPorts * kPortEntrySize) SetHandleSize(gPortTable, kMaxPorts * kPortEntrySize);
  if (MemError() != noErr) return;
  int32_t count = gPortCount;
  // Every old entry is absent until a present destination claims it.
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* e = EntryAt(gPortTable, i);
    WriteU16BE(e + kPortState, kPortStateAbsent);
    WriteU32BE(e + kPortEndpoint, 0);
    e[kPortFlags] |= kPortFlagAbsent;
  }
  ItemCount destinations = MIDIGetNumberOfDestinations();
  for (ItemCount d = 0; d < destinations; ++d) {
    MIDIEndpointRef dest = MIDIGetDestination(d);
    uint32_t uid = GetEndpointUniqueID(dest);
    int32_t slot = FindByUniqueId(gPortTable, count, uid);
    uint16_t id = 0;
    if (slot >= 0) {
      id = ReadU16BE(EntryAt(gPortTable, slot) + kPortId);
    } else {
      if (count >= kMaxPorts) break;
      slot = count++;
    }
    uint8_t* e = EntryAt(gPortTable, slot);
    uint8_t used = e[kPortFlags] & kPortFlagUsed;
    FillEntry(e, dest, int32_t(d));
    e[kPortFlags] = used;
    if (id == 0) id = NewPortId(gPortTable, count, uid, slot);
    WriteU16BE(e + kPortId, id);
  }
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* e = EntryAt(gPortTable, i);
    if (!ReadU32BE(e + kPortEndpoint)) BracketName(e + kPortName, kPortNameSize);
  }
  gPortCount = uint8_t(count);
  gMidiDriver.presentPorts = CountPresentPorts();
  SetQDGlobalsRandomSeed(seed);
}

void ScanMidiPorts(int32_t flag) { BuildPortTable(flag != 0); }

bool AdoptPortTable(Handle table, int32_t count) {
  if (!table) return false;
  if (!gPortTable) gPortTable = NewHandleClear(kMaxPorts * kPortEntrySize);
  if (!gPortTable) return false;
  if (GetHandleSize(gPortTable) < kMaxPorts * kPortEntrySize) SetHandleSize(gPortTable, kMaxPorts * kPortEntrySize);
  if (MemError() != noErr) return false;
  count = std::clamp<int32_t>(count, 0, std::min<int32_t>(kMaxPorts, int32_t(GetHandleSize(table) / kPortEntrySize)));
  std::memset(*gPortTable, 0, size_t(kMaxPorts * kPortEntrySize));
  int32_t used = 0;
  while (used < count && ReadU32BE(EntryAt(table, used) + kPortUniqueId) != 0) ++used;
  std::memcpy(*gPortTable, *table, size_t(used * kPortEntrySize));
  for (int32_t i = 0; i < used; ++i) WriteU32BE(EntryAt(gPortTable, i) + kPortEndpoint, 0);
  gPortCount = uint8_t(used);
  return true;
}
