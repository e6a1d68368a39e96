// Writing queued MIDI into a unit's atom sequence, and readying its other atom ports, before
// a render (engine thread, the unit held). Private to platform/audiounit.
#pragma once

#include "platform/audiounit/audio_unit_instance.h"

void WriteMidiSequence(AudioUnitInstance* u, uint32_t frames);
void PrepareAtomPorts(AudioUnitInstance* u);
