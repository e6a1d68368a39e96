// Giving a track an output of a device kind (an audio track after an import, a track moved
// to a plug-in): the first channel 0..63 of that device no other track or instrument uses,
// played through an instrument of the table that has exactly that output (or a new one),
// at full volume and centred pan.
#pragma once

#include <cstdint>

constexpr int32_t kDeviceChannelCount = 64;
// The track's instrument word that holds its alternate instrument.
constexpr int32_t kAlternateInstrumentSlot = 7;

// What the channel search looks for and the channels it found in use.
struct ChannelUseScan {
  uint8_t deviceKind = 0;
  uint8_t port = 0;
  const uint8_t* track = nullptr;  // the track being set up
  bool alternate = false;
  uint8_t channel = 0;             // the channel FindInstrumentWithSameOutput looks for
  uint8_t used[kDeviceChannelCount] = {};
};

// The first free channel of the device; 64 when none is free (-1 for the alternate output).
// Unless alternate, the kind and port become gDefaultInstrumentDevice and the channel the
// track's own (byte 70).
int32_t FindFreeInstrumentChannel(uint8_t* track, uint8_t deviceKind, uint8_t port, bool alternate,
                                  ChannelUseScan* scan);
// Sets up the current track's output on the device; returns the channel used, or 64 when
// all are taken (the track keeps its old instrument).
int32_t SetUpTrackInstrument(uint8_t* track, uint8_t deviceKind, uint8_t port, bool alternate);
// Appends an instrument of the output named after the device kind; with a track it becomes
// current, is assigned to the track and the track takes the device kind.
int16_t CreateTrackInstrument(uint8_t* track, uint8_t deviceKind, uint8_t port, uint8_t channel);
// True when an instrument in use has the scan's device, port and channel; it becomes current.
bool FindInstrumentWithSameOutput(const ChannelUseScan* scan);
// The instrument's output: port, device kind and channel of its first part.
void ReadInstrumentOutputFields(const uint8_t* instrument, uint8_t* port, uint8_t* device, uint8_t* channel);
// Marks the instrument's channel in the scan when its device and port match.
void MarkChannelIfSameDevice(const uint8_t* instrument, ChannelUseScan* scan);
// The track's alternate instrument (word 7) becomes current; false when it has none.
bool GetAlternateInstrumentOutput(const uint8_t* track, uint8_t* port, uint8_t* device, uint8_t* channel);
