// The host audio driver's devices: the input and output device lists, the chosen input and
// output device (found again by their saved names at start-up), channel and pair names for
// the menus, the offered sample rates and formats, and applying the preferred rate and the
// buffer size to the devices. All on the main thread.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/coreaudio/audio_types.h"
#include "platform/memory/mac_types.h"

struct AudioInput;

constexpr int32_t kSideOut = 0;
constexpr int32_t kSideIn = 1;
// The isInput argument of the device property calls for a side.
inline Boolean IsInputSide(int32_t side) { return side == kSideIn; }
constexpr int16_t kNoInputDeviceFound = -23456;
constexpr int16_t kDeviceChangesRefused = -13020;
constexpr int32_t kRateTableCount = 5;
extern const float kAudioRateTable[kRateTableCount];  // 32000, 44100, 48000, 88200, 96000

// Bits of the program's option word that the driver reads.
constexpr uint32_t kOptionKeepMissingInput = 1u << 3;   // no default input for a missing saved one
constexpr uint32_t kOptionRefuseFormatChange = 1u << 4;

struct CoreAudioDevices {
  std::vector<AudioDeviceID> inputList;
  std::vector<AudioDeviceID> outputList;
  AudioDeviceID inputDevice = kAudioDeviceUnknown;
  AudioDeviceID outputDevice = kAudioDeviceUnknown;
  uint8_t inputChannels = 0;
  uint8_t outputChannels = 0;
  uint8_t inputOff = 0;
  uint32_t useAllInputStreams = 0;
  Str255 inputName = {0};       // the start-up string buffer's saved input device name
  Str255 inputNameAside = {0};  // kept while input is switched off
  uint32_t optionWord = 0;      // the program's option word (preferences)
  // The user's names for input channels and output pairs ('aIsN', 'aOsN': a u16 count, then
  // length-prefixed names), kept by the audio set-up; absent when empty.
  Handle userInputNames = Handle();
  Handle userOutputNames = Handle();
};
extern CoreAudioDevices gCoreAudioDevices;

// Sum of the channels of a side's stream configuration ('slay'); *err gets the result.
uint32_t CountDeviceChannels(AudioDeviceID device, int32_t side, OSStatus* err);
// A text property ('lnam', 'lchn', 'lccn') as a length-prefixed string of at most size - 1
// bytes; an empty string when it is absent.
OSStatus GetDevicePascalString(AudioDeviceID device, uint32_t channel, int32_t side, AudioDevicePropertyID property,
                               int32_t size, StringPtr buffer);

void BuildAudioDeviceLists();
// Input device n of the list; its name goes to nameOut. Mode 0 only names it; 1 selects it;
// mode bit 1 also selects the output device of the same name (else the default output).
int16_t SelectAudioDeviceByIndex(int32_t index, StringPtr nameOut, int32_t mode);
// 0 when a device of that name was selected, -43 when none has it.
int16_t SelectSavedInputDevice(ConstStr255Param name);
// The input device by the start-up string's name, the output device by the settings' name:
// 0, '!dev' when no output device has the saved name, or the last device error.
OSStatus SelectSavedAudioDevices(StringPtr inputName);

int32_t CountInputDevices();
int32_t CountOutputPairs();  // chooses the default output device when none is chosen
int32_t CountInputChannels();
bool IsAggregateInputDevice();

// Applies the preferred rate (when setRate) and the buffer size to the chosen devices and
// takes the rate and sample bits the devices end up with.
int16_t ApplyDeviceFormat(int32_t setRate);

// The offered rates: count, a handle of Float32 rates, the highest rate.
struct AudioRateRecord {
  uint16_t count = 0;
  Handle rates = Handle();
  float highest = 0.0f;
};
// Rates offered by the nominal-rate ranges: a continuous range offers the table rates inside
// it, minimum and maximum included; discrete ranges their own rates. Answers the count.
uint16_t RatesFromRanges(const AudioValueRange* ranges, uint32_t count, float* out, uint32_t capacity);
void GetSampleRates(AudioRateRecord* record);  // the caller disposes record->rates
struct AudioFormatRecord {
  uint16_t count = 0;
  Handle formats = Handle();
};
int16_t GetSampleFormats(AudioFormatRecord* record);

// Name n of a user name list ('aIsN', 'aOsN'); false when the list is absent, n is not
// below its count or the list is cut short.
bool UserChannelName(Handle list, int32_t n, StringPtr name);
// Names for menus, as length-prefixed strings (Str255).
void GetChannelName(int32_t channel, bool isInput, int32_t* mode, StringPtr name);
void GetOutputPairName(int32_t pair, StringPtr name);
void GetInputPairName(int32_t channel, int32_t mode, StringPtr name);

// CoreAudio set-up errors as program errors: '!str' 106, '!dev' 117, 'nope' 118, other -230.
int16_t MapCoreAudioError(OSStatus err);

// Frames between a sound entering the input and the same sound leaving the output, less
// what the input's own offset adds: output latency + input latency + the measured or assumed
// buffer distance + the input's latency offset.
int32_t GetIOLatency(AudioInput* input);

// The driver's Init: settings, device lists and the saved devices. 0, or -23456 when no
// input device was found and input is not switched off. startupString holds the saved input
// device name (length-prefixed).
int16_t CoreAudioInit(char* startupString);
// Saves the chosen devices with the settings ('BMID' 3019); the input name goes back to the
// start-up string.
OSErr SaveCoreAudioDeviceChoice(char* startupString);
