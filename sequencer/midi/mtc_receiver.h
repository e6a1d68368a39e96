// The MIDI time-code receiver: quarter frames and full-frame messages from the sync input,
// assembled into a time code. A completed time code becomes the received position (subframes
// from the song's start) which the slaved clock follows through its tick debt while a pass
// runs, and which the transport locates to while stopped (FollowReceivedTimeCode).
//
// ReceiveMtcByte and the pre-filter run on the MIDI input thread. What the main thread reads
// is published through atomics: the last completed time code with its rate bits, and a count
// of completed time codes.
#pragma once

#include <atomic>
#include <cstdint>

#include "song/conductor/song_start_offset.h"

// The receiver's state bits.
constexpr uint8_t kMtcQuarterFrameInProgress = 0x01;
constexpr uint8_t kMtcInSysEx = 0x02;
constexpr uint8_t kMtcReceived = 0x08;
// A quarter-frame time code is complete two frames after its first piece was sent; the
// position is taken 1.75 frames ahead of the decoded time.
constexpr uint32_t kMtcQuarterFrameLead = 140;
// A jump of more than this many subframes (about half a frame) is a jump, not a drift.
constexpr int32_t kMtcJumpSubframes = 39;
constexpr uint8_t kMtcDefaultJumpLimit = 4;
// Set while the clock waits for the reference to start.
constexpr int16_t kSyncDebtWait = -1000;

// A completed time code: hours (bits 5-6 the rate type), minutes, seconds, frames, and
// whether it came from quarter frames (ahead by kMtcQuarterFrameLead) or a full frame.
struct ReceivedTimeCode {
  TimeCodeRecord record;
  uint8_t rateCode = 3;  // 0 24, 1 25, 2 29.97 drop-frame, 3 30 frames per second
  bool fromQuarterFrames = false;
};

extern uint8_t gMtcState;
extern uint8_t gMtcJumpLimit;  // the configured jump limit
// The received position in subframes from the song's start (-1: none), for the clock.
extern std::atomic<int64_t> gMtcReceivedPosition;

// One byte from the sync input: answers whether the receiver took it.
bool ReceiveMtcByte(uint8_t byte);
// The sync input's pre-filter for the time-code sources: time code and real-time bytes stop
// here, anything else goes on to the processors.
int32_t ReceiveMtcMessage(const uint8_t* bytes, int32_t count, uint32_t tick, uint64_t hostNanos);
// The received reference position becomes the clock's tick debt (clock and MIDI threads).
void SetSyncDebtFromSubframes(int64_t subframes);
// Starts following the reference: the clock waits for it with the jump count restarted.
void StartMtcFollow();
// The jump limit in force until the next exact match (the configured one comes back then).
void SetMtcJumpLimitNow(uint8_t limit);
// Adds a quarter frame (20 subframes) to the received position when one is set.
void AdvanceReceivedPosition();

// Main thread: the number of time codes completed so far and the last of them. Answers false
// when none was completed since count was taken.
bool TakeReceivedTimeCode(uint32_t* count, ReceivedTimeCode* out);
// The subframes from the song's start of a received time code at the program's frame rate
// (the caller applies the received rate first), with the quarter-frame lead; never below 0.
int64_t ReceivedTimeCodeSubframes(const ReceivedTimeCode& tc);
// Clears the receiver (tests and a change of sync source).
void ResetMtcReceiver();

struct MidiMessage;
// A stored message's data bytes (its length byte less the 6-byte header; a length that does
// not fit the record is taken as no bytes) handed one by one to ReceiveMtcByte, or to
// ReceiveMidiClockByte; stops early at a byte that is not taken (for time code, one taken
// by no system-exclusive message being collected). Answers the bytes taken.
int32_t ParseMtcPacket(const MidiMessage& packet);
int32_t ParseMidiClockPacket(const MidiMessage& packet);
