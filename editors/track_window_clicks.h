// Clicks in the track window's content. Interim: the track list's own cells (names, columns,
// the overview) are not handled yet; a click on a row's level meter edits the colour of the
// meter zone under it.
#pragma once

#include "platform/events/classic_events.h"
#include "shell/windows/app_windows.h"

// The track window's content click (local point, the window's port current).
int32_t ClickTrackWindow(AppWindow* w, Point local, EventRecord* event);
// Registers ClickTrackWindow as the track window's click handler.
void InstallTrackWindowClicks();
