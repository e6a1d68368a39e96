#include "shell/menus/menu_routes.h"

#include "editing/edit_commands.h"
#include "editing/transforms/transform_menu.h"
#include "editors/editor_commands.h"
#include "editors/panes/timeline_zoom.h"
#include "media/audio_file_commands.h"
#include "media/import/audio_import.h"
#include "mixer/mixer_commands.h"
#include "performance/performance_options.h"
#include "plugins/plugin_host_commands.h"
#include "sequencer/transport/engine_options.h"
#include "shell/menus/dialog_menu_commands.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_commands.h"
#include "shell/menus/notepad_menu.h"
#include "shell/menus/option_toggles.h"
#include "shell/menus/track_menu_commands.h"
#include "shell/menus/track_patch_names.h"
#include "shell/settings/setup_dialogs.h"
#include "song/dialogs/song_setup_commands.h"

namespace {

constexpr int16_t kNewInstrumentDeviceKind = 11;
constexpr int16_t kTimebaseMenuOption = 1;
constexpr int16_t kTimebaseAfterAudioSetup = 3;
constexpr int32_t kBounceCommandArg = 20;

void HandleRefreshMenu(int16_t item) {
  HandleEditorDisplayMenu(kRefreshMenuId, item);
  if (item >= 1 && item <= 3) ChooseRefreshWindow();
}

}  // namespace

OSStatus HandleFileMenuMoreItems(int16_t item) {
  switch (item) {
    case 12: ImportAudioFileCommand(); return noErr;
    case 14: RunAudioFileCommand14(); return noErr;
    case 21: RunAudioFileCommand21(kBounceCommandArg); return noErr;
    default: return kMenuItemNotHandled;
  }
}

OSStatus HandleTransformMenuItem(int16_t item) {
  if (HandleTransformMenu(item) == kMenuItemNotHandled) DoTransformMenuItem(item, 0);
  return noErr;
}

OSStatus HandleToolsMenuItem(int16_t item) {
  switch (item) {
    case 3: RunEditorCommand3(1, 0); break;
    case 4: RunEditorCommand4(0, 0); break;
    case 6: RunNewInstrumentDialog(kNewInstrumentDeviceKind, 0); break;
    case 7: RunInstrumentMenuCommand(); break;
    case 8: RunStartupSettingsCommand(0); break;
    case 10: RunStartupSettingsCommand(1); break;
    case 15: ZoomEditorStep(0); break;
    case 16: ZoomEditorStep(1); break;
    case 18: NameSelectedTracksAfterPatches(); break;
    case 20: return HandleToolsMenu(item);
    default: break;
  }
  return noErr;
}

OSStatus HandleOptionsMenuItem(int16_t item) {
  switch (item) {
    case 1: RunRfilterDialog(); break;
    case 2: RunRpsetDialog(); break;
    case 6: return kMenuItemNotHandled;  // the system's own item
    case kOptionsChaseItem: return HandleOptionsMenu(item);
    case 9: RunPerformanceOptionDialog(); break;
    case 10: ApplyTimebaseOption(kTimebaseMenuOption); break;
    case 11: RunSequencerOptionDialog(item); break;
    case 12: RunDeviceSetsDialog(); break;
    case 13: RunControllerNamesDialog(); break;
    case 14: RunNudgeDialog(); break;
    case 16:
      if (RunAudioSetupDialog()) ApplyTimebaseOption(kTimebaseAfterAudioSetup);
      break;
    case 18: RunOptions18Dialog(); break;
    default: break;
  }
  return noErr;
}

OSStatus DispatchSubmenuCommand(int16_t menuId, int16_t item) {
  switch (menuId) {
    case kEditMenuId: return DoEditMenuItem(item);
    case kInstrumentWindowMenuId: HandleInstrumentWindowMenu(item); return noErr;
    case kTrackOpsMenuId: HandleMenu69(item); return noErr;
    case kReWireMenuId: RunReWireCommand(item); return noErr;
    case kAudioProcessingMenuId: HandleAudioProcessingMenu(item); return noErr;
    case kTrackCommandsMenuRouteId: HandleTrackCommandsMenu(item); return noErr;
    case kRefreshMenuId: HandleRefreshMenu(item); return noErr;
    case kTrackDisplayMenuId: HandleTrackDisplayMenu(item); return noErr;
    case kPluginProcessingMenuRouteId: HandlePluginProcessingMenu(gMappedPluginMenu, item); return noErr;
    case kJustificationMenuRouteId: HandleJustificationMenu(item); return noErr;
    default: return kMenuItemNotHandled;
  }
}
