// The converters of plain linear PCM streams (8, 16, 24 or 32-bit integers, 32-bit floats):
// each block read from a file is brought to the engine's rate by linear interpolation and to
// its sample format in one pass. They run on the disk worker thread, never allocate and take
// no lock; their state lives in the EngineChannel (the stream decoding fields).
//
// Output samples are host-endian. Integer outputs are in their own width; float outputs keep
// the integer scale of the source (a 16-bit source gives floats in -32768..32767), float
// sources stay as they are. Output frames hold one sample, or two when the channel count is
// above 1 (further channels of a frame are skipped).
//
// How a call works: the carry of the previous call comes first, then every input frame of
// the block is read once, in order; the outputs that fall on a frame are interpolated between
// it and the frame before. Outputs beyond the block go into the carry. When the block is
// full part way through a frame's outputs, that frame is read again for the carry, so the
// stream runs on without a seam. When the input runs short of the block, the last sample is
// held for the missing frames.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;

// Results besides 0 and -4 (no converter for the widths) and -50 (no destination).
constexpr int16_t kConverterNeedsMoreInput = -1024;  // the carry is half full and one block
                                                     // needs more than nominalInputFrames
constexpr int16_t kConverterInputShort = -210;       // the input block was shorter than needed
constexpr int16_t kConverterCarryCut = -207;         // outputs beyond the carry were dropped

constexpr OSType kFloat32Format = FourCC("fl32");
constexpr OSType kRawFormat = FourCC("raw ");

// The decode procedure of PCM sources: converts the channel's input block of `half` into
// `destination` (decodedBlockBytes bytes). The flag is not used.
int16_t ConvertStreamBlock(EngineChannel* channel, int32_t half, void* destination, uint8_t* flag);

// Picks the converter by the source width and the output width (32 when outputFormat is
// "fl32") and runs it over `source`: 8 bits on either side the generic one; 16-bit output from
// 16, up to 24 or 32-bit input; float output the same; anything else -4.
int16_t ResampleBlock(EngineChannel* channel, const void* source, void* destination, int32_t spare,
                      bool bigEndian);

// The converters, one per pair of read and write rules.
int16_t Resample16To16(EngineChannel* channel, const void* source, void* destination, bool bigEndian);
int16_t Resample16ToFloat(EngineChannel* channel, const void* source, void* destination, bool bigEndian);
int16_t Resample24To16(EngineChannel* channel, const void* source, void* destination, bool bigEndian);
int16_t Resample24ToFloat(EngineChannel* channel, const void* source, void* destination, bool bigEndian);
int16_t Resample32To16(EngineChannel* channel, const void* source, void* destination, bool floatSource,
                       bool bigEndian);
int16_t Resample32ToFloat(EngineChannel* channel, const void* source, void* destination, bool floatSource,
                          bool bigEndian);
// 0.5 is added to every value, then written by outputWidth: above 16 float, 9..16 16-bit,
// 1..8 8-bit (clamped); 0 or less writes nothing and answers -4.
int16_t ResampleGeneric(EngineChannel* channel, const void* source, void* destination, bool floatSource,
                        bool bigEndian);

// One sample at *cursor for the generic converter, scaled for the output width; the cursor
// moves on by the input sample's bytes (1, 2, 3 for widths up to 24 other than 8 and 16, 4).
float ReadScaledSample(const uint8_t** cursor, int32_t inputWidth, int32_t outputWidth,
                       const EngineChannel* channel, bool floatSource, bool bigEndian);
