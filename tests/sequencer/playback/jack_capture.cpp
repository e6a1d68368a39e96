#include "tests/sequencer/playback/jack_capture.h"

#include <jack/midiport.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <thread>

#include "platform/coremidi/midi_services.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_port_build.h"
#include "sequencer/midi/midi_port_layout.h"
#include "song/instruments/instrument_record.h"
#include "sequencer/transport/transport_engine.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/midi_port_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/smf/smf_import.h"
#include "tests/platform/coremidi/jack_test_support.h"
#include "tests/song/smf/smf_bytes.h"
#include "tests/song/smf/smf_test_setup.h"

// ---- the capture client

JackCapture::JackCapture(size_t capacity) : s_(std::make_shared<Shared>()) {
  s_->events.reset(new CapturedMidi[capacity]);
  s_->capacity = capacity;
}

JackCapture::~JackCapture() { Close(); }

bool JackCapture::Open(const std::string& prefix) {
  name_ = prefix + std::to_string(getpid());
  Shared& s = *s_;
  s.client = jack_client_open(name_.c_str(), JackNoStartServer, nullptr);
  if (s.client == nullptr) return false;
  open_ = true;
  s.sampleRate = jack_get_sample_rate(s.client);
  s.in = jack_port_register(s.client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  jack_set_process_callback(s.client, Process, &s);
  jack_set_xrun_callback(s.client, OnXrun, &s);
  s.hostMinusJack = jack_test::HostMinusJackNanos();
  return s.in != nullptr && jack_activate(s.client) == 0;
}

void JackCapture::Close() {
  if (!open_) return;
  open_ = false;
  jack_test::CloseClientWithin(s_->client, s_);
}

uint32_t JackCapture::Period() const { return open_ ? jack_get_buffer_size(s_->client) : 0; }

bool JackCapture::Connected() const {
  if (!open_ || s_->in == nullptr) return false;
  // Layers of other programs on the server connect to the port too.
  const std::string ours = SequencerJackClientName() + ":";
  const char** ports = jack_port_get_all_connections(s_->client, s_->in);
  bool found = false;
  for (size_t i = 0; ports != nullptr && ports[i] != nullptr; ++i)
    if (std::string(ports[i]).compare(0, ours.size(), ours) == 0) found = true;
  if (ports != nullptr) jack_free(ports);
  return found;
}

void JackCapture::KeepOnlyOurLayer(const std::vector<std::string>& others) {
  std::vector<std::string> names{SequencerJackClientName(), name_};
  names.insert(names.end(), others.begin(), others.end());
  if (open_) jack_test::IsolateClients(s_->client, names);
}

std::vector<CapturedMidi> JackCapture::Events(size_t from) const {
  size_t n = Count();
  if (from >= n) return {};
  return std::vector<CapturedMidi>(s_->events.get() + from, s_->events.get() + n);
}

int JackCapture::Process(jack_nframes_t frames, void* arg) {
  auto* c = static_cast<Shared*>(arg);
  jack_nframes_t start = jack_last_frame_time(c->client);
  uint64_t now = HostTimeNanos();
  uint64_t period = uint64_t(frames) * 1000000000 / c->sampleRate;
  if (c->lastCycle != 0 && now - c->lastCycle > 3 * period) c->stalls.fetch_add(1);
  c->lastCycle = now;
  c->wander.Follow(c->client, start, c->sampleRate);
  void* buffer = jack_port_get_buffer(c->in, frames);
  uint32_t count = jack_midi_get_event_count(buffer);
  size_t n = c->count.load(std::memory_order_relaxed);
  for (uint32_t i = 0; i < count && n < c->capacity; ++i) {
    jack_midi_event_t ev;
    if (jack_midi_event_get(&ev, buffer, i) != 0 || ev.size == 0) continue;
    CapturedMidi& out = c->events[n++];
    out.frame = start + ev.time;
    out.hostNanos = uint64_t(int64_t(jack_frames_to_time(c->client, start + ev.time)) * 1000 + c->hostMinusJack);
    out.size = uint16_t(std::min<size_t>(ev.size, kCapturedMidiBytes));
    std::copy(ev.buffer, ev.buffer + out.size, out.bytes);
  }
  c->count.store(n, std::memory_order_release);
  return 0;
}

int JackCapture::OnXrun(void* arg) {
  static_cast<Shared*>(arg)->stalls.fetch_add(1);
  return 0;
}

// ---- the sequencer on JACK

std::string SequencerJackClientName() { return "Zarin-seq-" + std::to_string(getpid()); }

int32_t StartSequencerMidiOnJack(const std::string& captureName) {
  setenv("JACK_NO_START_SERVER", "1", 1);
  setenv("ZARIN_MIDI_DRIVERS", "jack", 1);
  setenv("ZARIN_JACK_CLIENT_NAME", SequencerJackClientName().c_str(), 1);
  gTempoTableResolution = 480;
  gSmpteRateCode = 3;
  BuildTempoTables();
  InitSequencerClock();
  OSStatus s = MidiInit();
  if (s != noErr && s != -1) return -1;
  return FindSequencerPort(captureName, 10);
}

int32_t FindSequencerPort(const std::string& clientName, double seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < until) {
    MIDIDeliverPendingNotifications();
    BuildPortTable(true);
    for (int32_t i = 0; gPortTable && i < gPortCount; ++i) {
      MIDIEndpointRef dest = ReadU32BE(*gPortTable + i * kPortEntrySize + kPortEndpoint);
      uint8_t name[64] = {};
      if (dest) GetEndpointDisplayName(dest, name, sizeof name);
      std::string text(reinterpret_cast<char*>(name + 1), name[0]);
      if (text.find(clientName) != std::string::npos) return i;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

void StopSequencerMidi() {
  StopTransport(false);
  RemoveClockTimer();
  ReleasePlayback();
  MidiShutDown();
  ShutDownMidiServices();
}

// ---- songs

namespace {

struct TimedBytes {
  uint32_t tick;
  int order;  // note-offs before note-ons at one tick
  Bytes bytes;
};

// The upper median of the offsets (the second of each pair).
double MedianOffset(const std::vector<std::pair<size_t, double>>& matched) {
  std::vector<double> offsets;
  for (auto& m : matched) offsets.push_back(m.second);
  std::nth_element(offsets.begin(), offsets.begin() + offsets.size() / 2, offsets.end());
  return offsets[offsets.size() / 2];
}

Bytes TrackBody(std::vector<TimedBytes> events) {
  std::stable_sort(events.begin(), events.end(), [](const TimedBytes& a, const TimedBytes& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  Bytes body;
  uint32_t at = 0;
  for (const TimedBytes& e : events) {
    Append(&body, Vlq(e.tick - at));
    at = e.tick;
    Append(&body, e.bytes);
  }
  Append(&body, Vlq(0));
  Append(&body, EndOfTrack());
  return body;
}

}  // namespace

std::vector<uint8_t> MakeSmf(uint16_t division, const std::vector<SmfTempo>& tempos,
                             const std::vector<std::vector<SmfNote>>& tracks, SmfMeter meter) {
  Bytes file = Header(1, uint16_t(tracks.size() + 1), int16_t(division));
  uint8_t unitPower = 0;
  while ((1u << unitPower) < meter.unit) ++unitPower;
  std::vector<TimedBytes> conductor{{0, 0, Meta(0x58, {meter.beats, unitPower, 0x18, 0x08})}};
  for (const SmfTempo& t : tempos) conductor.push_back({t.tick, 1, Tempo(t.microsecondsPerQuarter)});
  Append(&file, Chunk("MTrk", TrackBody(conductor)));
  for (const std::vector<SmfNote>& notes : tracks) {
    std::vector<TimedBytes> events;
    for (const SmfNote& n : notes) {
      events.push_back({n.tick, 1, {uint8_t(0x90 | n.channel), n.key, n.velocity}});
      events.push_back({n.tick + n.length, 0, {uint8_t(0x80 | n.channel), n.key, 64}});
    }
    Append(&file, Chunk("MTrk", TrackBody(events)));
  }
  return file;
}

Handle OpenSmfAsSong(const std::vector<uint8_t>& file, int32_t port) {
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/zarin_playback_" + std::to_string(getpid()) + ".mid";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return Handle();
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
  SetUpSmfImportState(480);
  FSSpec fileSpec;
  OSErr err = PathToSpec(path, &fileSpec);
  if (err == noErr) err = ImportStandardMidiFile(&fileSpec, 0);
  std::remove(path.c_str());
  if (err != noErr || !gCurrentSongHandle) return Handle();
  Handle song = gCurrentSongHandle;
  uint8_t* s = reinterpret_cast<uint8_t*>(*song);
  uint8_t* e = s + kSongHeaderSize;
  for (uint16_t t = 0; t < ReadU16BE(s + kSongTrackCount); ++t) {
    // A MIDI-port track, as a document keeps it: the kind and port with their procedure.
    e[kTrackType] = kDeviceKindMidiPort;
    WriteU32BE(e + kTrackDriverProc, kMidiPortDriverProc);
    e[kTrackMidiOutput] = uint8_t(port);
    e[kTrackFlags] |= kTrackSounds;
    e += ReadU16BE(e + kTrackLength);
  }
  gTransportSong = song;
  return song;
}

std::vector<ExpectedMidi> ExpectedFromNotes(const std::vector<std::vector<SmfNote>>& tracks) {
  std::vector<ExpectedMidi> out;
  for (const auto& notes : tracks)
    for (const SmfNote& n : notes) {
      out.push_back({n.tick + 1, true, n.channel, n.key});
      out.push_back({n.tick + n.length + 1, false, n.channel, n.key});
    }
  std::stable_sort(out.begin(), out.end(), [](const ExpectedMidi& a, const ExpectedMidi& b) { return a.tick < b.tick; });
  return out;
}

double ConductorMicros(Handle song, uint32_t tick) {
  uint8_t* s = reinterpret_cast<uint8_t*>(*song);
  return (TickToSubframesExact(s, tick) - TickToSubframesExact(s, 1)) * gMicrosecondsPerSubframe;
}

TimingResult CompareTiming(const JackCapture& capture, const std::vector<CapturedMidi>& events,
                           const std::vector<ExpectedMidi>& expected, Handle song) {
  TimingResult r;
  r.expected = expected.size();
  // Expected messages by key {on, channel, key}, in tick order, with their conductor times.
  std::map<uint32_t, std::deque<size_t>> byKey;
  auto keyOf = [](bool on, uint8_t channel, uint8_t key) { return uint32_t(on) << 16 | uint32_t(channel) << 8 | key; };
  std::vector<double> when(expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    byKey[keyOf(expected[i].on, expected[i].channel, expected[i].key)].push_back(i);
    when[i] = ConductorMicros(song, expected[i].tick);
  }
  // Each arrival is matched with the first unmatched expected message of its key that lies
  // within kWindow of it (after the latency of the first arrival is taken off), so that a lost
  // message does not shift every later match; expected messages it passes are missing.
  constexpr double kWindowMicros = 50000;
  bool haveOffset = false;
  double offset = 0;
  std::vector<std::pair<size_t, double>> matched;  // expected index, arrival - conductor time
  std::vector<std::pair<size_t, double>> hostMatched;
  uint32_t lastTick = 0;
  r.ordered = true;
  for (const CapturedMidi& m : events) {
    uint8_t kind = m.bytes[0] & 0xF0;
    if (m.size < 3 || (kind != 0x80 && kind != 0x90)) continue;
    bool on = kind == 0x90 && m.bytes[2] > 0;
    auto& queue = byKey[keyOf(on, m.bytes[0] & 0x0F, m.bytes[1])];
    double arrival = double(m.frame) * 1e6 / capture.SampleRate();
    if (!haveOffset && !queue.empty()) {
      offset = arrival - when[queue.front()];
      r.firstArrivalHostNanos = double(m.hostNanos);
      haveOffset = true;
    }
    while (!queue.empty() && when[queue.front()] + offset < arrival - kWindowMicros) queue.pop_front();
    if (queue.empty() || when[queue.front()] + offset > arrival + kWindowMicros) {
      if (r.firstProblem.empty()) r.firstProblem = "unexpected message at frame " + std::to_string(m.frame);
      ++r.unexpected;
      continue;
    }
    size_t i = queue.front();
    queue.pop_front();
    if (expected[i].tick < lastTick) {
      if (r.ordered) r.firstProblem = "tick " + std::to_string(expected[i].tick) + " arrived after tick " + std::to_string(lastTick);
      r.ordered = false;
    }
    lastTick = std::max(lastTick, expected[i].tick);
    matched.push_back({i, arrival - when[i]});
    hostMatched.push_back({i, double(m.hostNanos) / 1000 - when[i]});
  }
  r.matched = matched.size();
  r.complete = r.matched == r.expected && r.unexpected == 0;
  if (!r.complete && r.firstProblem.empty()) r.firstProblem = std::to_string(r.expected - r.matched) + " messages did not arrive";
  if (matched.empty()) return r;
  r.medianOffsetMicros = MedianOffset(matched);
  std::sort(matched.begin(), matched.end());
  for (auto& m : matched) {
    r.errorIndex.push_back(m.first);
    r.errorsMicros.push_back(m.second - r.medianOffsetMicros);
  }
  double hostMedian = MedianOffset(hostMatched);
  std::sort(hostMatched.begin(), hostMatched.end());
  for (auto& m : hostMatched) r.hostErrorsMicros.push_back(m.second - hostMedian);
  return r;
}

bool WaitForPassEnd(double seconds) {
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (gTransportRunning) {
    if (std::chrono::steady_clock::now() > until) return false;
    RunIdleTask(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
