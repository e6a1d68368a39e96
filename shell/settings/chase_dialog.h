// The chase options dialog (nib "chase"): which kinds of set-up data playback sends before
// it starts (the chase filter word of the sequencer) and three further chase numbers.
#pragma once

#include <cstdint>

#include "platform/events/carbon_events.h"

// The three numbers of fields 11..13, kept for the sequencer's chase.
struct ChaseSettings {
  uint16_t rangeBars = 0;     // field 11
  uint8_t pauseTicks = 0;     // field 12, 1/60 s
  uint8_t burstCount = 0;     // field 13
};
extern ChaseSettings gChaseSettings;

constexpr int16_t kChaseHelpTopic = 141;

// The filter word of the check boxes: kinds 3..8 to bits 10..15, 9 to 0x2, 16 and 17 to 0x4
// and 0x8; 0x1 when a kind and a switch option are both on; 0x10 always.
uint16_t ChaseFilterFromBoxes(const uint8_t kinds[6], bool everyProgram, bool switchesAtStart,
                              bool switchesWhilePlaying);
// Runs the dialog; OK stores the filter and the numbers, Cancel changes nothing. Answers 1
// for OK, 0 for Cancel, or the error that kept the dialog from opening.
int32_t RunChaseDialog();
OSStatus HandleChaseEvent(EventHandlerCallRef callRef, EventRef event, void* dialog);
