// Channel layouts of Audio Units: negotiating a unit's stream formats when it is opened,
// laying its buses out again when the mixer asks for other channel counts, choosing the best
// of the channel configurations a unit publishes, and the pop-up menu of the counts a unit can
// take. The counts end up in the PluginInstance: bus counts, per-bus channel counts, total
// channels, format bits, output count and stereo-outputs mask.
//
// The engine takes at most 32 channels on each side and at most 16 buses. Main thread, with the
// engine stopped or idle.
#pragma once

#include <cstdint>

#include "platform/audiounit/audio_unit.h"
#include "platform/coreaudio/audio_types.h"
#include "platform/memory/mac_types.h"

struct PluginInstance;

// PluginInfo flag: the unit must not be uninitialised and initialised again.
constexpr uint32_t kPluginInfoNoReinitialize = 0x400;

// At open: the unit's formats, answered as total input and output channels, the per-bus
// channel counts of up to 16 buses on each side and the format bits (bit n-1: n channels taken
// on both scopes, for units without a supported-channels list).
OSStatus NegotiateAudioUnitFormats(AudioUnit unit, uint32_t* inputs, uint32_t* outputs,
                                   uint32_t outputBusCount, uint8_t* outputChannels,
                                   uint8_t* formatBits, uint32_t inputBusCount,
                                   uint8_t* inputChannels);

// The best entry of a supported-channels list for the wanted counts (a wanted output of -2:
// the entry with the most outputs, at most 32). Answers the distance (0 exact, 0x7FFF
// nothing scored) and the chosen pair, wildcards resolved.
int16_t ChooseChannelConfig(const AUChannelInfo* list, int32_t count, int16_t wantedInput,
                            int16_t wantedOutput, int16_t* outInput, int16_t* outOutput);

// Lays an opened unit out for other counts (uninitialising and initialising it when allowed);
// 0 or the unit's error. Sets state flag 0x800 when the unit ends initialised.
OSStatus SetPluginChannelCounts(PluginInstance* instance, int32_t inputs, int32_t outputs);
// Resets playback and lays the unit out for the count its PluginInfo names for one side
// (layout: kLayoutInputs or kLayoutOutputs; the other side keeps its count).
enum : int32_t { kLayoutInputs = 0, kLayoutOutputs = 1 };
OSStatus ReopenPluginWithChannels(PluginInstance* instance, int32_t layout);
// The pop-up menu of the counts one side can take (output side: outputSide != 0); a choice
// reopens the unit with it and redraws its mixer strip. Answers the chosen count, or -1.
int32_t ChooseChannelCountMenu(uint8_t outputSide, PluginInstance* instance);
// The counts that menu offers, ascending, at most 24; answers how many.
int32_t CollectChannelCountChoices(uint8_t outputSide, PluginInstance* instance,
                                   int32_t* counts);
// The same from a supported-channels list: each entry's count on the side with its multiples up
// to the side's bus count; a wildcard -n offers 2 .. n (any, or more than 32: 2 .. 32).
int32_t CountChoicesFromList(const AUChannelInfo* list, int32_t entries, uint8_t outputSide,
                             uint32_t buses, int32_t* counts);

// Sets each bus's stream format for the wanted counts (inputs per input bus, outputs in all),
// through the supported list when there is one (count entries, or null); spread: outputs that
// no entry matches exactly are spread over several output buses in whole per-bus counts.
OSStatus LayOutAudioUnitBuses(int32_t inputs, PluginInstance* instance, const AUChannelInfo* list,
                              int32_t count, int32_t outputs, uint8_t spread, AudioUnit unit);

// Supporting operations.
uint32_t CountBusElements(AudioUnit unit, AudioUnitScope scope);
OSStatus GetStreamFormat(AudioUnit unit, AudioStreamBasicDescription* format,
                         AudioUnitScope scope, AudioUnitElement element);
// Sets a bus's format to channels (an interleaved format also gets 4 x n bytes per packet and
// frame), reads it back and answers the accepted count in channelsOut.
OSStatus SetBusStreamChannels(AudioUnit unit, AudioUnitScope scope, uint32_t* channelsOut,
                              uint32_t channels, AudioUnitElement element);
// The supported-channels list as a new block (DisposePtr it) and its entry count, or null.
AUChannelInfo* CopySupportedChannels(AudioUnit unit, int32_t* count);
// Each bus's channel count (at most 16 buses) into channels; answers the sum.
uint32_t SumBusChannels(AudioUnit unit, uint32_t busCount, uint8_t* channels,
                        AudioUnitScope scope);
// The number of buses (from the first) that hold the first n channels of the per-bus counts.
uint32_t FindBusOfChannel(const uint8_t* channels, uint32_t busCount, uint32_t n);
// Cuts the instance's output buses to those holding its first n output channels.
void TrimOutputBuses(PluginInstance* instance, uint32_t n);
// Output count and stereo mask from the output buses.
void DeriveOutputLayout(PluginInstance* instance);
// 1 when the unit may be uninitialised and initialised again (its PluginInfo lacks 0x400).
uint8_t MayReinitialize(const PluginInstance* instance);
