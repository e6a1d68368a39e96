#include "plugins/host/plugin_settings.h"

#include <cstring>

#include "platform/memory/byte_order.h"

namespace {

// Field offsets of the settings record.
enum : int32_t {
  kProgramCountAt = 0,
  kParameterCountAt = 4,
  kUserWordAt = 8,
  kOpenFlagsAt = 12,
  kProgramAt = 16,
  kFirstHandleAt = 20,
  kSecondHandleAt = 24,
  kStateFlagsAt = 28,
  kSoundBankKindAt = 29,
  kMidiKindMaskAt = 30,
  kMidiChannelMaskAt = 32,
  kMidiOptionsAt = 34,
  kBankWordAt = 36,
  kOutputRoutingAt = 40,
  kNameAt = 44,
  kControllerMaskAt = 76,
  kDeviceIdAt = 92,
};

}  // namespace

uint32_t GetSettingsProgramCount(const PluginSettings* s) { return ReadU32BE(s->bytes + kProgramCountAt); }
void SetSettingsProgramCount(PluginSettings* s, uint32_t v) { WriteU32BE(s->bytes + kProgramCountAt, v); }
uint32_t GetSettingsParameterCount(const PluginSettings* s) { return ReadU32BE(s->bytes + kParameterCountAt); }
void SetSettingsParameterCount(PluginSettings* s, uint32_t v) { WriteU32BE(s->bytes + kParameterCountAt, v); }
uint32_t GetSettingsUserWord(const PluginSettings* s) { return ReadU32BE(s->bytes + kUserWordAt); }
void SetSettingsUserWord(PluginSettings* s, uint32_t v) { WriteU32BE(s->bytes + kUserWordAt, v); }
uint32_t GetSettingsOpenFlags(const PluginSettings* s) { return ReadU32BE(s->bytes + kOpenFlagsAt); }
void SetSettingsOpenFlags(PluginSettings* s, uint32_t v) { WriteU32BE(s->bytes + kOpenFlagsAt, v); }
int32_t GetSettingsProgram(const PluginSettings* s) { return ReadI32BE(s->bytes + kProgramAt); }
void SetSettingsProgram(PluginSettings* s, int32_t v) { WriteI32BE(s->bytes + kProgramAt, v); }
uint8_t GetSettingsStateFlags(const PluginSettings* s) { return s->bytes[kStateFlagsAt]; }
uint8_t GetSettingsSoundBankKind(const PluginSettings* s) { return s->bytes[kSoundBankKindAt]; }
int16_t GetSettingsMidiKindMask(const PluginSettings* s) { return ReadI16BE(s->bytes + kMidiKindMaskAt); }
uint16_t GetSettingsMidiChannelMask(const PluginSettings* s) { return ReadU16BE(s->bytes + kMidiChannelMaskAt); }
uint16_t GetSettingsMidiOptions(const PluginSettings* s) { return ReadU16BE(s->bytes + kMidiOptionsAt); }
uint32_t GetSettingsBankWord(const PluginSettings* s) { return ReadU32BE(s->bytes + kBankWordAt); }
uint32_t GetSettingsOutputRouting(const PluginSettings* s) { return ReadU32BE(s->bytes + kOutputRoutingAt); }
void SetSettingsOutputRouting(PluginSettings* s, uint32_t v) { WriteU32BE(s->bytes + kOutputRoutingAt, v); }

void GetSettingsName(const PluginSettings* s, Str31 name) {
  uint8_t length = s->bytes[kNameAt] > 31 ? 31 : s->bytes[kNameAt];
  name[0] = length;
  std::memcpy(name + 1, s->bytes + kNameAt + 1, length);
}

void SetSettingsName(PluginSettings* s, ConstStr31Param name) {
  uint8_t length = name[0] > 31 ? 31 : name[0];
  std::memset(s->bytes + kNameAt, 0, 32);
  s->bytes[kNameAt] = length;
  std::memcpy(s->bytes + kNameAt + 1, name + 1, length);
}

void GetSettingsControllerMask(const PluginSettings* s, uint8_t mask[16]) {
  std::memcpy(mask, s->bytes + kControllerMaskAt, 16);
}

uint8_t GetSettingsDeviceId(const PluginSettings* s) { return s->bytes[kDeviceIdAt]; }

void SavePluginSettings(PluginInstance*, PluginSettings* settings) { *settings = PluginSettings(); }
void LoadPluginSettings(PluginInstance*, const PluginSettings*) {}
