#include "plugins/host/audio_unit_layouts.h"

OSStatus NegotiateAudioUnitFormats(AudioUnit, uint32_t* inputs, uint32_t* outputs, uint32_t,
                                   uint8_t*, uint8_t* formatBits, uint32_t, uint8_t*) {
  if (inputs) *inputs = 0;
  if (outputs) *outputs = 0;
  if (formatBits) *formatBits = 0;
  return 0;
}

int16_t ChooseChannelConfig(const AUChannelInfo*, int32_t, int16_t wantedInput,
                            int16_t wantedOutput, int16_t* outInput, int16_t* outOutput) {
  if (outInput) *outInput = wantedInput;
  if (outOutput) *outOutput = wantedOutput;
  return 0x7FFF;
}

OSStatus SetPluginChannelCounts(PluginInstance*, int32_t, int32_t) { return 0; }
OSStatus ReopenPluginWithChannels(PluginInstance*, int32_t) { return 0; }
int32_t ChooseChannelCountMenu(uint8_t, PluginInstance*) { return -1; }
int32_t CollectChannelCountChoices(uint8_t, PluginInstance*, int32_t*) { return 0; }
OSStatus LayOutAudioUnitBuses(int32_t, PluginInstance*, const AUChannelInfo*, int32_t, int32_t,
                              uint8_t, AudioUnit) {
  return 0;
}
uint32_t CountBusElements(AudioUnit, AudioUnitScope) { return 0; }
OSStatus GetStreamFormat(AudioUnit, AudioStreamBasicDescription*, AudioUnitScope,
                         AudioUnitElement) {
  return kAudioUnitErr_InvalidProperty;
}
OSStatus SetBusStreamChannels(AudioUnit, AudioUnitScope, uint32_t* channelsOut, uint32_t,
                              AudioUnitElement) {
  if (channelsOut) *channelsOut = 0;
  return kAudioUnitErr_InvalidProperty;
}
AUChannelInfo* CopySupportedChannels(AudioUnit, int32_t* count) {
  if (count) *count = 0;
  return nullptr;
}
uint32_t SumBusChannels(AudioUnit, uint32_t, uint8_t*, AudioUnitScope) { return 0; }
uint32_t FindBusOfChannel(const uint8_t*, uint32_t, uint32_t) { return 0; }
void TrimOutputBuses(PluginInstance*, uint32_t) {}
void DeriveOutputLayout(PluginInstance*) {}
uint8_t MayReinitialize(const PluginInstance*) { return 1; }
