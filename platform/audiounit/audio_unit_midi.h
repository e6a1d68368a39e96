// Writing queued MIDI into a unit's atom sequence, and readying its other atom ports, before
// a render (engine thread, the unit held). Private to platform/audiounit.
#pragma once

#include "platform/audiounit/audio_unit_instance.h"

void WriteMidiSequence(AudioUnitInstance* u, uint32_t frames);
void PrepareAtomPorts(AudioUnitInstance* u);

// The host's musical time for plug-ins whose atom input takes time:Position
// (audio_unit_time.cpp): the URIDs, mapped once the unit's buffers are made (main thread),
// and at each render an event at frame 0 of the sequence being forged with the answers of
// the host callbacks (kAudioUnitProperty_HostCallbacks): tempo, bar, beat in the bar, meter,
// speed (1 playing, 0 stopped) and the frame. Nothing without callbacks.
void MapTimeUrids(AudioUnitInstance* u);
void ForgeTimePosition(AudioUnitInstance* u, LV2_Atom_Forge* forge);
