#include "platform/coreaudio/audio_host_time.h"

#include "platform/system/host_time.h"

UInt64 AudioGetCurrentHostTime() { return HostTimeNanos(); }

UInt64 AudioConvertHostTimeToNanos(UInt64 hostTime) { return hostTime; }

UInt64 AudioConvertNanosToHostTime(UInt64 nanos) { return nanos; }

Float64 AudioGetHostClockFrequency() { return 1e9; }
