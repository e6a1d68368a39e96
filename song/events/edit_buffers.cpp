#include "song/events/edit_buffers.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/arithmetic.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"

namespace {

// Where cursor and limit point after close, so that a late write cannot touch the block.
uint8_t gEditBufferScratch[kEditBufferSafety + kEditBufferEndRecord];

// Allocates the work block (and the index block beside it); on failure frees both.
OSErr AllocateWorkBlocks(EditBuffer* state, int32_t bytes) {
  if (bytes < kEditBufferMinimumSize) return memFullErr;
  state->work = NewHandle(bytes);
  if (!state->work) return MemError() ? MemError() : OSErr(memFullErr);
  if (state->indexCount > 0) {
    state->index = NewHandle(Size(state->indexCount) * kEditBufferIndexEntry);
    if (!state->index) {
      OSErr err = MemError() ? MemError() : OSErr(memFullErr);
      DisposeHandleAndClear(&state->work);
      return err;
    }
  }
  return noErr;
}

// The bytes that fit in front of the largest free block while the reserve stays free.
bool FitsWithReserve(uint32_t bytes) {
  uint32_t block = uint32_t(MaxBlock());
  return bytes <= block && block - bytes > gMemoryReserve;
}

}  // namespace

OSErr AllocateEditBuffer(EditBuffer* state, int32_t numerator, int32_t denominator) {
  if (state->work) return kEditBufferBusyErr;
  int32_t largest = int32_t(CompactMem(0x8000000));
  OSErr err = memFullErr;
  if (largest > kEditBufferMemoryMargin - 1) {
    if (largest > kEditBufferFreeCap) largest = kEditBufferFreeCap;
    int32_t bytes = MulDivRound(largest - kEditBufferMemoryMargin, numerator, denominator);
    err = AllocateWorkBlocks(state, bytes);
  }
  if (err != noErr) AlertInsufficientMemory(err);
  return err;
}

OSErr AllocateEditBufferShare(EditBuffer* state, bool single, int32_t n) {
  if (n < 1) n = 1;
  return single ? AllocateEditBuffer(state, 1, 2 * n) : AllocateEditBuffer(state, 3, 4 * n);
}

OSErr AllocateEditBufferBytes(EditBuffer* state, uint32_t bytes) {
  if (state->work) return kEditBufferBusyErr;
  if (bytes < uint32_t(kEditBufferMinimumSize)) bytes = kEditBufferMinimumSize;
  if (bytes > 0x7fffffffu || !FitsWithReserve(bytes)) return memFullErr;
  return AllocateWorkBlocks(state, int32_t(bytes));
}

uint8_t* OpenEditBuffer(EditBuffer* state) {
  if (!state->work) return nullptr;
  HLock(state->work);
  state->base = reinterpret_cast<uint8_t*>(HandleData(state->work));
  state->cursor = state->base;
  state->limit = state->base + GetHandleSize(state->work) - kEditBufferSafety;
  state->reserved = nullptr;
  state->flags = 0;
  return state->limit;
}

OSErr GrowEditBuffer(EditBuffer* state, uint32_t extra) {
  if (!state->work || !state->base) return nilHandleErr;
  uint32_t used = EditBufferUsed(state);
  uint64_t size = uint64_t(GetHandleSize(state->work));
  uint64_t wanted = uint64_t(used) + extra + kEditBufferSafety;
  uint64_t grown = size + size / 2;
  if (grown < wanted) grown = wanted;
  if (grown > 0x7fffffffu || !FitsWithReserve(uint32_t(grown - size))) return memFullErr;
  HUnlock(state->work);
  OSErr err = SetHandleSizeWithReserve(state->work, Size(grown));
  HLock(state->work);
  state->base = reinterpret_cast<uint8_t*>(HandleData(state->work));
  state->cursor = state->base + used;
  state->limit = state->base + GetHandleSize(state->work) - kEditBufferSafety;
  return err;
}

Size GetEditBufferSize(const EditBuffer* state) {
  return state->work ? GetHandleSize(state->work) : 0;
}

int32_t CloseEditBuffer(EditBuffer* state) {
  if (!state->work) return 0;
  int32_t result = (state->flags & kEditBufferOverflow) ? 1 : 0;
  if (!state->base || state->cursor < state->base || state->cursor > state->limit) {
    // A writer that ran past its limit: end the list at the limit, which always has room.
    result = 1;
    if (state->base) state->cursor = state->limit;
  } else if (state->cursor == state->limit) {
    result = 1;
  }
  uint32_t used = 0;
  if (state->base) {
    std::memset(state->cursor, 0, kEditBufferEndRecord);
    used = uint32_t(state->cursor - state->base) + kEditBufferEndRecord;
  }
  state->cursor = gEditBufferScratch;
  state->limit = gEditBufferScratch;
  state->base = nullptr;
  HUnlock(state->work);
  if (ResizeEditBuffer(state, Size(used)) != noErr) result = 1;
  state->size = uint32_t(GetHandleSize(state->work));
  if (result) AlertInsufficientMemory(2);
  if (state->flags & kEditBufferMessage0) ReportAppErrorText(0);
  if (state->flags & kEditBufferMessage1) ReportAppErrorText(1);
  return result;
}

Handle DisposeEditBuffer(EditBuffer* state, bool keep, bool disposeIndex) {
  state->base = nullptr;
  Handle h = state->work;
  state->work = Handle();
  state->stateWord = 0;
  state->stateByte = 0;
  if (disposeIndex) DisposeHandleAndClear(&state->index);
  if (keep) return h;
  DisposeHandleAndClear(&h);
  return Handle();
}

Handle ReleaseEditBuffer(EditBuffer* state, bool keep) { return DisposeEditBuffer(state, keep, true); }

OSErr ResizeEditBuffer(EditBuffer* state, Size newSize) {
  if (!state->work || newSize < 0) return nilHandleErr;
  Size old = GetHandleSize(state->work);
  if (newSize < old) {
    Handle fresh = NewHandle(newSize);
    if (fresh) {
      std::memcpy(HandleData(fresh), HandleData(state->work), size_t(newSize));
      int16_t word = state->stateWord;
      uint8_t byte = state->stateByte;
      DisposeEditBuffer(state, false, false);
      state->work = fresh;
      state->stateWord = word;
      state->stateByte = byte;
      return noErr;
    }
  }
  SetHandleSize(state->work, newSize);
  return MemError();
}
