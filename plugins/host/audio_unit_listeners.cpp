#include "plugins/host/audio_unit_listeners.h"

void HandleAudioUnitPropertyChange(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope,
                                   AudioUnitElement) {}

void HandleAudioUnitEvent(void*, void*, const AudioUnitEvent*, uint64_t,
                          AudioUnitParameterValue) {}

void HandleAudioUnitParameterChange(void*, void*, const AudioUnitParameter*,
                                    AudioUnitParameterValue) {}
