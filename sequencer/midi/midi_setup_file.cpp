#include "sequencer/midi/midi_setup_file.h"

#include <cstring>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "sequencer/midi/coremidi_driver.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/resource_files.h"

namespace {

constexpr int32_t kInputsAt = 24, kSyncAt = 120, kSyncOutputsAt = 132, kBitsAt = 182, kNamesAt = 186;
constexpr int32_t kEntryBytes = 12;

void WriteEntry(uint8_t* p, const MidiEndpointEntry& e) {
  WriteU32BE(p, e.uniqueId);
  WriteU32BE(p + 4, e.endpoint);
  WriteU32BE(p + 8, e.flags);
}

void ReadEntry(const uint8_t* p, MidiEndpointEntry* e) {
  e->uniqueId = ReadU32BE(p);
  e->endpoint = 0;
  e->flags = ReadU32BE(p + 8);
}

}  // namespace

void WriteMidiSetupImage(uint8_t* image) {
  std::memset(image, 0, kMidiSetupSize);
  for (int32_t i = 0; i < kMidiInputCount; ++i) WriteEntry(image + kInputsAt + i * kEntryBytes, gMidiDriver.inputs[i]);
  WriteEntry(image + kSyncAt, gMidiDriver.syncInput);
  for (int32_t i = 0; i < kMidiSyncOutputCount; ++i)
    WriteEntry(image + kSyncOutputsAt + i * kEntryBytes, gMidiDriver.syncOutputs[i]);
  WriteU16BE(image + kBitsAt, gMidiDriver.notificationBits.load());
  for (int32_t i = 0; i < kMidiInputCount; ++i) {
    const uint8_t* name = gMidiDriver.names[i];
    uint8_t* out = image + kNamesAt + i * kMidiNameSize;
    uint8_t n = name[0] < kMidiNameSize ? name[0] : kMidiNameSize - 1;
    out[0] = n;
    std::memcpy(out + 1, name + 1, n);
  }
}

bool ReadMidiSetupImage(const uint8_t* image, int32_t size) {
  if (!image || (size != kMidiSetupSize && size != kMidiSetupOldSize)) return false;
  for (int32_t i = 0; i < kMidiInputCount; ++i) ReadEntry(image + kInputsAt + i * kEntryBytes, &gMidiDriver.inputs[i]);
  ReadEntry(image + kSyncAt, &gMidiDriver.syncInput);
  for (int32_t i = 0; i < kMidiSyncOutputCount; ++i)
    ReadEntry(image + kSyncOutputsAt + i * kEntryBytes, &gMidiDriver.syncOutputs[i]);
  gMidiDriver.notificationBits.store(0);
  if (size == kMidiSetupSize) {
    for (int32_t i = 0; i < kMidiInputCount; ++i) {
      const uint8_t* in = image + kNamesAt + i * kMidiNameSize;
      uint8_t n = in[0] < kMidiNameSize ? in[0] : kMidiNameSize - 1;
      std::memset(gMidiDriver.names[i], 0, kMidiNameSize);
      gMidiDriver.names[i][0] = n;
      std::memcpy(gMidiDriver.names[i] + 1, in + 1, n);
    }
  }
  return true;
}

bool LoadMidiSetup() {
  if (gPrefsResFile == -1) return false;
  SInt16 saved = CurResFile();
  bool taken = false;
  if (UsePrefsResFile() == noErr) {
    Handle h = Get1Resource(kSettingsResType, kMidiSetupResId);
    if (h && *h) {
      taken = ReadMidiSetupImage(reinterpret_cast<const uint8_t*>(*h), int32_t(GetHandleSize(h)));
      ReleaseResource(h);
    }
  }
  UseResFile(saved);
  return taken;
}

OSErr SaveMidiSetup() {
  Handle h = NewHandleClear(kMidiSetupSize);
  if (!h) return memFullErr;
  WriteMidiSetupImage(reinterpret_cast<uint8_t*>(*h));
  static const unsigned char kName[] = "\004OSXM";
  OSErr err = WriteBMIDResource(&h, kMidiSetupResId, kName, true);
  DisposeHandle(h);
  return err;
}

bool FindMovedSources() {
  bool moved = false;
  for (int32_t i = 0; i < kMidiInputCount; ++i) {
    MidiEndpointEntry& in = gMidiDriver.inputs[i];
    const uint8_t* saved = gMidiDriver.names[i];
    if (!in.uniqueId || FindEndpointByUniqueID(in.uniqueId, kMIDIObjectType_Source) || saved[0] == 0) continue;
    for (ItemCount s = 0; s < MIDIGetNumberOfSources(); ++s) {
      uint8_t name[kMidiNameSize] = {};
      GetEndpointDisplayName(MIDIGetSource(s), name, kMidiNameSize);
      if (name[0] != saved[0] || std::memcmp(name + 1, saved + 1, name[0]) != 0) continue;
      uint32_t id = GetEndpointUniqueID(MIDIGetSource(s));
      bool taken = false;
      for (int32_t k = 0; k < i; ++k) taken |= gMidiDriver.inputs[k].uniqueId == id;
      if (taken) continue;
      in.uniqueId = id;
      moved = true;
      break;
    }
  }
  return moved;
}
