// Interim: the track audio record's fields that import fills, and its allocation, until the
// record's owner gives them.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kImportTrackAudioBytes = 158;
constexpr int32_t kImportTrackAudioRateAt = 32;      // f32
constexpr int32_t kImportTrackAudioFormatAt = 70;    // the 28-byte sound description
constexpr int32_t kImportTrackAudioFixedRateAt = 82; // u32 16.16
constexpr int32_t kImportTrackAudioRegionsAt = 126;  // handle

// A cleared record into the handle word at slot; 0 or -108 (the slot stays 0).
OSErr AllocImportTrackAudio(uint8_t* slot);
