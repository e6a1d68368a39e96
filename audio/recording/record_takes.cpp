#include "audio/recording/record_takes.h"

#include <algorithm>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "audio/recording/record_buffers.h"
#include "audio/recording/record_files.h"
#include "audio/recording/record_input_list.h"
#include "audio/recording/recording_hooks.h"
#include "audio/regions/region_lists.h"
#include "audio/regions/region_placement.h"
#include "audio/regions/region_takes.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/transport/song_modes.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/base/error_report.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/plugin_records.h"
#include "song/model/audio_region.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_entries.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"

uint32_t gAudioRecordStartTick = 1;
uint32_t gAudioRecordEndTick = 0;
uint8_t gAudioRecordReplace = 0;
int32_t gAudioRecordBars = 16;

namespace {

constexpr uint32_t kWriteWaitMicros = 5000000;
constexpr uint16_t kRecordRegionFlags = 0x23;

uint8_t* TrackAudioCell() { return gCurrentTrack ? gCurrentTrack + kTrackRegionList : nullptr; }

Handle CurrentTrackAudioRecord() {
  uint8_t* cell = TrackAudioCell();
  return cell ? Handle(ReadU32BE(cell)) : Handle();
}

OSErr NewCurrentTrackAudio() {
  if (gRecordingMediaHooks.newTrackAudio) return gRecordingMediaHooks.newTrackAudio();
  uint8_t* cell = TrackAudioCell();
  if (!cell) return paramErr;
  Handle record = NewHandleClear(kPluginRecordBytes);
  if (!record) return MemError();
  WriteU32BE(TrackAudioCell(), record.id);
  return noErr;
}

// The track audio takes the input's format, and a list whose first record is one long silence.
OSErr GiveTrackAudioInputFormat(Handle record, const AudioInput* input) {
  uint8_t* r = reinterpret_cast<uint8_t*>(HandleData(record));
  WriteF32BE(r + kPluginRecordRate, input->sampleRate);
  WriteU32BE(r + kPluginRecordFixedRate, uint32_t(double(input->sampleRate) * 65536.0));
  WriteU32BE(r + kPluginRecordEncoding, input->formatCode);
  WriteU16BE(r + kPluginRecordChannels, input->channels);
  WriteU16BE(r + kPluginRecordBits, uint16_t(input->sampleBits ? input->sampleBits : 16));
  Handle list = TrackAudioRegionList(record);
  if (!list) {
    list = NewHandleClear(kRegionSize);
    if (!list) return MemError();
    SetTrackAudioRegionList(record, list);
  }
  uint8_t* region = RegionRecord(list, 0);
  region[kRegionBytesPerFrameAt] = uint8_t(RecordSampleBytes(input->sampleBits) * std::max<int>(input->channels, 1));
  WriteI32BE(region + kRegionStepAt, 1);
  WriteU16BE(region + kRegionFlagsAt, kRecordRegionFlags);
  InitRegionLength(region, region[kRegionBytesPerFrameAt], kMaxSilentRegion, false);
  return noErr;
}

// PrepareTrackAudioForRecording: the track gets an audio record; one with audible regions keeps
// its format.
OSErr PrepareTrackAudioForRecording(const AudioInput* input) {
  Handle record = CurrentTrackAudioRecord();
  if (!record) {
    OSErr err = NewCurrentTrackAudio();
    if (err != noErr) return err;
    record = CurrentTrackAudioRecord();
  }
  if (!record || GetHandleSize(record) < kPluginRecordBytes) return paramErr;
  if (HasAudibleRegions(TrackAudioRegionList(record))) return noErr;
  return GiveTrackAudioInputFormat(record, input);
}

void NameTrackAfterFile(const AudioInput* input) {
  Str255 name;
  GetTrackNameText(gCurrentTrack, name);
  if (name[0] == 0) SetTrackName(input->file.name);
}

int16_t StartInputOnTrack(AudioInput* input) {
  if (gCurrentTrack[kTrackFlags] & kTrackFlagSilent) return kRecordTrackRefuses;
  if (int16_t err = CheckTakeFormat(input)) return err;
  return StartRecordInput(input);
}

void AbandonStartedInputs(AudioInput* upTo) {
  for (AudioInput* input = gRecordInputs; input && input != upTo; input = input->next) {
    if (!input->recording) continue;
    ReleaseRecordBuffers(input, true);
    DeleteRecordFile(input);
    input->recording = 0;
  }
}

// The take's error: shown once, the latched engine error with it (also after a take of
// nothing), which is then cleared.
void ReportTakeError(int16_t err) {
  int16_t latched = gEngineError.exchange(0);
  if (err != 0 && err != kRecordNothing) ReportError(err);
  else if (latched != 0) ReportError(latched);
}

OSErr PlaceTake(AudioInput* input, int32_t latency) {
  Handle record = CurrentTrackAudioRecord();
  if (!record) {
    OSErr err = NewCurrentTrackAudio();
    if (err != noErr) return err;
    record = CurrentTrackAudioRecord();
  }
  TakePlacement placement;
  // The input's own offset moves the take too. The engine's start offset does not: the
  // input's first frame is the first frame of the device cycle the take starts with.
  latency += input->latencyOffset;
  placement.skipFrames = std::max(latency, 0);
  placement.leadSilence = latency < 0 ? -int64_t(latency) : 0;
  placement.startTick = gAudioRecordStartTick;
  return MakeRegionFromTake(record, &input->file, placement);
}

}  // namespace

int16_t CheckTakeFormat(const AudioInput* input) {
  Handle record = CurrentTrackAudioRecord();
  if (!record || GetHandleSize(record) < kPluginRecordBytes || !DoesSongAllowStepInput()) return 0;
  if (!HasAudibleRegions(TrackAudioRegionList(record))) return 0;
  const uint8_t* r = reinterpret_cast<uint8_t*>(HandleData(record));
  bool same = ReadF32BE(r + kPluginRecordRate) == input->sampleRate &&
              ReadU16BE(r + kPluginRecordBits) == input->sampleBits &&
              ReadU16BE(r + kPluginRecordChannels) == input->channels;
  if (same) return 0;
  HaltSequencerTicks();
  return kRecordFormatDiffers;
}

int16_t StartRecordInput(AudioInput* input) {
  for (ForkIORequest& request : input->writeRequests) request.result.store(0);
  AudioDriverOps* driver = FindInputDriver(input->deviceId);
  if (!driver) return kRecordNoDriver;
  if (input->deviceId == kDriverIdSoundManager) return 0;  // no sound input device here
  SetDefaultInputFormat(input, input->deviceId);
  int16_t err = PrepareTrackAudioForRecording(input);
  // The internal clock gives way to the audio clock: the device's samples time the take.
  if (gClockSyncSource == kSyncSourceInternal) gClockSyncSource = kSyncSourceSampleClock;
  Str255 trackName;
  GetTrackNameText(gCurrentTrack, trackName);
  if (err == 0) err = CreateRecordFile(input, trackName);
  if (err == 0) err = PreallocateRecordFile(input, gAudioRecordStartTick, gAudioRecordEndTick, gAudioRecordBars);
  if (err == 0) err = WriteRecordHeader(input);
  if (err == 0) {
    ReleaseRecordBuffers(input, true);
    err = PrepareRecordBuffers(input, gRecordSettings.bufferCount, input->fork);
  }
  if (err == 0) {
    NameTrackAfterFile(input);
    input->recordStart = uint64_t(std::max<int64_t>(TickToSamplePosition(int32_t(gAudioRecordStartTick), input->sampleRate), 0));
    input->lastError = 0;
    input->recording = 1;
    return 0;
  }
  ReleaseRecordBuffers(input, true);
  DeleteRecordFile(input);
  HaltSequencerTicks();
  return err;
}

int16_t StartAudioRecording() {
  int32_t home = GetCurrentTrackIndex();
  bool first = true;
  int16_t err = 0;
  AudioInput* input = gRecordInputs;
  for (; input && err == 0; input = input->next) {
    if (!input->hasArmedTracks || !input->armed) continue;
    input->firstOfStart = first ? 1 : 0;
    SetCurrentTrackIndex(input->trackIndex);
    err = StartInputOnTrack(input);
    if (err == 0 && gAudioRecordReplace) {
      first = false;
      if (gAudioRecordEndTick > 0) SetTrackLength(gAudioRecordEndTick - 1);
    }
  }
  if (err != 0) {
    AbandonStartedInputs(nullptr);
    ReportError(err);
  }
  SetCurrentTrackIndex(home);
  return err;
}

void OpenRecordWindows() {
  for (AudioInput* input = gRecordInputs; input; input = input->next) {
    if (input->recording) OpenRecordWindow(input);
  }
}

int32_t TakeLatencyFrames(AudioInput* input) {
  AudioDriverOps* driver = FindInputDriver(input->deviceId);
  int32_t latency = 0;
  if (!input->directInput) {
    int32_t frames = driver && driver->GetBufferFrames ? driver->GetBufferFrames() : 0;
    latency = gRecordSettings.latencyBase + gRecordSettings.latencyFactor * frames;
  }
  if (input->deviceId != kDriverIdSoundManager && driver && driver->GetIOLatency) latency += driver->GetIOLatency(input);
  return latency;
}

// A write that is still in flight after the wait uses the take's fork and one of its buffers:
// neither is touched again (the buffers are let go of, the fork left open), so the file keeps
// whatever reached it and is never deleted; the take is not placed and -224 is reported.
static int16_t AbandonStalledTake(AudioInput* input) {
  input->writePointer = nullptr;
  for (uint8_t*& buffer : input->buffers) buffer = nullptr;
  input->bufferCount = 0;
  input->fork = 0;
  input->fileOpen = 0;
  input->recording = 0;
  input->lastError = kRecordErrBufferFull;
  ReportTakeError(kRecordErrBufferFull);
  return kRecordErrBufferFull;
}

int16_t FinishRecordInput(AudioInput* input) {
  if (!input->recording || input->bufferCount <= 0) return 0;
  if (input->punchPositions[0] != 0) input->punchPositions[0] = input->punchPositions[1];
  input->stopWord = 1;  // the IO procedures commit nothing more
  int32_t failed = 0;
  if (!WaitForRecordWrites(input, kWriteWaitMicros, &failed)) return AbandonStalledTake(input);
  int16_t err = int16_t(failed);
  OSErr flushed = FlushRecordBuffer(input);
  if (err == 0) err = flushed;
  input->writePointer = nullptr;
  // Only what reached the file counts: a failed write leaves the rest of the take out.
  input->bytesWritten = uint64_t(RecordedDataEnd(input) - int64_t(input->dataOffset));
  int16_t result = input->bytesWritten == 0 ? kRecordNothing : int16_t(CompleteRecordFile(input));
  if (result == 0) result = PlaceTake(input, TakeLatencyFrames(input));
  if (result == 0) result = err;
  CloseRecordFile(input);
  ReleaseRecordBuffers(input, input->channelLink == nullptr);
  // Only a take of nothing or of the wrong format loses its file: any other failure keeps the
  // recorded audio on disk.
  if (result == kRecordNothing || result == kRecordFormatDiffers) DeleteRecordFile(input);
  input->fileOpen = 0;
  ReportTakeError(result);
  input->lastError = result;
  input->recording = 0;
  return result;
}

void FinishAudioRecording() {
  for (AudioInput* input = gRecordInputs; input; input = input->next) {
    if (!input->recording) continue;
    SetCurrentTrackIndex(input->trackIndex);
    FinishRecordInput(input);
  }
  SetCurrentTrackIndex(gRecordHomeTrack);
}
