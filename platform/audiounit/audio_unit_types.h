// The types of the plug-in component layer (Audio Units), served on Linux by LV2 plug-ins.
// A component and an open component instance are 32-bit ids; 0 is "none".
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

using Component = uint32_t;
using ComponentInstance = uint32_t;
using AudioUnit = ComponentInstance;
using AudioUnitPropertyID = uint32_t;
using AudioUnitScope = uint32_t;
using AudioUnitElement = uint32_t;
using AudioUnitParameterID = uint32_t;
using AudioUnitParameterValue = float;

struct ComponentDescription {
  OSType componentType = 0;
  OSType componentSubType = 0;
  OSType componentManufacturer = 0;
  uint32_t componentFlags = 0;
  uint32_t componentFlagsMask = 0;
};
