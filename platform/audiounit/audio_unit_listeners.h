// Parameter and event listeners of the plug-in component layer: a registry inside the program
// through which whoever changes a unit's parameter (the host, a unit's own editor, the engine)
// tells everyone who listens to it.
//
// Notifications may be posted from any thread, the engine thread included: posting never
// allocates or blocks (a full queue drops the notification and counts it). They are delivered
// only on the main thread, by DeliverAudioUnitListenerNotifications from the idle pass, to each
// listener at most once per its notification interval; value changes of one parameter that
// arrive between two deliveries to a listener are merged into the last value. A listener never
// hears the changes it posted itself.
#pragma once

#include <cstdint>

#include "platform/audiounit/audio_unit_types.h"
#include "platform/coreaudio/audio_types.h"
#include "platform/memory/mac_types.h"

// Listener ids; 0 is "none".
using AUParameterListenerRef = uint32_t;
using AUEventListenerRef = uint32_t;

// A parameter of a unit. A parameter id of 0xFFFFFFFF in AUListenerAddParameter or an event
// type registration means every parameter of the unit.
constexpr AudioUnitParameterID kAUParameterListener_AnyParameter = 0xFFFFFFFF;
struct AudioUnitParameter {
  AudioUnit mAudioUnit = 0;
  AudioUnitParameterID mParameterID = 0;
  AudioUnitScope mScope = 0;
  AudioUnitElement mElement = 0;
};

enum : uint32_t {
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3,
};

struct AudioUnitProperty {
  AudioUnit mAudioUnit = 0;
  AudioUnitPropertyID mPropertyID = 0;
  AudioUnitScope mScope = 0;
  AudioUnitElement mElement = 0;
};

struct AudioUnitEvent {
  uint32_t mEventType = 0;
  union {
    AudioUnitParameter mParameter;
    AudioUnitProperty mProperty;
  } mArgument{AudioUnitParameter{}};
};

using AUParameterListenerProc = void (*)(void* refCon, void* object,
                                         const AudioUnitParameter* parameter,
                                         AudioUnitParameterValue value);
using AUEventListenerProc = void (*)(void* refCon, void* object, const AudioUnitEvent* event,
                                     uint64_t hostTime, AudioUnitParameterValue value);

// Main thread. The interval (seconds, 0 = every idle pass) spaces deliveries to the listener.
OSStatus AUListenerCreate(AUParameterListenerProc proc, void* refCon, Float32 interval,
                          AUParameterListenerRef* outListener);
OSStatus AUListenerDispose(AUParameterListenerRef listener);
// object is handed back to the procedure with each notification of that parameter.
OSStatus AUListenerAddParameter(AUParameterListenerRef listener, void* object,
                                const AudioUnitParameter* parameter);
OSStatus AUListenerRemoveParameter(AUParameterListenerRef listener, void* object,
                                   const AudioUnitParameter* parameter);

// Main thread. granularity: value changes closer together than this are merged (seconds).
OSStatus AUEventListenerCreate(AUEventListenerProc proc, void* refCon, Float32 interval,
                               Float32 granularity, AUEventListenerRef* outListener);
OSStatus AUEventListenerDispose(AUEventListenerRef listener);
OSStatus AUEventListenerAddEventType(AUEventListenerRef listener, void* object,
                                     const AudioUnitEvent* event);
OSStatus AUEventListenerRemoveEventType(AUEventListenerRef listener, void* object,
                                        const AudioUnitEvent* event);

// Any thread. Sets the parameter on its unit and tells the listeners of that parameter other
// than sendingListener (0: tell all).
OSStatus AUParameterSet(uint32_t sendingListener, void* sendingObject,
                        const AudioUnitParameter* parameter, AudioUnitParameterValue value,
                        uint32_t bufferOffset);
// Any thread. Tells the listeners that the parameter changed (its value is read from the unit
// when the notification is delivered).
OSStatus AUParameterListenerNotify(uint32_t sendingListener, void* sendingObject,
                                   const AudioUnitParameter* parameter);
// Any thread. Posts an event (gesture begin or end, a value change, a property change).
OSStatus AUEventListenerNotify(uint32_t sendingListener, void* sendingObject,
                               const AudioUnitEvent* event);

// A parameter value to and from the linear 0..1 range of a control, through the parameter's
// range of its information (kAudioUnitProperty_ParameterInfo); the value unchanged when the
// information cannot be read or the range is empty.
AudioUnitParameterValue AUParameterValueFromLinear(Float32 linear,
                                                   const AudioUnitParameter* parameter);
Float32 AUParameterValueToLinear(AudioUnitParameterValue value,
                                 const AudioUnitParameter* parameter);

// Main thread, from the idle pass: delivers what is due. Answers the notifications delivered.
int32_t DeliverAudioUnitListenerNotifications();
// Notifications dropped because the queue was full (a diagnostic count, never reset).
uint32_t CountDroppedListenerNotifications();
// Drops every listener and pending notification (tests, and when the program quits).
void ResetAudioUnitListeners();
