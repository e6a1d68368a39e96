#include "editing/transforms/value_settings.h"

int32_t gValueSetValue = 64;
int32_t gValueAddAmount = 0;
int32_t gValuePercent = 100;
int32_t gValueRampStart = 64;
int32_t gValueRampEnd = 64;

int32_t gTransformController = 1;
uint8_t gTransformOptions = 0;
