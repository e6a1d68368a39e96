// An audio track of a song plays the regions of its audio record: Play makes the track's
// channel from the record (format, rate, regions) and the stream reads each region from the
// fork of the file its entry in the song's referenced-file table names. Two regions of two
// different files, each a ramp of its own, are heard on the null device's capture bit-exact and
// in order: a region read from the other region's file, a skipped or repeated half, or a
// wrong data offset breaks the comparison.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "audio/engine/region_lookup.h"
#include "audio/regions/region_media_hooks.h"
#include "audio/regions/region_track_edits.h"
#include "audio/streams/stream_decoders.h"
#include "audio/streams/stream_reads.h"
#include "media/track_audio/track_audio.h"
#include "media/track_audio/track_audio_hooks.h"
#include "platform/coreaudio/null_device.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/transport/transport_engine.h"
#include "song/documents/document_file.h"
#include "song/documents/media_references.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "song/conductor/sample_position.h"
#include "audio/streams/stream_media_hooks.h"
#include "tests/audio/streams/pcm_file_header.h"
#include "tests/audio/transport/capture_fixture.h"

namespace {

constexpr int32_t kRegionFrames = 5000;
constexpr uint32_t kDataOffset[2] = {54, 301};  // junk before each file's samples
constexpr uint32_t kHalfBudget = 1024;           // small halves: many refills per region

// Sample i of file f: an upward ramp in file 0, a downward one in file 1, never 0.
int16_t RampAt(int32_t f, int32_t i) { return int16_t(f == 0 ? 1 + 3 * i : -1 - 5 * i); }

bool WriteRampFile(const std::string& path, int32_t f) {
  std::vector<uint8_t> bytes(kDataOffset[f], 0x5A);
  for (int32_t i = 0; i < kRegionFrames; ++i) {
    uint8_t s[2];
    WriteU16BE(s, uint16_t(RampAt(f, i)));
    bytes.insert(bytes.end(), s, s + 2);
  }
  bytes.insert(bytes.end(), 400, 0x33);  // more file after the region: never heard
  return zarin_test::WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
}

class TrackAudioPlayback : public CaptureTest {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    gStreamBufferBytes = kHalfBudget;
    OpenCapture(64, "heard.wav");
    gTransportSong = MakeSong({Track({})}, {});
    savedTable_ = GetDocumentSlot(kReferencedFilesSlot);
    InstallTrackAudioHooks();
  }
  void TearDown() override {
    gStreamMediaHooks.getActiveTrackAudio = nullptr;
    gRegionMediaHooks.bracketAudioEdit = nullptr;
    SetDocumentSlot(kReferencedFilesSlot, savedTable_);
    if (table_) DisposeHandle(table_);
    for (FSIORefNum f : forks_)
      if (f) FSCloseFork(f);
    CaptureTest::TearDown();
    gStreamBufferBytes = kDefaultStreamBufferBytes;
  }
  // The song's referenced-file table with the two ramp files open.
  void MakeFiles() {
    table_ = NewHandleClear(2 * kReferencedFileSize);
    for (int32_t f = 0; f < 2; ++f) {
      std::string path = folder_.File("ramp" + std::to_string(f) + ".raw");
      ASSERT_TRUE(WriteRampFile(path, f));
      forks_[f] = stream_test::OpenReadFork(path);
      ASSERT_NE(forks_[f], 0);
      WriteU32BE(*table_ + f * kReferencedFileSize + kRefFork, uint32_t(forks_[f]));
    }
    SetDocumentSlot(kReferencedFilesSlot, table_);
  }
  // Track 0 an audio track whose record plays file 1's region, then file 0's.
  void MakeAudioTrack() {
    SetCurrentSong(gTransportSong);
    uint8_t* track = reinterpret_cast<uint8_t*>(*gTransportSong) + kSongHeaderSize;
    track[kTrackOutputKind] = kAudioTrackOutputKind;
    track[kTrackType] = gCoreAudioDriver.driverId;
    track[kTrackFlags] |= kTrackFlagAudible;
    track[kTrackMidiOutput] = 0;  // the device's first output pair
    ASSERT_EQ(noErr, AllocTrackAudio(track + kTrackRegionList));
    Handle record(ReadU32BE(track + kTrackRegionList));
    handles.push_back(record);
    TrackAudioView v = ViewTrackAudio(record);
    v.SetEncoding(FourCC("NONE"));
    v.SetBitsPerSample(16);
    v.SetChannels(1);
    v.SetSampleRate(gCoreAudioDriver.sampleRate);
    Handle regions = NewHandleClear(2 * kRegionSize);
    for (int32_t r = 0; r < 2; ++r) {
      uint8_t* region = reinterpret_cast<uint8_t*>(*regions) + r * kRegionSize;
      int32_t file = 1 - r;
      WriteU32BE(region + kRegionFileOffsetAt, kDataOffset[file]);
      region[kRegionBytesPerFrameAt] = 2;
      WriteU16BE(region + kRegionFileIndexAt, uint16_t(file));
      SetRegionLength(region, kRegionFrames);
    }
    ViewTrackAudio(record).SetRegions(regions);
    handles.push_back(regions);
    SetCurrentTrackIndex(0);
  }
  // Runs the engine for n cycles, each time letting the disk's refills arrive.
  void PlayCycles(EngineChannel* c, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
      Cycles(1);
      for (int32_t w = 0; w < 50000 && (c->halfRequested[0].load() != c->halfCompleted[0].load() ||
                                        c->halfRequested[1].load() != c->halfCompleted[1].load());
           ++w)
        usleep(100);
    }
  }
  Handle table_;
  Handle savedTable_;
  FSIORefNum forks_[2] = {0, 0};
};

TEST_F(TrackAudioPlayback, PlayHearsTheRecordsRegionsFromTheirOwnFilesBitExact) {
  MakeFiles();
  MakeAudioTrack();
  ::Play(1);
  ASSERT_EQ(gEngineChannelCount, 1);
  EngineChannel* c = gEngineChannelLists[0];
  EXPECT_EQ(c->regionCount, 2);
  SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);  // unity: heard as its samples
  PlayCycles(c, (2 * kRegionFrames) / 64 + 40);
  StopTransport(false);
  std::vector<float> heard = Heard();
  size_t first = 0;
  while (first < heard.size() && heard[first] == 0.0f) ++first;
  ASSERT_GE(heard.size(), first + 2 * kRegionFrames + 10);
  for (int32_t r = 0; r < 2; ++r) {
    int32_t file = 1 - r;
    for (int32_t i = 0; i < kRegionFrames; ++i) {
      float want = float(RampAt(file, i)) / 32768.0f;
      ASSERT_EQ(want, heard[first + size_t(r * kRegionFrames + i)]) << "region " << r << " frame " << i;
    }
  }
  for (size_t i = first + 2 * kRegionFrames; i < first + 2 * kRegionFrames + 10; ++i) EXPECT_EQ(0.0f, heard[i]);
  EXPECT_EQ(gEngineError.load(), 0);
}

// Silencing a range of the playing track ahead of the play position is heard at once, without
// stopping: the channel takes the edited regions between two refills. Everything before the
// range and after it plays on bit-exact, in order (no half repeated or skipped at the
// take-over), and the track's own regions are edited, not only the engine's copy.
TEST_F(TrackAudioPlayback, AnEditOfThePlayingTracksRegionsIsHeardWithoutStopping) {
  MakeFiles();
  MakeAudioTrack();
  ::Play(1);
  ASSERT_EQ(gEngineChannelCount, 1);
  EngineChannel* c = gEngineChannelLists[0];
  SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);
  PlayCycles(c, 20);  // 1280 frames in: the first region plays
  const float rate = gCoreAudioDriver.sampleRate;
  uint32_t fromTick = SamplePositionToTick(3000, rate) + 1, toTick = SamplePositionToTick(7000, rate);
  int64_t from = TickToSamplePosition(int32_t(fromTick), rate), to = TickToSamplePosition(int32_t(toTick), rate);
  ASSERT_LT(from, to);
  Handle channelList = c->regionList;
  ASSERT_EQ(noErr, SetRegionRangeAtTicks(fromTick, toTick, false, false));
  EXPECT_NE(c->regionList, channelList);  // the channel plays a list built afresh
  EXPECT_FALSE(c->stopped);
  PlayCycles(c, (2 * kRegionFrames) / 64 + 40);
  StopTransport(false);
  std::vector<float> heard = Heard();
  size_t first = 0;
  while (first < heard.size() && heard[first] == 0.0f) ++first;
  ASSERT_GE(heard.size(), first + 2 * kRegionFrames);
  for (int64_t at = 0; at < 2 * kRegionFrames; ++at) {
    int32_t r = int32_t(at / kRegionFrames), i = int32_t(at % kRegionFrames);
    float want = at >= from && at < to ? 0.0f : float(RampAt(1 - r, i)) / 32768.0f;
    ASSERT_EQ(want, heard[first + size_t(at)]) << "frame " << at;
  }
  EXPECT_EQ(gEngineError.load(), 0);
}

}  // namespace
