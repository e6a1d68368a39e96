#include "media/overview/overview_files.h"

#include <cstring>

#include "media/background_jobs.h"
#include "media/overview/overview_blocks.h"
#include "media/overview/overview_file_format.h"
#include "media/overview/reference_aliases.h"
#include "media/track_audio/track_audio.h"
#include "platform/files/aliases.h"
#include "platform/memory/memory.h"
#include "song/documents/bundle_media.h"
#include "song/documents/document_file.h"
#include "song/documents/media_references.h"
#include "song/model/song_iterators.h"
#include "song/model/utility_iteration.h"

namespace {

constexpr int32_t kLongestFileName = 31;

Handle MainRecord() { return GetTrackAudio(); }

void DropAlias(Handle record) {
  TrackAudioView v = ViewTrackAudio(record);
  if (!v) return;
  Handle alias = v.OverviewAlias();
  v.SetOverviewAlias(Handle());
  if (alias && IsValidHandle(alias)) DisposeHandle(alias);
}

// The song document's name without its extension, with ".OVV", at most 31 characters.
void OverviewFileName(const FSSpec& doc, Str255 name) {
  int32_t base = doc.name[0];
  for (int32_t i = base; i > 1; --i)
    if (doc.name[i] == '.') {
      base = i - 1;
      break;
    }
  int32_t ext = int32_t(std::strlen(kOverviewFileExtension));
  if (base > kLongestFileName - ext) base = kLongestFileName - ext;
  std::memcpy(name + 1, doc.name + 1, size_t(base));
  std::memcpy(name + 1 + base, kOverviewFileExtension, size_t(ext));
  name[0] = uint8_t(base + ext);
}

// A cache found by name beside the song is taken only when it holds an overview of the
// track's channel count.
bool CacheFitsTrack(const FSSpec* candidate, void* record) {
  Handle chain;
  if (ReadOverviewFile(candidate, ViewTrackAudio(*static_cast<Handle*>(record)).Channels(), &chain) != noErr)
    return false;
  DisposeOverviewBlocks(chain);
  return true;
}

}  // namespace

OSErr MakeOverviewFileAlias(const FSSpec* document) {
  Handle record = MainRecord();
  if (!record) return noErr;
  DropAlias(record);
  Handle chain = ViewTrackAudio(record).Overview();
  if (!chain || !document || !document->name[0]) return noErr;
  Str255 name;
  OverviewFileName(*document, name);
  FSSpec spec;
  OSErr err = MakeUniqueFileSpec(document->vRefNum, document->parID, name, &spec);
  if (err == noErr) err = WriteOverviewFile(&spec, chain);
  AliasHandle alias;
  if (err == noErr) err = NewAlias(document, &spec, &alias);
  if (err == noErr) ViewTrackAudio(record).SetOverviewAlias(alias);
  return err;
}

// The file the current track's alias itself names (never one found by its name elsewhere).
bool NamedOverviewFile(FSSpec* spec) {
  TrackAudioView v = ViewTrackAudio(MainRecord());
  Handle alias = v ? v.OverviewAlias() : Handle();
  const FSSpec* document = gCurrentDocumentSpec.name[0] ? &gCurrentDocumentSpec : nullptr;
  return alias && ResolveReferencedAlias(alias, document, spec) == noErr;
}

void DeleteOverviewFile() {
  FSSpec spec;
  if (!NamedOverviewFile(&spec)) return;
  FSpDelete(&spec);
  DropAlias(MainRecord());
}

OSErr SaveOverviewFiles(const FSSpec* document, bool deleteOld) {
  struct Save {
    const FSSpec* document;
    bool deleteOld;
    OSErr first;
  } save{document, deleteOld, noErr};
  // The new file is written before the old one goes, so a failed write costs no more than
  // computing that overview again.
  ForEachTrack([](void* arg) -> int32_t {
    auto* s = static_cast<Save*>(arg);
    FSSpec old;
    bool hadOld = s->deleteOld && NamedOverviewFile(&old);
    OSErr err = MakeOverviewFileAlias(s->document);
    if (hadOld && err == noErr) FSpDelete(&old);
    if (s->first == noErr) s->first = err;
    return 0;
  }, &save);
  return save.first;
}

OSErr LoadOverviewFile() {
  Handle record = MainRecord();
  TrackAudioView v = ViewTrackAudio(record);
  if (!v || !v.OverviewAlias()) return noErr;
  FSSpec spec;
  Boolean changed = false;
  // A cache that cannot be found leaves the reference as it is (the next save replaces it);
  // the overview is computed when the track is drawn.
  if (ResolveOverviewAlias(v.OverviewAlias(), &spec, &changed, CacheFitsTrack, &record) != noErr) return noErr;
  Handle chain;
  OSErr err = ReadOverviewFile(&spec, ViewTrackAudio(record).Channels(), &chain);
  if (err == noErr) SetTrackOverview(record, chain);
  return err;
}

void LoadSongOverviewFiles() {
  ForEachTrack([](void*) -> int32_t {
    LoadOverviewFile();
    return 0;
  }, nullptr);
}

OSErr SaveDocumentOverviewFiles(const FSSpec* document, bool replaceOld) {
  WaitForOverviewThread();
  struct Save {
    const FSSpec* document;
    bool replaceOld;
    OSErr first;
  } save{document, replaceOld, noErr};
  ForEachSong([](void* arg) -> int32_t {
    auto* s = static_cast<Save*>(arg);
    OSErr err = SaveOverviewFiles(s->document, s->replaceOld);
    if (s->first == noErr) s->first = err;
    return 0;
  }, &save);
  return save.first;
}

void LoadDocumentOverviewFiles() {
  WaitForOverviewThread();
  ForEachSong([](void*) -> int32_t {
    DiscardAllOverviews();
    LoadSongOverviewFiles();
    return 0;
  }, nullptr);
}
