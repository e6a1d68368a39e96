// Audio takes on an armed audio track of a real song: set-up of the record inputs, the rule
// that refuses a take of another format, finishing a take (its file completed, its header read
// back by libsndfile, the take placed as a region), and a counting ramp fed through the JACK
// server of the test services into the program's input port, recorded sample for sample.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <sndfile.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_file_requests.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_prepare_hooks.h"
#include "audio/engine/engine_state.h"
#include "audio/recording/audio_file_header.h"
#include "audio/recording/record_buffers.h"
#include "audio/recording/record_files.h"
#include "audio/recording/record_input_list.h"
#include "audio/recording/record_takes.h"
#include "audio/recording/recording_hooks.h"
#include "audio/regions/region_lists.h"
#include "audio/regions/region_placement.h"
#include "platform/coreaudio/jack_device.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/files/host_files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_audio_hooks.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/instruments/plugin_records.h"
#include "song/model/audio_region.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/audio/engine/engine_fixture.h"
#include "tests/song/documents/document_fixture.h"

namespace {

constexpr uint32_t kRecordingFlag = 1u << 30;

class RecordTakes : public doc_test::DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    MakeSong(0, 2);
    for (int32_t i = 0; i < 2; ++i) {
      SetCurrentTrackIndex(i);
      gCurrentTrack[kTrackOutputKind] = kAudioTrackOutputKind;
    }
    SetCurrentTrackIndex(0);
    gCurrentTrack[kTrackModeFlags] |= kTrackModeArmed;
    folder_ = Path("takes");
    ASSERT_EQ(mkdir(folder_.c_str(), 0755), 0);
    FSSpec inside{};
    PathToSpec(folder_ + "/x", &inside);
    gRecordFolderVRefNum = inside.vRefNum;
    gRecordFolderDirID = inside.parID;
    savedDevices_ = gOutputDevices;
    gOutputDevices = &gCoreAudioDriver;
    gCoreAudioDriver.next = nullptr;
    gRecordingMediaHooks = {};
    gRecordSettings = RecordSettings();
    gAudioRecordStartTick = 1;
  }
  void TearDown() override {
    DisposeAllRecordInputs();
    gRecordInputs = nullptr;
    gOutputDevices = savedDevices_;
    gRecordFolderVRefNum = 0;
    gTransportClock.flags.store(0);
    gMidiPrefs = 0;
    DocumentTest::TearDown();
  }
  std::vector<std::string> TakeFiles() const {
    std::vector<std::string> names;
    HostListFolder(folder_, &names);
    return names;
  }
  Handle TrackAudio() const { return Handle(ReadU32BE(gCurrentTrack + kTrackRegionList)); }
  // The first record of the track that plays a file.
  const uint8_t* TakeRegion(int64_t* start) const {
    Handle list = TrackAudioRegionList(TrackAudio());
    int64_t end = 0;
    for (int32_t i = 0; list && i < CountAudioRegions(list); ++i) {
      RegionSpan(list, i, start, &end);
      if (!IsSilentRegion(RegionRecord(list, i))) return RegionRecord(list, i);
    }
    return nullptr;
  }
  std::string folder_;
  AudioDriverOps* savedDevices_ = nullptr;
};

// Writes the bytes into the input's buffers and file as a take would have them.
void PretendRecorded(AudioInput* input, const std::vector<uint8_t>& bytes) {
  ByteCount actual = 0;
  ASSERT_EQ(FSWriteFork(input->fork, fsFromStart, input->dataOffset, ByteCount(bytes.size()), bytes.data(), &actual),
            noErr);
  input->filePosition = int64_t(input->dataOffset + bytes.size());
  input->writePointer = input->buffers[0];
}

}  // namespace

TEST(RecordBufferSizes, AreWholeDeviceBuffersOfTheSetting) {
  struct Case {
    uint32_t setting, device, expected;
  } cases[] = {{61440, 1024, 61440}, {2560, 1024, 2048}, {1000, 1024, 0}, {61440, 0, 0}, {3 * 1536, 1536, 4608}};
  for (const Case& c : cases) {
    gRecordSettings.bufferBytes = c.setting;
    EXPECT_EQ(RecordBufferSizeFor(c.device), c.expected) << c.setting << " " << c.device;
  }
  gRecordSettings = RecordSettings();
  EXPECT_EQ(InputFormatForBits(32), kInputFormatFloat);
  EXPECT_EQ(InputFormatForBits(24), kInputFormatInt24);
  EXPECT_EQ(InputFormatForBits(17), kInputFormatInt24);
  EXPECT_EQ(InputFormatForBits(16), kInputFormatNone);
}

TEST(RecordInputChecks, OverlappingChannelsOnOneDeviceConflict) {
  AudioInput a, b;
  a.inputChannel = 2;
  a.channels = 2;  // channels 2 and 3
  b.inputChannel = 3;
  b.channels = 1;
  EXPECT_TRUE(RecordInputsConflict(&a, &b));
  b.inputChannel = 4;
  EXPECT_FALSE(RecordInputsConflict(&a, &b));
  b.inputChannel = 3;
  b.directInput = 1;  // through the track's own path
  EXPECT_FALSE(RecordInputsConflict(&a, &b));
  b.directInput = 0;
  b.deviceId = 13;
  EXPECT_FALSE(RecordInputsConflict(&a, &b));
}

// One input per armed audio track; the take's file gets a name of its own next to a file of the
// track's name, which stays as it was.
TEST_F(RecordTakes, StartingMakesAFileBesideAnExistingOneAndNothingRecordedLeavesNone) {
  WriteFile("takes/Audio take.caf", "keep me");
  ASSERT_EQ(SetupRecordInputs(1, 0, false), 0);
  AudioInput* input = gRecordInputs;
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(input->next, nullptr);
  EXPECT_EQ(input->trackIndex, 0);
  EXPECT_EQ(FindRecordInputForTrack(0), input);
  EXPECT_EQ(FindRecordInputForTrack(1), nullptr);
  ASSERT_EQ(StartAudioRecording(), 0);
  EXPECT_EQ(TakeFiles().size(), 2u);
  EXPECT_EQ(ReadFile("takes/Audio take.caf"), "keep me");
  ASSERT_GT(input->bufferCount, 0);
  EXPECT_EQ(input->bufferBytes % int32_t(input->deviceBufferBytes ? input->deviceBufferBytes : 1), 0);
  // The track has no name: it takes the file's.
  Str255 name;
  GetTrackNameText(gCurrentTrack, name);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Audio take 2.caf");
  // Nothing recorded: the file goes, and no error of its own is shown.
  gEngineError.store(0);
  EXPECT_EQ(FinishRecordInput(input), kRecordNothing);
  EXPECT_EQ(TakeFiles().size(), 1u);
  EXPECT_EQ(input->recording, 0);
}

// A track whose audible audio has another rate refuses the take before any file is made.
TEST_F(RecordTakes, ATakeOfAnotherRateIsRefusedBeforeAnythingIsWritten) {
  ASSERT_EQ(SetupRecordInputs(1, 0, false), 0);
  AudioInput* input = gRecordInputs;
  Handle record = NewHandleClear(kPluginRecordBytes);
  uint8_t* r = reinterpret_cast<uint8_t*>(HandleData(record));
  WriteF32BE(r + kPluginRecordRate, input->sampleRate == 44100.0f ? 48000.0f : 44100.0f);
  WriteU16BE(r + kPluginRecordChannels, input->channels);
  WriteU16BE(r + kPluginRecordBits, input->sampleBits);
  Handle list = NewHandleClear(kRegionSize);
  uint8_t* region = RegionRecord(list, 0);
  region[kRegionBytesPerFrameAt] = 2;
  InitRegionLength(region, 2, 1000, true);
  SetTrackAudioRegionList(record, list);
  WriteU32BE(gCurrentTrack + kTrackRegionList, record.id);
  SongHeaderView(gCurrentSong).SetSongMode(1);  // the song takes step input
  EXPECT_EQ(StartAudioRecording(), kRecordFormatDiffers);
  EXPECT_TRUE(TakeFiles().empty());
  EXPECT_EQ(input->recording, 0);
  // The same format is taken.
  WriteF32BE(reinterpret_cast<uint8_t*>(HandleData(record)) + kPluginRecordRate, input->sampleRate);
  EXPECT_EQ(StartAudioRecording(), 0);
  EXPECT_EQ(TakeFiles().size(), 1u);
  DisposeAllRecordInputs();  // an unfinished take's file goes with its input
  EXPECT_TRUE(TakeFiles().empty());
}

// A take whose last write did not reach the file: the header counts only the bytes the file
// holds, libsndfile reads it so, and the take becomes the track's region at the start tick.
TEST_F(RecordTakes, AFinishedTakeIsReadBackAndPlacedEvenWhenItsEndIsShort) {
  for (bool aiff : {false, true}) {
    gMidiPrefs = aiff ? kMidiPrefAiffFiles : 0;
    gRecordSettings.preallocMegabytes = 0;
    ASSERT_EQ(SetupRecordInputs(1, 0, false), 0);
    AudioInput* input = gRecordInputs;
    input->directInput = 1;  // no device latency: the take starts at the file's first frame
    ASSERT_EQ(StartAudioRecording(), 0);
    std::vector<uint8_t> bytes(2000);
    for (size_t i = 0; i < bytes.size() / 2; ++i) WriteU16BE(&bytes[2 * i], uint16_t(i * 7));
    PretendRecorded(input, bytes);
    ASSERT_EQ(FSSetForkSize(input->fork, fsFromStart, SInt64(input->dataOffset + 1500)), noErr);  // the end is lost
    gEngineError.store(0);
    gOutputDevices = nullptr;  // no driver latency either
    EXPECT_EQ(FinishRecordInput(input), 0);
    gOutputDevices = &gCoreAudioDriver;
    std::string path = SpecToPath(&input->file);
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << path;
    EXPECT_EQ(info.frames, 750);
    EXPECT_EQ(info.channels, 1);
    std::vector<short> read(750);
    EXPECT_EQ(sf_read_short(file, read.data(), 750), 750);
    sf_close(file);
    for (size_t i = 0; i < read.size(); ++i) ASSERT_EQ(uint16_t(read[i]), uint16_t(i * 7)) << i;
    int64_t start = -1;
    const uint8_t* region = TakeRegion(&start);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(RegionLength(region), 750);
    EXPECT_EQ(ReadU32BE(region + kRegionFileOffsetAt), input->dataOffset);
    EXPECT_TRUE(RegionFlags(region) & kRegionFlagOwnsFile);
  }
}

// A record pass started while the engine plays starts the armed inputs' takes through the
// transport's hook, and the internal clock gives way to the audio sample clock.
TEST_F(RecordTakes, TakesStartWhileTheEnginePlays) {
  InstallRecordingHooks();
  ASSERT_EQ(SetupRecordInputs(1, 0, false), 0);
  AudioInput* input = gRecordInputs;
  gTransportClock.flags.store(kRecordingFlag);
  gClockSyncSource = kSyncSourceInternal;
  gEnginePrepared = 1;
  EXPECT_EQ(StartRecordingWhilePlaying(), 0);
  gEnginePrepared = 0;
  EXPECT_EQ(input->recording, 1);
  EXPECT_EQ(TakeFiles().size(), 1u);
  EXPECT_EQ(gClockSyncSource, kSyncSourceSampleClock);
  gClockSyncSource = kSyncSourceInternal;
  EXPECT_EQ(FinishRecordInput(input), kRecordNothing);
  EXPECT_TRUE(TakeFiles().empty());
  gEnginePrepareHooks = {};
  gTransportAudioHooks.startRecordingWhilePlaying = nullptr;
}

// A write of the disk thread that failed in the middle of a take: the file was made longer
// ahead of the take, so its size says nothing; the header and the region count only the audio
// before the failed write, and the take keeps its file and reports the error.
TEST_F(RecordTakes, AFailedWriteEndsTheTakeWhereItsAudioStops) {
  gRecordSettings.preallocMegabytes = 1;
  ASSERT_EQ(SetupRecordInputs(1, 0, false), 0);
  AudioInput* input = gRecordInputs;
  input->directInput = 1;
  ASSERT_EQ(StartAudioRecording(), 0);
  std::vector<uint8_t> bytes(2000);
  for (size_t i = 0; i < bytes.size() / 2; ++i) WriteU16BE(&bytes[2 * i], uint16_t(i * 3 + 1));
  PretendRecorded(input, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 1200));
  // The buffer behind the first 1200 bytes was handed on and its write failed after 100 bytes.
  ForkIORequest& failed = input->writeRequests[1];
  SetRequestPosition(&failed, int64_t(input->dataOffset) + 1200);
  failed.count = 800;
  failed.actualCount = 100;
  failed.result.store(ioErr);
  ByteCount actual = 0;
  ASSERT_EQ(FSWriteFork(input->fork, fsFromStart, input->dataOffset + 1200, 100, &bytes[1200], &actual), noErr);
  input->filePosition = int64_t(input->dataOffset) + 2000;
  gEngineError.store(0);
  gOutputDevices = nullptr;
  EXPECT_EQ(FinishRecordInput(input), ioErr);
  gOutputDevices = &gCoreAudioDriver;
  SF_INFO info{};
  SNDFILE* file = sf_open(SpecToPath(&input->file).c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr) << "the take's file was not kept";
  EXPECT_EQ(info.frames, 650);
  std::vector<short> read(650);
  EXPECT_EQ(sf_read_short(file, read.data(), 650), 650);
  sf_close(file);
  for (size_t i = 0; i < read.size(); ++i) ASSERT_EQ(uint16_t(read[i]), uint16_t(i * 3 + 1)) << i;
  int64_t start = -1;
  const uint8_t* region = TakeRegion(&start);
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(RegionLength(region), 650);
}

namespace {

// A JACK client whose output plays a counter, one step a frame: value n / 32768 for n counting
// through -32768..32767, exact in Float32 and in 16-bit samples.
struct RampClient {
  jack_client_t* client = nullptr;
  jack_port_t* port = nullptr;
  int32_t next = -32768;
  std::atomic<int> xruns{0};
  static int Xrun(void* arg) {
    static_cast<RampClient*>(arg)->xruns.fetch_add(1);
    return 0;
  }
  static int Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<RampClient*>(arg);
    float* out = static_cast<float*>(jack_port_get_buffer(self->port, frames));
    for (jack_nframes_t f = 0; f < frames; ++f) {
      out[f] = float(self->next) / 32768.0f;
      self->next = self->next == 32767 ? -32768 : self->next + 1;
    }
    return 0;
  }
  bool Open() {
    jack_status_t status;
    client = jack_client_open("zarin-ramp-test", JackNoStartServer, &status);
    if (!client) return false;
    port = jack_port_register(client, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(client, Process, this);
    jack_set_xrun_callback(client, Xrun, this);
    return port && jack_activate(client) == 0;
  }
  ~RampClient() {
    if (client) jack_client_close(client);
  }
};

template <typename Pred>
bool WaitFor(Pred pred, int millis = 10000) {
  for (int i = 0; i < millis && !pred(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return pred();
}

}  // namespace

// The ramp reaches the program's input port; the armed track records through the engine's
// preparation (files made before the devices open, windows opened after), and the engine's
// stop finishes the take: the file holds the ramp without a lost or repeated frame, its
// header reads back, and the region starts the stated latency into the file.
// Whether the ramp runs without a gap from the first frame that carries it to the end.
static bool RampIsWhole(const std::vector<short>& samples, int64_t wanted) {
  size_t from = 0;
  while (from + 1 < samples.size() && int16_t(samples[from + 1] - samples[from]) != 1) ++from;
  if (from + size_t(wanted / 2) >= samples.size()) return false;
  for (size_t i = from + 1; i < samples.size(); ++i)
    if (int16_t(samples[i] - samples[i - 1]) != 1) return false;
  return true;
}

// True when every break in the ramp (after its start) skips whole server cycles: the frames
// of a cycle that neither the ramp's client nor the program was given on a loaded server.
static bool RampBreaksAreWholeCycles(const std::vector<short>& samples, int32_t cycle) {
  size_t from = 0;
  while (from + 1 < samples.size() && int16_t(samples[from + 1] - samples[from]) != 1) ++from;
  bool broken = false;
  for (size_t i = from + 1; i < samples.size(); ++i) {
    int32_t step = int16_t(samples[i] - samples[i - 1]);
    if (step == 1) continue;
    if (cycle <= 0 || step <= 1 || (step - 1) % cycle != 0) return false;
    broken = true;
  }
  return broken;
}

TEST_F(RecordTakes, ARampFedThroughJackIsRecordedSampleForSample) {
  gCoreAudioDevices = CoreAudioDevices();
  BuildAudioDeviceLists();
  int32_t jackIndex = -1;
  for (size_t i = 0; i < gCoreAudioDevices.inputList.size(); ++i) {
    Str255 name;
    SelectAudioDeviceByIndex(int32_t(i), name, 0);
    if (std::string(reinterpret_cast<char*>(name + 1), name[0]) == "JACK (default)") jackIndex = int32_t(i);
  }
  if (jackIndex < 0) GTEST_SKIP() << "no JACK server runs (tools/services start)";
  Str255 name;
  ASSERT_EQ(SelectAudioDeviceByIndex(jackIndex, name, 3), 0);
  AudioDeviceID jack = gCoreAudioDevices.outputDevice;
  SetAudioMode(3);
  ASSERT_EQ(ApplyDeviceFormat(1), 0);
  gCoreAudioDriver.flags |= kDriverFlagInputAvailable;

  ASSERT_EQ(SetupRecordInputs(1, 0, false), 0);
  AudioInput* input = gRecordInputs;
  ASSERT_EQ(input->channels, 1);
  EXPECT_EQ(input->sampleRate, gCoreAudioDriver.sampleRate);
  RampClient ramp;
  ASSERT_TRUE(ramp.Open());
  char port[256];
  ASSERT_EQ(GetJackPortName(jack, true, UInt32(input->leftChannel + 1), port, sizeof port), 0);

  // A server cycle the JACK server itself drops (an overloaded machine) loses frames no
  // program can record: such a run is tried again.
  SF_INFO info{};
  std::vector<short> samples;
  int32_t latency = 0;
  const int64_t wanted = int64_t(input->sampleRate);  // a second of audio
  std::string path;
  bool cyclesLost = false;
  for (int attempt = 0; attempt < 4; ++attempt) {
    ramp.xruns.store(0);
    InstallRecordingHooks();
    engine_test::EngineRig rig{gAudioBufferFrames.load()};
    rig.AddChannel(1, 16, 0.0f, 0.0f);
    gTransportClock.flags.store(kRecordingFlag);
    ASSERT_EQ(PrepareRecordInputs(0), 0);
    ASSERT_EQ(input->recording, 1);
    gAudioDriverState.store(kDriverNothingStarted);
    ASSERT_EQ(OpenCoreAudioDevices(&rig.driver, jack, jack, 0), 0);
    ASSERT_EQ(PrepareRecordInputs(1), 0);
    ASSERT_EQ(StartCoreAudioOutput(), 0);
    auto connect = [&] {
      int r = jack_connect(ramp.client, jack_port_name(ramp.port), port);
      return r == 0 || r == EEXIST;
    };
    ASSERT_TRUE(WaitFor(connect, 2000)) << port;
    ASSERT_TRUE(WaitFor([&] { return input->filePosition - int64_t(input->dataOffset) >= 2 * wanted; }));
    StopCoreAudioOutput(1, 40000);
    // No record error: the buffers always had room and every cycle's input was taken. (An
    // output underrun, 47, on a loaded machine is the output path's and gives another try.)
    int16_t latched = gEngineError.load();
    EXPECT_TRUE(latched == 0 || latched == 47) << latched;
    FinishRecordInputs();
    gEnginePrepareHooks = {};
    CloseCoreAudioOutput();
    jack_disconnect(ramp.client, jack_port_name(ramp.port), port);

    latency = TakeLatencyFrames(input);
    path = SpecToPath(&input->file);
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << path;
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.samplerate, int(input->sampleRate));
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
    ASSERT_GE(info.frames, wanted);
    EXPECT_EQ(uint64_t(info.frames) * 2, input->bytesWritten);
    samples.assign(size_t(info.frames), 0);
    ASSERT_EQ(sf_read_short(file, samples.data(), info.frames), info.frames);
    sf_close(file);
    // A cycle that the loaded server gave neither the ramp nor the program shows as a jump of
    // a whole cycle in the ramp, without an xrun reported: that run is tried again too.
    cyclesLost = RampBreaksAreWholeCycles(samples, gAudioBufferFrames.load());
    if (ramp.xruns.load() == 0 && latched == 0 && RampIsWhole(samples, wanted)) break;
    ASSERT_EQ(SetupRecordInputs(1, 0, false), 0);
    input = gRecordInputs;
  }
  // A server that lost whole cycles on every try says nothing of the recording (a break of
  // any other size still fails below).
  if (cyclesLost) GTEST_SKIP() << "the loaded JACK server lost whole cycles on every try";
  // The ramp from the first frame that carries it (the port is connected once the devices
  // run): every later frame is the one before plus one.
  size_t from = 0;
  while (from + 1 < samples.size() && int16_t(samples[from + 1] - samples[from]) != 1) ++from;
  ASSERT_LT(from, samples.size() - size_t(wanted / 2));
  for (size_t i = from + 1; i < samples.size(); ++i) {
    ASSERT_EQ(int16_t(samples[i] - samples[i - 1]), 1) << "frame " << i;
  }
  // The take becomes the track's region, latency frames into the file.
  int64_t start = -1;
  const uint8_t* region = TakeRegion(&start);
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(start, 0);
  ASSERT_GT(latency, 0);
  EXPECT_EQ(ReadU32BE(region + kRegionFileOffsetAt), input->dataOffset + uint32_t(latency) * 2);
  EXPECT_EQ(RegionLength(region), info.frames - latency);
  gCoreAudioDevices = CoreAudioDevices();
}
