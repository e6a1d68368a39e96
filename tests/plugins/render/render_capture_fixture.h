// Playing songs through plug-ins on the null audio device and checking what its WAV capture
// heard: the device opened in manual mode at a buffer size, songs whose tracks play a plug-in
// device, instrument channels, and the checks that place each struck waveform at its sample.
#pragma once

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
#include "tests/audio/transport/capture_fixture.h"
#include "tests/plugins/render/render_fixture.h"
#include "tests/sequencer/transport/transport_fixture.h"
#include "tests/test_support.h"

struct AudioDriverOps;
struct EngineChannel;

namespace render_test {

constexpr uint8_t kDevice = 3;
constexpr size_t kMatchSamples = 200;

// A tempo map: the song's own tempo from tick 1, then {tick, tempo} changes.
struct TempoMap {
  uint16_t tempo = 1200;
  std::vector<std::pair<int32_t, uint16_t>> changes;
  // The exact sample of a tick (from tick 1 at sample 0), 480 ticks a quarter.
  double Sample(double tick, double rate) const {
    double samples = 0, at = 1, t = tempo;
    for (auto [changeTick, value] : changes) {
      if (changeTick >= tick) break;
      samples += (changeTick - at) * 600.0 / (t * 480.0) * rate;
      at = changeTick;
      t = value;
    }
    return samples + (tick - at) * 600.0 / (t * 480.0) * rate;
  }
};

// Where the waveform starts in the heard signal near `at`: the shift (within +-8) whose
// least-squares fit of the waveform leaves the smallest error; *residual gets that error
// relative to the heard energy (near 0 only for the right waveform).
inline int32_t BestShift(const std::vector<float>& heard, int64_t at, const std::vector<float>& wave, size_t length,
                  double* residual) {
  int32_t best = 0;
  double bestError = 1e300;
  *residual = 1.0;
  for (int32_t shift = -8; shift <= 8; ++shift) {
    double hw = 0, ww = 0;
    for (size_t j = 0; j < length; ++j) {
      int64_t i = at + shift + int64_t(j);
      float h = i >= 0 && size_t(i) < heard.size() ? heard[size_t(i)] : 0.0f;
      hw += double(h) * wave[j];
      ww += double(wave[j]) * wave[j];
    }
    double a = ww > 0 ? hw / ww : 0.0;
    double error = 0, energy = 0;
    for (size_t j = 0; j < length; ++j) {
      int64_t i = at + shift + int64_t(j);
      float h = i >= 0 && size_t(i) < heard.size() ? heard[size_t(i)] : 0.0f;
      error += (h - a * wave[j]) * (h - a * wave[j]);
      energy += double(h) * h;
    }
    if (error < bestError) {
      bestError = error;
      best = shift;
      *residual = energy > 0 ? error / energy : 1.0;
    }
  }
  return best;
}

class RenderCapture : public CaptureTest {
 protected:
  void Open(int32_t frames) {
    OpenCapture(frames, "render.wav");
    InstallPluginRenderHooks();
  }
  void TearDown() override {
    CaptureTest::TearDown();
    for (ChannelRenderState* s : states_) {
      DisposePluginMidiState(static_cast<PluginMidiState*>(s->midiState));
      delete s;
    }
    for (PluginInstance* p : plugins_) CloseTestPlugin(p);
    states_.clear();
    plugins_.clear();
    gClickSettings = ClickSettings();
  }
  // A song whose tracks play the plug-in device, with a tempo map and a meter.
  Handle PluginSong(const std::vector<TestTrack>& tracks, const TempoMap& map, int32_t beatsPerBar = 4,
                    int32_t ticksPerBeat = 480) {
    Handle song = MakeSong(tracks, map.changes, map.tempo);
    uint8_t* s = reinterpret_cast<uint8_t*>(*song);
    s[kSongBeatsPerBar] = uint8_t(beatsPerBar);
    WriteU16BE(s + kSongTicksPerBeat, uint16_t(ticksPerBeat));
    uint8_t* e = s + kSongHeaderSize;
    for (size_t i = 0; i < tracks.size(); ++i) {
      e[kTrackType] = kDeviceKindPlugin;
      e[kTrackMidiOutput] = kDevice;
      e[kTrackDeviceChannel1] = 0xFF;
      e += ReadU16BE(e + kTrackLength);
    }
    gTransportSong = song;
    return song;
  }
  PluginInstance* Plugin(const std::string& path) {
    PluginInstance* p = OpenTestPlugin(path, gCoreAudioDriver.sampleRate > 0 ? gCoreAudioDriver.sampleRate : 44100.0f,
                                       frames_);
    if (p) plugins_.push_back(p);
    return p;
  }
  // An engine channel whose source is the instrument chain, playing the song's tracks of the
  // device (and the click when asked).
  EngineChannel* AddInstrumentChannel(PluginInstance* head, Handle song, bool click) {
    EngineChannel* c = nullptr;
    EXPECT_EQ(ClaimEngineChannel(&c), 0);
    c->frameChannels = c->sourceChannels = 2;
    c->sampleBits = 32;
    c->sampleRate = gCoreAudioDriver.sampleRate;
    c->framesPerBlock = int16_t(frames_);
    c->device = &gCoreAudioDriver;
    c->song = song;
    c->instrumentSource = 1;
    SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);
    EXPECT_EQ(AllocateChannelBlocks(c, frames_), 0);
    auto* state = new ChannelRenderState();
    state->chainHead = head;
    state->mixKind = 7;
    state->inputChannels = 0;
    state->outputChannels = 2;
    state->audioInput = 0;
    state->midi = 1;
    PluginMidiState* midi = NewPluginMidiState(c, kDevice);
    state->midiState = midi;
    StartPluginMidiState(midi, song, 1.0);
    midi->clickChannel = click ? 1 : 0;
    states_.push_back(state);
    c->renderState = state;
    c->next = gCoreAudioDriver.channelList;
    gCoreAudioDriver.channelList = c;
    return c;
  }
  // Plays `samples` samples of the song and answers what was heard.
  std::vector<float> PlayFor(double samples) {
    ::Play(1);
    Cycles(int32_t(samples / frames_) + 8);
    StopTransport(false);
    EXPECT_EQ(gEngineError.load(), 0);
    return Heard();
  }
  // Clickvox's waveform for a note struck at the first sample of a block.
  std::vector<float> ClickWave(uint8_t note) {
    PluginInstance* p = Plugin(ClickvoxPath());
    EXPECT_NE(p, nullptr);
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof e;
    e.midiData[0] = char(0x90);
    e.midiData[1] = char(note);
    e.midiData[2] = 127;
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&e);
    p->effect->dispatcher(p->effect, kEffProcessEvents, 0, 0, &list, 0.0f);
    std::vector<float> wave(kMatchSamples);
    float* outputs[2] = {wave.data(), nullptr};
    std::vector<float> spare(kMatchSamples);
    outputs[1] = spare.data();
    p->effect->processReplacing(p->effect, nullptr, outputs, int32_t(kMatchSamples));
    return wave;
  }
  // Checks that each expected onset (samples from the first one) starts its waveform exactly
  // there, the first onset found as the first sound heard.
  void ExpectOnsets(const std::vector<float>& heard, const std::vector<double>& exact,
                    const std::vector<const std::vector<float>*>& waves) {
    ASSERT_FALSE(exact.empty());
    size_t lead = 0;
    while (lead < waves[0]->size() && (*waves[0])[lead] == 0.0f) ++lead;
    size_t first = 0;
    while (first < heard.size() && heard[first] == 0.0f) ++first;
    ASSERT_LT(first, heard.size()) << "nothing heard";
    int64_t base = int64_t(first) - int64_t(lead);
    for (size_t n = 0; n < exact.size(); ++n) {
      int64_t at = base + int64_t(std::floor(exact[n] + 0.001));
      ASSERT_LT(size_t(at) + kMatchSamples, heard.size()) << "onset " << n << " not heard";
      double residual = 1.0;
      EXPECT_EQ(BestShift(heard, at, *waves[n], kMatchSamples, &residual), 0) << "onset " << n << " at " << exact[n];
      EXPECT_LT(residual, 1e-3) << "onset " << n << ": not the waveform expected";
    }
  }

  std::vector<ChannelRenderState*> states_;
  std::vector<PluginInstance*> plugins_;
};

// A counting source (a ramp) played through a chain, for effects.
class EffectCapture : public RenderCapture {
 protected:
  // A mono channel of the counting source (a ramp) through the chain, only the chain's (wet)
  // signal heard.
  void AddRampChannel(PluginInstance* head) {
    auto* state = new ChannelRenderState();
    state->chainHead = head;
    state->mixKind = 6;  // mono float
    state->inputChannels = 1;
    state->outputChannels = 1;
    SetPluginGains(state, 1.0f / 32768.0f, 32768.0f, 0);  // the wet signal alone
    states_.push_back(state);
    ASSERT_NE(AddCountingChannel(state), nullptr);
  }
  // Plays the channel and answers the heard ramp from its first sound on.
  std::vector<float> PlayRamp(PluginInstance* head, int32_t cycles, size_t* firstSound) {
    CaptureInto("effect" + std::to_string(passes_++) + ".wav");
    AddRampChannel(head);
    ::Play(1);
    Cycles(cycles);
    StopTransport(false);
    EXPECT_EQ(gEngineError.load(), 0);
    std::vector<float> heard = Heard();
    *firstSound = 0;
    while (*firstSound < heard.size() && heard[*firstSound] == 0.0f) ++*firstSound;
    return heard;
  }
  int32_t passes_ = 0;
};

}  // namespace render_test
