// Interim: no components are found until the LV2 layer is built.
#include "platform/audiounit/audio_unit.h"

Component FindNextComponent(Component, const ComponentDescription*) { return 0; }
int32_t CountComponents(const ComponentDescription*) { return 0; }
OSErr GetComponentInfo(Component, ComponentDescription*, unsigned char* name) {
  if (name != nullptr) name[0] = 0;
  return invalidComponentID;
}
int32_t GetComponentVersion(Component) { return 0; }
OSErr OpenAComponent(Component, ComponentInstance* instance) {
  *instance = 0;
  return invalidComponentID;
}
ComponentInstance OpenComponent(Component) { return 0; }
OSErr CloseComponent(ComponentInstance) { return paramErr; }

OSStatus AudioUnitInitialize(AudioUnit) { return badComponentInstance; }
OSStatus AudioUnitUninitialize(AudioUnit) { return badComponentInstance; }
OSStatus AudioUnitReset(AudioUnit, AudioUnitScope, AudioUnitElement) { return badComponentInstance; }
OSStatus AudioUnitGetPropertyInfo(AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement,
                                  uint32_t*, Boolean*) {
  return badComponentInstance;
}
OSStatus AudioUnitGetProperty(AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement,
                              void*, uint32_t*) {
  return badComponentInstance;
}
OSStatus AudioUnitSetProperty(AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement,
                              const void*, uint32_t) {
  return badComponentInstance;
}
OSStatus AudioUnitAddPropertyListener(AudioUnit, AudioUnitPropertyID, AudioUnitPropertyListenerProc,
                                      void*) {
  return badComponentInstance;
}
OSStatus AudioUnitGetParameter(AudioUnit, AudioUnitParameterID, AudioUnitScope, AudioUnitElement,
                               AudioUnitParameterValue*) {
  return badComponentInstance;
}
OSStatus AudioUnitSetParameter(AudioUnit, AudioUnitParameterID, AudioUnitScope, AudioUnitElement,
                               AudioUnitParameterValue, uint32_t) {
  return badComponentInstance;
}
OSStatus AudioUnitRender(AudioUnit, AudioUnitRenderActionFlags*, const AudioTimeStamp*, uint32_t,
                         uint32_t, AudioBufferList*) {
  return badComponentInstance;
}
OSStatus MusicDeviceMIDIEvent(AudioUnit, uint32_t, uint32_t, uint32_t, uint32_t) {
  return badComponentInstance;
}
OSStatus AudioUnitScheduleParameters(AudioUnit, const AudioUnitParameterEvent*, uint32_t) {
  return badComponentInstance;
}
