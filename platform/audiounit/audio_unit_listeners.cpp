#include "platform/audiounit/audio_unit_listeners.h"

#include <atomic>
#include <chrono>
#include <map>
#include <vector>

#include "platform/audiounit/audio_unit.h"

namespace {

// A notification as posted: who sent it and what happened.
struct Posted {
  uint32_t sender = 0;
  AudioUnitEvent event;
  AudioUnitParameterValue value = 0.0f;
  uint8_t hasValue = 0;
  uint64_t hostTime = 0;
};

// The queue between the posting threads and the main thread: a bounded multi-producer ring.
// Each cell carries a sequence number; a producer claims a cell with a compare-and-swap on the
// write index and publishes it by storing the next sequence (release), the main thread reads
// cells in order while their sequence says they are published (acquire).
constexpr uint32_t kQueueSize = 1024;  // a power of two
struct Cell {
  std::atomic<uint32_t> sequence{0};
  Posted posted;
};
struct Queue {
  Cell cells[kQueueSize];
  std::atomic<uint32_t> writeIndex{0};
  uint32_t readIndex = 0;
  std::atomic<uint32_t> dropped{0};
  Queue() {
    for (uint32_t i = 0; i < kQueueSize; ++i) cells[i].sequence.store(i, std::memory_order_relaxed);
  }
};
Queue gQueue;

bool PostNotification(const Posted& posted) {
  uint32_t index = gQueue.writeIndex.load(std::memory_order_relaxed);
  for (;;) {
    Cell& cell = gQueue.cells[index & (kQueueSize - 1)];
    uint32_t sequence = cell.sequence.load(std::memory_order_acquire);
    int32_t lag = int32_t(sequence - index);
    if (lag < 0) {  // the main thread has not taken this cell yet: full
      gQueue.dropped.fetch_add(1, std::memory_order_relaxed);
      return false;
    }
    if (lag == 0 &&
        gQueue.writeIndex.compare_exchange_weak(index, index + 1, std::memory_order_relaxed)) {
      cell.posted = posted;
      cell.sequence.store(index + 1, std::memory_order_release);
      return true;
    }
    if (lag > 0) index = gQueue.writeIndex.load(std::memory_order_relaxed);
  }
}

bool TakeNotification(Posted* posted) {
  Cell& cell = gQueue.cells[gQueue.readIndex & (kQueueSize - 1)];
  if (cell.sequence.load(std::memory_order_acquire) != gQueue.readIndex + 1) return false;
  *posted = cell.posted;
  cell.sequence.store(gQueue.readIndex + kQueueSize, std::memory_order_release);
  ++gQueue.readIndex;
  return true;
}

// Main-thread state: the listeners and what waits for each.
struct Registration {
  void* object = nullptr;
  AudioUnitEvent event;  // a parameter listener's registrations are value-change events
};
struct Pending {
  void* object = nullptr;
  Posted posted;
};
struct Listener {
  AUParameterListenerProc parameterProc = nullptr;
  AUEventListenerProc eventProc = nullptr;
  void* refCon = nullptr;
  double interval = 0.0;
  double lastDelivery = -1.0e30;
  std::vector<Registration> registrations;
  std::vector<Pending> pending;
};
std::map<uint32_t, Listener> gListeners;
uint32_t gNextListenerId = 1;

double NowSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool SameTarget(const AudioUnitEvent& registered, const AudioUnitEvent& event) {
  if (registered.mEventType != event.mEventType) return false;
  if (event.mEventType == kAudioUnitEvent_PropertyChange) {
    const AudioUnitProperty& a = registered.mArgument.mProperty;
    const AudioUnitProperty& b = event.mArgument.mProperty;
    return a.mAudioUnit == b.mAudioUnit && a.mPropertyID == b.mPropertyID &&
           a.mScope == b.mScope && a.mElement == b.mElement;
  }
  const AudioUnitParameter& a = registered.mArgument.mParameter;
  const AudioUnitParameter& b = event.mArgument.mParameter;
  return a.mAudioUnit == b.mAudioUnit && a.mScope == b.mScope && a.mElement == b.mElement &&
         (a.mParameterID == kAUParameterListener_AnyParameter || a.mParameterID == b.mParameterID);
}

// A value change replaces a waiting change of the same parameter for the same object.
void AddPending(Listener& listener, void* object, const Posted& posted) {
  if (posted.event.mEventType == kAudioUnitEvent_ParameterValueChange) {
    for (Pending& waiting : listener.pending) {
      if (waiting.object == object &&
          waiting.posted.event.mEventType == kAudioUnitEvent_ParameterValueChange &&
          SameTarget(waiting.posted.event, posted.event)) {
        waiting.posted = posted;
        return;
      }
    }
  }
  listener.pending.push_back({object, posted});
}

void FanOut(const Posted& posted) {
  for (auto& [id, listener] : gListeners) {
    if (id == posted.sender) continue;
    for (const Registration& registration : listener.registrations) {
      if (SameTarget(registration.event, posted.event)) AddPending(listener, registration.object, posted);
    }
  }
}

AudioUnitParameterValue ValueOf(const Posted& posted) {
  if (posted.hasValue) return posted.value;
  const AudioUnitParameter& p = posted.event.mArgument.mParameter;
  AudioUnitParameterValue value = 0.0f;
  AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &value);
  return value;
}

// Delivers one listener's waiting notifications; the procedures may create or dispose
// listeners, so the listener is looked up again for every call.
int32_t DeliverPending(uint32_t id) {
  auto found = gListeners.find(id);
  std::vector<Pending> due;
  due.swap(found->second.pending);
  found->second.lastDelivery = NowSeconds();
  int32_t delivered = 0;
  for (const Pending& waiting : due) {
    found = gListeners.find(id);
    if (found == gListeners.end()) break;
    Listener& listener = found->second;
    AudioUnitParameterValue value = ValueOf(waiting.posted);
    if (listener.parameterProc) {
      listener.parameterProc(listener.refCon, waiting.object,
                             &waiting.posted.event.mArgument.mParameter, value);
    } else {
      listener.eventProc(listener.refCon, waiting.object, &waiting.posted.event,
                         waiting.posted.hostTime, value);
    }
    ++delivered;
  }
  return delivered;
}

OSStatus CreateListener(const Listener& listener, uint32_t* outId) {
  if (!outId) return paramErr;
  uint32_t id = gNextListenerId++;
  if (gNextListenerId == 0) gNextListenerId = 1;
  gListeners[id] = listener;
  *outId = id;
  return noErr;
}

OSStatus AddRegistration(uint32_t id, bool eventListener, void* object, const AudioUnitEvent& event) {
  auto found = gListeners.find(id);
  if (found == gListeners.end() || (found->second.eventProc != nullptr) != eventListener) return paramErr;
  found->second.registrations.push_back({object, event});
  return noErr;
}

OSStatus RemoveRegistration(uint32_t id, bool eventListener, void* object, const AudioUnitEvent& event) {
  auto found = gListeners.find(id);
  if (found == gListeners.end() || (found->second.eventProc != nullptr) != eventListener) return paramErr;
  auto& list = found->second.registrations;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->object == object && SameTarget(it->event, event) && SameTarget(event, it->event)) {
      list.erase(it);
      return noErr;
    }
  }
  return paramErr;
}

AudioUnitEvent ValueChangeEvent(const AudioUnitParameter& parameter) {
  AudioUnitEvent event;
  event.mEventType = kAudioUnitEvent_ParameterValueChange;
  event.mArgument.mParameter = parameter;
  return event;
}

}  // namespace

OSStatus AUListenerCreate(AUParameterListenerProc proc, void* refCon, Float32 interval,
                          AUParameterListenerRef* outListener) {
  if (!proc) return paramErr;
  Listener listener;
  listener.parameterProc = proc;
  listener.refCon = refCon;
  listener.interval = interval > 0.0f ? interval : 0.0;
  return CreateListener(listener, outListener);
}

OSStatus AUListenerDispose(AUParameterListenerRef listener) {
  return gListeners.erase(listener) ? noErr : paramErr;
}

OSStatus AUListenerAddParameter(AUParameterListenerRef listener, void* object,
                                const AudioUnitParameter* parameter) {
  if (!parameter) return paramErr;
  return AddRegistration(listener, false, object, ValueChangeEvent(*parameter));
}

OSStatus AUListenerRemoveParameter(AUParameterListenerRef listener, void* object,
                                   const AudioUnitParameter* parameter) {
  if (!parameter) return paramErr;
  return RemoveRegistration(listener, false, object, ValueChangeEvent(*parameter));
}

OSStatus AUEventListenerCreate(AUEventListenerProc proc, void* refCon, Float32 interval,
                               Float32 granularity, AUEventListenerRef* outListener) {
  if (!proc) return paramErr;
  Listener listener;
  listener.eventProc = proc;
  listener.refCon = refCon;
  // Value changes are merged between deliveries, so the coarser of the two spaces them.
  listener.interval = interval > granularity ? interval : granularity;
  if (listener.interval < 0.0) listener.interval = 0.0;
  return CreateListener(listener, outListener);
}

OSStatus AUEventListenerDispose(AUEventListenerRef listener) {
  return gListeners.erase(listener) ? noErr : paramErr;
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef listener, void* object,
                                     const AudioUnitEvent* event) {
  if (!event || event->mEventType > kAudioUnitEvent_PropertyChange) return paramErr;
  return AddRegistration(listener, true, object, *event);
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef listener, void* object,
                                        const AudioUnitEvent* event) {
  if (!event) return paramErr;
  return RemoveRegistration(listener, true, object, *event);
}

OSStatus AUParameterSet(uint32_t sendingListener, void*, const AudioUnitParameter* parameter,
                        AudioUnitParameterValue value, uint32_t bufferOffset) {
  if (!parameter) return paramErr;
  OSStatus err = AudioUnitSetParameter(parameter->mAudioUnit, parameter->mParameterID,
                                       parameter->mScope, parameter->mElement, value, bufferOffset);
  if (err != noErr) return err;
  Posted posted;
  posted.sender = sendingListener;
  posted.event = ValueChangeEvent(*parameter);
  posted.value = value;
  posted.hasValue = 1;
  PostNotification(posted);
  return noErr;
}

OSStatus AUParameterListenerNotify(uint32_t sendingListener, void*,
                                   const AudioUnitParameter* parameter) {
  if (!parameter) return paramErr;
  Posted posted;
  posted.sender = sendingListener;
  posted.event = ValueChangeEvent(*parameter);
  PostNotification(posted);
  return noErr;
}

OSStatus AUEventListenerNotify(uint32_t sendingListener, void*, const AudioUnitEvent* event) {
  if (!event || event->mEventType > kAudioUnitEvent_PropertyChange) return paramErr;
  Posted posted;
  posted.sender = sendingListener;
  posted.event = *event;
  PostNotification(posted);
  return noErr;
}

namespace {

bool ReadRange(const AudioUnitParameter* parameter, float* minimum, float* maximum) {
  if (!parameter) return false;
  AudioUnitParameterInfo info{};
  uint32_t size = sizeof(info);
  if (AudioUnitGetProperty(parameter->mAudioUnit, kAudioUnitProperty_ParameterInfo,
                           kAudioUnitScope_Global, parameter->mParameterID, &info, &size) != noErr) {
    return false;
  }
  *minimum = info.minValue;
  *maximum = info.maxValue;
  return info.maxValue > info.minValue;
}

}  // namespace

AudioUnitParameterValue AUParameterValueFromLinear(Float32 linear,
                                                   const AudioUnitParameter* parameter) {
  float minimum = 0.0f, maximum = 0.0f;
  if (!ReadRange(parameter, &minimum, &maximum)) return linear;
  if (linear < 0.0f) linear = 0.0f;
  if (linear > 1.0f) linear = 1.0f;
  return minimum + linear * (maximum - minimum);
}

Float32 AUParameterValueToLinear(AudioUnitParameterValue value,
                                 const AudioUnitParameter* parameter) {
  float minimum = 0.0f, maximum = 0.0f;
  if (!ReadRange(parameter, &minimum, &maximum)) return value;
  float linear = (value - minimum) / (maximum - minimum);
  return linear < 0.0f ? 0.0f : (linear > 1.0f ? 1.0f : linear);
}

int32_t DeliverAudioUnitListenerNotifications() {
  Posted posted;
  while (TakeNotification(&posted)) FanOut(posted);
  double now = NowSeconds();
  std::vector<uint32_t> due;
  for (const auto& [id, listener] : gListeners) {
    if (!listener.pending.empty() && now - listener.lastDelivery >= listener.interval) due.push_back(id);
  }
  int32_t delivered = 0;
  for (uint32_t id : due) {
    if (gListeners.count(id)) delivered += DeliverPending(id);
  }
  return delivered;
}

uint32_t CountDroppedListenerNotifications() { return gQueue.dropped.load(); }

void ResetAudioUnitListeners() {
  Posted posted;
  while (TakeNotification(&posted)) {
  }
  gListeners.clear();
}
