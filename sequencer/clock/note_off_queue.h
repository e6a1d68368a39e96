// The clock's note-offs: the pool of scheduled note-offs sorted by due count, the ring of
// note-offs for notes of zero length, and velocity humanising.
// All of it runs with the clock lock held (or from the clock task) and never allocates.
#pragma once

#include <cstdint>

#include "sequencer/clock/transport_clock.h"
#include "song/instruments/driver_procs.h"

// Links every node of the pool onto the free list and empties the pending list and the ring.
void ResetNoteOffPool();
bool HasPendingNoteOffs();

// Schedules the end of a note length ticks on. live: after pending nodes with the same due
// count (notes played live); else before them. A length of 0 goes to the immediate ring.
// False (nothing scheduled: the note must not be played) when the pool is empty.
bool ScheduleNoteOff(uint32_t length, bool live, uint8_t status, uint8_t note,
                     uint8_t releaseVelocity, uint8_t output, DriverProcId send,
                     const void* owner, void* processor);

// One pass: counts the due counter up and sends the nodes that are due (status & 0x8F with
// the release velocity, 64 when a processor is set).
void AdvanceNoteOffQueue();
// The scheduler's pass: as above, but a release velocity of 64 or a processor sends the
// stored status with velocity 0.
void AdvanceNoteOffQueueForTick();
// While no clock task runs: advances the queue by the sixtieths elapsed (at most 500 passes).
void CatchUpNoteOffQueue();
int32_t FlushNoteOffsForTrack(const void* track);
void FlushNoteOffsForOwnerNone();
// Takes the lock (1); busy returns the lock result; else flushes the owner-less nodes.
int32_t FlushNoteOffsNow();
void FlushNoteOffsForOwner(void* processor, bool takeLock);
// Sends every pending note-off now, whoever owns it, and the immediate ring (lock held).
void FlushEveryPendingNoteOff();
// Takes the clock lock (1) and flushes every owner's note-offs; false when the lock is busy.
bool FlushEveryNoteOffOwnerLocked();
void ReleaseProcessorNotes(const void* owner, uint32_t tick);
void ReleaseProcessorNote(uintptr_t owner, uint8_t note, uint32_t tick);

void QueueImmediateNoteOff(uint8_t status, uint8_t note, uint8_t output, DriverProcId send);
void FlushImmediateNoteOffs();

// The random table's state word: bit 31 (kRandomTableTaken) is set when a value was taken
// from the table; the low 7 bits are the row the idle pass refreshed last. The clock thread
// and the main thread both change it, with atomic or/and only.
extern uint32_t gRandomVelocityUsed;
constexpr uint32_t kRandomTableTaken = 0x80000000u;
// The random table: 128 cursor bytes, then 128 rows of 32 values; row r holds values 0..r
// (the shell builds and refreshes it). Takes the value under row's cursor (0 for rows above
// 127) and advances that cursor modulo 32.
uint8_t PickRandomVelocity(uint32_t row);
// velocity & 127 plus the next value of the given row (the spread), clamped to 1..127.
uint8_t HumaniseVelocity(uint8_t row, uint8_t velocity);

// The controller-7 value for an output device (20 and 21 unchanged), scaled by the master
// level in 1/4096.
int32_t ScaleVolumeByMaster(int32_t value, uint8_t outputDevice);
