// Rendering through units: a known signal through the installed delay as its parameters say,
// the unit's own bypass, the errors a render answers, and MIDI at a frame offset into an
// instrument.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <string>

#include "tests/platform/audiounit/audio_unit_test_support.h"

namespace {

struct DelaySettings {
  float samples, dry, wet, gain;
};

void SetDelay(AudioUnit unit, const DelaySettings& s) {
  EXPECT_EQ(SetParam(unit, ParameterNamed(unit, "Samples"), s.samples), noErr);
  EXPECT_EQ(SetParam(unit, ParameterNamed(unit, "Dry amount"), s.dry), noErr);
  EXPECT_EQ(SetParam(unit, ParameterNamed(unit, "Wet amount"), s.wet), noErr);
  EXPECT_EQ(SetParam(unit, ParameterNamed(unit, "Output gain"), s.gain), noErr);
}

// out[i] = gain x (dry x in[i] + wet x in[i - samples]).
void ExpectDelayed(const std::vector<float>& in, const std::vector<float>& out, const DelaySettings& s) {
  for (size_t i = 0; i < out.size(); ++i) {
    size_t d = size_t(s.samples);
    float late = i >= d ? in[i - d] : 0.0f;
    ASSERT_NEAR(out[i], s.gain * (s.dry * in[i] + s.wet * late), 1e-4f) << "frame " << i;
  }
}

TEST(AudioUnitRender, ARampComesThroughTheDelayAsItsParametersSay) {
  const DelaySettings cases[] = {{37, 0, 1, 1}, {0, 0, 1, 0.5f}, {5, 1, 1, 1}, {300, 0.5f, 2, 1}};
  std::vector<float> ramp = Ramp(2000, 0.0005f);
  for (const DelaySettings& s : cases) {
    TestUnit delay(kDelayName, 48000.0, 512);
    SetDelay(delay.unit, s);
    ASSERT_EQ(AudioUnitInitialize(delay.unit), noErr);
    std::vector<float> out = RenderMono(delay.unit, ramp, 2000, 333);
    SCOPED_TRACE(testing::Message() << "samples " << s.samples << " dry " << s.dry << " wet " << s.wet);
    ExpectDelayed(ramp, out, s);
    EXPECT_EQ(GetParam(delay.unit, ParameterNamed(delay.unit, "Delay samples")), s.samples);
  }
}

// A new sample rate or block size instantiates the plug-in again with its settings.
TEST(AudioUnitRender, ARateChangeKeepsTheSettings) {
  TestUnit delay(kDelayName, 48000.0, 256);
  DelaySettings s{37, 0, 1, 1};
  SetDelay(delay.unit, s);
  ASSERT_EQ(AudioUnitInitialize(delay.unit), noErr);
  Float64 rate = 44100.0;
  ASSERT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, 8), noErr);
  uint32_t frames = 1024;
  ASSERT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames, 4),
            noErr);
  std::vector<float> ramp = Ramp(3000, 0.0003f);
  ExpectDelayed(ramp, RenderMono(delay.unit, ramp, 3000, 1024), s);
}

// Bypassed, the delay passes its input through (after the plug-in's own short cross-fade).
TEST(AudioUnitRender, BypassPassesTheInputThrough) {
  TestUnit delay(kDelayName);
  SetDelay(delay.unit, {37, 0, 1, 1});
  ASSERT_EQ(AudioUnitInitialize(delay.unit), noErr);
  uint32_t on = 1;
  ASSERT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, 4), noErr);
  std::vector<float> ramp = Ramp(24000, 0.00004f);
  std::vector<float> out = RenderMono(delay.unit, ramp, 24000, 500);
  for (size_t i = 12000; i < out.size(); ++i) ASSERT_NEAR(out[i], ramp[i], 1e-5f) << i;
}

OSStatus FailingInput(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, uint32_t, uint32_t, AudioBufferList*) {
  return -1234;
}

TEST(AudioUnitRender, BadRequestsAreAnsweredAndLeaveSilence) {
  TestUnit delay(kDelayName, 48000.0, 256);
  std::vector<float> out(512, 9.0f), other(512, 9.0f);
  std::vector<uint8_t> bytes(AudioBufferListSize(2));
  auto* list = reinterpret_cast<AudioBufferList*>(bytes.data());
  list->mNumberBuffers = 1;
  list->mBuffers[0] = {1, 256 * 4, out.data()};
  EXPECT_EQ(AudioUnitRender(delay.unit, nullptr, nullptr, 0, 256, list), kAudioUnitErr_Uninitialized);
  ASSERT_EQ(AudioUnitInitialize(delay.unit), noErr);
  EXPECT_EQ(AudioUnitRender(delay.unit, nullptr, nullptr, 0, 257, list), kAudioUnitErr_TooManyFramesToProcess);
  EXPECT_EQ(AudioUnitRender(delay.unit, nullptr, nullptr, 1, 256, list), kAudioUnitErr_InvalidElement);
  list->mBuffers[0].mDataByteSize = 100;
  EXPECT_EQ(AudioUnitRender(delay.unit, nullptr, nullptr, 0, 256, list), paramErr);
  list->mBuffers[0].mDataByteSize = 256 * 4;
  list->mNumberBuffers = 2;
  list->mBuffers[1] = {1, 256 * 4, other.data()};
  EXPECT_EQ(AudioUnitRender(delay.unit, nullptr, nullptr, 0, 256, list), paramErr);
  list->mNumberBuffers = 1;
  EXPECT_EQ(AudioUnitRender(delay.unit, nullptr, nullptr, 0, 256, list), kAudioUnitErr_NoConnection);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(out[255], 0.0f);
  std::fill(out.begin(), out.end(), 9.0f);
  AURenderCallbackStruct failing{FailingInput, nullptr};
  ASSERT_EQ(AudioUnitSetProperty(delay.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &failing,
                                 sizeof failing),
            noErr);
  EXPECT_EQ(AudioUnitRender(delay.unit, nullptr, nullptr, 0, 256, list), -1234);
  EXPECT_EQ(out[100], 0.0f);
  EXPECT_EQ(out[256], 9.0f);  // nothing past the frames asked for
}

struct Midi {
  uint32_t status, data1, data2, offset;
};

// Queues the block's messages and renders one block of the pulse instrument.
std::vector<float> PulseBlock(AudioUnit unit, const std::vector<Midi>& messages, uint32_t frames) {
  for (const Midi& m : messages) EXPECT_EQ(MusicDeviceMIDIEvent(unit, m.status, m.data1, m.data2, m.offset), noErr);
  return RenderMono(unit, {}, frames, frames);
}

// A note sounds from the frame of its note-on to the frame of its note-off, also when the
// messages were queued out of order; an offset past the block plays at its last frame.
TEST(AudioUnitRender, MidiStartsNotesAtTheirFrames) {
  TestUnit pulse(kPulseName, 48000.0, 256);
  ASSERT_EQ(AudioUnitInitialize(pulse.unit), noErr);
  std::vector<float> first = PulseBlock(pulse.unit, {{0x90, 60, 127, 200}, {0x90, 62, 64, 50}}, 256);
  std::vector<float> second = PulseBlock(pulse.unit, {{0x80, 60, 0, 30}, {0x90, 62, 0, 100}}, 256);
  std::vector<float> third = PulseBlock(pulse.unit, {{0x90, 64, 127, 1000}}, 256);
  for (uint32_t i = 0; i < 256; ++i) {
    float want = i < 50 ? 0.0f : i < 200 ? 64.0f / 127 : 1.0f;
    ASSERT_NEAR(first[i], want, 1e-6f) << "first block, frame " << i;
    want = i < 100 ? 1.0f : 0.0f;  // sounds (at the last velocity) until both notes are off
    ASSERT_NEAR(second[i], want, 1e-6f) << "second block, frame " << i;
    ASSERT_NEAR(third[i], i == 255 ? 1.0f : 0.0f, 1e-6f) << "third block, frame " << i;
  }
  EXPECT_EQ(GetParam(pulse.unit, ParameterNamed(pulse.unit, "Notes played")), 3.0f);
}

TEST(AudioUnitRender, ParametersReachTheInstrument) {
  TestUnit pulse(kPulseName, 48000.0, 128);
  ASSERT_EQ(AudioUnitInitialize(pulse.unit), noErr);
  EXPECT_EQ(SetParam(pulse.unit, ParameterNamed(pulse.unit, "Level"), 0.5f), noErr);
  EXPECT_NEAR(PulseBlock(pulse.unit, {{0x90, 60, 127, 0}}, 128)[10], 0.5f, 1e-6f);
  EXPECT_EQ(SetParam(pulse.unit, ParameterNamed(pulse.unit, "Shape"), 1), noErr);
  EXPECT_NEAR(PulseBlock(pulse.unit, {}, 128)[10], 0.25f, 1e-6f);
}

TEST(AudioUnitRender, MidiThatCannotBeTakenIsRefused) {
  TestUnit delay(kDelayName), pulse(kPulseName);
  EXPECT_EQ(MusicDeviceMIDIEvent(delay.unit, 0x90, 60, 100, 0), badComponentSelector);
  EXPECT_EQ(MusicDeviceMIDIEvent(pulse.unit, 0xF0, 1, 2, 0), paramErr);
  EXPECT_EQ(MusicDeviceMIDIEvent(pulse.unit, 0x40, 1, 2, 0), paramErr);
  EXPECT_EQ(MusicDeviceMIDIEvent(pulse.unit, 0x1090, 1, 2, 0), paramErr);
  EXPECT_EQ(MusicDeviceMIDIEvent(0, 0x90, 1, 2, 0), badComponentInstance);
}

// The installed instrument opens, takes MIDI and renders (silence: it has no sample loaded).
TEST(AudioUnitRender, TheInstalledInstrumentRenders) {
  TestUnit sampler(kSamplerName, 48000.0, 256);
  ASSERT_EQ(AudioUnitInitialize(sampler.unit), noErr);
  EXPECT_EQ(MusicDeviceMIDIEvent(sampler.unit, 0x90, 60, 100, 10), noErr);
  uint32_t inputs = 9, size = 4;
  AudioUnitGetProperty(sampler.unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &inputs, &size);
  std::vector<float> out = RenderMono(sampler.unit, std::vector<float>(1024, 0.0f), 1024, 256);
  for (float v : out) ASSERT_EQ(v, 0.0f);
}

}  // namespace

// The host's answers for a song in 6/8 at 90 beats a minute, playing: the beat 7.5 quarters in,
// the bar that starts at quarter 6 (the third bar of 3 quarters), sample 123456.
OSStatus BeatAndTempo(void* user, Float64* beat, Float64* tempo) {
  ++*static_cast<int*>(user);
  if (beat) *beat = 7.5;
  if (tempo) *tempo = 90.0;
  return noErr;
}
OSStatus MusicalTime(void*, uint32_t* toNext, Float32* numerator, uint32_t* denominator, Float64* downbeat) {
  if (toNext) *toNext = 0;
  if (numerator) *numerator = 6.0f;
  if (denominator) *denominator = 8;
  if (downbeat) *downbeat = 6.0;
  return noErr;
}
OSStatus Transport(void*, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling, Float64*, Float64*) {
  if (playing) *playing = 1;
  if (changed) *changed = 0;
  if (sample) *sample = 123456.0;
  if (cycling) *cycling = 0;
  return noErr;
}

// The last time position the pulse fixture took, and how many it took.
int FixtureTime(double* out) {
  std::string path = std::string(ZARIN_LV2_FIXTURES) + "/zarin-fixtures.lv2/zarin_lv2_fixture.so";
  void* code = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  EXPECT_NE(code, nullptr) << "the fixture is loaded by the unit";
  auto* read = code ? reinterpret_cast<int (*)(double*)>(dlsym(code, "zarin_fixture_time")) : nullptr;
  int count = read ? read(out) : -1;
  if (code) dlclose(code);
  return count;
}

// A plug-in that takes time:Position hears, at each render, what the host callbacks answer:
// tempo, bar and beat in the bar (in the meter's own beats), meter, speed and frame.
TEST(AudioUnitRender, TheHostsMusicalTimeReachesThePlugIn) {
  TestUnit pulse(kPulseName, 48000.0, 128);
  int asked = 0;
  HostCallbackInfo host;
  host.hostUserData = &asked;
  host.beatAndTempoProc = BeatAndTempo;
  host.musicalTimeLocationProc = MusicalTime;
  host.transportStateProc = Transport;
  ASSERT_EQ(AudioUnitSetProperty(pulse.unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &host,
                                 sizeof host), noErr);
  ASSERT_EQ(AudioUnitInitialize(pulse.unit), noErr);
  double time[7];
  int before = FixtureTime(time);
  PulseBlock(pulse.unit, {{0x90, 60, 127, 10}}, 128);  // the position shares the sequence with MIDI
  ASSERT_EQ(FixtureTime(time), before + 1);
  EXPECT_EQ(asked, 1);
  EXPECT_DOUBLE_EQ(time[0], 90.0);      // bpm
  EXPECT_DOUBLE_EQ(time[1], 2.0);       // bar (from 0): quarter 6 over bars of 3 quarters
  EXPECT_DOUBLE_EQ(time[2], 3.0);       // 1.5 quarters into the bar: 3 eighths
  EXPECT_DOUBLE_EQ(time[3], 1.0);       // speed: playing
  EXPECT_DOUBLE_EQ(time[4], 123456.0);  // frame
  EXPECT_DOUBLE_EQ(time[5], 6.0);
  EXPECT_DOUBLE_EQ(time[6], 8.0);
  EXPECT_EQ(GetParam(pulse.unit, ParameterNamed(pulse.unit, "Notes played")), 1.0f) << "MIDI still arrives";

  // Without callbacks the plug-in is told nothing.
  HostCallbackInfo none;
  ASSERT_EQ(AudioUnitSetProperty(pulse.unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &none,
                                 sizeof none), noErr);
  PulseBlock(pulse.unit, {}, 128);
  EXPECT_EQ(FixtureTime(time), before + 1);
}
