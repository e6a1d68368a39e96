// Interim: until the counter's own click handler is built, a click in the info panel reaches
// only the tempo display's arrows and slider.
#include "shell/windows/info_panel_clicks.h"

#include "shell/windows/app_windows.h"
#include "shell/windows/tempo_display.h"
#include "shell/windows/window_clicks.h"

namespace {

int32_t InfoPanelClick(AppWindow*, Point local, EventRecord*) {
  ClickTempoControls(local);
  return 1;
}

}  // namespace

void InstallInfoPanelClicks() { SetWindowClickProc(kInfoPanelWindowKind, InfoPanelClick); }
