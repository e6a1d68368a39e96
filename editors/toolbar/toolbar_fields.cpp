#include "editors/toolbar/toolbar_fields.h"

#include <algorithm>
#include <cstring>

#include "audio/engine/engine_status.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/note_entry/note_values.h"
#include "editors/panes/grid_lines.h"
#include "editors/panes/pane_colours.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/toolbar/toolbar_layout.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "shell/base/position_formats.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_settings.h"

namespace {

constexpr int32_t kFirstStateBit = 8;
constexpr int32_t kStateBitCount = 4;
constexpr char kStateGlyphs[kStateBitCount] = {'3', '.', '5', '7'};
constexpr int16_t kNumbersRowY[3] = {10, 23, 36};
constexpr int16_t kStatusTopOffset = 10;
constexpr int16_t kStatusTextColour = 23;
constexpr uint8_t kNoProgram = 0x80;
constexpr int16_t kPatchDigits = 3;
constexpr int16_t kNoteViewModes[] = {0, 1, 16};
constexpr int16_t kFieldTextWidth = 54;
constexpr int16_t kGridValueLeft = 265;
constexpr int16_t kGridValueRight = 291;

const uint8_t kWarningText[] = "\x08Warning:";
const uint8_t* const kStatusTexts[kAudioStatusBits] = {
    reinterpret_cast<const uint8_t*>("\x0b" "8 bit audio"),
    reinterpret_cast<const uint8_t*>("\x16" "Sample rate converting"),
    reinterpret_cast<const uint8_t*>("\x0c" "Track frozen"),
    reinterpret_cast<const uint8_t*>("\x15" "Using sound converter"),
    reinterpret_cast<const uint8_t*>("\x1d" "Feedback protection activated"),
};

bool IsNoteOrDrumView() {
  return std::find(std::begin(kNoteViewModes), std::end(kNoteViewModes), gCurrentViewMode) != std::end(kNoteViewModes);
}


void DrawStateIcon(int32_t bit, bool set) {
  Rect cell = GetStateIconRect(bit);
  EraseRect(&cell);
  FrameRect(&cell);
  if (set) PaintRect(&cell);
  TextMode(set ? srcBic : srcOr);
  MoveTo(int16_t(cell.left + 3), int16_t(cell.bottom - 2));
  DrawChar(kStateGlyphs[bit - kFirstStateBit]);
  TextMode(srcOr);
}

void DrawFieldText(ConstStr255Param text, int16_t clipLeft, int16_t left, int16_t baseline, int16_t width) {
  Rect field{int16_t(baseline - 10), clipLeft, int16_t(baseline + 3), int16_t(left + width)};
  EraseRect(&field);
  ClipRect(&field);
  MoveTo(left, baseline);
  DrawString(text);
  ClipToPortBounds();
}

void DrawInstrumentNumbers() {
  uint8_t* record = GetFieldInstrumentRecord();
  if (!record || !TrackPlaysInstrument()) return;
  Point o = GetToolbarOrigin();
  int16_t left = int16_t(o.h + kInstrumentNumbersLeft);
  Rect volume{int16_t(o.v + kNumbersRowY[0] + 2), left, int16_t(o.v + kNumbersRowY[1] + 3), int16_t(left + 24)};
  Rect pan{int16_t(o.v + kNumbersRowY[1] + 3), left, int16_t(o.v + kNumbersRowY[2] + 3), int16_t(left + 24)};
  DrawNumberRightInRect(ReadI16BE(record + kInstVolume), volume);
  DrawNumberRightInRect(record[kInstPan], pan);
}

void DrawFieldNumber(ToolbarField field, int32_t n) {
  Rect r = GetToolbarFieldRect(field);
  r.right = int16_t(r.right - 2);
  DrawNumberRightInRect(n, r);
}

// The note value's choice by name in the note-value field.
void DrawNoteValueName() {
  static const char* const kShortNames[] = {"1/1", "1/2", "1/4", "1/8", "1/16", "1/32", "1/64"};
  Rect r = GetToolbarFieldRect(kNoteValuePopUpField);
  EraseRect(&r);
  FrameRect(&r);
  Str255 text;
  const char* name = kShortNames[std::min<int32_t>(gNoteValueState.noteIndex, 6)];
  text[0] = uint8_t(std::strlen(name));
  std::memcpy(text + 1, name, text[0]);
  MoveTo(int16_t(r.left + 2), int16_t(r.bottom - 4));
  DrawString(text);
}

// The channel, swing and instrument numbers and, in the note, drum and audio views, the note
// value in ticks, the note length percentage, the velocity and the grid value.
void DrawValueFields() {
  DrawFieldNumber(kChannelField, GetTrackChannel() + 1);
  DrawFieldNumber(kSwingField, gSwingPercent ? gSwingPercent : 50);
  int32_t instrument = gCurrentTrack ? GetTrackInstrument(gCurrentTrack, 0) : -1;
  if (instrument >= 0 && instrument < gInstrumentCount) DrawFieldNumber(kInstrumentField, instrument + 1);
  if (!IsNoteValueView(gCurrentViewMode)) return;
  DrawNoteValueName();
  DrawFieldNumber(kNoteTicksField, GetNoteValue());
  DrawFieldNumber(kLengthPercentField, gNoteLengthPercent);
  DrawFieldNumber(kVelocityField, gNoteEntryVelocity);
  Point o = GetToolbarOrigin();
  Rect grid{int16_t(o.v + kToolbarRowHeight), int16_t(o.h + kGridValueLeft), int16_t(o.v + 2 * kToolbarRowHeight),
            int16_t(o.h + kGridValueRight)};
  DrawNumberRightInRect(GetSnapGrid(), grid);
}

}  // namespace

void DrawPaddedNumber(int32_t n, int16_t width) {
  Str255 text;
  DrawString(FormatNumberZeroPadded(text, n, width));
}

void DrawNumberRightInRect(int32_t n, const Rect& rect) {
  Str255 text;
  FormatNumberZeroPadded(text, n, 0);
  FontInfo info;
  GetFontInfo(&info);
  EraseRect(&rect);
  MoveTo(int16_t(rect.right - StringWidth(text)), int16_t(rect.bottom - info.descent));
  DrawString(text);
}

Rect GetStateIconRect(int32_t bit) {
  Point o = GetToolbarOrigin();
  int32_t k = std::clamp<int32_t>(bit - kFirstStateBit, 0, kStateBitCount - 1);
  int16_t left = int16_t(o.h + kStateIconsLeft + (k / 2) * kStateIconColumn);
  int16_t top = int16_t(o.v + kToolbarRowHeight * (1 + k % 2));
  return Rect{top, left, int16_t(top + kStateIconSize), int16_t(left + kStateIconSize)};
}

void GetProgramFieldText(Str255 text) {
  text[0] = 0;
  uint8_t* record = GetFieldInstrumentRecord();
  if (!record || int8_t(record[kInstProgram]) < 0) return;
  bool fromOne = TrackPlaysInstrument() && (record[kInstOptions] & kInstOptionProgramsFromOne);
  FormatNumberZeroPadded(text, int8_t(record[kInstProgram]) + (fromOne ? 1 : 0), 0);
}

void GetPatchFieldText(Str255 text) {
  text[0] = 0;
  if (!gCurrentTrack || (gCurrentTrack[kTrackProgram] & kNoProgram)) return;
  FormatNumberZeroPadded(text, gCurrentTrack[kTrackProgram], kPatchDigits);
}

void DrawToolbarFields(bool realTime) {
  (void)realTime;
  if (!gCurrentSong) return;
  PenNormal();
  ForeColor(blackColor);
  BackColor(whiteColor);
  uint32_t word = GetGridFlagWord();
  for (int32_t bit = kFirstStateBit; bit < kFirstStateBit + kStateBitCount; ++bit) DrawStateIcon(bit, word & (1u << bit));
  Point o = GetToolbarOrigin();
  Str255 text;
  GetProgramFieldText(text);
  DrawFieldText(text, int16_t(o.h + kProgramFieldLeft), int16_t(o.h + kFieldTextLeft), int16_t(o.v + kNumbersRowY[1]), kFieldTextWidth);
  GetPatchFieldText(text);
  DrawFieldText(text, int16_t(o.h + kFieldTextLeft), int16_t(o.h + kFieldTextLeft), int16_t(o.v + kNumbersRowY[0]), kFieldTextWidth);
  DrawInstrumentNumbers();
  DrawValueFields();
}

bool TrackPlaysInstrument() { return gCurrentTrack && (gCurrentTrack[kTrackFlags] & kTrackFlagPlaysInstrument); }

uint8_t* GetFieldInstrumentRecord() {
  if (!gCurrentTrack) return nullptr;
  int32_t index = GetTrackInstrument(gCurrentTrack, 0);
  return index >= 0 && index < gInstrumentCount ? GetInstrumentRecord(index) : nullptr;
}

ConstStringPtr GetAudioStatusText(int32_t bit) { return kStatusTexts[std::clamp<int32_t>(bit, 0, kAudioStatusBits - 1)]; }

uint16_t GetShownAudioStatus() {
  uint16_t word = gAudioStatusWord.load(std::memory_order_relaxed);
  word = uint16_t(word & ~kAudioStatusTrackFrozen);
  if (IsNoteOrDrumView() && gCurrentTrack && (gCurrentTrack[kTrackOutputFlags] & kTrackOutputSecondRegions))
    word = uint16_t(word | kAudioStatusTrackFrozen);
  return word;
}

void DrawAudioStatusLines() {
  uint16_t word = GetShownAudioStatus();
  if (!word) return;
  SetSmallTextFont();
  FontInfo info;
  GetFontInfo(&info);
  int16_t line = int16_t(info.ascent + info.descent);
  int16_t x = int16_t(gEditorLayout.toolbar.right + kStatusLinesGap);
  int16_t y = int16_t(gEditorLayout.toolbar.top + kStatusTopOffset);
  int32_t shown = 0;
  for (int32_t bit = 0; bit < kAudioStatusBits && shown < kMaxStatusLines; ++bit) {
    if (!(word & (1u << bit))) continue;
    MoveTo(x, y);
    if (shown == 0) {
      ForeColor(redColor);
      TextFace(bold);
      DrawString(kWarningText);
      DrawChar(' ');
      TextFace(normal);
    }
    SetPaneForeColour(kStatusTextColour);
    DrawString(GetAudioStatusText(bit));
    ++shown;
    y = int16_t(y + line);
  }
  ForeColor(blackColor);
  RestoreDefaultTextFont();
}
