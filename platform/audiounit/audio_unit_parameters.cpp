// Parameters: one per control port, with the port index as its id. Inputs are readable and
// writable; outputs are read-only meters that the render refreshes. Values are kept within the
// port's limits and are atomic words, so any thread may get and set them.
#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include <strings.h>

#include "platform/audiounit/audio_unit_instance.h"
#include "platform/audiounit/audio_unit_parameter_properties.h"

namespace {

const Lv2Port* ControlPort(const AudioUnitInstance* u, AudioUnitParameterID id) {
  if (id >= u->ports.size() || u->ports[id].kind != Lv2PortKind::kControl) return nullptr;
  return &u->ports[id];
}

}  // namespace

void ControlLimits(const AudioUnitInstance* u, const Lv2Port& p, float* minimum, float* maximum, float* defaultValue) {
  float scale = p.scaledByRate ? float(u->sampleRate) : 1.0f;
  *minimum = p.minimum * scale;
  *maximum = p.maximum * scale;
  if (defaultValue != nullptr) *defaultValue = p.defaultValue * scale;
}

void SetControlValue(AudioUnitInstance* u, uint32_t port, float value) {
  float minimum, maximum;
  ControlLimits(u, u->ports[port], &minimum, &maximum, nullptr);
  u->values[port].store(std::clamp(value, minimum, maximum), std::memory_order_relaxed);
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                               AudioUnitParameterValue* value) {
  AudioUnitInstance* u = FindAudioUnit(unit);
  if (u == nullptr) return badComponentInstance;
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
  const Lv2Port* p = ControlPort(u, id);
  if (p == nullptr) return kAudioUnitErr_InvalidParameter;
  if (value == nullptr) return paramErr;
  *value = u->values[id].load(std::memory_order_relaxed);
  return noErr;
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                               AudioUnitParameterValue value, uint32_t) {
  AudioUnitInstance* u = FindAudioUnit(unit);
  if (u == nullptr) return badComponentInstance;
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
  const Lv2Port* p = ControlPort(u, id);
  if (p == nullptr || !p->input) return kAudioUnitErr_InvalidParameter;
  if (!std::isfinite(value)) return paramErr;
  SetControlValue(u, id, value);
  return noErr;
}

OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, uint32_t count) {
  if (FindAudioUnit(unit) == nullptr) return badComponentInstance;
  if (events == nullptr && count > 0) return paramErr;
  OSStatus first = noErr;
  for (uint32_t i = 0; i < count; ++i) {
    const AudioUnitParameterEvent& e = events[i];
    float value = e.eventType == kParameterEvent_Ramped ? e.eventValues.ramp.endValue : e.eventValues.immediate.value;
    OSStatus status = AudioUnitSetParameter(unit, e.parameter, e.scope, e.element, value, 0);
    if (first == noErr) first = status;
  }
  return first;
}

uint32_t ParameterListSize(const AudioUnitInstance* u, AudioUnitScope scope) {
  return scope == kAudioUnitScope_Global ? uint32_t(u->parameters.size() * sizeof(AudioUnitParameterID)) : 0;
}

void CopyParameterList(const AudioUnitInstance* u, AudioUnitScope scope, AudioUnitParameterID* ids) {
  if (scope != kAudioUnitScope_Global) return;
  for (size_t i = 0; i < u->parameters.size(); ++i) ids[i] = u->parameters[i];
}

OSStatus FillParameterInfo(const AudioUnitInstance* u, AudioUnitScope scope, AudioUnitParameterID id,
                           AudioUnitParameterInfo* info) {
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
  const Lv2Port* p = ControlPort(u, id);
  if (p == nullptr) return kAudioUnitErr_InvalidParameter;
  std::memset(info, 0, sizeof *info);
  size_t n = std::min(p->name.size(), sizeof info->name - 1);
  while (n > 0 && n < p->name.size() && (uint8_t(p->name[n]) & 0xC0) == 0x80) --n;
  std::memcpy(info->name, p->name.data(), n);
  info->unit = p->unit;
  ControlLimits(u, *p, &info->minValue, &info->maxValue, &info->defaultValue);
  info->flags = p->flags;
  if (n < p->name.size()) {  // the whole name goes as a string of its own
    info->cfNameString = CFStringCreateWithUTF8(p->name);
    if (info->cfNameString != nullptr)
      info->flags |= kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_CFNameRelease;
  }
  return noErr;
}

OSStatus CopyParameterValueStrings(const AudioUnitInstance* u, AudioUnitScope scope, AudioUnitParameterID id,
                                   CFArrayRef* strings) {
  *strings = nullptr;
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
  const Lv2Port* p = ControlPort(u, id);
  if (p == nullptr) return kAudioUnitErr_InvalidParameter;
  if (p->valueNames.empty() || p->unit != kAudioUnitParameterUnit_Indexed) return kAudioUnitErr_InvalidProperty;
  std::vector<const void*> names;
  for (const Lv2ValueName& v : p->valueNames) names.push_back(CFStringCreateWithUTF8(v.name));
  *strings = CFArrayCreate(kCFAllocatorDefault, names.data(), CFIndex(names.size()), &kCFTypeArrayCallBacks);
  for (const void* name : names) CFRelease(name);
  return *strings != nullptr ? noErr : memFullErr;
}

void ReleaseParameterInfoName(AudioUnitParameterInfo* info) {
  constexpr uint32_t kOwned = kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_CFNameRelease;
  if (info == nullptr || (info->flags & kOwned) != kOwned) return;
  if (info->cfNameString != nullptr) CFRelease(info->cfNameString);
  info->cfNameString = nullptr;
  info->flags &= ~kOwned;
}

namespace {

const Lv2ValueName* NameOfValue(const Lv2Port& p, float value) {
  for (const Lv2ValueName& v : p.valueNames)
    if (v.value == value) return &v;
  return nullptr;
}

// A number, optionally followed by blanks or the unit's text; nothing else.
bool ParseNumber(const std::string& text, float* value) {
  const char* start = text.c_str();
  char* end = nullptr;
  float parsed = std::strtof(start, &end);
  if (end == start || !std::isfinite(parsed)) return false;
  while (*end == ' ') ++end;
  if (*end != 0 && !std::isalpha(static_cast<unsigned char>(*end)) && *end != '%') return false;
  *value = parsed;
  return true;
}

}  // namespace

OSStatus ParameterStringFromValue(const AudioUnitInstance* u, AudioUnitScope scope,
                                  AudioUnitParameterStringFromValue* request) {
  request->outString = nullptr;
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
  const Lv2Port* p = ControlPort(u, request->inParamID);
  if (p == nullptr) return kAudioUnitErr_InvalidParameter;
  float value = request->inValue != nullptr ? *request->inValue
                                            : u->values[request->inParamID].load(std::memory_order_relaxed);
  const Lv2ValueName* named = NameOfValue(*p, value);
  if (named == nullptr) return kAudioUnitErr_InvalidPropertyValue;
  request->outString = CFStringCreateWithUTF8(named->name);
  return request->outString != nullptr ? OSStatus(noErr) : OSStatus(memFullErr);
}

OSStatus ParameterValueFromString(const AudioUnitInstance* u, AudioUnitScope scope,
                                  AudioUnitParameterValueFromString* request) {
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
  const Lv2Port* p = ControlPort(u, request->inParamID);
  if (p == nullptr) return kAudioUnitErr_InvalidParameter;
  if (request->inString == nullptr) return paramErr;
  std::string text = CFStringToUTF8(request->inString);
  while (!text.empty() && text.front() == ' ') text.erase(text.begin());
  while (!text.empty() && text.back() == ' ') text.pop_back();
  for (const Lv2ValueName& v : p->valueNames) {
    if (strcasecmp(v.name.c_str(), text.c_str()) == 0) {
      request->outValue = v.value;
      return noErr;
    }
  }
  float value = 0.0f;
  if (!ParseNumber(text, &value)) return kAudioUnitErr_InvalidPropertyValue;
  float minimum, maximum;
  ControlLimits(u, *p, &minimum, &maximum, nullptr);
  request->outValue = std::clamp(value, minimum, maximum);
  return noErr;
}
