// The thin layer through which every file of the program is read and written:
// fork wrappers, the stream with its latched and sticky errors, and the locking of a
// song's handles around a write.
#pragma once

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// The stream: one current file at a time, owned by the code that opened it.
extern int16_t gStreamRefNum;
extern int16_t gStreamError;          // result of the last block transfer
extern int16_t gStreamDiskFullError;  // sticky: -34 once any transfer hit a full disk
extern uint32_t gStreamByteCount;     // bytes actually read by ReadBlock

// Fork wrappers: each returns the File Manager's result unchanged.
OSErr OpenDataFork(const FSSpec* fileSpec, int8_t permission, int16_t* refNum);
OSErr CloseFork(int16_t refNum);
OSErr ReadFork(int16_t refNum, uint32_t* count, void* buffer);
OSErr WriteFork(int16_t refNum, uint32_t* count, const void* buffer);
OSErr SetForkPosition64(int16_t refNum, uint16_t positionMode, int64_t offset);
OSErr SetForkPosition(int16_t refNum, uint16_t positionMode, int32_t offset);
OSErr FetchForkPosition(int16_t refNum, int64_t* position);
OSErr GetForkPosition(int16_t refNum, uint32_t* position);
OSErr FetchForkSize(int16_t refNum, int64_t* size);
OSErr GetForkSize(int16_t refNum, uint32_t* size);
OSErr SetForkSize(int16_t refNum, int64_t size);
// Position and read under one process-wide lock: the disk thread and the main thread read
// the same forks.
OSErr ReadForkAtLocked(int16_t refNum, uint16_t positionMode, int64_t offset, uint32_t* count,
                       void* buffer);

// Opens a file as the current stream and clears the stream's error words.
void BeginStream(int16_t refNum);
// Bytes of the stream's file behind its position (at most 0x7fffffff; 0 when either cannot
// be learned).
uint32_t StreamBytesLeft();

OSErr WriteBlock(const void* buffer, uint32_t n);
OSErr ReadBlock(void* buffer, uint32_t n);
OSErr GetLastFileError();
// Writes the handle's size (u32, big-endian) and then its bytes; a null handle writes nothing.
OSErr WriteHandleWithSize(Handle h);
bool IsStreamOk();
int32_t ReportStreamError();
