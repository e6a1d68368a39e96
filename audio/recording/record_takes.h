// Audio takes: starting the record inputs of the armed audio tracks (the format rule that
// refuses a take, the record file, the buffers) and finishing them (the file completed and
// placed on its track as a region). Main thread; called through the engine's preparation and
// stop (gEnginePrepareHooks), or directly by a caller that records without the engine.
#pragma once

#include <cstdint>

#include "audio/engine/record_inputs.h"

// The transport's record span and mode for the take: the tick the take starts at and the one
// it is planned to end at (pre-allocation), and the replace flag (a take replaces the track's
// audio over its span). Set by the record pass before the engine is prepared.
extern uint32_t gAudioRecordStartTick;
extern uint32_t gAudioRecordEndTick;
extern uint8_t gAudioRecordReplace;
// The bar count the pre-allocation falls back to (capped at 200).
extern int32_t gAudioRecordBars;

// Starts every armed input of the list in order; 0 or the first error (56: the track refuses
// recording; 49: the take's format differs from the track's audible audio, refused before any
// file is made). After an error the inputs already started lose their files again and the
// sequencer ticks are halted.
int16_t StartAudioRecording();
// Starts one input on the current track: track audio prepared, file made with its header,
// buffers prepared; -4 (no driver), -128 (no file), or a file or memory error.
int16_t StartRecordInput(AudioInput* input);
// 49 when the current track's audible audio has another rate, sample size or channel count.
int16_t CheckTakeFormat(const AudioInput* input);
// Opens the write window of every started input: the IO procedures commit from now on.
void OpenRecordWindows();
// Ends one take on the current track; 0, -128 (nothing recorded: the file is deleted) or an
// error (the file keeps its audio and is reported).
int16_t FinishRecordInput(AudioInput* input);
// Ends the takes of every recording input, then goes back to the track that was current.
void FinishAudioRecording();
// The frames a take is moved by: the latency base and factor (unless direct) and the driver's
// input-to-output latency.
int32_t TakeLatencyFrames(AudioInput* input);
