// The built-in General MIDI synth with the real sound font: sound after a note-on, silence
// after its note-off, events on their sample, and the note allocator's channels.
#include <gtest/gtest.h>

#include <string>

#include "platform/coremidi/core_midi.h"
#include "platform/system/host_time.h"
#include "tests/platform/coremidi/midi_test_support.h"
#include "tests/test_support.h"

namespace {

using midi_test::PacketList;
using midi_test::Rms;

constexpr double kRate = 48000.0;
constexpr uint32_t kBlock = 256;
constexpr double kAudible = 1e-3;
constexpr double kSilent = 1e-5;

class BuiltInSynth : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MIDIClientCreate(CFSTR("Tests"), nullptr, nullptr, &client_), noErr);
    ASSERT_EQ(MIDIOutputPortCreate(client_, CFSTR("Out"), &out_), noErr);
    synth_ = MIDIGetDestination(0);
    ASSERT_TRUE(BuiltInSynthIsReady()) << "the General MIDI sound font (fluid-soundfont-gm) is missing";
    ASSERT_EQ(PrepareBuiltInSynth(kRate), noErr);
  }
  void TearDown() override { ShutDownMidiServices(); }

  void Send(std::vector<Byte> bytes, MIDITimeStamp stamp = 0) {
    PacketList list({{stamp, bytes}});
    ASSERT_EQ(MIDISend(out_, synth_, list.get()), noErr);
  }

  // Renders seconds of sound, block by block, at the time of each call; the left channel.
  std::vector<float> Render(double seconds) {
    std::vector<float> left(size_t(seconds * kRate)), right(left.size());
    for (size_t at = 0; at < left.size(); at += kBlock) {
      uint32_t n = uint32_t(std::min<size_t>(kBlock, left.size() - at));
      RenderBuiltInSynth(&left[at], &right[at], n, kRate);
    }
    return left;
  }

  zarin_test::ScopedEnv drivers_{"ZARIN_MIDI_DRIVERS", "none"};
  MIDIClientRef client_ = 0;
  MIDIPortRef out_ = 0;
  MIDIEndpointRef synth_ = 0;
};

TEST_F(BuiltInSynth, NoteOnSoundsAndNoteOffDiesAway) {
  EXPECT_LT(Rms(Render(0.1), 0, size_t(0.1 * kRate)), kSilent);
  Send({0x90, 60, 110});
  std::vector<float> held = Render(0.5);
  EXPECT_GT(Rms(held, 0, held.size()), kAudible);
  Send({0x80, 60, 0});
  std::vector<float> after = Render(4.0);
  EXPECT_LT(Rms(after, after.size() - size_t(0.25 * kRate), after.size()), kSilent);
}

TEST_F(BuiltInSynth, EventStartsWithinHalfASynthBlockOfItsStamp) {
  const MIDITimeStamp start = HostTimeNanos() + 1000000000ull;  // a buffer a second ahead
  Send({0x90, 60, 127}, start + 10000000);                       // 10 ms into it: frame 480
  std::vector<float> left(2048), right(2048);
  RenderBuiltInSynthAt(left.data(), right.data(), 2048, kRate, start);
  size_t first = 0;
  while (first < left.size() && std::fabs(left[first]) < 1e-6f) ++first;
  EXPECT_GE(first, 480u - 32);
  EXPECT_LE(first, 480u + 32 + 16);  // and a few frames of the attack's first rise
  EXPECT_GT(Rms(left, first, first + 480), kAudible);
}

TEST_F(BuiltInSynth, FlushDropsWhatIsNotYetDue) {
  Send({0x90, 64, 110}, HostTimeNanos() + 50000000);
  ASSERT_EQ(MIDIFlushOutput(synth_), noErr);
  std::vector<float> left = Render(0.3);
  EXPECT_LT(Rms(left, 0, left.size()), kSilent);
}

TEST_F(BuiltInSynth, OtherRateIsSilentUntilPrepared) {
  Send({0x90, 67, 110});
  std::vector<float> left(kBlock), right(kBlock);
  RenderBuiltInSynth(left.data(), right.data(), kBlock, 44100.0);
  EXPECT_EQ(Rms(left, 0, kBlock), 0.0);
  ASSERT_EQ(PrepareBuiltInSynth(44100.0), noErr);
  EXPECT_EQ(BuiltInSynthSampleRate(), 44100.0);
  double sum = 0;
  for (int i = 0; i < 40; ++i) {
    RenderBuiltInSynth(left.data(), right.data(), kBlock, 44100.0);
    sum += Rms(left, 0, kBlock);
  }
  EXPECT_GT(sum / 40, kAudible);  // the queued note survived the rebuild
}

TEST_F(BuiltInSynth, NoteChannelsPlayTheirInstruments) {
  NoteAllocator na = OpenNoteAllocatorComponent();
  ASSERT_NE(na, 0u);
  NoteRequest request{};
  request.info.polyphony = 2;
  request.info.typicalPolyphony = 0x00010000;
  ASSERT_EQ(NAStuffToneDescription(na, 41, &request.tone), noErr);  // violin
  NoteChannel channel = 0;
  ASSERT_EQ(NANewNoteChannel(na, &request, &channel), noErr);
  ASSERT_NE(channel, 0u);

  ASSERT_EQ(NASetController(na, channel, kControllerVolume, 127 << 8), noErr);
  ASSERT_EQ(NAPlayNote(na, channel, 69, 100), noErr);
  std::vector<float> held = Render(0.5);
  EXPECT_GT(Rms(held, 0, held.size()), kAudible);
  ASSERT_EQ(NAPlayNote(na, channel, 69, 0), noErr);
  std::vector<float> after = Render(4.0);
  EXPECT_LT(Rms(after, after.size() - size_t(0.25 * kRate), after.size()), kSilent);

  // Sixteen channels in all.
  std::vector<NoteChannel> more;
  for (int i = 0; i < 15; ++i) {
    NoteChannel c = 0;
    ASSERT_EQ(NANewNoteChannel(na, &request, &c), noErr);
    more.push_back(c);
  }
  NoteChannel none = 0;
  EXPECT_EQ(NANewNoteChannel(na, &request, &none), notEnoughHardwareErr);
  ASSERT_EQ(NADisposeNoteChannel(na, channel), noErr);
  EXPECT_EQ(NAPlayNote(na, channel, 60, 100), paramErr);
  EXPECT_EQ(NANewNoteChannel(na, &request, &none), noErr);
  EXPECT_EQ(CloseNoteAllocatorComponent(na), noErr);
  EXPECT_EQ(NAPlayNote(na, more[0], 60, 100), paramErr);
}

TEST_F(BuiltInSynth, ToneDescriptionsNameTheInstrument) {
  NoteAllocator na = OpenNoteAllocatorComponent();
  struct Case {
    SInt32 number;
    ComponentResult result;
    const char* name;
  };
  const Case cases[] = {
      {1, noErr, "Acoustic Grand Piano"},
      {128, noErr, "Gunshot"},
      {(1 << 7) + 1, noErr, "Acoustic Grand Piano"},  // bank LSB 1, program 0
      {kFirstDrumkit + 1, noErr, "Standard Kit"},
      {kFirstDrumkit + 26, noErr, "Analog Kit"},
      {kFirstDrumkit + 2, noErr, "Drum Kit 2"},
      {0, paramErr, ""},
      {-5, paramErr, ""},
  };
  for (const Case& c : cases) {
    ToneDescription td{};
    ASSERT_EQ(NAStuffToneDescription(na, c.number, &td), c.result) << c.number;
    if (c.result != noErr) continue;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(td.instrumentName + 1), td.instrumentName[0]), c.name);
    EXPECT_EQ(td.instrumentNumber, c.number);
    EXPECT_EQ(td.gmNumber, c.number);
  }
  ToneDescription td{};
  EXPECT_EQ(NAStuffToneDescription(na + 1000, 1, &td), paramErr);
  CloseNoteAllocatorComponent(na);
}

}  // namespace
