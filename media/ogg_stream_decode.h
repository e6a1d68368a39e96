// Streaming an open Ogg Vorbis stream block by block: the player's streaming context, whose
// two data buffers (the raw file bytes the disk side reads, used alternately) feed the
// reader through ReadOggBuffered, and the decoding of one block of audio (DecodeOggChunk).
// The engine reaches it as the decode procedure of an Ogg Vorbis channel
// (gStreamMediaHooks.decodeOggStream), for the channel attached to the stream.
#pragma once

#include <vorbis/vorbisfile.h>

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;

constexpr OSErr kOggStreamErr = -50;

struct OggStreamContext {
  OggVorbis_File stream;
  uint8_t streamOpen = 0;
  int16_t fork = 0;                          // the stream's data source
  uint8_t* buffers[2] = {nullptr, nullptr};  // the file's bytes, used alternately
  uint8_t readIndex = 0;                     // the buffer being read
  int32_t readPosition = 0;                  // in it
  int32_t bufferSize = 0;
  int8_t emptiedIndex = -1;                  // the buffer just emptied, for the disk side to refill
  uint8_t switched = 0;                      // a decode went on into the other buffer
  uint8_t firstDecodeDone = 0;
  int64_t remainingItems = 0;                // what the reader may still be handed
  float ratio = 1.0f;                        // resampling ratio; 1.0: none
  int16_t bytesPerSample = 2;                // of the decoded samples: 2, or 4 for the resampler's floats
  uint8_t* resampleBuffer = nullptr;
  int32_t resampleBytes = 0;
};
extern OggStreamContext gOggStream;
// The channel whose decode procedure reads gOggStream (null: none).
extern EngineChannel* gOggChannel;

// The reader's read callback while a player streams: takes the bytes from the context's
// buffers (the source argument is not used).
size_t ReadOggBuffered(void* buffer, size_t size, size_t count, void* source);

// Fills one block from the open stream: straight into the destination for `blockBytes`
// without resampling, else into the resampling buffer for its size. `decoded` is set when
// samples came; `atEnd` when the stream ended (the rest of the block is silence). 0, or -50
// for a stream error.
OSErr DecodeOggChunk(OggStreamContext* context, uint8_t* decoded, void* destination, int32_t blockBytes,
                     uint8_t* atEnd);

// Attaches a channel to the open stream: its input halves become the data buffers, its
// resampling step the ratio and its work buffer the resampling buffer.
void AttachOggChannel(EngineChannel* channel, int64_t streamBytes);
// The decode procedure of an Ogg Vorbis channel: -50 and a silent half for a channel that is
// not attached; the resampler's result otherwise.
int16_t DecodeOggChannel(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag);

// Installs the engine's Ogg decoder entry. Called by InstallMediaHooks.
void InstallOggStreamHooks();
