#include "audio/streams/track_stream_prepare.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "audio/devices/audio_driver.h"
#include "audio/render/block_conversions.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/channel_render.h"
#include "audio/streams/channel_render_state.h"
#include "audio/streams/sound_converter_decode.h"
#include "audio/regions/region_loops.h"
#include "audio/streams/stream_decoders.h"
#include "audio/streams/stream_media_hooks.h"
#include "audio/streams/stream_reads.h"
#include "audio/streams/stream_refill.h"
#include "audio/streams/stream_regions.h"
#include "audio/streams/stream_stop.h"
#include "platform/system/host_time.h"
#include "platform/threads/thread_pauses.h"
#include "shell/base/error_report.h"
#include "song/conductor/sample_position.h"
#include "song/model/song_context.h"
#include "song/model/track_entries.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int32_t kPrepareNoWrapperMode = 3;
constexpr int32_t kFloatWidth = 1;
constexpr uint32_t kFillPauseMicros = 200;
constexpr OSType kFloat32Format = 'fl32';
constexpr OSType kFloat64Format = 'fl64';

int32_t DeviceWidth(const EngineChannel* channel) {
  return channel->device ? channel->device->sampleBits : 32;
}

// A plug-in instrument's channel: its render state and its MIDI state started at the position.
int16_t PrepareInstrumentChannel(EngineChannel* channel, int64_t position, float rate, int32_t mode) {
  const EnginePluginHooks& h = gEnginePluginHooks;
  uint32_t head = h.deviceChainHead ? h.deviceChainHead(channel->pluginDevice) : 0;
  if (!head) {
    channel->stopped = 1;  // the device lost its instrument: the channel stays silent
    return 0;
  }
  if (int16_t err = PrepareChainRenderState(head, channel, 2, mode, DeviceWidth(channel), kMaxRenderOutputs, false))
    return err;
  ChannelRenderState* state = channel->renderState;
  if (!state->midiState) return 0;
  uint32_t tick = rate > 0.0f ? SamplePositionToTick(position, rate) : 1;
  if (h.startChannelMidiState) h.startChannelMidiState(state->midiState, channel->song, double(std::max<uint32_t>(tick, 1)));
  if (h.attachChannelMidiState) h.attachChannelMidiState(channel, state->midiState);
  channel->stopped = 0;
  return 0;
}

// The decoded halves and the output halves the channel lacks (halves of the engine's blocks).
int16_t AllocateStreamBuffers(EngineChannel* channel) {
  int32_t halfBytes = channel->decodedBlockBytes > 0 ? channel->decodedBlockBytes
                                                     : channel->blockBytes * std::max<int32_t>(channel->blocksPerHalf, 1);
  int16_t err = 0;
  for (void*& half : channel->halfBuffer) {
    // A half made for a smaller block (a channel prepared again with another source) would
    // be decoded past its end: it is made again.
    if (half && GetPtrSize(static_cast<Ptr>(half)) < halfBytes) {
      DisposeEngineBuffer(half);
      half = nullptr;
    }
    if (!half && halfBytes > 0) half = NewEngineBuffer(halfBytes, &err);
    if (err) return err;
  }
  if (!channel->mixBuffer[0] && channel->framesPerBlock > 0) return AllocateChannelBlocks(channel, channel->framesPerBlock);
  return 0;
}

// One half filled on the disk worker (inline without one), waited for with a bound. The worker counts a
// half as completed when it served it; a worker that serves nothing in time fails the
// preparation instead of hanging the main thread.
int16_t FillHalf(EngineChannel* channel, int32_t half) {
  uint32_t before = channel->halfCompleted[half].load(std::memory_order_acquire);
  channel->halfBusy[half] = 1;
  channel->halfRequested[half].fetch_add(1, std::memory_order_release);
  int32_t code = half == 0 ? kStreamWorkDecodeHalf0 : kStreamWorkDecodeHalf1;
  EngineWorker* worker = gDiskQueue.running.load() ? &gDiskQueue : nullptr;
  if (int32_t err = RequestStreamWork(channel, code, worker)) return int16_t(err);
  UInt32 deadline = TickCount() + (kHalfFillWaitMillis * 60 + 999) / 1000;
  while (channel->halfCompleted[half].load(std::memory_order_acquire) == before) {
    if (TickCount() > deadline) {
      channel->halfBusy[half] = 0;
      return kPrepareFillTimedOut;
    }
    PauseThreadMicros(kFillPauseMicros);
  }
  return 0;
}

void ParkSlotChannel(EngineChannel* channel) {
  channel->stopped = 1;
  channel->halfReady[0] = channel->halfReady[1] = 0;
  channel->peakLeft = channel->peakRight = 0;
}

// A wider device plays float samples scaled by the source's width: the decoders hand on integer
// sample values as floats, the Sound Converter and float sources full scale 1.0. The mixer
// scales a stream by its wet scale (the dry one when it passes the source on).
void SetFloatGain(EngineChannel* channel) {
  if (DeviceWidth(channel) <= 16) return;
  bool floatSource = channel->sourceFormat == kFloat32Format || channel->sourceFormat == kFloat64Format ||
                     channel->decodeProc == FillFromSoundConverter;
  channel->floatGain = SourceFloatGain(floatSource ? kFloatWidth : channel->sourceWidth);
  channel->wetScale = channel->dryScale = channel->floatGain;
}

// A channel that streams its regions from its file (the file's fork and its format handed to
// it), as opposed to one fed by a reader of its own.
bool StreamsFromFile(const EngineChannel* channel) {
  return channel->fileRequest.forkRefNum != 0 && channel->sourceRate > 0.0f &&
         (!channel->reader || channel->reader == FillStreamHalf);
}

// The file's decoder, opened afresh (a new position starts it from nothing), and the stream's
// block sizes in the engine's format; the region walk becomes the channel's reader.
int16_t OpenFileDecoder(EngineChannel* channel) {
  CloseStreamDecoder(channel);
  int32_t width = DeviceWidth(channel);
  float rate = channel->device ? channel->device->sampleRate : channel->sampleRate;
  if (int16_t err = OpenSoundConverters(channel, channel->framesPerBlock, 0, int16_t(width), 0,
                                        channel->fileDescription, false, rate))
    return err;
  // Frames the engine's format already but with more sides than a half holds (a file of more
  // than two channels) are not copied as they stand: a converter takes the first two.
  if (!channel->decodeProc && channel->inputBytesPerFrame != channel->outputBytesPerFrame) {
    CloseStreamDecoder(channel);
    if (int16_t err = OpenSoundConverters(channel, channel->framesPerBlock, 0, int16_t(width), 0,
                                          channel->fileDescription, true, rate))
      return err;
  }
  if (channel->blocksPerBudget[0] == 0 || channel->inputBytesPerFrame == 0) return kDecodeErrBadRate;
  channel->reader = FillStreamHalf;
  channel->sampleRate = rate;
  channel->sampleBits = int16_t(width > 16 ? 32 : width);
  channel->frameChannels = channel->channelCount > 1 ? 2 : 1;
  channel->blockBytes = channel->framesPerBlock * channel->outputBytesPerFrame;
  channel->blocksPerHalf = int16_t(channel->blocksPerBudget[0]);
  return 0;
}

// The channel's track's audio record (the track made current for the question); the record
// points back at the channel.
TrackAudioRecord* FindChannelTrackAudio(EngineChannel* channel) {
  if (!channel->song || PushSongContext() != noErr) return nullptr;
  SetCurrentSong(channel->song);
  int32_t index = 0;
  TrackAudioRecord* record = nullptr;
  if (FindTrackWithNumber(channel->trackNumber, &index)) {
    gCurrentTrack = GetTrackEntryAt(index);
    record = GetActiveTrackAudio();
  }
  PopSongContext();
  if (record) record->channel = channel;
  return record;
}

// The source format of the record and the decoder that brings it to the device's rate and
// width; the stream's blocks then have the decoder's size. A decoder that cannot be set up is
// reported and the track stays silent, so the rest of the song still plays.
void OpenChannelDecoder(EngineChannel* channel, const TrackAudioRecord& record, int32_t mode) {
  channel->sourceChannels = std::max<int32_t>(record.channels, 1);
  channel->frameChannels = channel->sourceChannels > 1 ? 2 : 1;
  channel->sourceWidth = uint16_t(record.width > 0 ? record.width : 16);
  channel->sourceFormat = record.format;
  channel->sourceRate = record.sampleRate;
  CloseStreamDecoder(channel);  // a channel prepared again starts from a fresh decoder
  int16_t err = OpenSoundConverters(channel, channel->framesPerBlock, 0, int16_t(DeviceWidth(channel)), int16_t(mode),
                                    record.description, false, channel->sampleRate);
  if (err != 0) {
    ReportError(err);
    CloseStreamDecoder(channel);
    channel->decodeProc = NullDecode;
    channel->stopped = 1;
    return;
  }
  channel->blockBytes = int32_t(channel->framesPerBlock) * channel->outputBytesPerFrame;
  channel->blocksPerHalf = int16_t(std::max<int32_t>(channel->blocksPerBudget[0], 1));
}

// The region walk as the reader of a channel whose record gave its format (the regions carry
// their files' forks), positioned at the start.
void StreamRecordRegions(EngineChannel* channel, const TrackAudioRecord& record, int64_t position) {
  channel->fileDescription = record.description;
  channel->reader = FillStreamHalf;
  channel->locatePending.store(0);
  LocateStreamInRegions(channel, position, channel->regionList);
}

// An audio track's stream: positioned at the start, its buffers made, both halves filled.
int16_t PrepareStream(EngineChannel* channel, int64_t position, int32_t mode) {
  channel->position = position;
  channel->halfBusy[0] = channel->halfBusy[1] = 0;
  channel->halfReady[0] = channel->halfReady[1] = 0;
  channel->currentHalf = 0;
  channel->stopped = 0;
  channel->pendingError = 0;
  if (mode == kPrepareFromStart) channel->streaming = 0;
  if (mode == kPrepareFromStart)
    PrepareRegionLoops(channel->regionList, channel->sourceRate > 0.0f ? channel->sourceRate : channel->sampleRate);
  // A channel handed its file reads every region from that file's fork; the others name their
  // files in the song's table, which the region check consults.
  bool fromFile = StreamsFromFile(channel);
  if (!fromFile) PrepareStreamRegions(channel->regionList);
  if (fromFile) {
    if (int16_t err = OpenFileDecoder(channel)) {
      channel->stopped = 1;  // the track stays silent
      return err;
    }
    channel->locatePending.store(0);
    LocateStreamInRegions(channel, position, channel->regionList);
  } else if (gStreamMediaHooks.getActiveTrackAudio) {
    // The track's audio record gives the source's format; a channel without a source of its
    // own then streams its regions, each from its file's fork.
    TrackAudioRecord* record = FindChannelTrackAudio(channel);
    if (!record) return kPrepareNoAudioRecord;
    OpenChannelDecoder(channel, *record, mode);
    if (channel->stopped) return 0;
    if (!channel->reader || channel->reader == FillStreamHalf) StreamRecordRegions(channel, *record, position);
  }
  if (int16_t err = AllocateStreamBuffers(channel)) return err;
  SetFloatGain(channel);
  if (mode == kPrepareNoWrapperMode) return 0;
  for (int32_t half = 0; half < 2; ++half) {
    if (int16_t err = FillHalf(channel, half)) return err;
  }
  channel->readPointer = static_cast<uint8_t*>(channel->halfBuffer[0]);
  channel->blocksLeft = channel->blocksPerHalf;
  // The mix cycle turns each later half round as it starts to play it; the first one here.
  if (channel->reverse && channel->reader == FillStreamHalf)
    ReverseFrames(channel->readPointer, int32_t(channel->framesPerBlock) * channel->blocksPerHalf,
                  channel->frameChannels > 1 ? 2 : 1, channel->sampleBits);
  channel->selectorRendered[0] = channel->selectorRendered[1] = 0;
  channel->lateCounters[0] = channel->lateCounters[1] = 0;
  return 0;
}

}  // namespace

int16_t PrepareAudioTrackStream(EngineChannel* channel, int64_t position, float rate, int32_t mode) {
  if (!channel) return kPrepareNoAudioRecord;
  if (channel->pluginDevice) return PrepareInstrumentChannel(channel, position, rate, mode);
  // A slot channel (a ReWire source) with nothing to stream is parked: stopped, silent, its
  // meters cleared. Any other channel without regions is fed by a source of its own, which
  // filled it already.
  if (!channel->regionList) {
    if (channel->slotRecord) ParkSlotChannel(channel);
    return 0;
  }
  return PrepareStream(channel, position, mode);
}

void MatchChannelToDevice(EngineChannel* channel, const AudioDriverOps* device) {
  if (!channel || !device) return;
  channel->sampleRate = device->sampleRate;
  channel->sampleBits = device->sampleBits;
  if (channel->frameChannels < 1) channel->frameChannels = 1;
  channel->sourceFormat = 'NONE';
}

float SourceFloatGain(int32_t sourceWidth) {
  return sourceWidth <= 1 ? 1.0f : float(std::ldexp(1.0, -(sourceWidth - 1)));
}
