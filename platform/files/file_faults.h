// Failures made on purpose, for tests of the code that must survive them: a test names a
// step of writing a file and which call of that step fails, and with what result. The File
// Manager calls take the failure at that step as if the host had reported it.
//
// Lock-free (a disk thread may write while a test arms a fault); a fault fires once.
#pragma once

#include "platform/files/file_types.h"

enum : int16_t {
  kFileFaultCreate = 0,  // FSpCreate
  kFileFaultWrite,       // each write to a data fork
  kFileFaultSync,        // FSFlushFork: the data reaching the disk (fdatasync)
  kFileFaultClose,       // FSCloseFork of a data fork
  kFileFaultRename,      // FSpRename and FSpReplaceDataFork
  kFileFaultStepCount
};

// From now on, the nth call (1 = the next) of step fails with err. One fault at a time.
void InjectFileFault(int16_t step, int32_t nth, OSErr err);
void ClearFileFault();
// Called by the File Manager at each step: the injected result when it is due, else noErr.
OSErr TakeFileFault(int16_t step);
