// An imported file heard: a WAVE ramp made by sox is imported into the transport's song (a new
// AIFF beside it, one region on the audio track) and Play puts its samples on the null
// device's capture bit for bit, in order, from the song's start.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "audio/streams/stream_decoders.h"
#include "audio/streams/stream_media_hooks.h"
#include "media/import/audio_import.h"
#include "media/import/media_file_names.h"
#include "media/import/movie_references.h"
#include "media/track_audio/track_audio_hooks.h"
#include "sequencer/transport/transport_engine.h"
#include "song/documents/document_file.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "tests/audio/transport/capture_fixture.h"
#include "tests/media/ogg_files.h"

namespace {

constexpr int32_t kFrames = 6000;

class ImportPlayback : public CaptureTest {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    gStreamBufferBytes = 1024;  // small halves: many refills over the file
    OpenCapture(64, "heard.wav");
    ResetSongDatabase();  // the program's own first song, as the import finds it
    gTransportSong = gCurrentSongHandle;
    savedTable_ = GetDocumentSlot(kReferencedFilesSlot);
    SetDocumentSlot(kReferencedFilesSlot, Handle());
    gMediaFolderVRefNum = 0;
    InstallTrackAudioHooks();
  }
  void TearDown() override {
    for (int32_t i = 0; i < CountMovieRefs(); ++i) FreeMovieRef(i);
    gStreamMediaHooks.getActiveTrackAudio = nullptr;
    SetDocumentSlot(kReferencedFilesSlot, savedTable_);
    CaptureTest::TearDown();
    gStreamBufferBytes = kDefaultStreamBufferBytes;
  }
  Handle savedTable_;
};

TEST_F(ImportPlayback, PlayHearsTheImportedFileBitExact) {
  int rate = int(gCoreAudioDriver.sampleRate);
  std::string wav = folder_.File("ramp.wav");
  ASSERT_TRUE(zarin_test::RunCommand("sox -n -r " + std::to_string(rate) + " -c 1 -b 16 '" + wav + "' synth " +
                                     std::to_string(double(kFrames) / rate) + " sine 100-4000 vol 0.9"));
  SF_INFO info;
  std::vector<int32_t> source = zarin_test::ReadSndfileInts(wav, &info);
  ASSERT_EQ(size_t(kFrames), source.size());
  FSSpec spec = zarin_test::SpecFor(wav);
  ASSERT_EQ(noErr, ImportAudioFile(&spec, 0, false, false, true, 0, nullptr));
  gCurrentTrack[kTrackFlags] |= kTrackFlagAudible;
  ::Play(1);
  ASSERT_EQ(gEngineChannelCount, 1);
  EngineChannel* c = gEngineChannelLists[0];
  SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);  // unity: heard as its samples
  for (int32_t i = 0; i < kFrames / 64 + 40; ++i) {
    Cycles(1);
    for (int32_t w = 0; w < 50000 && (c->halfRequested[0].load() != c->halfCompleted[0].load() ||
                                      c->halfRequested[1].load() != c->halfCompleted[1].load());
         ++w)
      usleep(100);
  }
  StopTransport(false);
  std::vector<float> heard = Heard();
  size_t first = 0;
  while (first < heard.size() && heard[first] == 0.0f) ++first;
  // The ramp starts at 0: the first heard sample is the first one that is not.
  size_t lead = 0;
  while (lead < source.size() && source[lead] == 0) ++lead;
  ASSERT_GE(heard.size(), first + kFrames - lead);
  for (size_t i = lead; i < size_t(kFrames); ++i)
    ASSERT_EQ(float(source[i] >> 16) / 32768.0f, heard[first + i - lead]) << "frame " << i;
  EXPECT_EQ(gEngineError.load(), 0);
}

}  // namespace
