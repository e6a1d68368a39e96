#include "song/instruments/output_kinds.h"

#include "platform/memory/byte_order.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/app_strings.h"
#include "shell/base/audio_driver_lookup.h"
#include "shell/base/audio_driver_table.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/processor_chain_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

bool KeepsBoth(uint8_t kind) { return (kind >= 18 && kind <= 20) || (kind >= 22 && kind <= 24); }

bool KeepsPortAfterMapping(uint8_t kind) { return kind == 2 || kind == 3 || kind == 6 || kind == 14; }

// Interim: the fixed names come from the application's name lists once they are authored.
const char* const kKindNames[25] = {
    "MIDI Out 1",  "MIDI Out 2",    "MIDI Out 3",  "MIDI Out 4",  "Serial",
    "GM Synth",    "MIDI Network",  "MIDI Out 1",  "MIDI Out 2",  "MIDI Out 3",
    "MIDI Out 4",  "None",          "Sound",       "Audio",       "MIDI Manager",
    "Speaker",     "Sampler",       "Direct",      "MIDI",        "Audio",
    "Instrument",  "ReWire",        "Device",      "Device",      "Device",
};

void AppendCString(const char* text) {
  Str255 item;
  CopyCStringToPascal(text, item);
  AppendPString(gStringBuffer, item);
}

// The audio driver's name for kinds 19, 23 and 24; null when there is no such driver.
const char* AudioDriverName(uint8_t kind) {
  if (kind != 19 && kind != 23 && kind != 24) return nullptr;
  const AudioDriverRecord* driver = FindAudioDriverById(kind);
  return driver ? driver->name : nullptr;
}

}  // namespace

void NormalizeKindPair(uint8_t* kind, uint8_t* port) {
  uint8_t k = *kind;
  if (k == 4 || k == 5 || k == 11 || k == 127) {
    *port = 0;
    return;
  }
  if (k == 13) {
    *kind = 19;
    return;
  }
  if (KeepsBoth(k)) return;
  if (k >= 7 && k <= 10) k = uint8_t(k - 7);
  *kind = k;
  if (!KeepsPortAfterMapping(k)) *port = 0;
}

void NormalizeKindPairDefault(uint8_t* kind, uint8_t* port, int32_t) { NormalizeKindPair(kind, port); }

uint32_t GetDriverProcForKind(uint8_t kind) {
  switch (kind) {
    case 5: return kQuickTimeMusicDriverProc;
    case 18: return kMidiPortDriverProc;
    case 20: return kPluginInstrumentDriverProc;
    case 21: return kReWireDriverProc;
    default: break;
  }
  const AudioDriverRecord* driver = FindAudioDriverById(kind);
  return driver ? uint32_t(kAudioDriverProcBase + driver->id) : uint32_t(kDefaultDriverProc);
}

void RefreshCurrentTrackDriver() {
  if (!gCurrentTrack) return;
  uint8_t kind = gCurrentTrack[kTrackType];
  uint8_t port = gCurrentTrack[kTrackMidiOutput];
  NormalizeKindPair(&kind, &port);
  gCurrentTrack[kTrackType] = kind;
  gCurrentTrack[kTrackMidiOutput] = port;
  WriteU32BE(gCurrentTrack + kTrackSetting208, GetDriverProcForKind(kind));
  ResetNodeList();
}

StringPtr BuildOutputKindName(uint8_t kind, uint8_t port) {
  gStringBuffer[0] = 0;
  if (kind == 127) {
    AppendCString("Default");
    return gStringBuffer;
  }
  if (kind >= 25) return gStringBuffer;
  const char* driverName = AudioDriverName(kind);
  AppendCString(driverName ? driverName : kKindNames[kind]);
  if (kind == 18 || kind == 20 || kind == 21) {
    Str255 number;
    NumToString(port + 1, number);
    AppendPChar(gStringBuffer, ' ');
    AppendPString(gStringBuffer, number);
  }
  return gStringBuffer;
}

StringPtr GetOutputKindName(uint8_t kind, uint8_t port) { return BuildOutputKindName(kind, port); }
