#include "editors/toolbar/toolbar_clicks.h"

#include "editors/note_drawing/bent_notes.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/note_entry/note_values.h"
#include "editors/toolbar/toolbar_fields.h"
#include "editors/toolbar/toolbar_layout.h"
#include "editors/toolbar/zoom_buttons.h"
#include "mixer/meters/instrument_meters.h"
#include "mixer/outputs/instrument_values.h"
#include "platform/dialogs/color_picker.h"
#include "platform/events/key_codes.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/app_strings.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/dialogs/value_drag.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/model/media_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_settings.h"
#include "song/model/window_redraw.h"

namespace {

constexpr int32_t kChannelCount = 16;
constexpr int32_t kMaxFieldText = 4;
const unsigned char* const kNoteValueNames[] = {
    reinterpret_cast<const unsigned char*>("\x05Whole"),   reinterpret_cast<const unsigned char*>("\x04Half"),
    reinterpret_cast<const unsigned char*>("\x07Quarter"), reinterpret_cast<const unsigned char*>("\x06" "Eighth"),
    reinterpret_cast<const unsigned char*>("\x09Sixteenth"), reinterpret_cast<const unsigned char*>("\x04" "32nd"),
    reinterpret_cast<const unsigned char*>("\x04" "64th"),
};
constexpr int16_t kNoteValueChoices = 7;
constexpr int16_t kChannelColourPrompt = 38;  // general text, followed by the channel 1..16

// The volume and pan fields are there while the track plays through its instrument.
bool HasInstrumentFields() { return TrackPlaysInstrument() && GetFieldInstrumentRecord(); }

// An audio track whose audio cannot play has no channel to choose.
bool IsUnplayableAudioTrack() {
  return TrackEntryView(gCurrentTrack).OutputKind() == kAudioTrackOutputKind && !IsTrackAudioReady();
}

// The 16 channels shown 1..16; a choice becomes the current track's channel.
void ChannelPopUp() {
  if (!gCurrentTrack || IsUnplayableAudioTrack()) return;
  int32_t chosen = 0;
  int32_t shown = GetTrackChannel() + 1;
  if (!ShowNumberRangePopUp(0xFFFFFFFFu, shown, 1, kChannelCount, 0, 0, 0, &chosen)) return;
  SetCurrentChannel(chosen - 1);
  if (SetTrackChannel(uint8_t(chosen - 1)) != noErr) return;
  ChooseTrackChannel();
  InvalidateEditorWindow();
}

// The colour picker edits the colour of the current track's channel, kept at 8 bits a
// component as the channel colours are stored.
void EditChannelColour() {
  uint8_t channel = gCurrentTrack ? uint8_t(GetTrackChannel() & 15) : 0;
  Str255 prompt, number;
  PLstrcpy(prompt, GetAppString(kChannelColourPrompt));
  NumToString(channel + 1, number);
  PLstrcat(prompt, number);
  RGBColor chosen;
  if (!GetColor(Point{0, 0}, prompt, &gChannelColors[channel], &chosen)) return;
  gChannelColors[channel] = RGBColor{uint16_t((chosen.red >> 8) * 257), uint16_t((chosen.green >> 8) * 257),
                                     uint16_t((chosen.blue >> 8) * 257)};
  InvalidateEditorWindow();
}

// Each step of a drag shows the number and hands it to the field's procedure at once.
void ShowAndApplyStep(int32_t value) {
  SetValueFieldNumber(value);
  if (gValueField.changeProc) gValueField.changeProc(value);
}

// Drags the number of a field with the shell's value drag; change stores and repaints after
// every step. The field stays open for typing afterwards.
void DragField(ToolbarField field, ValueChangeProc change, int32_t minimum, int32_t maximum, int32_t value) {
  CommitValueFieldEdit();
  Rect r = GetToolbarFieldRect(field);
  SetScratchRectFrom(&r);
  gValueField.flags &= kValueFieldDecimal | kValueFieldDashAtMinimum;
  gValueField.maxTextLength = kMaxFieldText;
  gValueField.limitCheck = 1;
  TrackValueDragLoop(change, minimum, maximum, value, ShowAndApplyStep, false);
}

void ChangeNoteTicks(int32_t v) { SetNoteValueTicksField(v); }
void ChangeLengthPercent(int32_t v) { SetNoteLengthPercentField(v); }
void ChangeVelocity(int32_t v) { SetEntryVelocityField(v); }
void ChangeSwing(int32_t v) { SetSwingField(v); }

// The fields of the note, drum and audio views.
bool NoteViewFieldClick(ToolbarField field) {
  switch (field) {
    case kNoteTicksField: DragField(field, ChangeNoteTicks, 1, 9999, GetNoteValue()); return true;
    case kLengthPercentField: DragField(field, ChangeLengthPercent, 1, 200, gNoteLengthPercent); return true;
    case kVelocityField: DragField(field, ChangeVelocity, 0, 127, gNoteEntryVelocity); return true;
    default: return false;
  }
}

bool ButtonClick(ToolbarField field) {
  if (field == kZoomOutButton || field == kZoomInButton) {
    if (field == kZoomOutButton) ZoomOutButton();
    else ZoomInButton();
    return true;
  }
  Rect r = GetToolbarFieldRect(field);
  if (!TrackToolbarButton(r)) return true;
  switch (field) {
    case kBendButton:
      if (ToggleBendDisplay()) ApplyViewModeTools();
      break;
    default:
      if (gEditorClickRoutes.resetEventTemplate) gEditorClickRoutes.resetEventTemplate();
      break;
  }
  return true;
}

}  // namespace

bool TrackToolbarButton(const Rect& r) {
  Rect inside = r;
  InsetRect(&inside, 1, 1);
  Point mouse{};
  GetMouse(&mouse);
  bool hilited = PtInRect(mouse, &r);
  if (hilited) InvertRect(&inside);
  while (StillDown()) {
    GetMouse(&mouse);
    if (PtInRect(mouse, &r) != hilited) {
      hilited = !hilited;
      InvertRect(&inside);
    }
  }
  GetMouse(&mouse);
  if (hilited) InvertRect(&inside);
  return PtInRect(mouse, &r);
}

void PopUpNoteValue(int16_t which) {
  bool ownGrid = which == kGridValueField && gNoteValueState.gridValue != 0;
  int32_t current = ownGrid ? gNoteValueState.gridIndex : gNoteValueState.noteIndex;
  // The corner is taken in the editor's port: building the pop-up makes its own port current.
  Rect r = GetToolbarFieldRect(kNoteValuePopUpField);
  Point at{r.top, r.left};
  LocalToGlobal(&at);
  BeginPopUpMenu();
  for (int16_t k = 0; k < kNoteValueChoices; ++k) AddPopUpItem(kNoteValueNames[k]);
  if (current >= kNoteValueChoices) current = kNoteValueChoices - 1;
  MarkPopUpItem(current);
  if (PopUpMenuAtPoint(at.v, at.h, current) == 0 || gPopUpChoice < 0 || gPopUpChoice >= kNoteValueChoices) return;
  SetNoteValueBit(int16_t(gPopUpChoice), which);
  RecomputeNoteValue(which);
  InvalidateEditorWindow();
}

namespace {

// The instrument window's strip shows the new value at once.
void RedrawInstrumentStrip(int32_t index, int16_t value, int16_t control) {
  if (auto redraw = gInstrumentMeterPlaces.redrawElement) {
    redraw(index, value);
    redraw(index, control);
  }
}

}  // namespace

void SetCurrentVolumeValue(int32_t value) {
  if (!GetFieldInstrumentRecord()) return;
  const int32_t index = GetTrackInstrument(gCurrentTrack, 0);
  SetStripVolumeAndSend(index, value);
  RedrawInstrumentStrip(index, kStripVolumeValueElement, kStripFaderElement);
  InvalidateEditorWindow();
}

void SetCurrentPanValue(int32_t value) {
  if (!GetFieldInstrumentRecord()) return;
  const int32_t index = GetTrackInstrument(gCurrentTrack, 0);
  SetStripPanAndSend(index, value);
  RedrawInstrumentStrip(index, kStripPanValueElement, kStripKnobElement);
  InvalidateEditorWindow();
}

bool HandleToolbarFieldClick(Point where, EventRecord* event) {
  ToolbarField field = HitTestToolbarFields(where);
  uint16_t modifiers = event ? event->modifiers : 0;
  switch (field) {
    case kZoomOutButton:
    case kZoomInButton:
    case kBendButton:
    case kResetTemplateButton: return ButtonClick(field);
    case kNoteValuePopUpField:
      PopUpNoteValue((modifiers & cmdKey) ? kGridValueField : kNoteValueField);
      return true;
    case kChannelField:
      if ((modifiers & optionKey) && IsColorDrawingOn()) EditChannelColour();
      else ChannelPopUp();
      return true;
    case kSwingField: DragField(field, ChangeSwing, 20, 80, gSwingPercent ? gSwingPercent : 50); return true;
    case kVolumeField:
      if (!HasInstrumentFields()) return false;
      DragField(field, SetCurrentVolumeValue, 0, 127, GetInstrumentVolume(GetFieldInstrumentRecord()));
      return true;
    case kPanField:
      if (!HasInstrumentFields()) return false;
      DragField(field, SetCurrentPanValue, 0, 127, GetFieldInstrumentRecord()[kInstPan]);
      return true;
    default: return IsNoteValueView(gCurrentViewMode) && NoteViewFieldClick(field);
  }
}

void InstallToolbarClicks() { gEditorClickRoutes.toolbarFieldClick = HandleToolbarFieldClick; }
