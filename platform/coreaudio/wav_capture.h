// Writing what a device plays to a 32-bit float WAV file: the device thread pushes frames
// into a lock-free ring, a writer thread of the session moves them to PATH.part, and the end
// of the session writes the final header and renames the file to PATH.
#pragma once

#include <string>

#include "platform/coreaudio/audio_types.h"

struct CaptureSession;

struct CaptureTotals {
  UInt64 framesWritten = 0;
  UInt64 framesDropped = 0;
  OSStatus error = 0;
};

// Opens PATH.part and starts the writer; null with *error set when the file cannot be made
// (-120 folder missing, -36 anything else).
CaptureSession* BeginCapture(const std::string& path, UInt32 channels, UInt32 sampleRate, OSStatus* error);
// Device thread: queues interleaved frames; frames that do not fit are counted as dropped.
void PushCaptureFrames(CaptureSession* session, const float* frames, UInt32 count);
// Frames written and dropped so far (any thread).
CaptureTotals PeekCaptureTotals(const CaptureSession* session);
// Ends the session (no pushes may follow): drains the ring, finishes the file, frees the
// session. Waits for the writer at most a few seconds.
CaptureTotals FinishCapture(CaptureSession* session);
