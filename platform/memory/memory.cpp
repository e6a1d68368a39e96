// Handles as 32-bit ids over a paged slot table, with a byte budget.
#include "platform/memory/memory.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <malloc.h>
#include <mutex>

namespace {

constexpr uint32_t kSlotsPerPage = 4096;
constexpr uint32_t kPageCount = 4096;  // 16M handles at most
constexpr uint32_t kIndexMask = 0x00FFFFFF;
constexpr size_t kPtrHeader = 16;
constexpr uint8_t kDisposedFill = 0xDD;

struct Slot {
  char* data = nullptr;
  uint32_t size = 0;
  uint32_t capacity = 0;
  uint32_t held = 0;  // bytes of the block itself: a reused block may exceed the capacity
  uint8_t generation = 0;
  int8_t state = 0;
  bool live = false;
};

std::atomic<Slot*> gPages[kPageCount];
std::mutex gMemoryMutex;
std::deque<uint32_t> gFreeSlots;
uint32_t gNextSlot = 1;
uint32_t gLiveHandles = 0;
uint64_t gBudget = 0;
uint64_t gInUse = 0;
int gMoveDebug = -1;  // -1: not yet read from the environment
thread_local OSErr tMemErr = noErr;

uint64_t ParseBudget(const char* text) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (end && (*end == 'k' || *end == 'K')) value <<= 10;
  if (end && (*end == 'm' || *end == 'M')) value <<= 20;
  if (end && (*end == 'g' || *end == 'G')) value <<= 30;
  return value;
}

// Freed blocks stay with the allocator for the next handles instead of going back to the
// system at each dispose: lists of a megabyte and more are freed and made again all the time
// (documents, edit buffers, undo copies), and fresh pages cost a fault each. Fixed thresholds
// also stop the allocator from moving them as blocks come and go.
constexpr int kMapThreshold = 32 << 20;    // blocks above this get pages of their own
constexpr int kTrimThreshold = 64 << 20;   // free bytes kept at the heap's top

// Freed large blocks (2 MB and more) are kept, a few of them, for the next large block of
// about their size: the allocator hands out fresh pages for a large block whenever its free
// memory lies in pieces, and in a virtual machine every fresh page is a fault of tens of
// microseconds (a 16 MB undo copy: four thousand of them). A kept block has its pages. They
// are given back when a newer one needs the room or memory runs short.
constexpr uint32_t kLargeBlock = 2 << 20;
constexpr int kKeptBlockSlots = 8;
constexpr uint64_t kKeptBytesMax = uint64_t(256) << 20;

struct KeptBlock {
  char* data;
  uint32_t held;
};

KeptBlock gKeptBlocks[kKeptBlockSlots];
int gKeptCount = 0;  // the oldest first
uint64_t gKeptBytes = 0;

void TakeKeptBlock(int n) {
  gKeptBytes -= gKeptBlocks[n].held;
  for (int i = n + 1; i < gKeptCount; ++i) gKeptBlocks[i - 1] = gKeptBlocks[i];
  --gKeptCount;
}

void DropKeptBlocks() {
  while (gKeptCount > 0) {
    std::free(gKeptBlocks[gKeptCount - 1].data);
    TakeKeptBlock(gKeptCount - 1);
  }
}

// Frees a block; a large one is kept for reuse (the oldest kept ones go for room).
void ReleaseBlock(char* data, uint32_t held) {
  if (!data) return;
  if (held < kLargeBlock || held > kKeptBytesMax) {
    std::free(data);
    return;
  }
  while (gKeptCount > 0 && (gKeptCount == kKeptBlockSlots || gKeptBytes + held > kKeptBytesMax)) {
    std::free(gKeptBlocks[0].data);
    TakeKeptBlock(0);
  }
  gKeptBlocks[gKeptCount++] = KeptBlock{data, held};
  gKeptBytes += held;
}

// The closest kept block of at least bytes that wastes at most a quarter of them, or -1.
int FindKeptBlock(uint32_t bytes) {
  int best = -1;
  for (int i = 0; bytes >= kLargeBlock && i < gKeptCount; ++i) {
    uint32_t size = gKeptBlocks[i].held;
    if (size >= bytes && size - bytes <= bytes / 4 && (best < 0 || size < gKeptBlocks[best].held)) best = i;
  }
  return best;
}

// A block of at least bytes (*held gets its real size): a kept one when one fits, else the
// allocator's. A large block that no kept block serves first gives the kept ones back: the
// allocator may cut it from their pages rather than from fresh ones.
char* AcquireBlock(uint32_t bytes, uint32_t* held) {
  int kept = FindKeptBlock(bytes);
  if (kept >= 0) {
    char* data = gKeptBlocks[kept].data;
    *held = gKeptBlocks[kept].held;
    TakeKeptBlock(kept);
    return data;
  }
  if (bytes >= kLargeBlock) DropKeptBlocks();
  char* data = static_cast<char*>(std::malloc(bytes));
  if (!data && gKeptCount > 0) {
    DropKeptBlocks();
    data = static_cast<char*>(std::malloc(bytes));
  }
  *held = data ? bytes : 0;
  return data;
}

void TuneAllocator() {
  static const bool tuned = mallopt(M_MMAP_THRESHOLD, kMapThreshold) &&
                            mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
  (void)tuned;
}

uint64_t Budget() {
  if (gBudget == 0) {
    const char* env = std::getenv("ZARIN_MEMORY_BUDGET");
    gBudget = env ? ParseBudget(env) : 0;
    if (gBudget == 0) gBudget = uint64_t(2) << 30;
  }
  return gBudget;
}

bool MoveDebug() {
  if (gMoveDebug < 0) {
    const char* env = std::getenv("ZARIN_MOVE_HANDLES");
    gMoveDebug = env && *env && *env != '0' ? 1 : 0;
  }
  return gMoveDebug == 1;
}

uint64_t Available() {
  uint64_t budget = Budget();
  return gInUse >= budget ? 0 : budget - gInUse;
}

bool Reserve(uint64_t bytes) {
  if (bytes > Available()) return false;
  gInUse += bytes;
  return true;
}

void Release(uint64_t bytes) { gInUse = bytes > gInUse ? 0 : gInUse - bytes; }

uint32_t RoundCapacity(uint32_t size) { return size < 8 ? 8 : (size + 15) & ~15u; }

Slot* SlotAt(uint32_t index) {
  Slot* page = gPages[index / kSlotsPerPage].load(std::memory_order_acquire);
  return page ? &page[index % kSlotsPerPage] : nullptr;
}

// The slot of a live handle, or null after reporting a bad one.
Slot* LookUp(Handle h, bool report = true) {
  if (!h) {
    tMemErr = nilHandleErr;
    return nullptr;
  }
  uint32_t index = h.id & kIndexMask;
  Slot* slot = index < kSlotsPerPage * kPageCount ? SlotAt(index) : nullptr;
  if (!slot || !slot->live || slot->generation != uint8_t(h.id >> 24)) {
    tMemErr = memWZErr;
    if (report) std::fprintf(stderr, "Memory: bad or disposed handle %08x\n", h.id);
    return nullptr;
  }
  return slot;
}

uint32_t TakeSlotIndex() {
  if (gFreeSlots.size() > 1024 || gNextSlot >= kSlotsPerPage * kPageCount) {
    if (gFreeSlots.empty()) return 0;
    uint32_t index = gFreeSlots.front();
    gFreeSlots.pop_front();
    return index;
  }
  uint32_t index = gNextSlot++;
  uint32_t page = index / kSlotsPerPage;
  if (!gPages[page].load(std::memory_order_relaxed)) {
    gPages[page].store(new Slot[kSlotsPerPage], std::memory_order_release);
  }
  return index;
}

// Moves a block to fresh memory of the given capacity; the old block is scribbled over.
bool Relocate(Slot* slot, uint32_t capacity) {
  uint32_t held = 0;
  char* moved = AcquireBlock(capacity, &held);
  if (!moved) return false;
  if (slot->data) {
    std::memcpy(moved, slot->data, slot->size < capacity ? slot->size : capacity);
    if (MoveDebug()) std::memset(slot->data, kDisposedFill, slot->capacity);
    ReleaseBlock(slot->data, slot->held);
  }
  slot->data = moved;
  slot->capacity = capacity;
  slot->held = held;
  return true;
}

Handle MakeHandle(Size byteCount, bool clear) {
  if (byteCount < 0) {
    tMemErr = paramErr;
    return Handle();
  }
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  TuneAllocator();
  uint32_t capacity = RoundCapacity(uint32_t(byteCount));
  if (!Reserve(capacity)) {
    tMemErr = memFullErr;
    return Handle();
  }
  uint32_t index = TakeSlotIndex();
  // calloc for a cleared block (fresh pages need no clearing) unless a kept block serves it,
  // cleared here; malloc otherwise. Written as separate calls: a malloc followed by a
  // conditional clear may be turned into calloc every time.
  void* block = nullptr;
  uint32_t held = capacity;
  if (index && clear && FindKeptBlock(capacity) < 0) {
    if (capacity >= kLargeBlock) DropKeptBlocks();
    block = std::calloc(capacity, 1);
    if (!block && gKeptCount > 0) DropKeptBlocks(), block = std::calloc(capacity, 1);
  } else if (index) {
    block = AcquireBlock(capacity, &held);
    if (block && clear) std::memset(block, 0, capacity);
  }
  char* data = static_cast<char*>(block);
  if (!data) {
    Release(capacity);
    if (index) gFreeSlots.push_back(index);
    tMemErr = memFullErr;
    return Handle();
  }
  Slot* slot = SlotAt(index);
  slot->data = data;
  slot->size = uint32_t(byteCount);
  slot->capacity = capacity;
  slot->held = held;
  slot->state = 0;
  slot->live = true;
  slot->generation = uint8_t(slot->generation + 1);
  ++gLiveHandles;
  tMemErr = noErr;
  return Handle((uint32_t(slot->generation) << 24) | index);
}

}  // namespace

char* Handle::operator*() const { return HandleData(*this); }

Handle NewHandle(Size byteCount) { return MakeHandle(byteCount, false); }
Handle NewHandleClear(Size byteCount) { return MakeHandle(byteCount, true); }

void DisposeHandle(Handle h) {
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  Slot* slot = LookUp(h);
  if (!slot) return;
  if (slot->data) {
    if (MoveDebug()) std::memset(slot->data, kDisposedFill, slot->capacity);
    ReleaseBlock(slot->data, slot->held);
  }
  Release(slot->capacity);
  slot->data = nullptr;
  slot->size = slot->capacity = slot->held = 0;
  slot->live = false;
  gFreeSlots.push_back(h.id & kIndexMask);
  --gLiveHandles;
  tMemErr = noErr;
}

char* HandleData(Handle h) {
  Slot* slot = LookUp(h);
  if (!slot) return nullptr;
  return slot->data;
}

bool IsValidHandle(Handle h) { return h && LookUp(h, false) != nullptr; }

bool IsHandleLocked(Handle h) {
  Slot* slot = LookUp(h, false);
  return slot && (slot->state & kHandleLockedBit);
}

Size GetHandleSize(Handle h) {
  Slot* slot = LookUp(h);
  if (!slot) return 0;
  tMemErr = noErr;
  return Size(slot->size);
}

void SetHandleSize(Handle h, Size newSize) {
  if (newSize < 0) {
    tMemErr = paramErr;
    return;
  }
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  Slot* slot = LookUp(h);
  if (!slot) return;
  uint32_t size = uint32_t(newSize);
  bool locked = slot->state & kHandleLockedBit;
  bool grows = size > slot->size;
  if (size <= slot->capacity && !(grows && MoveDebug() && !locked)) {
    if (grows && slot->data == nullptr) {
      tMemErr = nilHandleErr;
      return;
    }
    slot->size = size;
    tMemErr = noErr;
    return;
  }
  if (locked) {
    tMemErr = memFullErr;
    return;
  }
  uint32_t capacity = size <= slot->capacity ? slot->capacity : RoundCapacity(size + size / 2);
  if (capacity > slot->capacity && !Reserve(capacity - slot->capacity)) {
    capacity = RoundCapacity(size);  // no room for slack: try the exact size
    if (!Reserve(capacity - slot->capacity)) {
      tMemErr = memFullErr;
      return;
    }
  }
  uint32_t old = slot->capacity;
  if (!Relocate(slot, capacity)) {
    if (capacity > old) Release(capacity - old);
    tMemErr = memFullErr;
    return;
  }
  slot->size = size;
  tMemErr = noErr;
}

void HLock(Handle h) {
  if (Slot* slot = LookUp(h)) slot->state |= kHandleLockedBit, tMemErr = noErr;
}
void HUnlock(Handle h) {
  if (Slot* slot = LookUp(h)) slot->state &= ~kHandleLockedBit, tMemErr = noErr;
}
void HLockHi(Handle h) {
  MoveHHi(h);
  HLock(h);
}
int8_t HGetState(Handle h) {
  Slot* slot = LookUp(h);
  if (!slot) return 0;
  tMemErr = noErr;
  return slot->state;
}
void HSetState(Handle h, int8_t flags) {
  if (Slot* slot = LookUp(h)) slot->state = flags, tMemErr = noErr;
}
void HNoPurge(Handle h) {
  if (Slot* slot = LookUp(h)) slot->state &= ~kHandlePurgeableBit, tMemErr = noErr;
}
void HPurge(Handle h) {
  if (Slot* slot = LookUp(h)) slot->state |= kHandlePurgeableBit, tMemErr = noErr;
}

void MoveHHi(Handle h) {
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  Slot* slot = LookUp(h);
  if (!slot) return;
  if (slot->state & kHandleLockedBit) {
    tMemErr = memLockedErr;
    return;
  }
  if (MoveDebug() && slot->data) Relocate(slot, slot->capacity);
  tMemErr = noErr;
}

void EmptyHandle(Handle h) {
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  Slot* slot = LookUp(h);
  if (!slot) return;
  if (slot->state & kHandleLockedBit) {
    tMemErr = memPurErr;
    return;
  }
  ReleaseBlock(slot->data, slot->held);
  Release(slot->capacity);
  slot->data = nullptr;
  slot->size = slot->capacity = slot->held = 0;
  tMemErr = noErr;
}

void ReallocateHandle(Handle h, Size byteCount) {
  EmptyHandle(h);
  if (tMemErr != noErr || byteCount < 0) return;
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  Slot* slot = LookUp(h);
  uint32_t capacity = RoundCapacity(uint32_t(byteCount));
  if (!Reserve(capacity)) {
    tMemErr = memFullErr;
    return;
  }
  if (!Relocate(slot, capacity)) {
    Release(capacity);
    tMemErr = memFullErr;
    return;
  }
  slot->size = uint32_t(byteCount);
  tMemErr = noErr;
}

OSErr HandToHand(Handle* theHndl) {
  if (!theHndl || !IsValidHandle(*theHndl)) return tMemErr = nilHandleErr;
  Size size = GetHandleSize(*theHndl);
  Handle copy = NewHandle(size);
  if (!copy) return tMemErr;
  std::memcpy(HandleData(copy), HandleData(*theHndl), size_t(size));
  *theHndl = copy;
  return tMemErr = noErr;
}

OSErr PtrToHand(const void* srcPtr, Handle* dstHndl, Size size) {
  if (!dstHndl || size < 0) return tMemErr = paramErr;
  Handle h = NewHandle(size);
  if (!h) return tMemErr;
  if (size) std::memcpy(HandleData(h), srcPtr, size_t(size));
  *dstHndl = h;
  return noErr;
}

OSErr PtrAndHand(const void* ptr, Handle h, Size size) {
  Size old = GetHandleSize(h);
  if (tMemErr != noErr) return tMemErr;
  SetHandleSize(h, old + size);
  if (tMemErr != noErr) return tMemErr;
  if (size) std::memcpy(HandleData(h) + old, ptr, size_t(size));
  return noErr;
}

OSErr HandAndHand(Handle src, Handle dst) {
  Size size = GetHandleSize(src);
  if (tMemErr != noErr) return tMemErr;
  Size old = GetHandleSize(dst);
  if (tMemErr != noErr) return tMemErr;
  SetHandleSize(dst, old + size);
  if (tMemErr != noErr) return tMemErr;
  std::memcpy(HandleData(dst) + old, HandleData(src), size_t(size));
  return noErr;
}

int32_t Munger(Handle h, int32_t offset, const void* ptr1, int32_t len1, const void* ptr2,
               int32_t len2) {
  Size size = GetHandleSize(h);
  if (tMemErr != noErr || offset < 0 || offset > size || len1 < 0 || len2 < 0) {
    if (tMemErr == noErr) tMemErr = paramErr;
    return -1;
  }
  if (ptr1 != nullptr) {
    // Searching form: find ptr1 from offset; only the length form is used here.
    tMemErr = paramErr;
    return -1;
  }
  if (len1 > size - offset) len1 = size - offset;
  Size newSize = size - len1 + len2;
  if (newSize > size) {
    SetHandleSize(h, newSize);
    if (tMemErr != noErr) return -1;
  }
  char* p = HandleData(h);
  std::memmove(p + offset + len2, p + offset + len1, size_t(size - offset - len1));
  if (ptr2)
    std::memcpy(p + offset, ptr2, size_t(len2));
  else
    std::memset(p + offset, 0, size_t(len2));
  if (newSize < size) SetHandleSize(h, newSize);
  return offset + len2;
}

Ptr NewPtr(Size byteCount) {
  if (byteCount < 0) {
    tMemErr = paramErr;
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  uint64_t total = uint64_t(byteCount) + kPtrHeader;
  if (!Reserve(total)) {
    tMemErr = memFullErr;
    return nullptr;
  }
  char* block = static_cast<char*>(std::malloc(total));
  if (!block) {
    Release(total);
    tMemErr = memFullErr;
    return nullptr;
  }
  uint64_t size = uint64_t(byteCount);
  std::memcpy(block, &size, sizeof size);
  tMemErr = noErr;
  return block + kPtrHeader;
}

Ptr NewPtrClear(Size byteCount) {
  Ptr p = NewPtr(byteCount);
  if (p) std::memset(p, 0, size_t(byteCount));
  return p;
}

Size GetPtrSize(Ptr p) {
  if (!p) return tMemErr = nilHandleErr, 0;
  uint64_t size;
  std::memcpy(&size, p - kPtrHeader, sizeof size);
  tMemErr = noErr;
  return Size(size);
}

void DisposePtr(Ptr p) {
  if (!p) return;
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  uint64_t size;
  std::memcpy(&size, p - kPtrHeader, sizeof size);
  Release(size + kPtrHeader);
  std::free(p - kPtrHeader);
  tMemErr = noErr;
}

OSErr MemError() { return tMemErr; }
OSErr LMGetMemErr() { return tMemErr; }
void LMSetMemErr(OSErr err) { tMemErr = err; }

Size MaxBlock() {
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  uint64_t available = Available();
  return available > 0x7FFFFFFF ? 0x7FFFFFFF : Size(available);
}
Size MaxMem(Size* grow) {
  if (grow) *grow = 0;
  return MaxBlock();
}
int32_t FreeMem() { return MaxBlock(); }
Size CompactMem(Size) { return MaxBlock(); }

void BlockMoveData(const void* src, void* dst, Size byteCount) {
  if (byteCount > 0) std::memmove(dst, src, size_t(byteCount));
}
void BlockMove(const void* src, void* dst, Size byteCount) { BlockMoveData(src, dst, byteCount); }
void BlockZero(void* dst, Size byteCount) {
  if (byteCount > 0) std::memset(dst, 0, size_t(byteCount));
}
void HoldMemory(void*, size_t) {}
void UnholdMemory(void*, size_t) {}

void SetMemoryBudget(uint64_t bytes) {
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  gBudget = bytes ? bytes : (uint64_t(2) << 30);
}
uint64_t GetMemoryBudget() {
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  return Budget();
}
uint64_t GetMemoryInUse() {
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  return gInUse;
}
void SetHandleMoveDebug(bool on) { gMoveDebug = on ? 1 : 0; }
bool GetHandleMoveDebug() { return MoveDebug(); }
uint32_t CountLiveHandles() {
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  return gLiveHandles;
}
