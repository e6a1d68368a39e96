// The arpeggiator's slots: eight slot images (a 34-byte header and eight patterns of 1088
// bytes, big-endian, the image the presets store) and one engine state for each.
//
// Slot header: +0 u16 version, +2 u32 pattern count, +6 u8 step index of the current pattern,
// +7 u8 first-cleared mark, +8 u8 panel shown (slot 0), +9 i8 note index direction, +10 u32
// ticks per quarter, +14 u8 low key, +15 u8 high key (0: no range), +16 u8 secondary step
// counter, +17 u8 current pattern, +18 u8 slot mask (presets), +19 u8 chain start, +20 u32
// remote data length (presets), +24 u32 link to the engine state (slot index + 1), +28 u8 run
// state, +29 u8 chord-scale flag (bit 0), +32 u8 selected slot (slot 0), +33 u8 octave byte.
//
// Pattern: +0 u16 step length in ticks, +2 u8 note-value code, +3 u8 step count (0: off), +4
// u8 direction mode (6: fixed keys), +5 u8 flags, +6 u8 choice, +7 u8 swing percent, +8 i8
// gate percent, +9 u8 secondary cycle, +10 u8 next pattern + 1, +11 u8 scale, +12 u8 range
// mode, +13 u8 velocity mode, +14 12 fixed keys, +31 u8 walk byte, +32 name, +64 the steps.
//
// Step (32 bytes): +0 i16 transpose, +2 i16 velocity, +4 i16 length code, +6 i16 note choice,
// +8 i16 own gate percent, +15 u8 flags, +20 u8 keys needed, +21 i8 key offset.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int32_t kArpSlotCount = 8;
constexpr int32_t kArpSlotHeaderBytes = 34;
constexpr int32_t kArpPatternBytes = 1088;
constexpr int32_t kArpPatternHeaderBytes = 64;
constexpr int32_t kArpStepBytes = 32;
constexpr int32_t kArpMaxPatterns = 8;
constexpr int32_t kArpMaxSteps = 32;
constexpr int32_t kArpSlotBytes = kArpSlotHeaderBytes + kArpMaxPatterns * kArpPatternBytes;

// Slot header.
constexpr int32_t kArpVersion = 0;
constexpr int32_t kArpPatternCount = 2;
constexpr int32_t kArpStepIndex = 6;
constexpr int32_t kArpClearedMark = 7;
constexpr int32_t kArpDirection = 9;
constexpr int32_t kArpResolution = 10;
constexpr int32_t kArpLowKey = 14;
constexpr int32_t kArpHighKey = 15;
constexpr int32_t kArpSecondaryStep = 16;
constexpr int32_t kArpCurrentPattern = 17;
constexpr int32_t kArpChainStart = 19;
constexpr int32_t kArpStateLink = 24;
constexpr int32_t kArpRunState = 28;
constexpr int32_t kArpChordScale = 29;

// Pattern header.
constexpr int32_t kArpStepLength = 0;
constexpr int32_t kArpNoteValue = 2;
constexpr int32_t kArpStepCount = 3;
constexpr int32_t kArpMode = 4;
constexpr int32_t kArpFlags = 5;
constexpr int32_t kArpSwing = 7;
constexpr int32_t kArpGate = 8;
constexpr int32_t kArpSecondaryCycle = 9;
constexpr int32_t kArpNextPattern = 10;
constexpr int32_t kArpRangeMode = 12;
constexpr int32_t kArpVelocityMode = 13;
constexpr int32_t kArpFixedKeys = 14;
constexpr int32_t kArpWalkByte = 31;

constexpr uint8_t kArpRestartOnStep = 0x01;  // chord restarts wait for the next step
constexpr uint8_t kArpLatch = 0x02;
constexpr uint8_t kArpScaleTable = 0x08;     // scale steps in the built-in table
constexpr uint8_t kArpSwingMirror = 0x10;    // odd pairs swing the other way
constexpr uint8_t kArpFixedKeyMode = 6;

// Step.
constexpr int32_t kArpStepTranspose = 0;
constexpr int32_t kArpStepVelocity = 2;
constexpr int32_t kArpStepLengthCode = 4;
constexpr int32_t kArpStepChoice = 6;
constexpr int32_t kArpStepGate = 8;
constexpr int32_t kArpStepFlags = 15;
constexpr int32_t kArpStepKeysNeeded = 20;
constexpr int32_t kArpStepKeyOffset = 21;

constexpr uint8_t kArpStepOwnGate = 0x04;
constexpr uint8_t kArpStepFixedKey = 0x08;

constexpr int16_t kArpLengthRest = 21;
constexpr int16_t kArpLengthTie = 22;
constexpr int16_t kArpLengthHold = 23;

// Run states (+28).
constexpr uint8_t kArpRunNormal = 0;
constexpr uint8_t kArpRunStarting = 1;   // waits for the restart tick
constexpr uint8_t kArpRunRestart = 2;    // the next pass ends every note and starts afresh

constexpr int32_t kArpReleaseRingSize = 64;
constexpr int32_t kArpShownKeys = 15;

// The engine state of a slot. The MIDI thread writes the played velocities, the learning
// state, the release ring and the requests; everything else is the clock task's.
struct ArpState {
  std::atomic<uint32_t> requests{0};
  uint32_t handled = 0;
  uint32_t ticksToNext = 0;
  uint16_t runningLength = 0, secondHalf = 0, firstHalf = 0, stepLength = 0;
  int32_t gate = 0;                       // subtracted from every note length
  uint32_t restartTick = 0;
  std::atomic<uint8_t> velocity[128] = {};  // as played, per key
  std::atomic<uint32_t> learning{0};      // 0 off, 1 learn the low key, 2 the high key
  std::atomic<uint32_t> pendingLevel{0};
  std::atomic<uint8_t> stopRequested{0};
  uint8_t chosen[129] = {};               // the held keys, sorted, ended by 0
  int32_t chosenCount = 0;
  uint8_t extended[129] = {};             // the same with their octave copies up to 127
  int32_t extendedCount = 0;
  uint8_t shownCount = 0;                 // the keys of the last step, in the order sent
  uint8_t shown[kArpShownKeys] = {};
  uint8_t releaseRing[kArpReleaseRingSize] = {};
  std::atomic<uint8_t> releaseWrite{0}, releaseRead{0};
  uint16_t heldChannels = 0;              // a held note (length 23) pending on channel n
  uint8_t heldKey[16] = {};
  uint8_t chainPattern = 0;               // the pattern of the chain that plays
  int32_t noteIndex = 0;                  // the held key a step of choice 0 plays
  bool restartChord = false;              // the next step starts the note index afresh
  int8_t walkIndex = 0, walkStep = 1, scaleBase = 0;
  uint8_t chordScale[16] = {};            // intervals above the chord's lowest key
  uint8_t chordScaleSize = 0;
};

// The slot images (null: the slot does not exist; slot 0 always exists).
extern uint8_t* gArpSlots[kArpSlotCount];
extern ArpState gArpStates[kArpSlotCount];
// The arpeggiator's global switch.
extern uint8_t gArpeggiatorSwitch;
// Ticks between a first key and the pattern's realignment (range mode 1).
extern uint32_t gArpRestartDelay;

// Creates slot index when missing (zero-filled, state cleared, marked first-cleared); null on
// failure or a bad index. Main thread.
uint8_t* NewArpSlot(int32_t index);
// Bit k set for every slot k that exists.
uint8_t ArpSlotMask();
// The slot of index (null when absent or out of range) and its engine state.
uint8_t* ArpSlotAt(int32_t index);
ArpState* ArpStateOf(const uint8_t* slot);
int32_t ArpSlotIndex(const uint8_t* slot);

// Pattern count (1..8), a pattern and a step of a slot.
int32_t ArpPatternCount(const uint8_t* slot);
uint8_t* ArpPattern(uint8_t* slot, int32_t pattern);
uint8_t* ArpStep(uint8_t* pattern, int32_t step);
int16_t ArpStepField(const uint8_t* step, int32_t offset);
// Step count of a pattern, 0 when it is off (no steps or no step length).
int32_t ArpActiveSteps(const uint8_t* pattern);

// What the arpeggiator window does for the engine (clock task: never block or allocate).
// showPattern: the pattern that plays after a realignment; showKeys: the keys of the step
// just sent (ArpState::shown). Filled by the arpeggiator window; null entries do nothing.
struct ArpWindowHooks {
  void (*showPattern)(int32_t slot, int32_t pattern);
  void (*showKeys)(int32_t slot);
};
extern ArpWindowHooks gArpWindowHooks;
