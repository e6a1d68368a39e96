// The real program draws an audio track's waveform in the main editor. A stereo file written
// here (a 2 kHz tone on the left, 3 kHz on the right, each channel's level stepping every
// second) is played by a song document opened at start; the pane is switched to the track's waveform view and looked at
// at three zoom levels: 8 ticks and 1 tick a pixel, where every column of a level's stretch
// must be one line from the lowest to the highest value, and 1 sample a pixel, where each
// column must hold its own sample. The columns are worked out from the editor's state dump
// (zoom, left tick or sample, the ticks' sample positions) and the file's samples.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "platform/files/file_locations.h"
#include "song/documents/document_file.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "tests/shell/program/main_editor_view.h"
#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

constexpr int kRate = 48000;
constexpr int kSeconds = 3;
constexpr double kLevels[2][kSeconds] = {{0.9, 0.3, 0.6}, {0.5, 0.8, 0.2}};
constexpr int kPeriods[2] = {24, 16};  // samples: 2 kHz and 3 kHz, each period holding its peaks
constexpr uint32_t kWaveRgb = 0x000000;  // a new track audio's waveform colour
constexpr int kAudioViewMode = 9;

int16_t SampleAt(int c, int64_t i) {
  double level = kLevels[c][std::min<int64_t>(i / kRate, kSeconds - 1)];
  return int16_t(std::lround(level * 32767.0 * std::sin(2.0 * M_PI * double(i % kPeriods[c]) / kPeriods[c])));
}

bool WriteFile(const std::string& path) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  std::vector<int16_t> frames(size_t(kRate) * kSeconds * 2);
  for (int64_t i = 0; i < int64_t(kRate) * kSeconds; ++i)
    for (int c = 0; c < 2; ++c) frames[size_t(i * 2 + c)] = SampleAt(c, i);
  sf_writef_short(f, frames.data(), sf_count_t(kRate) * kSeconds);
  return sf_close(f) == 0;
}

// The overview's 8-bit value of a 16-bit sample (128 the zero level).
int Quantised(int16_t v) { return ((int32_t(v) * 256) >> 16) + 128; }

struct AudioView {
  EditorView editor;
  EditorPaneView pane;
  int64_t leftSample = 0, leftTickAt = 0, rightTickAt = 0;
  bool valid = false;
};

AudioView ParseAudioView(const std::string& dump) {
  AudioView a;
  a.editor = ParseEditorView(dump);
  std::vector<std::string> lines = DumpLines(dump, "timelinesamples");
  if (!a.editor.valid || lines.empty()) return a;
  std::istringstream in(lines.front());
  int64_t rate = 0;
  in >> a.leftSample >> rate >> a.leftTickAt >> a.rightTickAt;
  // The ticks' positions in the file's samples (the dump gives them at the timeline's rate).
  if (rate <= 0) return a;
  a.leftTickAt = a.leftTickAt * kRate / rate, a.rightTickAt = a.rightTickAt * kRate / rate;
  for (const EditorPaneView& p : a.editor.panes)
    if (p.viewMode == kAudioViewMode && !a.valid) a.pane = p, a.valid = true;
  return a;
}

// The two channel lanes of the pane's row: from the content's top, half its height each.
struct Lane {
  int top, height;
  int ValueY(int v) const { return top + ((v * (height - 2) + 128) >> 8); }
  int SampleY(int16_t v) const { return top + int((int64_t(v) + 32768) * (height - 2) / 65536); }
};
Lane LaneOf(const AudioView& a, int c) {
  int h = (a.pane.bottom - 1 - a.pane.top) / 2;
  return Lane{a.pane.top + c * h, h};
}

// The rows of a lane in column x that hold the waveform's colour.
struct Ink {
  int first = -1, last = -1, count = 0;
};
Ink InkOf(const EditorPicture& picture, int x, const Lane& lane) {
  Ink ink;
  // The lane's first row is left out: the first lane's is the pane's top edge.
  for (int y = lane.top + 1; y < lane.top + lane.height; ++y) {
    if ((picture.At(x, y) & 0xFFFFFF) != kWaveRgb) continue;
    if (ink.first < 0) ink.first = y;
    ink.last = y;
    ++ink.count;
  }
  return ink;
}

// The columns checked: clear of the channel labels and the region's name, left of the
// scroll bar.
int FirstColumn(const AudioView& a) { return a.editor.originX + 72; }
int EndColumn(const AudioView& a) { return a.pane.right - 2; }

// Tick levels: each column covers 2^zoom ticks; a column whose samples lie (with a tick to
// spare) in one second shows one line from that second's lowest to highest value.
std::string CheckTickColumns(const EditorPicture& picture, const AudioView& a, int* checked) {
  const EditorView& v = a.editor;
  double perTick = double(a.rightTickAt - a.leftTickAt) / double(v.rightTick - v.leftTick);
  std::ostringstream faults;
  for (int c = 0; c < 2; ++c) {
    Lane lane = LaneOf(a, c);
    for (int x = FirstColumn(a); x < EndColumn(a); ++x) {
      int64_t ticks = int64_t(1) << v.zoom;
      double from = double(a.leftTickAt) + double(int64_t(x - v.originX) * ticks - 1) * perTick;
      double to = from + double(ticks + 2) * perTick;
      // (The last ten columns of the audio hold the region's end handle.)
      double handle = double(10 * ticks) * perTick;
      if (from < 0 || int64_t(from) / kRate != int64_t(to) / kRate || int64_t(to + handle) >= int64_t(kRate) * kSeconds)
        continue;
      double level = kLevels[c][int64_t(from) / kRate];
      int16_t peak = int16_t(std::lround(level * 32767.0));
      int lo = lane.ValueY(Quantised(int16_t(-peak))), hi = lane.ValueY(Quantised(peak));
      Ink ink = InkOf(picture, x, lane);
      ++*checked;
      if (ink.first != lo || ink.last != hi || ink.count != hi - lo + 1)
        faults << "channel " << c << " column " << x << ": rows " << ink.first << ".." << ink.last << " ("
               << ink.count << "), expected " << lo << ".." << hi << "\n";
    }
  }
  return faults.str();
}

// One sample a pixel: each column holds its sample's row, and its ink reaches no further
// than the rows of the samples beside it.
std::string CheckSampleColumns(const EditorPicture& picture, const AudioView& a, int* checked) {
  std::ostringstream faults;
  for (int c = 0; c < 2; ++c) {
    Lane lane = LaneOf(a, c);
    for (int x = FirstColumn(a); x < EndColumn(a); ++x) {
      int64_t i = a.leftSample + (x - a.editor.originX);
      if (i < 1 || i + 1 >= int64_t(kRate) * kSeconds) continue;
      int y = lane.SampleY(SampleAt(c, i));
      int low = std::min({lane.SampleY(SampleAt(c, i - 1)), y, lane.SampleY(SampleAt(c, i + 1))});
      int high = std::max({lane.SampleY(SampleAt(c, i - 1)), y, lane.SampleY(SampleAt(c, i + 1))});
      Ink ink = InkOf(picture, x, lane);
      ++*checked;
      if (ink.count == 0 || ink.first > y || ink.last < y || ink.first < low - 1 || ink.last > high + 1)
        faults << "channel " << c << " column " << x << " sample " << i << ": rows " << ink.first << ".." << ink.last
               << ", sample row " << y << "\n";
    }
  }
  return faults.str();
}

// A song document that plays the file on an audio track: the file imported by the program
// and saved, the song then set here to the mode in which audio tracks are shown (no command
// of the program sets it).
bool WriteSongDocument(XServer& x, const zarin_test::TempFolder& home, const std::string& audio,
                       const std::string& document) {
  std::string dumpFile = home.File("import.txt");
  std::map<std::string, std::string> env = SessionEnvironment(x, home, dumpFile);
  env["ZARIN_NAV_REPLY"] = document;
  Program importing;
  if (!importing.Start({audio}, env, home.File("import-errors.txt"))) return false;
  if (!x.FindProgramWindow(kScreenWidth, kScreenHeight)) return false;
  std::string dump = DumpUntil(importing, dumpFile, [](const std::string& d) { return HasLine(d, "track", "tones"); });
  if (!HasLine(dump, "track", "tones")) return false;
  x.Chord({"Super_L"}, "s");
  DumpUntil(importing, dumpFile, [](const std::string& d) { return HasLine(d, "document", "Tones Song"); });
  x.Chord({"Super_L"}, "q");
  if (importing.Wait(20) != 0) return false;
  FSSpec file;
  PathToSpec(document, &file);
  if (OpenSongFile(&file, 0, false) != noErr) return false;
  SongHeaderView(gCurrentSong).SetSongMode(1);
  OSErr err = SaveSongDocument(&file, kSongDocumentType);
  CloseSongDocument();
  ResetSongDatabase();
  return err == noErr;
}

class MainEditorWaveform : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!x_.Start(&why_)) GTEST_SKIP() << why_;
    audio_ = home_.File("tones.aif");
    ASSERT_TRUE(WriteFile(audio_));
    std::string document = home_.File("Tones Song");
    ASSERT_TRUE(WriteSongDocument(x_, home_, audio_, document)) << zarin_test::ReadWholeFile(home_.File("import-errors.txt"));
    dumpFile_ = home_.File("state.txt");
    ASSERT_TRUE(program_.Start({document}, SessionEnvironment(x_, home_, dumpFile_), home_.File("errors.txt")));
    ASSERT_TRUE(x_.FindProgramWindow(kScreenWidth, kScreenHeight));
  }
  void TearDown() override { program_.Terminate(); }

  AudioView WaitForView(int zoom) {
    std::string dump = DumpUntil(program_, dumpFile_, [&](const std::string& d) {
      AudioView a = ParseAudioView(d);
      return a.valid && a.editor.zoom == zoom;
    });
    AudioView a = ParseAudioView(dump);
    if (!a.valid || a.editor.zoom != zoom) ADD_FAILURE() << "no waveform view at zoom " << zoom << "\n" << dump;
    return a;
  }
  void ZoomIn(const AudioView& a, int steps) {
    int x = a.editor.window.left + a.editor.toolbarLeft + 143, y = a.editor.window.top + a.editor.toolbarTop + 6;
    for (int i = 0; i < steps; ++i) x_.Drag(x, y, x, y);
  }
  // The picture taken again until the check finds nothing (the editor draws at its next
  // update, the overview once the worker has computed it).
  template <typename Check>
  void ExpectDrawn(const AudioView& a, Check check, const char* what) {
    std::string faults;
    int checked = 0;
    for (double waited = 0; waited < 15; waited += 0.5) {
      EditorPicture picture(x_, a.editor);
      ASSERT_FALSE(picture.empty());
      checked = 0;
      faults = check(picture, a, &checked);
      if (faults.empty()) break;
      usleep(500000);
    }
    EXPECT_GT(checked, 200) << what;
    EXPECT_TRUE(faults.empty()) << what << " (zoom " << a.editor.zoom << ")\n" << faults.substr(0, 2000)
                                << zarin_test::ReadWholeFile(home_.File("errors.txt"));
  }

  XServer x_;
  std::string why_, audio_, dumpFile_;
  zarin_test::TempFolder home_;
  Program program_;
};

TEST_F(MainEditorWaveform, TheTrackIsDrawnAtTickAndSampleZoomLevels) {
  std::string dump = DumpUntil(program_, dumpFile_, [](const std::string& d) { return ParseEditorView(d).valid; });
  ASSERT_TRUE(ParseEditorView(dump).valid) << dump;
  // The editor brought to the front (a click on its tool bar's face), then the note view's
  // key: an audio track shows its waveform instead.
  EditorView v = ParseEditorView(dump);
  int faceX = v.window.left + v.toolbarLeft + 280, faceY = v.window.top + v.toolbarTop + 2;
  x_.Drag(faceX, faceY, faceX, faceY);
  x_.Chord({}, "n");
  AudioView a = WaitForView(ParseEditorView(dump).zoom);
  ASSERT_TRUE(a.valid);
  ASSERT_GT(a.editor.zoom, 0);

  ExpectDrawn(a, CheckTickColumns, "several ticks a pixel");
  ZoomIn(a, a.editor.zoom);
  a = WaitForView(0);
  ASSERT_TRUE(a.valid);
  ExpectDrawn(a, CheckTickColumns, "one tick a pixel");
  ZoomIn(a, 5);
  a = WaitForView(-5);
  ASSERT_TRUE(a.valid);
  ExpectDrawn(a, CheckSampleColumns, "one sample a pixel");
}

}  // namespace
