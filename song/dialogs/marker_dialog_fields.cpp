#include "song/dialogs/marker_dialog_fields.h"

#include <cstring>

#include "sequencer/clock/time_code_format.h"
#include "shell/base/app_strings.h"
#include "song/conductor/conductor_time.h"

namespace {

constexpr int16_t kLockedToTimeText = 35;  // item 36
constexpr int16_t kLockedToBarsText = 36;  // item 37

void CopyName(const unsigned char* from, Str255 to) { std::memcpy(to, from, size_t(from[0]) + 1); }

bool SameName(const unsigned char* a, const unsigned char* b) {
  return std::memcmp(a, b, size_t(a[0]) + 1) == 0;
}

uint8_t FieldByte(int32_t v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// The bar fields edited: tick and time from them, the time fields follow.
void FollowBarFields(MarkerDialogState* d) {
  GetMarkerDialogBars(d->bars, &d->tick, &d->time);
  SetMarkerDialogTime(d, d->time);
}

// The time fields edited: the tick from them, the bar fields follow.
void FollowTimeFields(MarkerDialogState* d) {
  GetMarkerDialogTime(*d, &d->tick, &d->time);
  SetMarkerDialogBars(&d->bars, d->tick);
}

}  // namespace

void SetMarkerDialogTime(MarkerDialogState* dialog, uint32_t time) {
  TimeCodeFields f;
  FormatTimeFromStart(time, &f);
  const int32_t parts[5] = {f.hours, f.minutes, f.seconds, f.frames, f.subframes};
  std::memcpy(dialog->timeFields, parts, sizeof parts);
}

void TimeCodeFieldsToTime(const int32_t fields[5], uint32_t* tick, uint32_t* time) {
  TimeCodeFields f;
  f.hours = FieldByte(fields[0]);
  f.minutes = FieldByte(fields[1]);
  f.seconds = FieldByte(fields[2]);
  f.frames = FieldByte(fields[3]);
  f.subframes = FieldByte(fields[4]);
  uint32_t t = TimecodeToSubframes(f);
  *time = t > gSongStartOffset ? t - gSongStartOffset : 0;
  int32_t at = TimeToTick(int32_t(*time > INT32_MAX ? INT32_MAX : *time));
  *tick = uint32_t(at < 1 ? 1 : at);
}

void GetMarkerDialogTime(const MarkerDialogState& dialog, uint32_t* tick, uint32_t* time) {
  TimeCodeFieldsToTime(dialog.timeFields, tick, time);
}

void SetMarkerLockLabel(MarkerDialogState* dialog, bool locked) {
  CopyName(GetAppString(locked ? kLockedToTimeText : kLockedToBarsText), dialog->lockLabel);
  ++dialog->lockLabelDraws;
}

void SetMarkerDialogPosition(MarkerDialogState* dialog, uint32_t tick) {
  dialog->tick = tick < 1 ? 1 : tick;
  dialog->time = TickToTime(int32_t(dialog->tick));
  SetMarkerDialogBars(&dialog->bars, dialog->tick);
  SetMarkerDialogTime(dialog, dialog->time);
  SetMarkerLockLabel(dialog, dialog->locked);
}

int16_t HandleMarkerDialogCommand(MarkerDialogState* dialog, uint32_t command) {
  if (command == kMarkerDialogOk || command == kMarkerDialogCancel) {
    dialog->result = command;
    dialog->closed = true;
    return noErr;
  }
  int32_t c = command > 0xFFFF ? -1 : int32_t(command);
  if (c == kMarkerDialogClose) {
    dialog->closed = true;
  } else if (c >= kMarkerDialogBar && c <= kMarkerDialogLastBarField) {
    FollowBarFields(dialog);
    dialog->focusItem = c;
  } else if (c >= kMarkerDialogHours && c <= kMarkerDialogSubframes) {
    FollowTimeFields(dialog);
    dialog->focusItem = c;
  } else if (c == kMarkerDialogLockButton || c == kMarkerDialogLockLabel || c == kMarkerDialogLockCheck) {
    dialog->locked = !dialog->locked;
    SetMarkerLockLabel(dialog, dialog->locked);
  } else if (c == kMarkerDialogSetName || c == kMarkerDialogReplaceName) {
    if (c == kMarkerDialogReplaceName || SameName(dialog->name, dialog->defaultName))
      CopyName(dialog->proposedName, dialog->name);
  } else {
    return eventNotHandledErr;
  }
  return noErr;
}
