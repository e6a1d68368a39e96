#include "song/documents/document_hooks.h"

#include "song/documents/media_references.h"

DocumentHooks gDocumentHooks = {};

int16_t AskForMissingFile(ConstStr255Param name, int16_t textA, int16_t textB, bool allowSkip) {
  if (!gDocumentHooks.askForMissingFile) return kPromptKeep;
  return gDocumentHooks.askForMissingFile(name, textA, textB, allowSkip);
}

int16_t AskAfterFailedFind(ConstStr255Param name) {
  if (!gDocumentHooks.askAfterFailedFind) return kPromptKeep;
  return gDocumentHooks.askAfterFailedFind(name);
}

OSErr ReadReferencedAudioHeader(uint8_t* entry, int16_t fork) {
  if (!gDocumentHooks.readReferencedAudioHeader) return noErr;
  return gDocumentHooks.readReferencedAudioHeader(entry, fork);
}

OSErr RegisterReferencedAudioFile(uint8_t* entry, const FSSpec* file) {
  if (!gDocumentHooks.registerReferencedAudioFile) return noErr;
  return gDocumentHooks.registerReferencedAudioFile(entry, file);
}

void ForgetReferencedAudioFile(uint8_t* entry) {
  if (gDocumentHooks.forgetReferencedAudioFile) gDocumentHooks.forgetReferencedAudioFile(entry);
}

OSErr RewriteUnpackedAudioHeader(int16_t fork, bool caf, const uint8_t* description, float rate) {
  if (!gDocumentHooks.rewriteUnpackedAudioHeader) return unimpErr;
  return gDocumentHooks.rewriteUnpackedAudioHeader(fork, caf, description, rate);
}

void StopPlaybackForOpen(bool movie) {
  if (gDocumentHooks.stopPlaybackForOpen) gDocumentHooks.stopPlaybackForOpen(movie);
}

int16_t AskToSaveChanges(int16_t command) {
  if (!gDocumentHooks.askToSaveChanges) return 0;
  return gDocumentHooks.askToSaveChanges(command);
}

bool DeferOpenWhileModal(int32_t arg) {
  return gDocumentHooks.deferOpenWhileModal && gDocumentHooks.deferOpenWhileModal(arg);
}

void LoadOverviewFiles() {
  if (gDocumentHooks.loadOverviewFiles) gDocumentHooks.loadOverviewFiles();
}

OSErr SaveOverviewFilesFor(const FSSpec* document, bool replaceOld) {
  return gDocumentHooks.saveOverviewFiles ? gDocumentHooks.saveOverviewFiles(document, replaceOld) : noErr;
}

OSErr ImportAudioFileDocument(const FSSpec* fileSpec, OSType type, int32_t arg) {
  if (!gDocumentHooks.importAudioFileDocument) return unimpErr;
  return gDocumentHooks.importAudioFileDocument(fileSpec, type, arg);
}

OSErr OpenJukeboxPlayList(const FSSpec* fileSpec) {
  if (!gDocumentHooks.openJukeboxPlayList) return unimpErr;
  return gDocumentHooks.openJukeboxPlayList(fileSpec);
}

OSErr OpenMovieDocument(const FSSpec* fileSpec) {
  if (!gDocumentHooks.openMovieDocument) return unimpErr;
  return gDocumentHooks.openMovieDocument(fileSpec);
}

void LoadNotepadText(Handle rtf) {
  if (gDocumentHooks.loadNotepadText) gDocumentHooks.loadNotepadText(rtf);
}

void ApplyMidiPortSetup(bool defaults) {
  if (gDocumentHooks.applyMidiPortSetup) gDocumentHooks.applyMidiPortSetup(defaults);
}

void HandBlockToAudioEngine(Handle block) {
  if (gDocumentHooks.handBlockToAudioEngine) gDocumentHooks.handBlockToAudioEngine(block);
}

void InstantiatePendingInsertRacks() {
  if (gDocumentHooks.instantiatePendingInsertRacks) gDocumentHooks.instantiatePendingInsertRacks();
}

void LoadPluginDeviceTable(uint16_t version) {
  if (gDocumentHooks.loadPluginDeviceTable) gDocumentHooks.loadPluginDeviceTable(version);
}

void ResetPluginDeviceTable() {
  if (gDocumentHooks.resetPluginDeviceTable) gDocumentHooks.resetPluginDeviceTable();
}
