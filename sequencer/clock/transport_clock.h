// The transport clock: the one record through which the transport, the tick scheduler, MIDI
// input, the audio engine and the plug-in host share the song position, the tempo, the tick
// debt and the sync state. It is never stored, so it is a plain in-memory record.
//
// Threads: the clock's Time Manager task, the main thread, the MIDI read thread and the audio
// engine share it. The lock word is the only lock (TryLockClock / UnlockClock); the words that
// other threads set without the lock (flags, the lock itself, the hold count) are atomic, and
// requests from the main thread are flag bits consumed at the next tick.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/timing/time_manager.h"
#include "song/instruments/driver_procs.h"



// One scheduled note-off, in a pool of nodes on two lists.
struct NoteOffNode {
  NoteOffNode* next = nullptr;
  uint8_t note = 0;
  uint8_t status = 0;            // the note-on status that started the note
  uint8_t releaseVelocity = 0;   // 64: sent as a note-on with velocity 0
  uint8_t output = 0;            // port handed to the send procedure
  uint32_t dueCount = 0;         // dueCounter value at which the note ends
  DriverProcId send = kNoDriverProc;
  const void* owner = nullptr;   // the track (or other owner) that started the note
  void* processor = nullptr;     // real-time processor told of the note-off, or null
};

// One entry of the ring of note-offs for notes of zero length.
struct ImmediateNoteOff {
  uint8_t status = 0;
  uint8_t note = 0;
  uint8_t output = 0;
  uint8_t spare = 0;
  DriverProcId send = kNoDriverProc;
};

using TickRoutine = void (*)();
using ClockHookProc = void (*)();

constexpr int32_t kNoteOffPoolSize = 1024;
constexpr int32_t kImmediateOffRingSize = 128;
constexpr int32_t kRandomVelocityNotes = 128;
constexpr int32_t kRandomVelocityOffsets = 32;

// flags bits.
constexpr uint32_t kClockFlagExternalStart = 1u << 24;
constexpr uint32_t kClockFlagHalted = 1u << 25;
constexpr uint32_t kClockFlagStartBlocked = 1u << 26;
constexpr uint32_t kClockFlagLoopSong = 1u << 28;
constexpr uint32_t kClockFlagVarispeed = 1u << 29;
constexpr uint32_t kClockFlagStopAtCycle = 1u << 30;

// Lock owner codes.
constexpr int32_t kClockOwnerHolder = 1;
constexpr int32_t kClockOwnerStop = 3;

struct TransportClock {
  TMTask task;
  TickRoutine tickRoutine = nullptr;
  ClockHookProc syncCallback = nullptr;
  std::atomic<uint32_t> periodMicroseconds{10000};
  uint16_t periodFraction = 0;
  uint16_t fractionAccumulator = 0;
  uint32_t cycleStartTick = 0;
  uint32_t cycleStopTick = 0;
  std::atomic<uint32_t> flags{0};
  NoteOffNode* freeNoteOffs = nullptr;
  NoteOffNode* pendingNoteOffs = nullptr;
  std::atomic<bool> noteOffsPending{false};  // pendingNoteOffs != null, for readers without the lock
  uint32_t dueCounter = 0;
  Handle playingSong;
  Handle songList;   // the song-handle slot array (main thread: CacheSongListInClock)
  Handle firstSong;  // its first slot's song
  double secondsPerTick = 0.0;
  double samplePosition = 0.0;
  std::atomic<uint32_t> lock{0};
  int16_t tickDebt = 0;
  ClockHookProc tickHook = nullptr;
  std::atomic<uint32_t> songTick{0};
  uint16_t beatInBar = 0, beatsPerBar = 4, tickInBeat = 0, ticksPerBeat = 480;
  uint16_t tempo = 1100;
  uint32_t bar = 1;
  uint8_t countInBarsLeft = 0, countInHold = 0;
  uint16_t savedBeatInBar = 0, savedTickInBeat = 0;
  ClockHookProc clickCallback = nullptr;
  uint8_t playBits = 0, runBits = 0;
  int32_t midiClockCountdown = 0;
  int32_t midiClockGroup = 12;
  uint16_t firesSinceClock = 0;
  int16_t requestedTempo = 1100;
  DriverProcId midiClockSend = kNoDriverProc;
  uint8_t midiClockOutput = 0;
  uint16_t songPositionPointer = 0, receivedSongPosition = 0;
  uint16_t tempoScale = 2048;
  std::atomic<TimerUPP> installedProc{nullptr};
  uint16_t framesPerSecond = 30;
  uint16_t subframesPerSecond = 2400;
  uint32_t subframesPerMinute = 144000, subframesPerHour = 8640000;
  uint32_t subframeIncrement = 0;
  uint32_t frameAccumulator = 0;
  uint8_t timeCode[4] = {0, 0, 0, 0};  // hours, minutes, seconds, frames
  uint32_t stopAtTick = 0, stoppedAtTick = 0;
  uint32_t startTick = 0;
  std::array<uint8_t, kRandomVelocityNotes + kRandomVelocityNotes * kRandomVelocityOffsets>
      randomVelocityTable{};
  std::array<ImmediateNoteOff, kImmediateOffRingSize> immediateOffRing{};
  uint32_t immediateOffIndex = 0;
  uint32_t catchUpStamp = 0;
  int32_t maxDebt = 0, maxDebtTick = 0;
  uint32_t varispeedRate = 0x10000;
  uint32_t varispeedCheckStamp = 0;
  uint8_t noteOffBlock = 0;
  uint8_t syncRunning = 0, syncStarted = 0;
  uint8_t pollKeys = 0;
  std::atomic<uint8_t> holdCount{0};
  std::atomic<uint8_t> hostTimeValid{0};
  uint64_t hostTimeBase = 0;
  uint32_t hostTimeBaseTick = 0;
  std::array<NoteOffNode, kNoteOffPoolSize> noteOffPool{};
};

extern TransportClock gTransportClock;

// Ticks are 1-based; 64-bit 16.16 subframes of the song position in real time.
extern uint64_t gRealTimePosition;
