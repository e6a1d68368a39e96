#include "shell/app/track_meter_state_dump.h"

#include "editors/track_meters.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"

void AppendTrackMeterState(std::string* out) {
  *out += "metergeometry " + std::to_string(gMeterGeometry.segments) + " " + std::to_string(gMeterGeometry.greenLimit) +
          " " + std::to_string(gMeterGeometry.redStart) + "\n";
  *out += "meterzones";
  for (const RGBColor& c : gMeterZoneColors)
    *out += " " + std::to_string(c.red) + " " + std::to_string(c.green) + " " + std::to_string(c.blue);
  *out += "\n";
  AppWindow* w = GetWindowForKind(kTrackWindowKind);
  if (!IsAppWindowVisible(w) || !gCurrentSong) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(w);
  for (int32_t track = 0; track < GetSongTrackCount() && track < kMeterStateCount / 2; ++track) {
    if (!LoadTrackMeterRowRect(track)) continue;
    Point topLeft{gScratchRect.top, gScratchRect.left}, bottomRight{gScratchRect.bottom, gScratchRect.right};
    LocalToGlobal(&topLeft);
    LocalToGlobal(&bottomRight);
    MeterStateView state(gMeterStates + 2 * track * kMeterStateSize);
    *out += "meter " + std::to_string(track) + " " + std::to_string(state.Current()) + " " +
            std::to_string(state.Drawn()) + " " + std::to_string(state.Peak()) + " " + std::to_string(state.Stereo()) +
            " " + std::to_string(topLeft.h) + " " + std::to_string(topLeft.v) + " " + std::to_string(bottomRight.h) +
            " " + std::to_string(bottomRight.v) + "\n";
  }
  if (saved) SetPort(saved);
}
