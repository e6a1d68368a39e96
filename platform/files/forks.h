// Open forks. A fork reference number (i16, from a table) names an open data fork (the file
// itself, read and written in place) or an open resource fork (held in memory, written
// back to the sidecar atomically when it is flushed or closed). The table is shared by all
// threads and guarded; each call is atomic with respect to the others.
//
// Results: rfNumErr for an unknown refnum; fnfErr opening a missing file; opWrErr when
// another path already writes the fork; wrPermErr writing a fork opened read-only; eofErr on
// a short read (with the count read) or positioning past the end (the mark goes to the end);
// posErr positioning before the start (the mark stays); dskFulErr when the host file system
// is full; permErr when the host refuses access. A write that starts past the end extends
// the fork, the gap reading as zeros.
#pragma once

#include <string>

#include "platform/files/file_types.h"

// The fork names: "" for the data fork, "RESOURCE_FORK" for the resource fork.
OSErr FSGetDataForkName(HFSUniStr255* dataForkName);
OSErr FSGetResourceForkName(HFSUniStr255* resourceForkName);

OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName,
                 SInt8 permissions, FSIORefNum* forkRefNum);
OSErr FSReadFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                 ByteCount requestCount, void* buffer, ByteCount* actualCount);
OSErr FSWriteFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                  ByteCount requestCount, const void* buffer, ByteCount* actualCount);
OSErr FSSetForkPosition(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset);
OSErr FSGetForkPosition(FSIORefNum forkRefNum, SInt64* position);
OSErr FSGetForkSize(FSIORefNum forkRefNum, SInt64* forkSize);
OSErr FSSetForkSize(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset);
OSErr FSFlushFork(FSIORefNum forkRefNum);
OSErr FSCloseFork(FSIORefNum forkRefNum);

// The classic calls over the same table (32-bit counts and offsets).
OSErr FSpOpenDF(const FSSpec* fileSpec, SInt8 permission, FSIORefNum* refNum);
OSErr FSpOpenRF(const FSSpec* fileSpec, SInt8 permission, FSIORefNum* refNum);
OSErr HOpenDF(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, SInt8 permission, FSIORefNum* refNum);
OSErr HOpenRF(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, SInt8 permission, FSIORefNum* refNum);
OSErr FSRead(FSIORefNum refNum, SInt32* count, void* buffPtr);
OSErr FSWrite(FSIORefNum refNum, SInt32* count, const void* buffPtr);
OSErr SetFPos(FSIORefNum refNum, SInt16 posMode, SInt32 posOff);
OSErr GetFPos(FSIORefNum refNum, SInt32* filePos);
OSErr GetEOF(FSIORefNum refNum, SInt32* logEOF);
OSErr SetEOF(FSIORefNum refNum, SInt32 logEOF);
OSErr FSClose(FSIORefNum refNum);

// FSSpec of the file an open fork belongs to (FSGetForkCBInfo in short).
OSErr GetForkSpec(FSIORefNum refNum, FSSpec* fileSpec);
// True while some fork of the file at path is open (deleting it then gives fBsyErr).
bool IsPathOpen(const std::string& path);
// Number of open forks, for leak checks in tests.
int CountOpenForks();
