// Moving recorded input from the device buffers into a record input's buffers, and each full
// buffer on to the disk thread; mixing into a bus pair.
#pragma once

#include <atomic>
#include <cstdint>

struct AudioInput;
struct EngineWorker;

// Channel count 1 for mono, else 2; pair >= 0 sets left = 2 x pair and right = 2 x pair + 1;
// a mono input records the right index.
void AssignRecordInputChannels(AudioInput* input, int32_t pair, int32_t channels, int32_t left, int32_t right);
// Device Float32 samples (left and right, each read with a stride of `stride` samples) to
// 16-bit (x 32768 truncated, clamped), interleaved for stereo, committed with CommitRecordBytes.
// The peaks are the largest magnitudes.
void WriteRecordInputFloat(AudioInput* input, const float* left, const float* right, int32_t stride,
                           int32_t frames, EngineWorker* worker);
// Commits `bytes` written at the input's write pointer (see the record input's rules: wait
// byte, window, active mark); a full buffer is posted for writing (code 8 to `worker`, or code
// 3 to the disk queue without one); a buffer whose previous write is pending latches -224.
void CommitRecordBytes(AudioInput* input, int32_t bytes, int32_t frames, int32_t peakLeft, int32_t peakRight,
                       EngineWorker* worker);
// Copies (replace) or adds interleaved stereo frames into `target`; peaks[0..1] get the largest
// magnitude a side; the clip flag is set when a peak reaches 1.0 (replace) or a sum reaches 1.0
// or falls below -1.0 (add).
void MixIntoBusPair(const float* source, float* target, uint8_t* clipFlag, float* peaks, int32_t frames,
                    bool replace);

// The transport's record start: set when a pass starts recording; the first commit clears it
// and stores the input's position and the engine's rate.
extern std::atomic<uint8_t> gRecordStartPending;
extern std::atomic<int64_t> gRecordStartPosition;
extern std::atomic<float> gRecordStartRate;
