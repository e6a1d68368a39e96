#include "platform/audiounit/audio_unit_listeners.h"

OSStatus AUListenerCreate(AUParameterListenerProc, void*, Float32, AUParameterListenerRef* out) {
  if (out) *out = 0;
  return paramErr;
}
OSStatus AUListenerDispose(AUParameterListenerRef) { return 0; }
OSStatus AUListenerAddParameter(AUParameterListenerRef, void*, const AudioUnitParameter*) {
  return paramErr;
}
OSStatus AUListenerRemoveParameter(AUParameterListenerRef, void*, const AudioUnitParameter*) {
  return paramErr;
}
OSStatus AUEventListenerCreate(AUEventListenerProc, void*, Float32, Float32,
                               AUEventListenerRef* out) {
  if (out) *out = 0;
  return paramErr;
}
OSStatus AUEventListenerDispose(AUEventListenerRef) { return 0; }
OSStatus AUEventListenerAddEventType(AUEventListenerRef, void*, const AudioUnitEvent*) {
  return paramErr;
}
OSStatus AUEventListenerRemoveEventType(AUEventListenerRef, void*, const AudioUnitEvent*) {
  return paramErr;
}
OSStatus AUParameterSet(uint32_t, void*, const AudioUnitParameter*, AudioUnitParameterValue,
                        uint32_t) {
  return 0;
}
OSStatus AUParameterListenerNotify(uint32_t, void*, const AudioUnitParameter*) { return 0; }
OSStatus AUEventListenerNotify(uint32_t, void*, const AudioUnitEvent*) { return 0; }
AudioUnitParameterValue AUParameterValueFromLinear(Float32 linear, const AudioUnitParameter*) {
  return linear;
}
Float32 AUParameterValueToLinear(AudioUnitParameterValue value, const AudioUnitParameter*) {
  return value;
}
int32_t DeliverAudioUnitListenerNotifications() { return 0; }
uint32_t CountDroppedListenerNotifications() { return 0; }
void ResetAudioUnitListeners() {}
