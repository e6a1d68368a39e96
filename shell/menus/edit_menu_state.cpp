#include "shell/menus/edit_menu_state.h"

#include "platform/memory/memory.h"
#include "platform/windows/windows.h"
#include "shell/app/song_switch.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_items.h"
#include "shell/menus/track_menu_state.h"
#include "shell/windows/app_windows.h"
#include "song/events/time_selection.h"
#include "song/model/clipboard_record.h"
#include "song/undo/undo_ring.h"

namespace {

constexpr uint32_t kAllItems = 0xFFFFFF;
constexpr uint32_t kTextEditing = 0x4000fb;
constexpr uint32_t kNoDocument = 0xd9;
constexpr uint32_t kUndoRedo = 0x3;

uint32_t FollowUndo(uint32_t mask, const EditMenuInputs& in) {
  mask = in.canUndo ? (mask | 1) : (mask & ~1u);
  return in.canRedo ? (mask | 2) : (mask & ~2u);
}

uint32_t ByKind(uint32_t mask, const EditMenuInputs& in) {
  switch (in.kind) {
    case kMarkerListKind: return mask & 0xc050db;
    case kRemoteControlKind:
    case kPluginChooserKind:
    case kMixerKind:
    case kJukeboxKind: return mask & 0xc05083;
    case kInstrumentWindowKindId: return mask & 0x4050db;
    default:
      if (!in.hasTimeSelection && in.kind != kSongListKind && in.kind != kTrackWindowKind) mask &= ~0x1c8088u;
      if (!in.pasteFlag) mask &= ~0x8000u;
      if (!in.hasClipboard && !in.trackQualifies) mask &= ~0x10040u;
      return mask;
  }
}

uint32_t Refine(uint32_t mask, const EditMenuInputs& in) {
  if (!in.hasAppWindow || in.kind == kPluginChooserKind) mask &= kUndoRedo;
  if (in.trackTextEntry) mask &= ~0x8000u;
  if (!(in.kind == kTrackWindowKind && in.singleSelectedTrack)) mask &= ~0x20000u;
  if (in.kind != kMainEditorWindowKind && in.kind != kTrackWindowKind && in.kind != kEventListKind) mask &= ~0x100u;
  if (!in.secondFlag) mask &= ~0x500u;
  if (in.kind == 15) {
    if (in.ownerAdds90) mask |= 0x90;
    if (in.ownerAdds40) mask |= 0x40;
  }
  if (in.kind == kMixerKind) {
    mask &= kUndoRedo;
    if (in.stripHasChain) {
      mask |= 0x400000;
      if (in.firstInsertAnswers) mask |= 0x80;
    }
  }
  return mask;
}

}  // namespace

uint32_t ComputeEditMenuMask(const EditMenuInputs& in) {
  if (in.notepadTextFocused || (in.kind == kTrackWindowKind && in.trackTextEntry)) {
    return in.notepadTextFocused ? kTextEditing : FollowUndo(kTextEditing, in);
  }
  if (!in.hasFrontDocWindow || in.windowKind < 0) return kNoDocument;
  uint32_t mask = kAllItems;
  if (!in.canUndo) mask &= ~1u;
  if (!in.canRedo) mask &= ~2u;
  return Refine(ByKind(mask, in), in);
}

EditMenuInputs GatherEditMenuInputs() {
  EditMenuInputs in;
  in.canUndo = CanUndo();
  in.canRedo = CanRedo();
  WindowRef front = GetFrontDocWindow();
  in.hasFrontDocWindow = front != nullptr;
  in.windowKind = front ? GetWindowKind(front) : 0;
  AppWindow* record = FindAppWindow(front);
  in.hasAppWindow = record != nullptr;
  in.kind = GetAppWindowKind(record);
  in.hasTimeSelection = gTimeSelection.end.tick > gTimeSelection.start.tick;
  in.hasClipboard = gClipboard && IsValidHandle(gClipboard);
  in.pasteFlag = in.hasClipboard;
  in.trackQualifies = ScanTracksForMenuState(true);
  return in;
}

void ApplyEditMenuMask(uint32_t mask) {
  if (gEditMenu) EnableMenuItemsByMask(gEditMenu, mask, kEditMenuItemCount);
}
