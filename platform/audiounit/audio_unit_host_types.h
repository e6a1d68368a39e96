// Records the host hands to a unit or reads from it: the host's musical-time callbacks
// (kAudioUnitProperty_HostCallbacks, 27) and the unit's supported channel pairs
// (kAudioUnitProperty_SupportedNumChannels, 13).
#pragma once

#include <cstdint>

#include "platform/coreaudio/audio_types.h"
#include "platform/memory/mac_types.h"

// The host's answers to a unit asking for musical time. Every out pointer may be null.
using HostCallback_GetBeatAndTempo = OSStatus (*)(void* hostUserData, Float64* currentBeat,
                                                  Float64* currentTempo);
using HostCallback_GetMusicalTimeLocation = OSStatus (*)(void* hostUserData,
                                                         UInt32* samplesToNextBeat,
                                                         Float32* timeSigNumerator,
                                                         UInt32* timeSigDenominator,
                                                         Float64* currentMeasureDownBeat);
using HostCallback_GetTransportState = OSStatus (*)(void* hostUserData, Boolean* isPlaying,
                                                    Boolean* transportStateChanged,
                                                    Float64* currentSampleInTimeLine,
                                                    Boolean* isCycling, Float64* cycleStartBeat,
                                                    Float64* cycleEndBeat);

// The value of property 27. A unit may take a shorter block (8 bytes of procedures on the
// original layout): the size the unit reports says how many procedures it reads.
struct HostCallbackInfo {
  void* hostUserData = nullptr;
  HostCallback_GetBeatAndTempo beatAndTempoProc = nullptr;
  HostCallback_GetMusicalTimeLocation musicalTimeLocationProc = nullptr;
  HostCallback_GetTransportState transportStateProc = nullptr;
};

// One entry of property 13: {inputs, outputs}; a negative count is a wildcard (-1 any count,
// -n up to n channels).
struct AUChannelInfo {
  int16_t inChannels = 0;
  int16_t outChannels = 0;
};
static_assert(sizeof(AUChannelInfo) == 4);

// A host callback's answer when it has nothing to answer from (no song).
constexpr OSStatus kAudioUnitErr_CannotDoInCurrentContext = -10863;
