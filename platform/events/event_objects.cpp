// Event objects: creation, reference counts and typed parameters.
#include <algorithm>
#include <cstring>

#include "platform/events/events_internal.h"
#include "platform/events/key_codes.h"

OpaqueEventRef::~OpaqueEventRef() { AEDisposeDesc(&appleEvent); }

namespace events_internal {

const EventParam* FindParam(EventRef event, EventParamName name) {
  if (!event) return nullptr;
  for (const EventParam& p : event->params)
    if (p.name == name) return &p;
  return nullptr;
}

UInt32 ParamUInt32(EventRef event, EventParamName name, UInt32 fallback) {
  UInt32 value = 0;
  if (GetEventParameter(event, name, typeUInt32, nullptr, sizeof value, nullptr, &value) != noErr)
    return fallback;
  return value;
}

bool ParamPoint(EventRef event, EventParamName name, Point* point) {
  return GetEventParameter(event, name, typeQDPoint, nullptr, sizeof(Point), nullptr, point) ==
         noErr;
}

void SetParamUInt32(EventRef event, EventParamName name, EventParamType type, UInt32 value) {
  std::vector<UInt8> data;
  if (CoerceValueData(typeUInt32, &value, sizeof value, type, &data) != noErr) return;
  SetEventParameter(event, name, type, ByteCount(data.size()), data.data());
}

}  // namespace events_internal

using namespace events_internal;

OSStatus CreateEvent(void*, UInt32 eventClass, UInt32 kind, EventTime when,
                     EventAttributes flags, EventRef* outEvent) {
  if (!outEvent) return paramErr;
  EventRef event = new OpaqueEventRef;
  event->eventClass = eventClass;
  event->kind = kind;
  event->time = when != 0 ? when : GetCurrentEventTime();
  event->attributes = flags;
  *outEvent = event;
  return noErr;
}

EventRef CopyEvent(EventRef event) {
  if (!event) return nullptr;
  EventRef copy = new OpaqueEventRef;
  copy->eventClass = event->eventClass;
  copy->kind = event->kind;
  copy->time = event->time;
  copy->attributes = event->attributes;
  copy->params = event->params;
  AEDuplicateDesc(&event->appleEvent, &copy->appleEvent);
  copy->appleEventProcessed = event->appleEventProcessed;
  return copy;
}

EventRef RetainEvent(EventRef event) {
  if (event) event->refCount.fetch_add(1, std::memory_order_relaxed);
  return event;
}

void ReleaseEvent(EventRef event) {
  if (event && event->refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete event;
}

ItemCount GetEventRetainCount(EventRef event) {
  return event ? ItemCount(event->refCount.load(std::memory_order_relaxed)) : 0;
}

UInt32 GetEventClass(EventRef event) { return event ? event->eventClass : 0; }
UInt32 GetEventKind(EventRef event) { return event ? event->kind : 0; }
EventTime GetEventTime(EventRef event) { return event ? event->time : 0; }

OSStatus SetEventTime(EventRef event, EventTime when) {
  if (!event) return paramErr;
  event->time = when;
  return noErr;
}

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type,
                           ByteCount size, const void* data) {
  if (!event || (size && !data)) return paramErr;
  const UInt8* bytes = static_cast<const UInt8*>(data);
  for (EventParam& p : event->params) {
    if (p.name == name) {
      p.type = type;
      p.data.assign(bytes, bytes + size);
      return noErr;
    }
  }
  event->params.push_back(EventParam{name, type, std::vector<UInt8>(bytes, bytes + size)});
  return noErr;
}

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize,
                           ByteCount* outActualSize, void* outData) {
  if (!event) return paramErr;
  const EventParam* p = FindParam(event, name);
  if (!p) return eventParameterNotFoundErr;
  std::vector<UInt8> value;
  EventParamType type = desiredType == typeWildCard ? p->type : desiredType;
  OSErr err = CoerceValueData(p->type, p->data.data(), p->data.size(), type, &value);
  if (err != noErr) return err;
  if (outActualType) *outActualType = type;
  if (outActualSize) *outActualSize = ByteCount(value.size());
  if (outData && bufferSize) std::memcpy(outData, value.data(), std::min<size_t>(bufferSize, value.size()));
  return noErr;
}

OSStatus RemoveEventParameter(EventRef event, EventParamName name) {
  if (!event) return paramErr;
  for (auto it = event->params.begin(); it != event->params.end(); ++it) {
    if (it->name == name) {
      event->params.erase(it);
      return noErr;
    }
  }
  return eventParameterNotFoundErr;
}

Boolean IsUserCancelEventRef(EventRef event) {
  if (!event || event->eventClass != kEventClassKeyboard || event->kind != kEventRawKeyDown)
    return false;
  UInt32 keyCode = ParamUInt32(event, kEventParamKeyCode, 0xFFFF);
  UInt32 modifiers = ParamUInt32(event, kEventParamKeyModifiers, 0);
  if (keyCode == kVK_Escape) return true;
  return keyCode == kVK_ANSI_Period && (modifiers & cmdKey);
}
