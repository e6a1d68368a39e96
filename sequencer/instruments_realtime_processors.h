// The chain of real-time MIDI processors (each arpeggiator instance is one).
//
// Interim: the objects carry only the fields that the shell and the instrument table touch;
// their processing belongs to the sequencer engine.
#pragma once

#include <cstdint>

constexpr int32_t kProcessorStateBytes = 32;

struct RealtimeProcessor {
  RealtimeProcessor* next = nullptr;
  uint16_t flags = 0;           // bits 0-1: run flags; high byte handed around table changes
  uint16_t instrument = 0;      // instrument word: index in the high byte
  uint8_t deviceKind = 0;
  uint8_t port = 0;
  uint8_t channel = 0;          // 16 = all channels
  uint32_t driverProc = 0;      // DriverProcId
  int32_t trackSettings[4] = {};
  uint8_t trackNumber = 0;
  uint8_t state[kProcessorStateBytes] = {};  // running state
};

// Head of the chain; null until start-up allocates the first object.
extern RealtimeProcessor* gRealtimeProcessors;
// Bit 0: real-time processing is switched on.
extern uint8_t gRealtimeProcessorSettings;
