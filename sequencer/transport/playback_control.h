// Starting and stopping the clock for a pass, the cycle back to the play-start state, tempo
// changes while playing, the small record buffers the clock fills while recording, and the
// clock timer operations the transport uses.
//
// StartPlayback and StopPlayback run on the main thread. StopPlayback never waits for the
// clock's lock; when the clock task holds it, the task is first switched to the idle
// procedure (removing the task waits, bounded, for a fire in progress) and the lock is tried
// again with the bounded retries. Only a caller that took the lock ever releases it.
// RestorePlaybackSnapshot runs on the clock task with the lock held and never allocates: the
// snapshot's records are sized on the main thread when play starts.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/instruments/driver_procs.h"

// Set when the audio device drives the song position (audio-clock mode).
extern uint8_t gAudioClockMode;
// The clock's second sync byte: set while an external position is followed.
extern uint8_t gClockSecondSyncByte;
// Cycle mode: at the end of the play range playback returns to the play-start state.
extern uint8_t gCycleMode;
// Restarts made by the cycle (counted by RestoreTrackCursors).
extern uint32_t gCycleRestarts;
// Called after each cycle restart when set.
extern void (*gCycleRestartHook)();

// The sync mode in effect: the application's sync mode byte, with 0 (none chosen) taken as
// the internal Time Manager clock (1).
uint8_t GetClockSyncMode();

// Starts the clock at tick: the position before the first tick played (the song prepared
// there). startedBySync: the
// start came from an external source; withAudio: start the audio outputs too.
OSErr StartPlayback(uint32_t tick, bool startedBySync, bool withAudio);
// Stops the clock: note-offs of all songs, sustain off on all 16 channels of every output in
// use, MIDI stop. Returns the lock result (0 when the lock was had).
int32_t StopPlayback();

// Cycle: the play-start state of the playing song at tick (main thread), and the return to it
// at the end of the play range (clock task). Restore returns false (and stops playback) when
// there is no snapshot or cycle mode is off.
void SavePlaybackSnapshot(Handle song, uint32_t tick);
bool RestorePlaybackSnapshot();
void RestoreTrackCursors();
void DiscardPlaybackSnapshot();
// The tick scheduler's call at the end of the play range: RestorePlaybackSnapshot.
bool TryPlaybackCycle();

// Tempo: stores the clock's tempo and applies it scaled by the tempo factor (nothing more
// while varispeed is on).
void SetClockTempo(int32_t tempo);
// Applies a tempo (clamped to 120..4500) to the clock's period; the tempo field stays.
void ApplyTempo(int32_t tempo);

// The tempo record buffer: {count, capacity, handle of 6-byte entries {tick u32, tempo u16}}.
struct TempoRecordBuffer {
  uint32_t count = 0;
  uint32_t capacity = 0;
  Handle entries;
};
extern TempoRecordBuffer gTempoRecordBuffer;
constexpr int32_t kTempoRecordSize = 6;
constexpr OSErr kRecordBufferFullErr = -108;
// Allocates room for capacity entries (main thread); 0 capacity frees it.
OSErr SetTempoRecordCapacity(TempoRecordBuffer* buffer, uint32_t capacity);
// Appends {tick, tempo}; -108 when the buffer is full (the entry is dropped).
OSErr AppendTempoRecord(TempoRecordBuffer* buffer, uint32_t tick, uint16_t tempo);

// The system-exclusive record buffer: bytes between start and end, written at write.
struct RecordByteBuffer {
  uint8_t* write = nullptr;
  uint8_t* end = nullptr;
  uint8_t busy = 0;
};
// Copies the bytes when they fit and the buffer is not busy, under the clock lock. Returns
// the lock result (0) or -1 when they were not stored.
int32_t AppendRecordBytes(RecordByteBuffer* buffer, const uint8_t* bytes, uint32_t count);

// Plays a note now and schedules its note-off length ticks on (live input, step entry).
// Returns false when the lock was busy or no note-off node was free (nothing sent).
bool PlayNoteWithOff(void* processor, uint8_t status, uint8_t note, uint8_t velocity,
                     uint32_t length, DriverProcId send, uint8_t output, const void* owner,
                     bool takeLock);

// Timer operations.
void ShutDownClockTimer();
void ReinstallIdleClockTimer();
void ReinstallClockTimer(uint32_t tick);
void MarkPlayStart();
bool IsClockTimerOff();
bool IsClockTaskActive();
