// What the instrument table asks of the mixer: volumes with their gain-curve values, the
// master volume, sends and link groups.
#pragma once

#include <array>
#include <cstdint>

// The master gain values derived from the master volume: v x 4096 / 127 rounded and
// curve x 4096 >> 15.
extern int32_t gMasterGain;
extern int32_t gMasterCurveGain;

// The volume curve: the gain (32768 = unity) of each volume 0..127, (v / 127) squared.
constexpr int32_t kVolumeCurveSize = 128;
extern const std::array<uint16_t, kVolumeCurveSize> gVolumeCurve;
// The gain-curve value of a volume (clamped to 0..127).
uint32_t VolumeCurveValue(int32_t volume);
// The smallest volume whose gain is at least the level; 0 for levels below 1.
int32_t LookupVolumeCurveIndex(int32_t level);
int16_t GetInstrumentVolume(const uint8_t* record);
// Stores the volume clamped to 0..127 and its curve value; returns the clamped volume.
int16_t SetInstrumentVolume(uint8_t* record, int32_t value);
// Sets the master entry's volume and the master gain values.
void SetMasterVolume(int32_t v);
// Send s's target aux bus, 1-based (0 none); setting keeps the send's flag nibble.
uint8_t GetSendBus(const uint8_t* record, int32_t s);
void SetSendBus(uint8_t* record, int32_t s, uint8_t bus);
// Stores a link group when it differs from the record's.
void SetInstrumentLinkGroup(uint8_t* record, uint8_t group);
// Chains the instruments that share a non-zero link group through their link bytes
// (index + 1, in table order) and sets their linked flag; clears both on the others.
void RebuildLinkGroups();
