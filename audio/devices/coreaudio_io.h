// The host audio driver's IO procedures: they follow the driver state word, guard against
// being entered twice, skip warm-up cycles after a start, record the first host times, run
// the output render path (which copies the mixed block into the device buffers and wakes the
// engine thread) and stop their own device from inside the callback when asked to.
//
// Also the driver's output open, start and stop as the IO procedures need them (device
// lists, formats and the settings dialog come with the rest of the driver).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/coreaudio/audio_types.h"

struct AudioDriverOps;
struct EngineChannel;
struct AudioInput;

// The driver's timing record.
struct CoreAudioTiming {
  std::atomic<uint64_t> firstInputHostTime{0};
  std::atomic<uint64_t> firstInputNow{0};
  std::atomic<uint64_t> firstOutputHostTime{0};
  std::atomic<uint64_t> firstOutputNow{0};
  std::atomic<int64_t> firstOutputLead{0};       // output time - now
  std::atomic<int64_t> firstOutputSampleClock{0};
  double lastInputSampleTime = 0.0;
};

// One side's flags (index kSideOut or kSideIn): the device reported that it runs; this
// program asked it to start and has not yet seen it run; a stop was asked for.
struct DeviceSideFlags {
  std::atomic<uint8_t> running{0};
  std::atomic<uint8_t> startPending{0};
  std::atomic<uint8_t> stopPending{0};
};

struct CoreAudioIO {
  AudioDriverOps* driver = nullptr;
  std::atomic<AudioDeviceID> outputDevice{kAudioDeviceUnknown};   // the running output device
  std::atomic<AudioDeviceID> inputDevice{kAudioDeviceUnknown};
  std::atomic<bool> outputProcInstalled{false};
  // The procedure on the output device: AudioOutputProc, or AudioDuplexProc when input and
  // output are one device; AudioInputProc runs on a separate input device.
  std::atomic<AudioDeviceIOProc> outputProc{nullptr};
  std::atomic<bool> inputProcInstalled{false};
  std::atomic<int32_t> outputCount{0};
  DeviceSideFlags sides[2];
  std::atomic<AudioDeviceID> listened[2] = {kAudioDeviceUnknown, kAudioDeviceUnknown};  // by side
  std::atomic<int32_t> warmUp{0};          // negative: cycles still to skip
  std::atomic_flag outputGuard = ATOMIC_FLAG_INIT;
  std::atomic_flag inputGuard = ATOMIC_FLAG_INIT;
  std::atomic<uint32_t> reentries{0};
  std::atomic<uint32_t> outputCycles{0};   // cycles that ran the render path
  AudioInput* firstRecordInput = nullptr;
  AudioInput* firstDirectInput = nullptr;  // the first that records the program's own output
};
extern CoreAudioIO gCoreAudioIO;
extern CoreAudioTiming gCoreAudioTiming;

OSStatus AudioOutputProc(AudioDeviceID device, const AudioTimeStamp* now, const AudioBufferList* inputData,
                         const AudioTimeStamp* inputTime, AudioBufferList* outputData,
                         const AudioTimeStamp* outputTime, void* clientData);
OSStatus AudioInputProc(AudioDeviceID device, const AudioTimeStamp* now, const AudioBufferList* inputData,
                        const AudioTimeStamp* inputTime, AudioBufferList* outputData,
                        const AudioTimeStamp* outputTime, void* clientData);
OSStatus AudioDuplexProc(AudioDeviceID device, const AudioTimeStamp* now, const AudioBufferList* inputData,
                         const AudioTimeStamp* inputTime, AudioBufferList* outputData,
                         const AudioTimeStamp* outputTime, void* clientData);
// Copies armed record inputs of this driver whose direct-input flag equals `which` (0 input
// side, 1 the program's own output) from the buffers; the first error ends the walk and is
// latched. A second entry while the first runs returns 0 at once.
int32_t RecordInputDispatch(const AudioBufferList* inputData, const AudioTimeStamp* inputTime, AudioInput* first,
                            int32_t which, const AudioTimeStamp* now);

// The wildcard property listener: a device that stops by itself while playing, changes its
// rate away from the preferred rate or changes its physical format suspends audio and latches
// -128; overloads are counted (after 500 while priming, audio is suspended); an overload of
// the output device while its stop is pending (state 9) stops it from here.
OSStatus DevicePropertyListener(AudioDeviceID device, UInt32 channel, Boolean isInput, AudioDevicePropertyID property,
                                void* clientData);
extern std::atomic<uint32_t> gAudioOverloads;
extern float gPreferredSampleRate;

// Open: starts the engine thread (inline mixing when it cannot start), installs the IO
// procedures and the property listener, hands them the driver's channel list; state 2.
// Input and output on one device (or no output device) install only the duplex procedure;
// a separate input device gets the input procedure. warmUpCycles output cycles are skipped
// after each start.
int16_t OpenCoreAudioDevices(AudioDriverOps* driver, AudioDeviceID output, AudioDeviceID input,
                             int32_t warmUpCycles);
int16_t OpenCoreAudioOutput(AudioDriverOps* driver, AudioDeviceID device, int32_t warmUpCycles);
// Start: from idle (1) or just opened (2): starts the device; state 2.
int16_t StartCoreAudioOutput();
// Stop. Soft (force 0): state 1, the device keeps running and the procedure returns at once.
// Forced: state 9, the output procedure stops its own device at its next cycle; the main
// thread waits for that at most maxPolls x 50 microseconds, then stops the device itself.
// Ends in state 0. Returns the state reached before the final store (10 when the procedure
// stopped the device itself).
int32_t StopCoreAudioOutput(int32_t force, int32_t maxPolls);
// The driver's Stop: a non-zero mode (the engine holding its channels) leaves the devices as
// they are. Else soft, unless forced (audio suspended: quitting, sleep, device trouble, a
// settings change) or a device no longer runs; a forced stop ends in state 0 and clears the
// suspension.
int16_t StopAudioDevices(int32_t mode, int32_t force);
// Asks for the forced stop without waiting (state 9); FinishCoreAudioStop completes it.
void RequestCoreAudioStop();
int32_t FinishCoreAudioStop(int32_t maxPolls);
// Removes the IO procedures and the listeners and stops the engine thread.
void CloseCoreAudioOutput();
// Stops the input side; answers the state that follows: 9 while a separate output device
// still runs, else 10. On a device shared by input and output the stop waits the settings'
// stop delay (ticks) first and stops the whole device: main thread only on that path.
int32_t StopInputDevice();
// True when input and output are one device (the duplex procedure is installed on it).
bool SharedCoreAudioDevice();

// The host audio driver's record (driver id 19). Its Open takes the default output device;
// Start, Stop (StopAudioDevices with the suspension as force) and Close are the calls above.
extern AudioDriverOps gCoreAudioDriver;
