// Alerts shown from resources (ALRT + DITL) with the ParamText strings.
#pragma once

#include "platform/memory/mac_types.h"

enum : int16_t { kCautionAlert = 0, kStopAlert = 1, kNoteAlert = 2 };

// Shows alert alertId of the given kind and returns the item hit.
int16_t ShowAlert(int16_t alertId, int16_t kind);

// What the last alert was, and the answer the next alerts give while no screen exists.
int16_t GetLastAlertId();
int32_t CountAlertsShown();
void SetAlertAnswer(int16_t item);
