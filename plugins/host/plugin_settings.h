// The per-instance settings that songs and rack states store (the PluginSettings record):
// a big-endian byte image of 96 bytes behind accessors. The two handle fields (20 and 24) are
// written as zeros and never read back: an instance's program lists are rebuilt, never
// restored from a file, and no address ever goes into the record. After the 93 bytes of
// fields: 93 the bypass byte and 94 the receives-MIDI byte (SaveBypassState), 95 zero; then
// the mixer's fields: 96 the flags word (below), 100 the colour index, 102 the first
// parameter shown in the mixer row.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct PluginInstance;

constexpr int32_t kPluginSettingsBytes = 104;  // 93 bytes of fields, padded, and the mixer's 8

// Bits of the settings flags word (PluginInstance::mixerFlags).
enum : uint32_t {
  kPluginFlagFaderLink = 0x01,     // on the chain's first plug-in: rack faders 1 and 2 linked
  kPluginFlagDisplayOption = 0x10, // toggled from the plug-in's contextual menu
  kPluginFlagSelected = 0x20,      // selected in the mixer's rack
};

struct PluginSettings {
  uint8_t bytes[kPluginSettingsBytes] = {};
};
static_assert(sizeof(PluginSettings) == kPluginSettingsBytes);

uint32_t GetSettingsProgramCount(const PluginSettings* s);
void SetSettingsProgramCount(PluginSettings* s, uint32_t v);
uint32_t GetSettingsParameterCount(const PluginSettings* s);
void SetSettingsParameterCount(PluginSettings* s, uint32_t v);
uint32_t GetSettingsUserWord(const PluginSettings* s);
void SetSettingsUserWord(PluginSettings* s, uint32_t v);
uint32_t GetSettingsOpenFlags(const PluginSettings* s);
void SetSettingsOpenFlags(PluginSettings* s, uint32_t v);
int32_t GetSettingsProgram(const PluginSettings* s);
void SetSettingsProgram(PluginSettings* s, int32_t v);
uint8_t GetSettingsStateFlags(const PluginSettings* s);
uint8_t GetSettingsSoundBankKind(const PluginSettings* s);
int16_t GetSettingsMidiKindMask(const PluginSettings* s);
uint16_t GetSettingsMidiChannelMask(const PluginSettings* s);
uint16_t GetSettingsMidiOptions(const PluginSettings* s);
uint32_t GetSettingsBankWord(const PluginSettings* s);
uint32_t GetSettingsOutputRouting(const PluginSettings* s);
void SetSettingsOutputRouting(PluginSettings* s, uint32_t v);
// The length-prefixed name (at most 31 characters).
void GetSettingsName(const PluginSettings* s, Str31 name);
void SetSettingsName(PluginSettings* s, ConstStr31Param name);
void GetSettingsControllerMask(const PluginSettings* s, uint8_t mask[16]);
uint8_t GetSettingsDeviceId(const PluginSettings* s);
uint8_t GetSettingsBypass(const PluginSettings* s);
void SetSettingsBypass(PluginSettings* s, uint8_t v);
uint8_t GetSettingsReceivesMidi(const PluginSettings* s);
void SetSettingsReceivesMidi(PluginSettings* s, uint8_t v);
uint32_t GetSettingsFlags(const PluginSettings* s);
void SetSettingsFlags(PluginSettings* s, uint32_t v);
// The colour index of the plug-in's row (0: none chosen yet).
uint8_t GetSettingsColour(const PluginSettings* s);
void SetSettingsColour(PluginSettings* s, uint8_t v);
uint16_t GetSettingsFirstParameter(const PluginSettings* s);
void SetSettingsFirstParameter(PluginSettings* s, uint16_t v);

// Fills the settings from the instance.
void SavePluginSettings(PluginInstance* instance, PluginSettings* settings);
// Restores the instance from the settings: everything but open flag 0x10 (how this run
// calls the plug-in), the derived state flags, the handles, the bypass and receives-MIDI
// bytes (RestoreBypassState); the program only when it is -1 or more, the name only when it
// is not empty. A plug-in with a MIDI output whose routing word is 0 gets a routing id.
void LoadPluginSettings(PluginInstance* instance, const PluginSettings* settings);
