#include "song/documents/document_services.h"

#include "song/documents/media_references.h"

int16_t AskForMissingFile(bool) { return kPromptSkip; }

OSErr ReadReferencedAudioHeader(uint8_t*, int16_t) { return noErr; }
OSErr RegisterReferencedAudioFile(uint8_t*, const FSSpec*) { return noErr; }
void ForgetReferencedAudioFile(uint8_t*) {}
OSErr RewriteUnpackedAudioHeader(int16_t, bool, const uint8_t*, float) { return unimpErr; }

void StopPlaybackForOpen(bool) {}
int16_t AskToSaveChanges(int16_t) { return 0; }

OSErr ImportAudioFileDocument(const FSSpec*, OSType, int32_t) { return unimpErr; }
OSErr OpenJukeboxPlayList(const FSSpec*) { return unimpErr; }
OSErr OpenMovieDocument(const FSSpec*) { return unimpErr; }

void ApplyDocumentHeaderSettings(const uint8_t*) {}
void LoadNotepadText(Handle) {}
void ApplyMidiPortSetup(bool) {}
void HandBlockToAudioEngine(Handle) {}
void InstantiatePendingInsertRacks() {}
