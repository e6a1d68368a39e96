// The mixer window of the real zarin program with real plug-ins: a song whose track plays a
// rack of a synthesiser (Kars) and an oscillator effect (an LSP plug-in that adds a full-scale
// tone to its input) is opened with the null audio device writing what it plays to a WAV
// file. The mixer (Control-7) shows the track's rack; during playback the tone is heard,
// and a click on the oscillator row's bypass icon takes it out of what is heard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mixer/window/mixer_layout.h"
#include "mixer/window/mixer_rows.h"
#include "plugins/host/insert_chains.h"
#include "plugins/library/plugin_table.h"
#include "tests/shell/program/plugin_song_program.h"
#include "tests/shell/program/program_session.h"
#include "tests/shell/program/wav_capture_reading.h"

namespace {

using namespace program_test;

constexpr const char* kSynth = "/usr/lib/vst/Kars-vst.so";
constexpr const char* kOscillator = "/usr/lib/vst/lsp-plugins/oscillator-mono.so";
constexpr int kEditorKind = 4;
constexpr int kMixerKind = 14;
constexpr int kInfoPanelKind = 3;
constexpr float kTone = 0.5f;     // the oscillator's tone reaches full scale
constexpr float kQuiet = 0.05f;   // the synthesiser's few notes are long over by then

class MixerBypassPlay : public PluginSongProgramTest {
 protected:
  void SetUp() override { SetUpPlugins({kSynth, kOscillator}); }
  // What the running program captured so far (its writer fills PATH.part until the end).
  static std::vector<float> Captured(const std::string& wav) {
    return WavSamples(zarin_test::ReadWholeFile(wav + ".part"));
  }
  // The peak of what was captured from sample `from` on; -1 when nothing is there yet.
  static float PeakFrom(const std::string& wav, size_t from) {
    std::vector<float> s = Captured(wav);
    if (from >= s.size()) return -1.0f;
    return Peak(std::vector<float>(s.begin() + long(from), s.end()));
  }
};

TEST_F(MixerBypassPlay, TheBypassIconTakesThePlugInOutOfWhatIsHeard) {
  // One track on the synthesiser, then the oscillator, in its rack; it plays on long after
  // its notes. The oscillator's row top in the mixer (collapsed) is kept.
  int32_t synth = IndexOf("Kars-vst.so"), oscillator = IndexOf("oscillator-mono.so");
  ASSERT_GE(synth, 0);
  ASSERT_GE(oscillator, 0);
  int16_t oscillatorRowTop = 0;
  SaveSongOnRack("rack.bysq", {synth, oscillator}, 400 * 480, [&](uint32_t head) {
    int16_t heights[1] = {MixerRowHeight(MixerRowShapeOf(GetChainPlugin(head, 0)), false)};
    oscillatorRowTop = MixerRowTop(heights, 1, false);
  });
  std::string wav = session_.File("heard.wav");
  ASSERT_TRUE(ExamineInFirstRun({PluginInfoAt(synth)->uniqueId, PluginInfoAt(oscillator)->uniqueId}))
      << "the plug-ins were never examined";
  env["ZARIN_NULL_CAPTURE"] = wav;
  ASSERT_TRUE(program_.Start({Path("rack.bysq")}, env, session_.File("errors.txt")));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  std::string shown = DumpUntil(program_, dumpFile, [](const std::string& d) { return WindowOfKind(d, kEditorKind).visible; });
  WindowLine editor = WindowOfKind(shown, kEditorKind);
  ASSERT_TRUE(editor.visible) << shown;
  // The mixer shows the current track's rack.
  x.Chord({"Control_L"}, "7");
  // The window follows its rows on the idle pass after it is shown: tall enough for both
  // rows, the spare row and the margin.
  int16_t wanted = MixerBypassRect(false, oscillatorRowTop).bottom + 64;
  shown = DumpUntil(program_, dumpFile, [wanted](const std::string& d) {
    WindowLine w = WindowOfKind(d, kMixerKind);
    return w.visible && w.bottom - w.top >= wanted;
  });
  WindowLine mixer = WindowOfKind(shown, kMixerKind);
  ASSERT_TRUE(mixer.visible) << shown;
  EXPECT_EQ(kMixerWidth, mixer.right - mixer.left);
  EXPECT_GE(mixer.bottom - mixer.top, wanted) << "the window grows to hold its rows\n" << shown;
  // Play from the main editor.
  x.Drag(editor.left + 150, editor.top - 8, editor.left + 150, editor.top - 8);
  x.Chord({}, "space");
  float heard = 0;
  for (int i = 0; i < 200 && heard < kTone; ++i) {
    usleep(100000);
    heard = PeakFrom(wav, 0);
  }
  ASSERT_GE(heard, kTone) << "the oscillator's tone was never heard\n" << program_.Dump(dumpFile)
                          << zarin_test::ReadWholeFile(session_.File("errors.txt"));
  // Its bypass icon, in the oscillator's row, with the mixer in front again and moved up
  // clear of the floating info panel.
  x.Chord({"Control_L"}, "7");
  DumpUntil(program_, dumpFile, [](const std::string& d) { return HasLine(d, "front", std::to_string(kMixerKind)); });
  int top = mixer.top;
  x.Drag(mixer.left + 300, mixer.top - 8, mixer.left + 300, 120);
  shown = DumpUntil(program_, dumpFile, [top](const std::string& d) { return WindowOfKind(d, kMixerKind).top < top; });
  mixer = WindowOfKind(shown, kMixerKind);
  WindowLine panel = WindowOfKind(shown, kInfoPanelKind);
  ASSERT_LT(mixer.top + oscillatorRowTop + 20, panel.top) << shown;
  Rect icon = MixerBypassRect(false, oscillatorRowTop);
  int h = mixer.left + (icon.left + icon.right) / 2, v = mixer.top + (icon.top + icon.bottom) / 2;
  usleep(1500000);  // the synthesiser's notes die away
  size_t before = Captured(wav).size();
  ASSERT_GE(PeakFrom(wav, before > 8192 ? before - 8192 : 0), kTone) << "the tone plays on until the click";
  x.Drag(h, v, h, v);
  usleep(500000);  // the engine's next blocks
  size_t after = Captured(wav).size();
  usleep(1500000);
  float bypassed = PeakFrom(wav, after);
  x.Chord({}, "space");
  x.Chord({"Control_L"}, "q");
  if (program_.Wait(20) < 0) program_.Terminate();
  EXPECT_GE(bypassed, 0.0f) << "nothing captured after the click";
  EXPECT_LT(bypassed, kQuiet) << "the bypassed oscillator is still heard";
}

}  // namespace
