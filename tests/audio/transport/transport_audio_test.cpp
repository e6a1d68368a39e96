// Play and Stop drive the audio engine on the null device: Play prepares the engine's channels
// and opens and starts the device, the device's start drives the song position, and Stop stops
// the engine and leaves the device idle. The device's WAV capture shows what was heard: a
// counting source, so that a block heard twice, skipped or out of order breaks the count.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/devices/builtin_synth_output.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/engine/audio_hooks.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/engine_start.h"
#include "audio/engine/engine_thread.h"
#include "audio/engine/region_lookup.h"
#include "audio/render/output_render.h"
#include "platform/coreaudio/core_audio.h"
#include "platform/coremidi/builtin_synth.h"
#include "platform/coremidi/core_midi.h"
#include "platform/text/core_foundation.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_position.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "shell/dialogs/dialog_alerts.h"
#include "song/instruments/driver_procs.h"
#include "tests/audio/engine/engine_fixture.h"
#include "tests/audio/transport/capture_fixture.h"
#include "tests/sequencer/transport/transport_fixture.h"
#include "tests/test_support.h"

namespace {

using namespace capture_test;

constexpr int32_t kFrames = engine_test::kFrames;

// The track's messages go to the built-in synth.
MIDIPortRef gSynthPort = 0;
MIDIEndpointRef gSynth = 0;
int32_t gNotesToSynth = 0;

int32_t SendToSynth(uint8_t* record, int32_t) {
  Byte buffer[64];
  auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
  MIDIPacket* packet = MIDIPacketListInit(list);
  const Byte bytes[3] = {record[6], record[7], record[8]};
  MIDIPacketListAdd(list, sizeof buffer, packet, 0, record[1] == 9 ? 3 : 2, bytes);
  if ((record[6] & 0xF0) == 0x90 && record[8] > 0) ++gNotesToSynth;
  return MIDISend(gSynthPort, gSynth, list);
}

double Rms(const std::vector<float>& samples, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to && i < samples.size(); ++i) sum += double(samples[i]) * samples[i];
  return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

class TransportAudio : public CaptureTest {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    OpenCapture(kFrames, "transport.wav");
    gTransportSong = MakeSong({Track({})}, {});
  }
  // Checks one pass: silence up to its first sample, then the count from 1 without a gap or a
  // repeat for `frames` frames, then silence up to `end`. Answers where the count ended.
  size_t ExpectCountedPass(const std::vector<float>& heard, size_t from, size_t frames, size_t end) {
    size_t first = from;
    while (first < heard.size() && heard[first] == 0.0f) ++first;
    EXPECT_LT(first, heard.size()) << "nothing heard after frame " << from;
    if (first >= heard.size()) return heard.size();
    size_t at = first;
    int32_t breaks = 0;
    for (; at < heard.size() && heard[at] != 0.0f; ++at) {
      float expected = CountAt(at - first);
      if (std::abs(heard[at] - expected) > kStep / 4 && breaks++ < 3)
        ADD_FAILURE() << "frame " << at - first << " of the pass: " << heard[at] / kStep << " heard";
    }
    EXPECT_EQ(at - first, frames);
    for (size_t i = at; i < end && i < heard.size(); ++i) {
      if (heard[i] != 0.0f) {
        ADD_FAILURE() << "sound after the stop at frame " << i << ": " << heard[i] / kStep << " after "
                      << heard[at - 1] / kStep << " at " << at - 1;
        break;
      }
    }
    return at;
  }
};

// Two passes, Play and Stop each: every block the engine mixed is heard once and in order, from
// the first sample of the start; Stop leaves the device running and silent, and the second Play
// starts it again from there.
TEST_F(TransportAudio, PlayAndStopStartAndStopTheEngineOnTheDevice) {
  constexpr int32_t kPlayed = 40, kStopped = 10;
  // Priming takes the first two buffers of a start: the engine's warm-up, then its first block.
  constexpr size_t kPassFrames = size_t(kPlayed - 2) * kFrames;
  for (int32_t pass = 0; pass < 2; ++pass) {
    AddCountingChannel();
    ::Play(1);
    ASSERT_EQ(gAudioDriverState.load(), kDriverPrime);
    EXPECT_EQ(gClockSyncSource, 6);  // the device's sample clock drives the song position
    Cycles(kPlayed);
    EXPECT_EQ(gAudioDriverState.load(), kDriverHandOff);
    EXPECT_EQ(gTransportClock.syncRunning, 1);
    StopTransport(false);
    EXPECT_EQ(gAudioDriverState.load(), kDriverIdle);  // soft: the device runs on, unheard
    EXPECT_EQ(gEnginePrepared, 0);
    EXPECT_EQ(gCoreAudioDriver.channelList, nullptr);
    Cycles(kStopped);
  }
  EXPECT_EQ(gEngineError.load(), 0);
  std::vector<float> heard = Heard();
  ASSERT_EQ(heard.size(), size_t(2 * (kPlayed + kStopped) * kFrames));
  size_t passEnd = size_t(kPlayed + kStopped) * kFrames;
  size_t end = ExpectCountedPass(heard, 0, kPassFrames, passEnd);
  EXPECT_LE(end, size_t(kPlayed) * kFrames);
  ExpectCountedPass(heard, passEnd, kPassFrames, heard.size());
}

// A song's note to the built-in synth, with an engine channel on the device (silent here): the
// clock waits for the device's start, the synth is heard from then on, and Stop ends it.
TEST_F(TransportAudio, TheSynthSoundsFromTheDeviceStartUntilStop) {
  setenv("ZARIN_MIDI_DRIVERS", "synth", 1);
  MIDIClientRef client = 0;
  ASSERT_EQ(MIDIClientCreate(CFSTR("transport audio test"), nullptr, nullptr, &client), 0);
  ASSERT_EQ(MIDIOutputPortCreate(client, CFSTR("out"), &gSynthPort), 0);
  gSynth = MIDIGetDestination(0);
  ASSERT_NE(gSynth, 0u);
  if (!BuiltInSynthIsReady()) GTEST_SKIP() << "no General MIDI sound font installed";
  ASSERT_EQ(ConnectBuiltInSynthToDevice(device_), 0);
  SetDriverProcById(kRecorderProc, SendToSynth);
  gNotesToSynth = 0;
  gTransportSong = MakeSong({Track({{10, 0x90, 60, 110, 30000}})}, {});
  AddCountingChannel();
  SetChannelGains(0, 64, &gCoreAudioDriver.channelList->gainLeft, &gCoreAudioDriver.channelList->gainRight);
  // One device buffer and the clock's time of it.
  auto Step = [&](int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      Cycles(1);
      RunFor(uint64_t(kFrames) * 1000000000ull / 44100);
    }
  };
  constexpr int32_t kBefore = 20, kPlayed = 120, kAfter = 300;
  Step(kBefore);
  ::Play(1);
  RunFor(50000000);
  EXPECT_EQ(gNotesToSynth, 0);  // the song's time waits for the device
  Step(kPlayed);
  EXPECT_EQ(gNotesToSynth, 1);
  StopTransport(false);
  Step(kAfter);
  ASSERT_EQ(DisconnectBuiltInSynthFromDevice(device_), 0);
  std::vector<float> heard = Heard();
  MIDIClientDispose(client);
  ASSERT_EQ(heard.size(), size_t(kBefore + kPlayed + kAfter) * kFrames);
  const size_t b = kFrames;
  EXPECT_LT(Rms(heard, 0, kBefore * b), 1e-3);                                      // before Play
  EXPECT_GT(Rms(heard, (kBefore + 40) * b, (kBefore + kPlayed) * b), 1e-3);         // playing
  EXPECT_LT(Rms(heard, (kBefore + kPlayed + kAfter - 60) * b, heard.size()), 1e-3);  // stopped
}

// A pass that ends by itself (here the ticks halted by an engine error) stops the engine with
// the clock: the device goes idle and the error is reported once.
TEST_F(TransportAudio, APassThatEndsByItselfStopsTheEngine) {
  AddCountingChannel();
  ::Play(1);
  Cycles(10);
  RunFor(10000000);
  ASSERT_TRUE(IsClockTaskPlaying());
  LatchAudioEngineError(kEngineErrUnderrun);
  RunFor(10000000);
  EXPECT_FALSE(IsClockTaskPlaying());
  DrainIdleTasks();
  EXPECT_EQ(IdleTaskDepth(), 0);
  EXPECT_EQ(gEnginePrepared, 0);
  EXPECT_EQ(gAudioDriverState.load(), kDriverIdle);
  EXPECT_EQ(gEngineError.load(), 0);  // reported at the stop
}

// The same on the device's own real-time thread: while the engine mixes on its thread and the
// transport stops from this one, every block is still heard once and in order.
TEST_F(TransportAudio, InRealTimeEveryBlockIsHeardOnceAndInOrder) {
  ASSERT_EQ(SetNullDeviceManualMode(false), 0);
  frames_ = 512;
  UInt32 frames = UInt32(frames_);
  ASSERT_EQ(AudioDeviceSetProperty(device_, nullptr, 0, false, kAudioDevicePropertyBufferFrameSize, sizeof frames,
                                   &frames), 0);
  gAudioBufferFrames.store(frames_);
  AddCountingChannel();
  const uint32_t lateBefore = gLateMixHandOffs.load();
  ::Play(1);
  // Played until the engine has mixed 80 blocks (at most ten seconds).
  const uint32_t from = gEngineQueue.cyclesMixed.load();
  for (int32_t i = 0; i < 100000 && gEngineQueue.cyclesMixed.load() - from < 80; ++i) usleep(100);
  ASSERT_GE(gEngineQueue.cyclesMixed.load() - from, 80u);
  StopTransport(false);
  EXPECT_EQ(gAudioDriverState.load(), kDriverIdle);
  // A loaded machine can make the engine thread late; the device then plays silence for that
  // block, which is lateness, not a fault (the manual-mode test checks every block exactly).
  if (gLateMixHandOffs.load() != lateBefore) GTEST_SKIP() << "the engine thread was late on this machine";
  std::vector<float> heard = Heard();
  size_t first = 0;
  while (first < heard.size() && heard[first] == 0.0f) ++first;
  ASSERT_LT(first, heard.size());
  size_t at = first;
  while (at < heard.size() && heard[at] != 0.0f) ++at;
  EXPECT_GE(at - first, size_t(60) * frames_);
  ExpectCountedPass(heard, 0, at - first, heard.size());
  EXPECT_EQ(gEngineError.load(), 0);
}

int16_t RefuseOpen(EngineChannel*) { return 117; }
int32_t gStops = 0;
int16_t CountStop(int32_t) {
  ++gStops;
  return 0;
}

// A device that cannot open: Play reports the error, halts the ticks without starting the
// clock, and leaves no preparation standing.
TEST_F(TransportAudio, AFailedPreparationIsReportedAndStartsNothing) {
  InstallErrorReportHooks();
  AudioDriverOps refusing;
  refusing.Open = RefuseOpen;
  refusing.Stop = CountStop;
  refusing.flags = kDriverFlagActive;
  gOutputDevices = &refusing;
  AddCountingChannel();
  EngineChannel* c = gCoreAudioDriver.channelList;
  gCoreAudioDriver.channelList = nullptr;
  c->device = &refusing;
  refusing.channelList = c;
  gStops = 0;
  int32_t alerts = CountAlertsShown();
  ::Play(1);
  EXPECT_EQ(CountAlertsShown(), alerts + 1);
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_NE(gTransportClock.flags.load() & kClockFlagHalted, 0u);
  EXPECT_EQ(gEnginePrepared, 0);
  EXPECT_EQ(refusing.channelList, nullptr);
  EXPECT_EQ(gStops, 1);
}

// Without an engine channel nothing is prepared: the clock runs by itself, no device opens.
TEST_F(TransportAudio, WithoutChannelsTheClockPlaysAlone) {
  ::Play(1);
  EXPECT_EQ(gClockSyncSource, 0);
  EXPECT_EQ(gEnginePrepared, 0);
  EXPECT_FALSE(gCoreAudioIO.outputProcInstalled.load());
  RunFor(100000000);
  EXPECT_GT(gTransportClock.songTick, 1u);
}

// A song whose only sounding track is an audio track: Play prepares the engine for it, the
// track's channel is made on the device and the device's clock drives the song; Stop disposes
// the channel again.
TEST_F(TransportAudio, AnAudioTrackMakesPlayPrepareTheEngine) {
  Handle regions = NewHandleClear(kRegionSize);
  handles.push_back(regions);
  SetRegionLength(reinterpret_cast<uint8_t*>(*regions), 100000);
  uint8_t* track = reinterpret_cast<uint8_t*>(*gTransportSong) + kSongHeaderSize;
  track[kTrackOutputKind] = kAudioTrackOutputKind;
  track[kTrackType] = gCoreAudioDriver.driverId;
  WriteU32BE(track + kTrackRegionList, regions.id);
  SetCurrentSong(gTransportSong);
  ::Play(1);
  EXPECT_EQ(gEnginePrepared, 1);
  ASSERT_EQ(gEngineChannelCount, 1);
  EngineChannel* c = gEngineChannelLists[0];
  EXPECT_EQ(c->song, gTransportSong);
  EXPECT_EQ(c->regionCount, 1);
  EXPECT_EQ(gCoreAudioDriver.channelList, c);
  EXPECT_EQ(gClockSyncSource, 6);
  Cycles(10);
  StopTransport(false);
  EXPECT_EQ(gEnginePrepared, 0);
  EXPECT_EQ(gCoreAudioDriver.channelList, nullptr);
  EXPECT_EQ(gEngineError.load(), 0);
}

}  // namespace
