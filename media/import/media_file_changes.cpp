#include "media/import/media_file_changes.h"

#include "media/file_locations.h"
#include "media/import/movie_references.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report.h"

Handle gMediaFileSizes;

namespace {

constexpr uint16_t kLoadingBit = 0x0001;  // gAppState word 4

bool IsWatched(const uint8_t* entry) { return GetMovieRefAlias(entry) && GetMovieRefFork(entry) != 0; }

// The file's size now, found again through its alias (a file replaced by another program is
// the new file, not the one the fork still holds).
OSErr CurrentFileSize(const uint8_t* entry, SInt64* size) {
  FSSpec file;
  if (OSErr err = ResolveAliasNoUI(GetMovieRefAlias(entry), &file, nullptr)) return err;
  FSIORefNum fork = 0;
  if (OSErr err = FSpOpenDF(&file, fsRdPerm, &fork)) return err;
  OSErr err = FSGetForkSize(fork, size);
  FSClose(fork);
  return err;
}

void DropSizes() {
  if (gMediaFileSizes) DisposeHandle(gMediaFileSizes);
  gMediaFileSizes = Handle();
}

}  // namespace

void RecordMediaFileSizes() {
  int32_t count = CountMovieRefs();
  if (count == 0 || gMediaFileSizes || (gAppState[4] & kLoadingBit)) return;
  gMediaFileSizes = NewHandleClear(Size(count) * 8);
  if (!gMediaFileSizes) return;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* entry = GetMovieRef(i);
    if (!IsWatched(entry)) continue;
    SInt64 size = 0;
    if (FSGetForkSize(GetMovieRefFork(entry), &size) != noErr) {
      DropSizes();
      return;
    }
    WriteU64BE(HandleData(gMediaFileSizes) + i * 8, uint64_t(size));
  }
}

void CheckMediaFilesUnchanged() {
  int32_t count = CountMovieRefs();
  if (!gMediaFileSizes || GetHandleSize(gMediaFileSizes) != Size(count) * 8) {
    DropSizes();
    return;
  }
  OSErr err = noErr;
  for (int32_t i = 0; i < count && err == noErr; ++i) {
    const uint8_t* entry = GetMovieRef(i);
    if (!IsWatched(entry) || (GetMovieRefFlags(entry) & kMovieRefUnresolved)) continue;
    SInt64 size = 0;
    err = CurrentFileSize(entry, &size);
    if (err == noErr && uint64_t(size) != ReadU64BE(HandleData(gMediaFileSizes) + i * 8)) err = kMediaFileChangedErr;
  }
  Handle sizes = gMediaFileSizes;
  gMediaFileSizes = Handle();  // hidden while the error is shown
  if (err != noErr) ReportError(err);
  if (sizes) DisposeHandle(sizes);
}
