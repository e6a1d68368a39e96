#include "editing/paste_options.h"

uint8_t gPasteOptions = kPasteNoSplit;
uint8_t gPasteMerge = 0;
uint32_t gPasteRepeatCount = 1;
uint16_t gVelocityRandomWidth = 34;
int32_t gPasteTrackOffset = 0;
RepeatTransposition gRepeatTransposition;
