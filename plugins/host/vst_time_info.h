// The time information a VST plug-in asks for (audioMasterGetTime): sample position and
// rate, quarter-note position, tempo, bar start, cycle and meter, from the channel being
// rendered while a chain renders and from the sequencer clock otherwise.
//
// A known instance always gets its own record (PluginInstance::timeInfo); a caller that is
// not an instance yet (a plug-in asking from its entry point) gets a record of the calling
// thread. So the engine thread and the main thread never fill the same record.
#pragma once

#include <cstdint>

#include "platform/vst/vst_interface.h"
#include "platform/vst/vst_records.h"

struct PluginInstance;

// Fills the time record for the effect with the requested kVst... flags; its address.
VstTimeInfo* FillVstTimeInfo(VstInt32 requested, AEffect* effect);
// The same for an instance already found (null: not known).
VstTimeInfo* FillInstanceTimeInfo(VstInt32 requested, PluginInstance* instance);

// The 1-based tick (with its fraction) of the current song at a sample position, through
// the song's tempo map; 1.0 without a song.
double SamplePositionToCallbackTick(int64_t position, float rate);

// The answer of audioMasterTempoAt for a sample position (0: now): beats per minute x 10000.
int32_t GetVstTempoAt(int32_t samplePosition);
