#include "audio/engine/record_input_commits.h"

#include "audio/engine/record_inputs.h"

void AssignRecordInputChannels(AudioInput*, int32_t, int32_t, int32_t, int32_t) {}
void WriteRecordInputFloat(AudioInput*, const float*, const float*, int32_t, int32_t, EngineWorker*) {}
void CommitRecordBytes(AudioInput*, int32_t, int32_t, int32_t, int32_t, EngineWorker*) {}
void MixIntoBusPair(const float*, float*, uint8_t*, float*, int32_t, bool) {}
