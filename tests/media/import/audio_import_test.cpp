// Importing audio files into a song: real files nobody here wrote (the Debian sound theme's
// Ogg Vorbis files, alsa-utils' WAVE files) and files sox makes at test time each become one
// region on a new track, through a new AIFF file where the engine cannot stream the source;
// the converted samples are checked against libsndfile's reading of the source. Then the
// media-file entries, the loop tempo, unique names, unplayable AIFF-C data and the failures,
// which leave no entry, file or track behind.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/regions/region_media_hooks.h"
#include "audio/regions/region_placement.h"
#include "media/import/audio_import.h"
#include "media/import/import_hooks.h"
#include "media/import/media_attach.h"
#include "media/import/media_file_changes.h"
#include "media/import/media_file_names.h"
#include "media/import/movie_references.h"
#include "media/track_audio/track_audio.h"
#include "platform/files/aliases.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/error_report_hooks.h"
#include "song/conductor/conductor_map.h"
#include "song/documents/document_file.h"
#include "song/instruments/instrument_table.h"
#include "song/model/audio_region.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "tests/media/ogg_files.h"
#include "tests/test_support.h"

using namespace zarin_test;

namespace {


int16_t gAlertAnswer = 2;
int32_t gAlertsAsked = 0;
int16_t AnswerConvert(ConstStr255Param) {
  ++gAlertsAsked;
  return gAlertAnswer;
}

int32_t gErrorsShown = 0;
int16_t CountErrorAlert(int16_t) {
  ++gErrorsShown;
  return 1;
}

class AudioImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSongDatabase();
    ASSERT_EQ(noErr, CreateInstrumentTable(0, kDeviceKindMidiPort));
    SetDocumentSlot(kReferencedFilesSlot, Handle());
    gMediaFolderVRefNum = 0;
    gMediaFolderDirID = 0;
    gMediaImportHooks = MediaImportHooks{};
    gMediaImportHooks.askToConvertFile = AnswerConvert;
    gErrorReportHooks.showCautionAlert = CountErrorAlert;
    gAlertAnswer = 2;
    gAlertsAsked = gErrorsShown = 0;
    forks_ = CountOpenForks();
  }
  void TearDown() override {
    for (int32_t i = 0; i < CountMovieRefs(); ++i) FreeMovieRef(i);
    EXPECT_EQ(forks_, CountOpenForks());
    gErrorReportHooks.showCautionAlert = nullptr;
  }

  // sox -n, the output's format, the file, then what to make.
  bool Sox(const std::string& format, const std::string& path, const std::string& effects) {
    return RunCommand("sox -n " + format + " '" + path + "' " + effects);
  }

  OSErr Import(const std::string& path) {
    FSSpec spec = SpecFor(path);
    return ImportAudioFile(&spec, 0, false, false, true, 0, nullptr);
  }

  // The current track's record and its first region.
  Handle Record() { return Handle(ReadU32BE(gCurrentTrack + kTrackRegionList)); }
  const uint8_t* FirstRegion() {
    Handle list = ViewTrackAudio(Record()).Regions();
    return list ? RegionRecord(list, 0) : nullptr;
  }
  std::string TrackName() {
    const uint8_t* name = TrackEntryView(gCurrentTrack).Name();
    std::string s(reinterpret_cast<const char*>(name), kTrackNameLength);
    return s.substr(0, s.find_last_not_of(' ') + 1);
  }

  TempFolder folder_;
  int forks_ = 0;
};

struct SourceCase {
  const char* name;
  std::string path;        // a real file, or empty: made by sox with makeArgs
  const char* format;      // sox's output format
  const char* effects;     // and what it makes
  int16_t bits;            // the track's sample size after the import
  bool exact;              // the AIFF holds the source's samples bit for bit
};

TEST_F(AudioImportTest, EachFileBecomesOneRegionOnANewTrackWithTheSourcesSamples) {
  std::vector<SourceCase> cases = {
      {"bell.oga", ThemeSound("bell.oga"), "", "", 16, false},
      {"Front_Center.wav", "/usr/share/sounds/alsa/Front_Center.wav", "", "", 16, true},
      {"ramp16.wav", "", "-r 44100 -c 2 -b 16", "synth 1.5 sine 100-3000 sine 2000-50 vol 0.7", 16, true},
      {"ramp24.flac", "", "-r 48000 -c 1 -b 24", "synth 0.7 sine 300-900 vol 0.9", 24, true},
      {"ramp8.wav", "", "-r 22050 -c 1 -b 8 -e unsigned", "synth 0.5 sine 440 vol 0.5", 8, true},
      {"direct.aif", "", "-r 32000 -c 2 -b 16", "synth 0.4 sine 500 sine 700", 16, true},
  };
  int32_t tracks = 0;
  for (const SourceCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string source = c.path.empty() ? folder_.File(c.name) : c.path;
    if (c.path.empty()) ASSERT_TRUE(Sox(c.format, source, c.effects));
    if (!c.path.empty() && ReadWholeFile(source).empty()) {
      ADD_FAILURE() << "missing " << source << " (tools/packages.txt)";
      continue;
    }
    std::string copy = folder_.File(std::string("in-") + c.name);  // the AIFF lands beside its source
    ASSERT_TRUE(WriteWholeFile(copy, ReadWholeFile(source)));
    ASSERT_EQ(noErr, Import(copy));
    ++tracks;
    EXPECT_EQ(std::max(tracks, 1), GetSongTrackCount());  // the empty first track takes the first file
    EXPECT_EQ(kAudioTrackOutputKind, gCurrentTrack[kTrackOutputKind]);
    const uint8_t* region = FirstRegion();
    ASSERT_NE(nullptr, region);
    EXPECT_EQ(1, CountAudioRegions(ViewTrackAudio(Record()).Regions()));
    EXPECT_EQ(c.bits, ViewTrackAudio(Record()).BitsPerSample());
    // The region plays the file the table's entry holds open: the AIFF beside the source.
    const uint8_t* entry = GetMovieRef(ReadU16BE(region + kRegionFileIndexAt));
    ASSERT_NE(nullptr, entry);
    EXPECT_NE(0, GetMovieRefFork(entry));
    FSSpec played;
    ASSERT_EQ(noErr, GetForkSpec(GetMovieRefFork(entry), &played));
    std::string playedPath = folder_.File(std::string(reinterpret_cast<const char*>(played.name + 1), played.name[0]));
    SF_INFO in, out;
    std::vector<int32_t> original = ReadSndfileInts(source, &in);
    std::vector<int32_t> imported = ReadSndfileInts(playedPath, &out);
    EXPECT_EQ(in.channels, out.channels);
    EXPECT_EQ(in.samplerate, out.samplerate);
    EXPECT_EQ(uint64_t(out.frames), uint64_t(RegionLength(region)));
    // The region ends where the file's sample data ends (an odd count is padded by one byte).
    int64_t end = ReadU32BE(region + kRegionFileOffsetAt) + RegionLength(region) * region[kRegionBytesPerFrameAt];
    int64_t size = int64_t(ReadWholeFile(playedPath).size());
    EXPECT_TRUE(end == size || end + 1 == size) << end << " in " << size;
    if (c.exact) {
      EXPECT_EQ(original, imported);
    } else {
      EXPECT_NEAR(double(in.frames), double(out.frames), 2048);  // the codec's own padding
    }
    EXPECT_EQ(std::string("in-") + std::string(c.name).substr(0, std::string(c.name).rfind('.')), TrackName());
  }
}

TEST_F(AudioImportTest, TheSameFileTwiceSharesOneEntryAndOneFork) {
  std::string path = folder_.File("loop.aif");
  ASSERT_TRUE(Sox("-r 44100 -c 1 -b 16", path, "synth 1 sine 300"));
  ASSERT_EQ(noErr, Import(path));
  ASSERT_EQ(noErr, Import(path));
  EXPECT_EQ(1, CountMovieRefs());
  EXPECT_EQ(2u, ReadU32BE(GetMovieRef(0) + kMovieRefUseCount));
  EXPECT_EQ(forks_ + 1, CountOpenForks());
  EXPECT_EQ(0, ReadU16BE(FirstRegion() + kRegionFileIndexAt));
}

// A region pasted from elsewhere names its file by an alias; the paste makes the file one of
// the song's media files, a file the song has already sharing its entry.
TEST_F(AudioImportTest, PastedRegionsJoinTheSongsMediaFiles) {
  InstallAudioImportHooks();
  std::string first = folder_.File("first.aif"), second = folder_.File("second.aif");
  ASSERT_TRUE(Sox("-r 44100 -c 1 -b 16", first, "synth 0.5 sine 300"));
  ASSERT_TRUE(Sox("-r 44100 -c 1 -b 16", second, "synth 0.5 sine 500"));
  ASSERT_EQ(noErr, Import(first));
  Handle list = ViewTrackAudio(Record()).Regions();
  ASSERT_TRUE(list);
  Handle source = NewHandleClear(2 * kRegionSize);
  const std::string files[] = {second, first};
  for (int32_t i = 0; i < 2; ++i) {
    FSSpec spec = SpecFor(files[i]);
    AliasHandle alias;
    ASSERT_EQ(noErr, NewAlias(nullptr, &spec, &alias));
    uint8_t* region = RegionRecord(source, i);
    SetRegionLength(region, 1000);
    WriteU32BE(region + kRegionAliasAt, alias.id);
  }
  ASSERT_EQ(noErr, PasteRegions(source, 0, 2, list, 1, 0, 0, 1));
  list = ViewTrackAudio(Record()).Regions();
  ASSERT_EQ(3, CountAudioRegions(list));
  EXPECT_EQ(1, ReadU16BE(RegionRecord(list, 1) + kRegionFileIndexAt));
  EXPECT_EQ(0, ReadU16BE(RegionRecord(list, 2) + kRegionFileIndexAt));
  for (int32_t i = 1; i < 3; ++i) {
    EXPECT_EQ(0u, ReadU32BE(RegionRecord(list, i) + kRegionAliasAt));
    EXPECT_EQ(0, RegionFlags(RegionRecord(list, i)) & kRegionFlagMissing);
  }
  EXPECT_EQ(2, CountMovieRefs());
  EXPECT_EQ(2u, ReadU32BE(GetMovieRef(0) + kMovieRefUseCount));
  gRegionMediaHooks = RegionMediaHooks{};
  DisposeHandle(source);
}

TEST_F(AudioImportTest, ALoopInAOneTrackSongSetsTheTempo) {
  struct {
    double seconds;
    int32_t tempo;  // tenths; 0: the song keeps its tempo and the region is no loop
  } cases[] = {{4.0, 1200}, {2.0, 1200}, {30.0, 0}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    ResetSongDatabase();
    SetDocumentSlot(kReferencedFilesSlot, Handle());
    ASSERT_EQ(noErr, SetTempoAt(1000, 1));
    std::string path = folder_.File("loop" + std::to_string(int(c.seconds)) + ".aif");
    ASSERT_TRUE(Sox("-r 44100 -c 1 -b 16", path, "synth " + std::to_string(c.seconds) + " sine 300"));
    ASSERT_EQ(noErr, Import(path));
    ASSERT_EQ(1, GetSongTrackCount());
    ASSERT_NE(nullptr, FirstRegion());
    bool loop = ReadU16BE(FirstRegion() + kRegionFlagsAt) & kRegionFlagLengthFixed;
    EXPECT_EQ(c.tempo != 0, loop);
    ConductorState state;
    LoadSongTempo(gCurrentSong, &state);
    EXPECT_EQ(uint32_t(c.tempo ? c.tempo : 1000), state.tempo & 0xFFFF);
    for (int32_t i = 0; i < CountMovieRefs(); ++i) FreeMovieRef(i);
  }
}

TEST_F(AudioImportTest, NewNamesCountUpBesideTheSource) {
  std::string source = folder_.File("Take.aif");
  ASSERT_TRUE(WriteWholeFile(folder_.File("Take.AIF"), "x"));
  FSSpec spec = SpecFor(source);
  ASSERT_EQ(noErr, SetMediaDestinationFolder(&spec));
  const uint8_t kExt[] = "\x04.AIF";
  for (const char* expected : {"Take1.AIF", "Take2.AIF"}) {
    NewFileRecord record;
    MakeUniqueFileSpec(&record, kExt, spec.name);
    ASSERT_EQ(1, record.valid);
    EXPECT_EQ(std::string(expected), std::string(reinterpret_cast<const char*>(record.file.name + 1), record.file.name[0]));
    ASSERT_TRUE(WriteWholeFile(folder_.File(expected), "x"));
  }
}

TEST_F(AudioImportTest, UnplayableDataIsConvertedOnlyWhenTheUserAgrees) {
  // AIFF-C with little-endian ('sowt') data, named as AIFF: the engine cannot stream it as
  // it is. libsndfile writes it from a ramp.
  std::string path = folder_.File("swapped.aif");
  SF_INFO format{};
  format.samplerate = 44100;
  format.channels = 1;
  format.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &format);
  ASSERT_NE(nullptr, f);
  std::vector<short> ramp(22050);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = short(int(i * 3) % 65536 - 32768);
  sf_write_short(f, ramp.data(), sf_count_t(ramp.size()));
  sf_close(f);
  int32_t tracks = GetSongTrackCount();
  gAlertAnswer = 2;
  EXPECT_EQ(kUnplayableNotConvertedErr, Import(path));
  EXPECT_EQ(1, gAlertsAsked);
  EXPECT_EQ(0, CountMovieRefs());
  EXPECT_EQ(tracks, GetSongTrackCount());
  EXPECT_TRUE(ReadWholeFile(folder_.File("swapped.AIF")).empty());
  gAlertAnswer = kConvertAnswer;
  ASSERT_EQ(noErr, Import(path));
  // The track plays a big-endian copy with the same samples.
  SF_INFO in, out;
  EXPECT_EQ(ReadSndfileInts(path, &in), ReadSndfileInts(folder_.File("swapped.AIF"), &out));
  EXPECT_NE(FourCC("sowt"), ViewTrackAudio(Record()).Encoding());
  EXPECT_EQ(1, CountAudioRegions(ViewTrackAudio(Record()).Regions()));
}

TEST_F(AudioImportTest, AFileThatIsNoAudioLeavesNothingBehind) {
  struct {
    const char* name;
    const char* bytes;
    OSErr expected;
  } cases[] = {
      {"notes.txt", "not a sound at all\n", kNotAudioFileErr},   // 'TEXT': the opener tries other kinds
      {"broken.wav", "RIFF\x10\0\0\0WAVEfmt ", -2048},            // cut short in its header
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = folder_.File(c.name);
    ASSERT_TRUE(WriteWholeFile(path, c.bytes));
    int32_t tracks = GetSongTrackCount();
    EXPECT_EQ(c.expected, Import(path));
    EXPECT_EQ(tracks, GetSongTrackCount());
    EXPECT_EQ(0, CountMovieRefs());
    std::string base = std::string(c.name).substr(0, std::string(c.name).rfind('.'));
    EXPECT_TRUE(ReadWholeFile(folder_.File(base + ".AIF")).empty());
  }
}

TEST_F(AudioImportTest, AFileChangedInPlaceInTheBackgroundIsReported) {
  std::string path = folder_.File("kept.aif");
  ASSERT_TRUE(Sox("-r 44100 -c 1 -b 16", path, "synth 0.3 sine 300"));
  ASSERT_EQ(noErr, Import(path));
  RecordMediaFileSizes();
  CheckMediaFilesUnchanged();
  EXPECT_EQ(0, gErrorsShown);
  RecordMediaFileSizes();
  std::FILE* f = std::fopen(path.c_str(), "ab");  // another program appends to it in place
  ASSERT_NE(nullptr, f);
  std::fputs("more", f);
  std::fclose(f);
  CheckMediaFilesUnchanged();
  EXPECT_EQ(1, gErrorsShown);
  EXPECT_FALSE(gMediaFileSizes);
}

}  // namespace
