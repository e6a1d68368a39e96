#include "shell/menus/track_patch_names.h"

#include "platform/coremidi/note_allocator.h"
#include "sequencer/midi/instrument_routing.h"
#include "sequencer/midi/quicktime_music_output.h"
#include "shell/app/idle_steps.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/instrument_record.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_entries.h"
#include "song/model/track_iterators.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kPatchNameUndoKind = 31;
constexpr int16_t kPaneNameLeft = 34, kPaneNameRight = 125;

int32_t PrepareNaming(void*) {
  SetCurrentUndoKind(kPatchNameUndoKind);
  return 0;
}

}  // namespace

// The synth's instrument name of the channel: stuffed again when the channel's instrument
// changed since. An empty name is no name.
StringPtr GetChannelPatchName(int32_t) {
  uint8_t port = 0, device = 0, channel = 0;
  GetInstrumentRouting(0, &port, &device, &channel);
  if (device != kDeviceKindQuickTimeMusic || channel > 15) return nullptr;
  QuickTimeMusicPort& p = gQuickTimeMusicPorts[channel];
  if (p.allocator == 0) return nullptr;
  if (p.tone.instrumentNumber != p.tone.gmNumber)
    p.result = NAStuffToneDescription(p.allocator, p.tone.instrumentNumber, &p.tone);
  return p.tone.instrumentName[0] != 0 ? p.tone.instrumentName : nullptr;
}

int32_t NameTrackAfterPatch(void*) {
  UpdateEditorInstrumentDisplay();
  if (!gCurrentTrack) return 0;
  StringPtr name = GetChannelPatchName(int8_t(gCurrentTrack[kTrackProgram]));
  if (!name) return 0;
  SetTrackNameIfAllowed(name);
  InvalidateTrackWindow();
  RedrawEventListWindow();
  SetSongModified();
  return 0;
}

void InvalidateCurrentPane() {
  GetPaneContentRect(gCurrentPaneIndex, &gScratchRect);
  gScratchRect.left = kPaneNameLeft;
  gScratchRect.right = kPaneNameRight;
  InvalScratchRect();
}

void NameSelectedTracksAfterPatches() {
  if (RunUndoableEdit(PrepareNaming) != 1) return;
  ForEachSelectedTrackBusy(NameTrackAfterPatch, nullptr);
  UpdateEditorInstrumentDisplay();
  if (!gMainEditorRecord.window) return;
  SetPortWindowPort(gMainEditorRecord.window);
  int16_t kept = gCurrentPaneIndex;
  for (int16_t n = 0; n < gEditorPaneCount; ++n) {
    SelectEditorPaneIndex(n);
    InvalidateCurrentPane();
  }
  SelectEditorPaneIndex(kept);
}
