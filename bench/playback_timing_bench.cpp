// Playback timing: a generated song of about 60 s (16 tracks of 32nd notes, a tempo change
// every four bars) plays on the real clock through the MIDI layer into a JACK MIDI port of a
// client made here. Every note-on and note-off is matched with the time the conductor map
// gives for its tick; after the constant latency (the median offset) the report gives the
// median, p99 and largest timing error, and the drift: the mean error of the last second less
// that of the first. Needs a JACK server (tools/services start).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/coremidi/midi_services.h"
#include "sequencer/transport/transport_engine.h"
#include "tests/sequencer/playback/jack_capture.h"

namespace {

constexpr int kTracks = 16;
constexpr uint32_t kBars = 36;
constexpr uint32_t kThirtySecond = 60;  // ticks at 480 a quarter
constexpr uint32_t kBar = 1920;

std::vector<std::vector<SmfNote>> DenseTracks() {
  std::vector<std::vector<SmfNote>> tracks(kTracks);
  for (int t = 0; t < kTracks; ++t)
    for (uint32_t tick = 0; tick < kBars * kBar; tick += kThirtySecond)
      tracks[t].push_back({tick, uint8_t(t), uint8_t(36 + (tick / kThirtySecond + 5 * t) % 60), 100, 30});
  return tracks;
}

std::vector<SmfTempo> TempoChanges() {
  const uint32_t perQuarter[] = {500000, 428571, 600000, 375000};  // 120, 140, 100, 160
  std::vector<SmfTempo> tempos;
  for (uint32_t bar = 0; bar < kBars; bar += 4) tempos.push_back({bar * kBar, perQuarter[(bar / 4) % 4]});
  return tempos;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
  std::nth_element(v.begin(), v.begin() + i, v.end());
  return v[i];
}

// Median, p99 and largest error magnitude, and the drift: the median error over the last
// second of the song less that over the first.
void ReportErrors(benchmark::State& state, const std::string& prefix, const std::vector<double>& errors,
                  const std::vector<size_t>& index, const std::vector<ExpectedMidi>& expected, Handle song,
                  double songSeconds) {
  std::vector<double> magnitude, first, last;
  for (size_t k = 0; k < errors.size(); ++k) {
    magnitude.push_back(std::fabs(errors[k]));
    double at = ConductorMicros(song, expected[index[k]].tick) / 1e6;
    if (at < 1) first.push_back(errors[k]);
    if (at > songSeconds - 1) last.push_back(errors[k]);
  }
  state.counters[prefix + "median_us"] = Percentile(magnitude, 0.5);
  state.counters[prefix + "p99_us"] = Percentile(magnitude, 0.99);
  state.counters[prefix + "max_us"] = magnitude.empty() ? 0 : *std::max_element(magnitude.begin(), magnitude.end());
  state.counters[prefix + "drift_us"] = Percentile(last, 0.5) - Percentile(first, 0.5);
}

void BM_DenseSongTimingOnJack(benchmark::State& state) {
  JackCapture capture(1 << 17);
  if (!capture.Open("benchcap-")) {
    state.SkipWithError("no JACK server runs (tools/services start starts one)");
    return;
  }
  int32_t port = StartSequencerMidiOnJack(capture.Name());
  for (int i = 0; i < 300 && port >= 0 && !capture.Connected(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (port < 0 || !capture.Connected()) {
    state.SkipWithError("the capture port did not appear");
    StopSequencerMidi();
    return;
  }
  auto tracks = DenseTracks();
  Handle song = OpenSmfAsSong(MakeSmf(480, TempoChanges(), tracks), port);
  if (!song) {
    state.SkipWithError("the song could not be made");
    StopSequencerMidi();
    return;
  }
  std::vector<ExpectedMidi> expected = ExpectedFromNotes(tracks);
  double songSeconds = ConductorMicros(song, kBars * kBar + 1) / 1e6;
  TimingResult r;
  int32_t stalls = 0;
  for (auto _ : state) {
    size_t from = capture.Count();
    stalls = capture.Stalls();
    auto start = std::chrono::steady_clock::now();
    Play(1);
    auto until = start + std::chrono::duration<double>(songSeconds + 5);
    while (capture.Count() - from < expected.size() && std::chrono::steady_clock::now() < until) {
      RunIdleTask(false);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    StopTransport(false);
    WaitForPassEnd(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    stalls = capture.Stalls() - stalls;
    r = CompareTiming(capture, capture.Events(from), expected, song);
  }
  if (const char* dump = std::getenv("ZARIN_TIMING_DUMP")) {
    // One line per matched message: conductor seconds, error in frames and on the host
    // clock, in microseconds.
    if (FILE* f = std::fopen(dump, "w")) {
      for (size_t k = 0; k < r.errorsMicros.size(); ++k)
        std::fprintf(f, "%.6f %.1f %.1f\n", ConductorMicros(song, expected[r.errorIndex[k]].tick) / 1e6,
                     r.errorsMicros[k], r.hostErrorsMicros[k]);
      std::fclose(f);
    }
  }
  state.counters["song_s"] = songSeconds;
  state.counters["messages"] = double(r.expected);
  state.counters["matched"] = double(r.matched);
  state.counters["in_order"] = r.ordered ? 1 : 0;
  ReportErrors(state, "", r.errorsMicros, r.errorIndex, expected, song, songSeconds);
  ReportErrors(state, "host_", r.hostErrorsMicros, r.errorIndex, expected, song, songSeconds);
  state.counters["latency_ms"] = double(MIDIGetSendLeadNanos()) / 1e6;
  state.counters["server_overruns"] = stalls;
  StopSequencerMidi();
  capture.Close();
}
BENCHMARK(BM_DenseSongTimingOnJack)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
