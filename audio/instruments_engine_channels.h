// Audio-engine channels, the engine's state words and its mode record, as the instrument
// table and the shell's engine-state tests see them.
//
// Interim: the channel list and the records carry only the fields those Parts touch; the
// engine that fills them comes with the audio engine.
#pragma once

#include <cstdint>

constexpr uint16_t kNoEngineInstrument = 0xFFFF;

// The record of a channel's insert chain; the engine marks the chains it must run.
struct InsertChainRecord {
  uint8_t mark = 0;
};

struct EngineChannel {
  EngineChannel* next = nullptr;
  uint32_t id = 0;
  uint16_t instrument = kNoEngineInstrument;  // instrument index, 0xFFFF none
  uint16_t sourceCount = 0;
  uint8_t active = 0;
  uint8_t stop = 0;
  InsertChainRecord* chain = nullptr;
};

// The engine's channels, then its aux-bus channels (both walked by ForEachInstrumentPlugin).
extern EngineChannel* gEngineChannels;
extern EngineChannel* gAuxBusChannels;

// Non-zero while audio is rendered offline through the plug-ins.
extern uint32_t gEngineStateWords[2];
// The engine's mode record; byte 3 holds the current audio mode.
extern uint8_t gAudioModeRecord[8];

// Stops every engine channel (mode 1 holds them in place). Interim: the channels are marked
// stopped.
void StopAudioEngine(int32_t mode);
// Sets the audio-suspend flag. Interim: only the flag.
void MarkAudioSuspend();
extern uint8_t gAudioSuspended;
// Calls the run procedure of every open output device. Interim: no devices are open yet;
// the last flag is kept so that the power handling can be checked.
void SetOutputDevicesRunning(int32_t flag);
extern int32_t gOutputDevicesRunning;
