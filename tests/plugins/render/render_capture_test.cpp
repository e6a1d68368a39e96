// Plug-ins heard through the engine on the null audio device, checked in its WAV capture: an
// instrument played from a MIDI track starts each note at the very sample the tempo map gives,
// at every buffer size; Clickvox plays the metronome's bar and beat clicks at their samples
// across tempos, tempo changes and meters; an effect on a channel processes a ramp as its
// parameters say.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/devices/coreaudio_settings.h"
#include "audio/engine/audio_hooks.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/engine_start.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/channel_render.h"
#include "audio/render/output_render.h"
#include "platform/coreaudio/core_audio.h"
#include "platform/files/folders.h"
#include "platform/memory/byte_order.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/plugin_render_hooks.h"
#include "sequencer/clock/click_settings.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "song/conductor/conductor_map.h"
#include "song/instruments/instrument_record.h"
#include "song/model/song_layout.h"
#include "tests/audio/engine/engine_fixture.h"
#include "tests/plugins/render/render_fixture.h"
#include "tests/sequencer/transport/transport_fixture.h"
#include "tests/test_support.h"

#include "tests/plugins/render/render_capture_fixture.h"

namespace {

using namespace render_test;

constexpr uint8_t kBarNote = 84;
constexpr uint8_t kBeatNote = 96;

class NoteCapture : public RenderCapture, public ::testing::WithParamInterface<int32_t> {};

// Clickvox played from a MIDI track: every note starts at the sample the tempo map gives (no
// sample of error), across block boundaries and a tempo change, at the buffer size under test.
TEST_P(NoteCapture, AnInstrumentsNotesStartAtTheirExactSamples) {
  Open(GetParam());
  std::vector<float> wave = ClickWave(kBarNote);
  TempoMap map{1200, {{700, 1370}}};
  std::vector<uint32_t> ticks = {1, 97, 241, 500, 731, 1000, 1201, 1555};
  std::vector<TestEvent> events;
  for (uint32_t t : ticks) events.push_back({t, 0x90, kBarNote, 127, 20});
  Handle song = PluginSong({Track(events)}, map);
  PluginInstance* click = Plugin(ClickvoxPath());
  ASSERT_NE(click, nullptr);
  AddInstrumentChannel(click, song, false);
  float rate = gCoreAudioDriver.sampleRate;
  std::vector<double> exact;
  for (uint32_t t : ticks) exact.push_back(map.Sample(t, rate));
  std::vector<float> heard = PlayFor(exact.back() + 4 * kMatchSamples);
  ExpectOnsets(heard, exact, std::vector<const std::vector<float>*>(ticks.size(), &wave));
}

INSTANTIATE_TEST_SUITE_P(BufferSizes, NoteCapture, ::testing::Values(64, 256, 1000));

struct ClickCase {
  const char* name;
  int32_t beatsPerBar, ticksPerBeat;
  TempoMap map;
  int32_t beats;
};

void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }

class ClickCapture : public RenderCapture, public ::testing::WithParamInterface<ClickCase> {};

// The metronome through Clickvox: with the click on, every beat sounds at its sample, the bar's
// first beat with the bar click, at three tempos, across tempo changes (one on a beat, one
// between beats) and in 6/8.
TEST_P(ClickCapture, BarAndBeatClicksSoundAtTheirSamples) {
  const ClickCase& c = ClickCapture::GetParam();
  Open(256);
  std::vector<float> bar = ClickWave(kBarNote);
  std::vector<float> beat = ClickWave(kBeatNote);
  gClickSettings.flags = kClickActive;
  Handle song = PluginSong({}, c.map, c.beatsPerBar, c.ticksPerBeat);
  PluginInstance* click = Plugin(ClickvoxPath());
  ASSERT_NE(click, nullptr);
  AddInstrumentChannel(click, song, true);
  float rate = gCoreAudioDriver.sampleRate;
  std::vector<double> exact;
  std::vector<const std::vector<float>*> waves;
  for (int32_t k = 0; k < c.beats; ++k) {
    exact.push_back(c.map.Sample(1 + k * c.ticksPerBeat, rate));
    waves.push_back(k % c.beatsPerBar == 0 ? &bar : &beat);
  }
  std::vector<float> heard = PlayFor(exact.back() + 4 * kMatchSamples);
  ExpectOnsets(heard, exact, waves);
}

INSTANTIATE_TEST_SUITE_P(
    Meters, ClickCapture,
    ::testing::Values(ClickCase{"FourFourAt90", 4, 480, {900, {}}, 9},
                      ClickCase{"FourFourAt120", 4, 480, {1200, {}}, 9},
                      ClickCase{"FourFourAt200ThenChanges", 4, 480, {2000, {{1441, 1400}, {2200, 1750}}}, 10},
                      ClickCase{"SixEightAt120Then96", 6, 240, {1200, {{1000, 960}}}, 13}),
    [](const ::testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.name); });

// Play with the click on and playing through a plug-in: the program opens Clickvox (found
// beside the program) on a channel of its own, and its clicks sound at their samples.
TEST_F(RenderCapture, PlayGivesTheClickItsOwnChannelThroughClickvox) {
  Open(256);
  SetApplicationFolder(std::filesystem::path(ClickvoxPath()).parent_path().string());
  std::vector<float> bar = ClickWave(kBarNote);
  std::vector<float> beat = ClickWave(kBeatNote);
  gClickSettings.flags = kClickActive;
  TempoMap map{1330, {}};
  PluginSong({}, map, 3, 480);
  float rate = gCoreAudioDriver.sampleRate;
  std::vector<double> exact;
  std::vector<const std::vector<float>*> waves;
  for (int32_t k = 0; k < 7; ++k) {
    exact.push_back(map.Sample(1 + k * 480, rate));
    waves.push_back(k % 3 == 0 ? &bar : &beat);
  }
  std::vector<float> heard = PlayFor(exact.back() + 4 * kMatchSamples);
  SetApplicationFolder("");
  ExpectOnsets(heard, exact, waves);
}

// A delay plug-in on a channel (lsp's compensation delay): with its delay and output gain set
// through their parameters, the ramp is heard that many samples later and scaled by the gain
// its display shows; bypassed, the same ramp is heard at once and unscaled.
TEST_F(EffectCapture, ADelayOnAChannelDelaysAndScalesTheRamp) {
  Open(256);
  gTransportSong = MakeSong({Track({})}, {});
  PluginInstance* delay = Plugin("/usr/lib/vst/lsp-plugins/comp-delay-mono.so");
  if (!delay) GTEST_SKIP() << "the lsp compensation delay is not installed";
  ASSERT_EQ(ParameterName(delay, 3), "samp");
  ASSERT_EQ(ParameterName(delay, 10), "g_out");
  delay->bypass = 1;
  size_t dryStart = 0, wetStart = 0;
  std::vector<float> dry = PlayRamp(delay, 60, &dryStart);
  ASSERT_LT(dryStart, dry.size());

  delay->effect->setParameter(delay->effect, 3, 0.05f);
  delay->effect->setParameter(delay->effect, 10, 0.4f);
  int32_t samples = std::stoi(ParameterDisplay(delay, 3));
  double gain = std::pow(10.0, std::stod(ParameterDisplay(delay, 10)) / 20.0);
  ASSERT_GT(samples, 64);
  ASSERT_LT(gain, 0.9);
  delay->bypass = 0;
  std::vector<float> wet = PlayRamp(delay, 60, &wetStart);
  ASSERT_LT(wetStart, wet.size());
  EXPECT_EQ(int64_t(wetStart) - int64_t(dryStart), samples);
  // Each heard sample is the ramp's, scaled (past the first blocks, once any smoothing of the
  // gain has settled).
  for (size_t k = 4096; k < 8192; k += 97)
    EXPECT_NEAR(wet[wetStart + k], dry[dryStart + k] * gain, 2e-4) << k;
}

}  // namespace
