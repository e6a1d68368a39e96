#include "sequencer/instruments_realtime_processors.h"

RealtimeProcessor* gRealtimeProcessors = nullptr;
uint8_t gRealtimeProcessorSettings = 0;
