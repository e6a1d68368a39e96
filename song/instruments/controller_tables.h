// The controller lookup tables that the transport clock holds for the MIDI input side: per
// output device kind 0..24 a controller map and a block of channel rows, both handles
// (built by RebuildInstrumentState).
//
// Interim: kept as two arrays with the instrument table until the clock record is built.
#pragma once

#include "platform/memory/mac_types.h"

constexpr int32_t kControllerTableKinds = 25;

extern Handle gControllerMaps[kControllerTableKinds];
extern Handle gChannelRows[kControllerTableKinds];
