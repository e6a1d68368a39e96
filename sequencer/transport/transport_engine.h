// The transport: turns Play, Stop and locate requests into clock operations. It prepares the
// song for a pass, decides how the clock starts for the sync source, keeps the locate, cycle
// and stop points, and runs the end-of-song and follow-up work on the main thread through a
// small stack of idle tasks. Main thread only; everything it hands to the clock goes through
// the transport clock record, and the transport flags word is changed with atomic or/and
// because the clock task sets its bits too.
//
// Ticks are 1-based: Play (tick) plays tick first.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// A locate point: tick, a sub-tick offset, and the position factor.
struct LocatePoint {
  uint32_t tick = 1;
  uint64_t offset = 0;
  float factor = 1.0f;
};
constexpr float kDefaultPositionFactor = 1.0f;

extern LocatePoint gLocatePoint, gCycleStartPoint, gCycleStopPoint;

// Transport flags word bits (gTransportFlagWord).
constexpr uint32_t kTransportCountInOrCycle = 0x01;
constexpr uint32_t kTransportCycleArmed = 0x02;
constexpr uint32_t kTransportStopPointReached = 0x04;
constexpr uint32_t kTransportCycleRestarted = 0x08;
constexpr uint32_t kTransportEndOfSong = 0x10;
constexpr uint32_t kTransportCycleRestarted2 = 0x20;
constexpr uint32_t kTransportConductorVolume = 0x40;
void SetTransportFlagBits(uint32_t bits);
void ClearTransportFlagBits(uint32_t bits);

// The song the transport plays (0: the current song).
extern Handle gTransportSong;
// That song: gTransportSong, else the current song.
Handle TransportSong();
// Count-in settings in bars (0: none) for play and for record.
extern uint8_t gCountInBars, gRecordCountInBars;
// The end-of-song deadline in TickCount units (0 none) and the preroll time: how long a pass
// that waits for its external reference waits before it stops.
extern uint32_t gEndOfSongDeadline, gPrerollTicks;
constexpr uint32_t kDefaultPrerollTicks = 600;  // ten seconds
// Set while a pass runs (Play to Stop).
extern uint8_t gTransportRunning;

void Play(uint32_t tick);
OSErr StartTransport(uint32_t tick, bool fromUser);
OSErr PrepareSongForPlay(uint32_t tick);
void LocateForSync(int32_t mode);
// The Stop command (transport_stop.cpp): machine control, the clock, the audio engine, the
// plug-in devices and the movie stop; the record pass ends and what it recorded is merged;
// the pass's idle tasks run out; with relocate the locate point becomes the song position.
// Stopped already, it only shows the state again.
void StopTransport(bool relocate);

void SetLocatePoint(uint32_t tick);
// While stopped, the clock's bar, beat and tick (and meter) show the located song tick.
void ShowLocateInClock(uint32_t tick);
// The user's locate while stopped: the clock shows it and, with machine control, the recorder
// is wound there.
void StoreClockLocatePosition(uint32_t tick);
void SetCycleStart(uint32_t tick);
void SetCycleStop(uint32_t tick);
// Cycle on or off (the cycle start and stop points bound the play range).
void SetCycleMode(bool on);
// The cycle mode from the clock: on while the loop bit goes with transport-flags bit 1, or
// the stop-at bit with transport-flags bit 0 (the engine's preparation asks it first).
void UpdateCycleMode();
// Locates to a time in subframes (a negative time locates to tick 1).
void LocateToTimecode(int64_t subframes, float factor);

// Count-in: fills the clock's count-in bars from the setting (the movie gap is not made).
void PrepareCountIn();
void PrepareCountInForRecord();

// Idle tasks: 8 slots; the top one runs as the transport's idle task.
using IdleTaskProc = void (*)();
constexpr int32_t kIdleTaskSlots = 8;
constexpr int16_t kIdleTaskStackErr = 2;
// Most rounds DrainIdleTasks makes.
constexpr int32_t kMaxIdleDrainRounds = 64;
extern int16_t gIdleTaskError;
void PushIdleTask(IdleTaskProc proc);
void PopIdleTask();
// Runs the top task; true (without running it) when it is the one already running.
bool RunIdleTask(bool refresh);
// Runs the top task until the stack is empty, a task re-enters, or a round changes nothing
// (a task that waits for the pass to end stays on the stack). Bounded by kMaxIdleDrainRounds.
void DrainIdleTasks();
void ReportIdleTaskError();
int32_t IdleTaskDepth();
IdleTaskProc TopIdleTask();

// The idle task of a pass: acts on the end of the song and the deadline, pops itself when
// the clock has stopped.
void EndOfSongTask();

// Starts with the external reference: prepares the audio engine at the locate point and, when
// that succeeds, starts the audio outputs.
void ResumeAtLocatePoint();
// Follows a received song position while the transport waits for an external start: the
// locate point and the clock's counters move to it when it changed.
void SyncLocateToSongPosition();

bool IsCycleOrRecordArmed();
bool IsCycleOrStopArmed();
bool IsSyncMode(uint8_t mode);
bool IsMidiSyncMode();
bool IsTimecodeSyncMode();
