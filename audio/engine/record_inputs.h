// Record inputs: the AudioInput record of each record-enabled audio track (its device, channels
// and format, its record file and write buffers, its take), and what the IO procedures do with
// it: each cycle an armed input's channels are copied out of the device's input buffers into
// its record buffer (16-bit, 24-bit or Float32, all big-endian as the record file's header
// says), or, while it does not record, measured for its level meters. The list, its set-up and
// the takes are audio/recording's (record_input_list.h, record_takes.h). In memory only.
#pragma once

#include <cstdint>

#include "audio/engine/engine_channels.h"
#include "platform/coreaudio/audio_types.h"
#include "platform/files/files.h"

constexpr int32_t kRecordErrTimeWentBack = 68;
constexpr int32_t kRecordErrChannelMissing = 106;
constexpr int32_t kRecordErrBufferFull = -224;
constexpr int32_t kRecordErrChannelRange = 110;

struct EngineChannel;

constexpr int32_t kRecordBufferCount = 8;

struct AudioInput {
  AudioInput* next = nullptr;
  int32_t leftChannel = 0;     // device channel index over all input buffers
  int32_t rightChannel = 1;
  uint32_t skipFrames = 0;
  int64_t framePosition = 0;
  int32_t latencyOffset = 0;
  float sampleRate = 44100.0f;
  uint8_t* writePointer = nullptr;  // null while not recording
  uint8_t* writeEnd = nullptr;      // end of the record buffer
  int32_t levelLeft = 0;
  int32_t levelRight = 0;
  int32_t peakLeft = 0;             // of the last block written (magnitude)
  int32_t peakRight = 0;
  uint16_t channels = 1;
  uint16_t sampleBits = 16;
  uint8_t hasArmedTracks = 0;
  uint8_t directInput = 0;
  uint8_t armed = 0;
  uint8_t levelPending = 0;
  uint8_t deviceId = 19;
  EngineChannel* channelLink = nullptr;  // the engine channel this input feeds
  double lastSampleTime = 0.0;

  // Record commits (record_input_commits): the record buffers, one write request each, the
  // record window and the peaks since they were last read.
  uint8_t* buffers[kRecordBufferCount] = {};
  int32_t bufferCount = 0;
  int32_t bufferBytes = 0;          // the buffers' common size
  int32_t currentBuffer = 0;
  ForkIORequest writeRequests[kRecordBufferCount];
  int64_t filePosition = 0;
  int64_t windowStart = 0;
  int64_t windowEnd = 0;
  int64_t position = 0;
  int32_t maxPeakLeft = 0;
  int32_t maxPeakRight = 0;
  uint8_t peaksTracked = 0;
  uint8_t waitForRecord = 0;        // commits wait for the transport's record byte to clear
  uint32_t stopWord = 0;
  uint8_t activeMark = 0;

  // The take (audio/recording): device buffer bytes (frames x bytes per sample x channels),
  // bytes written, the record start and the two punch positions (samples), the sample format
  // code ('fl32', 'in24' or 'NONE'), the record file and its fork (0 while closed), the data
  // offset after its header, the input channel (0xFFFF none) and the track's index.
  uint32_t deviceBufferBytes = 0;
  uint64_t bytesWritten = 0;
  uint64_t recordStart = 0;
  uint64_t punchPositions[2] = {0, 0};
  int32_t lastError = 0;
  uint32_t formatCode = 0;
  uint8_t firstOfStart = 0;
  uint32_t dataOffset = 0;
  int16_t fork = 0;
  uint16_t inputChannel = 0xFFFF;
  uint16_t trackIndex = 0;
  FSSpec file{};
  int16_t scriptCode = -1;
  uint8_t recording = 0;
  uint8_t fileOpen = 0;  // the take's file exists (created by this input)
};

// The most audio bytes a take records (AIFF headers and regions count bytes in 32 bits): the
// take stops there, complete.
constexpr uint64_t kMaxRecordedBytes = 0xFFFFFFFFull - 0x1000;

// Bytes of one sample of a record input's width: 4 above 24 bits, 3 above 16, else 2.
int32_t RecordSampleBytes(int32_t sampleBits);

// The record inputs of the song, in order (owned by audio recording).
extern AudioInput* gRecordInputs;

// 0, 68 (the input's sample time went back by more than a buffer while recording), 106 (a
// channel outside the input buffers or a buffer too short) or -224 (no room left in the
// record buffer: nothing is written past its end).
int32_t CaptureRecordInput(const AudioBufferList* inputData, const AudioTimeStamp* inputTime, AudioInput* input,
                           uint32_t frames);
// The two level words (low 16 bits); clears the level-pending byte.
void ReadInputLevels(AudioInput* input, uint16_t* left, uint16_t* right);
