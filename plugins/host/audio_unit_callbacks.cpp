#include "plugins/host/audio_unit_callbacks.h"

NextBeatCache* CurrentNextBeatCache() {
  thread_local NextBeatCache cache;
  return &cache;
}

void ResetNextBeatCache() {}

OSStatus GetBeatAndTempo(void*, Float64* currentBeat, Float64* currentTempo) {
  if (currentBeat) *currentBeat = 0.0;
  if (currentTempo) *currentTempo = 120.0;
  return 0;
}

OSStatus GetMusicalTimeLocation(void*, UInt32*, Float32*, UInt32*, Float64*) {
  return kAudioUnitErr_CannotDoInCurrentContext;
}

OSStatus GetTransportState(void*, Boolean* isPlaying, Boolean* changed, Float64* sample,
                           Boolean* cycling, Float64* cycleStart, Float64* cycleEnd) {
  if (isPlaying) *isPlaying = false;
  if (changed) *changed = false;
  if (sample) *sample = 0.0;
  if (cycling) *cycling = false;
  if (cycleStart) *cycleStart = 0.0;
  if (cycleEnd) *cycleEnd = 0.0;
  return 0;
}

uint32_t GetSamplesToNextBeat(int64_t, double, float, NextBeatCache*, Handle, int32_t) {
  return 0;
}

void FillHostCallbackInfo(PluginInstance* instance, HostCallbackInfo* info) {
  info->hostUserData = instance;
  info->beatAndTempoProc = GetBeatAndTempo;
  info->musicalTimeLocationProc = GetMusicalTimeLocation;
  info->transportStateProc = GetTransportState;
}
