// Cooperative threads: real threads that pass one baton, so that exactly one of them (or the
// application's main thread) runs at a time, and control changes hands only in
// YieldToAnyThread, YieldToThread, SetThreadState and when a thread's entry returns. Code that
// runs between yields shares data with the other cooperative threads without locks.
//
// The application thread is the process's main thread; other threads that are not cooperative
// (timer, engine, audio threads) get threadProtocolErr from these calls.
#pragma once

#include "platform/memory/mac_types.h"

using ThreadID = UInt32;
using ThreadStyle = UInt32;
using ThreadState = UInt16;
using ThreadOptions = UInt32;
using ThreadEntryProcPtr = void* (*)(void* threadParam);
using ThreadEntryUPP = ThreadEntryProcPtr;
using ThreadEntryTPP = ThreadEntryProcPtr;

constexpr ThreadStyle kCooperativeThread = 1u << 0;
constexpr ThreadStyle kPreemptiveThread = 1u << 1;

constexpr ThreadID kNoThreadID = 0;
constexpr ThreadID kCurrentThreadID = 1;
constexpr ThreadID kApplicationThreadID = 2;

constexpr ThreadState kReadyThreadState = 0;
constexpr ThreadState kStoppedThreadState = 1;
constexpr ThreadState kRunningThreadState = 2;

constexpr ThreadOptions kNewSuspend = 1u << 0;
constexpr ThreadOptions kUsePremadeThread = 1u << 1;
constexpr ThreadOptions kCreateIfNeeded = 1u << 2;
constexpr ThreadOptions kFPUNotNeeded = 1u << 3;
constexpr ThreadOptions kExactMatchThread = 1u << 4;

enum : OSErr {
  threadTooManyReqsErr = -617,
  threadNotFoundErr = -618,
  threadProtocolErr = -619,
};

ThreadEntryUPP NewThreadEntryUPP(ThreadEntryProcPtr entry);
void DisposeThreadEntryUPP(ThreadEntryUPP entry);

// Makes numToCreate idle threads that NewThread takes with kUsePremadeThread. A stack size of 0
// means the system's default; a larger one is honoured.
OSErr CreateThreadPool(ThreadStyle style, SInt16 numToCreate, Size stackSize);
OSErr GetFreeThreadCount(ThreadStyle style, SInt16* freeCount);

// Creates a thread that first runs when another thread yields to it. With kUsePremadeThread it
// takes a pool thread (threadTooManyReqsErr when none is free, unless kCreateIfNeeded); with
// kNewSuspend it starts stopped. When the entry returns, its result is stored through
// threadResult (when not null), the baton passes on, and a pool thread goes back to the pool.
OSErr NewThread(ThreadStyle style, ThreadEntryTPP entry, void* threadParam, Size stackSize,
                ThreadOptions options, void** threadResult, ThreadID* threadMade);

// Passes the baton to the next ready thread in turn (the application thread counts as one) and
// returns when the baton comes back. With no other ready thread it returns at once.
OSErr YieldToAnyThread();
// The same, to a chosen ready thread.
OSErr YieldToThread(ThreadID suggestedThread);

OSErr GetCurrentThread(ThreadID* currentThreadID);
OSErr GetThreadState(ThreadID threadToGet, ThreadState* threadState);
// Stopped threads are passed over until made ready again. A thread that stops itself hands the
// baton to suggestedThread (when ready) or the next in turn. Running means "switch to it now".
OSErr SetThreadState(ThreadID threadToSet, ThreadState newState, ThreadID suggestedThread);

// Disposes of a thread that has not started yet: it never runs, threadResult is stored as its
// result, and it goes to the pool when recycleThread is set. A thread that has already run and
// is waiting inside a yield cannot be taken apart from outside (threadProtocolErr); a thread
// ends by returning from its entry.
OSErr DisposeThread(ThreadID threadToDump, void* threadResult, Boolean recycleThread);
