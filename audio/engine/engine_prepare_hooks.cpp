#include "audio/engine/engine_prepare_hooks.h"

EnginePrepareHooks gEnginePrepareHooks = {};

bool SelectLivePlayTrack() {
  auto select = gEnginePrepareHooks.selectLivePlayTrack;
  return select ? select() : false;
}

int16_t AttachRecordInputChannels() {
  auto attach = gEnginePrepareHooks.attachRecordInputChannels;
  return attach ? attach() : 0;
}

int16_t PrepareRecordInputs(int32_t phase) {
  auto prepare = gEnginePrepareHooks.prepareRecordInputs;
  return prepare ? prepare(phase) : 0;
}

void FinishRecordInputs() {
  if (auto finish = gEnginePrepareHooks.finishRecordInputs) finish();
}
