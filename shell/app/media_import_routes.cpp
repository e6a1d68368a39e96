#include "shell/app/media_import_routes.h"

#include "editing/edit_context.h"
#include "media/import/audio_import.h"
#include "media/import/import_hooks.h"
#include "platform/dialogs/param_text.h"
#include "shell/app/song_activation.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/menus/alias_lists.h"
#include "shell/windows/track_view_modes.h"
#include "song/dialogs/file_dialogs.h"

namespace {

int16_t AskToConvert(ConstStr255Param name) {
  static const unsigned char kEmpty[] = "";
  ParamText(name, kEmpty, kEmpty, kEmpty);
  return ShowAlert(kConvertUnplayableAlert, kCautionAlert);
}

OSErr ChooseFolder(FSSpec* folder, int16_t prompt) { return NavChooseFolderDialog(folder, prompt); }

void RefreshTrackList(int16_t track) { RefreshTrackListControl(track, false); }

void RememberAudio(const FSSpec* file) { AddFileToAliasList(&gMediaFileList, file, Handle()); }

void SelectAudioContext() { gEditContextKind = kContextTrackWindow; }

}  // namespace

void InstallMediaImportRoutes() {
  gMediaImportHooks.askToConvertFile = AskToConvert;
  gMediaImportHooks.chooseMediaFolder = ChooseFolder;
  gMediaImportHooks.refreshTrackList = RefreshTrackList;
  gMediaImportHooks.rememberAudioFile = RememberAudio;
  gMediaImportHooks.selectAudioEditContext = SelectAudioContext;
  gMediaImportHooks.updateSyncMode = UpdateSyncModeForSong;
  InstallAudioImportHooks();
}
