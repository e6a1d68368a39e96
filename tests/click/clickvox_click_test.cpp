// Clickvox as an instrument: notes choose and start the clicks at their frame, velocity sets
// the gain, the two render forms replace and add, rate changes reconvert, and missing or
// broken sample files leave it silent but working.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "click/click_aiff.h"
#include "click/click_aiff_writer.h"
#include "tests/click/clickvox_test_host.h"
#include "tests/test_support.h"

namespace {

constexpr size_t kClickFrames = 1000;

// Each test plays clicks made for it: the beat click falls (-2, -4 ...), the bar click rises
// (2, 4 ...), so every output frame tells which click and which sample it is.
class ClickvoxClickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gTestHost = TestHostState{};
    gTestHost.directory = folder.path();
  }
  void WriteClicks(double rate = 44100.0) {
    WriteClickFile(folder.File("MBeat.aif"), RampSamples(kClickFrames, -1), rate);
    WriteClickFile(folder.File("MBar.aif"), RampSamples(kClickFrames, +1), rate);
  }
  static float Bar(size_t i) { return SampleFloat(int(2 * i + 2)); }
  static float Beat(size_t i) { return SampleFloat(-int(2 * i + 2)); }

  zarin_test::TempFolder folder;
};

// The number of frames of a rendered stream that are not zero.
size_t SoundingFrames(const std::vector<float>& out) {
  size_t n = 0;
  for (float v : out) n += v != 0.0f;
  return n;
}

TEST_F(ClickvoxClickTest, NoteAtOffsetStartsTheClickAtThatFrame) {
  WriteClicks();
  const size_t kBlock = 64;
  for (VstInt32 offset : {0, 1, 10, 63, 64, 500, -3}) {
    for (bool replacing : {true, false}) {
      ClickvoxInstance plugin;
      ASSERT_NE(plugin.effect(), nullptr);
      plugin.Resume();
      plugin.NoteOn(60, 127, offset);
      std::vector<float> out = replacing ? plugin.Replace(kBlock) : plugin.Accumulate(kBlock);
      size_t start = offset >= 0 && offset < VstInt32(kBlock) ? size_t(offset) : 0;
      float base = replacing ? 0.0f : 0.75f;  // replaced, or added to what was there
      for (size_t f = 0; f < kBlock; ++f) {
        float expected = f < start ? base : base + Bar(f - start);
        ASSERT_FLOAT_EQ(out[f], expected)
            << "offset " << offset << " frame " << f << (replacing ? " replacing" : " adding");
      }
    }
  }
}

TEST_F(ClickvoxClickTest, ClickRunsOnAcrossBlocksToItsEnd) {
  WriteClicks();
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Resume();
  const size_t kStart = 40;
  plugin.NoteOn(36, 127, kStart);
  std::vector<float> out = plugin.ReplaceFrames(2048, 64);
  for (size_t f = 0; f < out.size(); ++f) {
    float expected = f >= kStart && f < kStart + kClickFrames ? Bar(f - kStart) : 0.0f;
    ASSERT_EQ(out[f], expected) << "frame " << f;
  }
  // A later note in a later block starts again at its own frame.
  plugin.NoteOn(100, 127, 7);
  std::vector<float> again = plugin.Replace(64);
  EXPECT_EQ(again[6], 0.0f);
  EXPECT_EQ(again[7], Beat(0));
  EXPECT_EQ(again[8], Beat(1));
}

TEST_F(ClickvoxClickTest, NoteNumberChoosesBarOrBeatClick) {
  WriteClicks();
  struct Case {
    uint8_t status;
    uint8_t note;
    bool bar;
  };
  const Case cases[] = {{0x90, 0, true},   {0x90, 60, true},   {0x90, 84, true},
                        {0x90, 85, false}, {0x90, 127, false}, {0x9F, 84, true},
                        {0x9A, 85, false}};
  for (const Case& c : cases) {
    ClickvoxInstance plugin;
    ASSERT_NE(plugin.effect(), nullptr);
    plugin.Resume();
    plugin.SendMidi(c.status, c.note, 127);
    std::vector<float> out = plugin.Replace(4);
    EXPECT_EQ(out[1], c.bar ? Bar(1) : Beat(1)) << int(c.note);
  }
}

TEST_F(ClickvoxClickTest, VelocityScalesTheGain) {
  WriteClicks();
  for (int velocity : {127, 64, 1}) {
    ClickvoxInstance plugin;
    ASSERT_NE(plugin.effect(), nullptr);
    plugin.Resume();
    plugin.NoteOn(60, static_cast<uint8_t>(velocity));
    std::vector<float> out = plugin.Replace(8);
    float gain = static_cast<float>(velocity / 127.0);
    for (size_t f = 0; f < out.size(); ++f) EXPECT_EQ(out[f], Bar(f) * gain) << velocity;
  }
}

TEST_F(ClickvoxClickTest, NoteOffsAndControllers) {
  WriteClicks();
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Resume();

  // A note-off (or a note-on of velocity 0) of the sounding note lets the click go on.
  plugin.NoteOn(60);
  plugin.Replace(10);
  plugin.SendMidi(0x80, 60, 64);
  plugin.SendMidi(0x90, 60, 0);
  EXPECT_EQ(plugin.Replace(4)[0], Bar(10));

  // Controller 123 does nothing; 126 stops the click at once.
  plugin.SendMidi(0xB0, 123, 0);
  EXPECT_EQ(plugin.Replace(4)[0], Bar(14));
  plugin.SendMidi(0xB3, 126, 0);
  EXPECT_EQ(SoundingFrames(plugin.Replace(64)), 0u);

  // A note-off of another note silences the click from the start of the block, and then
  // counts as the last note.
  plugin.NoteOn(60);
  plugin.Replace(10);
  plugin.SendMidi(0x80, 61, 0, 20);
  EXPECT_EQ(SoundingFrames(plugin.Replace(64)), 0u);
  plugin.SendMidi(0x80, 61, 0);
  plugin.NoteOn(60);
  EXPECT_EQ(plugin.Replace(2)[1], Bar(1));
}

TEST_F(ClickvoxClickTest, ClickEndingInsideABlock) {
  WriteClicks();
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Resume();
  plugin.NoteOn(60);
  plugin.Replace(kClickFrames - 10);
  std::vector<float> replaced = plugin.Replace(64);
  for (size_t f = 0; f < 64; ++f)
    EXPECT_EQ(replaced[f], f < 10 ? Bar(kClickFrames - 10 + f) : 0.0f);

  plugin.NoteOn(60);
  plugin.Replace(kClickFrames - 10);
  std::vector<float> added = plugin.Accumulate(64, 0.5f);
  for (size_t f = 0; f < 64; ++f)
    EXPECT_EQ(added[f], f < 10 ? 0.5f + Bar(kClickFrames - 10 + f) : 0.5f);
  // Ended: the next block is left alone.
  EXPECT_EQ(plugin.Accumulate(4, 0.5f), std::vector<float>(4, 0.5f));
}

// Frames a click of kClickFrames at fileRate lasts at hostRate, as the conversion counts it.
size_t ConvertedLength(float fileRate, float hostRate) {
  double step = static_cast<float>(fileRate / hostRate);
  return static_cast<size_t>(kClickFrames / step);
}

TEST_F(ClickvoxClickTest, RateChangeReloadsAtTheNewRate) {
  WriteClicks(44100.0);
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Resume();
  EXPECT_EQ(CountRequests(kAudioMasterGetDirectory), 1u);
  plugin.Suspend();
  plugin.SetSampleRate(48000.0f);
  EXPECT_EQ(CountRequests(kAudioMasterGetDirectory), 2u);

  // The same rate again, or a rate that cannot be used, reloads nothing.
  plugin.SetSampleRate(48000.0f);
  plugin.SetSampleRate(0.0f);
  plugin.SetSampleRate(-44100.0f);
  plugin.SetSampleRate(NAN);
  plugin.Resume();
  EXPECT_EQ(CountRequests(kAudioMasterGetDirectory), 2u);

  plugin.NoteOn(60);
  std::vector<float> out = plugin.ReplaceFrames(1200);
  size_t expected = ConvertedLength(44100.0f, 48000.0f);
  EXPECT_EQ(expected, 1088u);
  EXPECT_EQ(SoundingFrames(out), expected);
  // The ramp is linear, so the interpolated click is the ramp read at j x 0.91875.
  for (size_t j = 0; j < expected; ++j)
    ASSERT_NEAR(out[j], (2.0 * j * 0.91875 + 2.0) / 32768.0, 1e-6) << j;
}

// While switched on the host may be rendering from the click buffers, so a rate change then
// must not free them under it: the click plays on, and the next resume converts anew.
TEST_F(ClickvoxClickTest, RateChangeWhileSwitchedOnWaitsForTheNextResume) {
  WriteClicks(44100.0);
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Resume();
  plugin.NoteOn(60);
  EXPECT_EQ(plugin.Replace(64)[63], Bar(63));
  plugin.SetSampleRate(48000.0f);
  EXPECT_EQ(CountRequests(kAudioMasterGetDirectory), 1u);
  std::vector<float> next = plugin.Replace(64);
  for (size_t f = 0; f < next.size(); ++f) ASSERT_EQ(next[f], Bar(64 + f)) << f;

  plugin.Suspend();
  plugin.Resume();
  EXPECT_EQ(CountRequests(kAudioMasterGetDirectory), 2u);
  plugin.NoteOn(60);
  EXPECT_EQ(SoundingFrames(plugin.ReplaceFrames(1200)), ConvertedLength(44100.0f, 48000.0f));

  // A rate changed and changed back while switched on leaves the clicks as they are.
  plugin.SetSampleRate(96000.0f);
  plugin.SetSampleRate(48000.0f);
  plugin.Suspend();
  plugin.Resume();
  EXPECT_EQ(CountRequests(kAudioMasterGetDirectory), 2u);
}

TEST_F(ClickvoxClickTest, RateSetBeforeResumeLoadsAtOnceUnless44100) {
  WriteClicks(44100.0);
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.SetSampleRate(44100.0f);
  EXPECT_EQ(CountRequests(kAudioMasterGetDirectory), 0u);
  plugin.SetSampleRate(22050.0f);
  EXPECT_EQ(CountRequests(kAudioMasterGetDirectory), 1u);
  plugin.Resume();  // finds the clicks loaded and keeps them
  plugin.NoteOn(90);
  EXPECT_EQ(SoundingFrames(plugin.ReplaceFrames(2200)), ConvertedLength(44100.0f, 22050.0f));
}

TEST_F(ClickvoxClickTest, LoadedClickKeepsItsLengthWhenLoadingRunsAgain) {
  // The beat click is broken, so every resume tries to load it again and reads the bar
  // click's file again too; its converted length must stay.
  zarin_test::WriteWholeFile(folder.File("MBeat.aif"), "FORM not really an AIFF file");
  WriteClickFile(folder.File("MBar.aif"), RampSamples(kClickFrames, +1), 48000.0);
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Resume();
  plugin.Resume();
  plugin.NoteOn(60);
  size_t expected = ConvertedLength(48000.0f, 44100.0f);
  EXPECT_EQ(expected, 918u);
  EXPECT_EQ(SoundingFrames(plugin.ReplaceFrames(1200)), expected);
}

TEST_F(ClickvoxClickTest, MissingOrBrokenFilesLeaveTheirClickSilent) {
  struct Case {
    const char* what;
    std::string beat;  // "ok", "missing", or the bytes of a broken file
    std::string bar;
    bool beatSounds;
    bool barSounds;
  };
  const Case cases[] = {
      {"no beat file: nothing loads", "missing", "ok", false, false},
      {"no bar file: the beat click works", "ok", "missing", true, false},
      {"empty beat file is skipped", "", "ok", false, true},
      {"bar file without chunks is skipped", "ok", std::string("FORM\0\0\0\x04" "AIFF", 12), true,
       false},
      {"both broken", "garbage", std::string("FORM\xff\xff\xff\xff" "AIFCCOMM", 16), false,
       false},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(folder.File("MBeat.aif"));
    std::filesystem::remove(folder.File("MBar.aif"));
    auto make = [&](const std::string& how, const char* name, int sign) {
      if (how == "ok")
        WriteClickFile(folder.File(name), RampSamples(kClickFrames, sign));
      else if (how != "missing")
        zarin_test::WriteWholeFile(folder.File(name), how);
    };
    make(c.beat, "MBeat.aif", -1);
    make(c.bar, "MBar.aif", +1);
    ClickvoxInstance plugin;
    ASSERT_NE(plugin.effect(), nullptr);
    plugin.Resume();
    plugin.NoteOn(100);
    EXPECT_EQ(SoundingFrames(plugin.Replace(64)) > 0, c.beatSounds) << c.what;
    plugin.NoteOn(60);
    EXPECT_EQ(SoundingFrames(plugin.Replace(64)) > 0, c.barSounds) << c.what;
  }
}

TEST_F(ClickvoxClickTest, NoteForAnUnloadedClickStopsTheSoundingOne) {
  WriteClickFile(folder.File("MBeat.aif"), RampSamples(kClickFrames, -1));
  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Resume();
  plugin.NoteOn(100);
  EXPECT_EQ(plugin.Replace(4)[0], Beat(0));
  plugin.NoteOn(60);  // the bar click is not loaded
  EXPECT_EQ(SoundingFrames(plugin.Replace(64)), 0u);
  EXPECT_EQ(plugin.Accumulate(4, 0.5f), std::vector<float>(4, 0.5f));
}

TEST_F(ClickvoxClickTest, EightBitAndStereoFilesAreReadAsWhatTheyAre) {
  ClickAiffFormat eightBit;
  eightBit.sampleBits = 8;
  eightBit.frames = 3;
  const uint8_t beatBytes[] = {0x40, 0xC0, 0x20};  // 0.5, -0.5, 0.25
  std::vector<uint8_t> beat = BuildClickAiff(eightBit, beatBytes, sizeof beatBytes);
  zarin_test::WriteWholeFile(folder.File("MBeat.aif"), std::string(beat.begin(), beat.end()));
  ClickAiffFormat stereo;
  stereo.channels = 2;
  stereo.frames = 2;
  // Frames (0.5, 0) and (0.25, 0.25).
  const uint8_t barBytes[] = {0x40, 0x00, 0x00, 0x00, 0x20, 0x00, 0x20, 0x00};
  std::vector<uint8_t> bar = BuildClickAiff(stereo, barBytes, sizeof barBytes);
  zarin_test::WriteWholeFile(folder.File("MBar.aif"), std::string(bar.begin(), bar.end()));

  ClickvoxInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Resume();
  plugin.NoteOn(100);
  EXPECT_EQ(plugin.Replace(4), (std::vector<float>{0.5f, -0.5f, 0.25f, 0.0f}));
  plugin.NoteOn(60);
  EXPECT_EQ(plugin.Replace(3), (std::vector<float>{0.25f, 0.25f, 0.0f}));
}

TEST_F(ClickvoxClickTest, WithoutAFolderFromTheHostTheSamplesBesideThePluginPlay) {
  std::string builtBar = zarin_test::ReadWholeFile(ClickvoxFolder() + "/MBar.aif");
  ClickAiffInfo info;
  ASSERT_EQ(ParseClickAiffHeader(reinterpret_cast<const uint8_t*>(builtBar.data()),
                                 builtBar.size(), &info),
            noErr);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.sampleBits, 16);
  EXPECT_EQ(info.sampleRate, 44100.0);
  std::vector<float> samples(info.frames);
  DecodeClickSamples(reinterpret_cast<const uint8_t*>(builtBar.data()), info, samples.data());

  // No answer from the host, and an answer naming the plug-in file instead of its folder.
  for (bool answer : {false, true}) {
    gTestHost.answerDirectory = answer;
    gTestHost.directory = CLICKVOX_PATH;
    ClickvoxInstance plugin;
    ASSERT_NE(plugin.effect(), nullptr);
    plugin.Resume();
    plugin.NoteOn(60);
    std::vector<float> out = plugin.ReplaceFrames(info.frames + 64);
    out.resize(info.frames);
    EXPECT_EQ(out, samples) << (answer ? "host names the plug-in file" : "no host answer");
  }
}

}  // namespace
