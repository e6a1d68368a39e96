#include "shell/drawing/track_text.h"

#include <cstring>

#include "platform/quickdraw/text.h"
#include "platform/text/pascal_strings.h"
#include "shell/drawing/text_drawing.h"
#include "song/conductor/conductor_map.h"
#include "song/model/track_length.h"

bool gTruncateWithThreeDots = true;

namespace {

void CopyPString(ConstStr255Param source, Str255 dest) {
  if (dest != source) std::memmove(dest, source, size_t(source[0]) + 1);
}

// Ends text (already cut to n characters) with the dots.
void AppendDots(Str255 text, uint8_t n) {
  uint8_t at = n;
  if (gTruncateWithThreeDots) {
    for (int i = 0; i < 3; ++i) text[++at] = '.';
  } else {
    text[++at] = kEllipsisCharacter;
  }
  text[0] = at;
}

}  // namespace

void TruncatePStringToWidth(ConstStr255Param source, Str255 dest, int16_t width, int16_t mode) {
  CopyPString(source, dest);
  if (MeasurePString(dest) <= width) return;
  if (mode == kTruncateToFirstCharacter) {
    dest[0] = dest[0] > 0 ? 1 : 0;
    return;
  }
  Str255 original;
  CopyPString(dest, original);
  uint8_t keep = original[0] > 252 ? 252 : original[0];  // room for three dots
  for (;;) {
    std::memcpy(dest + 1, original + 1, keep);
    AppendDots(dest, keep);
    if (keep == 0 || MeasurePString(dest) <= width) return;
    --keep;
  }
}

void SetControlTitleIfChanged(ControlRef control, ConstStr255Param title) {
  if (!control || !title) return;
  Str255 current;
  GetControlTitle(control, current);
  if (std::memcmp(current, title, size_t(title[0]) + 1) != 0) SetControlTitle(control, title);
}

void FormatTrackLengthText(int32_t bars, Str255 text) {
  if (bars < 0 || bars > kMaxShownTrackBars) {
    text[0] = 3;
    text[1] = text[2] = text[3] = '.';
    return;
  }
  NumToString(bars, text);
}

void DrawTrackLengthNumber() {
  Str255 text;
  uint32_t length = GetTrackLength();
  FormatTrackLengthText(length > 0x7fffffff ? -1 : TickToBarRoundedUp(int32_t(length)), text);
  DrawPString(text);
}
