// The marker dialog's fields and commands: name, bar, beat and tick, the time as hours,
// minutes, seconds, frames and subframes from the song start, and the lock label. Each pair of
// position fields follows the other as it is edited; the dialog keeps the values here.
#pragma once

#include <cstdint>

#include "platform/events/event_types.h"
#include "platform/memory/mac_types.h"
#include "song/conductor/markers.h"

// Field and command numbers of the marker dialog.
enum : int32_t {
  kMarkerDialogClose = 3,
  kMarkerDialogName = 4,
  kMarkerDialogBar = 5,
  kMarkerDialogLastBarField = 8,
  kMarkerDialogHours = 9,
  kMarkerDialogSubframes = 13,
  kMarkerDialogLockButton = 14,
  kMarkerDialogLockLabel = 15,
  kMarkerDialogSetName = 26,
  kMarkerDialogReplaceName = 27,
  kMarkerDialogLockCheck = 30,
};
constexpr uint32_t kMarkerDialogOk = FourCC("ok  ");
constexpr uint32_t kMarkerDialogCancel = FourCC("not!");

struct MarkerDialogState {
  Str255 name = {0};               // field 4
  MarkerDialogFields bars;         // fields 5..7
  int32_t timeFields[5] = {};      // fields 9..13
  Str255 lockLabel = {0};          // field 15
  bool locked = false;             // locked to time
  uint32_t tick = 1;               // the position the fields show
  uint32_t time = 0;               // its time in subframes
  int32_t focusItem = kMarkerDialogName;
  Str255 defaultName = {0};        // the name a new marker starts with
  Str255 proposedName = {0};       // what commands 26 and 27 put into the name field
  bool closed = false;
  uint32_t result = 0;             // 'ok  ' or 'not!' once the dialog ended
  int32_t lockLabelDraws = 0;      // times field 15 was redrawn
};

// Fields 9..13 = time + the song start offset split at the current frame rate.
void SetMarkerDialogTime(MarkerDialogState* dialog, uint32_t time);
// time = the subframes of fields 9..13 minus the song start offset (0 at least);
// tick = TimeToTick (time).
void GetMarkerDialogTime(const MarkerDialogState& dialog, uint32_t* tick, uint32_t* time);
// The same from five values (hours, minutes, seconds, frames, subframes) as typed.
void TimeCodeFieldsToTime(const int32_t fields[5], uint32_t* tick, uint32_t* time);
// Field 15: "locked to time" or "locked to bars" from the general texts, redrawn.
void SetMarkerLockLabel(MarkerDialogState* dialog, bool locked);
// Fills every field for a marker at tick (the time follows from the tick).
void SetMarkerDialogPosition(MarkerDialogState* dialog, uint32_t tick);
// One command of the dialog: 0 when handled, eventNotHandledErr otherwise.
int16_t HandleMarkerDialogCommand(MarkerDialogState* dialog, uint32_t command);
