#include "media/import/import_hooks.h"

MediaImportHooks gMediaImportHooks = {};

int16_t AskToConvertFile(ConstStr255Param name) {
  return gMediaImportHooks.askToConvertFile ? gMediaImportHooks.askToConvertFile(name) : 2;
}

OSErr ChooseMediaFolder(FSSpec* folder, int16_t prompt) {
  return gMediaImportHooks.chooseMediaFolder ? gMediaImportHooks.chooseMediaFolder(folder, prompt)
                                             : OSErr(userCanceledErr);
}

void RefreshImportTrackList(int16_t trackNumber) {
  if (gMediaImportHooks.refreshTrackList) gMediaImportHooks.refreshTrackList(trackNumber);
}

void RememberAudioFile(const FSSpec* file) {
  if (gMediaImportHooks.rememberAudioFile) gMediaImportHooks.rememberAudioFile(file);
}

void SelectAudioEditContext() {
  if (gMediaImportHooks.selectAudioEditContext) gMediaImportHooks.selectAudioEditContext();
}

void UpdateImportSyncMode() {
  if (gMediaImportHooks.updateSyncMode) gMediaImportHooks.updateSyncMode();
}
