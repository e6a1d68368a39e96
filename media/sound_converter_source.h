// A sample source for long operations that show the progress dialog: samples read straight
// from an audio file (integers widened to Float32 in place), or decoded by the Sound Converter
// from a media's compressed samples, and converted data written out to a file.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/quicktime/sound_converter.h"

// Fetches the media sample at `time` into `samples` (resized to it, at most maxSize bytes):
// its data size, its time, the duration per sample (-1: variable) and the number of samples.
using MediaSampleFetchProc = OSErr (*)(void* media, Handle samples, int32_t maxSize, int64_t time, int32_t* size,
                                       int64_t* sampleTime, int32_t* durationPerSample, int32_t* sampleCount);

// The Sound Converter's reference record of a media's sound.
struct ConverterMediaSource {
  ExtendedSoundComponentData data;  // what the fill procedure hands over (data.desc first)
  int32_t lastCount = 0;            // the sample count handed over last
  Handle samples = 0;               // receives the media samples
  void* media = nullptr;
  MediaSampleFetchProc fetch = nullptr;
  int64_t currentTime = 0;
  int64_t endTime = 0;
  uint8_t moreData = 1;
  int32_t maxSampleSize = 0;        // the largest sample fetched
  uint8_t compressed = 0;
  int32_t bytesPerPacket = 0;
};

// The source record, owned by the operation that installs the callbacks.
struct ConvertedSampleSource {
  int16_t inputFile = 0;    // fork read directly
  int16_t outputFile = 0;   // fork written
  OSType format = 0;        // of the direct file
  int16_t channels = 0;
  int16_t sampleSize = 0;   // bits
  SoundConverter converter = nullptr;
  ConverterMediaSource* media = nullptr;
  uint16_t bytesPerFrame = 0;
  int16_t lastError = 0;
  uint8_t useConverter = 0;  // 1: decoded through the Sound Converter; 0: the direct file
  int64_t bytesRead = 0;     // of the direct file, for the progress dialog
};

enum : int16_t { kTransferRead = 0, kTransferWrite = 1 };

// The Sound Converter's fill procedure: fetches the media's next sample and hands over its
// record; answers whether more data follows.
bool FillConverterBufferFromMedia(SoundComponentData** data, void* mediaSource);

// Mode 0 reads up to `frames` frames into the buffer and answers the frames obtained (the
// buffer holds frames x channels x 4 bytes for the widening to Float32); mode 1 writes
// `frames` bytes of the buffer to the output file and answers them; other modes answer 0.
// After an error the answer is 0 and the error is kept in the record.
int32_t TransferConvertedSamples(void* buffer, int16_t mode, int32_t frames, ConvertedSampleSource* source);
