// Relocatable blocks (handles) and fixed blocks (pointers).
//
// A handle is a 32-bit id: the low 24 bits index a slot table, the high 8 bits count how
// often the slot was reused, so a disposed handle is recognised and never dereferenced.
// Unlocked blocks move when they grow past their capacity; a locked block never moves.
// All sizes are checked against a memory budget, so the largest free block and the free
// memory are deterministic: MaxBlock() == FreeMem() == budget - bytes in use.
//
// Freed blocks of 2 MB and more are kept, a few of them, for the next large block of about
// their size (its pages are in place already); they do not count as memory in use.
//
// Setting ZARIN_MOVE_HANDLES=1 in the environment (or SetHandleMoveDebug(true)) moves every
// unlocked block on every growth and every MoveHHi, and fills every block it frees, so a stale
// pointer shows up at once.
#pragma once

#include "platform/memory/mac_types.h"

// Handle state bits (HGetState / HSetState).
constexpr int8_t kHandleLockedBit = -128;  // 0x80
constexpr int8_t kHandlePurgeableBit = 0x40;
constexpr int8_t kHandleResourceBit = 0x20;

Handle NewHandle(Size byteCount);
Handle NewHandleClear(Size byteCount);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h);
void SetHandleSize(Handle h, Size newSize);
void HLock(Handle h);
void HUnlock(Handle h);
void HLockHi(Handle h);
int8_t HGetState(Handle h);
void HSetState(Handle h, int8_t flags);
void HNoPurge(Handle h);
void HPurge(Handle h);
void MoveHHi(Handle h);
void EmptyHandle(Handle h);
void ReallocateHandle(Handle h, Size byteCount);
OSErr HandToHand(Handle* theHndl);
OSErr PtrToHand(const void* srcPtr, Handle* dstHndl, Size size);
OSErr PtrAndHand(const void* ptr, Handle h, Size size);
OSErr HandAndHand(Handle src, Handle dst);
// Inserts or deletes bytes: replaces len1 bytes at offset with len2 bytes of ptr2 (null: zeros).
int32_t Munger(Handle h, int32_t offset, const void* ptr1, int32_t len1, const void* ptr2, int32_t len2);

// Current address of a handle's block, or null (MemError nilHandleErr / memWZErr) for a bad one.
char* HandleData(Handle h);
// True while h names a live block.
bool IsValidHandle(Handle h);
bool IsHandleLocked(Handle h);

Ptr NewPtr(Size byteCount);
Ptr NewPtrClear(Size byteCount);
void DisposePtr(Ptr p);
Size GetPtrSize(Ptr p);

OSErr MemError();
Size MaxMem(Size* grow);
Size MaxBlock();
int32_t FreeMem();
Size CompactMem(Size cbNeeded);
void BlockMoveData(const void* src, void* dst, Size byteCount);
void BlockMove(const void* src, void* dst, Size byteCount);
void BlockZero(void* dst, Size byteCount);
void HoldMemory(void* address, size_t length);
void UnholdMemory(void* address, size_t length);

// Budget and debug switches for tests and start-up.
void SetMemoryBudget(uint64_t bytes);
uint64_t GetMemoryBudget();
uint64_t GetMemoryInUse();
void SetHandleMoveDebug(bool on);
bool GetHandleMoveDebug();
// Number of live handles, for leak checks in tests.
uint32_t CountLiveHandles();

// The memory manager's result of the last call, as a settable word (LMGetMemErr).
OSErr LMGetMemErr();
void LMSetMemErr(OSErr err);
