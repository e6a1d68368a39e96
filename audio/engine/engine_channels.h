// Engine channels: one voice of the audio engine (an audio track streamed from disk, an
// instrument plug-in or an auxiliary bus) with its double-buffered sample blocks, its levels
// and the output device it plays on; the engine-wide state with the channel slots is in
// engine_state.h.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/engine/engine_state.h"
#include "platform/memory/memory.h"
#include "platform/quicktime/sound_converter.h"
#include "song/model/audio_engine_hooks.h"

struct AudioDriverOps;
struct ChannelRenderState;
struct AudioFileDescription;

constexpr int32_t kMaxLinkedChannels = 8;
constexpr int32_t kMaxChainInputPairs = 16;
constexpr int32_t kRenderBufferCount = 32;
constexpr int32_t kChannelSends = 8;  // one per aux bus
constexpr int32_t kMaxStreamChannels = 32;  // further channels fed from one stream

// channelFlags bits.
constexpr uint32_t kChannelAudible = 1u << 2;
constexpr uint32_t kChannelLevelHeld = 1u << 3;
constexpr uint32_t kChannelSkipRenderer = 1u << 5;

// fadeState values: 2 and 4 fade out over the next block (then 5 or 8), 5 and 6 wait a block
// each, 7 silences the channel (stops it unless it renders an instrument), 9 and 10 fade in
// (then 11); 0 ramps the float gains from the previous ones; the others hold.
enum ChannelFadeState : uint8_t {
  kFadeStatePlaying = 0,
  kFadeStateOutThenWait = 2,
  kFadeStateOutThenRest = 4,
  kFadeStateWait1 = 5,
  kFadeStateWait2 = 6,
  kFadeStateSilence = 7,
  kFadeStateRest = 8,
  kFadeStateIn = 9,
  kFadeStateIn2 = 10,
  kFadeStateFadedIn = 11,
};

// Engine error codes.
constexpr int16_t kEngineErrUnderrun = 47;
constexpr int16_t kEngineErrRenderTooSlow = 52;
constexpr int16_t kEngineErrRingFull = 100;
constexpr int16_t kEngineErrSlotsInUse = 116;
constexpr int16_t kEngineErrUnsupported = -4;
constexpr int16_t kEngineErrNoMemory = -108;

// The record of a channel's insert chain as the instrument table sees it; the engine marks
// the chains it must run.
struct InsertChainRecord {
  uint8_t mark = 0;
};

struct EngineChannel;

// A request the disk worker serves through the file layer's fork calls: `count` bytes
// between `buffer` and the open fork at the 64-bit position (high and low words), with the
// request's position mode. The worker stores the result and the bytes moved; a write's result
// stays above 0 while it is pending (its poster sets it so).
struct ForkIORequest {
  std::atomic<int32_t> result{0};
  int16_t forkRefNum = 0;
  uint16_t positionMode = 0;
  uint32_t positionHigh = 0;
  uint32_t positionLow = 0;
  uint32_t count = 0;
  void* buffer = nullptr;
  uint32_t actualCount = 0;
};

// A channel's stream read (message codes 1 and 2, one per stream half): served, it counts the
// half as arrived on `owner`.
struct StreamFileRequest : ForkIORequest {
  EngineChannel* owner = nullptr;
};

// One send of a channel to an aux bus; the list ends at a send whose bus is 0.
struct ChannelSend {
  uint8_t bus = 0;         // 1..8
  uint8_t postFader = 0;
  int16_t pan = 64;        // 0..127, 64 centre
  int32_t level = 0;       // gain-curve value, 32768 = unity
  int32_t gainLeft = 0;
  int32_t gainRight = 0;
  uint8_t changed = 0;     // set when automation moved its level or pan
};

// A channel's stream reader: fills half `half` of the channel's stream buffer and stores 1 in
// *ready when the half holds data. Runs on the disk thread (message codes 4 and 5).
using StreamReaderProc = int32_t (*)(EngineChannel* channel, int32_t half, void* buffer, uint8_t* ready);

struct EngineChannel {
  int32_t frameChannels = 0;
  float sampleRate = 0.0f;
  void* halfBuffer[2] = {nullptr, nullptr};
  StreamFileRequest fileRequest;
  Handle regionList = 0;
  EngineChannel* next = nullptr;
  EngineChannel* instrumentChannel = nullptr;
  EngineChannel* linkedChannels[kMaxLinkedChannels + 1] = {};
  EngineChannel* inputSource[kMaxChainInputPairs] = {};
  float* mixBuffer[2] = {nullptr, nullptr};        // interleaved stereo Float32
  float* busBuffer[2] = {nullptr, nullptr};
  float* currentOutput = nullptr;
  int64_t regionStart[2] = {0, 0};
  int64_t regionEnd[2] = {0, 0};
  int32_t sourceChannels = 0;
  ChannelRenderState* renderState = nullptr;
  uint32_t currentHalf = 0;
  uint8_t halfReady[2] = {0, 0};
  uint8_t loop = 0;
  uint8_t stopped = 0;
  uint8_t outputPair = 0;
  uint32_t trackFlags = 0;
  uint8_t* readPointer = nullptr;
  int32_t blockBytes = 0;
  int16_t sampleBits = 16;
  void* soundConverter = nullptr;
  int32_t sourceKind = 0;
  Handle automation = 0;             // the playback copy of the rack's point list
  uint8_t* automationCursor = nullptr;  // the stream's next point, at `position`
  int64_t position = 0;
  // The insert chain's next point and the sample position it stands at (PlayAutomationToPlugins).
  uint8_t* pluginAutomationCursor = nullptr;
  int64_t pluginAutomationPosition = 0;
  int32_t startTick = 0;
  int32_t locateTick = 0;
  AudioDriverOps* device = nullptr;
  Handle song = 0;
  Handle alternateSong = 0;
  ChannelSend sendGains[kChannelSends + 1] = {};
  uint8_t sendsOrChains = 0;  // a send has a level, or the instrument or the master has a chain
  int32_t gainLeft = 0;   // 32768 = unity
  int32_t gainRight = 0;
  int32_t volume = 0;
  int16_t pan = 64;
  int16_t instrumentIndex = -1;
  int16_t blockCounter = 0;
  int16_t blocksLeft = 0;
  int16_t blocksPerHalf = 0;
  int16_t framesPerBlock = 0;
  float dryScale = 1.0f;
  float floatGain = 1.0f;  // a source sample's gain on a float device: 1 / 2^(width - 1)
  float wetScale = 1.0f;
  std::atomic<uint32_t> automationLock{0};
  std::atomic<uint32_t> halfRequested[2] = {0, 0};
  std::atomic<uint32_t> halfCompleted[2] = {0, 0};
  void* externalSource = nullptr;
  uint32_t outputBusMask = 0;  // bit n: the first plug-in's output bus n has an instrument
  uint8_t reverse = 0;
  uint8_t instrumentSource = 0;
  uint8_t pluginDevice = 0;   // the plug-in device whose tracks the channel plays (0 none)
  uint8_t busSource = 0;
  uint8_t selectorRendered[2] = {0, 0};
  uint8_t clipped = 0;
  uint8_t trackNumber = 0;
  uint8_t trackNumberCopy = 0;
  uint8_t editState = 0;
  uint8_t stoppedThisCycle = 0;
  uint8_t earlyRefill = 0;
  uint8_t stepRecord = 0;
  uint8_t streaming = 0;
  uint8_t halfBusy[2] = {0, 0};
  uint8_t integerPairMix = 0;
  uint8_t punch = 0;
  uint8_t recordSource = 0;
  uint32_t heldBlocks[2] = {0, 0};
  uint32_t lateCounters[2] = {0, 0};
  uint8_t editNesting = 0;
  uint8_t channelNumber = 0;

  // Stream block mixing (audio/render/stream_block_mix.h). The written byte of a half is
  // selectorRendered; the channel's float gain is wetScale (the scale of what the renderer
  // hands back: the stream's own scale when it passes the source on, 1.0 after a chain).
  uint32_t channelFlags = kChannelAudible;   // kChannelAudible, kChannelLevelHeld, kChannelSkipRenderer
  uint8_t fadeState = 0;                     // ChannelFadeState
  uint8_t muted = 0;                         // as a target: nothing is summed into it
  uint32_t suspended = 0;                    // the stream mixes nothing while set
  uint8_t regionEndSet = 0;                  // regionEndPosition holds the material's end
  uint8_t startDelayRepeat = 0;
  int32_t startDelay = 0;                    // frames before the position moves
  int32_t startDelayReload = 0;
  double startDelayClock = 0.0;              // the engine clock when the delay last ran out
  int64_t loopStart = 0;                     // the cycle's span in the channel's positions
  int64_t loopEnd = 0;
  int64_t regionEndPosition = 0;
  uint8_t* automationLoopCursor = nullptr;   // the automation record at loopStart
  int32_t previousGainLeft = -1;             // the float path ramps from these; -1 = none
  int32_t previousGainRight = -1;
  uint8_t* rawCopy = nullptr;                // receives the unscaled decoded block
  int32_t rawCopyBytes = 0;
  EngineChannel* targetChannel = nullptr;    // the next channel of a group
  EngineChannel* streamChannels[kMaxStreamChannels + 1] = {};  // further channels of the stream, null-ended
  // First-cycle priming (audio/render/stream_priming.h): blocks and frames primed since the
  // preparation, the frames of latency pre-roll the priming must reach, the latency the
  // channel is already compensated by (samples), and the frames an external source wrote and
  // the engine read (their difference is what a live channel must catch up at the start).
  uint32_t primedBlocks = 0;
  int32_t primedFrames = 0;
  int32_t primeDelay = 0;
  int32_t latencyCompensation = 0;
  int64_t writeCount = 0;
  int64_t readCount = 0;
  // The song time the channel's plug-ins are told while its chain renders (the plug-in
  // host's time callbacks): the tempo word the chain plays at (tenths of a beat per minute,
  // scaled; 0 until the engine or a tempo change sets it), the alternative tempo word (the
  // same tempo before the tempo factor, for plug-ins that follow the song's own map), the
  // latency offset (samples the channel's position runs ahead of what its chain's output
  // stands for: the start delay still ahead) and the chain's latency word (samples).
  int32_t tempoWord = 0;
  int32_t alternativeTempoWord = 0;
  int32_t latencyOffset = 0;
  uint16_t latencyWord = 0;
  // Output stage (read and written by the output path).
  int32_t peakLeft = 0;
  int32_t peakRight = 0;
  uint8_t offDevice = 0;
  float heldFrame[2] = {0.0f, 0.0f};  // the channel's own frame a fade ramp starts from
  void* renderBlock = nullptr;  // the chain's mix output before the output stage takes it
  int32_t renderBlockBytes = 0;
  // Set (2 or 4 bytes a sample) when the channel this one is linked to wrote the channel's
  // outputs into renderBlock this cycle; the channel's own pass mixes them and clears it.
  uint8_t spreadBytes = 0;
  StreamReaderProc reader = nullptr;
  void* readerContext = nullptr;

  // Channel creation and the stream reads (audio/streams): the end byte of each half, the file
  // position of each half's next read, the loop the positions fold into (bytes; no loop while
  // the length is 0) and the length of a looping region (bytes), and what the creation fills in.
  uint8_t halfAtEnd[2] = {0, 0};     // the source ended within the half
  int64_t readPosition[2] = {0, 0};
  int64_t loopLength = 0;
  int64_t loopBase = 0;
  int64_t regionLoopBytes = 0;
  uint8_t noTrack = 0;          // made without a track: no sends
  uint8_t noFade = 0;           // a slot channel that is not faded at stop
  uint8_t stay = 0;             // kept playing across a stop in place
  uint8_t started = 0;
  uint8_t atEnd = 0;            // the track's last region is reached
  uint8_t outputChannel = 0;
  int16_t regionCount = 0;
  int64_t rangeStart = 0;       // the span of the song to play, in samples
  int64_t rangeEnd = 0;
  double clockValues[3] = {0.0, 0.0, 0.0};
  float inverseRate = 0.0f;
  void* slotRecord = nullptr;   // a ReWire or similar source feeding the channel
  void* extraRecord = nullptr;  // freed with the channel
  uint8_t* workBuffers[2] = {nullptr, nullptr};  // the two work buffers of a decoder
  int16_t pendingError = 0;     // a negative error reported when the channel is disposed
  uint8_t auxBus = 0;           // an aux-bus channel: its bus number + 1
  uint8_t master = 0;           // the master entry's channel

  // Stream decoding of plain PCM sources (audio/streams/stream_converters): the raw input block
  // of each half as read from the file and the resampler's state, kept from call to call.
  uint8_t* inputBuffers[2] = {nullptr, nullptr};
  uint32_t inputFramesPerCall = 0;   // frames read into a half for the next call
  uint32_t nominalInputFrames = 0;   // the input buffers' size in frames (8 spare included)
  int32_t inputBytesPerCall = 0;
  uint16_t inputBytesPerFrame = 0;
  int32_t decodedBlockBytes = 0;     // output one call delivers
  uint16_t outputBytesPerFrame = 0;
  uint8_t* carryBuffer = nullptr;    // output made beyond the block, delivered first next call
  uint32_t carryCapacity = 0;        // bytes
  uint32_t carryBytes = 0;
  double outputPosition = 0.0;       // next output sample, in input frames from the block's start
  float resampleStep = 1.0f;         // source rate / engine rate
  float previousLeft = 0.0f;         // the last input sample of each side
  float previousRight = 0.0f;
  uint16_t sourceWidth = 16;
  OSType sourceFormat = 0;
  uint8_t sourceLittleEndian = 0;
  uint16_t channelCount = 1;         // above 1: two interleaved sides are read
  int16_t outputWidth = 16;
  OSType outputFormat = 0;           // "fl32": float output
  float floatScale = 32768.0f;       // 2 to the power (output width - 1)

  // Decoder set-up (audio/streams/stream_decoders): the decode procedure of each half, the
  // Sound Converter's descriptions, the input halves' byte counts and the block sizes.
  int16_t (*decodeProc)(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag) = nullptr;
  int16_t (*innerDecodeProc)(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag) = nullptr;
  uint8_t decodeKind = 0;            // 0 none, 1 a decoder of its own, 2 through the chain wrapper
  SoundComponentData inputDescription;
  SoundComponentData outputDescription;
  ExtendedSoundComponentData extendedInput;  // what the fill callback hands the converter
  const AudioFileDescription* fileDescription = nullptr;
  uint8_t* oggWorkBuffer = nullptr;
  uint32_t halfInputBytes[2] = {0, 0};  // raw bytes read into each input half
  uint8_t currentInputHalf = 0;      // the input half the converter takes next (0, 1, 0 ...)
  uint8_t fillInProgress = 0;
  uint8_t secondEndByte = 0;
  uint8_t decoderStarted = 0;
  uint8_t converterInChain = 0;      // the chain holds a format-converter plug-in
  float sourceRate = 0.0f;           // the file's sample rate
  int32_t bufferBudget = 0;          // bytes of decoded output per half
  int32_t decodedBlockFrames = 0;
  uint16_t blocksPerBudget[2] = {0, 0};

  // Stream refill (audio/streams/stream_refill): the track position (frames at the file's rate
  // from the first region's start) the region walk reads next, and a locate that the next
  // refill starts from. The walk is the disk worker's; the main thread sets the locate.
  int64_t refillPosition = 0;
  int64_t locatePosition = 0;
  std::atomic<uint8_t> locatePending{0};
  uint8_t pendingHalf = 0;  // the half the last refill request was for

  // As the instrument table and the shell's engine-state walks see a channel.
  uint32_t id = 0;
  uint16_t instrument = kNoEngineInstrument;  // instrument index, 0xFFFF none
  uint16_t sourceCount = 0;
  uint8_t active = 0;
  uint8_t stop = 0;
  InsertChainRecord* chain = nullptr;
};

// Milliseconds as samples at the engine's rate.
uint32_t MillisecondsToRateSamples(double ms);

// The shared render buffers: the chain table and the second table.
struct RenderBufferTables {
  float* chain[kRenderBufferCount] = {};
  float* second[kRenderBufferCount] = {};
  int32_t chainFrames = 0;
  int32_t secondFrames[kRenderBufferCount] = {};
};
extern RenderBufferTables gRenderBuffers;

// A zeroed block; errOut gets 0 or -108.
void* NewEngineBuffer(int32_t size, int16_t* errOut);
// Unlocks the block's pages and disposes it; null does nothing.
void DisposeEngineBuffer(void* block);
void FreeRenderBuffers();
void SetEngineSampleRate(float rate);
// Halts the sequencer's ticks and keeps the first error of a run; returns the code found.
int16_t LatchAudioEngineError(int16_t code);
// Clears the latched error (the engine's stop reports it first); returns it.
int16_t TakeEngineError();

// Claims a channel slot for the current playback: reuses the slot's record (cleared) or
// allocates one. 116 when the 24 slots are in use, -108 without memory.
int16_t ClaimEngineChannel(EngineChannel** channelOut);
// Forgets the channels of the current playback (records stay in their slots).
void ReleaseEngineChannels();
// The channel of the current playback with the id; null when none (released slots included).
EngineChannel* FindEngineChannelById(uint32_t id);
// Clears a channel record to its initial state.
void ClearEngineChannel(EngineChannel* channel);

// Allocates the channel's two output blocks (interleaved stereo Float32) and its render block
// for `frames` frames; 0 or -108. DisposeChannelBlocks releases them.
int16_t AllocateChannelBlocks(EngineChannel* channel, int32_t frames);
void DisposeChannelBlocks(EngineChannel* channel);

int32_t ResetOutputDevices();
int32_t PrepareOutputDevices(int32_t rate);
int64_t ChannelClockPosition(const EngineChannel* channel, int64_t startPosition);
int32_t ScaleByMasterLevel(int32_t value);
void SetChannelGains(int32_t volume, int32_t pan, int32_t* left, int32_t* right);
