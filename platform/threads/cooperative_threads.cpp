#include "platform/threads/cooperative_threads.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <new>
#include <vector>

namespace {

using Lock = std::unique_lock<std::mutex>;

// Waits for the baton are taken in slices; the application thread says so on the console when
// a cooperative thread keeps the baton very long (it cannot take the baton back: the threads
// share data on the promise that nothing runs between their yields).
constexpr auto kBatonWaitSlice = std::chrono::seconds(1);
constexpr auto kLongHoldNote = std::chrono::seconds(10);

struct CoopThread {
  ThreadID id = kNoThreadID;  // kNoThreadID while idle in the pool
  ThreadState state = kReadyThreadState;
  ThreadEntryTPP entry = nullptr;
  void* param = nullptr;
  void** resultOut = nullptr;
  bool premade = false;
  bool started = false;
  bool cancelled = false;
  std::condition_variable baton;
};

struct ThreadManager {
  std::mutex lock;
  std::condition_variable appBaton;
  ThreadID running = kApplicationThreadID;
  ThreadID nextId = kApplicationThreadID + 1;
  std::vector<CoopThread*> scheduled;  // threads with a job, in creation order
  std::vector<CoopThread*> pool;       // premade threads without a job
};

ThreadManager& Manager() {
  static ThreadManager* manager = new ThreadManager;  // pool threads outlive exit
  return *manager;
}

thread_local CoopThread* tSelf = nullptr;

ThreadID CallerID() {
  if (tSelf != nullptr) return tSelf->id;
  return gettid() == getpid() ? kApplicationThreadID : kNoThreadID;
}

CoopThread* FindScheduled(ThreadID id) {
  for (CoopThread* thread : Manager().scheduled) {
    if (thread->id == id) return thread;
  }
  return nullptr;
}

// The ring of turns: the application thread first, then the scheduled threads in order.
size_t RingSize() { return Manager().scheduled.size() + 1; }

ThreadID RingID(size_t position) {
  return position == 0 ? kApplicationThreadID : Manager().scheduled[position - 1]->id;
}

size_t RingPosition(ThreadID id) {
  for (size_t position = 1; position < RingSize(); ++position) {
    if (RingID(position) == id) return position;
  }
  return 0;
}

bool IsReady(ThreadID id) {
  if (id == kApplicationThreadID) return true;
  CoopThread* thread = FindScheduled(id);
  return thread != nullptr && thread->state == kReadyThreadState;
}

// The next ready thread after `after` in turn, never `skip`; kNoThreadID when there is none.
ThreadID NextReady(ThreadID after, ThreadID skip) {
  size_t size = RingSize();
  size_t from = RingPosition(after);
  for (size_t step = 1; step <= size; ++step) {
    ThreadID id = RingID((from + step) % size);
    if (id != skip && IsReady(id)) return id;
  }
  return kNoThreadID;
}

void HandBaton(ThreadID to) {
  ThreadManager& manager = Manager();
  manager.running = to;
  if (to == kApplicationThreadID) {
    manager.appBaton.notify_one();
  } else if (CoopThread* thread = FindScheduled(to)) {
    thread->baton.notify_one();
  }
}

void AwaitApplicationBaton(Lock& held) {
  ThreadManager& manager = Manager();
  auto since = std::chrono::steady_clock::now();
  bool noted = false;
  while (manager.running != kApplicationThreadID) {
    manager.appBaton.wait_for(held, kBatonWaitSlice);
    if (!noted && std::chrono::steady_clock::now() - since > kLongHoldNote) {
      noted = true;
      std::fprintf(stderr, "zarin: a cooperative thread has run for over 10 s without yielding\n");
    }
  }
}

void AwaitBaton(Lock& held, ThreadID me) {
  if (me == kApplicationThreadID) return AwaitApplicationBaton(held);
  CoopThread* self = tSelf;
  while (!(self->id != kNoThreadID && Manager().running == self->id) && !self->cancelled) {
    self->baton.wait_for(held, kBatonWaitSlice);
  }
}

void SwitchTo(Lock& held, ThreadID me, ThreadID to) {
  HandBaton(to);
  AwaitBaton(held, me);
}

void RemoveScheduled(CoopThread* thread) {
  auto& list = Manager().scheduled;
  list.erase(std::remove(list.begin(), list.end(), thread), list.end());
}

void ClearJob(CoopThread* thread) {
  thread->id = kNoThreadID;
  thread->state = kReadyThreadState;
  thread->entry = nullptr;
  thread->param = nullptr;
  thread->resultOut = nullptr;
  thread->started = false;
}

// A job's entry has returned: store its result, pass the baton on, and park a premade thread.
void FinishJob(CoopThread* thread, void* result) {
  if (thread->resultOut != nullptr) *thread->resultOut = result;
  ThreadID next = NextReady(thread->id, thread->id);
  RemoveScheduled(thread);
  ClearJob(thread);
  if (thread->premade) Manager().pool.push_back(thread);
  HandBaton(next);
}

void* RunCooperativeThread(void* argument) {
  CoopThread* self = static_cast<CoopThread*>(argument);
  tSelf = self;
  Lock held(Manager().lock);
  for (;;) {
    AwaitBaton(held, self->id);
    if (self->cancelled) break;
    self->started = true;
    held.unlock();
    void* result = self->entry(self->param);
    held.lock();
    FinishJob(self, result);
    if (!self->premade) break;
  }
  held.unlock();
  delete self;
  return nullptr;
}

CoopThread* StartThread(Size stackSize, bool premade) {
  CoopThread* thread = new (std::nothrow) CoopThread;
  if (thread == nullptr) return nullptr;
  thread->premade = premade;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  size_t defaultSize = 0;
  pthread_attr_getstacksize(&attributes, &defaultSize);
  if (stackSize > 0 && size_t(stackSize) > defaultSize) {
    pthread_attr_setstacksize(&attributes, size_t(stackSize));
  }
  pthread_t handle;
  int error = pthread_create(&handle, &attributes, RunCooperativeThread, thread);
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    delete thread;
    return nullptr;
  }
  pthread_setname_np(handle, "zarin-coop");
  return thread;
}

// A pool thread, or a new one; null with *error set when neither is possible.
CoopThread* TakeThread(ThreadOptions options, Size stackSize, OSErr* error) {
  ThreadManager& manager = Manager();
  if ((options & kUsePremadeThread) != 0 && !manager.pool.empty()) {
    CoopThread* thread = manager.pool.back();
    manager.pool.pop_back();
    return thread;
  }
  if ((options & kUsePremadeThread) != 0 && (options & kCreateIfNeeded) == 0) {
    *error = threadTooManyReqsErr;
    return nullptr;
  }
  CoopThread* thread = StartThread(stackSize, false);
  if (thread == nullptr) *error = memFullErr;
  return thread;
}

ThreadID Resolve(ThreadID id, ThreadID me) { return id == kCurrentThreadID ? me : id; }

}  // namespace

ThreadEntryUPP NewThreadEntryUPP(ThreadEntryProcPtr entry) { return entry; }

void DisposeThreadEntryUPP(ThreadEntryUPP) {}

OSErr CreateThreadPool(ThreadStyle style, SInt16 numToCreate, Size stackSize) {
  if (style != kCooperativeThread || numToCreate < 0) return paramErr;
  Lock held(Manager().lock);
  for (SInt16 made = 0; made < numToCreate; ++made) {
    CoopThread* thread = StartThread(stackSize, true);
    if (thread == nullptr) return memFullErr;
    Manager().pool.push_back(thread);
  }
  return noErr;
}

OSErr GetFreeThreadCount(ThreadStyle style, SInt16* freeCount) {
  if (style != kCooperativeThread || freeCount == nullptr) return paramErr;
  Lock held(Manager().lock);
  *freeCount = SInt16(Manager().pool.size());
  return noErr;
}

OSErr NewThread(ThreadStyle style, ThreadEntryTPP entry, void* threadParam, Size stackSize,
                ThreadOptions options, void** threadResult, ThreadID* threadMade) {
  if (threadMade != nullptr) *threadMade = kNoThreadID;
  if (style != kCooperativeThread || entry == nullptr) return paramErr;
  if (CallerID() == kNoThreadID) return threadProtocolErr;
  Lock held(Manager().lock);
  OSErr error = noErr;
  CoopThread* thread = TakeThread(options, stackSize, &error);
  if (thread == nullptr) return error;
  thread->id = Manager().nextId++;
  thread->state = (options & kNewSuspend) != 0 ? kStoppedThreadState : kReadyThreadState;
  thread->entry = entry;
  thread->param = threadParam;
  thread->resultOut = threadResult;
  Manager().scheduled.push_back(thread);
  if (threadMade != nullptr) *threadMade = thread->id;
  return noErr;
}

OSErr YieldToAnyThread() {
  ThreadID me = CallerID();
  if (me == kNoThreadID) return threadProtocolErr;
  Lock held(Manager().lock);
  ThreadID next = NextReady(me, me);
  if (next != kNoThreadID) SwitchTo(held, me, next);
  return noErr;
}

OSErr YieldToThread(ThreadID suggestedThread) {
  ThreadID me = CallerID();
  if (me == kNoThreadID) return threadProtocolErr;
  ThreadID target = Resolve(suggestedThread, me);
  if (target == me) return noErr;
  Lock held(Manager().lock);
  if (target != kApplicationThreadID && FindScheduled(target) == nullptr) return threadNotFoundErr;
  if (!IsReady(target)) return threadProtocolErr;
  SwitchTo(held, me, target);
  return noErr;
}

OSErr GetCurrentThread(ThreadID* currentThreadID) {
  if (currentThreadID == nullptr) return paramErr;
  *currentThreadID = CallerID();
  if (*currentThreadID == kNoThreadID) return threadProtocolErr;
  return noErr;
}

OSErr GetThreadState(ThreadID threadToGet, ThreadState* threadState) {
  ThreadID me = CallerID();
  if (threadState == nullptr) return paramErr;
  ThreadID id = Resolve(threadToGet, me);
  Lock held(Manager().lock);
  if (id == Manager().running) {
    *threadState = kRunningThreadState;
  } else if (id == kApplicationThreadID) {
    *threadState = kReadyThreadState;
  } else if (CoopThread* thread = FindScheduled(id)) {
    *threadState = thread->state;
  } else {
    return threadNotFoundErr;
  }
  return noErr;
}

OSErr SetThreadState(ThreadID threadToSet, ThreadState newState, ThreadID suggestedThread) {
  ThreadID me = CallerID();
  if (me == kNoThreadID) return threadProtocolErr;
  if (newState > kRunningThreadState) return paramErr;
  ThreadID id = Resolve(threadToSet, me);
  Lock held(Manager().lock);
  CoopThread* thread = FindScheduled(id);
  if (id == kApplicationThreadID) {
    if (newState == kStoppedThreadState) return threadProtocolErr;
  } else if (thread == nullptr) {
    return threadNotFoundErr;
  } else {
    thread->state = newState == kStoppedThreadState ? kStoppedThreadState : kReadyThreadState;
  }
  if (newState == kRunningThreadState && id != me) SwitchTo(held, me, id);
  if (newState == kStoppedThreadState && id == me) {
    ThreadID suggested = Resolve(suggestedThread, me);
    ThreadID next = suggested != me && IsReady(suggested) ? suggested : NextReady(me, me);
    SwitchTo(held, me, next);
  }
  return noErr;
}

OSErr DisposeThread(ThreadID threadToDump, void* threadResult, Boolean recycleThread) {
  ThreadID me = CallerID();
  if (me == kNoThreadID) return threadProtocolErr;
  ThreadID id = Resolve(threadToDump, me);
  if (id == me || id == kApplicationThreadID) return threadProtocolErr;
  Lock held(Manager().lock);
  CoopThread* thread = FindScheduled(id);
  if (thread == nullptr) return threadNotFoundErr;
  if (thread->started) return threadProtocolErr;
  if (thread->resultOut != nullptr) *thread->resultOut = threadResult;
  RemoveScheduled(thread);
  if (recycleThread) {
    ClearJob(thread);
    thread->premade = true;
    Manager().pool.push_back(thread);
  } else {
    thread->cancelled = true;
    thread->baton.notify_one();
  }
  return noErr;
}
