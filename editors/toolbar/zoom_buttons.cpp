#include "editors/toolbar/zoom_buttons.h"

#include "editors/panes/timeline_zoom.h"
#include "editors/toolbar/toolbar_clicks.h"
#include "editors/toolbar/toolbar_layout.h"

bool TrackZoomButton(const Rect& r) { return TrackToolbarButton(r); }

void ZoomButtonClick(int16_t out) {
  if (TrackZoomButton(GetToolbarFieldRect(out ? kZoomOutButton : kZoomInButton))) ZoomEditorStep(out);
}

void ZoomInButton() { ZoomButtonClick(kZoomIn); }
void ZoomOutButton() { ZoomButtonClick(kZoomOut); }
