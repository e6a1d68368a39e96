#include "plugins/host/plugin_settings.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_programs.h"

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
  kBypassAt = 93,
  kReceivesMidiAt = 94,
  kFlagsAt = 96,
  kColourAt = 100,
  kFirstParameterAt = 102,
};

constexpr uint8_t kSoundBankKindBank = 2;
constexpr uint32_t kRoutingHashFactor = 13;
constexpr int32_t kDestinationLabelBytes = 256;
constexpr int32_t kMaxInstanceIds = 4096;

bool TakesSoundBank(const PluginInstance* instance) {
  return (instance->stateFlags & kPluginStateBankFSSpec) || (instance->moreFlags & kPluginMoreBankFSRef);
}

bool RoutingInUse(uint32_t routing, const PluginInstance* except) {
  for (uint32_t id = 1; id <= uint32_t(kMaxInstanceIds); ++id) {
    const PluginInstance* other = GetPluginInstance(id);
    if (other != nullptr && other != except && other->outputRouting == routing) return true;
  }
  return false;
}

// A routing id for the plug-in's MIDI output: 13 times the sum of the characters of its
// destination's label (the instance's name when no label is built), moved on until no other
// instance uses it (0 is "none").
uint32_t NewOutputRouting(const PluginInstance* instance) {
  char label[kDestinationLabelBytes] = {};
  uint32_t sum = 0;
  if (BuildDestinationLabel(instance->formatWords[0], instance->formatWords[1], instance->name, label,
                            int32_t(sizeof label))) {
    for (size_t i = 0; i < sizeof label && label[i] != 0; ++i) sum += uint8_t(label[i]);
  } else {
    for (int32_t i = 1; i <= instance->name[0] && i < 32; ++i) sum += instance->name[i];
  }
  uint32_t routing = kRoutingHashFactor * sum;
  while (routing == 0 || RoutingInUse(routing, instance)) ++routing;
  return routing;
}

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
uint8_t GetSettingsBypass(const PluginSettings* s) { return s->bytes[kBypassAt]; }
void SetSettingsBypass(PluginSettings* s, uint8_t v) { s->bytes[kBypassAt] = v; }
uint8_t GetSettingsReceivesMidi(const PluginSettings* s) { return s->bytes[kReceivesMidiAt]; }
void SetSettingsReceivesMidi(PluginSettings* s, uint8_t v) { s->bytes[kReceivesMidiAt] = v; }

uint32_t GetSettingsFlags(const PluginSettings* s) { return ReadU32BE(s->bytes + kFlagsAt); }
void SetSettingsFlags(PluginSettings* s, uint32_t v) { WriteU32BE(s->bytes + kFlagsAt, v); }
uint8_t GetSettingsColour(const PluginSettings* s) { return s->bytes[kColourAt]; }
void SetSettingsColour(PluginSettings* s, uint8_t v) { s->bytes[kColourAt] = v; }
uint16_t GetSettingsFirstParameter(const PluginSettings* s) { return ReadU16BE(s->bytes + kFirstParameterAt); }
void SetSettingsFirstParameter(PluginSettings* s, uint16_t v) { WriteU16BE(s->bytes + kFirstParameterAt, v); }

void SavePluginSettings(PluginInstance* instance, PluginSettings* settings) {
  *settings = PluginSettings();
  if (instance == nullptr) return;
  uint8_t* b = settings->bytes;
  WriteU32BE(b + kProgramCountAt, instance->programCount);
  WriteU32BE(b + kParameterCountAt, instance->parameterCount);
  WriteU32BE(b + kUserWordAt, instance->userWord);
  WriteU32BE(b + kOpenFlagsAt, instance->openFlags);
  WriteI32BE(b + kProgramAt, GetCurrentProgram(instance));
  b[kStateFlagsAt] = uint8_t(GetPluginStateFlags(instance));
  b[kSoundBankKindAt] = TakesSoundBank(instance) ? kSoundBankKindBank : instance->soundBankKind;
  WriteI16BE(b + kMidiKindMaskAt, instance->midiKindMask);
  WriteU16BE(b + kMidiChannelMaskAt, instance->midiChannelMask);
  WriteU16BE(b + kMidiOptionsAt, instance->midiOptions);
  WriteU32BE(b + kBankWordAt, instance->bankWord);
  WriteU32BE(b + kOutputRoutingAt, instance->outputRouting);
  SetSettingsName(settings, instance->name);
  std::memcpy(b + kControllerMaskAt, instance->controllerMask, 16);
  b[kDeviceIdAt] = instance->deviceId;
  SaveBypassState(instance, settings);
  WriteU32BE(b + kFlagsAt, instance->mixerFlags);
  b[kColourAt] = instance->colourIndex;
  WriteU16BE(b + kFirstParameterAt, instance->firstVisibleParameter);
}

void LoadPluginSettings(PluginInstance* instance, const PluginSettings* settings) {
  if (instance == nullptr || settings == nullptr) return;
  const uint8_t* b = settings->bytes;
  instance->userWord = ReadU32BE(b + kUserWordAt);
  uint32_t ownFlag = instance->openFlags & kPluginOpenMidiOutput;
  instance->openFlags = (ReadU32BE(b + kOpenFlagsAt) & ~kPluginOpenMidiOutput) | ownFlag;
  int32_t program = ReadI32BE(b + kProgramAt);
  if (program >= 0 && uint32_t(program) < instance->programCount) SetProgramQuietly(instance, program);
  if (program >= -1) instance->programWord = program;
  instance->soundBankKind = b[kSoundBankKindAt];
  instance->midiKindMask = ReadI16BE(b + kMidiKindMaskAt);
  instance->midiChannelMask = ReadU16BE(b + kMidiChannelMaskAt);
  instance->midiOptions = ReadU16BE(b + kMidiOptionsAt);
  instance->bankWord = ReadU32BE(b + kBankWordAt);
  instance->outputRouting = ReadU32BE(b + kOutputRoutingAt);
  if (b[kNameAt] != 0) GetSettingsName(settings, instance->name);
  std::memcpy(instance->controllerMask, b + kControllerMaskAt, 16);
  instance->deviceId = b[kDeviceIdAt];
  instance->mixerFlags = ReadU32BE(b + kFlagsAt);
  instance->colourIndex = b[kColourAt];
  instance->firstVisibleParameter = ReadU16BE(b + kFirstParameterAt);
  bool midiOutput = ReadU32BE(b + kOpenFlagsAt) & kPluginOpenMidiOutput;
  if (midiOutput && instance->outputRouting == 0) {
    instance->outputRouting = NewOutputRouting(instance);
    RegisterPluginMidiOutput(instance->id, instance->outputRouting);
  }
}
