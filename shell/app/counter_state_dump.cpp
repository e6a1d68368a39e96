#include "shell/app/counter_state_dump.h"

#include "platform/quickdraw/ports.h"
#include "sequencer/transport/counter_buttons.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_display.h"
#include "shell/windows/counter_fields.h"
#include "shell/windows/counter_window.h"

namespace {

std::string Text(ConstStr255Param p) { return p[0] ? std::string(reinterpret_cast<const char*>(p + 1), p[0]) : "-"; }

std::string RectLine(const std::string& head, const Rect& r) {
  return head + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom) + "\n";
}

// The fields are measured in the counter font, in the panel's port.
void AppendFieldRects(std::string* out) {
  if (!GetAppWindowRef(&gInfoPanelRecord)) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortToAppWindow(&gInfoPanelRecord);
  SetCounterFont();
  Rect keep = gScratchRect;
  SetCounterBarFieldRect();
  *out += RectLine("counterfield bar", gScratchRect);
  SetCounterBeatFieldRect();
  *out += RectLine("counterfield beat", gScratchRect);
  SetCounterTickFieldRect();
  *out += RectLine("counterfield tick", gScratchRect);
  const char* const kTimeFields[4] = {"hours", "minutes", "seconds", "frames"};
  void (*const kTimeRects[4])() = {SetTimeHoursFieldRect, SetTimeMinutesFieldRect, SetTimeSecondsFieldRect,
                                   SetTimeFramesFieldRect};
  for (int32_t i = 0; i < 4; ++i) {
    kTimeRects[i]();
    *out += RectLine(std::string("counterfield ") + kTimeFields[i], gScratchRect);
  }
  gScratchRect = keep;
  if (saved) SetPort(saved);
}

}  // namespace

void AppendCounterStateDump(std::string* out) {
  *out += "counter " + Text(gCounterPositionText) + " " + Text(gCounterTimeText) + "\n";
  for (int16_t i = 0; i < kCounterButtonCount; ++i) {
    Rect r;
    GetCounterButtonRect(i, &r);
    *out += RectLine("counterbutton " + std::to_string(i), r);
  }
  AppendFieldRects(out);
  *out += "counterfieldopen " + std::to_string(IsValueFieldActive() ? 1 : 0) + " " + std::to_string(gValueField.value) +
          "\n";
}
