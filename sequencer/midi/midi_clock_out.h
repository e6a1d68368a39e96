// MIDI clock and song position: sending clock, start, continue, stop and the song position
// pointer while the song plays, and following a received MIDI clock.
//
// Sending runs on the clock task (the countdown) and the main thread (start, phase). The
// receiving side runs on the MIDI read thread and writes the tick debt, the requested tempo and
// the song position without the clock lock; the sync task consumes them.
#pragma once

#include <cstdint>

// MIDI real-time codes.
constexpr uint8_t kMidiSongPosition = 0xF2;
constexpr uint8_t kMidiClock = 0xF8;
constexpr uint8_t kMidiStart = 0xFA;
constexpr uint8_t kMidiContinue = 0xFB;
constexpr uint8_t kMidiStop = 0xFC;

// MIDI clocks per song-position step (a sixteenth is six clocks; a group is two sixteenths).
constexpr int32_t kMidiClockGroup = 12;

// Set: the start follows the song position exactly (to the next sixteenth); clear: the start
// moves to the next bar.
extern uint8_t gSongPositionAlign;
// The countdown reload for the first clock after a start or continue.
extern int32_t gMidiClockReload;
// Tick of the received clock (advanced by every 0xF8).
extern uint32_t gMidiSyncTick;
// The MIDI preferences bit 3: received messages are stamped from their host time.
extern uint8_t gMidiHostTimeStamping;
// Set while tempo changes of a followed clock are recorded (with the transport running).
extern uint8_t gRecordTempoChanges;

// Ticks per sixteenth and per MIDI clock at the current resolution (at least 1).
int32_t TicksPerSixteenth();
int32_t TicksPerMidiClock();

// Sends one real-time byte (or the song position) through the clock's MIDI clock output.
void SendMidiRealtimeByte(uint8_t byte);
void SendSongPositionPointer(uint16_t sixteenths);

// Places the first clock of the next start: see the source for the two alignment rules.
void SetMidiClockPhase(int32_t ticksIntoStep, int32_t sixteenths);
// 0xFA when the song position is 0, else 0xFB; the countdown starts at the reload, and with
// no reload (a start on a step) the first 0xF8 goes out at once.
void SendMidiStartOrContinue();
// Counts one tick down and sends 0xF8 when it runs out: 24 clocks per quarter note whatever
// the meter (the reload is the resolution / 24, never the meter's beat).
void CountDownMidiClock();
// Slaved clock: counts one tick down and sends 0xF8 when it runs out (sync-flags bit 0x200).
void CountDownMidiClockOut();
// Stop: keeps the remaining count as the next reload and sends 0xFC.
void SendMidiStop();

// Follows one received real-time byte (or a song position's data byte). Returns 1 for a byte
// that is not part of the clock (a channel or system byte outside a song position), else 0.
int32_t ReceiveMidiClockByte(uint8_t byte);
// The sync input's pre-filter while MIDI clock is the sync source: follows a message's bytes
// (a song position with its data); non-zero for a message that is no part of the clock.
int32_t ReceiveMidiClockMessage(const uint8_t* bytes, int32_t count, uint32_t tick,
                                uint64_t hostNanos);
// The tick of the received song position plus the clocks into the current group.
uint32_t SongPositionToTick();
uint32_t GetMidiSyncTick();
// Forgets a song position in progress and the busy byte (start-up and tests).
void ResetMidiClockInput();
