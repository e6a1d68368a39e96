#include "plugins/host/plugin_parameters.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/audiounit/audio_unit.h"
#include "platform/audiounit/audio_unit_listeners.h"
#include "platform/text/core_foundation.h"
#include "platform/vst/vst_records.h"
#include "plugins/host/plugin_instance.h"
#include "audio/engine/engine_channels.h"
#include "platform/system/host_time.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/host/vst_host_callback.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/rack_automation_fields.h"

uint8_t gNotifyingParameters = 0;

namespace {

constexpr OSErr kParamErr = -50;
constexpr int32_t kRampListMarker = -4;
constexpr uint32_t kAllParameters = 0xFFFFFFFF;
constexpr uint32_t kMeterPollTicks = 2;
constexpr OSErr kUnsupportedErr = -4;
constexpr OSErr kNotExpressibleErr = -43;
constexpr uint32_t kMoreNoIndexRounding = 1u << 30;
constexpr uint32_t kValuesHaveStrings = 0x200000;
constexpr int32_t kVstTextBytes = 256;
constexpr int32_t kCFNameBytes = 256;  // a parameter's whole name, at most 255 bytes
// VstParameterProperties flags.
constexpr VstInt32 kVstParameterIsSwitch = 1;
constexpr VstInt32 kVstParameterUsesIntegerMinMax = 2;
constexpr VstInt32 kVstParameterUsesFloatStep = 4;

// Texts of the switch states (values up to 0.5 are off).
const char* const kSwitchTexts[2] = {"Off", "On"};
// Names of the component layer's parameter units, by unit number.
const char* const kUnitNames[] = {
    "",     "",     "",    "%",   "s",   "samples", "deg", "rate", "Hz",  "cents", "semitones",
    "note", "ctrl", "dB",  "",    "deg", "",        "",    "",     "dB",  "cents", "octaves",
    "BPM",  "beats", "ms", ""};

bool IsVst(const PluginInstance* instance) { return instance->effect != nullptr; }
bool InRange(const PluginInstance* instance, int32_t index) {
  return index >= 0 && uint32_t(index) < instance->parameterCount;
}
bool HasTables(const PluginInstance* instance) {
  return instance->parameterMinimum && instance->parameterMaximum && instance->parameterUnit;
}

AudioUnitParameter UnitParameter(const PluginInstance* instance, int32_t index) {
  AudioUnitParameter parameter;
  parameter.mAudioUnit = instance->unit;
  parameter.mParameterID = instance->parameterIds ? instance->parameterIds[index]
                                                  : AudioUnitParameterID(index);
  return parameter;
}

// The information with its whole name, when it has one of its own (release it), or without.
bool GetUnitInfoNamed(const PluginInstance* instance, int32_t index, AudioUnitParameterInfo* info) {
  uint32_t size = sizeof *info;
  std::memset(info, 0, sizeof *info);
  return AudioUnitGetProperty(instance->unit, kAudioUnitProperty_ParameterInfo,
                              kAudioUnitScope_Global, UnitParameter(instance, index).mParameterID,
                              info, &size) == noErr;
}

bool GetUnitInfo(const PluginInstance* instance, int32_t index, AudioUnitParameterInfo* info) {
  bool ok = GetUnitInfoNamed(instance, index, info);
  ReleaseParameterInfoName(info);
  return ok;
}

void CopyText(char* to, int32_t capacity, const char* from) {
  if (to != nullptr && capacity > 0) CopyVstString(to, from, size_t(capacity));
}

// Asks the VST plug-in for a text of the parameter.
void VstParameterText(PluginInstance* instance, VstInt32 opcode, int32_t index, char* text,
                      int32_t capacity) {
  char buffer[kVstTextBytes] = {};
  CallVstDispatcher(instance, opcode, index, 0, buffer, 0.0f);
  CopyText(text, capacity, buffer);
}

float Scaled(const PluginInstance* instance, int32_t index, float value) {
  float minimum = instance->parameterMinimum[index];
  return minimum + value * (instance->parameterMaximum[index] - minimum);
}

// A VST value's text from the cached tables.
OSErr VstTableText(const PluginInstance* instance, int32_t index, float value, char* text,
                   int32_t capacity) {
  char buffer[64];
  uint32_t unit = instance->parameterUnit[index];
  if (unit == kParameterUnitBoolean) {
    CopyText(text, capacity, kSwitchTexts[value > 0.5f]);
    return noErr;
  }
  float scaled = Scaled(instance, index, value);
  if (unit == kParameterUnitIndexed) {
    if (!(instance->moreFlags & kMoreNoIndexRounding)) scaled = std::floor(scaled + 0.5f);
    std::snprintf(buffer, sizeof buffer, "%7.0f", double(scaled));
  } else {
    std::snprintf(buffer, sizeof buffer, "%f", double(scaled));
  }
  CopyText(text, capacity, buffer);
  return noErr;
}

// A VST value's text from the parameter's properties as the plug-in gives them.
OSErr VstPropertiesText(PluginInstance* instance, int32_t index, float value, char* text,
                        int32_t capacity) {
  VstParameterProperties properties{};
  if (!CallVstDispatcher(instance, kEffGetParameterProperties, index, 0, &properties, 0.0f))
    return kNotExpressibleErr;
  if (properties.flags & kVstParameterUsesIntegerMinMax) {
    char buffer[32];
    float range = float(properties.maxInteger - properties.minInteger);
    std::snprintf(buffer, sizeof buffer, "%d", int32_t(properties.minInteger + value * range));
    CopyText(text, capacity, buffer);
    return noErr;
  }
  if (properties.flags & kVstParameterUsesFloatStep) return kParamErr;
  if (!(properties.flags & kVstParameterIsSwitch)) return kParamErr;
  CopyText(text, capacity, kSwitchTexts[value > 0.5f]);
  return noErr;
}

OSErr VstValueText(PluginInstance* instance, int32_t index, char* text, int32_t capacity,
                   const float* value) {
  if (!InRange(instance, index)) return kParamErr;
  if (value == nullptr) {
    VstParameterText(instance, kEffGetParamDisplay, index, text, capacity);
    return noErr;
  }
  if (HasTables(instance)) return VstTableText(instance, index, *value, text, capacity);
  return VstPropertiesText(instance, index, *value, text, capacity);
}

// The text of an indexed component parameter's value.
OSErr IndexedValueText(const PluginInstance* instance, int32_t index, float value, char* text,
                       int32_t capacity) {
  CFArrayRef strings = nullptr;
  uint32_t size = sizeof strings;
  OSStatus err = AudioUnitGetProperty(instance->unit, kAudioUnitProperty_ParameterValueStrings,
                                      kAudioUnitScope_Global,
                                      UnitParameter(instance, index).mParameterID, &strings, &size);
  if (err != noErr || strings == nullptr) return OSErr(err ? err : kParamErr);
  CFIndex at = CFIndex(value);
  bool found = at >= 0 && at < CFArrayGetCount(strings);
  if (found) {
    auto name = static_cast<CFStringRef>(CFArrayGetValueAtIndex(strings, at));
    found = CFStringGetCString(name, text, capacity, kCFStringEncodingUTF8);
  }
  CFRelease(strings);
  return found ? OSErr(noErr) : kParamErr;
}

// The unit's own text for a value; false when it names none (the value is written as a
// number then).
bool NamedValueText(const PluginInstance* instance, int32_t index, float value, char* text, int32_t capacity) {
  AudioUnitParameterStringFromValue request{UnitParameter(instance, index).mParameterID, &value, nullptr};
  uint32_t size = sizeof request;
  if (AudioUnitGetProperty(instance->unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0,
                           &request, &size) != noErr || request.outString == nullptr)
    return false;
  bool ok = CFStringGetCString(request.outString, text, capacity, kCFStringEncodingUTF8);
  CFRelease(request.outString);
  return ok;
}

OSErr UnitValueText(PluginInstance* instance, int32_t index, char* text, int32_t capacity,
                    const float* given) {
  AudioUnitParameterInfo info;
  if (!GetUnitInfo(instance, index, &info)) return kParamErr;
  float value = 0.0f;
  if (given) value = *given;
  else AudioUnitGetParameter(instance->unit, UnitParameter(instance, index).mParameterID,
                             kAudioUnitScope_Global, 0, &value);
  if (info.unit == kParameterUnitIndexed)
    return IndexedValueText(instance, index, value, text, capacity);
  if (info.unit == kParameterUnitBoolean) {
    CopyText(text, capacity, kSwitchTexts[value > 0.5f]);
    return noErr;
  }
  if ((info.flags & kValuesHaveStrings) && NamedValueText(instance, index, value, text, capacity)) return noErr;
  char buffer[32];
  if (value == std::floor(value) && std::fabs(value) < 2.0e9f)
    std::snprintf(buffer, sizeof buffer, "%d", int32_t(value));
  else
    std::snprintf(buffer, sizeof buffer, "%.8g", double(value));
  CopyText(text, capacity, buffer);
  return noErr;
}

void SetUnitParameter(PluginInstance* instance, int32_t index, float value) {
  AudioUnitParameter parameter = UnitParameter(instance, index);
  if (instance->parameterListener)
    AUParameterSet(instance->parameterListener, instance, &parameter, value, 0);
  else
    AudioUnitSetParameter(instance->unit, parameter.mParameterID, kAudioUnitScope_Global, 0,
                          value, 0);
}

void SetVstParameter(PluginInstance* instance, int32_t index, float value) {
  AEffect* effect = instance->effect;
  if (effect->setParameter == nullptr) return;
  gOpeningPlugin = instance->id;
  effect->setParameter(effect, index, value);
}

}  // namespace

float GetPluginParameterChecked(PluginInstance* instance, int32_t index) {
  if (instance == nullptr || !InRange(instance, index)) return 0.0f;
  if (IsVst(instance)) {
    if (instance->effect->getParameter == nullptr) return 0.0f;
    gOpeningPlugin = instance->id;
    return instance->effect->getParameter(instance->effect, index);
  }
  float value = 0.0f;
  AudioUnitGetParameter(instance->unit, UnitParameter(instance, index).mParameterID,
                        kAudioUnitScope_Global, 0, &value);
  return MapParameterToLinear(instance, index, value);
}

void SetPluginParameterChecked(PluginInstance* instance, int32_t index, float value,
                               int32_t mode) {
  if (instance == nullptr || !InRange(instance, index)) return;
  if (IsVst(instance)) {
    SetVstParameter(instance, index, value);
  } else {
    if (mode != kSetParameterUnits) {
      value = MapLinearToParameter(instance, index, value);
      if (HasTables(instance) && instance->parameterUnit[index] == kParameterUnitIndexed)
        value = std::floor(value + 0.5f);
    }
    SetUnitParameter(instance, index, value);
  }
  if (mode == kSetParameterRedrawStrip) instance->changeFlags |= 1;
}

int32_t SetEngineParameter(void* plugin, int32_t index, float value) {
  auto* instance = static_cast<PluginInstance*>(plugin);
  if (instance == nullptr || !InRange(instance, index)) return kParamErr;
  value = value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
  SetPluginParameterChecked(instance, index, value, kSetParameterNormal);
  return noErr;
}

float MapLinearToParameter(PluginInstance* instance, int32_t index, float value) {
  if (instance == nullptr || !InRange(instance, index) || !HasTables(instance)) return value;
  uint32_t unit = instance->parameterUnit[index];
  if (!IsVst(instance)) {
    if (unit == kParameterUnitIndexed) return std::floor(Scaled(instance, index, value) + 0.5f);
    AudioUnitParameter parameter = UnitParameter(instance, index);
    return AUParameterValueFromLinear(value, &parameter);
  }
  if (unit != kParameterUnitGeneric && unit != kParameterUnitIndexed) return value;
  float scaled = Scaled(instance, index, value);
  if (unit == kParameterUnitIndexed && !(instance->moreFlags & kMoreNoIndexRounding))
    scaled = std::floor(scaled + 0.5f);
  return scaled;
}

float MapParameterToLinear(PluginInstance* instance, int32_t index, float value) {
  if (instance == nullptr || IsVst(instance) || !InRange(instance, index)) return value;
  if (HasTables(instance) && instance->parameterUnit[index] == kParameterUnitIndexed) return value;
  AudioUnitParameter parameter = UnitParameter(instance, index);
  return AUParameterValueToLinear(value, &parameter);
}

OSErr GetParameterInfo(PluginInstance* instance, int32_t index, ParameterDescription* out) {
  *out = ParameterDescription();
  if (instance == nullptr || !InRange(instance, index)) return kParamErr;
  if (!IsVst(instance)) {
    AudioUnitParameterInfo info;
    if (!GetUnitInfo(instance, index, &info)) return kParamErr;
    *out = {info.unit, info.minValue, info.maxValue, info.defaultValue, info.flags};
    return noErr;
  }
  if (HasTables(instance)) {
    out->unit = instance->parameterUnit[index];
    out->minimum = instance->parameterMinimum[index];
    out->maximum = instance->parameterMaximum[index];
  }
  return noErr;
}

void GetParameterName(PluginInstance* instance, int32_t index, char* name, int32_t capacity) {
  CopyText(name, capacity, "");
  if (instance == nullptr) return;
  if (IsVst(instance)) {
    if (InRange(instance, index)) VstParameterText(instance, kEffGetParamName, index, name, capacity);
    else CopyText(name, capacity, instance->parameterCount ? "[parameter error]" : "[no parameters]");
    return;
  }
  AudioUnitParameterInfo info;
  if (!InRange(instance, index) || !GetUnitInfoNamed(instance, index, &info)) return;
  info.name[sizeof info.name - 1] = 0;
  char whole[kCFNameBytes] = {};
  bool named = (info.flags & kAudioUnitParameterFlag_HasCFNameString) && info.cfNameString != nullptr &&
               CFStringGetCString(info.cfNameString, whole, sizeof whole, kCFStringEncodingUTF8);
  CopyText(name, capacity, named ? whole : info.name);
  ReleaseParameterInfoName(&info);
}

void GetParameterLabel(PluginInstance* instance, int32_t index, char* label, int32_t capacity) {
  CopyText(label, capacity, "");
  if (instance == nullptr || !InRange(instance, index)) return;
  if (IsVst(instance)) {
    VstParameterText(instance, kEffGetParamLabel, index, label, capacity);
    return;
  }
  AudioUnitParameterInfo info;
  constexpr uint32_t kUnitNameCount = sizeof kUnitNames / sizeof kUnitNames[0];
  if (GetUnitInfo(instance, index, &info) && info.unit < kUnitNameCount)
    CopyText(label, capacity, kUnitNames[info.unit]);
}

OSErr GetParameterValueText(PluginInstance* instance, int32_t index, char* text,
                            int32_t capacity, const float* value) {
  CopyText(text, capacity, "");
  if (instance == nullptr || text == nullptr || capacity <= 0) return kParamErr;
  if (IsVst(instance)) return VstValueText(instance, index, text, capacity, value);
  if (!InRange(instance, index)) return kParamErr;
  return UnitValueText(instance, index, text, capacity, value);
}

OSErr ParseParameterValue(PluginInstance* instance, int32_t index, const char* text,
                          float* value) {
  if (instance == nullptr || IsVst(instance) || text == nullptr || value == nullptr)
    return kUnsupportedErr;
  if (!InRange(instance, index)) return kParamErr;
  CFStringRef string = CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8);
  if (string == nullptr) return kParamErr;
  AudioUnitParameterValueFromString request{UnitParameter(instance, index).mParameterID, string, 0.0f};
  uint32_t size = sizeof request;
  OSStatus err = AudioUnitGetProperty(instance->unit, kAudioUnitProperty_ParameterValueFromString,
                                      kAudioUnitScope_Global, 0, &request, &size);
  CFRelease(string);
  if (err == noErr) *value = MapParameterToLinear(instance, index, request.outValue);
  return OSErr(err);
}

float GetParameterStepScale(int32_t index, PluginInstance* instance) {
  if (instance == nullptr || IsVst(instance) || !InRange(instance, index)) return 1.0f / 127.0f;
  AudioUnitParameterInfo info;
  if (!GetUnitInfo(instance, index, &info) || info.unit != kParameterUnitIndexed)
    return 1.0f / 127.0f;
  float range = info.maxValue - info.minValue;
  return range > 0.0f ? 1.0f / range : 1.0f / 127.0f;
}

namespace {

void MapRampEvent(PluginInstance* instance, AudioUnitParameterEvent* event) {
  int32_t index = int32_t(event->parameter);
  if (!InRange(instance, index)) return;
  float value = MapLinearToParameter(instance, index, event->eventValues.immediate.value);
  if (instance->parameterUnit[index] == kParameterUnitIndexed) value = std::floor(value + 0.5f);
  event->eventValues.immediate.value = value;
  event->parameter = UnitParameter(instance, index).mParameterID;
}

bool HasMeterParameter(PluginInstance* instance) {
  AudioUnitParameterInfo info;
  for (int32_t index = 0; uint32_t(index) < instance->parameterCount; ++index)
    if (GetUnitInfo(instance, index, &info) && (info.flags & kAudioUnitParameterFlag_MeterReadOnly))
      return true;
  return false;
}

// The tick of "now" for a rack: its channel's engine position, else the song position. A
// channel the engine runs while the transport stands only shows meters (live play): its
// samples are not the song's, so the song position stands.
int32_t RackTickNow(Handle rack) {
  uint32_t channelId = rack ? GetRackEngineChannelId(rack) : 0;
  EngineChannel* channel = channelId ? FindEngineChannelById(channelId) : nullptr;
  if (channel != nullptr && channel->sampleRate > 0.0f && IsClockTaskPlaying())
    return int32_t(SamplePositionToTick(channel->position, channel->sampleRate));
  return int32_t(gTransportClock.songTick.load(std::memory_order_relaxed));
}

}  // namespace

OSStatus ScheduleParameterRamps(Ptr eventList, PluginInstance* instance) {
  if (eventList == nullptr || instance == nullptr) return kParamErr;
  uint32_t count = 0;
  std::memcpy(&count, eventList, sizeof count);
  if (int32_t(count) == kRampListMarker) return noErr;
  if (!HasTables(instance) || IsVst(instance)) return kParamErr;
  auto* events = reinterpret_cast<AudioUnitParameterEvent*>(eventList + sizeof count);
  for (uint32_t n = 0; n < count; ++n) MapRampEvent(instance, &events[n]);
  AudioUnitScheduleParameters(instance->unit, events, count);
  instance->changeFlags |= 1;
  bool single = count == 1 && !instance->notifyPending;
  instance->pendingParameter = single ? events[0].parameter : kAllParameters;
  instance->notifyPending = 1;
  count = 0;
  std::memcpy(eventList, &count, sizeof count);
  return noErr;
}

void FlushParameterNotify(PluginInstance* instance) {
  if (instance == nullptr || !instance->notifyPending) return;
  AudioUnitParameter parameter;
  parameter.mAudioUnit = instance->unit;
  parameter.mParameterID = instance->pendingParameter;
  gNotifyingParameters = 1;
  AUParameterListenerNotify(instance->parameterListener, instance, &parameter);
  gNotifyingParameters = 0;
  instance->notifyPending = 0;
  instance->pendingParameter = kAllParameters;
}

bool PollMeterParameters(PluginInstance* instance) {
  if (instance == nullptr || IsVst(instance)) return false;
  bool redraw = false;
  uint32_t now = TickCount();
  if (!instance->notifyPending && (instance->stateFlags & kPluginStateMeterParams) &&
      now - instance->meterPollTick >= kMeterPollTicks) {
    instance->meterPollTick = now;
    redraw = HasMeterParameter(instance);
    if (redraw) {
      instance->pendingParameter = kAllParameters;
      instance->notifyPending = 1;
    }
  }
  FlushParameterNotify(instance);
  return redraw;
}

void RecordParameterAutomation(float value, PluginInstance* instance, int32_t chainPosition,
                               int32_t index, int32_t time, bool noPoint, bool firstPoint) {
  if (instance == nullptr) return;
  Handle rack = FindRackForInstance(instance, nullptr);
  int32_t tick = time == kAutomationTimeNow ? RackTickNow(rack) : time;
  RecordParameterPoint(rack, tick, value, chainPosition, index, noPoint, firstPoint);
}
