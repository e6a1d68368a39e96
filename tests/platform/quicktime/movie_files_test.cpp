// Files opened as movies and their sound written as AIFF: a file's own format kept sample for
// sample, the exporter's format (channels, size, rate) as its sound description asks, the
// progress procedure's messages and its cancel, and files that hold no sound.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/files/sidecars.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quicktime/movie_export.h"
#include "platform/quicktime/movie_files.h"
#include "tests/media/ogg_files.h"
#include "tests/test_support.h"

using namespace zarin_test;

namespace {


bool Sox(const std::string& format, const std::string& path, const std::string& effects) {
  return std::system(("sox -n " + format + " '" + path + "' " + effects + " >/dev/null 2>&1").c_str()) == 0;
}

Movie OpenMovie(const std::string& path, OSErr* err) {
  FSSpec spec = SpecFor(path);
  int16_t ref = 0;
  Movie movie = 0;
  *err = OpenMovieFile(&spec, &ref, fsRdPerm);
  if (*err == noErr) {
    *err = NewMovieFromFile(&movie, ref, nullptr, nullptr, kNewMovieActive, nullptr);
    CloseMovieFile(ref);
  }
  return movie;
}

std::vector<int16_t> gMessages;
int32_t gCancelAt = -1;
OSErr RecordProgress(Movie, int16_t message, int16_t, int32_t percent, int32_t) {
  gMessages.push_back(message);
  return gCancelAt >= 0 && message == kMovieProgressUpdatePercent && percent >= gCancelAt ? OSErr(1) : OSErr(noErr);
}

class MovieFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gMessages.clear();
    gCancelAt = -1;
    forks_ = CountOpenForks();
  }
  void TearDown() override { EXPECT_EQ(forks_, CountOpenForks()); }
  TempFolder folder_;
  int forks_ = 0;
};

TEST_F(MovieFilesTest, ConvertingKeepsTheSoundsOwnFormatSampleForSample) {
  struct {
    const char* name;
    const char* format;
    int bits;
  } cases[] = {{"a.wav", "-r 44100 -c 2 -b 16", 16}, {"b.flac", "-r 96000 -c 1 -b 24", 24}, {"c.wav", "-r 8000 -c 1 -b 8", 8}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string source = folder_.File(c.name), target = folder_.File(std::string(c.name) + ".aif");
    ASSERT_TRUE(Sox(c.format, source, "synth 0.6 sine 100-5000 vol 0.8"));
    OSErr err = noErr;
    Movie movie = OpenMovie(source, &err);
    ASSERT_EQ(noErr, err);
    EXPECT_EQ(c.bits, GetMovieSoundSampleSize(movie));
    SetMovieProgressProc(movie, RecordProgress, 0);
    FSSpec out = SpecFor(target);
    ASSERT_EQ(noErr, ConvertMovieToFile(movie, 0, &out, FourCC("AIFF"), FourCC("V|ov"), -1, nullptr,
                                        kCreateMovieFileDeleteCurFile | kMovieToFileOnlyExport, 0));
    DisposeMovie(movie);
    SF_INFO in, made;
    EXPECT_EQ(ReadSndfileInts(source, &in), ReadSndfileInts(target, &made));
    EXPECT_EQ(SF_FORMAT_AIFF, made.format & SF_FORMAT_TYPEMASK);
    FInfo info;
    ASSERT_EQ(noErr, FSpGetFInfo(&out, &info));
    EXPECT_EQ(FourCC("V|ov"), info.fdCreator);
    ASSERT_GE(gMessages.size(), 2u);
    EXPECT_EQ(kMovieProgressOpen, gMessages.front());
    EXPECT_EQ(kMovieProgressClose, gMessages.back());
  }
}

TEST_F(MovieFilesTest, TheExporterWritesTheFormatItsDescriptionAsks) {
  std::string source = folder_.File("s.wav"), target = folder_.File("s.aif");
  ASSERT_TRUE(Sox("-r 48000 -c 1 -b 16", source, "synth 1 sine 440"));
  OSErr err = noErr;
  Movie movie = OpenMovie(source, &err);
  ASSERT_EQ(noErr, err);
  MovieExporterDescription look{kMovieExportType, FourCC("AIFF"), kSoundMediaType, 0x10, 0x10};
  MovieExporter exporter = OpenMovieExporter(FindNextMovieExporter(0, &look));
  ASSERT_NE(0u, exporter);
  Handle description = NewHandleClear(kSoundDescriptionSize);
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(description));
  WriteU16BE(p + kSoundDescriptionChannels, 2);
  WriteU16BE(p + kSoundDescriptionSampleSize, 24);
  WriteU32BE(p + kSoundDescriptionRate, 44100u << 16);
  ASSERT_EQ(noErr, MovieExportSetSampleDescription(exporter, description, kSoundMediaType));
  FSSpec out = SpecFor(target);
  ASSERT_EQ(noErr, MovieExportToFile(exporter, &out, movie, 0, 0, GetMovieDuration(movie)));
  SF_INFO made;
  std::vector<int32_t> samples = ReadSndfileInts(target, &made);
  EXPECT_EQ(2, made.channels);
  EXPECT_EQ(44100, made.samplerate);
  EXPECT_EQ(SF_FORMAT_PCM_24, made.format & SF_FORMAT_SUBMASK);
  EXPECT_NEAR(44100.0, double(made.frames), 64);
  EXPECT_EQ(noErr, CloseMovieExporter(exporter));
  EXPECT_NE(noErr, CloseMovieExporter(exporter));
  DisposeHandle(description);
  DisposeMovie(movie);
}

TEST_F(MovieFilesTest, ACancelOrAFileWithoutSoundLeavesNoFile) {
  std::string source = folder_.File("long.wav"), target = folder_.File("long.aif");
  ASSERT_TRUE(Sox("-r 44100 -c 1 -b 16", source, "synth 20 sine 440"));
  OSErr err = noErr;
  Movie movie = OpenMovie(source, &err);
  ASSERT_EQ(noErr, err);
  SetMovieProgressProc(movie, RecordProgress, 0);
  gCancelAt = 0x4000;  // a quarter of the way
  FSSpec out = SpecFor(target);
  EXPECT_EQ(userCanceledErr, ConvertMovieToFile(movie, 0, &out, FourCC("AIFF"), FourCC("V|ov"), -1, nullptr,
                                                kCreateMovieFileDeleteCurFile, 0));
  EXPECT_TRUE(ReadWholeFile(target).empty());
  DisposeMovie(movie);
  ASSERT_TRUE(WriteWholeFile(folder_.File("text.txt"), "just words\n"));
  OpenMovie(folder_.File("text.txt"), &err);
  EXPECT_EQ(kNoMovieFoundErr, err);
  EXPECT_EQ(kInvalidMovieErr, ConvertMovieToFile(12345, 0, &out, FourCC("AIFF"), 0, -1, nullptr, 0, 0));
}

}  // namespace
