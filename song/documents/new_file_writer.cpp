#include "song/documents/new_file_writer.h"

#include <string>
#include <unistd.h>

#include "platform/text/pascal_strings.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/file_access.h"
#include "song/documents/document_file.h"

namespace {

constexpr int32_t kMaxTempTries = 100;
// Names that folder listings leave out (the platform's prefix for temporary files).
constexpr const char* kTempFileNamePrefix = ".zarin-tmp-save-";

// A temporary file beside fileSpec, created with the target's type and creator.
OSErr CreateTemporaryBeside(const FSSpec* fileSpec, OSType type, FSSpec* temp) {
  for (int32_t n = 1; n <= kMaxTempTries; ++n) {
    std::string name = std::string(kTempFileNamePrefix) + std::to_string(getpid()) + "-" + std::to_string(n);
    Str255 macName;
    CopyCStringToPascal(name.c_str(), macName);
    OSErr err = FSMakeFSSpec(fileSpec->vRefNum, fileSpec->parID, macName, temp);
    if (err == noErr) continue;  // taken
    if (err != fnfErr) return err;
    err = FSpCreate(temp, kProgramCreator, type, 0);
    if (err != dupFNErr) return err;
  }
  return dupFNErr;
}

OSErr WriteThroughStream(const FSSpec* temp, FileWriterProc writer, void* writerArg) {
  int16_t fork = 0;
  OSErr err = FSpOpenDF(temp, fsRdWrPerm, &fork);
  if (err != noErr) return err;
  int16_t saved = gStreamRefNum;
  BeginStream(fork);
  err = SetEOF(fork, 0);
  if (err == noErr) {
    writer(writerArg);
    err = GetLastFileError();
  }
  OSErr closeErr = FSClose(fork);
  if (err == noErr) err = closeErr;
  gStreamRefNum = saved;
  return err;
}

// The temporary file takes the target's place: exchanged with an existing target (which
// keeps its resource fork and Finder info; the old contents then go with the temporary), or
// renamed to the target's name.
OSErr PutInPlace(const FSSpec* temp, const FSSpec* fileSpec) {
  bool isFolder = false;
  if (!SpecExists(fileSpec, &isFolder)) return FSpRename(temp, fileSpec->name);
  if (isFolder) return notAFileErr;
  std::string fork;
  OSErr err = ReadResourceForkBytes(fileSpec, &fork);
  if (err == noErr && !fork.empty()) err = WriteResourceForkBytes(temp, fork);
  if (err == noErr) err = FSpExchangeFiles(temp, fileSpec);
  if (err == noErr) FSpDelete(temp);
  return err;
}

}  // namespace

OSErr WriteNewFileQuietly(const FSSpec* fileSpec, OSType type, FileWriterProc writer, void* writerArg) {
  gStreamDiskFullError = noErr;
  FSSpec temp;
  OSErr err = CreateTemporaryBeside(fileSpec, type, &temp);
  if (err != noErr) return err;
  err = WriteThroughStream(&temp, writer, writerArg);
  if (err == noErr) err = PutInPlace(&temp, fileSpec);
  if (err != noErr) FSpDelete(&temp);
  gStreamError = err;
  return err;
}

OSErr WriteNewFile(const FSSpec* fileSpec, OSType type, FileWriterProc writer, void* writerArg) {
  SpinBusyCursor();
  OSErr err = WriteNewFileQuietly(fileSpec, type, writer, writerArg);
  RestoreArrowCursor();
  if (err != noErr) ReportStreamError();
  gStreamDiskFullError = noErr;
  return err;
}
