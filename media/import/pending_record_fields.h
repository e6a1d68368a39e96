// Interim: the offsets of the audio region and track audio records that import fills and
// that their owners' headers do not carry yet (the region record's full table and the track
// audio record with its allocation). Replaced by those headers when they land.
#pragma once

#include <cstdint>

#include "audio/engine/region_lookup.h"
#include "audio/streams/stream_reads.h"
#include "platform/memory/mac_types.h"

constexpr int32_t kImportRegionShortLengthAt = 8;   // u32 length in frames
constexpr int32_t kImportRegionByteLengthAt = 16;   // u32
constexpr int32_t kImportRegionStepAt = 20;         // i32 1: play on with the next record
constexpr int32_t kImportRegionRateAt = 24;         // f32
constexpr int32_t kImportRegionSampleSizeAt = 28;   // u8
constexpr int32_t kImportRegionChannelsAt = 30;     // u16
constexpr int32_t kImportRegionStateAt = 36;        // u32, 1 for a new region
constexpr int32_t kImportRegionLoopTempoAt = 40;    // f32
constexpr int32_t kImportRegionAvailableAt = 64;    // u32 frames the file can deliver
constexpr int32_t kImportRegionNameAt = 72;         // Str31
constexpr uint16_t kImportRegionFlagNew = 0x0001;
constexpr uint16_t kImportRegionFlagLoopTempo = 0x0100;

constexpr int32_t kImportTrackAudioBytes = 158;
constexpr int32_t kImportTrackAudioRateAt = 32;      // f32
constexpr int32_t kImportTrackAudioFormatAt = 70;    // the 28-byte sound description
constexpr int32_t kImportTrackAudioFixedRateAt = 82; // u32 16.16
constexpr int32_t kImportTrackAudioRegionsAt = 126;  // handle

// A cleared record into the handle word at slot; 0 or -108 (the slot stays 0).
OSErr AllocImportTrackAudio(uint8_t* slot);
