#include "editors/track_window_clicks.h"

#include "editors/track_meters.h"
#include "shell/dialogs/value_fields.h"
#include "shell/windows/window_clicks.h"

int32_t ClickTrackWindow(AppWindow*, Point local, EventRecord*) {
  CommitValueFieldEdit();
  EditMeterZoneColor(local);
  return 1;
}

void InstallTrackWindowClicks() { SetWindowClickProc(kTrackWindowKind, ClickTrackWindow); }
