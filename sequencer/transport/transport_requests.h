// The transport request byte: what the windows, keys and transport commands ask of the
// transport, and what the idle pass's follower (FollowTransportStateAtIdle) has started. The
// follower compares it with the byte it handled last and turns each change into a transport
// operation on the main thread.
//
// This byte is not the clock's flags word (sequencer/clock/transport_clock.h, whose bits 24-30
// are the clock's own state): it is a separate byte with these bits.
//   0x01 running       a pass runs, or play is asked for while stopped
//   0x02 stop request  stop the pass (the ticks are halted as well)
//   0x04 record        record request
//   0x08 locate        stop and locate request (the Return key)
//   0x10 cycle         play the range between the left and right locators
//   0x20 varispeed     the rate is changed while this is set
//   0x40 record block  no new record request is taken while set
//   0x80 record ask    with 0x40, asks for a record request
// The clock thread and the main thread both change it: whole-byte changes go through atomic
// or/and, so a bit set on one side is never lost by a write on the other.
#pragma once

#include <cstdint>

constexpr uint8_t kRequestRunning = 0x01;
constexpr uint8_t kRequestStop = 0x02;
constexpr uint8_t kRequestRecord = 0x04;
constexpr uint8_t kRequestLocate = 0x08;
constexpr uint8_t kRequestCycle = 0x10;
constexpr uint8_t kRequestVarispeed = 0x20;
constexpr uint8_t kRequestRecordBlock = 0x40;
constexpr uint8_t kRequestRecordAsk = 0x80;

uint8_t GetTransportRequestByte();
void SetTransportRequestBits(uint8_t bits);
void ClearTransportRequestBits(uint8_t bits);
// Keeps only the bits of mask.
void KeepTransportRequestBits(uint8_t mask);

// Play from the locate point when the transport is stopped.
void RequestTransportPlay();
// Stop a running pass: the ticks are halted at once, the follower ends the pass.
void RequestTransportStop();
// Record from the locate point.
void RequestTransportRecord();
