// The overview cache files of the current song's audio tracks: each track's record keeps an
// alias to a ".OVV" file beside the song document that holds its overview between runs.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// The current track's main record (with regions): the old alias is disposed; when the record
// has an overview, a new file named after the song document (".OVV", made unique) is written
// beside the document and its alias kept. The file layer's error, or 0 when nothing was to
// be written (no overview, or a document without a name).
OSErr MakeOverviewFileAlias(const FSSpec* document);
// Deletes the file the current track's alias names and disposes the alias; an alias that does
// not resolve is kept.
void DeleteOverviewFile();
// Every track of the current song: MakeOverviewFileAlias, and with deleteOld the file the
// track's alias named before is deleted once the new one is written. Returns the first error.
OSErr SaveOverviewFiles(const FSSpec* document, bool deleteOld);
// The current track's main record takes its overview from its file. An alias that does not
// resolve is kept as it is (the next save replaces it; the overview is computed when drawn);
// a file that does not hold this track's overview is left as it is and its error returned,
// the record keeping none.
OSErr LoadOverviewFile();
// LoadOverviewFile on every track of the current song.
void LoadSongOverviewFiles();

// For a document being saved: the overview jobs are stopped, then SaveOverviewFiles runs over
// every open song. Returns the first error.
OSErr SaveDocumentOverviewFiles(const FSSpec* document, bool replaceOld);
// For a document just opened: every song's overviews are discarded, then loaded from their
// files.
void LoadDocumentOverviewFiles();
