// The built-in synth played through the null device: the notes it is sent are heard in the
// device's WAV capture, and silence where no note plays.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <string>
#include <vector>

#include "audio/devices/builtin_synth_output.h"
#include "platform/coreaudio/core_audio.h"
#include "platform/coremidi/builtin_synth.h"
#include "platform/coremidi/core_midi.h"
#include "platform/text/core_foundation.h"
#include "tests/test_support.h"

namespace {

constexpr UInt32 kFrames = 512;

void Send(MIDIPortRef port, MIDIEndpointRef dest, uint8_t status, uint8_t data1, uint8_t data2) {
  Byte buffer[64];
  auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
  MIDIPacket* packet = MIDIPacketListInit(list);
  const Byte bytes[3] = {status, data1, data2};
  MIDIPacketListAdd(list, sizeof buffer, packet, 0, 3, bytes);
  ASSERT_EQ(MIDISend(port, dest, list), 0);
}

double Rms(const std::vector<float>& samples, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double(samples[i]) * samples[i];
  return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

TEST(BuiltInSynthOutput, NotesAreHeardInTheNullDeviceCapture) {
  setenv("ZARIN_MIDI_DRIVERS", "synth", 1);
  MIDIClientRef client = 0;
  ASSERT_EQ(MIDIClientCreate(CFSTR("synth output test"), nullptr, nullptr, &client), 0);
  MIDIPortRef port = 0;
  ASSERT_EQ(MIDIOutputPortCreate(client, CFSTR("out"), &port), 0);
  MIDIEndpointRef synth = MIDIGetDestination(0);
  ASSERT_NE(synth, 0u);
  if (!BuiltInSynthIsReady()) GTEST_SKIP() << "no General MIDI sound font installed";

  AudioDeviceID device = GetNullAudioDevice();
  ASSERT_EQ(SetNullDeviceManualMode(true), 0);
  zarin_test::TempFolder folder;
  std::string wav = folder.File("synth.wav");
  ASSERT_EQ(SetNullDeviceCapturePath(wav.c_str()), 0);
  ASSERT_EQ(ConnectBuiltInSynthToDevice(device), 0);

  RunNullDeviceCycles(40);              // silence before the note
  Send(port, synth, 0x90, 60, 110);
  RunNullDeviceCycles(80);              // the note sounds
  Send(port, synth, 0x80, 60, 0);
  RunNullDeviceCycles(200);             // released, then silence again
  ASSERT_EQ(DisconnectBuiltInSynthFromDevice(device), 0);
  SetNullDeviceCapturePath(nullptr);
  SetNullDeviceManualMode(false);
  MIDIClientDispose(client);

  SF_INFO info{};
  SNDFILE* file = sf_open(wav.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  std::vector<float> frames(size_t(info.frames) * size_t(info.channels));
  sf_readf_float(file, frames.data(), info.frames);
  sf_close(file);
  ASSERT_EQ(info.channels, 2);
  std::vector<float> left(size_t(info.frames));
  for (size_t i = 0; i < left.size(); ++i) left[i] = frames[2 * i];
  ASSERT_GE(left.size(), size_t(300) * kFrames);

  EXPECT_LT(Rms(left, 0, 30 * kFrames), 1e-4);                  // before the note
  EXPECT_GT(Rms(left, 45 * kFrames, 115 * kFrames), 1e-3);      // while it plays
  EXPECT_LT(Rms(left, 280 * kFrames, 320 * kFrames), 1e-3);     // long after its release
}

}  // namespace
