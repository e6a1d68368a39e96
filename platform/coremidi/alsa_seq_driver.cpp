// The ALSA sequencer: one client named "Zarin" with an input port, subscribed to every
// readable port of the other clients and to the system's announce port, and an output port
// that addresses each destination directly. Future stamps are scheduled on a queue of ours
// running on real time; received events are stamped with the host time they arrive at and
// queued for the MIDI thread. A system without /dev/snd/seq has no sequencer: the driver is
// simply absent.
#include <alsa/asoundlib.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/coremidi/midi_drivers.h"
#include "platform/coremidi/midi_message_split.h"
#include "platform/coremidi/midi_registry.h"
#include "platform/coremidi/midi_server.h"
#include "platform/system/host_time.h"

namespace {

constexpr const char* kSequencerDevice = "/dev/snd/seq";
// Stamps closer than this to now are sent at once rather than scheduled.
constexpr uint64_t kScheduleAheadNanos = 500 * 1000;

struct AlsaState {
  std::mutex scanLock;                // open, close, rescan
  std::mutex outLock;                 // the encoder and event output
  std::atomic<snd_seq_t*> seq{nullptr};
  int clientID = -1, inPort = -1, outPort = -1, queue = -1;
  int64_t queueZeroNanos = 0;         // host time at queue time 0
  snd_midi_event_t* encoder = nullptr;
  std::thread input;
  std::atomic<bool> stop{false};
  int wakePipe[2] = {-1, -1};
  std::set<uint32_t> subscribed;      // source addresses subscribed to our input port
  std::mutex mapLock;
  std::unordered_map<uint32_t, MIDIEndpointRef> sources;  // address -> source endpoint
  std::atomic<uint64_t> dropped{0};
};

AlsaState& A() {
  static AlsaState* state = new AlsaState;
  return *state;
}

uint32_t Address(int client, int port) { return (uint32_t(client) << 8) | uint32_t(port & 0xFF); }

bool IsAnnouncement(const snd_seq_event_t* ev) {
  switch (ev->type) {
    case SND_SEQ_EVENT_CLIENT_START: case SND_SEQ_EVENT_CLIENT_EXIT: case SND_SEQ_EVENT_CLIENT_CHANGE:
    case SND_SEQ_EVENT_PORT_START: case SND_SEQ_EVENT_PORT_EXIT: case SND_SEQ_EVENT_PORT_CHANGE:
      return true;
    default:
      return false;
  }
}

void HandleInput(AlsaState& a, snd_seq_event_t* ev, snd_midi_event_t* decoder, std::vector<unsigned char>& buffer) {
  if (IsAnnouncement(ev)) {
    RequestMidiServerWork(kMidiRequestAlsaRescan);
    return;
  }
  MIDIEndpointRef source = 0;
  {
    std::lock_guard<std::mutex> guard(a.mapLock);
    auto it = a.sources.find(Address(ev->source.client, ev->source.port));
    if (it != a.sources.end()) source = it->second;
  }
  if (source == 0) return;
  snd_midi_event_reset_decode(decoder);
  long n = snd_midi_event_decode(decoder, buffer.data(), long(buffer.size()), ev);
  if (n <= 0) return;
  if (!QueueMidiDelivery(source, kDeliverToConnections, NextMidiDeliveryBatch(), true, HostTimeNanos(), buffer.data(),
                         size_t(n), true))
    a.dropped.fetch_add(1, std::memory_order_relaxed);
}

void InputLoop() {
  AlsaState& a = A();
  snd_seq_t* seq = a.seq.load();
  snd_midi_event_t* decoder = nullptr;
  if (snd_midi_event_new(64 * 1024, &decoder) < 0) return;
  snd_midi_event_no_status(decoder, 1);
  std::vector<unsigned char> buffer(64 * 1024);
  int count = snd_seq_poll_descriptors_count(seq, POLLIN);
  std::vector<pollfd> fds(size_t(count) + 1);
  snd_seq_poll_descriptors(seq, fds.data(), unsigned(count), POLLIN);
  fds[size_t(count)] = {a.wakePipe[0], POLLIN, 0};
  while (!a.stop.load()) {
    if (poll(fds.data(), fds.size(), 200) <= 0) continue;
    if (a.stop.load()) break;
    for (;;) {
      snd_seq_event_t* ev = nullptr;
      if (snd_seq_event_input(seq, &ev) < 0 || ev == nullptr) break;
      HandleInput(a, ev, decoder, buffer);
    }
  }
  snd_midi_event_free(decoder);
}

MIDITimeStamp Now() { return HostTimeNanos(); }

void RescanLocked(AlsaState& a, bool notify) {
  snd_seq_t* seq = a.seq.load();
  std::vector<MidiEndpointSpec> endpointSpecs;
  std::set<uint32_t> sources;
  snd_seq_client_info_t* cinfo;
  snd_seq_port_info_t* pinfo;
  snd_seq_client_info_alloca(&cinfo);
  snd_seq_port_info_alloca(&pinfo);
  snd_seq_client_info_set_client(cinfo, -1);
  while (snd_seq_query_next_client(seq, cinfo) >= 0) {
    int client = snd_seq_client_info_get_client(cinfo);
    if (client == a.clientID || client == SND_SEQ_CLIENT_SYSTEM) continue;
    std::string clientName = snd_seq_client_info_get_name(cinfo);
    snd_seq_port_info_set_client(pinfo, client);
    snd_seq_port_info_set_port(pinfo, -1);
    while (snd_seq_query_next_port(seq, pinfo) >= 0) {
      unsigned caps = snd_seq_port_info_get_capability(pinfo);
      if (caps & SND_SEQ_PORT_CAP_NO_EXPORT) continue;
      int port = snd_seq_port_info_get_port(pinfo);
      std::string portName = snd_seq_port_info_get_name(pinfo);
      MidiEndpointSpec endpointSpec;
      endpointSpec.deviceKey = "alsa-device:" + clientName;
      endpointSpec.deviceName = clientName;
      endpointSpec.entityKey = "alsa-entity:" + clientName + "/" + portName;
      endpointSpec.entityName = portName;
      endpointSpec.endpointName = portName;
      endpointSpec.driverIndex = Address(client, port);
      const unsigned readable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
      const unsigned writable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
      if ((caps & readable) == readable) {
        endpointSpec.isSource = true;
        endpointSpec.endpointKey = "alsa-source:" + clientName + "/" + portName;
        endpointSpecs.push_back(endpointSpec);
        sources.insert(endpointSpec.driverIndex);
      }
      if ((caps & writable) == writable) {
        endpointSpec.isSource = false;
        endpointSpec.endpointKey = "alsa-destination:" + clientName + "/" + portName;
        endpointSpecs.push_back(endpointSpec);
      }
    }
  }
  for (uint32_t address : sources)
    if (a.subscribed.count(address) == 0 && snd_seq_connect_from(seq, a.inPort, int(address >> 8), int(address & 0xFF)) == 0)
      a.subscribed.insert(address);
  for (auto it = a.subscribed.begin(); it != a.subscribed.end();) it = sources.count(*it) ? std::next(it) : a.subscribed.erase(it);
  std::unordered_map<uint32_t, MIDIEndpointRef> map;
  {
    std::lock_guard<std::mutex> guard(MidiRegistryLock());
    ReconcileMidiDriverLocked(kMidiDriverAlsa, endpointSpecs, notify);
    for (MIDIObjectRef ref : MidiObjectsOfDriverLocked(kMidiDriverAlsa)) {
      MidiObject* obj = FindMidiObjectLocked(ref);
      if (obj->kind == kMidiKindSource) map[obj->driverIndex] = ref;
    }
  }
  std::lock_guard<std::mutex> guard(a.mapLock);
  a.sources.swap(map);
}

bool MakeQueue(AlsaState& a, snd_seq_t* seq) {
  a.queue = snd_seq_alloc_named_queue(seq, "Zarin");
  if (a.queue < 0) return false;
  snd_seq_start_queue(seq, a.queue, nullptr);
  snd_seq_drain_output(seq);
  snd_seq_queue_status_t* status;
  snd_seq_queue_status_alloca(&status);
  if (snd_seq_get_queue_status(seq, a.queue, status) < 0) return false;
  const snd_seq_real_time_t* rt = snd_seq_queue_status_get_real_time(status);
  a.queueZeroNanos = int64_t(HostTimeNanos()) - (int64_t(rt->tv_sec) * 1000000000 + rt->tv_nsec);
  return true;
}

}  // namespace

bool OpenAlsaSeq() {
  AlsaState& a = A();
  std::lock_guard<std::mutex> guard(a.scanLock);
  if (a.seq.load() != nullptr) return true;
  if (access(kSequencerDevice, R_OK | W_OK) != 0) return false;
  snd_seq_t* seq = nullptr;
  if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) return false;
  snd_seq_set_client_name(seq, "Zarin");
  a.clientID = snd_seq_client_id(seq);
  const unsigned type = SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION;
  a.inPort = snd_seq_create_simple_port(seq, "Zarin In", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE, type);
  a.outPort = snd_seq_create_simple_port(seq, "Zarin Out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ, type);
  if (a.inPort < 0 || a.outPort < 0 || !MakeQueue(a, seq) || snd_midi_event_new(1024, &a.encoder) < 0 ||
      pipe(a.wakePipe) != 0) {
    if (a.encoder != nullptr) snd_midi_event_free(a.encoder);
    a.encoder = nullptr;
    snd_seq_close(seq);
    return false;
  }
  snd_seq_connect_from(seq, a.inPort, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE);
  a.subscribed.clear();
  a.seq.store(seq);
  a.stop.store(false);
  a.input = std::thread(InputLoop);
  return true;
}

void CloseAlsaSeq() {
  AlsaState& a = A();
  std::lock_guard<std::mutex> guard(a.scanLock);
  snd_seq_t* seq = a.seq.load();
  if (seq == nullptr) return;
  a.stop.store(true);
  char wake = 1;
  [[maybe_unused]] ssize_t written = write(a.wakePipe[1], &wake, 1);
  if (a.input.joinable()) a.input.join();
  {
    std::lock_guard<std::mutex> out(a.outLock);
    a.seq.store(nullptr);
    snd_midi_event_free(a.encoder);
    a.encoder = nullptr;
    snd_seq_close(seq);
  }
  close(a.wakePipe[0]);
  close(a.wakePipe[1]);
  a.wakePipe[0] = a.wakePipe[1] = -1;
  std::lock_guard<std::mutex> map(a.mapLock);
  a.sources.clear();
  a.subscribed.clear();
}

bool AlsaSeqIsOpen() { return A().seq.load() != nullptr; }

void RescanAlsaSeq(bool notify) {
  AlsaState& a = A();
  std::lock_guard<std::mutex> guard(a.scanLock);
  if (a.seq.load() == nullptr) return;
  RescanLocked(a, notify);
}

bool SendAlsaSeq(uint32_t address, const MIDIPacket* packet) {
  AlsaState& a = A();
  std::lock_guard<std::mutex> guard(a.outLock);
  snd_seq_t* seq = a.seq.load();
  if (seq == nullptr) return false;
  bool schedule = packet->timeStamp > Now() + kScheduleAheadNanos;
  snd_seq_real_time_t when{};
  if (schedule) {
    int64_t queueNanos = int64_t(packet->timeStamp) - a.queueZeroNanos;
    when.tv_sec = unsigned(queueNanos / 1000000000);
    when.tv_nsec = unsigned(queueNanos % 1000000000);
  }
  bool sent = true;
  ForEachMidiMessage(packet->data, packet->length, [&](const Byte* bytes, size_t length) {
    snd_midi_event_reset_encode(a.encoder);
    while (length > 0) {
      snd_seq_event_t ev;
      snd_seq_ev_clear(&ev);
      long used = snd_midi_event_encode(a.encoder, bytes, long(length), &ev);
      if (used <= 0) break;
      bytes += used;
      length -= size_t(used);
      if (ev.type == SND_SEQ_EVENT_NONE) continue;
      snd_seq_ev_set_source(&ev, a.outPort);
      snd_seq_ev_set_dest(&ev, int(address >> 8), int(address & 0xFF));
      if (schedule) {
        snd_seq_ev_schedule_real(&ev, a.queue, 0, &when);
      } else {
        snd_seq_ev_set_direct(&ev);
      }
      if (snd_seq_event_output_direct(seq, &ev) < 0) {
        a.dropped.fetch_add(1, std::memory_order_relaxed);
        sent = false;
      }
    }
  });
  return sent;
}

void FlushAlsaSeq(uint32_t address) {
  AlsaState& a = A();
  std::lock_guard<std::mutex> guard(a.outLock);
  snd_seq_t* seq = a.seq.load();
  if (seq == nullptr) return;
  snd_seq_remove_events_t* remove;
  snd_seq_remove_events_alloca(&remove);
  unsigned condition = SND_SEQ_REMOVE_OUTPUT;
  snd_seq_remove_events_set_queue(remove, a.queue);
  if (address != kAllMidiPorts) {
    snd_seq_addr_t dest{uint8_t(address >> 8), uint8_t(address & 0xFF)};
    snd_seq_remove_events_set_dest(remove, &dest);
    condition |= SND_SEQ_REMOVE_DEST;
  }
  snd_seq_remove_events_set_condition(remove, condition);
  snd_seq_remove_events(seq, remove);
}
