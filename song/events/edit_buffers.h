// Edit buffers: a large block into which an operation writes a new event list of unknown
// final length (Standard MIDI File import, recording). The buffer is sized as a share of the
// free memory (or for a known bound), written sequentially up to a limit that keeps a safety
// margin, closed with the list's end record and shrunk to the bytes used, so that a writer
// never grows a handle while it fills it.
//
// The cursor, limit and base are addresses inside the work block; they are valid only while
// the buffer is open (the block is locked then) and are never stored in a record.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EditBuffer {
  Handle work;                 // the block being written, or null
  uint8_t* cursor = nullptr;   // next free byte
  uint8_t* limit = nullptr;    // the writer must not write a record that ends beyond it
  uint8_t* base = nullptr;     // the block's first byte while open
  uint8_t* reserved = nullptr; // cleared on open
  uint32_t size = 0;           // the handle size after resizing
  int16_t stateWord = 0;       // cleared when the work handle is given up
  uint8_t stateByte = 0;
  Handle index;                // indexCount x 6 bytes, allocated beside the work handle
  int32_t indexCount = 0;
  uint8_t flags = 0;           // outcome bits, below
};

// Flag bits: 0 and 1 ask for application message 0 / 1 on close; 2 marks an overflow.
constexpr uint8_t kEditBufferMessage0 = 0x01;
constexpr uint8_t kEditBufferMessage1 = 0x02;
constexpr uint8_t kEditBufferOverflow = 0x04;

constexpr int32_t kEditBufferMemoryMargin = 32768;   // kept free
constexpr int32_t kEditBufferFreeCap = 10000000;     // most free memory considered
constexpr int32_t kEditBufferSafety = 28;            // limit = end of block - 28
constexpr int32_t kEditBufferEndRecord = 14;         // written on close
constexpr int32_t kEditBufferIndexEntry = 6;
// The smallest work block handed out: a block below the safety margin would put the limit in
// front of the base and the end record past the block, so smaller shares are refused.
constexpr int32_t kEditBufferMinimumSize = 256;
constexpr OSErr kEditBufferBusyErr = -209;  // the state already has a work handle

// share = numerator / denominator of min(largest free block, 10,000,000) - 32,768.
// Returns 0, -209, -108 or the Memory Manager error; on failure the insufficient-memory
// alert is shown and nothing stays allocated.
OSErr AllocateEditBuffer(EditBuffer* state, int32_t numerator, int32_t denominator);
// 1/(2n) of the free memory when single, else 3/(4n); n buffers are held at once.
OSErr AllocateEditBufferShare(EditBuffer* state, bool single, int32_t n);
// A work block of exactly bytes (at least kEditBufferMinimumSize), within the memory reserve,
// for writers that know a bound. No alert: the caller reports. Returns 0, -209 or -108.
OSErr AllocateEditBufferBytes(EditBuffer* state, uint32_t bytes);
// Locks the work handle and sets base, cursor and limit; clears the reserved pointer and the
// flags. Returns the limit (null without a work handle).
uint8_t* OpenEditBuffer(EditBuffer* state);
// Grows an open buffer so that at least extra more bytes fit below the limit (the block
// grows by half again at least). Cursor, limit and base follow the block. Returns 0 or the
// memory error (the buffer is then unchanged).
OSErr GrowEditBuffer(EditBuffer* state, uint32_t extra);
Size GetEditBufferSize(const EditBuffer* state);
// Writes the end record, unlocks the block and shrinks it to the bytes used. Returns 1 when
// the buffer overflowed or could not be resized (after the memory alert), else 0.
int32_t CloseEditBuffer(EditBuffer* state);
// Takes the work handle out of the state; with keep it is returned to the caller (who owns
// it), else disposed. With disposeIndex the index handle is disposed too.
Handle DisposeEditBuffer(EditBuffer* state, bool keep, bool disposeIndex);
Handle ReleaseEditBuffer(EditBuffer* state, bool keep);
// Shrinks by moving the used bytes to a new block of newSize (so the memory is given back);
// when that fails, and for growth, resizes in place. Returns the Memory Manager error.
OSErr ResizeEditBuffer(EditBuffer* state, Size newSize);
// Bytes written so far (cursor - base) of an open buffer.
inline uint32_t EditBufferUsed(const EditBuffer* state) {
  return state->base ? uint32_t(state->cursor - state->base) : 0;
}
