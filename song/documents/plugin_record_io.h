// Writing a plug-in record (the 158-byte audio record of a track, or an instrument's
// plug-in record) with the handles it names, to the current stream.
#pragma once

#include "platform/memory/mac_types.h"

constexpr int32_t kPluginRecordSize = 158;
constexpr int32_t kPluginRecordFirstSlot = 110;
constexpr int32_t kPluginRecordSecondSlot = 126;
constexpr int32_t kPluginRecordRackWord = 134;
constexpr int32_t kPluginRecordLastSlot = 150;

OSErr WritePluginRecordHandles(Handle record);
