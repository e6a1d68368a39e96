// Inside the audio hardware layer: the device record that every backend fills, the backend
// procedures, and the routines the layer's files share. Not for use outside platform/coreaudio.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/coreaudio/audio_output_mix.h"
#include "platform/coreaudio/audio_types.h"
#include "platform/threads/word_waits.h"

enum AudioBackendKind : UInt8 { kBackendNull, kBackendJack, kBackendAlsa };

constexpr int kSideOutput = 0;
constexpr int kSideInput = 1;
inline int SideIndex(Boolean isInput) { return isInput ? kSideInput : kSideOutput; }

constexpr UInt32 kMaxIOProcsPerDevice = 16;
constexpr UInt32 kMaxOutputContributors = 8;
// Longest time a non-real-time caller waits for a device thread (a buffer boundary, a
// thread's end) before it gives up.
constexpr UInt64 kDeviceWaitNanos = 2000000000ull;

enum : UInt32 { kSlotFree = 0, kSlotClaimed = 1, kSlotInstalled = 2 };

// An IO procedure slot, read without locks by the device thread. proc and clientData change
// only while the slot is not installed; a freed slot is reused only after a buffer boundary.
struct IOProcSlot {
  std::atomic<UInt32> state{kSlotFree};
  std::atomic<AudioDeviceIOProc> proc{nullptr};
  std::atomic<void*> clientData{nullptr};
  std::atomic<bool> started{false};
  std::atomic<bool> streamOn[2] = {true, true};  // one stream per side
};

struct ContributorSlot {
  std::atomic<UInt32> state{kSlotFree};
  std::atomic<AudioOutputContributorProc> proc{nullptr};
  std::atomic<void*> context{nullptr};
};

struct AudioDeviceRecord;

// What a backend does for the layer. All run off the real-time thread with the device's
// mutex held; a null slot means "not supported".
struct AudioBackendOps {
  // Starts the device's thread or stream so that cycles run; the device has work.
  OSStatus (*startHardware)(AudioDeviceRecord* device);
  // Stops it; waits for the device thread at most kDeviceWaitNanos.
  void (*stopHardware)(AudioDeviceRecord* device);
  // Validates and applies a rate or a buffer size (the record is updated by the caller).
  OSStatus (*setSampleRate)(AudioDeviceRecord* device, Float64 rate);
  OSStatus (*setBufferFrames)(AudioDeviceRecord* device, UInt32 frames);
  // Latency of a side in frames, asked when 'ltnc' is read.
  UInt32 (*latencyFrames)(AudioDeviceRecord* device, int side);
};

struct AudioDeviceSide {
  UInt32 channels = 0;
  std::vector<std::string> channelNames;  // one per channel (UTF-8)
  std::string category;                   // 'lccn' of every channel of the side
  std::vector<std::pair<UInt32, std::string>> dataSources;
};

// One device. Records live for the whole run (ids are never reused); backends fill the
// description at discovery and keep their own state behind backendState.
struct AudioDeviceRecord {
  AudioDeviceID id = kAudioDeviceUnknown;
  AudioBackendKind kind = kBackendNull;
  const AudioBackendOps* ops = nullptr;
  std::string key;   // stable, unique: the 'uid ' answer
  std::string name;  // 'lnam'
  UInt32 transport = kAudioDeviceTransportTypeVirtual;
  AudioDeviceSide sides[2];
  std::vector<std::pair<UInt32, std::string>> clockSources;
  std::vector<Float64> rates;  // the nominal rates offered
  bool rateFollowsServer = false;  // offers only its current rate (JACK)
  std::atomic<UInt32> minFrames{32};
  std::atomic<UInt32> maxFrames{4096};
  UInt32 capacityFrames = 4096;  // the cycle buffers' size in frames

  std::atomic<Float64> sampleRate{44100.0};
  std::atomic<UInt32> bufferFrames{512};
  std::atomic<UInt32> dataSource{0};  // input side
  std::atomic<UInt32> clockSource{0};
  std::atomic<bool> alive{true};
  std::atomic<bool> listed{false};  // appears in 'dev#'

  // Serialises every caller but the device thread (which never locks).
  std::mutex mutex;
  bool hardwareRunning = false;  // under mutex

  IOProcSlot procs[kMaxIOProcsPerDevice];
  ContributorSlot contributors[kMaxOutputContributors];
  std::atomic<bool> running{false};       // 'goin'
  std::atomic<UInt64> cycleSequence{0};   // odd while a cycle runs
  std::atomic<bool> idleNoticePosted{false};

  // Cycle buffers, interleaved, capacityFrames long (allocated at discovery).
  std::vector<float> inputBuffer;
  std::vector<float> outputMix;
  std::vector<float> procScratch;
  std::vector<float> contributorLeft;
  std::vector<float> contributorRight;

  void* backendState = nullptr;
};

// ---- registry (device_registry.cpp)
// Starts the layer when needed (null device, notification thread, first discovery).
void EnsureAudioHardware();
AudioDeviceRecord* FindAudioDevice(AudioDeviceID id);
// Creates the record for a key, or answers the one made earlier in this run (same id).
AudioDeviceRecord* ObtainAudioDevice(const std::string& key, AudioBackendKind kind);
// Sizes the cycle buffers for capacityFrames and the side channel counts.
void AllocateCycleBuffers(AudioDeviceRecord* device);
// Reads the backends again and answers the listed devices in system order.
std::vector<AudioDeviceRecord*> RefreshAudioDevices();
std::vector<AudioDeviceRecord*> AllAudioDevices();

// ---- IO procedures and hardware (io_procs.cpp)
// True while a procedure is started or a contributor is installed.
bool DeviceHasWork(const AudioDeviceRecord* device);
// Starts or stops the hardware to match DeviceHasWork; device mutex held.
void SyncDeviceHardware(AudioDeviceRecord* device);
// Stops every procedure of a device that died ('goin' notification when it ran).
void StopAllDeviceProcs(AudioDeviceRecord* device);
// Waits (bounded) until the device thread is between cycles; at once on the device thread.
void WaitForCycleBoundary(AudioDeviceRecord* device);
// True on the thread that is running a cycle of this device, or of any device.
bool OnDeviceThread(const AudioDeviceRecord* device);
bool OnAnyDeviceThread();
// The notification thread's answer to an idle notice: stops hardware that has no work.
void HandleDeviceIdleNotice(AudioDeviceRecord* device);
// Clears every procedure and contributor slot (unload).
void ClearDeviceSlots(AudioDeviceRecord* device);

// ---- the cycle (io_cycle.cpp), real-time
struct IOCycleTimes {
  AudioTimeStamp now;
  AudioTimeStamp input;
  AudioTimeStamp output;
};
// A time stamp with sample and host time valid and rate scalar 1.
AudioTimeStamp MakeTimeStamp(Float64 sampleTime, UInt64 hostTime);
// One device buffer: the backend has filled inputBuffer; runs the started procedures and
// the contributors; leaves the device output in outputMix (zeroed first). Answers true when
// anything played. Posts the idle notice when nothing did and the backend stops when idle.
bool RunIOCycle(AudioDeviceRecord* device, UInt32 frames, const IOCycleTimes& times);

// ---- notifications (notifications.cpp)
enum AudioNoticeKind : UInt8 {
  kNoticeProperty,      // deliver to listeners
  kNoticeDeviceIdle,    // a device thread found nothing to play: stop the hardware
  kNoticeBackendDied,   // a backend lost its server: clean up off the real-time thread
};
// Lock-free, callable from real-time threads; a full queue drops the notice.
void PostAudioNotice(AudioNoticeKind kind, AudioDeviceID device, AudioDevicePropertyID property,
                     Boolean isInput, UInt32 channel);
// A property notice for both sides.
void PostDevicePropertyNotice(AudioDeviceID device, AudioDevicePropertyID property);
void StartNotificationThread();
void StopNotificationThread();
bool OnNotificationThread();

// ---- threads and clocks (realtime_threads.cpp)
// Duration of frames at a whole-number rate, exact to the nanosecond however long the run.
UInt64 NanosForFrames(UInt64 frames, Float64 rate);
// Asks for SCHED_FIFO at the priority for the calling thread; prints one note per run when
// the system refuses, and the thread goes on at normal priority.
void PromoteToRealtime(int priority);
// Sleeps until the CLOCK_MONOTONIC deadline in nanoseconds.
void SleepUntilNanos(UInt64 deadline);

// ---- backends
void CreateNullDevice();
void StopNullDevice();  // at unload
void DiscoverJackDevice();  // opens a client when a server runs
void HandleJackDeviceDied(AudioDeviceRecord* device);
void CloseJackDevice();  // at unload
void DiscoverAlsaDevices(std::vector<AudioDeviceRecord*>* found);
