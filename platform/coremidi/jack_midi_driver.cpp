// JACK MIDI: one client named "Zarin". Each MIDI port of another client becomes an endpoint
// (an input port of theirs a destination, an output port a source) with a port of ours
// connected to it. Sent packets reach the process callback through a lock-free queue and are
// written at the frame their host-time stamp falls on (on a frame line held while output keeps
// coming, see FrameLine); received events are stamped with the host time of their frame and
// queued for the MIDI thread.
//
// The client's name can be set with ZARIN_JACK_CLIENT_NAME. Clients whose names begin with
// "Zarin" are left out, so that two programs of ours on one server do not mirror each other's
// ports without end.
#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/jack/jack_client_lifetime.h"
#include "platform/jack/jack_client_open.h"
#include "platform/threads/lock_free_queue.h"
#include "platform/coremidi/midi_drivers.h"
#include "platform/coremidi/midi_message_split.h"
#include "platform/coremidi/midi_registry.h"
#include "platform/coremidi/midi_server.h"
#include "platform/system/host_time.h"

namespace {

constexpr size_t kMaxPorts = 256;
constexpr size_t kEventBytes = 228;
constexpr size_t kQueueSize = 4096;
constexpr size_t kPendingSize = 4096;
constexpr const char* kClientName = "Zarin";

struct OutEvent {
  MIDITimeStamp stamp = 0;
  uint32_t seq = 0;
  uint32_t epoch = 0;
  uint16_t slot = 0;
  uint16_t length = 0;
  Byte data[kEventBytes];
};

struct Pending {
  OutEvent event;
  uint32_t offset = 0;
  bool late = false;  // counted as late once
};

struct PortSlot {
  std::atomic<jack_port_t*> port{nullptr};   // ours; null while free or being retired
  std::atomic<MIDIEndpointRef> endpoint{0};  // the source an input slot feeds
  std::atomic<uint32_t> epoch{1};            // raised by a flush
  std::atomic<MIDITimeStamp> flushTime{0};
  std::atomic<bool> output{false};  // ours is an output port (the endpoint is a destination)
  // Scan side (under scanLock):
  bool used = false;
  bool connected = false;  // once connected, a later disconnection (by the user) is left alone
  std::string foreign;  // the other client's port, full name
  // Process thread:
  void* buffer = nullptr;
  jack_nframes_t lastWrite = 0;
};

// The line that stamps are placed on: a frame and the host time of one cycle, and the nominal
// rate from there. JACK's own estimate follows the server's cycles, so when a server falls
// behind (an overrun) its frames fall behind the host clock, and every later stamp would land
// earlier in the audio than the music says. Held while output keeps coming, the line keeps
// the spacing of stamps in frames exact; the messages then wait the time the server lost.
struct FrameLine {
  bool valid = false;
  jack_nframes_t frame = 0;
  int64_t host = 0;
  int64_t lastBusy = 0;
};

struct JackState {
  std::mutex scanLock;
  jack_client_t* client = nullptr;
  std::atomic<bool> open{false};
  // The process callback works only for the gate's client (null while closing: a client
  // whose close is still under way is ignored).
  JackCycleGate gate;
  PortSlot slots[kMaxPorts];
  LockFreeQueue<OutEvent, kQueueSize> queue;
  std::atomic<uint32_t> seq{0};
  std::atomic<uint64_t> dropped{0};
  std::atomic<uint64_t> late{0};
  // Process thread:
  Pending pending[kPendingSize];
  size_t pendingCount = 0;
  jack_nframes_t sampleRate = 48000;
  uint32_t due[kPendingSize];
  FrameLine line;
  // Host time minus JACK time (JACK keeps its own clock), measured off the real-time thread.
  std::atomic<int64_t> hostMinusJackNanos{0};
  std::atomic<bool> offsetKnown{false};
  // One process cycle in nanoseconds (0 while closed).
  std::atomic<uint64_t> periodNanos{0};
};

// Never freed: MIDISend may push to the queue while the layer shuts down.
JackState& J() {
  static JackState* state = new JackState;
  return *state;
}

// ---- process thread

// Reads both clocks a few times and keeps the closest pair; once a first value is known, a
// reading interrupted for longer than 50 us is not used.
void MeasureClockOffset(JackState& j) {
  uint64_t bestSpan = UINT64_MAX;
  int64_t best = 0;
  for (int i = 0; i < 7; ++i) {
    uint64_t before = HostTimeNanos();
    jack_time_t jackNow = jack_get_time();
    uint64_t after = HostTimeNanos();
    if (after - before < bestSpan) {
      bestSpan = after - before;
      best = int64_t((before + after) / 2) - int64_t(jackNow) * 1000;
    }
  }
  if (bestSpan > 50000 && j.offsetKnown.load()) return;
  j.hostMinusJackNanos.store(best, std::memory_order_relaxed);
  j.offsetKnown.store(true, std::memory_order_release);
}

// Events further ahead than this many periods stay queued until they come nearer.
constexpr int64_t kPlacementHorizonPeriods = 2;
// The frame line (see FrameLine) is laid again after the output was idle this long, or when
// the server has fallen this far behind it.
constexpr int64_t kLineIdleNanos = 250000000;
constexpr int64_t kLineMaxSlipNanos = 200000000;
// A message whose stamp lies this far before the cycle that takes it was sent too late to be
// placed on its frame (the sender fell behind its lead); it goes out at once and is counted.
constexpr int64_t kLateNanos = 1000000;

// Frames of the line from its start to a host time (nominal rate).
int64_t LineFrames(const FrameLine& line, int64_t hostNanos, jack_nframes_t rate) {
  return (hostNanos - line.host) * int64_t(rate) / 1000000000;
}

// Keeps the line: laid at the first cycle with output after an idle spell, and again when the
// server runs ahead of it (stamps could no longer be met) or falls too far behind.
void FollowFrameLine(JackState& j, jack_nframes_t start, int64_t cycleHost, jack_nframes_t frames, bool busy) {
  FrameLine& line = j.line;
  if (line.valid && !busy && cycleHost - line.lastBusy > kLineIdleNanos) line.valid = false;
  if (line.valid) {
    int64_t slip = int64_t(int32_t(start - line.frame)) - LineFrames(line, cycleHost, j.sampleRate);
    int64_t maxSlip = kLineMaxSlipNanos * int64_t(j.sampleRate) / 1000000000;
    if (slip > int64_t(frames / 2) || slip < -maxSlip) line.valid = false;
  }
  if (!line.valid) {
    line.valid = true;
    line.frame = start;
    line.host = cycleHost;
  }
  if (busy) line.lastBusy = cycleHost;
}

void GatherOutput(JackState& j, jack_nframes_t start, jack_time_t startUs, jack_nframes_t frames) {
  const int64_t offset = j.hostMinusJackNanos.load(std::memory_order_relaxed);
  const int64_t horizon = kPlacementHorizonPeriods * int64_t(frames);
  const int64_t lateFrames = kLateNanos * int64_t(j.sampleRate) / 1000000000;
  while (j.pendingCount < kPendingSize && j.queue.TryPop(&j.pending[j.pendingCount].event))
    j.pending[j.pendingCount++].late = false;
  FollowFrameLine(j, start, int64_t(startUs) * 1000 + offset, frames, j.pendingCount > 0);
  const int64_t startOnLine = int32_t(start - j.line.frame);
  size_t kept = 0;
  for (size_t i = 0; i < j.pendingCount; ++i) {
    Pending p = j.pending[i];
    PortSlot& slot = j.slots[p.event.slot];
    if (slot.buffer == nullptr || !slot.output) continue;  // the port has gone
    if (p.event.epoch != slot.epoch.load(std::memory_order_acquire) &&
        p.event.stamp > slot.flushTime.load(std::memory_order_relaxed))
      continue;  // flushed
    p.offset = 0;
    if (p.event.stamp != 0) {
      int64_t ahead = LineFrames(j.line, int64_t(p.event.stamp), j.sampleRate) - startOnLine;
      if (ahead < -lateFrames && !p.late) {
        p.late = true;
        j.late.fetch_add(1, std::memory_order_relaxed);
      }
      if (ahead > horizon) p.offset = frames;
      else p.offset = ahead <= 0 ? 0 : (ahead >= int64_t(frames) ? frames : uint32_t(ahead));
    }
    j.pending[kept++] = p;
  }
  j.pendingCount = kept;
}

void WriteOutput(JackState& j, jack_nframes_t frames) {
  size_t dueCount = 0;
  for (size_t i = 0; i < j.pendingCount; ++i)
    if (j.pending[i].offset < frames) j.due[dueCount++] = uint32_t(i);
  std::sort(j.due, j.due + dueCount, [&j](uint32_t a, uint32_t b) {
    const Pending& x = j.pending[a];
    const Pending& y = j.pending[b];
    return x.offset != y.offset ? x.offset < y.offset : int32_t(x.event.seq - y.event.seq) < 0;
  });
  for (size_t k = 0; k < dueCount; ++k) {
    const Pending& p = j.pending[j.due[k]];
    PortSlot& slot = j.slots[p.event.slot];
    jack_nframes_t at = std::max<jack_nframes_t>(p.offset, slot.lastWrite);
    if (jack_midi_event_write(slot.buffer, at, p.event.data, p.event.length) != 0)
      j.dropped.fetch_add(1, std::memory_order_relaxed);
    slot.lastWrite = at;
  }
  size_t kept = 0;
  for (size_t i = 0; i < j.pendingCount; ++i)
    if (j.pending[i].offset >= frames) j.pending[kept++] = j.pending[i];
  j.pendingCount = kept;
}

void ReadInput(JackState& j, jack_nframes_t start) {
  for (PortSlot& slot : j.slots) {
    if (slot.buffer == nullptr || slot.output) continue;
    MIDIEndpointRef source = slot.endpoint.load(std::memory_order_acquire);
    uint32_t count = jack_midi_get_event_count(slot.buffer);
    if (source == 0 || count == 0) continue;
    uint32_t batch = NextMidiDeliveryBatch();
    for (uint32_t i = 0; i < count; ++i) {
      jack_midi_event_t ev;
      if (jack_midi_event_get(&ev, slot.buffer, i) != 0 || ev.size == 0) continue;
      int64_t host = int64_t(jack_frames_to_time(j.client, start + ev.time)) * 1000 +
                     j.hostMinusJackNanos.load(std::memory_order_relaxed);
      if (!QueueMidiDelivery(source, kDeliverToConnections, batch, i + 1 == count, MIDITimeStamp(host > 0 ? host : 1),
                             ev.buffer, ev.size, false))
        j.dropped.fetch_add(1, std::memory_order_relaxed);
    }
  }
}

int Process(jack_nframes_t frames, void* client) {
  JackState& j = J();
  if (j.gate.active.load() != client) return 0;  // a client still closing stays out of the count
  JackCycleScope inside(j.gate);
  if (j.gate.active.load() != client) return 0;
  jack_nframes_t start = 0;
  jack_time_t startUs = 0, nextUs = 0;
  float periodUs = 0;
  if (jack_get_cycle_times(j.client, &start, &startUs, &nextUs, &periodUs) != 0) {
    start = jack_last_frame_time(j.client);
    startUs = jack_frames_to_time(j.client, start);
  }
  for (PortSlot& slot : j.slots) {
    jack_port_t* port = slot.port.load();
    slot.buffer = port != nullptr ? jack_port_get_buffer(port, frames) : nullptr;
    slot.lastWrite = 0;
    if (slot.buffer != nullptr && slot.output) jack_midi_clear_buffer(slot.buffer);
  }
  GatherOutput(j, start, startUs, frames);
  WriteOutput(j, frames);
  ReadInput(j, start);
  return 0;
}

// ---- JACK's notification thread: ask the MIDI thread to look again

int OnBufferSize(jack_nframes_t frames, void*) {
  JackState& j = J();
  if (j.sampleRate > 0) j.periodNanos.store(uint64_t(frames) * 1000000000ull / j.sampleRate);
  return 0;
}

void OnPortRegistration(jack_port_id_t, int, void*) { RequestMidiServerWork(kMidiRequestJackRescan); }
void OnClientRegistration(const char*, int, void*) { RequestMidiServerWork(kMidiRequestJackRescan); }
void OnPortRename(jack_port_id_t, const char*, const char*, void*) { RequestMidiServerWork(kMidiRequestJackRescan); }
int OnGraphOrder(void*) {
  RequestMidiServerWork(kMidiRequestJackRescan);
  return 0;
}
void OnShutdown(void*) {
  J().open.store(false);
  RequestMidiServerWork(kMidiRequestJackGone);
}

// ---- scanning (under scanLock)

bool IsOurKind(const std::string& clientName) { return clientName.compare(0, 5, kClientName) == 0; }

std::string OurPortName(JackState& j, bool output, const std::string& foreign, size_t slotIndex) {
  std::string name = std::string(output ? "to " : "from ") + foreign;
  std::replace(name.begin(), name.end(), ':', '/');
  size_t limit = size_t(jack_port_name_size()) - std::strlen(jack_get_client_name(j.client)) - 2;
  if (name.size() > limit - 6) name.resize(limit - 6);
  if (jack_port_by_name(j.client, (std::string(jack_get_client_name(j.client)) + ":" + name).c_str()) != nullptr)
    name += " #" + std::to_string(slotIndex);
  return name;
}

// Connects the slot's port with the other client's port, until that has worked once (it
// fails while the other client is not yet active; the graph change of its activation brings
// another rescan).
void ConnectSlot(JackState& j, PortSlot& slot) {
  if (slot.connected) return;
  jack_port_t* port = slot.port.load();
  const char* ours = jack_port_name(port);
  int err = slot.output.load() ? jack_connect(j.client, ours, slot.foreign.c_str())
                               : jack_connect(j.client, slot.foreign.c_str(), ours);
  slot.connected = err == 0 || err == EEXIST;
}

// The slot of ours for the other client's port, made (port registered and connected) when
// missing. -1 when no slot or port could be had.
int SlotFor(JackState& j, const std::string& foreign, bool output) {
  int free = -1;
  for (size_t i = 0; i < kMaxPorts; ++i) {
    PortSlot& slot = j.slots[i];
    if (slot.used && slot.output.load() == output && slot.foreign == foreign) {
      ConnectSlot(j, slot);
      return int(i);
    }
    if (!slot.used && free < 0) free = int(i);
  }
  if (free < 0) return -1;
  PortSlot& slot = j.slots[free];
  std::string name = OurPortName(j, output, foreign, size_t(free));
  jack_port_t* port =
      jack_port_register(j.client, name.c_str(), JACK_DEFAULT_MIDI_TYPE, output ? JackPortIsOutput : JackPortIsInput, 0);
  if (port == nullptr) return -1;
  slot.used = true;
  slot.connected = false;
  slot.output.store(output);
  slot.foreign = foreign;
  slot.endpoint.store(0);
  slot.port.store(port, std::memory_order_release);
  ConnectSlot(j, slot);
  return free;
}

// Takes the slot's port away from the process callback, waits until the callback can no
// longer be using it, and unregisters it. A port still in use after the wait is left
// registered (it goes with the client) rather than freed under the callback.
void RetireSlot(JackState& j, PortSlot& slot) {
  jack_port_t* port = slot.port.exchange(nullptr);
  slot.endpoint.store(0);
  slot.used = false;
  slot.connected = false;
  slot.foreign.clear();
  if (port != nullptr && AwaitJackCycleEnd(j.gate, "JACK MIDI")) jack_port_unregister(j.client, port);
}

void RescanLocked(JackState& j, bool notify) {
  std::vector<MidiEndpointSpec> endpointSpecs;
  std::vector<bool> seen(kMaxPorts, false);
  const char** ports = jack_get_ports(j.client, nullptr, JACK_DEFAULT_MIDI_TYPE, 0);
  for (size_t n = 0; ports != nullptr && ports[n] != nullptr; ++n) {
    std::string full = ports[n];
    jack_port_t* port = jack_port_by_name(j.client, ports[n]);
    size_t colon = full.find(':');
    if (port == nullptr || jack_port_is_mine(j.client, port) || colon == std::string::npos) continue;
    std::string clientName = full.substr(0, colon);
    if (IsOurKind(clientName)) continue;
    bool isSource = (jack_port_flags(port) & JackPortIsOutput) != 0;
    int slot = SlotFor(j, full, !isSource);
    if (slot < 0) continue;
    seen[size_t(slot)] = true;
    MidiEndpointSpec endpointSpec;
    endpointSpec.deviceKey = "jack-device:" + clientName;
    endpointSpec.deviceName = clientName;
    endpointSpec.entityKey = "jack-entity:" + full;
    endpointSpec.entityName = full.substr(colon + 1);
    endpointSpec.endpointKey = "jack:" + full;
    endpointSpec.endpointName = endpointSpec.entityName;
    endpointSpec.isSource = isSource;
    endpointSpec.driverIndex = uint32_t(slot);
    endpointSpecs.push_back(std::move(endpointSpec));
  }
  if (ports != nullptr) jack_free(ports);
  {
    std::lock_guard<std::mutex> guard(MidiRegistryLock());
    ReconcileMidiDriverLocked(kMidiDriverJack, endpointSpecs, notify);
    for (MIDIObjectRef ref : MidiObjectsOfDriverLocked(kMidiDriverJack)) {
      MidiObject* obj = FindMidiObjectLocked(ref);
      if (obj->kind == kMidiKindSource && obj->driverIndex < kMaxPorts) j.slots[obj->driverIndex].endpoint.store(ref);
    }
  }
  for (size_t i = 0; i < kMaxPorts; ++i)
    if (j.slots[i].used && !seen[i]) RetireSlot(j, j.slots[i]);
}

}  // namespace

bool OpenJackMidi() {
  JackState& j = J();
  std::lock_guard<std::mutex> guard(j.scanLock);
  if (j.client != nullptr) return true;
  const char* name = std::getenv("ZARIN_JACK_CLIENT_NAME");
  if (name == nullptr || *name == '\0') name = kClientName;
  jack_client_t* client = OpenJackClient(name);
  if (client == nullptr) return false;
  j.client = client;
  j.pendingCount = 0;
  j.line = FrameLine();
  j.sampleRate = jack_get_sample_rate(client);
  MeasureClockOffset(j);
  OnBufferSize(jack_get_buffer_size(client), nullptr);
  jack_set_process_callback(client, Process, client);
  jack_set_buffer_size_callback(client, OnBufferSize, nullptr);
  jack_set_port_registration_callback(client, OnPortRegistration, nullptr);
  jack_set_client_registration_callback(client, OnClientRegistration, nullptr);
  jack_set_port_rename_callback(client, OnPortRename, nullptr);
  jack_set_graph_order_callback(client, OnGraphOrder, nullptr);
  jack_on_shutdown(client, OnShutdown, nullptr);
  j.gate.active.store(client);
  if (jack_activate(client) != 0) {
    CloseGatedJackClient(j.gate, client, "JACK MIDI");
    j.client = nullptr;
    return false;
  }
  j.open.store(true);
  return true;
}

void CloseJackMidi() {
  JackState& j = J();
  std::lock_guard<std::mutex> guard(j.scanLock);
  if (j.client == nullptr) return;
  // The callback lets go first; the close (which deactivates the client) may then take its
  // time on a thread of its own without anything here being used under it.
  CloseGatedJackClient(j.gate, j.client, "JACK MIDI");
  j.client = nullptr;
  j.open.store(false);
  j.periodNanos.store(0);
  for (PortSlot& slot : j.slots) {
    slot.port.store(nullptr);
    slot.endpoint.store(0);
    slot.used = false;
    slot.connected = false;
    slot.foreign.clear();
    slot.buffer = nullptr;
  }
  j.pendingCount = 0;
  OutEvent ev;
  while (j.queue.TryPop(&ev)) {
  }
}

bool JackMidiIsOpen() { return J().open.load(); }

void ServiceJackMidi() {
  JackState& j = J();
  if (j.open.load()) MeasureClockOffset(j);
}

void RescanJackMidi(bool notify) {
  JackState& j = J();
  std::lock_guard<std::mutex> guard(j.scanLock);
  if (j.client == nullptr || !j.open.load()) return;
  RescanLocked(j, notify);
}

bool SendJackMidi(uint32_t portSlot, const MIDIPacket* packet) {
  JackState& j = J();
  if (portSlot >= kMaxPorts || !j.open.load(std::memory_order_relaxed)) return false;
  PortSlot& slot = j.slots[portSlot];
  OutEvent ev;
  ev.stamp = packet->timeStamp;
  ev.slot = uint16_t(portSlot);
  ev.epoch = slot.epoch.load(std::memory_order_acquire);
  bool queued = true;
  ForEachMidiMessage(packet->data, packet->length, [&](const Byte* bytes, size_t length) {
    for (size_t at = 0; at < length; at += ev.length) {
      ev.length = uint16_t(std::min(length - at, kEventBytes));
      std::memcpy(ev.data, bytes + at, ev.length);
      ev.seq = j.seq.fetch_add(1, std::memory_order_relaxed);
      if (!j.queue.TryPush(ev)) {
        j.dropped.fetch_add(1, std::memory_order_relaxed);
        queued = false;
        return;
      }
    }
  });
  return queued;
}

void FlushJackMidi(uint32_t portSlot) {
  JackState& j = J();
  MIDITimeStamp now = HostTimeNanos();
  for (size_t i = 0; i < kMaxPorts; ++i) {
    if (portSlot != kAllMidiPorts && i != portSlot) continue;
    j.slots[i].flushTime.store(now, std::memory_order_relaxed);
    j.slots[i].epoch.fetch_add(1, std::memory_order_release);
  }
}

uint64_t JackMidiDropCount() { return J().dropped.load(); }

uint64_t JackMidiLateCount() { return J().late.load(); }

uint64_t JackMidiPeriodNanos() { return J().open.load() ? J().periodNanos.load() : 0; }
