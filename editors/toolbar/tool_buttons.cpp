#include "editors/toolbar/tool_buttons.h"

#include "editors/note_drawing/bent_notes.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/note_values.h"
#include "editors/toolbar/toolbar_layout.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/text.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/editor_panes.h"

namespace {

constexpr int16_t kLabelSize = 9;
constexpr int16_t kLabelBaselineGap = 3;
constexpr int16_t kAudioViewMode = 9;
const unsigned char* const kToolLabels[kEditToolCount] = {
    reinterpret_cast<const unsigned char*>("\x03Sel"), reinterpret_cast<const unsigned char*>("\x03Pen"),
    reinterpret_cast<const unsigned char*>("\x04Play"), reinterpret_cast<const unsigned char*>("\x03" "Box"),
    reinterpret_cast<const unsigned char*>("\x03Vel"), reinterpret_cast<const unsigned char*>("\x03" "Bar"),
    reinterpret_cast<const unsigned char*>("\x03Spr"),
};
constexpr uint8_t kTupletBitsInOrder[] = {kTupletTriplet, kTupletDotted, kTupletQuintuplet, kTupletSeptuplet};
constexpr char kTupletGlyphs[] = {'3', '.', '5', '7'};

// A framed button with its label centred, inverted when pressed.
void DrawButton(Rect r, const unsigned char* label, bool pressed) {
  r.right = int16_t(r.right - 1);
  r.bottom = int16_t(r.bottom - 1);
  EraseRect(&r);
  FrameRect(&r);
  int16_t width = StringWidth(label);
  MoveTo(int16_t((r.left + r.right - width) / 2), int16_t(r.bottom - kLabelBaselineGap));
  DrawString(label);
  if (pressed) {
    Rect inside = r;
    InsetRect(&inside, 1, 1);
    InvertRect(&inside);
  }
}

}  // namespace

const unsigned char* GetToolLabel(int16_t tool) {
  return tool >= 0 && tool < kEditToolCount ? kToolLabels[tool] : kToolLabels[0];
}

void DrawToolButtons() {
  PenNormal();
  ForeColor(blackColor);
  BackColor(whiteColor);
  TextSize(kLabelSize);
  int16_t current = GetCurrentEditTool();
  for (int16_t tool = 0; tool < kEditToolCount; ++tool) DrawButton(GetToolCellRect(tool), GetToolLabel(tool), tool == current);
  if (IsNoteOrDrumView(gCurrentViewMode) || gCurrentViewMode == kAudioViewMode) {
    for (int k = 0; k < 4; ++k) {
      unsigned char glyph[2] = {1, static_cast<unsigned char>(kTupletGlyphs[k])};
      bool set = (gNoteValueState.noteMask >> 8) & kTupletBitsInOrder[k];
      DrawButton(GetTupletButtonRect(kTupletBitsInOrder[k]), glyph, set);
    }
  }
  DrawButton(GetToolbarFieldRect(kZoomOutButton), reinterpret_cast<const unsigned char*>("\x01-"), false);
  DrawButton(GetToolbarFieldRect(kZoomInButton), reinterpret_cast<const unsigned char*>("\x01+"), false);
  DrawButton(GetToolbarFieldRect(kBendButton), reinterpret_cast<const unsigned char*>("\x04" "Bend"), IsBendDisplayOn());
  DrawButton(GetToolbarFieldRect(kResetTemplateButton), reinterpret_cast<const unsigned char*>("\x01R"), false);
  RestoreDefaultTextFont();
}
