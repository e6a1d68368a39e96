#include "song/documents/new_file_writer.h"

#include "shell/base/busy_cursor.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/file_replacement.h"
#include "song/documents/document_file.h"

OSErr WriteNewFileQuietly(const FSSpec* fileSpec, OSType type, FileWriterProc writer, void* writerArg) {
  gStreamDiskFullError = noErr;
  OSErr err = ReplaceFileThroughStream(fileSpec, writer, writerArg, kProgramCreator, type);
  gStreamError = err;
  return err;
}

OSErr WriteNewFile(const FSSpec* fileSpec, OSType type, FileWriterProc writer, void* writerArg) {
  SpinBusyCursor();
  OSErr err = WriteNewFileQuietly(fileSpec, type, writer, writerArg);
  RestoreArrowCursor();
  if (err != noErr) ReportFileError(err, fileSpec->name, kFileActionSave);
  gStreamDiskFullError = noErr;
  return err;
}
