// Sample-rate conversion of a click by linear interpolation, done once when the samples are
// loaded: output j is the input at position j x (fileRate / hostRate), interpolated between
// the two input samples around it.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The longest converted click accepted (64 MB of floats).
constexpr uint32_t kClickMaxConvertedFrames = 1u << 24;

// Converts `count` samples at fileRate into a new zeroed buffer (std::free it) for hostRate;
// *outCount = trunc(count / step). The conversion never writes past the buffer: if it would,
// it reports "SR Buffer Error" on stderr and stops. paramErr when a rate is not positive and
// finite or the result would exceed kClickMaxConvertedFrames; memFullErr when the buffer
// cannot be had. On an error *out is null and *outCount 0.
OSErr ConvertClickSampleRate(const float* in, uint32_t count, float fileRate, float hostRate,
                             float** out, uint32_t* outCount);

// The plug-in's debug messages go to stderr.
void ReportClickDebugMessage(const char* message);
