// The audio driver interface: one record of 22 operations per driver, which is also the entry
// of the engine's device list, and the driver state word shared by the IO procedures, the
// driver's operations and its property listener.
#pragma once

#include <atomic>
#include <cstdint>

struct EngineChannel;

constexpr uint8_t kDriverIdCoreAudio = 19;
constexpr uint8_t kDriverIdSoundManager = 13;
constexpr uint8_t kDriverFlagActive = 0x01;
constexpr uint8_t kDriverFlagInputAvailable = 0x02;

struct AudioDriverOps {
  int16_t (*Init)(char* startupString) = nullptr;                      // 0
  int32_t (*CountInputDevices)() = nullptr;                            // 1
  int32_t (*CountOutputPairs)() = nullptr;                             // 2
  void (*ReadInputLevels)(void* input, uint16_t* left, uint16_t* right) = nullptr;  // 3
  int32_t (*GetBufferFrames)() = nullptr;                              // 4
  int16_t (*ApplyDeviceFormat)(int32_t flag) = nullptr;                // 5
  int16_t (*Open)(EngineChannel* list) = nullptr;                      // 6
  int32_t (*Nothing7)() = nullptr;                                     // 7
  int16_t (*Start)() = nullptr;                                        // 8
  int16_t (*Stop)(int32_t mode) = nullptr;                             // 9
  void (*GetSampleRates)(void* rateRecord) = nullptr;                  // 10
  int16_t (*GetSampleFormats)(void* formatRecord) = nullptr;           // 11
  int32_t (*GetIOLatency)(void* input) = nullptr;                      // 12
  int32_t (*RunSettingsDialog)(void* dialogRecord) = nullptr;          // 13
  int32_t (*PassValue14)(int32_t value) = nullptr;                     // 14
  void (*ArmRecordInput)(void* input) = nullptr;                       // 15
  int16_t (*SetRecordInputChannels)(void* input, int32_t channel, int32_t stereo) = nullptr;  // 16
  int32_t (*SetPlayRate)(int32_t rate) = nullptr;                      // 17
  int32_t (*Close)() = nullptr;                                        // 18
  void* emptySlot19 = nullptr;                                         // 19
  int16_t (*SelectInputDevice)(int32_t index, char* nameOut, int32_t commit) = nullptr;  // 20
  void (*GetOutputPairName)(int32_t pair, char* nameOut) = nullptr;    // 21

  EngineChannel* channelList = nullptr;
  uint8_t flags = 0;
  uint8_t driverId = 0;
  uint8_t sampleBits = 32;
  uint8_t outputPair = 0;
  float sampleRate = 44100.0f;
  std::atomic<uint32_t> outputSelector{0};
  AudioDriverOps* next = nullptr;
  void (*GetInputPairName)(int32_t pair, char* nameOut) = nullptr;
  int32_t (*CountInputChannels)() = nullptr;
  std::atomic<uint32_t> routineSelector{0};
};

// The engine's device list.
extern AudioDriverOps* gOutputDevices;

// Driver states.
enum AudioDriverState : int32_t {
  kDriverNothingStarted = 0,
  kDriverIdle = 1,
  kDriverPrime = 2,
  kDriverWarmUp = 3,
  kDriverHandOff = 4,
  kDriverHandOff5 = 5,
  kDriverRunningAtRate = 6,
  kDriverInputOnly = 7,
  kDriverStopInput = 8,
  kDriverStopOutput = 9,
  kDriverStoppedInCallback = 10,
};
extern std::atomic<int32_t> gAudioDriverState;
int32_t GetAudioDriverState();
// Whether the state machine allows going from one state to another.
bool AudioDriverTransitionAllowed(int32_t from, int32_t to);
// Stores a state; false (and nothing stored) when the machine does not allow the step.
bool SetAudioDriverState(int32_t state);
// Polls the state every 50 microseconds, at most maxPolls times (40000 when 0), until it is
// one of the two states; returns the state found last.
int32_t WaitForAudioDriverState(int32_t wanted, int32_t orWanted, int32_t maxPolls);

// The device buffer, rate and audio mode (1 inline mixing, 2 and 3 fixed precedence, 4 and 5
// time constraint).
extern std::atomic<int32_t> gAudioBufferFrames;
extern float gAudioSampleRate;
int32_t GetAudioMode();
void SetAudioMode(int32_t mode);

// Start-up's choice of drivers: Init of each driver (the host audio driver), and each that
// answers 0 or -23456 (no input device) is entered at the head of gOutputDevices, once.
// Answers the number of drivers in the list.
int32_t InstallAudioDrivers(char* startupString);
// Quit's closing of every output device, in list order, through its close procedure.
void CloseOutputDevices();
