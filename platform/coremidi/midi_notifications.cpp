// Notifications: queued by whatever thread changes the set-up, delivered on the thread that
// runs the event loop.
#include "platform/coremidi/midi_notifications.h"

#include <deque>
#include <mutex>
#include <vector>

#include "platform/coremidi/midi_registry.h"
#include "platform/coremidi/midi_server.h"
#include "platform/coremidi/midi_services.h"

namespace {

struct PendingNotification {
  MIDINotificationMessageID id = 0;
  MIDIObjectRef parent = 0, child = 0;
  MIDIObjectType parentType = 0, childType = 0;
  std::string property;
};

// Beyond this many waiting notifications (nobody pumps), further add/remove/property
// notifications are dropped; a set-up change still gets through.
constexpr size_t kMaxPending = 4096;

struct NotificationState {
  std::mutex lock;
  std::deque<PendingNotification> pending;
  bool suppressed = false;
  void (*wakeProc)(void*) = nullptr;
  void* wakeRefCon = nullptr;
};

NotificationState& State() {
  static NotificationState* state = new NotificationState;
  return *state;
}

void Queue(PendingNotification n) {
  NotificationState& s = State();
  void (*wake)(void*) = nullptr;
  void* refCon = nullptr;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.suppressed) return;
    if (n.id == kMIDIMsgSetupChanged) {
      // One set-up change at the end of a run of changes is enough.
      if (!s.pending.empty() && s.pending.back().id == kMIDIMsgSetupChanged) return;
    } else if (s.pending.size() >= kMaxPending) {
      return;
    }
    s.pending.push_back(std::move(n));
    wake = s.wakeProc;
    refCon = s.wakeRefCon;
  }
  if (wake != nullptr) wake(refCon);
}

}  // namespace

void QueueMidiObjectAdded(MIDIObjectRef parent, MIDIObjectType parentType, MIDIObjectRef child,
                          MIDIObjectType childType) {
  Queue({kMIDIMsgObjectAdded, parent, child, parentType, childType, {}});
}

void QueueMidiObjectRemoved(MIDIObjectRef parent, MIDIObjectType parentType, MIDIObjectRef child,
                            MIDIObjectType childType) {
  Queue({kMIDIMsgObjectRemoved, parent, child, parentType, childType, {}});
}

void QueueMidiPropertyChanged(MIDIObjectRef object, MIDIObjectType objectType, const std::string& propertyName) {
  Queue({kMIDIMsgPropertyChanged, object, 0, objectType, 0, propertyName});
}

void QueueMidiSetupChanged() { Queue({kMIDIMsgSetupChanged, 0, 0, 0, 0, {}}); }

void SuppressMidiNotifications(bool suppress) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().suppressed = suppress;
}

void ClearMidiNotifications() {
  std::lock_guard<std::mutex> guard(State().lock);
  State().pending.clear();
}

void MIDISetNotificationWakeProc(void (*proc)(void* refCon), void* refCon) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().wakeProc = proc;
  State().wakeRefCon = refCon;
}

namespace {

struct Receiver {
  MIDIClientRef client;
  MIDINotifyProc proc;
  void* refCon;
};

std::vector<Receiver> CurrentReceivers() {
  std::vector<Receiver> receivers;
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  for (MIDIClientRef ref : MidiClientsLocked()) {
    MidiObject* client = FindMidiObjectLocked(ref);
    if (client != nullptr && client->notifyProc != nullptr) receivers.push_back({ref, client->notifyProc, client->notifyRefCon});
  }
  return receivers;
}

bool ClientStillThere(MIDIClientRef ref) {
  std::lock_guard<std::mutex> guard(MidiRegistryLock());
  return FindMidiObjectOfKindLocked(ref, kMidiKindClient) != nullptr;
}

void Deliver(const PendingNotification& n, const std::vector<Receiver>& receivers) {
  MIDIObjectAddRemoveNotification addRemove{n.id, sizeof(MIDIObjectAddRemoveNotification), n.parent, n.parentType,
                                            n.child, n.childType};
  MIDIObjectPropertyChangeNotification change{n.id, sizeof(MIDIObjectPropertyChangeNotification), n.parent,
                                              n.parentType, nullptr};
  MIDINotification plain{n.id, sizeof(MIDINotification)};
  const MIDINotification* message = &plain;
  if (n.id == kMIDIMsgObjectAdded || n.id == kMIDIMsgObjectRemoved) {
    message = reinterpret_cast<const MIDINotification*>(&addRemove);
  } else if (n.id == kMIDIMsgPropertyChanged) {
    change.propertyName = CFStringCreateWithUTF8(n.property);
    message = reinterpret_cast<const MIDINotification*>(&change);
  }
  for (const Receiver& r : receivers) {
    // A notification procedure may dispose another client.
    if (ClientStillThere(r.client)) r.proc(message, r.refCon);
  }
  if (change.propertyName != nullptr) CFRelease(change.propertyName);
}

}  // namespace

ItemCount MIDIDeliverPendingNotifications() {
  if (!MidiServicesRunning()) return 0;
  std::deque<PendingNotification> batch;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    batch.swap(State().pending);
  }
  ItemCount delivered = 0;
  if (batch.empty()) return 0;
  std::vector<Receiver> receivers = CurrentReceivers();
  for (const PendingNotification& n : batch) {
    Deliver(n, receivers);
    ++delivered;
  }
  return delivered;
}
