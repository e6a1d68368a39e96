// Engine preparation, start and stop: before the transport plays, the engine's channels are
// prepared on the devices they play through and the devices opened; Play starts every
// channel at the play position; Stop holds the channels for a quick restart or disposes them,
// stops the devices and reports the first error latched while playing.
#pragma once

#include <atomic>

#include <cstdint>

struct EngineChannel;
struct AudioDriverOps;

// Preparation kinds (chosen by the callers): 0, 5 and 7 also make the aux-bus channels and
// attach armed record inputs; 3 prepares without opening the devices; 0 and 1 leave the play
// state at 2, the others at 3.
constexpr int32_t kPrepareNoDevices = 3;

extern uint8_t gEnginePrepared;
extern EngineChannel* gEngineMainDevice;  // the main device's channel list
extern uint8_t gEngineDeviceState;        // bit 2: more than one device opened
constexpr uint8_t kSeveralDevicesOpen = 0x04;

// The words the engine keeps for the clock while it drives it. Interim: the transport's clock
// record takes them over.
// Set by preparation (clear for kind 5): each full mix cycle then clears the status word.
extern uint8_t gEngineDrivesClock;
extern std::atomic<uint16_t> gClockStatusWord;
// The samples of one beat at the engine's rate, at the tempo in force when playback was
// prepared.
extern uint32_t gEngineBlockPosition;
// The transport's record byte as the mix cycle reads it for punch-ins: set while the transport
// records.
extern std::atomic<uint8_t> gEngineSeesRecording;
// Clears the clock's status word while the engine drives the clock.
void ClearClockStatusWord();
// Samples of one beat: ticks per beat x the tempo table's entry (16.16 subframes per tick) /
// (subframes per second x 65536) x rate, rounded.
uint32_t BeatSamplesAtRate(int32_t ticksPerBeat, int32_t tempo, float rate);

// 0 or an error. Channels are made by the engine's channel set-up (audio tracks and
// instruments of the current song) and, until audio tracks exist, by a test-only source
// that claims slots before the call.
int16_t PrepareEnginePlayback(int64_t position, void* inputs, EngineChannel* channelArgument,
                              AudioDriverOps* device, int32_t kind);
// -50 when the channel has no device or no song, else the track preparation's result.
int16_t StartEngineAtPosition(EngineChannel* channel, int64_t position, int32_t kind);
// Mode 1 holds the channels in place (only while the engine is still needed and the
// transport's sign bit is clear); any other mode disposes them.
void StopAudioEngine(int32_t mode);
// Each device with channels gets its Stop call with the mode (the system going to sleep).
void StopOutputDevices(int32_t mode);

// The engine sample clock counts the main channel list's frames (down for a reverse channel).
void AdvanceEngineSampleClock(const EngineChannel* channel, int32_t frames);
void AddToSampleCount(int64_t* counter, int32_t frames);
// True while the current song needs the engine. Interim until record inputs exist: while any
// engine channel slot is in use, or the transport's song plays a plug-in device or has an
// audio track.
bool IsAudioEngineNeeded();
bool DiskQueueBusy();
// Stops the aux-bus channels, waits (at most half a second) until the sample clock has moved
// by more than a block, then disposes them.
void StopAuxBusChannels();
