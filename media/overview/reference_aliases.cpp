#include "media/overview/reference_aliases.h"

#include "platform/memory/memory.h"
#include "song/documents/document_file.h"
#include "song/documents/media_references.h"

OSErr FindFileBesideSong(Handle alias, FSSpec* spec, Boolean* changed) {
  if (!alias || !gCurrentDocumentSpec.name[0]) return fnfErr;
  FSSpec found;
  if (FindFileBesideDocument(alias, &gCurrentDocumentSpec, &found) != noErr) return fnfErr;
  *spec = found;
  if (changed) *changed = true;
  return noErr;
}

OSErr MatchReferenceAlias(uint32_t, Handle alias, FSSpec* spec, Boolean* changed, ReferenceCandidateTest test,
                          void* data) {
  if (changed) *changed = false;
  if (!alias) return fnfErr;
  const FSSpec* document = gCurrentDocumentSpec.name[0] ? &gCurrentDocumentSpec : nullptr;
  FSSpec found;
  if (ResolveReferencedAlias(alias, document, &found) == noErr) {
    *spec = found;
    return noErr;
  }
  // Not where the reference says: a file of its name beside the song, when the caller takes
  // it. The reference is only rewritten once the file was accepted.
  Handle trial = alias;
  if (HandToHand(&trial) != noErr) return memFullErr;
  OSErr err = FindFileBesideSong(trial, &found, nullptr);
  DisposeHandle(trial);
  if (err != noErr) return fnfErr;
  if (test && !test(&found, data)) return fnfErr;
  if (document) RefreshReferenceAlias(document, &found, alias);
  *spec = found;
  if (changed) *changed = true;
  return noErr;
}

OSErr ResolveOverviewAlias(Handle alias, FSSpec* spec, Boolean* changed, ReferenceCandidateTest test, void* data) {
  return MatchReferenceAlias(kOverviewAliasRules, alias, spec, changed, test, data);
}

OSErr ResolveMediaAlias(Handle alias, FSSpec* spec, ReferenceCandidateTest test, void* data) {
  Boolean changed = false;
  return MatchReferenceAlias(kMediaAliasRules, alias, spec, &changed, test, data);
}
