// The MIDI Machine Control sender: drives an external recorder when the machine-control sync
// source is selected (reset and set-up, locate, deferred play, record strobe and exit, stop,
// punch-in and punch-out events). Messages are assembled in a 64-byte buffer (bytes beyond
// it are dropped) and handed to the MMC output as one message record.
#pragma once

#include <cstdint>

#include "song/instruments/driver_procs.h"

constexpr int32_t kMmcBufferSize = 64;
constexpr uint8_t kMmcAllDevices = 127;
// The longest gap between two messages that the sender waits for.
constexpr uint32_t kMmcMaxGapMilliseconds = 1000;

// MMC commands.
constexpr uint8_t kMmcStop = 0x01;
constexpr uint8_t kMmcDeferredPlay = 0x03;
constexpr uint8_t kMmcRecordStrobe = 0x06;
constexpr uint8_t kMmcRecordExit = 0x07;
constexpr uint8_t kMmcReset = 0x0D;
constexpr uint8_t kMmcWrite = 0x40;
constexpr uint8_t kMmcLocate = 0x44;
constexpr uint8_t kMmcUpdateRate = 0x49;
constexpr uint8_t kMmcTimecodeCommand = 0x4B;
constexpr uint8_t kMmcEvent = 0x51;

// Settings.
extern uint8_t gMmcDeviceId;          // 0..126; 127 or more: all devices
extern uint8_t gMachineControl;       // set by sync source 4
extern int16_t gMmcEnabled;
extern uint8_t gMmcResetSent;
extern uint8_t gMmcRecording;         // the record state last sent
extern uint32_t gMmcMinGapMilliseconds;
extern uint64_t gMmcLastMessageMilliseconds;
extern int32_t gMmcOffsetFrames;      // subtracted from times sent "with offset"
extern DriverProcId gMmcOutputSend;   // the MMC output
extern uint8_t gMmcOutputPort;
// Punch range and state.
extern uint32_t gPunchInTick, gPunchOutTick;
extern uint8_t gPunchEnabled;
extern uint8_t gPunchedIn;

// Assembly.
void MmcBegin(bool broadcast);
int32_t MmcPutByte(uint8_t byte);
int32_t MmcPutCommand(uint8_t command);
int32_t MmcPutTime(uint32_t tick, bool timeOnly, bool withOffset);
void MmcEnd();
void MmcSendBuffer(const uint8_t* bytes, int32_t count);
// The message being assembled (tests and the dump).
const uint8_t* MmcBufferBytes(int32_t* length);

// Commands: each sends only when MMC is enabled and the machine-control byte is set.
void MmcResetOnce();
void MmcSetup();
void MmcLocate(uint32_t tick);
void MmcLocateAndPlay(uint32_t tick);
void MmcSetPunch(uint32_t in, uint32_t out);
void MmcRecord(bool on, bool force);
void MmcStop();
void MmcUpdatePunch();

bool IsPunchedIn();
bool GetPunchRange(uint32_t* in, uint32_t* out);
uint8_t GetMmcDeviceId();
bool IsMachineControlOn();
// Rate bits of the hours byte: 0x00 24, 0x20 25, 0x40 29.97 drop-frame, 0x60 30 frames.
uint8_t GetMmcRateIndex();
uint32_t GetSongTickNow();
// Milliseconds of the host clock, 64-bit (never wraps).
uint64_t GetMillisecondClock();
