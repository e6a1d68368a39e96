// Host time for audio: the monotonic clock in nanoseconds (platform/system/host_time.h), so
// one host-time unit is one nanosecond and the conversions are exact.
#pragma once

#include "platform/coreaudio/audio_types.h"

UInt64 AudioGetCurrentHostTime();
UInt64 AudioConvertHostTimeToNanos(UInt64 hostTime);
UInt64 AudioConvertNanosToHostTime(UInt64 nanos);
// Host-time units per second: 1e9.
Float64 AudioGetHostClockFrequency();
