// Interim: the tempo as plain text, without the slider and the arrow buttons, until the tempo
// display with its tempo factor is built.
#include "shell/windows/tempo_display.h"

#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/text.h"
#include "platform/text/pascal_strings.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/counter_display.h"
#include "shell/windows/info_panel.h"

void DrawCounterTempoArea() {
  Rect area{kTempoAreaTop, kTempoAreaLeft, kTempoAreaBottom, kTempoAreaRight};
  gScratchRect = area;
  RestoreBackgroundInScratch();
  uint16_t tenths = gClockTempo;
  gCounterShownTempo = tenths;
  Str255 text, fraction;
  NumToString(tenths / 10, text);
  AppendPChar(text, '.');
  NumToString(tenths % 10, fraction);
  AppendPString(text, fraction);
  TextSize(12);
  MoveTo(int16_t(area.left + 4), int16_t(area.top + 20));
  DrawString(text);
}

// Interim: the tempo has no arrows or slider yet.
bool ClickTempoControls(Point) { return false; }
