#include "shell/app/track_meter_state_dump.h"

#include "editors/track_meters.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "platform/controls/controls.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_sizing.h"
#include "song/events/event_index.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"

namespace {

std::string GlobalRectText(const Rect& r) {
  Point topLeft{r.top, r.left}, bottomRight{r.bottom, r.right};
  LocalToGlobal(&topLeft);
  LocalToGlobal(&bottomRight);
  return std::to_string(topLeft.h) + " " + std::to_string(topLeft.v) + " " + std::to_string(bottomRight.h) + " " +
         std::to_string(bottomRight.v);
}

// The overview's zoom shift, and each of the track window's four buttons where it is shown.
void AppendTrackViewButtons(std::string* out, AppWindow* w) {
  *out += "trackzoom " + std::to_string(gOverviewZoomShift) + "\n";
  if (!IsAppWindowVisible(w)) return;
  for (int16_t k = 0; k < 4; ++k) {
    if (!gTrackButtons[k] || !IsControlVisible(gTrackButtons[k])) continue;
    Rect bounds{};
    GetControlBounds(gTrackButtons[k], &bounds);
    *out += "trackbutton " + std::to_string(k) + " " + GlobalRectText(bounds) + "\n";
  }
}

}  // namespace

void AppendTrackMeterState(std::string* out) {
  *out += "metergeometry " + std::to_string(gMeterGeometry.segments) + " " + std::to_string(gMeterGeometry.greenLimit) +
          " " + std::to_string(gMeterGeometry.redStart) + "\n";
  *out += "meterzones";
  for (const RGBColor& c : gMeterZoneColors)
    *out += " " + std::to_string(c.red) + " " + std::to_string(c.green) + " " + std::to_string(c.blue);
  *out += "\n";
  AppWindow* w = GetWindowForKind(kTrackWindowKind);
  GrafPtr saved = nullptr;
  GetPort(&saved);
  if (WindowRef window = GetAppWindowRef(w)) {
    SetPortWindowPort(window);
    AppendTrackViewButtons(out, w);
  }
  if (!IsAppWindowVisible(w) || !gCurrentSong) {
    if (saved) SetPort(saved);
    return;
  }
  FocusAppWindow(w);
  for (int32_t track = 0; track < GetSongTrackCount() && track < kMeterStateCount / 2; ++track) {
    if (!LoadTrackMeterRowRect(track)) continue;
    MeterStateView state(gMeterStates + 2 * track * kMeterStateSize);
    *out += "meter " + std::to_string(track) + " " + std::to_string(state.Current()) + " " +
            std::to_string(state.Drawn()) + " " + std::to_string(state.Peak()) + " " + std::to_string(state.Stereo()) +
            " " + GlobalRectText(gScratchRect) + "\n";
  }
  if (saved) SetPort(saved);
}
