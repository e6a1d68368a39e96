// Cooperative threads hand one baton: only one runs at a time and switches happen only where
// a thread yields or ends.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/threads/cooperative_threads.h"

namespace {

// Shared by the threads of a test without locks, as cooperative code shares its data.
struct Shared {
  std::string log;
  int running = 0;  // threads inside a turn: more than one means two ran at once
  bool overlapped = false;
  int turns = 0;
};

void Turn(Shared* shared, char mark) {
  if (++shared->running > 1) shared->overlapped = true;
  shared->log += mark;
  usleep(200);  // time enough for a thread that wrongly ran alongside to show up
  --shared->running;
}

struct Worker {
  Shared* shared;
  char mark;
  int turns;
  ThreadID seenID = kNoThreadID;
};

void* WorkerEntry(void* param) {
  auto* worker = static_cast<Worker*>(param);
  GetCurrentThread(&worker->seenID);
  for (int turn = 0; turn < worker->turns; ++turn) {
    Turn(worker->shared, worker->mark);
    YieldToAnyThread();
  }
  return reinterpret_cast<void*>(uintptr_t(worker->mark));
}

TEST(CooperativeThreadsTest, ThreadsInterleaveOnlyAtYields) {
  Shared shared;
  Worker worker{&shared, 'w', 5};
  void* result = nullptr;
  ThreadID id = kNoThreadID;
  ASSERT_EQ(NewThread(kCooperativeThread, NewThreadEntryUPP(WorkerEntry), &worker, 0, 0, &result,
                      &id),
            noErr);
  EXPECT_NE(id, kNoThreadID);
  EXPECT_EQ(shared.log, "");  // a new thread waits for the first yield
  for (int turn = 0; turn < 7; ++turn) {
    Turn(&shared, 'M');
    ASSERT_EQ(YieldToAnyThread(), noErr);
  }
  EXPECT_EQ(shared.log, "MwMwMwMwMwMM");  // the worker's last yield came back after it ended
  EXPECT_FALSE(shared.overlapped);
  EXPECT_EQ(worker.seenID, id);
  EXPECT_EQ(result, reinterpret_cast<void*>(uintptr_t('w')));
  ThreadID self = kNoThreadID;
  EXPECT_EQ(GetCurrentThread(&self), noErr);
  EXPECT_EQ(self, kApplicationThreadID);
}

TEST(CooperativeThreadsTest, ReadyThreadsTakeTurnsInOrderAndStoppedOnesWait) {
  Shared shared;
  Worker a{&shared, 'a', 3}, b{&shared, 'b', 3}, c{&shared, 'c', 1};
  ThreadID idA, idB, idC;
  ASSERT_EQ(NewThread(kCooperativeThread, WorkerEntry, &a, 0, 0, nullptr, &idA), noErr);
  ASSERT_EQ(NewThread(kCooperativeThread, WorkerEntry, &b, 0, 0, nullptr, &idB), noErr);
  ASSERT_EQ(NewThread(kCooperativeThread, WorkerEntry, &c, 0, kNewSuspend, nullptr, &idC), noErr);
  ThreadState state;
  ASSERT_EQ(GetThreadState(idC, &state), noErr);
  EXPECT_EQ(state, kStoppedThreadState);
  for (int turn = 0; turn < 2; ++turn) {
    Turn(&shared, 'M');
    YieldToAnyThread();
  }
  EXPECT_EQ(shared.log, "MabMab");
  ASSERT_EQ(SetThreadState(idB, kStoppedThreadState, kNoThreadID), noErr);
  ASSERT_EQ(SetThreadState(idC, kReadyThreadState, kNoThreadID), noErr);
  for (int turn = 0; turn < 3; ++turn) {
    Turn(&shared, 'M');
    YieldToAnyThread();
  }
  EXPECT_EQ(shared.log, "MabMabMacMM");  // a and c ended; b waits stopped
  ASSERT_EQ(SetThreadState(idB, kRunningThreadState, kNoThreadID), noErr);  // switch to b now
  EXPECT_EQ(shared.log, "MabMabMacMMb");
  YieldToAnyThread();  // b ends
  EXPECT_EQ(GetThreadState(idB, &state), threadNotFoundErr);
  EXPECT_FALSE(shared.overlapped);
}

TEST(CooperativeThreadsTest, PoolThreadsAreTakenAndGivenBack) {
  ASSERT_EQ(CreateThreadPool(kCooperativeThread, 2, 0), noErr);
  SInt16 free = 0;
  ASSERT_EQ(GetFreeThreadCount(kCooperativeThread, &free), noErr);
  EXPECT_EQ(free, 2);

  Shared shared;
  Worker workers[3] = {{&shared, 'x', 1}, {&shared, 'y', 1}, {&shared, 'z', 1}};
  ThreadID ids[3];
  ASSERT_EQ(NewThread(kCooperativeThread, WorkerEntry, &workers[0], 0, kUsePremadeThread, nullptr,
                      &ids[0]),
            noErr);
  ASSERT_EQ(NewThread(kCooperativeThread, WorkerEntry, &workers[1], 0, kUsePremadeThread, nullptr,
                      &ids[1]),
            noErr);
  GetFreeThreadCount(kCooperativeThread, &free);
  EXPECT_EQ(free, 0);
  EXPECT_EQ(NewThread(kCooperativeThread, WorkerEntry, &workers[2], 0, kUsePremadeThread, nullptr,
                      &ids[2]),
            threadTooManyReqsErr);
  EXPECT_EQ(ids[2], kNoThreadID);
  ASSERT_EQ(NewThread(kCooperativeThread, WorkerEntry, &workers[2], 0,
                      kUsePremadeThread | kCreateIfNeeded, nullptr, &ids[2]),
            noErr);
  for (int turn = 0; turn < 3; ++turn) YieldToAnyThread();
  EXPECT_EQ(shared.log, "xyz");
  GetFreeThreadCount(kCooperativeThread, &free);
  EXPECT_EQ(free, 2);  // the premade threads went back; the one made on demand ended
}

TEST(CooperativeThreadsTest, DisposingAThreadBeforeItRunsStoresItsResult) {
  Shared shared;
  Worker worker{&shared, 'd', 1};
  void* result = nullptr;
  int marker = 0;
  for (bool recycle : {false, true}) {
    ThreadID id;
    ASSERT_EQ(NewThread(kCooperativeThread, WorkerEntry, &worker, 0, 0, &result, &id), noErr);
    SInt16 freeBefore = 0, freeAfter = 0;
    GetFreeThreadCount(kCooperativeThread, &freeBefore);
    EXPECT_EQ(DisposeThread(id, &marker, recycle), noErr);
    GetFreeThreadCount(kCooperativeThread, &freeAfter);
    EXPECT_EQ(freeAfter, freeBefore + (recycle ? 1 : 0));
    EXPECT_EQ(result, &marker);
    EXPECT_EQ(DisposeThread(id, nullptr, false), threadNotFoundErr);
    YieldToAnyThread();
    EXPECT_EQ(shared.log, "");  // it never ran
  }
  EXPECT_EQ(DisposeThread(kApplicationThreadID, nullptr, false), threadProtocolErr);
  EXPECT_EQ(NewThread(kPreemptiveThread, WorkerEntry, &worker, 0, 0, nullptr, nullptr), paramErr);
  EXPECT_EQ(NewThread(kCooperativeThread, nullptr, &worker, 0, 0, nullptr, nullptr), paramErr);
}

TEST(CooperativeThreadsTest, ThreadsOutsideTheSchemeAreRefused) {
  std::atomic<OSErr> yielded{1}, created{1}, current{1};
  std::thread foreign([&] {
    yielded = YieldToAnyThread();
    created = NewThread(kCooperativeThread, WorkerEntry, nullptr, 0, 0, nullptr, nullptr);
    ThreadID id;
    current = GetCurrentThread(&id);
  });
  foreign.join();
  EXPECT_EQ(yielded.load(), threadProtocolErr);
  EXPECT_EQ(created.load(), threadProtocolErr);
  EXPECT_EQ(current.load(), threadProtocolErr);
}

}  // namespace
