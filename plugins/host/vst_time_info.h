// The time information a VST plug-in asks for (audioMasterGetTime): sample position and
// rate, quarter-note position, tempo, bar start, cycle and meter, from the engine while a
// chain renders and from the sequencer clock otherwise.
//
// Each thread has its own static record for callers that are not known instances (a plug-in
// calling from its entry point); a known instance always gets its own record, so the engine
// thread and the main thread never fill the same record.
#pragma once

#include <cstdint>

#include "platform/vst/vst_interface.h"
#include "platform/vst/vst_records.h"

struct PluginInstance;

// The cycle's start and end in quarter notes, copied into a known instance's record.
extern double gCycleBounds[2];

// Fills the time record for the effect with the requested kVst... flags; its address.
VstTimeInfo* FillVstTimeInfo(VstInt32 requested, AEffect* effect);
// The same for an instance already found (null: not known).
VstTimeInfo* FillInstanceTimeInfo(VstInt32 requested, PluginInstance* instance);

// The answer of audioMasterTempoAt for a sample position (0: now): beats per minute x 10000.
int32_t GetVstTempoAt(int32_t samplePosition);
