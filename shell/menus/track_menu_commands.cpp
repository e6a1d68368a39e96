#include "shell/menus/track_menu_commands.h"

#include "editing/edit_commands.h"
#include "media/audio_file_commands.h"
#include "mixer/mixer_commands.h"
#include "plugins/plugin_host_commands.h"
#include "shell/base/error_report.h"
#include "shell/menus/track_menu_state.h"
#include "song/documents/playback_reset.h"
#include "song/model/media_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_iterators.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

uint16_t gLastPluginItem = kNoPluginCommand;
MenuRef gLastPluginMenu = nullptr;

namespace {

constexpr uint8_t kLowFlagBits = 0x03;
constexpr int32_t kTrackEditUndoKind = 0;  // named "Edit" in the undo texts

int32_t SetSilent(void* arg) {
  if (!gCurrentTrack) return 0;
  bool set = *static_cast<bool*>(arg);
  uint8_t flags = gCurrentTrack[kTrackFlags];
  gCurrentTrack[kTrackFlags] = set ? uint8_t(flags | kTrackFlagSilent) : uint8_t(flags & ~kTrackFlagSilent);
  return 0;
}

int32_t SilenceSelectedTracks(void* arg) {
  SetCurrentUndoKind(kTrackEditUndoKind);
  ForEachSelectedTrackEntry(SetSilent, arg);
  return 0;
}

int32_t RunPluginOverTracks(void*) { return RunPluginOnSelectedTracks(); }

struct GroupState {
  uint8_t group = 0;
  int32_t members = 0;
  uint8_t lowFlags = 0;
};

int32_t JoinGroup(void* arg) {
  auto* state = static_cast<GroupState*>(arg);
  if (!gCurrentTrack || gCurrentTrack[kTrackType] != kGroupableTrackKind) return 0;
  if (state->members++ == 0) state->lowFlags = gCurrentTrack[kTrackFlags] & kLowFlagBits;
  gCurrentTrack[kTrackGroup] = state->group;
  gCurrentTrack[kTrackFlags] = uint8_t((gCurrentTrack[kTrackFlags] & ~kLowFlagBits) | state->lowFlags);
  return 0;
}

void GroupSelectedTracks() {
  if (!gCurrentSong) return;
  SongHeaderView song(gCurrentSong);
  GroupState state;
  state.group = uint8_t(song.GroupCounter() + 1);
  if (state.group == 0) state.group = 1;  // group 0 means none
  ForEachSelectedTrackEntry(JoinGroup, &state);
  if (state.members > 0 && gCurrentSong) SongHeaderView(gCurrentSong).SetGroupCounter(state.group);
}

int32_t SetDisplayBit(void* arg) {
  if (!gCurrentTrack) return 0;
  bool set = *static_cast<bool*>(arg);
  uint8_t& byte = gCurrentTrack[kTrackDisplayByte];
  byte = set ? uint8_t(byte | kTrackDisplayHighlighted) : uint8_t(byte & ~kTrackDisplayHighlighted);
  return 0;
}

void AfterTrackChange() {
  InvalidateTrackWindow();
  SetSongModified();
}

}  // namespace

void HandleTrackCommandsMenu(int16_t item) {
  if (!gCurrentSong) return;
  switch (item) {
    case 1:
    case 2: {
      bool set = item == 1;
      RunUndoableEdit(SilenceSelectedTracks, &set);
      ResetPlaybackState(0);
      break;
    }
    case 5: RunUndoableTimeSelectionEdit(RunPluginOverTracks); break;
    case 7:
    case 8: GroupSelectedTracks(); break;
    default: break;
  }
  AfterTrackChange();
}

void HandleTrackDisplayMenu(int16_t item) {
  if (!gCurrentSong) return;
  bool set = item != 1;
  ForEachSelectedTrackEntry(SetDisplayBit, &set);
  RefreshCurrentSongPtr();
  AfterTrackChange();
}

void HandleAudioProcessingMenu(int16_t item) {
  if (!ScanTracksForMenuState(true)) {
    ReportError(kNoQualifyingTrackError);
    return;
  }
  if (item == 7 || item == 9 || item == 10) ResetPlaybackState(0);
  if (item != 7 && item != 9 && !RequireTimeSelection()) return;
  switch (item) {
    case 1:
    case 2: RunAudioProcessCommand(item - 1); break;
    case 4: case 5: case 7: case 8: case 9: case 10: case 11: RunAudioProcessCommand(item); break;
    default: break;
  }
}

void HandlePluginProcessingMenu(MenuRef menu, int16_t item) {
  ResetPlaybackState(0);
  if (!menu && item == 1) {
    if (gLastPluginItem >= kNoPluginCommand) return;
    item = int16_t(gLastPluginItem);
    menu = gLastPluginMenu;
  }
  if (!IsTrackAudioReady()) {
    ReportError(kNoQualifyingTrackError);
    return;
  }
  if (!RequireTimeSelection()) return;
  URefCon id = URefCon(item);
  if (menu) GetMenuItemRefCon(menu, MenuItemIndex(item), &id);
  if (RunMixerPluginDialog(int32_t(id), 0, 0, 16) < 0) return;
  gLastPluginItem = uint16_t(item);
  gLastPluginMenu = menu;
}
