// What the stream decoders use of the audio-file and movie services (media): the file's
// description record, the sample-format classes and the decoders media owns. Media installs
// the table at start-up; an entry not installed gives the answer noted at it.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;

// The source file's description as the decoders read it.
struct AudioFileDescription {
  int32_t kind = 0;                    // above 3: compressed or movie source; 4: movie audio extraction
  const uint8_t* waveFormat = nullptr; // the WAVE format block, or none
  uint32_t waveFormatBytes = 0;
  uint8_t variableBitRate = 0;
  OSType fileType = 0;                 // ".mp3" for an MP3 file
};

// Classes of ClassifySampleFormat / ClassifyFileFormat.
constexpr int16_t kFormatClassForeign = 0;
constexpr int16_t kFormatClassUnsigned = 1;
constexpr int16_t kFormatClassSignedBig = 2;
constexpr int16_t kFormatClassFloat = 3;
constexpr int16_t kFormatClassLittle = 4;

using StreamDecodeProc = int16_t (*)(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag);

// A track's audio record as the stream preparation reads it: the source's sample format code,
// width (0: 16 bits), channel count (at least 1 is taken) and rate, its lists, the channel
// that plays it (set by the preparation) and the description of its file.
struct TrackAudioRecord {
  OSType format = 0;
  int16_t width = 0;
  int16_t channels = 0;
  float sampleRate = 0.0f;
  Handle regionList;
  Handle automationList;
  EngineChannel* channel = nullptr;
  const AudioFileDescription* description = nullptr;
};

struct StreamMediaHooks {
  // The current track's audio record when it is ready, else null.
  TrackAudioRecord* (*getActiveTrackAudio)();
  int16_t (*openMovieAudioExtraction)(EngineChannel* channel, const AudioFileDescription* description,
                                      int32_t budgetBytes);
  void (*closeMovieAudioExtraction)(EngineChannel* channel);
  StreamDecodeProc decodeOggStream;
  StreamDecodeProc decodeMovieAudio;
};
extern StreamMediaHooks gStreamMediaHooks;

// The engine's own sample-format classes. Interim until media owns it: the rules as the
// decoders rely on them.
int16_t ClassifySampleFormat(OSType format, int16_t width);
// 0 when the description carries a WAVE format, else ClassifySampleFormat (width 16 when a
// description is given).
int16_t ClassifyFileFormat(OSType format, int16_t width, const AudioFileDescription* description);
// Not installed: -4 (no movie extraction).
int16_t OpenMovieAudioExtraction(EngineChannel* channel, const AudioFileDescription* description,
                                 int32_t budgetBytes);
// Not installed: null.
TrackAudioRecord* GetActiveTrackAudio();
// Not installed: nothing.
void CloseMovieAudioExtraction(EngineChannel* channel);
// The decode procedure of an Ogg Vorbis channel: media's decoder (InstallOggStreamHooks). Without
// media (the engine alone) the block is silent and the answer is -4.
int16_t DecodeOggStream(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag);
