// Channel rendering: one block of an engine channel's source through its insert chain, mixed
// (wet with dry) into the channel's output block in the format that the chain's mix kind
// names. Runs on the engine thread (or the IO thread when mixing inline), one channel after
// another, so the shared render buffers need no lock.
#pragma once

#include <atomic>
#include <cstdint>

struct EngineChannel;

// A render procedure of the channel's own in place of its plug-ins (the engine's tests feed
// known signals through it): inputs holds inputCount buffers, outputs receives outputCount
// buffers (the wet signal).
using ChainRenderProc = int32_t (*)(void* context, float* const* inputs, int32_t inputCount, float** outputs,
                                    int32_t outputCount, int32_t frames);

struct ChannelRenderState {
  void* chainHead = nullptr;       // first plug-in of the chain
  int32_t mixKind = 0;
  int32_t inputChannels = 2;
  int32_t outputChannels = 2;
  uint8_t audioInput = 1;
  uint8_t midi = 0;
  uint8_t rewireSource = 0;
  // The first plug-in's gains (read by GetPluginGains).
  float pluginInputGain = 1.0f / 32768.0f;
  float wetGain = 32768.0f;
  uint16_t dryLevel = 256;
  uint8_t bypass = 0;               // the chain passes its inputs on (silence without inputs)
  ChainRenderProc render = nullptr;
  void* renderContext = nullptr;
  void* midiState = nullptr;        // the plug-in host's MIDI state of an instrument chain
  // Stopping (audio/streams/stream_stop): the state renders an instrument; its busy byte, set
  // when a stop fades the channel and cleared by the render that finished the instrument's
  // last block; the procedure (with its argument) that sends the instrument MIDI messages.
  uint8_t instrument = 0;
  uint8_t busy = 0;  // read and written through std::atomic_ref
  void (*midiSend)(void* argument, uint8_t status, uint8_t data1, uint8_t data2) = nullptr;
  void* midiSendArgument = nullptr;
  // Set when playback is prepared (audio/streams/channel_render_state).
  uint8_t sendKind = 11;            // the MIDI send procedure's output kind: 11 none, 20, 21
  uint32_t sendArgument = 0;        // the plug-in device id the send kind names
  uint8_t flags = 0;                // bit 1: a ReWire source
  uint8_t inputsUsed = 0;           // at most 32 each
  uint8_t outputsUsed = 0;
  uint8_t owned = 0;                // made by the preparation: freed with the channel
  uint32_t chainId = 0;             // the chain's head instance id
  uint32_t chainLatency = 0;        // samples
  void** midiSlots = nullptr;       // one block of 32 slots per chain plug-in that takes MIDI
  int32_t midiSlotCount = 0;        // entries of the table
};

// The global insert-effects switch: 0 bypasses every insert chain.
extern std::atomic<uint8_t> gInsertEffectsOn;

// Makes sure the chain table holds `outputs` buffers and the second table `inputs` buffers of
// (largest device buffer + 1024) frames; 0 or -108. At most 32 each.
int16_t EnsureRenderBuffers(int32_t outputs, int32_t inputs, int32_t scale);

void GetPluginGains(const ChannelRenderState* state, float* inputGain, float* wetGain, uint16_t* dryLevel);
void SetPluginGains(ChannelRenderState* state, float inputGain, float wetGain, uint16_t dryLevel);
// Renders the channel's chain into outputCount wet buffers: a bypassed chain passes its inputs
// on, a render state with its own procedure runs it, else the plug-in host renders the chain
// (RenderPluginChain) from the chain head, which sets *rendered (the half's ready byte) when a
// plug-in produced output or passed its input on.
void RenderChannelChain(ChannelRenderState* state, float* const* inputs, int32_t inputCount, float** outputs,
                        int32_t outputCount, int32_t frames, int32_t channels, uint8_t* rendered);

// Returns the block that now holds the channel's result: `source` unchanged without a render
// state (or without render buffers), else `output`.
void* RenderEngineChannel(EngineChannel* channel, void* source, void* output, int32_t frames, int32_t level,
                          int32_t half);

// The sample layout of a mix kind's output: bytes per sample (2, 3 or 4 for float) and
// channels per frame; false for a kind that is not supported.
bool MixKindOutputFormat(int32_t mixKind, int32_t frameChannels, int32_t* bytesPerSample, int32_t* channels);

// Float to integer conversion with saturation (NaN gives 0); *clip is set when it saturated.
int16_t SaturateToInt16(float value, bool* clip);
int32_t SaturateToInt24(float value, bool* clip);
