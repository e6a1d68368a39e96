// The parameter properties (list, information, value names), answered from the unit's ports.
// Private to platform/audiounit.
#pragma once

#include "platform/audiounit/audio_unit_instance.h"

uint32_t ParameterListSize(const AudioUnitInstance* u, AudioUnitScope scope);
void CopyParameterList(const AudioUnitInstance* u, AudioUnitScope scope, AudioUnitParameterID* ids);
OSStatus FillParameterInfo(const AudioUnitInstance* u, AudioUnitScope scope, AudioUnitParameterID id,
                           AudioUnitParameterInfo* info);
OSStatus CopyParameterValueStrings(const AudioUnitInstance* u, AudioUnitScope scope, AudioUnitParameterID id,
                                   CFArrayRef* strings);
// The text of a value (property 33) and the value of a text (property 38).
OSStatus ParameterStringFromValue(const AudioUnitInstance* u, AudioUnitScope scope,
                                  AudioUnitParameterStringFromValue* request);
OSStatus ParameterValueFromString(const AudioUnitInstance* u, AudioUnitScope scope,
                                  AudioUnitParameterValueFromString* request);
