// A track on a VST instrument in the real zarin program: a song whose track plays the
// instrument of its own insert rack (Kars, a synthesiser) is saved here, the program opens
// it with the null audio device writing what it plays to a WAV file, and Play must be heard
// there: silence before Play, the instrument's sound after it. The device table comes back
// from the document, the transport plays the current song, and the track's channel sounds
// at the device's level: each of these once kept the track silent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugins/library/plugin_table.h"
#include "tests/shell/program/plugin_song_program.h"
#include "tests/shell/program/program_session.h"
#include "tests/shell/program/wav_capture_reading.h"

namespace {

using namespace program_test;

constexpr const char* kSynth = "/usr/lib/vst/Kars-vst.so";
constexpr int kEditorKind = 4;
constexpr float kHeard = 0.01f;  // a peak well above any rounding, far below the synthesiser's

class PluginInstrumentPlay : public PluginSongProgramTest {
 protected:
  void SetUp() override { SetUpPlugins({kSynth}); }
};

TEST_F(PluginInstrumentPlay, PlayIsHeardThroughTheTracksInstrument) {
  // One track of notes whose output is the synthesiser in its own rack; room to play.
  int32_t synth = IndexOf("Kars-vst.so");
  ASSERT_GE(synth, 0);
  SaveSongOnRack("synth.bysq", {synth}, 16 * 480);
  std::string wav = session_.File("heard.wav");
  ASSERT_TRUE(ExamineInFirstRun({PluginInfoAt(synth)->uniqueId})) << "the plug-in was never examined";
  env["ZARIN_NULL_CAPTURE"] = wav;
  ASSERT_TRUE(program_.Start({Path("synth.bysq")}, env, session_.File("errors.txt")));
  ASSERT_TRUE(x.FindProgramWindow(kScreenWidth, kScreenHeight));
  // The main editor in front (a click in its title bar) takes the play key.
  std::string shown = DumpUntil(program_, dumpFile, [](const std::string& d) { return WindowOfKind(d, kEditorKind).visible; });
  WindowLine editor = WindowOfKind(shown, kEditorKind);
  ASSERT_TRUE(editor.visible) << shown;
  x.Drag(editor.left + 150, editor.top - 8, editor.left + 150, editor.top - 8);
  ASSERT_TRUE(Peak(WavSamples(zarin_test::ReadWholeFile(wav))) == 0.0f) << "silence before Play";
  x.Chord({}, "space");
  std::string dump = DumpUntil(program_, dumpFile, [](const std::string& d) {
    std::vector<std::string> t = DumpLines(d, "transport");
    return !t.empty() && t[0].rfind("1 ", 0) == 0;
  });
  // The notes stand in the first beats: polled for up to ten seconds.
  for (int i = 0; i < 100 && Peak(WavSamples(zarin_test::ReadWholeFile(wav))) < kHeard; ++i) usleep(100000);
  x.Chord({}, "space");
  x.Chord({"Control_L"}, "q");
  if (program_.Wait(20) < 0) program_.Terminate();
  std::string errors = zarin_test::ReadWholeFile(session_.File("errors.txt"));
  std::vector<float> heard = WavSamples(zarin_test::ReadWholeFile(wav));
  ASSERT_FALSE(heard.empty()) << "nothing captured" << dump << errors;
  EXPECT_GT(Peak(heard), kHeard) << "the instrument was not heard" << dump << errors;
}

}  // namespace
