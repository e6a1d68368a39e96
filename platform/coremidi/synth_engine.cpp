// The built-in synth's engine: FluidSynth fed through a lock-free queue, rendered by the
// audio layer's output thread.
#include "platform/coremidi/synth_engine.h"

#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/coremidi/builtin_synth.h"
#include "platform/threads/lock_free_queue.h"
#include "platform/coremidi/midi_server.h"
#include "platform/system/host_time.h"

namespace {

constexpr size_t kQueueSize = 4096;
constexpr size_t kPendingSize = 4096;
constexpr double kDefaultRate = 48000.0;
// A note-on this late when its buffer is finally rendered (nobody rendered for a while) is
// dropped rather than sounded; everything else is still applied.
constexpr uint64_t kStaleNoteNanos = 250 * 1000 * 1000;

struct Engine {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  int fontID = -1;
  double rate = 0;
  uint64_t framesRendered = 0;  // render thread only
};

// FluidSynth computes sound in blocks of this many frames; an event takes effect at the start
// of the next block.
constexpr uint32_t kSynthBlock = 64;

struct PendingEvent {
  SynthEvent event;
  uint32_t offset = 0;
};

struct SynthState {
  LockFreeQueue<SynthEvent, kQueueSize> queue;
  std::atomic<uint32_t> seq{0};
  std::atomic<uint32_t> epoch{1};
  std::atomic<MIDITimeStamp> flushTime{0};
  std::atomic<uint64_t> dropped{0};
  std::atomic<Engine*> engine{nullptr};
  std::atomic<int> renderers{0};
  std::atomic_flag rendering = ATOMIC_FLAG_INIT;
  std::atomic<double> wantedRate{0};
  std::mutex buildLock;  // builds and swaps of the engine
  std::atomic<double> engineRate{0};   // of the published engine, 0 when none
  std::atomic<bool> engineLoaded{false};
  // Render thread only:
  PendingEvent pending[kPendingSize];
  size_t pendingCount = 0;
  uint32_t due[kPendingSize];
};

// Never freed: the render thread may run while the layer shuts down.
SynthState& St() {
  static SynthState* state = new SynthState;
  return *state;
}

void QuietLog(int level, const char* message, void*) {
  if (level <= FLUID_ERR) std::fprintf(stderr, "GM synth: %s\n", message);
}

Engine* BuildEngine(double rate) {
  static std::once_flag logOnce;
  std::call_once(logOnce, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, QuietLog, nullptr);
  });
  auto* e = new Engine;
  e->settings = new_fluid_settings();
  fluid_settings_setnum(e->settings, "synth.sample-rate", rate);
  fluid_settings_setint(e->settings, "synth.threadsafe-api", 0);
  fluid_settings_setint(e->settings, "synth.midi-channels", kSynthChannels);
  fluid_settings_setint(e->settings, "synth.lock-memory", 0);
  fluid_settings_setint(e->settings, "synth.cpu-cores", 1);
  e->synth = new_fluid_synth(e->settings);
  e->rate = rate;
  const char* path = SynthSoundFontPath();
  if (e->synth != nullptr && path != nullptr) e->fontID = fluid_synth_sfload(e->synth, path, 1);
  return e;
}

void FreeEngine(Engine* e) {
  if (e == nullptr) return;
  if (e->synth != nullptr) delete_fluid_synth(e->synth);
  if (e->settings != nullptr) delete_fluid_settings(e->settings);
  delete e;
}

// Publishes next and frees the engine it replaces once no render uses it (waits at most 2 s;
// an engine still in use after that is left alone rather than freed under the renderer).
// False when a render was still running.
bool SwapEngine(Engine* next) {
  SynthState& s = St();
  s.engineRate.store(next != nullptr ? next->rate : 0.0);
  s.engineLoaded.store(next != nullptr && next->fontID >= 0);
  Engine* old = s.engine.exchange(next);
  for (int i = 0; i < 2000 && s.renderers.load() != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (s.renderers.load() != 0) {
    std::fprintf(stderr, "GM synth: the renderer did not let go of the old synth; leaving it\n");
    return false;
  }
  FreeEngine(old);
  return true;
}

// ---- applying events (render thread)

void ApplyInstrument(Engine* e, int ch, const Byte* d) {
  int bank = (d[0] << 7) | d[1];
  int program = d[2] & 0x7F;
  bool drum = d[3] != 0;
  fluid_synth_set_channel_type(e->synth, ch, drum ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC);
  if (e->fontID < 0) return;
  if (drum) bank = 128;
  if (fluid_synth_program_select(e->synth, ch, e->fontID, bank, program) != FLUID_OK)
    fluid_synth_program_select(e->synth, ch, e->fontID, drum ? 128 : 0, drum ? 0 : program);
}

void ApplyMidi(Engine* e, int ch, const Byte* d, int n) {
  Byte status = d[0];
  int d1 = n > 1 ? d[1] : 0;
  int d2 = n > 2 ? d[2] : 0;
  fluid_synth_t* fs = e->synth;
  switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(fs, ch, d1); break;
    case 0x90: d2 == 0 ? fluid_synth_noteoff(fs, ch, d1) : fluid_synth_noteon(fs, ch, d1, d2); break;
    case 0xA0: fluid_synth_key_pressure(fs, ch, d1, d2); break;
    case 0xB0: fluid_synth_cc(fs, ch, d1, d2); break;
    case 0xC0: fluid_synth_program_change(fs, ch, d1); break;
    case 0xD0: fluid_synth_channel_pressure(fs, ch, d1); break;
    case 0xE0: fluid_synth_pitch_bend(fs, ch, (d2 << 7) | d1); break;
    default:
      if (status == 0xF0 && n > 2) {
        int len = d[n - 1] == 0xF7 ? n - 2 : n - 1;
        fluid_synth_sysex(fs, reinterpret_cast<const char*>(d + 1), len, nullptr, nullptr, nullptr, 0);
      } else if (status == 0xFF) {
        fluid_synth_system_reset(fs);
      }
      break;
  }
}

bool Complete(const SynthEvent& ev) {
  if (ev.length == 0) return false;
  size_t want = ev.data[0] < 0xF0 ? ((ev.data[0] & 0xE0) == 0xC0 ? 2 : 3) : 1;
  if (ev.data[0] == 0xF0) return ev.length >= 2;
  return ev.data[0] >= 0x80 && ev.length >= want;
}

void Apply(Engine* e, const SynthEvent& ev) {
  int ch = ev.channel % kSynthChannels;
  switch (ev.kind) {
    case kSynthMidi:
      if (Complete(ev)) ApplyMidi(e, ch, ev.data, ev.length);
      break;
    case kSynthInstrument: ApplyInstrument(e, ch, ev.data); break;
    case kSynthBendRange: fluid_synth_pitch_wheel_sens(e->synth, ch, ev.data[0]); break;
    case kSynthResetChannel:
      fluid_synth_all_sounds_off(e->synth, ch);
      fluid_synth_cc(e->synth, ch, 121, 0);
      break;
    default: break;
  }
}

bool IsNoteOn(const SynthEvent& ev) {
  return ev.kind == kSynthMidi && ev.length >= 3 && (ev.data[0] & 0xF0) == 0x90 && ev.data[2] != 0;
}

// Moves queued events into the pending list and gives each its offset in this buffer
// (frames when it is not yet due). Drops flushed events and stale note-ons.
void GatherPending(uint32_t frames, double rate, MIDITimeStamp t0) {
  SynthState& s = St();
  while (s.pendingCount < kPendingSize && s.queue.TryPop(&s.pending[s.pendingCount].event)) ++s.pendingCount;
  const uint32_t epoch = s.epoch.load(std::memory_order_acquire);
  const MIDITimeStamp flushTime = s.flushTime.load(std::memory_order_relaxed);
  size_t kept = 0;
  for (size_t i = 0; i < s.pendingCount; ++i) {
    PendingEvent p = s.pending[i];
    const MIDITimeStamp stamp = p.event.stamp;
    if (p.event.epoch != epoch && stamp > flushTime) continue;
    if (stamp != 0 && stamp + kStaleNoteNanos < t0 && IsNoteOn(p.event)) continue;
    if (stamp <= t0) {
      p.offset = 0;
    } else {
      double at = double(stamp - t0) * rate / 1e9;
      p.offset = at >= double(frames) ? frames : uint32_t(at);
    }
    s.pending[kept++] = p;
  }
  s.pendingCount = kept;
}

// Moves a due event's offset to the block boundary nearest to it (the synth would otherwise
// take it at the next boundary, up to a block late).
void SnapToBlocks(Engine* e, uint32_t frames) {
  SynthState& s = St();
  for (size_t i = 0; i < s.pendingCount; ++i) {
    uint32_t& offset = s.pending[i].offset;
    if (offset >= frames) continue;
    uint32_t intoBlock = uint32_t((e->framesRendered + offset) % kSynthBlock);
    if (intoBlock != 0 && intoBlock < kSynthBlock / 2) offset = offset >= intoBlock ? offset - intoBlock : 0;
  }
}

void RenderEvents(Engine* e, float* left, float* right, uint32_t frames) {
  SynthState& s = St();
  SnapToBlocks(e, frames);
  size_t dueCount = 0;
  for (size_t i = 0; i < s.pendingCount; ++i)
    if (s.pending[i].offset < frames) s.due[dueCount++] = uint32_t(i);
  std::sort(s.due, s.due + dueCount, [&s](uint32_t a, uint32_t b) {
    const PendingEvent& x = s.pending[a];
    const PendingEvent& y = s.pending[b];
    return x.offset != y.offset ? x.offset < y.offset : int32_t(x.event.seq - y.event.seq) < 0;
  });
  uint32_t done = 0;
  for (size_t k = 0; k < dueCount; ++k) {
    const PendingEvent& p = s.pending[s.due[k]];
    if (p.offset > done) {
      fluid_synth_write_float(e->synth, int(p.offset - done), left, int(done), 1, right, int(done), 1);
      done = p.offset;
    }
    Apply(e, p.event);
  }
  if (frames > done) fluid_synth_write_float(e->synth, int(frames - done), left, int(done), 1, right, int(done), 1);
  e->framesRendered += frames;
  size_t kept = 0;
  for (size_t i = 0; i < s.pendingCount; ++i)
    if (s.pending[i].offset >= frames) s.pending[kept++] = s.pending[i];
  s.pendingCount = kept;
}

}  // namespace

const char* SynthSoundFontPath() {
  const char* env = std::getenv("ZARIN_GM_SOUNDFONT");
  if (env != nullptr && *env != '\0') return access(env, R_OK) == 0 ? env : nullptr;
  for (const char* path : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2"})
    if (access(path, R_OK) == 0) return path;
  return nullptr;
}

bool QueueSynthEvent(SynthEvent event) {
  SynthState& s = St();
  event.seq = s.seq.fetch_add(1, std::memory_order_relaxed);
  event.epoch = s.epoch.load(std::memory_order_acquire);
  if (s.queue.TryPush(event)) return true;
  s.dropped.fetch_add(1, std::memory_order_relaxed);
  return false;
}

void FlushSynthEvents() {
  SynthState& s = St();
  s.flushTime.store(HostTimeNanos(), std::memory_order_relaxed);
  s.epoch.fetch_add(1, std::memory_order_release);
}

uint64_t SynthDropCount() { return St().dropped.load(); }

bool StartSynthEngine() {
  SynthState& s = St();
  std::lock_guard<std::mutex> guard(s.buildLock);
  if (s.engine.load() == nullptr) {
    double rate = s.wantedRate.load();
    SwapEngine(BuildEngine(rate > 0 ? rate : kDefaultRate));
  }
  return s.engineLoaded.load();
}

void StopSynthEngine() {
  SynthState& s = St();
  std::lock_guard<std::mutex> guard(s.buildLock);
  // With no engine published a render leaves the pending events alone, so they can go.
  if (SwapEngine(nullptr)) s.pendingCount = 0;
  SynthEvent ev;
  while (s.queue.TryPop(&ev)) {
  }
}

// Rebuilds the published engine at the wanted rate when it runs at another. Needs buildLock.
OSStatus RebuildForRateLocked(double sampleRate) {
  SynthState& s = St();
  Engine* current = s.engine.load();
  if (current == nullptr) return kMIDIServerStartErr;
  if (current->rate != sampleRate) SwapEngine(BuildEngine(sampleRate));
  return noErr;
}

void ServiceSynthEngine() {
  SynthState& s = St();
  double wanted = s.wantedRate.load();
  if (wanted <= 0 || wanted == s.engineRate.load()) return;
  std::lock_guard<std::mutex> guard(s.buildLock);
  RebuildForRateLocked(wanted);
}

OSStatus PrepareBuiltInSynth(double sampleRate) {
  if (!(sampleRate >= 8000.0 && sampleRate <= 384000.0)) return paramErr;
  EnsureMidiServices();
  SynthState& s = St();
  std::lock_guard<std::mutex> guard(s.buildLock);
  s.wantedRate.store(sampleRate);
  return RebuildForRateLocked(sampleRate);
}

Boolean BuiltInSynthIsReady() { return St().engineLoaded.load(); }

double BuiltInSynthSampleRate() { return St().engineRate.load(); }

void RenderBuiltInSynth(float* left, float* right, uint32_t frames, double sampleRate) {
  RenderBuiltInSynthAt(left, right, frames, sampleRate, HostTimeNanos());
}

void RenderBuiltInSynthAt(float* left, float* right, uint32_t frames, double sampleRate, MIDITimeStamp firstFrameTime) {
  if (left == nullptr || right == nullptr || frames == 0) return;
  SynthState& s = St();
  if (s.rendering.test_and_set(std::memory_order_acquire)) {
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    return;
  }
  s.renderers.fetch_add(1);
  Engine* e = s.engine.load();
  if (e == nullptr || e->synth == nullptr || e->rate != sampleRate) {
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    if (e != nullptr && sampleRate > 0 && s.wantedRate.load(std::memory_order_relaxed) != sampleRate) {
      s.wantedRate.store(sampleRate);
      RequestMidiServerWork(kMidiRequestSynthRate);
    }
  } else {
    GatherPending(frames, sampleRate, firstFrameTime);
    RenderEvents(e, left, right, frames);
  }
  s.renderers.fetch_sub(1);
  s.rendering.clear(std::memory_order_release);
}
