#include "shell/base/file_replacement.h"

#include "shell/base/file_access.h"

namespace {

OSErr PlaceNewFile(const FSSpec* temp, const FSSpec* target, OSType creator, OSType fileType) {
  FInfo info;
  OSErr err = FSpGetFInfo(temp, &info);
  if (err == noErr && (creator != 0 || fileType != 0)) {
    info.fdCreator = creator;
    info.fdType = fileType;
    err = FSpSetFInfo(temp, &info);
  }
  return err == noErr ? FSpRename(temp, target->name) : err;
}

// Runs the writer on the open temporary file, then makes its data reach the disk.
OSErr WriteAndSync(int16_t refNum, StreamWriterProc write, void* writerArg) {
  int16_t savedStream = gStreamRefNum;
  BeginStream(refNum);
  OSErr err = write(writerArg);
  if (err == noErr) err = GetLastFileError();
  if (err == noErr) err = FSFlushFork(refNum);
  OSErr closeErr = CloseFork(refNum);
  gStreamRefNum = savedStream;
  return err != noErr ? err : closeErr;
}

struct PlainWriter {
  OSErr (*write)();
};

OSErr CallPlainWriter(void* writerArg) { return static_cast<PlainWriter*>(writerArg)->write(); }

}  // namespace

OSErr BeginDataForkReplacement(const FSSpec* target, FSSpec* temp, int16_t* refNum) {
  RemoveStaleSaveTemporaries(target);
  OSErr err = MakeSaveTempSpec(target, temp);
  if (err == noErr) err = FSpCreate(temp, 0, 0, -1);
  if (err != noErr) return err;
  err = OpenDataFork(temp, fsRdWrPerm, refNum);
  if (err != noErr) FSpDelete(temp);
  return err;
}

OSErr CommitDataForkReplacement(const FSSpec* temp, const FSSpec* target, OSType creator,
                                OSType fileType) {
  bool isFolder = false;
  if (!SpecExists(target, &isFolder)) return PlaceNewFile(temp, target, creator, fileType);
  if (isFolder) return notAFileErr;
  return FSpReplaceDataFork(temp, target);
}

void AbandonDataForkReplacement(const FSSpec* temp) { FSpDelete(temp); }

OSErr ReplaceFileThroughStream(const FSSpec* target, StreamWriterProc write, void* writerArg,
                               OSType creator, OSType fileType) {
  FSSpec temp;
  int16_t refNum = 0;
  OSErr err = BeginDataForkReplacement(target, &temp, &refNum);
  if (err != noErr) return err;
  err = WriteAndSync(refNum, write, writerArg);
  if (err == noErr) err = CommitDataForkReplacement(&temp, target, creator, fileType);
  if (err != noErr) AbandonDataForkReplacement(&temp);
  return err;
}

OSErr ReplaceDataForkWithStream(const FSSpec* target, OSErr (*write)(), OSType creator,
                                OSType fileType) {
  PlainWriter writer{write};
  return ReplaceFileThroughStream(target, CallPlainWriter, &writer, creator, fileType);
}
